// CopyRectWithKernel: the row-copy driver of the transitions. It hands a row kernel the first
// pixel of a source rectangle, the first pixel of the destination position, both row skips
// and the size; it clips nothing (the callers do). Both images are 32 bits per pixel.
#pragma once

#include <windows.h>

#include <cstdint>

class Image;

typedef void (*RowCopyKernel)(void* dst, const void* src, std::int32_t dstSkip,
                              std::int32_t srcSkip, std::int32_t width, std::int32_t height);

// An empty rectangle copies nothing.
void CopyRectWithKernel(RowCopyKernel kernel, Image* dst, std::int32_t dstX, std::int32_t dstY,
                        Image* src, const RECT& srcRect);
// KernelCopyMmx when the processor has MMX, else KernelCopy.
RowCopyKernel TransitionCopyKernel();
// CopyRectWithKernel with TransitionCopyKernel.
void CopyRect(Image* dst, std::int32_t dstX, std::int32_t dstY, Image* src, const RECT& srcRect);
