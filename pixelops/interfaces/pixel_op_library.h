// The qmxgl pixel-operation library as the game program sees it.
//
// The program loads qmxgl.dll by name, may register three rectangle-copy routines of its own
// with qmxglConfig (before GetLibrary), then asks GetLibrary for a library object. The object is
// a row of 235 32-bit words: word 0 the table with its one deleting-destructor slot, word 1 the
// address of the process-wide LastUpdatedRect, words 2-234 the operation pointers (words 2-26
// rectangle operations, 27-234 row kernels). The program copies the words right after creation
// and calls through its copies; every operation and export is __cdecl.
//
// Ownership: the object belongs to the library; the program deletes it through
// DeletingDestructor(xm::kDeleteMemory) (see PixelOpLibraryDelete) before unloading the DLL.
// Several objects may live at once; they share the library's tables. The library takes no
// locks: GetLibrary and qmxglConfig must not run while any operation runs.
#pragma once

#include <cstdint>

#include "framework/interfaces/cross_module.h"

struct CpuInfoRecord;

// Calling convention of the exports and of every operation word.
#define QMXGL_CALL XM_CDECL

// Rectangle written by every rectangle operation that draws; right and bottom exclusive.
struct LastUpdatedRect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

// Whole-rectangle copy routine of the host: (destination, source, destination skip in bytes,
// source skip in bytes, width in pixels, height in rows). A skip is pitch minus width times 4.
typedef void(QMXGL_CALL* HostCopyRoutine)(void* dst, const void* src, std::int32_t dstSkip,
                                          std::int32_t srcSkip, std::int32_t width,
                                          std::int32_t height);

struct HostCopyRoutines {
    std::int32_t version;  // must be 0
    HostCopyRoutine copyPixels;
    HostCopyRoutine copyColor;  // blue, green, red; destination alpha kept
    HostCopyRoutine copyAlpha;  // alpha only; destination colour kept
};

// Any operation word, before it is cast to its signature.
typedef void(QMXGL_CALL* PixelOperation)();

class PixelOpLibraryInterface {
public:
    // Slot 0. Bit 0 of `flags` frees the object with the library's own allocator.
    virtual void* XM_METHOD DeletingDestructor(std::uint32_t flags) = 0;

protected:
    PixelOpLibraryInterface() = default;
    ~PixelOpLibraryInterface() = default;
};

constexpr int kPixelOpWordCount = 235;
constexpr int kFirstOperationWord = 2;
constexpr int kFirstKernelWord = 27;
constexpr int kKernelSlotCount = 208;  // words 27-234

class PixelOpLibrary : public PixelOpLibraryInterface {
public:
    // Operation of word `word` (2-234).
    PixelOperation Word(int word) const { return m_operations[word - kFirstOperationWord]; }

    LastUpdatedRect* m_lastUpdatedRect;                                  // word 1
    PixelOperation m_operations[kPixelOpWordCount - kFirstOperationWord];  // words 2-234

protected:
    PixelOpLibrary() = default;
    ~PixelOpLibrary() = default;
};

inline void PixelOpLibraryDelete(PixelOpLibrary* library) {
    if (library) library->DeletingDestructor(xm::kDeleteMemory);
}

// The exports, by plain name.
typedef PixelOpLibrary*(QMXGL_CALL* GetLibraryProc)(const CpuInfoRecord* record);
typedef std::int32_t(QMXGL_CALL* QmxglConfigProc)(HostCopyRoutines routines);
typedef std::int32_t(QMXGL_CALL* QmxglConfig2Proc)(const HostCopyRoutines* routines);

constexpr const char kQmxglDllName[] = "qmxgl.dll";
constexpr const char kGetLibraryName[] = "GetLibrary";
constexpr const char kQmxglConfigName[] = "qmxglConfig";
constexpr const char kQmxglConfig2Name[] = "qmxglConfig2";

