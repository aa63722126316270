// A 32-bit simulator on a heavy panel has little of its address space left
// for a gauge module. The Windows stand-in can leave the module just as
// little: it reserves (without committing) every free region of the process
// but one block of the size asked for, so that every later allocation, the
// module's and GDI+'s, must fit into that block.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sim {

struct AddressSpaceLeft {
    uint64_t freeBytes = 0;     // all free regions together
    uint64_t largestBlock = 0;  // the largest of them
    int blocks = 0;             // regions of at least the allocation granularity
};

// What is free in the process now.
AddressSpaceLeft addressSpaceLeft();

// Reserves all free address space but one block of `leaveBytes` (rounded to
// the allocation granularity), kept for the rest of the process's life.
// Returns false, reserving nothing more, when no free region is that large.
bool reserveAllAddressSpaceBut(size_t leaveBytes);

// Live heap blocks of the process, all heaps together (the C runtime's and
// the system's, which GDI+ allocates from): what is left alive after a
// module was unloaded.
struct HeapInUse {
    uint64_t blocks = 0;
    uint64_t bytes = 0;
};
HeapInUse heapInUse();

}  // namespace sim
