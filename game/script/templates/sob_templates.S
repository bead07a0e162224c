/* Machine-code templates of the SOB template compiler: one per instruction (0-46) and the entry
   trampoline (47), each in a section of its own named sobNN, ending at the symbol sobNN_end, with
   the number of operand words after the opcode word in the absolute symbol sobNN_operands (0x100:
   a list of words ending with -1 follows them).

   A hole is a 32-bit absolute reference to one of the marker symbols below; the build turns each
   into the template code that the compiler fills in:
     sob_cur0 .. sob_cur3   address of word n of this instruction (0 is the opcode word)
     sob_next0              address of the next instruction (after the last: the end of the range)
     sob_pc, sob_sp, sob_acc            the bound context's pc, stack pointer and accumulator
     sob_stack_base, sob_stack_end      the context's fields holding the stack's first word and
                                        the address after its last word
     sob_invoke             the routine that calls a command handler (see SobInvokeCommand)
     sob_range_start, sob_range_length  the compiled range's first byte and its length in bytes
     sob_starts             the range's table of instruction starts: the word for byte offset n
                            is the native address of the instruction at n, else 0
     sob_resolve            the routine that finds a transfer's target in the other compiled
                            ranges (see SobResolveTarget)

   The native code keeps no machine state between instructions: operands are read from the image
   when the instruction runs (scripts pass values by rewriting later operands) and the VM stack
   pointer lives in the context, so a handler may re-enter the context. Only eax, ecx, edx and
   ebx are used; the trampoline saves ebx, esi and edi, and every exit restores them.

   Every check the interpreter makes comes before any effect; a failed one stores this
   instruction's address in pc and hands over to the interpreter, which then faults exactly as
   it would have. A transfer whose target is 0 or not compiled stores the target in pc and hands
   over the same way. A target whose opcode word is 48 or more is taken only when it is the start
   of an instruction compiled for this context with that word as its native address: an operand
   word or a word that a script rewrote would otherwise be jumped to as if it were native code.
   Jumps stay inside their template: a jump to another section would leave a
   relocation that the build refuses. */

#include "game/script/templates/native_exit.h"

    .intel_syntax noprefix

.macro TEMPLATE number, operands
    .section sob\number,"xr"
    .globl sob\number\()_operands
    .set sob\number\()_operands, \operands
.endm

.macro END_TEMPLATE number
    .globl sob\number\()_end
sob\number\()_end:
.endm

.macro EXIT result
    mov eax, \result
    pop edi
    pop esi
    pop ebx
    ret
.endm

/* The fault path of a template, at its label 9. */
.macro FAULT
9:  mov dword ptr [sob_pc], offset sob_cur0
    EXIT SOB_NATIVE_HAND_OVER
.endm

/* Straight-line templates end by stepping over their fault path into the next instruction. */
.macro FAULT_AND_GO_ON
    jmp 2f
    FAULT
2:
.endm

/* Jumps to the native code of the instruction at the bytecode address in eax: directly when it
   is an instruction of this range, through sob_resolve when it lies elsewhere. */
.macro TRANSFER
    test eax, eax
    jz 8f
    mov edx, dword ptr [eax]
    cmp edx, SOB_FIRST_NATIVE_WORD
    jb 8f
    test al, 3
    jnz 5f
    mov ecx, eax
    sub ecx, offset sob_range_start
    cmp ecx, offset sob_range_length
    jae 5f
    cmp edx, dword ptr [ecx + sob_starts]
    jne 5f
    jmp edx
5:  mov ebx, eax
    push offset sob_pc
    push eax
    mov eax, offset sob_resolve
    call eax
    add esp, 8
    test eax, eax
    jz 4f
    jmp eax
4:  mov eax, ebx
8:  mov dword ptr [sob_pc], eax
    EXIT SOB_NATIVE_HAND_OVER
.endm

/* edx = address of the stack word eax bytes below the stack pointer; the word may be the one
   at the stack pointer, but must lie inside the stack. */
.macro STACK_WORD
    test al, 3
    jnz 9f
    mov edx, dword ptr [sob_sp]
    mov ecx, edx
    sub ecx, dword ptr [sob_stack_base]
    cmp eax, ecx
    ja 9f
    sub edx, eax
    cmp edx, dword ptr [sob_stack_end]
    jae 9f
.endm

/* eax = the word popped; the stack must not be empty. */
.macro POP_WORD
    mov edx, dword ptr [sob_sp]
    cmp edx, dword ptr [sob_stack_base]
    jbe 9f
    sub edx, 4
    mov dword ptr [sob_sp], edx
    mov eax, dword ptr [edx]