// Row-kernel signatures (words 27-234); pixels are 0xAARRGGBB words. A count of 0 or less
// does nothing. Opacities and ratios use their low byte.
namespace pixelops {

typedef std::uint32_t Pixel;

// plain: (dst, src, count[, opacity])
typedef void(QMXGL_CALL* RowKernel)(Pixel* dst, const Pixel* src, std::int32_t count);
typedef void(QMXGL_CALL* RowKernelOpacity)(Pixel* dst, const Pixel* src, std::int32_t count,
                                           std::uint32_t opacity);
// stretched: pixel i samples src[(x + i * step) >> 16]
typedef void(QMXGL_CALL* StretchKernel)(Pixel* dst, std::int32_t count, const Pixel* src,
                                        std::int32_t x, std::int32_t step);
typedef void(QMXGL_CALL* StretchKernelOpacity)(Pixel* dst, std::int32_t count, const Pixel* src,
                                               std::int32_t x, std::int32_t step,
                                               std::uint32_t opacity);
// bilinear stretched: rows y0 and y1, vertical fraction fy 0-255
typedef void(QMXGL_CALL* BilinearStretchKernel)(Pixel* dst, std::int32_t count, const Pixel* row0,
                                                const Pixel* row1, std::uint32_t fy,
                                                std::int32_t x, std::int32_t step);
typedef void(QMXGL_CALL* BilinearStretchKernelOpacity)(Pixel* dst, std::int32_t count,
                                                       const Pixel* row0, const Pixel* row1,
                                                       std::uint32_t fy, std::int32_t x,
                                                       std::int32_t step, std::uint32_t opacity);
// affine (also bilinear affine): pixel i samples row (v + i dv) >> 16, column (u + i du) >> 16
typedef void(QMXGL_CALL* AffineKernel)(Pixel* dst, std::int32_t count, const void* src,
                                       std::int32_t u, std::int32_t v, std::int32_t du,
                                       std::int32_t dv, std::int32_t srcPitch);
typedef void(QMXGL_CALL* AffineKernelOpacity)(Pixel* dst, std::int32_t count, const void* src,
                                              std::int32_t u, std::int32_t v, std::int32_t du,
                                              std::int32_t dv, std::int32_t srcPitch,
                                              std::uint32_t opacity);
typedef void(QMXGL_CALL* CrossfadeKernel)(Pixel* dst, const Pixel* src1, const Pixel* src2,
                                          std::int32_t count, std::uint32_t ratio);
typedef void(QMXGL_CALL* RuleTableKernel)(std::int32_t* table, std::int32_t phase,
                                          std::int32_t vague);
typedef void(QMXGL_CALL* RuleLineKernel)(Pixel* dst, const Pixel* src1, const Pixel* src2,
                                         const std::uint8_t* rule, const std::int32_t* table,
                                         std::int32_t count);
typedef void(QMXGL_CALL* RuleLineSwitchKernel)(Pixel* dst, const Pixel* src1, const Pixel* src2,
                                               const std::uint8_t* rule,
                                               const std::int32_t* table, std::int32_t count,
                                               std::int32_t copyFirstFrom,
                                               std::int32_t copySecondBelow);
// (row, colour, count): word 35 only
typedef void(QMXGL_CALL* ColourUnderKernel)(Pixel* row, std::uint32_t colour, std::int32_t count);
// (row, count): words 42, 43, 165, 166; (row, count) of bytes: word 164
typedef void(QMXGL_CALL* InPlaceKernel)(Pixel* row, std::int32_t count);
typedef void(QMXGL_CALL* InPlaceKernel8)(std::uint8_t* row, std::int32_t count);
// (row, count, value): fills, key colour, opacity removal
typedef void(QMXGL_CALL* ValueKernel)(Pixel* row, std::int32_t count, std::uint32_t value);
// (row, count, colour, opacity): words 105-107
typedef void(QMXGL_CALL* ColourOpacityKernel)(Pixel* row, std::int32_t count,
                                              std::uint32_t colour, std::uint32_t opacity);
// (dst, dstCount, src): line doubling
typedef void(QMXGL_CALL* LineDoubleKernel)(Pixel* dst, std::int32_t count, const Pixel* src);
typedef void(QMXGL_CALL* AverageLinesKernel)(Pixel* dst, std::int32_t count, const Pixel* a,
                                             const Pixel* b);
typedef void(QMXGL_CALL* MaskKernel)(Pixel* row, const std::uint8_t* mask, std::int32_t count);
typedef void(QMXGL_CALL* SwapKernel)(Pixel* a, Pixel* b, std::int32_t count);
typedef void(QMXGL_CALL* SwapKernel8)(std::uint8_t* a, std::uint8_t* b, std::int32_t count);
// Box blur: four counters (blue, green, red, alpha) per column.
typedef void(QMXGL_CALL* BoxSum16Kernel)(std::uint16_t* sums, const Pixel* entering,
                                         const Pixel* leaving, std::int32_t count);
typedef void(QMXGL_CALL* BoxSum32Kernel)(std::uint32_t* sums, const Pixel* entering,
                                         const Pixel* leaving, std::int32_t count);
typedef void(QMXGL_CALL* BoxAverage16Kernel)(Pixel* dst, std::uint16_t* running,
                                             const std::uint16_t* entering,
                                             const std::uint16_t* leaving, std::int32_t area,
                                             std::int32_t count);
typedef void(QMXGL_CALL* BoxAverage32Kernel)(Pixel* dst, std::uint32_t* running,
                                             const std::uint32_t* entering,
                                             const std::uint32_t* leaving, std::int32_t area,
                                             std::int32_t count);

// Nine words: red, green, blue, each {gamma, floor, ceiling}.
struct GammaChannel {
    float gamma;
    std::int32_t floor;
    std::int32_t ceiling;
};
struct GammaRecord {
    GammaChannel red;
    GammaChannel green;
    GammaChannel blue;
};
constexpr int kGammaTableSize = 768;  // blue 0-255, green 256-511, red 512-767
typedef void(QMXGL_CALL* InitGammaKernel)(std::uint8_t* table, const GammaRecord* record);
typedef void(QMXGL_CALL* ReleaseGammaKernel)(std::uint8_t* table);
typedef void(QMXGL_CALL* GammaLineKernel)(Pixel* row, std::int32_t count,
                                          const std::uint8_t* table);

// Layer mode m (0-15) and form f (0 plain, 1 opacity, 2 hold alpha, 3 hold alpha with opacity)
// sit in word 171 + 4m + f.
constexpr int kFirstLayerWord = 171;
constexpr int LayerWord(int mode, int form) { return kFirstLayerWord + 4 * mode + form; }

}  // namespace pixelops
