#include "tests/pixelops/rects/test_surface.h"

#include "tests/pixelops/kernels/kernel_reference.h"

namespace pixelopstest {

TestSurface::TestSurface(std::int32_t width, std::int32_t height, int pixelSize, bool bottomUp)
    : m_pixelSize(pixelSize), m_stride(width * pixelSize + kPadBytes) {
    m_width = width;
    m_height = height;
    m_buffer.assign(static_cast<std::size_t>(m_stride) * (height > 0 ? height : 1), kPadding);
    m_pitch = bottomUp ? -m_stride : m_stride;
    m_bits = bottomUp ? m_buffer.data() + static_cast<std::size_t>(m_stride) * (height - 1)
                      : m_buffer.data();
    m_clipRect = RECT{0, 0, width, height};
    Fill(0);
}

void* XM_METHOD TestSurface::DeletingDestructor(std::uint32_t flags) {
    this->~TestSurface();
    if (flags & xm::kDeleteMemory) ::operator delete(this);
    return this;
}

RECT* XM_METHOD TestSurface::GetRect(RECT* out) {
    *out = RECT{0, 0, m_width, m_height};
    return out;
}

bool XM_METHOD TestSurface::SetClipRect(const RECT* rect) {
    m_clipRect = rect ? *rect : RECT{0, 0, m_width, m_height};
    return true;
}

RECT* XM_METHOD TestSurface::GetClipRect(RECT* out) {
    *out = m_clipRect;
    return out;
}

bool XM_METHOD TestSurface::ClipToClipRect(RECT* rect) {
    if (rect->left < m_clipRect.left) rect->left = m_clipRect.left;
    if (rect->top < m_clipRect.top) rect->top = m_clipRect.top;
    if (rect->right > m_clipRect.right) rect->right = m_clipRect.right;
    if (rect->bottom > m_clipRect.bottom) rect->bottom = m_clipRect.bottom;
    return rect->left < rect->right && rect->top < rect->bottom;
}

std::vector<pixelops::Pixel> TestSurface::Pixels() {
    std::vector<pixelops::Pixel> out;
    for (std::int32_t y = 0; y < m_height; ++y)
        for (std::int32_t x = 0; x < m_width; ++x) out.push_back(At(x, y));
    return out;
}

std::vector<std::uint8_t> TestSurface::Bytes() {
    std::vector<std::uint8_t> out;
    for (std::int32_t y = 0; y < m_height; ++y)
        for (std::int32_t x = 0; x < m_width; ++x) out.push_back(ByteAt(x, y));
    return out;
}

void TestSurface::SetPixels(const std::vector<pixelops::Pixel>& pixels) {
    std::size_t i = 0;
    for (std::int32_t y = 0; y < m_height; ++y)
        for (std::int32_t x = 0; x < m_width; ++x) At(x, y) = pixels[i++];
}

void TestSurface::Randomise(std::uint32_t seed) {
    Random random(seed);
    for (std::int32_t y = 0; y < m_height; ++y)
        for (std::int32_t x = 0; x < m_width; ++x) {
            if (m_pixelSize == 4)
                At(x, y) = random.NextPixel();
            else
                ByteAt(x, y) = static_cast<std::uint8_t>(random.Next());
        }
}

void TestSurface::Fill(pixelops::Pixel value) {
    for (std::int32_t y = 0; y < m_height; ++y)
        for (std::int32_t x = 0; x < m_width; ++x) {
            if (m_pixelSize == 4)
                At(x, y) = value;
            else
                ByteAt(x, y) = static_cast<std::uint8_t>(value);
        }
}

bool TestSurface::PaddingIntact() const {
    for (std::int32_t y = 0; y < (m_height > 0 ? m_height : 1); ++y)
        for (int i = 0; i < kPadBytes; ++i)
            if (m_buffer[static_cast<std::size_t>(y) * m_stride + m_width * m_pixelSize + i] !=
                kPadding)
                return false;
    return true;
}

}  // namespace pixelopstest
