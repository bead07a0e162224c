#include "pixelops/library/library_object.h"

#include <new>

#include "pixelops/interfaces/pixel_op_words.h"
#include "pixelops/library/kernel_dispatch.h"
#include "pixelops/rects/rect_operations.h"
#include "pixelops/library/simd_selection.h"

namespace pixelops {

LastUpdatedRect g_lastUpdatedRect = {0, 0, 0, 0};
HostCopyRoutines g_hostCopyRoutines = {0, nullptr, nullptr, nullptr};

namespace {

// The signature is named so that an operation that drifts from its interface type fails to
// compile.
template <class Op>
PixelOperation Operation(Op operation) {
    return reinterpret_cast<PixelOperation>(operation);
}

// Words 2-26; word 8 is filled in by the copy form chosen at filling time.
const PixelOperation kRectOperations[kFirstKernelWord - kFirstOperationWord] = {
    Operation<FillRectArgbOp>(FillRectArgb),                      // 2
    Operation<FillRect8Op>(FillRect8),                            // 3
    Operation<FillRectColorOp>(FillRectColor),                    // 4
    Operation<FillRectColorWithAlphaOp>(FillRectColorWithAlpha),  // 5
    Operation<RemoveRectOpacityOp>(RemoveRectOpacity),            // 6
    Operation<SetRectAlphaOp>(SetRectAlpha),                      // 7
    nullptr,                                                      // 8
    Operation<BlendRectOp>(BlendRect),                            // 9
    Operation<StretchBlendRectOp>(StretchBlendRect),              // 10
    Operation<AffineBlendRectOp>(AffineBlendRect),                // 11
    Operation<AffineBlendRectMatrixOp>(AffineBlendRectMatrix),    // 12
    Operation<BoxBlurRectOp>(BoxBlurRect),                        // 13
    Operation<RectFilterOp>(FlipRectVertical),                    // 14
    Operation<RectFilterOp>(FlipRectVertical8),                   // 15
    Operation<RectFilterOp>(FlipRectHorizontal),                  // 16
    Operation<RectFilterOp>(FlipRectHorizontal8),                 // 17
    Operation<RectFilterOp>(GrayScaleRect),                       // 18
    Operation<AdjustGammaRectOp>(AdjustGammaRect),                // 19
    Operation<AdjustGammaRectOp>(AdjustGammaRectAdditiveAlpha),   // 20
    Operation<WholeBitmapOp>(ConvertAdditiveAlphaToAlphaRect),    // 21
    Operation<WholeBitmapOp>(ConvertAlphaToAdditiveAlphaRect),    // 22
    Operation<WholeBitmapColourOp>(BlendColorUnderRect),          // 23
    Operation<WholeBitmapColourOp>(KeyColorToAlphaRect),          // 24
    Operation<CrossfadeRectOp>(CrossfadeRect),                    // 25
    Operation<RuleTransitionRectOp>(RuleTransitionRect),          // 26
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
        library.m_operations[word - kFirstOperationWord] =
            kRectOperations[word - kFirstOperationWord];
    library.m_operations[kWordCopyRect - kFirstOperationWord] = Operation<CopyRectOp>(g_copyRect);
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
