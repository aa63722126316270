#include "tools/render-frames/CallTiming.h"

#if defined(_WIN32) && !defined(_WIN64)

#include <windows.h>
#include <x86intrin.h>

#include <cstdint>
#include <cstring>

#include "render/GdiPlusFlat.h"

namespace quillon::frames::call_timing {
namespace {

enum Element { kCopy, kClear, kFirstStroke, kLines, kRings, kBox, kTexts, kTags, kBlit, kOther, kElementCount };
constexpr const char* kElementNames[kElementCount] = {"copy", "clear", "first stroke", "lines", "rings",
                                                      "box",  "texts", "tags",         "blit",  "other"};

struct Account {
    uint64_t ticks[kElementCount];
    uint64_t calls[kElementCount];
};
Account accounts[2];
Account* current = nullptr;
bool firstStrokePending = false;

void count(Element element, bool stroke, uint64_t ticks) {
    if (current == nullptr) return;
    if (stroke && firstStrokePending) {
        element = kFirstStroke;
        firstStrokePending = false;
    }
    current->ticks[element] += ticks;
    ++current->calls[element];
}

// One thunk per imported function, calling the original through the slot
// the import table held.
template <int Index, typename F>
struct Timed;
template <int Index, typename R, typename... A>
struct Timed<Index, R(WINAPI*)(A...)> {
    static inline R(WINAPI* original)(A...) = nullptr;
    static inline Element element = kOther;
    static inline bool stroke = false;
    static R WINAPI call(A... arguments) {
        const uint64_t start = __rdtsc();
        const R result = original(arguments...);
        count(element, stroke, __rdtsc() - start);
        return result;
    }
};

struct Thunk {
    const char* name;
    void** original;
    void* replacement;
};

template <int Index, typename F>
Thunk thunk(const char* name, Element element, bool stroke = false) {
    using T = Timed<Index, F>;
    T::element = element;
    T::stroke = stroke;
    return Thunk{name, reinterpret_cast<void**>(&T::original), reinterpret_cast<void*>(&T::call)};
}

#define TIMED_GDIP(name, ...) thunk<__LINE__, decltype(&gdip::name)>(#name, __VA_ARGS__)
#define TIMED_GDI(name, ...) thunk<__LINE__, decltype(&::name)>(#name, __VA_ARGS__)

const std::vector<Thunk>& thunks() {
    static const std::vector<Thunk> all = {
        TIMED_GDIP(GdipDrawImageRectI, kCopy),
        TIMED_GDIP(GdipGraphicsClear, kClear),
        TIMED_GDIP(GdipDrawLine, kLines, true),
        TIMED_GDIP(GdipDrawLines, kLines, true),
        TIMED_GDIP(GdipDrawPath, kLines, true),
        TIMED_GDIP(GdipDrawEllipse, kRings, true),
        TIMED_GDIP(GdipDrawArc, kRings, true),
        TIMED_GDIP(GdipDrawRectangle, kBox, true),
        TIMED_GDIP(GdipDrawString, kTexts),
        TIMED_GDIP(GdipMeasureString, kTexts),
        TIMED_GDIP(GdipDrawImageRectRect, kTags),
        TIMED_GDIP(GdipScaleWorldTransform, kOther),
        TIMED_GDIP(GdipTranslateWorldTransform, kOther),
        TIMED_GDIP(GdipResetWorldTransform, kOther),
        TIMED_GDIP(GdipSetClipRectI, kOther),
        TIMED_GDIP(GdipResetClip, kOther),
        TIMED_GDIP(GdipSetSmoothingMode, kOther),
        TIMED_GDIP(GdipSetTextRenderingHint, kOther),
        TIMED_GDIP(GdipBeginContainer2, kOther),
        TIMED_GDIP(GdipEndContainer, kOther),
        TIMED_GDIP(GdipSetCompositingMode, kOther),
        TIMED_GDIP(GdipSaveGraphics, kOther),
        TIMED_GDIP(GdipRestoreGraphics, kOther),
        TIMED_GDIP(GdipSetInterpolationMode, kOther),
        TIMED_GDIP(GdipSetMatrixElements, kOther),
        TIMED_GDIP(GdipRotateMatrix, kOther),
        TIMED_GDIP(GdipTranslateMatrix, kOther),
        TIMED_GDIP(GdipTransformMatrixPoints, kOther),
        TIMED_GDIP(GdipResetPath, kOther),
        TIMED_GDIP(GdipStartPathFigure, kOther),
        TIMED_GDIP(GdipAddPathLine, kOther),
        TIMED_GDI(BitBlt, kBlit),
        TIMED_GDI(GdiFlush, kOther),
        TIMED_GDI(GetCurrentObject, kOther),
        TIMED_GDI(GetObjectW, kOther),
    };
    return all;
}

const Thunk* thunkNamed(const char* name) {
    for (const Thunk& candidate : thunks())
        if (std::strcmp(candidate.name, name) == 0) return &candidate;
    return nullptr;
}

// Replaces the import slots of the named DLL whose functions have a thunk.
int patchImports(uint8_t* base, const IMAGE_IMPORT_DESCRIPTOR* descriptor) {
    int patched = 0;
    auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + descriptor->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
        if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
        const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
        const Thunk* thunk = thunkNamed(reinterpret_cast<const char*>(byName->Name));
        if (thunk == nullptr) continue;
        void* target = reinterpret_cast<void*>(slots->u1.Function);
        if (target == thunk->replacement) continue;  // patched already
        *thunk->original = target;
        DWORD previous = 0;
        VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &previous);
        slots->u1.Function = reinterpret_cast<uintptr_t>(thunk->replacement);
        VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, previous, &previous);
        ++patched;
    }
    return patched;
}

