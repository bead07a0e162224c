// Copies from device surfaces into DIB-section images: a Wine DirectDraw offscreen surface in
// system memory behind the one operation DirectDraw-backed surfaces add.
#include <ddraw.h>
#include <gtest/gtest.h>

#include <cstdint>

#include "graphics/image/direct_draw_backed.h"
#include "graphics/image/image.h"
#include "tests/graphics/blit_reference.h"
#include "tests/support/wine_direct_draw.h"

namespace {

constexpr std::uint32_t kColour = 0x00336699u;

// A DirectDraw-backed surface of the given kind over a plain offscreen surface, painted in one
// colour. Its pixels are not reachable by the CPU through Bits, as for video memory.
class OffscreenSurface final : public WithDeletingDestructor<OffscreenSurface, DirectDrawBacked> {
public:
    OffscreenSurface(IDirectDrawSurface7* surface, std::int32_t w, std::int32_t h, SurfaceKind kind)
        : m_surface(surface), m_kind(kind) {
        m_width = w;
        m_height = h;
        m_clipRect = RECT{0, 0, w, h};
    }
    SurfaceKind XM_METHOD Kind() override { return m_kind; }
    std::uint8_t* XM_METHOD Bits() override { return nullptr; }
    std::uint8_t* XM_METHOD Row(std::int32_t) override { return nullptr; }
    std::int32_t XM_METHOD SetColourKeyRgb(std::int32_t, std::int32_t, std::int32_t) override { return 1; }
    std::int32_t XM_METHOD SetColourKeyFromPixel(std::int32_t, std::int32_t) override { return 1; }
    std::int32_t XM_METHOD ClearColourKey() override { return 0; }
    std::int32_t XM_METHOD Restore(bool) override { return 0; }
    IDirectDrawSurface7* XM_METHOD GetSurface() override { return m_surface; }

private:
    IDirectDrawSurface7* m_surface;
    SurfaceKind m_kind;
};

class ImageFromSurface : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_direct.Ready());
        m_surface = m_direct.Surface();
        ASSERT_TRUE(m_direct.ForEachPixel([](DWORD, DWORD, std::uint8_t* pixel) {
            *reinterpret_cast<std::uint32_t*>(pixel) = kColour;
        }));
    }

    testsupport::OffscreenDirectDraw m_direct{20, 10, 32, 0x00FF0000, 0x0000FF00, 0x000000FF};
    IDirectDrawSurface7* m_surface = nullptr;
};

// Where the copy lands is pinned; Wine's stretched pixels are not, so the picture is one colour.
TEST_F(ImageFromSurface, CopiesCoverTheClippedRectangleOnly) {
    OffscreenSurface source(m_surface, 20, 10, kSurfaceDirectDrawImage);
    struct Case {
        const char* what;
        bool stretch;
        SIZE size;
        std::int32_t x, y;
        RECT src;
        RECT covered;
    };
    const Case cases[] = {
        {"inside", false, {}, 2, 3, {1, 1, 6, 4}, {2, 3, 7, 6}},
        {"cut at the left and top", false, {}, -2, -1, {0, 0, 5, 5}, {0, 0, 3, 4}},
        {"source beyond its surface", false, {}, 4, 4, {17, 8, 25, 20}, {4, 4, 7, 6}},
        {"stretched", true, {8, 6}, 1, 1, {0, 0, 4, 3}, {1, 1, 9, 7}},
        {"stretched past the right edge", true, {10, 4}, 8, 2, {2, 2, 7, 4}, {8, 2, 12, 6}},
    };
    for (const Case& c : cases) {
        Image image;
        blitref::MakeBackground(image, 12, 8, 32, true);
        const std::int32_t r = c.stretch ? image.StretchFromSurface(&source, &c.size, c.x, c.y, &c.src)
                                         : image.BltFromSurface(&source, c.x, c.y, &c.src);
        ASSERT_EQ(0, r) << c.what;
        for (std::int32_t y = 0; y < 8; ++y) {
            for (std::int32_t x = 0; x < 12; ++x) {
                const bool inside = blitref::Inside(c.covered, x, y);
                const std::uint32_t got = image.GetPixel(x, y);
                if (inside) {
                    EXPECT_EQ(kColour, got & 0x00FFFFFFu) << c.what << " at " << x << ", " << y;
                } else {
                    EXPECT_EQ(blitref::Background32(x, y), got) << c.what << " at " << x << ", " << y;
                }
            }
        }
        const DirtyRegion* dirty = image.GetDirtyRegion();
        ASSERT_EQ(1, dirty->Count()) << c.what;
        EXPECT_EQ(c.covered.left, dirty->Head()->left);
        EXPECT_EQ(c.covered.bottom, dirty->Head()->bottom);
    }
}

TEST_F(ImageFromSurface, SurfacesThatCannotBeReadAnswerOne) {
    Image dib, heap, other;
    ASSERT_EQ(0, dib.Create(4, 4, 32, kImageDibSection));
    ASSERT_EQ(0, heap.Create(4, 4, 32, 0));
    ASSERT_EQ(0, other.Create(4, 4, 32, 0));
    OffscreenSurface surface(m_surface, 20, 10, kSurfaceTextureImage);
    OffscreenSurface memory(m_surface, 20, 10, kSurfaceMemoryPixel);
    OffscreenSurface screen(m_surface, 20, 10, kSurfaceDirectDrawScreen);
    OffscreenSurface none(nullptr, 20, 10, kSurfaceDirectDrawImage);
    EXPECT_EQ(1, heap.BltFromSurface(&surface, 0, 0, nullptr)) << "no DIB section";
    EXPECT_EQ(1, dib.BltFromSurface(nullptr, 0, 0, nullptr));
    EXPECT_EQ(1, dib.BltFromSurface(&memory, 0, 0, nullptr));
    EXPECT_EQ(1, dib.BltFromSurface(&screen, 0, 0, nullptr));
    EXPECT_EQ(1, dib.StretchFromSurface(&none, nullptr, 0, 0, nullptr));
    EXPECT_EQ(0, dib.BltFromSurface(&surface, 10, 0, nullptr)) << "outside: nothing to draw";
    EXPECT_EQ(0, dib.BltFromSurface(&surface, 0, 0, nullptr));
    EXPECT_EQ(kColour, dib.GetPixel(3, 3) & 0x00FFFFFFu);
    // Software images go through the blits.
    other.FillValue(0x44556677u, nullptr);
    EXPECT_EQ(0, dib.BltFromSurface(&other, 1, 1, nullptr));
    EXPECT_EQ(0x44556677u, dib.GetPixel(2, 2));
    const SIZE size = {2, 2};
    EXPECT_EQ(0, dib.StretchFromSurface(&other, &size, 0, 0, nullptr));
}

}  // namespace
