// The library object, its set-up and the process-wide state behind the three exports.
#pragma once

#include "pixelops/library/cpu_features.h"
#include "pixelops/interfaces/pixel_op_library.h"

namespace pixelops {

// Shared by every library object.
extern LastUpdatedRect g_lastUpdatedRect;
// The host's copy routines; copyPixels is null until a registration succeeds.
extern HostCopyRoutines g_hostCopyRoutines;

class PixelOpLibraryObject final : public PixelOpLibrary {
public:
    PixelOpLibraryObject();
    void* XM_METHOD DeletingDestructor(std::uint32_t flags) override;
};

static_assert(sizeof(PixelOpLibraryObject) == kPixelOpWordCount * 4,
              "the host reads the object as 235 words");

// Portable kernels and tables, feature word, kernel choice, then the object's words 1-234.
// 1 when the library's own detection faulted: then no word is written.
int FillPixelOpLibrary(PixelOpLibrary& library, const CpuInfoRecord* record, ProcessorProbe& probe);

// GetLibrary with the processor probe given: null when the object cannot be allocated or the
// detection faulted (never a half-filled object).
PixelOpLibrary* CreatePixelOpLibrary(const CpuInfoRecord* record, ProcessorProbe& probe);

// qmxglConfig2: 1 (nothing stored) for a version other than 0 or a null routine, else 0.
std::int32_t RegisterHostCopyRoutines(const HostCopyRoutines* routines);

}  // namespace pixelops
