#include "pixelops/library_object.h"

#include <new>

#include "pixelops/kernel_dispatch.h"
#include "pixelops/simd_selection.h"

namespace pixelops {

LastUpdatedRect g_lastUpdatedRect = {0, 0, 0, 0};
HostCopyRoutines g_hostCopyRoutines = {0, nullptr, nullptr, nullptr};

namespace {

// The rectangle operations (words 2-26) are not part of this build. Their words answer as a
// failed call would: false for the boolean operations, -1 for those that answer a status.
// Every operation is __cdecl, so the caller removes whatever arguments it pushed.
std::int32_t QMXGL_CALL RectOperationUnavailable() { return 0; }
std::int32_t QMXGL_CALL RectStatusOperationUnavailable() { return -1; }

bool AnswersStatus(int word) {
    return word == 8 || word == 9 || word == 10 || word == 11 || word == 12 || word == 25 ||
           word == 26;
}

}  // namespace

PixelOpLibraryObject::PixelOpLibraryObject() {
    m_lastUpdatedRect = nullptr;
    for (PixelOperation& op : m_operations) op = nullptr;
}

void* XM_METHOD PixelOpLibraryObject::DeletingDestructor(std::uint32_t flags) {
    this->~PixelOpLibraryObject();
    if (flags & xm::kDeleteMemory) ::operator delete(this);
    return this;
}

int FillPixelOpLibrary(PixelOpLibrary& library, const CpuInfoRecord* record,
                       ProcessorProbe& probe) {
    InitPortableKernels();
    if (!ComposeCpuFeatureFlags(record, probe)) return 1;
    SelectSimdKernels();
    library.m_lastUpdatedRect = &g_lastUpdatedRect;
    for (int word = kFirstOperationWord; word < kFirstKernelWord; ++word) {
        library.m_operations[word - kFirstOperationWord] =
            AnswersStatus(word) ? reinterpret_cast<PixelOperation>(RectStatusOperationUnavailable)
                                : reinterpret_cast<PixelOperation>(RectOperationUnavailable);
    }
    for (int i = 0; i < kKernelSlotCount; ++i)
        library.m_operations[kFirstKernelWord - kFirstOperationWord + i] = KernelDispatch[i];
    return 0;
}

PixelOpLibrary* CreatePixelOpLibrary(const CpuInfoRecord* record, ProcessorProbe& probe) {
    void* memory = ::operator new(sizeof(PixelOpLibraryObject), std::nothrow);
    if (!memory) return nullptr;
    PixelOpLibraryObject* library = new (memory) PixelOpLibraryObject();
    if (FillPixelOpLibrary(*library, record, probe) != 0) {
        library->DeletingDestructor(xm::kDeleteMemory);
        return nullptr;
    }
    return library;
}

std::int32_t RegisterHostCopyRoutines(const HostCopyRoutines* routines) {
    if (!routines || routines->version != 0 || !routines->copyPixels || !routines->copyColor ||
        !routines->copyAlpha)
        return 1;
    g_hostCopyRoutines = *routines;
    return 0;
}

}  // namespace pixelops
