#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "graphics/image/kernel_form.h"
#include "graphics/text/glyph_maths.h"

namespace {

// A heap glyph of the given rows; pitch bytes a row.
Glyph* MakeGlyph(std::int32_t width, std::int32_t height, std::int32_t pitch,
                 const std::vector<std::uint8_t>& bytes) {
    auto* g = new Glyph;
    g->width = width;
    g->height = height;
    g->pitch = pitch;
    g->bits = new std::uint8_t[pitch * height]();
    std::memcpy(g->bits, bytes.data(), std::min<std::size_t>(bytes.size(), pitch * height));
    return g;
}

struct GlyphDeleter {
    void operator()(Glyph* g) const { ReleaseGlyph(g); }
};
using GlyphPtr = std::unique_ptr<Glyph, GlyphDeleter>;

bool MonoBit(const Glyph& g, std::int32_t r, std::int32_t c) {
    return (g.bits[r * g.pitch + (c >> 3)] >> (7 - (c & 7))) & 1;
}

class KernelFormGuard {
public:
    explicit KernelFormGuard(KernelForm form) { ForceKernelForm(form); }
    ~KernelFormGuard() { ForceKernelForm(KernelForm::Detected); }
};

TEST(GlyphMaths, NormaliserOfEachWidth) {
    const std::int32_t expected[] = {65536, 6553, 1872, 819, 439, 262};
    for (std::int32_t a = 0; a < 6; ++a) {
        EXPECT_EQ(OutlineNormaliser(a), expected[a]) << "width " << a;
    }
    EXPECT_EQ(OutlineNormaliser(-1), 65536);
}

TEST(GlyphMaths, DiscIsOctagonal) {
    // Diagonals count about 1.4 times once they are long enough to show it.
    EXPECT_EQ(OutlineDistance(1, 1), 1);
    EXPECT_EQ(OutlineDistance(-2, 2), 2);
    EXPECT_EQ(OutlineDistance(3, -3), 4);
    EXPECT_EQ(OutlineDistance(10, 10), 10 + 0 + 3);
    EXPECT_EQ(OutlineDistance(0, -5), 5);
    EXPECT_EQ(OutlineDistance(128, 0), 128 - 1 - 4);
}

TEST(GlyphMaths, SoftWeightIsHeldBelowSignedSixteenBits) {
    // The default strength with width 1 would give 52,424.
    EXPECT_EQ(SoftOutlineWeight(1024, 1, 0, OutlineNormaliser(1)), 32767);
    EXPECT_EQ(SoftOutlineWeight(256, 2, 0, 1872), (256 * 3 * 1872) >> 8);
}

// Widening ORs each bit into the n pixels to its right; across byte boundaries too.
TEST(GlyphMaths, MonoWideningAcrossBytes) {
    for (std::int32_t width : {7, 8, 9}) {
        for (std::int32_t n : {1, 3, 8}) {
            const std::int32_t pitch = ((width + 7) / 8 + 3) & ~3;
            std::vector<std::uint8_t> rows(pitch * 2, 0);
            // Row 0: only the last pixel; row 1: the first pixel.
            rows[(width - 1) >> 3] = static_cast<std::uint8_t>(0x80 >> ((width - 1) & 7));
            rows[pitch] = 0x80;
            GlyphPtr g(MakeGlyph(width, 2, pitch, rows));
            g->x = 10;
            ASSERT_TRUE(WidenMono(*g, n));
            EXPECT_EQ(g->width, width + n);
            EXPECT_EQ(g->x, 10 - (n >> 1));
            for (std::int32_t c = 0; c < width + n; ++c) {
                EXPECT_EQ(MonoBit(*g, 0, c), c >= width - 1 && c <= width - 1 + n)
                    << "width " << width << " n " << n << " col " << c;
                EXPECT_EQ(MonoBit(*g, 1, c), c <= n) << "width " << width << " n " << n;
            }
        }
    }
}

TEST(GlyphMaths, GreyWideningRow) {
    // One row of width 5, n = 2: the first n kept, the middle the running maximum, the tail
    // the last n source values.
    GlyphPtr g(MakeGlyph(5, 1, 8, {10, 0, 0, 40, 20}));
    ASSERT_TRUE(WidenGrey(*g, 2));
    ASSERT_EQ(g->width, 7);
    EXPECT_EQ(g->pitch, 8);
    const std::uint8_t expected[] = {10, 0, 10, 40, 40, 40, 20};
    EXPECT_EQ(std::vector<std::uint8_t>(g->bits, g->bits + 7),
              std::vector<std::uint8_t>(expected, expected + 7));
    EXPECT_EQ(g->x, -1);
}

TEST(GlyphMaths, BlockReductionCountsAndDropsPartialBlocks) {
    // 9 x 5 one-bit glyph reduced by 4: 2 x 1 blocks; the first block full, the second half set.
    std::vector<std::uint8_t> rows(4 * 5, 0);
    for (int r = 0; r < 4; ++r) {
        rows[r * 4] = r < 2 ? 0xFF : 0xF0;
        rows[r * 4 + 1] = 0x80;  // column 8 lies in no whole block
    }
    GlyphPtr g(MakeGlyph(9, 5, 4, rows));
    ASSERT_TRUE(ReduceBlocks(*g, 4));
    ASSERT_EQ(g->width, 2);
    ASSERT_EQ(g->height, 1);
    EXPECT_EQ(g->bits[0], 16);
    EXPECT_EQ(g->bits[1], 8);

    GlyphPtr small(MakeGlyph(3, 9, 4, std::vector<std::uint8_t>(36, 0xFF)));
    ASSERT_TRUE(ReduceBlocks(*small, 4));
    EXPECT_EQ(small->width, 0);
    EXPECT_EQ(small->bits, nullptr);
}

TEST(GlyphMaths, LevelScalingSaturates) {
    struct Case {
        std::int32_t level;
        std::uint8_t in, out;
    } const cases[] = {{1, 0, 0}, {1, 15, 240}, {1, 16, 255}, {2, 63, 252}, {2, 64, 255}};
    for (KernelForm form : {KernelForm::Plain, KernelForm::Mmx}) {
        KernelFormGuard guard(form);
        for (const auto& c : cases) {
            std::uint8_t row[12];
            std::memset(row, c.in, sizeof(row));
            ScaleLevels(row, 12, 11, 1, c.level);
            EXPECT_EQ(row[0], c.out) << static_cast<int>(form);
            EXPECT_EQ(row[10], c.out) << static_cast<int>(form);
            EXPECT_EQ(row[11], c.in) << "beyond the width";
        }
    }
}

TEST(GlyphMaths, HardOutlineStampsTheDisc) {
    GlyphPtr g(MakeGlyph(1, 1, 4, {1}));
    ASSERT_TRUE(HardOutline(*g, 2));
    ASSERT_EQ(g->width, 5);
    ASSERT_EQ(g->height, 5);
    EXPECT_EQ(g->x, -2);
    EXPECT_EQ(g->y, -2);
    for (int r = 0; r < 5; ++r) {
        for (int c = 0; c < 5; ++c) {
            EXPECT_EQ(g->bits[r * g->pitch + c], OutlineDistance(c - 2, r - 2) <= 2 ? 255 : 0);
        }
    }
}

TEST(GlyphMaths, SoftOutlineOfOnePixel) {
    // Strength 256 is the normalised sum: a full pixel spreads to (a - D + 1) * N * 255 >> 16.
    GlyphPtr g(MakeGlyph(1, 1, 4, {255}));
    ASSERT_TRUE(SoftOutline(*g, 256, 1, OutlineNormaliser(1)));
    ASSERT_EQ(g->width, 3);
    EXPECT_EQ(g->bits[g->pitch + 1], (255 * SoftOutlineWeight(256, 1, 0, 6553)) >> 16);
    EXPECT_EQ(g->bits[0], (255 * SoftOutlineWeight(256, 1, 1, 6553)) >> 16);
    // The default strength saturates a full stroke's centre.
    GlyphPtr full(MakeGlyph(3, 3, 4, std::vector<std::uint8_t>(12, 255)));
    ASSERT_TRUE(SoftOutline(*full, 1024, 2, 1872));
    EXPECT_EQ(full->bits[3 * full->pitch + 3], 255);
}

TEST(GlyphMaths, SoftOutlineWidthZeroMapsThroughStrength) {
    GlyphPtr g(MakeGlyph(2, 1, 4, {255, 100}));
    ASSERT_TRUE(SoftOutline(*g, 128, 0, 65536));
    EXPECT_EQ(g->bits[0], 128);
    EXPECT_EQ(g->bits[1], (128 * 100 + 127) / 255);
}

TEST(GlyphMaths, MmxFormsEqualPlainOnRandomGlyphs) {
    std::mt19937 random(33);
    for (int round = 0; round < 20; ++round) {
        const std::int32_t w = 1 + random() % 37;
        const std::int32_t h = 1 + random() % 9;
        const std::int32_t pitch = (w + 3) & ~3;
        std::vector<std::uint8_t> bytes(pitch * h);
        for (auto& b : bytes) {
            b = static_cast<std::uint8_t>(random() % 3 == 0 ? 255 : random());
        }
        struct Setting {
            std::int32_t strength, width;
        } const settings[] = {{1024, 1}, {1024, 2}, {300, 3}, {2000, 1}};
        for (const auto& s : settings) {
            std::vector<std::uint8_t> results[2];
            for (KernelForm form : {KernelForm::Plain, KernelForm::Mmx}) {
                KernelFormGuard guard(form);
                GlyphPtr g(MakeGlyph(w, h, pitch, bytes));
                ASSERT_TRUE(SoftOutline(*g, s.strength, s.width, OutlineNormaliser(s.width)));
                results[form == KernelForm::Mmx].assign(g->bits, g->bits + g->pitch * g->height);
            }
            EXPECT_EQ(results[0], results[1]) << "round " << round << " strength " << s.strength;
        }
        std::vector<std::uint8_t> scaled[2] = {bytes, bytes};
        for (auto& b : scaled[0]) b %= 65;
        scaled[1] = scaled[0];
        {
            KernelFormGuard guard(KernelForm::Plain);
            ScaleLevels(scaled[0].data(), pitch, w, h, 2);
        }
        {
            KernelFormGuard guard(KernelForm::Mmx);
            ScaleLevels(scaled[1].data(), pitch, w, h, 2);
        }
        EXPECT_EQ(scaled[0], scaled[1]);
    }
}

TEST(GlyphMaths, ExpandMonoGivesOnlyFullAndEmpty) {
    GlyphPtr g(MakeGlyph(9, 1, 4, {0xA0, 0x80}));
    ASSERT_TRUE(ExpandMono(*g));
    const std::uint8_t expected[] = {255, 0, 255, 0, 0, 0, 0, 0, 255};
    EXPECT_EQ(std::vector<std::uint8_t>(g->bits, g->bits + 9),
              std::vector<std::uint8_t>(expected, expected + 9));
}

}  // namespace
