#include "pixelops/library_object.h"

#include <new>

#include "pixelops/interfaces/pixel_op_words.h"
#include "pixelops/kernel_dispatch.h"
#include "pixelops/rect_operations.h"
#include "pixelops/simd_selection.h"

namespace pixelops {

LastUpdatedRect g_lastUpdatedRect = {0, 0, 0, 0};
HostCopyRoutines g_hostCopyRoutines = {0, nullptr, nullptr, nullptr};

namespace {

template <class F>
PixelOperation Operation(F* operation) {
    return reinterpret_cast<PixelOperation>(operation);
}

// Words 2-26; word 8 is filled in by the copy form chosen at filling time.
const PixelOperation kRectOperations[kFirstKernelWord - kFirstOperationWord] = {
    Operation(FillRectArgb),                     // 2
    Operation(FillRect8),                        // 3
    Operation(FillRectColor),                    // 4
    Operation(FillRectColorWithAlpha),           // 5
    Operation(RemoveRectOpacity),                // 6
    Operation(SetRectAlpha),                     // 7
    nullptr,                                     // 8
    Operation(BlendRect),                        // 9
    Operation(StretchBlendRect),                 // 10
    Operation(AffineBlendRect),                  // 11
    Operation(AffineBlendRectMatrix),            // 12
    Operation(BoxBlurRect),                      // 13
    Operation(FlipRectVertical),                 // 14
    Operation(FlipRectVertical8),                // 15
    Operation(FlipRectHorizontal),               // 16
    Operation(FlipRectHorizontal8),              // 17
    Operation(GrayScaleRect),                    // 18
    Operation(AdjustGammaRect),                  // 19
    Operation(AdjustGammaRectAdditiveAlpha),     // 20
    Operation(ConvertAdditiveAlphaToAlphaRect),  // 21
    Operation(ConvertAlphaToAdditiveAlphaRect),  // 22
    Operation(BlendColorUnderRect),              // 23
    Operation(KeyColorToAlphaRect),              // 24
    Operation(CrossfadeRect),                    // 25
    Operation(RuleTransitionRect),               // 26
};

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
    // BlendRect and the transitions copy through the same form as word 8.
    g_copyRect = g_hostCopyRoutines.copyPixels ? CopyRectWithHostRoutines : CopyRectOwn;
    for (int word = kFirstOperationWord; word < kFirstKernelWord; ++word)
        library.m_operations[word - kFirstOperationWord] = kRectOperations[word - kFirstOperationWord];
    library.m_operations[kWordCopyRect - kFirstOperationWord] = Operation(g_copyRect);
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