.endm

/* edx = the stack pointer, with room for one more word. */
.macro ROOM_TO_PUSH
    mov edx, dword ptr [sob_sp]
    cmp edx, dword ptr [sob_stack_end]
    jae 9f
.endm

.macro PUSH_EAX
    mov dword ptr [edx], eax
    add edx, 4
    mov dword ptr [sob_sp], edx
.endm

/* ecx = the address in operand \word, which must not be 0. */
.macro ADDRESS_OPERAND word
    mov ecx, dword ptr [sob_cur\word]
    test ecx, ecx
    jz 9f
.endm

/* [c] = a op b for the two-operand forms of op. */
.macro BINARY number, op
    TEMPLATE \number, 3
    ADDRESS_OPERAND 3
    mov eax, dword ptr [sob_cur1]
    \op eax, dword ptr [sob_cur2]
    mov dword ptr [ecx], eax
    FAULT_AND_GO_ON
    END_TEMPLATE \number
.endm

/* [c] = 1 when a cc b (signed), else 0. */
.macro COMPARE number, set
    TEMPLATE \number, 3
    ADDRESS_OPERAND 3
    mov eax, dword ptr [sob_cur1]
    xor edx, edx
    cmp eax, dword ptr [sob_cur2]
    \set dl
    mov dword ptr [ecx], edx
    FAULT_AND_GO_ON
    END_TEMPLATE \number
.endm

/* Division 16-18: b = 0 and the smallest integer by -1 fault; leaves the quotient in eax and
   the remainder in edx, and the result address in ecx. */
.macro DIVIDE
    mov ecx, dword ptr [sob_cur2]
    test ecx, ecx
    jz 9f
    mov eax, dword ptr [sob_cur1]
    cmp ecx, -1
    jne 1f
    cmp eax, 0x80000000
    je 9f
1:  cmp dword ptr [sob_cur3], 0
    je 9f
    cdq
    idiv ecx
    mov ecx, dword ptr [sob_cur3]
.endm

/* [c] = a shifted by b (the count modulo 32, as the processor takes it). */
.macro SHIFT number, op
    TEMPLATE \number, 3
    mov edx, dword ptr [sob_cur3]
    test edx, edx
    jz 9f
    mov eax, dword ptr [sob_cur1]
    mov ecx, dword ptr [sob_cur2]
    \op eax, cl
    mov dword ptr [edx], eax
    FAULT_AND_GO_ON
    END_TEMPLATE \number
.endm

/* [a] = [a] op 1 and S(a) = S(a) op 1. */
.macro STEP_MEMORY number, op
    TEMPLATE \number, 1
    ADDRESS_OPERAND 1
    \op dword ptr [ecx], 1
    FAULT_AND_GO_ON
    END_TEMPLATE \number
.endm

.macro STEP_STACK number, op
    TEMPLATE \number, 1
    mov eax, dword ptr [sob_cur1]
    STACK_WORD
    \op dword ptr [edx], 1
    FAULT_AND_GO_ON
    END_TEMPLATE \number
.endm

/* Stack pointer += or -= a bytes; whole words, and it stays inside the stack. */
.macro MOVE_STACK number, op
    TEMPLATE \number, 1
    mov eax, dword ptr [sob_cur1]
    test al, 3
    jnz 9f
    mov ecx, dword ptr [sob_stack_base]
    mov edx, dword ptr [sob_sp]
    sub edx, ecx
    \op edx, eax
    jo 9f
    mov eax, dword ptr [sob_stack_end]
    sub eax, ecx
    cmp edx, eax
    ja 9f
    add edx, ecx
    mov dword ptr [sob_sp], edx
    FAULT_AND_GO_ON
    END_TEMPLATE \number
.endm

/* 0 stop: pc after it, yield. */
    TEMPLATE 00, 0
    mov dword ptr [sob_pc], offset sob_next0
    EXIT SOB_NATIVE_YIELDED
    END_TEMPLATE 00

/* 1 return: the 0 mark ends the run with pc after the instruction. */
    TEMPLATE 01, 0
    POP_WORD
    test eax, eax
    jz 7f
    TRANSFER
7:  mov dword ptr [sob_pc], offset sob_next0
    EXIT SOB_NATIVE_RETURNED
    FAULT
    END_TEMPLATE 01

/* 2 return with value: at the 0 mark the accumulator is left as it is. */
    TEMPLATE 02, 1
    POP_WORD
    test eax, eax
    jz 7f
    mov ecx, dword ptr [sob_cur1]
    mov dword ptr [sob_acc], ecx
    TRANSFER
