// The wipe, shape, dissolve and moving-cell transition routines against the piece model: in
// the two Image modes pixel by pixel over a coordinate-coded destination (drawn inside, at
// negative offsets and past the edges), in the DirectDraw mode as the recorded list of blits.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "effects/transitions/transition_random.h"
#include "effects/transitions/transition_routines.h"
#include "graphics/compose/math_tables.h"
#include "graphics/image/image.h"
#include "tests/effects/transitions/recording_surface_port.h"
#include "tests/effects/transitions/transition_drawing_model.h"
#include "tests/support/coded_picture.h"
#include "tests/support/fake_clock.h"

namespace {

using testsupport::CodedPicture;
using testsupport::PixelAt;
using testsupport::SubtractiveModel;
using transtest::DirectDrawPicture;
using transtest::ModelPiece;
using transtest::ModelRoutinePieces;
using transtest::ModelWorld;
using transtest::PieceList;
using transtest::RecordingSurfacePort;
using transtest::TextBitmapPicture;

constexpr std::int32_t kTargetWidth = 24;
constexpr std::int32_t kTargetHeight = 14;
constexpr std::uint32_t kSeed = 987654;

const std::int32_t kRoutines[] = {0,  1,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17,
                                  18, 19, 20, 21, 22, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37,
                                  38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 54,
                                  55, 56, 57, 58, 59, 60, 61, 62, 63, 64, 65, 66, 67, 83, 84, 85,
                                  86};
// The common phases and every family's thresholds: spirals 15/16 and 240, falling blocks 16/17
// and 144, blinds 31/32 and 224/240, the sweep at 1 and past 45 degrees (p >= 130).
const std::int32_t kProgress[] = {1,   2,   15,  16,  17,  31,  32,  64,
                                  127, 128, 129, 144, 192, 224, 240, 255};
const SIZE kSizes[] = {{13, 7}, {16, 8}, {1, 1}};
const POINT kPlaces[] = {{3, 2}, {-5, -3}, {18, 10}};

// The routines' 256 fixed bytes, built from the generator model: the low bytes of the first
// 256 draws after seeding with 0.
const std::uint8_t* ModelTable() {
    static std::uint8_t table[256];
    static bool built = false;
    if (!built) {
        SubtractiveModel random(0);
        for (std::uint8_t& b : table) b = static_cast<std::uint8_t>(random.Next());
        built = true;
    }
    return table;
}

std::vector<std::uint32_t> Pixels(Image& image) {
    std::vector<std::uint32_t> out;
    for (std::int32_t y = 0; y < image.Height(); ++y)
        for (std::int32_t x = 0; x < image.Width(); ++x) out.push_back(PixelAt(image, x, y));
    return out;
}

std::string Describe(std::int32_t index, SIZE size, std::int32_t p, POINT at, std::int32_t mode) {
    std::ostringstream s;
    s << "routine " << index << " size " << size.cx << "x" << size.cy << " p " << p << " at ("
      << at.x << ", " << at.y << ") mode " << mode;
    return s.str();
}

class TransitionFamiliesTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_mathTables = &m_tables;
        SetTransitionRandomClock(&m_clock);
        ASSERT_TRUE(EnsureTransitionRandomTable());
    }
    void TearDown() override {
        g_mathTables = nullptr;
        SetTransitionRandomClock(nullptr);
    }

    ModelWorld World(SubtractiveModel* random, bool tables = true) {
        ModelWorld world;
        world.cosine = tables ? m_tables.CosFixed() : nullptr;
        world.table = ModelTable();
        world.random = random;
        return world;
    }
    PieceList Model(std::int32_t index, SIZE size, std::int32_t p, POINT at) {
        SubtractiveModel random(kSeed);
        return ModelRoutinePieces(index, size.cx, size.cy, p, at.x, at.y, World(&random));
    }

    // Runs the routine in mode 0 or 1 over a coded target and compares with the painted model.
    void CheckImageMode(std::int32_t index, SIZE size, std::int32_t p, POINT at, std::int32_t mode,
                        bool keyed = false) {
        Image dst, src;
        ASSERT_TRUE(CodedPicture(dst, kTargetWidth, kTargetHeight, 0x55));
        // Half-transparent in mode 1, so a pixel drawn twice shows it.
        ASSERT_TRUE(CodedPicture(src, size.cx, size.cy, mode == 1 ? 0x80 : 0xFF));
        if (keyed) {
            ASSERT_EQ(src.SetColourKeyFromPixel(size.cx / 2, size.cy / 2), 0);
        }
        std::vector<std::uint32_t> expected = Pixels(dst);
        const std::vector<std::uint32_t> source = Pixels(src);
        const std::int64_t key =
            keyed ? std::int64_t{static_cast<std::uint32_t>(src.ColourKey())} : std::int64_t{-1};
        for (const ModelPiece& piece : Model(index, size, p, at))
            transtest::PaintPiece(expected, kTargetWidth, kTargetHeight, source, size.cx, size.cy,
                                  key, mode, piece);
        TransitionRandom().Seed(kSeed);
        ASSERT_EQ(RunTransitionEffect(index, &dst, &src, p, at.x, at.y, mode, nullptr), 0);
        const std::vector<std::uint32_t> actual = Pixels(dst);
        if (actual == expected) return;
        for (std::size_t i = 0; i < actual.size(); ++i)
            if (actual[i] != expected[i]) {
                ADD_FAILURE() << Describe(index, size, p, at, mode) << ": pixel ("
                              << i % kTargetWidth << ", " << i / kTargetWidth << ") is "
                              << std::hex << actual[i] << ", model " << expected[i];
                return;
            }
    }

    // Runs the routine in mode 2 and answers the recorded blits.
    std::vector<transtest::PortBlit> RunDirect(std::int32_t index, SIZE size, std::int32_t p,
                                               POINT at, std::int32_t* result = nullptr) {
        RecordingSurfacePort port;
        DirectDrawPicture dst;
        TextBitmapPicture src;
        EXPECT_EQ(dst.Create(kTargetWidth, kTargetHeight, 32, false), 0);
        EXPECT_EQ(src.Create(size.cx, size.cy, 32, false), 0);
        TransitionRandom().Seed(kSeed);
        const std::int32_t r = RunTransitionEffect(index, &dst, &src, p, at.x, at.y, 2, nullptr);
        if (result) *result = r;
        return port.blits;
    }

    void CheckDirectMode(std::int32_t index, SIZE size, std::int32_t p, POINT at) {
        std::int32_t result = -9;
        const std::vector<transtest::PortBlit> blits = RunDirect(index, size, p, at, &result);
        EXPECT_EQ(result, 0) << Describe(index, size, p, at, 2);
        const PieceList model = Model(index, size, p, at);
        ASSERT_EQ(blits.size(), model.size()) << Describe(index, size, p, at, 2);
        for (std::size_t i = 0; i < model.size(); ++i) {
            const transtest::PortBlit& b = blits[i];
            const ModelPiece& m = model[i];
            const bool same = !b.stretched && b.rect.left == m.rect.left &&
                              b.rect.top == m.rect.top && b.rect.right == m.rect.right &&
                              b.rect.bottom == m.rect.bottom && b.x == m.at.x && b.y == m.at.y;
            if (!same) {
                ADD_FAILURE() << Describe(index, size, p, at, 2) << ": piece " << i << " is ["
                              << b.rect.left << ", " << b.rect.top << ", " << b.rect.right << ", "
                              << b.rect.bottom << "] at (" << b.x << ", " << b.y
                              << "), model [" << m.rect.left << ", " << m.rect.top << ", "
                              << m.rect.right << ", " << m.rect.bottom << "] at (" << m.at.x
                              << ", " << m.at.y << ")";
                return;
            }
        }
    }

    MathTables m_tables;
    testsupport::FakeClock m_clock{4242};
};

