// Per-thread COM initialisation for the DirectDraw, DirectSound and DirectInput holders: every
// thread counts its own initialisations, and COM is entered on the first and left on the last.
#pragma once

#include <cstdint>

// 0, or 1 when CoInitialize failed (nothing is counted then).
std::int32_t ComInitForThread();
// 0, or 1 when the calling thread has no count.
std::int32_t ComUninitForThread();
