/* How native script code leaves to its caller: the results of the entry trampoline, and the
   lowest opcode word that is the native address of a compiled instruction. Shared by the
   templates (assembler, through the C preprocessor) and the C++ side, so plain defines only. */
#pragma once

/* The interpreter's own results, returned as they are. */
#define SOB_NATIVE_RETURNED 0
#define SOB_NATIVE_YIELDED 1
#define SOB_NATIVE_INVALID_SCRIPT 2
/* A check failed before the instruction at pc had any effect, or a transfer found its target
   not compiled: the interpreter goes on from pc. */
#define SOB_NATIVE_HAND_OVER 3
/* A command handler threw; pc is at the command and the exception waits to be thrown again. */
#define SOB_NATIVE_HANDLER_THREW 4

/* Opcode words 0-46 are instructions and 47 the trampoline's entry number; a compiled opcode
   word is the native address of its code, never below this. */
#define SOB_FIRST_NATIVE_WORD 48
