// Every call of the stand-in into a routine of the module (gauge callbacks,
// mouse functions, element-list routines, module init and deinit) goes
// through callModule.
//
// The simulator is a 32-bit program that keeps the stack only 4-byte
// aligned and, as a Direct3D 9 program, may leave the x87 unit in single
// precision. In the 32-bit Windows build callModule makes every call so: the
// arguments start at 4, 8 and 12 modulo 16 in turn, and the x87 control word
// is kHostX87ControlWord during the call; the caller's own control word is
// restored afterwards. Elsewhere it is a plain call.
#pragma once

#include <cstdint>
#include <type_traits>

#include "host/HostTypes.h"

#if defined(_WIN32) && defined(__i386__)
#define SIM_HOST_CALLING_CONDITIONS 1
#else
#define SIM_HOST_CALLING_CONDITIONS 0
#endif

namespace sim {

// 24-bit precision, round to nearest, every exception masked.
constexpr uint16_t kHostX87ControlWord = 0x007f;

#if SIM_HOST_CALLING_CONDITIONS
// Calls a routine whose arguments are 32-bit words, in the host's
// conditions; returns what it left in EAX.
uint32_t callInHostConditions(const void* routine, const uint32_t* words, uint32_t count);

namespace detail {
template <typename T>
uint32_t asWord(T value) {
    static_assert(sizeof(T) == 4, "every argument of a host-called routine is one 32-bit word");
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<uintptr_t>(value);
    else
        return static_cast<uint32_t>(value);
}
}  // namespace detail
#endif

template <typename Result, typename... Params, typename... Args>
Result callModule(Result(HOST_API* routine)(Params...), Args... args) {
    static_assert(sizeof...(Params) == sizeof...(Args), "one argument per parameter");
#if SIM_HOST_CALLING_CONDITIONS
    const uint32_t words[sizeof...(Params) + 1] = {detail::asWord(static_cast<Params>(args))..., 0};
    const uint32_t result = callInHostConditions(reinterpret_cast<const void*>(routine), words, sizeof...(Params));
    if constexpr (std::is_void_v<Result>)
        static_cast<void>(result);
    else
        return static_cast<Result>(result);
#else
    return routine(static_cast<Params>(args)...);
#endif
}

}  // namespace sim
