// What the probe module records of each call the host makes into it.
#pragma once

#include <cstdint>

namespace probe {

enum Routine : uint32_t {
    kInit = 1,
    kDeinit,
    kGaugeCallback,
    kMouseFunction,
    kElementQuery,
    kElementInstall,
    kElementInitialize,
    kElementUpdate,
    kElementGenerate,
    kElementDraw,
    kElementKill,
    kRoutineEnd,
};

struct Record {
    uint32_t routine;
    uint32_t argumentsModulo16;  // where the caller put the arguments, modulo 16
    uint32_t controlWord;        // the x87 control word on entry
    uint32_t argument;           // service code, click x, or the element routine's value
};

constexpr uint32_t kCapacity = 256;

struct Log {
    uint32_t count;
    Record records[kCapacity];
};

// What every element routine returns: the routine's number plus this.
constexpr int32_t kElementResultBase = 100;

}  // namespace probe
