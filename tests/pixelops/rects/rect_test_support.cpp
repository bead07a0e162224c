#include "tests/pixelops/rects/rect_test_support.h"

#include <utility>

namespace pixelopstest {

using pixelops::Pixel;

namespace {

constexpr Pixel kMarkerTag = 0xABCD0000;

template <int Word>
void QMXGL_CALL RowMarker(Pixel* dst, const Pixel*, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i) dst[i] = kMarkerTag | Word;
}
template <int Word>
void QMXGL_CALL SpanMarker(Pixel* dst, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i) dst[i] = kMarkerTag | Word;
}

template <std::size_t... I>
void Install(bool rows, std::index_sequence<I...>) {
    const ::PixelOperation markers[] = {
        (rows ? reinterpret_cast<::PixelOperation>(RowMarker<kFirstKernelWord + I>)
              : reinterpret_cast<::PixelOperation>(SpanMarker<kFirstKernelWord + I>))...};
    for (std::size_t i = 0; i < sizeof...(I); ++i) pixelops::KernelDispatch[i] = markers[i];
}

}  // namespace

void InstallMarkerKernels(bool rowSignature) {
    Install(rowSignature, std::make_index_sequence<kKernelSlotCount>());
}

int MarkerWord(Pixel p) {
    return (p & 0xFFFF0000) == kMarkerTag ? static_cast<int>(p & 0xFFFF) : 0;
}

}  // namespace pixelopstest
