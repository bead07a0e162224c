// Library objects owned by a smart pointer, and objects whose kernels were chosen as for a
// processor offering exactly one form's instructions. Header-only: the pixel benchmark uses it
// too.
#pragma once

#include <memory>

#include "framework/system/cpu_info.h"
#include "pixelops/library/cpu_features.h"
#include "pixelops/library/library_object.h"
#include "pixelops/library/simd_selection.h"

namespace pixelopstest {

struct LibraryDeleter {
    void operator()(PixelOpLibrary* library) const { PixelOpLibraryDelete(library); }
};
using LibraryPtr = std::unique_ptr<PixelOpLibrary, LibraryDeleter>;

// The processor record whose feature bytes choose exactly `form`.
inline CpuInfoRecord RecordFor(pixelops::KernelForm form) {
    using namespace pixelops;
    CpuInfoRecord record = {};
    record.fpu = 1;
    if (form == kFormMmx || form == kFormMmxExt || form == kFormSse) record.mmx = 1;
    if (form == kFormMmxExt || form == kFormSse) record.mmxExt = 1;
    if (form == kFormSse) record.sse = 1;
    if (form == kFormCmov) record.cmov = 1;
    return record;
}

// A library object whose kernels were chosen for exactly `form` (the feature word is cleared
// first, since records only add bits to it).
inline LibraryPtr LibraryFor(pixelops::KernelForm form) {
    pixelops::CpuFeatureFlags = 0;
    const CpuInfoRecord record = RecordFor(form);
    pixelops::HardwareProcessorProbe probe;
    return LibraryPtr(pixelops::CreatePixelOpLibrary(&record, probe));
}

}  // namespace pixelopstest