7:  mov dword ptr [sob_pc], offset sob_next0
    EXIT SOB_NATIVE_RETURNED
    FAULT
    END_TEMPLATE 02

/* 3 [a] = accumulator */
    TEMPLATE 03, 1
    ADDRESS_OPERAND 1
    mov eax, dword ptr [sob_acc]
    mov dword ptr [ecx], eax
    FAULT_AND_GO_ON
    END_TEMPLATE 03

/* 4 call: push the bytecode address of the next instruction, go to a. */
    TEMPLATE 04, 1
    ROOM_TO_PUSH
    mov eax, offset sob_next0
    PUSH_EAX
    mov eax, dword ptr [sob_cur1]
    TRANSFER
    FAULT
    END_TEMPLATE 04

/* 5 command call: [c] = a(b). The result operand is read again after the handler, which may
   have rewritten it; 0 then is an invalid script with pc at the command, since handing over
   would call the handler a second time. */
    TEMPLATE 05, 3
    mov eax, dword ptr [sob_cur1]
    test eax, eax
    jz 9f
    cmp dword ptr [sob_cur3], 0
    je 9f
    push dword ptr [sob_cur2]
    push eax
    mov eax, offset sob_invoke
    call eax
    add esp, 8
    test edx, edx
    jnz 6f
    mov ecx, dword ptr [sob_cur3]
    test ecx, ecx
    jz 7f
    mov dword ptr [ecx], eax
    jmp 2f
6:  mov dword ptr [sob_pc], offset sob_cur0
    EXIT SOB_NATIVE_HANDLER_THREW
7:  mov dword ptr [sob_pc], offset sob_cur0
    EXIT SOB_NATIVE_INVALID_SCRIPT
    FAULT
2:
    END_TEMPLATE 05

/* 6 jump */
    TEMPLATE 06, 1
    mov eax, dword ptr [sob_cur1]
    TRANSFER
    END_TEMPLATE 06

/* 7 table jump: entry a, counting from 1, of the list after a; 0 and an entry past the list's
   -1 fault. */
    TEMPLATE 07, 0x101
    mov ecx, dword ptr [sob_cur1]
    test ecx, ecx
    jz 9f
    mov edx, offset sob_cur1
1:  add edx, 4
    cmp dword ptr [edx], -1
    je 9f
    dec ecx
    jnz 1b
    mov eax, dword ptr [edx]
    TRANSFER
    FAULT
    END_TEMPLATE 07

/* 8 push a */
    TEMPLATE 08, 1
    ROOM_TO_PUSH
    mov eax, dword ptr [sob_cur1]
    PUSH_EAX
    FAULT_AND_GO_ON
    END_TEMPLATE 08

/* 9 push [a] */
    TEMPLATE 09, 1
    ADDRESS_OPERAND 1
    ROOM_TO_PUSH
    mov eax, dword ptr [ecx]
    PUSH_EAX
    FAULT_AND_GO_ON
    END_TEMPLATE 09

/* 10 pop into [a] */
    TEMPLATE 10, 1
    ADDRESS_OPERAND 1
    POP_WORD
    mov dword ptr [ecx], eax
    FAULT_AND_GO_ON
    END_TEMPLATE 10

    MOVE_STACK 11, add
    MOVE_STACK 12, sub

    BINARY 13, add
    BINARY 14, sub
    BINARY 15, imul

/* 16 quotient, 17 remainder with the sign of a, 18 remainder plus b when negative */
    TEMPLATE 16, 3
    DIVIDE
    mov dword ptr [ecx], eax
    FAULT_AND_GO_ON
    END_TEMPLATE 16

    TEMPLATE 17, 3
    DIVIDE
    mov dword ptr [ecx], edx
    FAULT_AND_GO_ON
    END_TEMPLATE 17

    TEMPLATE 18, 3
    DIVIDE
    test edx, edx
    jns 3f
    add edx, dword ptr [sob_cur2]
3:  mov dword ptr [ecx], edx
    FAULT_AND_GO_ON
    END_TEMPLATE 18

    BINARY 19, and
    BINARY 20, or
    BINARY 21, xor

/* 22 [b] = NOT a */
    TEMPLATE 22, 2
    ADDRESS_OPERAND 2
    mov eax, dword ptr [sob_cur1]
    not eax
    mov dword ptr [ecx], eax
    FAULT_AND_GO_ON
    END_TEMPLATE 22