TEST_F(TransitionFamiliesTest, ImageModesMatchTheModelFrameByFrame) {
    for (std::int32_t index : kRoutines)
        for (const SIZE& size : kSizes)
            for (std::int32_t p : kProgress)
                for (std::int32_t mode : {0, 1})
                    for (const POINT& at : kPlaces) {
                        CheckImageMode(index, size, p, at, mode);
                        if (size.cx != 13) break;  // every place on one size
                    }
}

TEST_F(TransitionFamiliesTest, ACopyLeavesTheSourcesKeyOut) {
    for (std::int32_t index : kRoutines)
        for (std::int32_t p : {64, 192}) CheckImageMode(index, SIZE{13, 7}, p, POINT{3, 2}, 0, true);
}

TEST_F(TransitionFamiliesTest, DirectDrawPiecesEqualTheModelInOrder) {
    for (std::int32_t index : kRoutines)
        for (const SIZE& size : kSizes)
            for (std::int32_t p : kProgress)
                for (const POINT& at : {kPlaces[0], kPlaces[1]}) CheckDirectMode(index, size, p, at);
}

TEST_F(TransitionFamiliesTest, ProgressOutsideOneTo255DrawsNothingOrExactlyTheWholeSource) {
    for (std::int32_t index : kRoutines)
        for (std::int32_t p : {0, -3, 256, 300})
            for (std::int32_t mode : {0, 1}) {
                Image dst, reference, src;
                ASSERT_TRUE(CodedPicture(dst, kTargetWidth, kTargetHeight, 0x55));
                ASSERT_TRUE(CodedPicture(reference, kTargetWidth, kTargetHeight, 0x55));
                ASSERT_TRUE(CodedPicture(src, 13, 7, 0x80));
                if (p >= 256) {
                    if (mode == 0) reference.Blit(&src, -2, 9, nullptr, false);
                    else reference.AlphaBlend(&src, -2, 9, nullptr, false);
                }
                EXPECT_EQ(RunTransitionEffect(index, &dst, &src, p, -2, 9, mode, nullptr), 0);
                EXPECT_EQ(Pixels(dst), Pixels(reference)) << Describe(index, {13, 7}, p, {-2, 9}, mode);
            }
    for (std::int32_t index : kRoutines) {
        EXPECT_TRUE(RunDirect(index, SIZE{13, 7}, 0, POINT{1, 1}).empty()) << index;
        const std::vector<transtest::PortBlit> whole = RunDirect(index, SIZE{13, 7}, 300, POINT{1, 1});
        ASSERT_EQ(whole.size(), 1u) << index;
        EXPECT_EQ(whole[0].rect.right, 13);
        EXPECT_EQ(whole[0].rect.bottom, 7);
        EXPECT_EQ(whole[0].x, 1);
    }
}

