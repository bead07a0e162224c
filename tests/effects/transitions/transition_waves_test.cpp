// Sine stretches (2, 3) and row waves (23-26) against a piece model: in mode 2 the recorded
// pieces equal the model's list in order; in modes 0 and 1 the picture equals the model's
// pieces painted with the image primitives.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "effects/transitions/transition_routines.h"
#include "graphics/compose/math_tables.h"
#include "graphics/image/image.h"
#include "tests/effects/transitions/recording_surface_port.h"
#include "tests/support/coded_picture.h"

namespace {

using testsupport::CodedPicture;
using testsupport::PixelAt;
using transtest::DirectDrawPicture;
using transtest::RecordingSurfacePort;

struct ModelPiece {
    bool stretched;
    RECT rect;
    SIZE size;
    std::int32_t x, y;
};

// The wave routines' pieces, from their descriptions.
std::vector<ModelPiece> WaveModel(std::int32_t routine, std::int32_t w, std::int32_t h,
                                  std::int32_t p, std::int32_t x0, std::int32_t y0) {
    const std::int32_t* cos = g_mathTables->CosFixed();
    std::vector<ModelPiece> out;
    if (routine == 2 || routine == 3) {
        const std::int32_t lines = routine == 2 ? h : w;
        for (std::int32_t i = 0; i < lines; ++i) {
            const std::int32_t angle = static_cast<std::int32_t>((256LL * i) / lines - 128) & 511;
            const double f = 2.0 * cos[angle] * ((256 - p) / 256.0) / 65536.0 + 1.0;
            if (routine == 2) {
                const auto shift = static_cast<std::int32_t>((f - 1) * (w / 2));
                const auto width = static_cast<LONG>(f * w);
                if (width > 0) out.push_back({true, {0, i, w, i + 1}, {width, 1}, x0 - shift, y0 + i});
            } else {
                const auto shift = static_cast<std::int32_t>((f - 1) * (h / 2));
                const auto height = static_cast<LONG>(f * h);
                if (height > 0) out.push_back({true, {i, 0, i + 1, h}, {1, height}, x0 + i, y0 - shift});
            }
        }
        return out;
    }
    for (std::int32_t r = 0; r < h; ++r) {
        double o;
        switch (routine) {
            case 23: o = cos[r & 511] * (255.0 - p) * 2; break;
            case 24: o = cos[(r + 256) & 511] * (255.0 - p) * 2; break;
            case 25: o = cos[(8 * r) & 511] * (255.0 - p); break;
            default: o = cos[(8 * r + 256) & 511] * (255.0 - p); break;
        }
        out.push_back({false, {0, r, w, r + 1}, {0, 0},
                       x0 + static_cast<std::int32_t>(std::floor(o / 65536.0)), y0 + r});
    }
    return out;
}

class WaveRoutines : public ::testing::Test {
protected:
    void SetUp() override { g_mathTables = &m_tables; }
    void TearDown() override { g_mathTables = nullptr; }
    MathTables m_tables;
};

constexpr std::int32_t kWaves[] = {2, 3, 23, 24, 25, 26};
constexpr std::int32_t kPhases[] = {1, 2, 64, 127, 128, 129, 192, 255};
struct Shape {
    std::int32_t w, h;
};
constexpr Shape kShapes[] = {{13, 7}, {16, 8}, {1, 1}};

TEST_F(WaveRoutines, Mode2PiecesEqualTheModelsListInOrder) {
    for (std::int32_t routine : kWaves) {
        for (const Shape& shape : kShapes) {
            for (std::int32_t p : kPhases) {
                RecordingSurfacePort port;
                DirectDrawPicture destination, source;
                ASSERT_EQ(0, destination.Create(40, 30, 32, false));
                ASSERT_EQ(0, source.Create(shape.w, shape.h, 32, false));
                ASSERT_EQ(0, RunTransitionEffect(routine, &destination, &source, p, 7, -2, 0,
                                                 nullptr));
                const auto model = WaveModel(routine, shape.w, shape.h, p, 7, -2);
                ASSERT_EQ(model.size(), port.blits.size()) << routine << " p " << p;
                for (std::size_t i = 0; i < model.size(); ++i) {
                    const ModelPiece& m = model[i];
                    const transtest::PortBlit& b = port.blits[i];
                    SCOPED_TRACE(testing::Message() << "routine " << routine << " " << shape.w
                                                    << "x" << shape.h << " p " << p << " piece "
                                                    << i);
                    EXPECT_EQ(m.stretched, b.stretched);
                    EXPECT_EQ(m.x, b.x);
                    EXPECT_EQ(m.y, b.y);
                    EXPECT_EQ(m.rect.left, b.rect.left);
                    EXPECT_EQ(m.rect.top, b.rect.top);
                    EXPECT_EQ(m.rect.right, b.rect.right);
                    EXPECT_EQ(m.rect.bottom, b.rect.bottom);
                    if (m.stretched) {
                        EXPECT_EQ(m.size.cx, b.size.cx);
                        EXPECT_EQ(m.size.cy, b.size.cy);
                    }
                }
            }
        }
    }
}

TEST_F(WaveRoutines, ImageModesShowTheModelsPiecesDrawnInOrder) {
    for (std::int32_t routine : kWaves) {
        for (const Shape& shape : kShapes) {
            for (std::int32_t p : kPhases) {
                for (std::int32_t mode : {0, 1}) {
                    Image destination, expected, source;
                    ASSERT_TRUE(CodedPicture(destination, 30, 20, 0x55));
                    ASSERT_TRUE(CodedPicture(expected, 30, 20, 0x55));
                    ASSERT_TRUE(CodedPicture(source, shape.w, shape.h, 0x80));
                    for (const ModelPiece& m : WaveModel(routine, shape.w, shape.h, p, 6, 4)) {
                        RECT rect = m.rect;
                        SIZE size = m.size;
                        if (m.stretched && mode == 0)
                            expected.StretchBlit(&source, &size, m.x, m.y, &rect, false);
                        else if (m.stretched)
                            expected.StretchAlphaBlend(&source, &size, m.x, m.y, &rect, false);
                        else if (mode == 0)
                            expected.Blit(&source, m.x, m.y, &rect, false);
                        else
                            expected.AlphaBlend(&source, m.x, m.y, &rect, false);
                    }
                    ASSERT_EQ(0, RunTransitionEffect(routine, &destination, &source, p, 6, 4,
                                                     mode, nullptr));
                    for (std::int32_t y = 0; y < 20; ++y)
                        for (std::int32_t x = 0; x < 30; ++x)
                            ASSERT_EQ(PixelAt(expected, x, y), PixelAt(destination, x, y))
                                << "routine " << routine << " " << shape.w << "x" << shape.h
                                << " p " << p << " mode " << mode << " pixel " << x << "," << y;
                }
            }
        }
    }
}

TEST_F(WaveRoutines, RowWaveEdgeCasesAndTheOppositeWave) {
    RecordingSurfacePort port;
    DirectDrawPicture destination, source;
    ASSERT_EQ(0, destination.Create(40, 30, 32, false));
    ASSERT_EQ(0, source.Create(4, 512, 32, false));
    ASSERT_EQ(0, RunTransitionEffect(23, &destination, &source, 1, 0, 0, 0, nullptr));
    ASSERT_EQ(512u, port.blits.size());
    EXPECT_EQ(508, port.blits[0].x);
    EXPECT_EQ(0, port.blits[128].x);
    EXPECT_EQ(-508, port.blits[256].x);
    const std::vector<transtest::PortBlit> wave23 = port.blits;
    port.blits.clear();
    // 24 is 23 half a period on: row r of 24 moves as row r + 256 of 23.
    ASSERT_EQ(0, RunTransitionEffect(24, &destination, &source, 1, 0, 0, 0, nullptr));
    ASSERT_EQ(512u, port.blits.size());
    EXPECT_EQ(-508, port.blits[0].x);
    for (std::int32_t r = 0; r < 512; ++r) ASSERT_EQ(wave23[(r + 256) % 512].x, port.blits[r].x);
    // At 255 every row is in place.
    port.blits.clear();
    ASSERT_EQ(0, RunTransitionEffect(25, &destination, &source, 255, 3, 0, 0, nullptr));
    for (const auto& b : port.blits) ASSERT_EQ(3, b.x);
}

TEST_F(WaveRoutines, SineStretchAt255WidensTheMiddleRowByAboutOneHundredTwentyEighth) {
    RecordingSurfacePort port;
    DirectDrawPicture destination, source;
    ASSERT_EQ(0, destination.Create(40, 30, 32, false));
    ASSERT_EQ(0, source.Create(640, 2, 32, false));
    ASSERT_EQ(0, RunTransitionEffect(2, &destination, &source, 255, 10, 0, 0, nullptr));
    ASSERT_EQ(2u, port.blits.size());
    // Row 0: the sine is 0, the row keeps its width.
    EXPECT_EQ(640, port.blits[0].size.cx);
    EXPECT_EQ(10, port.blits[0].x);
    // Row 1 = H / 2: F = 1 + 2 / 256.
    EXPECT_EQ(645, port.blits[1].size.cx);
    EXPECT_EQ(8, port.blits[1].x);
}

TEST_F(WaveRoutines, WithoutMathTablesAnswerOneAfterTheWholeImageShortcut) {
    g_mathTables = nullptr;
    RecordingSurfacePort port;
    DirectDrawPicture destination, source;
    ASSERT_EQ(0, destination.Create(40, 30, 32, false));
    ASSERT_EQ(0, source.Create(13, 7, 32, false));
    for (std::int32_t routine : kWaves) {
        port.blits.clear();
        EXPECT_EQ(1, RunTransitionEffect(routine, &destination, &source, 128, 0, 0, 0, nullptr));
        EXPECT_TRUE(port.blits.empty());
        EXPECT_EQ(0, RunTransitionEffect(routine, &destination, &source, 0, 0, 0, 0, nullptr));
        EXPECT_EQ(0, RunTransitionEffect(routine, &destination, &source, 300, 0, 0, 0, nullptr));
        EXPECT_EQ(1u, port.blits.size());
    }
}

TEST_F(WaveRoutines, ProgressAtOrBelowZeroDrawsNothingAndFrom256ThePlainSource) {
    for (std::int32_t routine : kWaves) {
        for (std::int32_t p : {-1, 0, 256, 300}) {
            for (std::int32_t mode : {0, 1}) {
                Image destination, expected, source;
                ASSERT_TRUE(CodedPicture(destination, 30, 20, 0x55));
                ASSERT_TRUE(CodedPicture(expected, 30, 20, 0x55));
                ASSERT_TRUE(CodedPicture(source, 13, 7, 0x80));
                if (p >= 256 && mode == 0) expected.Blit(&source, -3, 15, nullptr, false);
                if (p >= 256 && mode == 1) expected.AlphaBlend(&source, -3, 15, nullptr, false);
                ASSERT_EQ(0, RunTransitionEffect(routine, &destination, &source, p, -3, 15, mode,
                                                 nullptr));
                for (std::int32_t y = 0; y < 20; ++y)
                    for (std::int32_t x = 0; x < 30; ++x)
                        ASSERT_EQ(PixelAt(expected, x, y), PixelAt(destination, x, y))
                            << routine << " p " << p;
            }
        }
    }
}

}  // namespace