/* 23 [b] = 1 when a = 0 */
    TEMPLATE 23, 2
    ADDRESS_OPERAND 2
    xor eax, eax
    cmp dword ptr [sob_cur1], 0
    sete al
    mov dword ptr [ecx], eax
    FAULT_AND_GO_ON
    END_TEMPLATE 23

    SHIFT 24, sar
    SHIFT 25, shl

    STEP_MEMORY 26, add
    STEP_MEMORY 27, sub
    STEP_STACK 28, add
    STEP_STACK 29, sub

/* 30 go to b when a = 0 */
    TEMPLATE 30, 2
    cmp dword ptr [sob_cur1], 0
    jne 2f
    mov eax, dword ptr [sob_cur2]
    TRANSFER
2:
    END_TEMPLATE 30

/* 31 [b] = a */
    TEMPLATE 31, 2
    ADDRESS_OPERAND 2
    mov eax, dword ptr [sob_cur1]
    mov dword ptr [ecx], eax
    FAULT_AND_GO_ON
    END_TEMPLATE 31

/* 32 [b] = [a] */
    TEMPLATE 32, 2
    mov eax, dword ptr [sob_cur1]
    test eax, eax
    jz 9f
    ADDRESS_OPERAND 2
    mov eax, dword ptr [eax]
    mov dword ptr [ecx], eax
    FAULT_AND_GO_ON
    END_TEMPLATE 32

/* 33 [[b]] = a */
    TEMPLATE 33, 2
    ADDRESS_OPERAND 2
    mov ecx, dword ptr [ecx]
    test ecx, ecx
    jz 9f
    mov eax, dword ptr [sob_cur1]
    mov dword ptr [ecx], eax
    FAULT_AND_GO_ON
    END_TEMPLATE 33

/* 34 S(b) = a */
    TEMPLATE 34, 2
    mov eax, dword ptr [sob_cur2]
    STACK_WORD
    mov eax, dword ptr [sob_cur1]
    mov dword ptr [edx], eax
    FAULT_AND_GO_ON
    END_TEMPLATE 34

/* 35 [b] = S(a) */
    TEMPLATE 35, 2
    mov eax, dword ptr [sob_cur1]
    STACK_WORD
    ADDRESS_OPERAND 2
    mov eax, dword ptr [edx]
    mov dword ptr [ecx], eax
    FAULT_AND_GO_ON
    END_TEMPLATE 35

/* 36 S(b) = [a] */
    TEMPLATE 36, 2
    mov eax, dword ptr [sob_cur2]
    STACK_WORD
    ADDRESS_OPERAND 1
    mov eax, dword ptr [ecx]
    mov dword ptr [edx], eax
    FAULT_AND_GO_ON
    END_TEMPLATE 36

/* 37 S(b) = S(a) */
    TEMPLATE 37, 2
    mov eax, dword ptr [sob_cur2]
    STACK_WORD
    mov ebx, edx
    mov eax, dword ptr [sob_cur1]
    STACK_WORD
    mov eax, dword ptr [edx]
    mov dword ptr [ebx], eax
    FAULT_AND_GO_ON
    END_TEMPLATE 37

/* 38 [b] = [S(a)] */
    TEMPLATE 38, 2
    mov eax, dword ptr [sob_cur1]
    STACK_WORD
    mov eax, dword ptr [edx]
    test eax, eax
    jz 9f
    ADDRESS_OPERAND 2
    mov eax, dword ptr [eax]
    mov dword ptr [ecx], eax
    FAULT_AND_GO_ON
    END_TEMPLATE 38

/* 39 [b] = [[a]] */
    TEMPLATE 39, 2
    mov eax, dword ptr [sob_cur1]
    test eax, eax
    jz 9f
    mov eax, dword ptr [eax]
    test eax, eax
    jz 9f
    ADDRESS_OPERAND 2
    mov eax, dword ptr [eax]
    mov dword ptr [ecx], eax
    FAULT_AND_GO_ON
    END_TEMPLATE 39

/* 40 [b] = stack pointer - a */
    TEMPLATE 40, 2
    ADDRESS_OPERAND 2
    mov eax, dword ptr [sob_sp]
    sub eax, dword ptr [sob_cur1]
    mov dword ptr [ecx], eax
    FAULT_AND_GO_ON
    END_TEMPLATE 40

    COMPARE 41, setl
    COMPARE 42, setle
    COMPARE 43, setg
    COMPARE 44, setge
    COMPARE 45, sete
    COMPARE 46, setne

/* 47 the entry trampoline, called as a cdecl function without arguments: saves the registers
   that the templates may change and goes on at pc. */
    TEMPLATE 47, 0
    push ebx
    push esi
    push edi
    mov eax, dword ptr [sob_pc]
    TRANSFER
    END_TEMPLATE 47
