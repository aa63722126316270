#include "sim/AddressSpace.h"

#include <windows.h>

#include <vector>

namespace sim {
namespace {

struct Region {
    uintptr_t base;
    uintptr_t size;
};

uintptr_t roundUp(uintptr_t value, uintptr_t step) { return (value + step - 1) / step * step; }
uintptr_t roundDown(uintptr_t value, uintptr_t step) { return value / step * step; }

// Free regions trimmed to the allocation granularity: VirtualAlloc can
// reserve nothing else, and neither can anyone after us.
std::vector<Region> freeRegions() {
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    const uintptr_t granularity = system.dwAllocationGranularity;
    std::vector<Region> regions;
    auto address = reinterpret_cast<uintptr_t>(system.lpMinimumApplicationAddress);
    const auto last = reinterpret_cast<uintptr_t>(system.lpMaximumApplicationAddress);
    MEMORY_BASIC_INFORMATION info{};
    while (address < last && VirtualQuery(reinterpret_cast<void*>(address), &info, sizeof info) == sizeof info) {
        const auto base = reinterpret_cast<uintptr_t>(info.BaseAddress);
        const uintptr_t end = base + info.RegionSize;
        if (end <= address) break;  // wrapped at the top of the space
        if (info.State == MEM_FREE) {
            const uintptr_t start = roundUp(base, granularity);
            const uintptr_t stop = roundDown(end, granularity);
            if (stop > start) regions.push_back({start, stop - start});
        }
        address = end;
    }
    return regions;
}

bool reserve(uintptr_t base, uintptr_t size) {
    return size == 0 || VirtualAlloc(reinterpret_cast<void*>(base), size, MEM_RESERVE, PAGE_NOACCESS) != nullptr;
}

}  // namespace

AddressSpaceLeft addressSpaceLeft() {
    AddressSpaceLeft left;
    for (const Region& region : freeRegions()) {
        left.freeBytes += region.size;
        if (region.size > left.largestBlock) left.largestBlock = region.size;
        ++left.blocks;
    }
    return left;
}

bool reserveAllAddressSpaceBut(size_t leaveBytes) {
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    const uintptr_t leave = roundUp(leaveBytes, system.dwAllocationGranularity);
    std::vector<Region> regions = freeRegions();
    const Region* kept = nullptr;
    for (const Region& region : regions)
        if (region.size >= leave && (kept == nullptr || region.size > kept->size)) kept = &region;
    if (kept == nullptr) return false;
    bool all = true;
    for (const Region& region : regions) {
        // The kept block is the top of the largest region: the rest of it goes too.
        const uintptr_t size = &region == kept ? region.size - leave : region.size;
        all = reserve(region.base, size) && all;
    }
    return all;
}

HeapInUse heapInUse() {
    HeapInUse inUse;
    std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
    heaps.resize(GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
    for (HANDLE heap : heaps) {
        if (!HeapLock(heap)) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heap, &entry)) {
            if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) == 0) continue;
            ++inUse.blocks;
            inUse.bytes += entry.cbData;
        }
        HeapUnlock(heap);
    }
    return inUse;
}

}  // namespace sim