// The numeric cases the routines' descriptions single out, at their own sizes.
TEST_F(TransitionFamiliesTest, EdgeCasesAtTheirOwnSizes) {
    {  // box 11 at 640 x 480, p = 128: s = 320, [160, 480) x [80, 400)
        const auto blits = RunDirect(11, SIZE{640, 480}, 128, POINT{0, 0});
        ASSERT_EQ(blits.size(), 1u);
        EXPECT_EQ(blits[0].rect.left, 160);
        EXPECT_EQ(blits[0].rect.top, 80);
        EXPECT_EQ(blits[0].rect.right, 480);
        EXPECT_EQ(blits[0].rect.bottom, 400);
        EXPECT_EQ(blits[0].x, 160);
        EXPECT_EQ(blits[0].y, 80);
    }
    {  // disc 31 with D > H: the rows above the picture all land on row 0
        const SIZE size{40, 4};
        const std::int32_t d = 255 * 44 >> 8;  // 43
        const auto blits = RunDirect(31, size, 255, POINT{0, 0});
        std::int32_t onRowZero = 0;
        for (const auto& b : blits) onRowZero += b.rect.top == 0 && b.y == 0;
        EXPECT_EQ(onRowZero, (d >> 1) - (size.cy >> 1) + 1);
        CheckDirectMode(31, size, 255, POINT{0, 0});
    }
    {  // sliding halves with odd W: the right piece still ends at x + W - 1
        const auto blits = RunDirect(85, SIZE{13, 7}, 255, POINT{4, 0});
        ASSERT_EQ(blits.size(), 2u);
        EXPECT_EQ(blits[1].rect.left, 6);
        EXPECT_EQ(blits[1].rect.right, 11);
        EXPECT_EQ(blits[1].x + (blits[1].rect.right - blits[1].rect.left) - 1, 4 + 13 - 1);
    }
    {  // scatter 54 with W + H = 1120 at p = 255: R = 5, every cell within 4 pixels
        const auto blits = RunDirect(54, SIZE{1000, 120}, 255, POINT{0, 0});
        ASSERT_EQ(blits.size(), 250u * 60u);
        for (const auto& b : blits) {
            ASSERT_GE(b.x - b.rect.left, 0);
            ASSERT_LE(b.x - b.rect.left, 4);
            ASSERT_GE(b.y - b.rect.top, 0);
            ASSERT_LE(b.y - b.rect.top, 4);
        }
        CheckDirectMode(54, SIZE{1000, 120}, 255, POINT{0, 0});
    }
}