double ticksPerMicrosecond() {
    static double rate = 0.0;
    if (rate > 0.0) return rate;
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    const uint64_t ticksStart = __rdtsc();
    do QueryPerformanceCounter(&now);
    while (now.QuadPart - start.QuadPart < frequency.QuadPart / 20);  // 50 ms
    const double microseconds = 1e6 * static_cast<double>(now.QuadPart - start.QuadPart) / frequency.QuadPart;
    rate = static_cast<double>(__rdtsc() - ticksStart) / microseconds;
    return rate;
}

}  // namespace

bool available() { return true; }

bool instrument(const std::string& modulePath, std::string& error) {
    const size_t slash = modulePath.find_last_of("/\\");
    const std::string fileName = slash == std::string::npos ? modulePath : modulePath.substr(slash + 1);
    auto* base = reinterpret_cast<uint8_t*>(GetModuleHandleA(fileName.c_str()));
    if (base == nullptr) {
        error = "module " + fileName + " is not loaded";
        return false;
    }
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    int patched = 0;
    for (auto* descriptor = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         descriptor->Name != 0; ++descriptor) {
        const char* dll = reinterpret_cast<const char*>(base + descriptor->Name);
        if (lstrcmpiA(dll, "gdiplus.dll") == 0 || lstrcmpiA(dll, "gdi32.dll") == 0)
            patched += patchImports(base, descriptor);
    }
    ticksPerMicrosecond();
    if (patched == 0) error = fileName + " imports none of the timed functions";
    return patched > 0;
}

void startAccount(int account) {
    current = &accounts[account];
    std::memset(current, 0, sizeof *current);
}

void startRedraw() { firstStrokePending = true; }

std::vector<ElementTime> perRedraw(int account, int redraws) {
    std::vector<ElementTime> elements;
    const double rate = ticksPerMicrosecond();
    for (int element = 0; element < kElementCount; ++element) {
        const Account& figures = accounts[account];
        if (figures.calls[element] == 0) continue;
        elements.push_back(ElementTime{kElementNames[element], figures.ticks[element] / rate / redraws,
                                       static_cast<double>(figures.calls[element]) / redraws});
    }
    current = nullptr;
    return elements;
}

}  // namespace quillon::frames::call_timing

#else

namespace quillon::frames::call_timing {
bool available() { return false; }
bool instrument(const std::string&, std::string& error) {
    error = "the call profile needs the 32-bit Windows build";
    return false;
}
void startAccount(int) {}
void startRedraw() {}
std::vector<ElementTime> perRedraw(int, int) { return {}; }
}  // namespace quillon::frames::call_timing

#endif
