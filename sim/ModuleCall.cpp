#include "sim/ModuleCall.h"

#if SIM_HOST_CALLING_CONDITIONS

extern "C" uint32_t simCallAtStackOffset(const void* routine, const uint32_t* words, uint32_t count,
                                         uint32_t offset, const uint16_t* controlWord);

// Copies the argument words to a block that starts at `offset` modulo 16,
// loads the host's control word, calls, then restores the caller's control
// word and stack whatever the routine popped (stdcall pops its arguments).
asm(R"(
    .text
    .globl _simCallAtStackOffset
_simCallAtStackOffset:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    subl $4, %esp
    fnstcw (%esp)
    movl 8(%ebp), %ebx
    movl 12(%ebp), %esi
    movl 16(%ebp), %ecx
    leal 0(,%ecx,4), %eax
    movl %esp, %edi
    subl %eax, %edi
    subl $32, %edi
    andl $-16, %edi
    addl 20(%ebp), %edi
    movl %edi, %esp
    cld
    rep movsl
    movl 24(%ebp), %eax
    fldcw (%eax)
    call *%ebx
    fldcw -16(%ebp)
    leal -12(%ebp), %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
)");

namespace sim {

uint32_t callInHostConditions(const void* routine, const uint32_t* words, uint32_t count) {
    // Each misalignment in turn, so that a run meets all three.
    static constexpr uint32_t kOffsets[] = {4, 8, 12};
    static unsigned next = 0;
    const uint32_t offset = kOffsets[next];
    next = (next + 1) % 3;
    return simCallAtStackOffset(routine, words, count, offset, &kHostX87ControlWord);
}

}  // namespace sim

#endif