// Routine 58 multiplies sin x (dx x 256), which passes 2^31 from |dx| >= 128; the products are
// taken in 64 bits, so a screen-sized picture lands where the exact arithmetic puts it.
TEST_F(TransitionFamiliesTest, SwingingPushOnAScreenSizedPictureDoesNotOverflow) {
    for (std::int32_t p : {1, 100, 200}) CheckDirectMode(58, SIZE{1024, 576}, p, POINT{0, 0});
    // A cell at the far left, straight out from the centre: with 32-bit products its push
    // would have flipped sign.
    const auto blits = RunDirect(58, SIZE{1024, 576}, 64, POINT{0, 0});
    const std::int32_t cellsPerRow = 1024 / 4;
    const auto& leftMiddle = blits[(288 / 2) * cellsPerRow];  // cell (0, 288)
    ASSERT_EQ(leftMiddle.rect.left, 0);
    ASSERT_EQ(leftMiddle.rect.top, 288);
    // theta = 384: sin = -1, so the cell is pushed along +x... by (-(-512 x 256)/512 x R) >> 8.
    const std::int64_t r = 1600 - (1600 * 64 >> 8);
    EXPECT_EQ(leftMiddle.x, (256 * r) >> 8);
    EXPECT_EQ(leftMiddle.y, 288);
}

TEST_F(TransitionFamiliesTest, TopRightBoxMirrorsTopLeftAndTheCounterClockwiseSweepTheClockwise) {
    for (const SIZE& size : {SIZE{13, 7}, SIZE{16, 16}, SIZE{7, 12}})
        for (std::int32_t p : kProgress) {
            const auto left = RunDirect(12, size, p, POINT{0, 0});
            const auto right = RunDirect(13, size, p, POINT{0, 0});
            ASSERT_EQ(left.size(), right.size());
            for (std::size_t i = 0; i < left.size(); ++i) {
                EXPECT_EQ(right[i].rect.left, size.cx - left[i].rect.right);
                EXPECT_EQ(right[i].rect.right, size.cx - left[i].rect.left);
                EXPECT_EQ(right[i].rect.top, left[i].rect.top);
                EXPECT_EQ(right[i].rect.bottom, left[i].rect.bottom);
            }
        }
    // The sweeps on a square: piece for piece the same columns, the rows reflected through the
    // centre row (a one-row piece keeps its row: i below becomes i above). Up to p = 64 the
    // blades stay inside the picture's rows; later a row past the bottom edge draws nothing
    // while its twin above still draws, and the lists no longer pair up.
    const SIZE square{16, 16};
    const std::int32_t cy = 8;
    for (std::int32_t p : {1, 2, 15, 16, 17, 31, 32, 64}) {
        const auto clockwise = RunDirect(83, square, p, POINT{0, 0});
        const auto counter = RunDirect(84, square, p, POINT{0, 0});
        ASSERT_EQ(clockwise.size(), counter.size()) << p;
        for (std::size_t i = 0; i < clockwise.size(); ++i) {
            const RECT& a = clockwise[i].rect;
            const RECT& b = counter[i].rect;
            EXPECT_EQ(a.left, b.left) << p << " piece " << i;
            EXPECT_EQ(a.right, b.right) << p << " piece " << i;
            const std::int32_t sum = a.top + a.bottom + b.top + b.bottom;
            EXPECT_TRUE(sum == 4 * cy || sum == 4 * cy + 2) << p << " piece " << i;
        }
    }
}

