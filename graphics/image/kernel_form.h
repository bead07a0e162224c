// Which form of a kernel pair the graphics core runs: the MMX form when the processor record
// has its MMX byte set, unless a form has been forced (tests force each form in turn; the program
// never does).
#pragma once

#include <cstdint>

enum class KernelForm : std::uint8_t {
    Detected,  // by the processor record
    Plain,
    Mmx,
};

void ForceKernelForm(KernelForm form);
bool UseMmxKernels();