TEST_F(TransitionFamiliesTest, TwoCallsOfTheUniformDissolveDrawDifferentCells) {
    RecordingSurfacePort port;
    DirectDrawPicture dst;
    TextBitmapPicture src;
    ASSERT_EQ(dst.Create(kTargetWidth, kTargetHeight, 32, false), 0);
    ASSERT_EQ(src.Create(16, 8, 32, false), 0);
    TransitionRandom().Seed(kSeed);
    ASSERT_EQ(RunTransitionEffect(6, &dst, &src, 128, 0, 0, 2, nullptr), 0);
    std::vector<transtest::PortBlit> first = port.blits;
    port.blits.clear();
    ASSERT_EQ(RunTransitionEffect(6, &dst, &src, 128, 0, 0, 2, nullptr), 0);
    bool differ = first.size() != port.blits.size();
    for (std::size_t i = 0; !differ && i < first.size(); ++i)
        differ = first[i].rect.left != port.blits[i].rect.left ||
                 first[i].rect.top != port.blits[i].rect.top;
    EXPECT_TRUE(differ);
    // The second call is the model's continuation of the same generator.
    SubtractiveModel random(kSeed);
    ModelRoutinePieces(6, 16, 8, 128, 0, 0, World(&random));
    const PieceList second = ModelRoutinePieces(6, 16, 8, 128, 0, 0, World(&random));
    ASSERT_EQ(second.size(), port.blits.size());
    for (std::size_t i = 0; i < second.size(); ++i) EXPECT_EQ(second[i].rect.left, port.blits[i].rect.left);
}

TEST_F(TransitionFamiliesTest, TheTableRoutinesBuildTheTableFirstAndRestartTheGenerator) {
    for (std::int32_t index = 54; index <= 67; ++index) {
        ReleaseTransitionRandomTable();
        m_clock.SetMs(777 + index);
        TransitionRandom().Seed(5);
        Image dst, src;
        ASSERT_TRUE(CodedPicture(dst, kTargetWidth, kTargetHeight, 0x55));
        ASSERT_TRUE(CodedPicture(src, 13, 7, 0xFF));
        ASSERT_EQ(RunTransitionEffect(index, &dst, &src, 128, 0, 0, 0, nullptr), 0);
        const bool builds = index <= 57 || index >= 63;
        ASSERT_EQ(TransitionRandomTable() != nullptr, builds) << index;
        SubtractiveModel restarted(777 + index), untouched(5);
        EXPECT_EQ(TransitionRandom().Next(), builds ? restarted.Next() : untouched.Next()) << index;
        if (builds) {
            for (int i = 0; i < 256; ++i) ASSERT_EQ(TransitionRandomTable()[i], ModelTable()[i]);
        }
    }
    ASSERT_TRUE(EnsureTransitionRandomTable());
}

TEST_F(TransitionFamiliesTest, WithoutMathTablesTheTurningRoutinesAnswerOneAfterTheWholeDraw) {
    g_mathTables = nullptr;
    for (std::int32_t index : kRoutines) {
        const bool needsTables = (index >= 57 && index <= 63) || index == 83 || index == 84;
        Image dst, before, src;
        ASSERT_TRUE(CodedPicture(dst, kTargetWidth, kTargetHeight, 0x55));
        ASSERT_TRUE(CodedPicture(before, kTargetWidth, kTargetHeight, 0x55));
        ASSERT_TRUE(CodedPicture(src, 13, 7, 0xFF));
        TransitionRandom().Seed(kSeed);
        const std::int32_t partial = RunTransitionEffect(index, &dst, &src, 128, 1, 1, 0, nullptr);
        EXPECT_EQ(partial, needsTables ? 1 : 0) << index;
        if (needsTables) {
            EXPECT_EQ(Pixels(dst), Pixels(before)) << index;
        }
        EXPECT_EQ(RunTransitionEffect(index, &dst, &src, 0, 1, 1, 0, nullptr), 0) << index;
        EXPECT_EQ(RunTransitionEffect(index, &dst, &src, 256, 1, 1, 0, nullptr), 0) << index;
        before.Blit(&src, 1, 1, nullptr, false);
        if (needsTables) {
            EXPECT_EQ(Pixels(dst), Pixels(before)) << index;
        }
    }
}

// Slanted blinds shift each row by the source row's remainder (mod 7 or 15), so the pattern is
// the same wherever the picture is drawn: destination y 0 and 3 give the same pieces, moved.
TEST_F(TransitionFamiliesTest, SlantedBlindsTakeTheirShiftFromTheSourceRow) {
    for (std::int32_t index : {43, 44}) {
        const auto atTop = RunDirect(index, SIZE{16, 8}, 128, POINT{0, 0});
        const auto lower = RunDirect(index, SIZE{16, 8}, 128, POINT{0, 3});
        ASSERT_EQ(atTop.size(), lower.size());
        for (std::size_t i = 0; i < atTop.size(); ++i) {
            EXPECT_EQ(lower[i].rect.left, atTop[i].rect.left);
            EXPECT_EQ(lower[i].rect.top, atTop[i].rect.top);
            EXPECT_EQ(lower[i].y, atTop[i].y + 3);
        }
    }
    // 43 at p = 128 (L = 4): source row 3 starts its first segment at -3, so it shows [0, 1).
    const auto blits = RunDirect(43, SIZE{16, 8}, 128, POINT{0, 3});
    for (const auto& b : blits)
        if (b.rect.top == 3) {
            EXPECT_EQ(b.rect.left, 0);
            EXPECT_EQ(b.rect.right, 1);
            EXPECT_EQ(b.y, 6);
            break;
        }
}

// Edge cases of the descriptions, as numbers of pieces (or the first piece) in the DirectDraw
// mode.
TEST_F(TransitionFamiliesTest, ThresholdsDrawWhatTheirPhasesPromise) {
    struct Case {
        const char* name;
        std::int32_t index;
        SIZE size;
        std::int32_t p;
        std::size_t pieces;
    } cases[] = {
        {"blinds 35 at 31 show column 0 of each period", 35, {16, 8}, 31, 2},
        {"blinds 35 at 224 show every column", 35, {16, 8}, 224, 16},
        {"blinds 41 at 239 miss the last row of the period", 41, {4, 16}, 239, 15},
        {"blinds 41 at 240 show every row", 41, {4, 16}, 240, 16},
        {"spiral 45 at 15 draws the corner of each block", 45, {16, 8}, 15, 8},
        {"spiral 45 at 16 draws two pixels a block", 45, {16, 8}, 16, 16},
        {"spiral 45 at 240 draws every pixel", 45, {16, 8}, 240, 128},
        {"comb 16 at 1 on a narrow picture: odd rows only", 16, {13, 7}, 1, 3},
        {"slanted blinds 43 below 32 draw nothing", 43, {13, 7}, 31, 0},
        {"the sweep at 1 draws nothing", 83, {13, 7}, 1, 0},
        {"mirror 0 draws every column", 0, {3, 2}, 128, 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RunDirect(c.index, c.size, c.p, POINT{0, 0}).size(), c.pieces) << c.name;

    // Falling blocks 64: nothing at p = 16; a block whose byte is 255 starts at 17 with one row.
    EXPECT_TRUE(RunDirect(64, SIZE{64, 64}, 16, POINT{0, 0}).empty());
    // Mirror 0 at 128 on a 3-wide picture: column 0 at x + 2, column 2 at x.
    const auto mirror = RunDirect(0, SIZE{3, 2}, 128, POINT{5, 0});
    EXPECT_EQ(mirror[0].rect.left, 0);
    EXPECT_EQ(mirror[0].x, 7);
    EXPECT_EQ(mirror[2].rect.left, 2);
    EXPECT_EQ(mirror[2].x, 5);
    // Comb 18 at p <= 128 leaves rows 4k + 1 and 4k + 3 empty.
    for (const auto& b : RunDirect(18, SIZE{13, 16}, 128, POINT{0, 0})) EXPECT_EQ(b.rect.top % 2, 0);
}

}  // namespace
