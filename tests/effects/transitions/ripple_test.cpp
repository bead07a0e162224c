// The ripple filter: its parameter limits, the tables against hand-computed values, the
// shared cache (sharing, eviction, a failed build, the exit function, counted allocations),
// drawing against a per-pixel model in each row form, and the mended faults (the level capped
// with elapsed time in 64 bits, clamping after mirroring, pictures of differing pitches).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "effects/transitions/ripple_rows.h"
#include "effects/transitions/ripple_table.h"
#include "effects/transitions/ripple_trans_callback.h"
#include "effects/transitions/screen_filters.h"
#include "framework/plugins/transition_registry.h"
#include "framework/system/cpu_info.h"
#include "tests/effects/transitions/transition_fixture.h"

namespace {

using testsupport::PixelAt;
using transtest::Held;
using transtest::Pixels;
using transtest::PixelsOf;
using transtest::TransitionFixture;

std::int32_t Text(const char* text) {
    return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(text));
}

// Counts the tables' blocks; fails the allocation numbered `failAt` (counted from 1).
struct AllocationCounter {
    static inline int live = 0;
    static inline int made = 0;
    static inline int failAt = 0;
    static void* Allocate(std::size_t bytes) {
        if (++made == failAt) return nullptr;
        ++live;
        return std::malloc(bytes);
    }
    static void Free(void* block) {
        --live;
        std::free(block);
    }
};

class RippleTest : public TransitionFixture {
protected:
    void SetUp() override {
        TransitionFixture::SetUp();
        RippleReleaseTables();
        AllocationCounter::live = AllocationCounter::made = AllocationCounter::failAt = 0;
        SetRippleAllocation(&AllocationCounter::Allocate, &AllocationCounter::Free);
        m_savedCpu = g_cpuInfo;
        SelectRippleBlendVariant();
    }
    void TearDown() override {
        RippleReleaseTables();
        EXPECT_EQ(AllocationCounter::live, 0) << "table memory left behind";
        SetRippleAllocation(nullptr, nullptr);
        g_cpuInfo = m_savedCpu;
        SelectRippleBlendVariant();
        TransitionFixture::TearDown();
    }
    RippleTransCallback& Ripple(Held& held) { return static_cast<RippleTransCallback&>(*held); }
    Held Made(std::vector<std::int32_t> words) {
        Held held(CreateRippleTransCallback(0));
        words.resize(8, 0);
        EXPECT_EQ(held->Setup(&m_screen, words.data()), 0);
        return held;
    }
    // Forces a row form through the processor record.
    void Form(bool mmx, bool extended) {
        g_cpuInfo.mmx = mmx;
        g_cpuInfo.mmxExt = extended;
        g_cpuInfo.amdMmxExt = 0;
        EXPECT_EQ(SelectRippleBlendVariant(), mmx && extended);
    }

    // The model: every pixel reads the verified table's offset at its polar entry, mirrored
    // once and clamped into the picture, and mixes the two pictures per byte.
    Pixels Model(const RippleTransCallback& r, Image& from, Image& to) {
        const RippleTable& t = *r.Table();
        const std::int16_t* row = t.Displacement(r.Level(), r.RingPhase());
        const std::int32_t cx = r.CentreX(), cy = r.CentreY();
        auto inside = [](std::int32_t v, std::int32_t size) {
            if (v < 0) v = -v;
            if (v >= size) v = 2 * size - v - 1;
            return std::clamp(v, 0, size - 1);
        };
        Pixels out;
        for (std::int32_t y = 0; y < m_height; ++y)
            for (std::int32_t x = 0; x < m_width; ++x) {
                const bool right = x >= cx, above = y < cy;
                const std::int32_t qx = right ? x - cx : cx - x - 1;
                const std::int32_t qy = above ? cy - y - 1 : y - cy;
                const std::int16_t e = row[t.PolarRow(qy)[qx]];
                const std::int32_t dx = static_cast<std::int8_t>(e >> 8);
                const std::int32_t dy = static_cast<std::int8_t>(e & 0xFF);
                const std::int32_t sx = inside(right ? x - dx : x + dx, m_width);
                const std::int32_t sy = inside(above ? y + dy : y - dy, m_height);
                const std::uint32_t a = PixelAt(from, sx, sy), b = PixelAt(to, sx, sy);
                std::uint32_t v = 0;
                for (int shift = 0; shift < 32; shift += 8) {
                    const std::int32_t ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
                    v |= static_cast<std::uint32_t>(
                             ca + static_cast<std::int32_t>(std::floor(
                                      (cb - ca) * static_cast<double>(r.Ratio()) / 256)))
                         << shift;
                }
                out.push_back(v);
            }
        return out;
    }
    // The largest difference of a colour channel.
    static std::int32_t Worst(const Pixels& a, const Pixels& b) {
        std::int32_t worst = 0;
        for (std::size_t i = 0; i < a.size(); ++i)
            for (int shift = 0; shift < 24; shift += 8)
                worst = std::max(worst, std::abs(static_cast<std::int32_t>((a[i] >> shift) & 0xFF) -
                                                 static_cast<std::int32_t>((b[i] >> shift) & 0xFF)));
        return worst;
    }
    Pixels Drawn(Held& t) {
        ResetTarget();
        EXPECT_EQ(DrawWhole(*t), 0);
        return PixelsOf(m_target);
    }

    CpuInfoRecord m_savedCpu{};
};

// ---------------------------------------------------------------------------------------------
// Parameters

TEST_F(RippleTest, ParametersAreLimitedAndDefaulted) {
    const struct {
        const char* name;
        std::vector<std::int32_t> words;
        std::uint32_t duration;
        std::int32_t cx, cy, rings;
        float scale, speed;
        std::int32_t waveHeight;
    } rows[] = {
        {"defaults", {500, -1, -1, 0, 0, 0, 0}, 500, 8, 4, 16, 1.0f, 6.0f, 24},
        {"48 rings", {500, 3, 2, 48, 0, 0, 5}, 500, 3, 2, 16, 1.0f, 6.0f, 5},
        {"128 rings", {500, 3, 2, 128, 0, 0, 5}, 500, 3, 2, 128, 1.0f, 6.0f, 5},
        {"height 200", {500, 3, 2, 32, 0, 0, 200}, 500, 3, 2, 32, 1.0f, 6.0f, 127},
        {"height 128", {500, 3, 2, 64, 0, 0, 128}, 500, 3, 2, 64, 1.0f, 6.0f, 127},
        {"centre beyond", {500, 16, 0, 16, 0, 0, 3}, 500, 15, 0, 16, 1.0f, 6.0f, 3},
        {"centre far beyond", {500, 99, 99, 16, 0, 0, 3}, 500, 15, 7, 16, 1.0f, 6.0f, 3},
        {"duration 0", {0, 0, 0, 16, 0, 0, 3}, 2, 0, 0, 16, 1.0f, 6.0f, 3},
        {"duration 1", {1, 0, 0, 16, 0, 0, 3}, 2, 0, 0, 16, 1.0f, 6.0f, 3},
        {"texts", {500, 0, 0, 16, Text("2.5"), Text(" -3"), 3}, 500, 0, 0, 16, 2.5f, -3.0f, 3},
        {"scale 0", {500, 0, 0, 16, Text("0"), Text("x"), 3}, 500, 0, 0, 16, 1.0f, 0.0f, 3},
        {"scale below 0", {500, 0, 0, 16, Text("-2"), 0, 3}, 500, 0, 0, 16, 1.0f, 6.0f, 3},
        {"reals beyond", {500, 0, 0, 16, Text("1e300"), Text("1e300"), 3}, 500, 0, 0, 16,
         1000.0f, 1e6f, 3},
    };
    for (const auto& r : rows) {
        Held t = Made(r.words);
        const RippleTransCallback& c = Ripple(t);
        EXPECT_EQ(c.Duration(), r.duration) << r.name;
        EXPECT_EQ(c.CentreX(), r.cx) << r.name;
        EXPECT_EQ(c.CentreY(), r.cy) << r.name;
        EXPECT_EQ(c.Rings(), r.rings) << r.name;
        EXPECT_EQ(c.Scale(), r.scale) << r.name;
        EXPECT_EQ(c.Speed(), r.speed) << r.name;
        EXPECT_EQ(c.WaveHeight(), r.waveHeight) << r.name;
    }
}

TEST_F(RippleTest, SetupCodes) {
    MemoryScreen paletted;
    ASSERT_EQ(paletted.CreateSimple(m_width, m_height, 8, false), 0);
    const std::int32_t words[8] = {100};
    Held t(CreateRippleTransCallback(0));
    EXPECT_EQ(t->Setup(&m_screen, nullptr), 1);
    EXPECT_EQ(t->Setup(nullptr, words), 1);
    EXPECT_EQ(t->Setup(&paletted, words), 2);
    EXPECT_EQ(t->Setup(&m_screen, words), 0);
    EXPECT_EQ(t->Kind(), 0);
    EXPECT_STREQ(t->Name(), "ripple");
}

// ---------------------------------------------------------------------------------------------
// Tables

TEST_F(RippleTest, ProfileAndDirectionsAgainstHandComputedValues) {
    std::int32_t profile[16], cx[32], sy[32];
    RippleProfile(16, profile);
    const std::int32_t expected[16] = {48,  296, 563,  784,  968,  1055, 903, 470,
                                       48,  142, 903, 1786, 2020, 1428, 563, 55};
    for (int k = 0; k < 16; ++k) EXPECT_EQ(profile[k], expected[k]) << k;
    RippleDirections(cx, sy);
    // 0 along the vertical axis, 31 along the horizontal one, 16 just past the diagonal.
    EXPECT_EQ(cx[0], 50);
    EXPECT_EQ(sy[0], 2047);
    EXPECT_EQ(cx[31], 2047);
    EXPECT_EQ(sy[31], 50);
    EXPECT_EQ(cx[16], 1483);
    EXPECT_EQ(sy[16], 1412);
}

TEST_F(RippleTest, TablesPolarEntriesAndDisplacements) {
    RippleTable* t = AcquireRippleTable(64, 48, 20, 30, 16, 1.0f, 24);
    ASSERT_NE(t, nullptr);
    // The larger sides: 44 columns right of the centre, 30 rows above it.
    EXPECT_EQ(t->quadWidth, 44);
    EXPECT_EQ(t->quadHeight, 30);
    // Column 3, row 4: distance sqrt(3.5² + 4.5²) = 5.70, direction atan(3.5 / 4.5) = 13.47.
    EXPECT_EQ(t->PolarRow(4)[3], 5 * 32 + 13);
    // Level 0 moves nothing.
    for (std::int32_t k = 0; k < 32 * 32; ++k) EXPECT_EQ(t->Displacement(0, 0)[k], 0) << k;
    // Level 95, ring 12, direction 16: A = 2020 x 95 x 256 >> 10 = 47975; (16, 16).
    EXPECT_EQ(t->Displacement(95, 12)[16], (16 << 8) + 16);
    // Level 95, ring 4 (profile 968): (8, 7). Level 40, ring 11, directions 0 and 31.
    EXPECT_EQ(t->Displacement(95, 4)[16], (8 << 8) + 7);
    EXPECT_EQ(t->Displacement(40, 11)[0], 8);
    EXPECT_EQ(t->Displacement(40, 11)[31], 8 << 8);
    for (std::int32_t s = 0; s < 96; ++s)
        for (std::int32_t k = 0; k < 16; ++k)
            for (std::int32_t d = 0; d < 32; ++d) {
                const std::int16_t e = t->Displacement(s, k)[d];
                ASSERT_EQ(t->Displacement(s, k + 16)[d], e) << s << " " << k << " " << d;
                ASSERT_LE(std::abs(static_cast<std::int8_t>(e >> 8)), s / 4);
                ASSERT_LE(std::abs(static_cast<std::int8_t>(e & 0xFF)), s / 4);
            }
    t->Release();
    // A vertical scale of 2 stretches distances in y: elliptic rings.
    RippleTable* stretched = AcquireRippleTable(64, 48, 20, 30, 16, 2.0f, 24);
    ASSERT_NE(stretched, nullptr);
    EXPECT_EQ(stretched->PolarRow(4)[3], 9 * 32 + 7);
    // Ring 10: 10 columns out along the row, but 5 rows out along the column.
    EXPECT_EQ(stretched->PolarRow(0)[10] >> 5, 10);
    EXPECT_EQ(stretched->PolarRow(4)[0] >> 5, 9);
    EXPECT_EQ(stretched->PolarRow(5)[0] >> 5, 11);
    stretched->Release();
}

TEST_F(RippleTest, AnOddSizeWithTheCentreInTheMiddleKeepsBothSidesInTheQuadrant) {
    // 15 wide, centre 7: 7 columns on the left, 8 on the right.
    RippleTable* t = AcquireRippleTable(15, 9, 7, 4, 16, 1.0f, 4);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->quadWidth, 8);
    EXPECT_EQ(t->quadHeight, 5);
    t->Release();
}

// ---------------------------------------------------------------------------------------------
// Cache

TEST_F(RippleTest, TheSameKeySharesATableAndAFifthKeyPushesTheOldestOut) {
    Held a = Made({500, 2, 2, 16, 0, 0, 4});
    const int afterFirst = AllocationCounter::made;
    Held b = Made({900, 2, 2, 16, 0, Text("3"), 4});  // speed is not in the key
    EXPECT_EQ(AllocationCounter::made, afterFirst) << "a second same-key ripple builds nothing";
    EXPECT_EQ(Ripple(a).Table(), Ripple(b).Table());
    EXPECT_EQ(Ripple(a).Table()->References(), 3);
    const RippleTable* first = Ripple(a).Table();
    Held c = Made({500, 3, 2, 16, 0, 0, 4});
    Held d = Made({500, 4, 2, 16, 0, 0, 4});
    Held e = Made({500, 5, 2, 16, 0, 0, 4});
    EXPECT_EQ(RippleCacheSlot(3), first);
    // Using the first key again brings it to the front.
    Held again = Made({500, 2, 2, 16, 0, 0, 4});
    EXPECT_EQ(RippleCacheSlot(0), first);
    EXPECT_EQ(RippleCacheSlot(3), Ripple(c).Table());
    Held fifth = Made({500, 6, 2, 16, 0, 0, 4});
    // c's table left the cache but lives while c holds it.
    const RippleTable* pushed = Ripple(c).Table();
    for (int slot = 0; slot < 4; ++slot) EXPECT_NE(RippleCacheSlot(slot), pushed) << slot;
    EXPECT_EQ(pushed->References(), 1);
    c->Update(0);
    c->Update(250);
    ResetTarget();
    EXPECT_EQ(DrawWhole(*c), 0);
    const int live = AllocationCounter::live;
    ReleaseObject(c.callback);
    c.callback = nullptr;
    EXPECT_EQ(AllocationCounter::live, live - 3) << "the pushed table went with its last holder";
}

TEST_F(RippleTest, AFailedBuildGives6AndLeavesTheCacheAsItWas) {
    Held keep[4] = {Made({500, 1, 2, 16, 0, 0, 4}), Made({500, 2, 2, 16, 0, 0, 4}),
                    Made({500, 3, 2, 16, 0, 0, 4}), Made({500, 4, 2, 16, 0, 0, 4})};
    RippleTable* before[4];
    for (int i = 0; i < 4; ++i) before[i] = RippleCacheSlot(i);
    const int live = AllocationCounter::live;
    for (int failing = 1; failing <= 3; ++failing) {
        AllocationCounter::failAt = AllocationCounter::made + failing;
        Held t(CreateRippleTransCallback(0));
        const std::int32_t words[8] = {500, 5, 2, 16, 0, 0, 4};
        EXPECT_EQ(t->Setup(&m_screen, words), 6) << failing;
        for (int i = 0; i < 4; ++i) EXPECT_EQ(RippleCacheSlot(i), before[i]) << failing;
        EXPECT_EQ(AllocationCounter::live, live) << failing;
    }
    AllocationCounter::failAt = 0;
    // The cache still works, and the callback that failed can be set up again.
    Held t(CreateRippleTransCallback(0));
    const std::int32_t words[8] = {500, 5, 2, 16, 0, 0, 4};
    EXPECT_EQ(t->Setup(&m_screen, words), 0);
    EXPECT_EQ(RippleCacheSlot(0), Ripple(t).Table());
}

TEST_F(RippleTest, TheExitFunctionFreesEveryCachedTable) {
    {
        Held a = Made({500, 1, 2, 16, 0, 0, 4});
        Held b = Made({500, 2, 2, 32, 0, 0, 8});
    }
    EXPECT_EQ(AllocationCounter::live, 6);
    TransitionRegistry* registry = new TransitionRegistry;
    ASSERT_EQ(RegisterScreenFilters(*registry), 0);
    delete registry;  // runs ripple's exit function
    EXPECT_EQ(AllocationCounter::live, 0);
    for (int slot = 0; slot < 4; ++slot) EXPECT_EQ(RippleCacheSlot(slot), nullptr);
}

TEST_F(RippleTest, TheRegistryChoosesTheRowFormAtTheFirstLookup) {
    Form(true, false);
    g_cpuInfo.mmxExt = 1;  // what the lookup will see
    SelectRippleBlendVariant();
    Form(false, false);
    EXPECT_EQ(&CurrentRippleRows(), &kRippleRowsPlain);
    g_cpuInfo.mmx = g_cpuInfo.mmxExt = 1;
    TransitionRegistry registry;
    ASSERT_EQ(RegisterScreenFilters(registry), 0);
    std::int32_t argument = -1;
    ASSERT_NE(registry.FindByName("ripple", &argument), nullptr);
    EXPECT_EQ(&CurrentRippleRows(), &kRippleRowsExtended);
    // AMD's extensions count as extended too; MMX alone gives the MMX pair.
    g_cpuInfo.mmxExt = 0;
    g_cpuInfo.amdMmxExt = 1;
    EXPECT_TRUE(SelectRippleBlendVariant());
    g_cpuInfo.amdMmxExt = 0;
    EXPECT_FALSE(SelectRippleBlendVariant());
    EXPECT_EQ(&CurrentRippleRows(), &kRippleRowsMmx);
}

// ---------------------------------------------------------------------------------------------
// Drawing

TEST_F(RippleTest, EachRowFormMatchesTheModelForCentresInTheMiddleACornerAndOffCentre) {
    Make(64, 48);
    const struct {
        const char* name;
        std::int32_t cx, cy;
    } centres[] = {{"middle", -1, -1}, {"corner", 0, 0}, {"off centre", 41, 13},
                   {"far corner", 63, 47}};
    // Every form gives the plain rule's pixels (the SIMD lanes hold the mix's products whole).
    const struct {
        const char* name;
        bool mmx, extended;
    } forms[] = {{"plain", false, false}, {"mmx", true, false}, {"extended", true, true}};
    for (const auto& form : forms)
        for (const auto& centre : centres) {
            Form(form.mmx, form.extended);
            const std::string name = std::string(form.name) + " " + centre.name;
            Held t = Made({1000, centre.cx, centre.cy, 16, Text("1.5"), Text("40"), 12});
            t->Update(500);
            // The first frame: the old picture exactly.
            EXPECT_EQ(Drawn(t), PixelsOf(m_from)) << name;
            for (std::uint32_t at : {130u, 500u, 777u}) {
                t->Update(500 + at);
                EXPECT_GT(Ripple(t).Level(), 0) << name;
                EXPECT_EQ(Drawn(t), Model(Ripple(t), m_from, m_to)) << name << " at " << at;
            }
            t->Update(500 + 1000);
            EXPECT_EQ(Ripple(t).Level(), 0);
            EXPECT_LE(Worst(Drawn(t), PixelsOf(m_to)), 1) << name;
            EXPECT_EQ(t->Status(), -1) << name;
        }
}

TEST_F(RippleTest, StripsEqualTheWholeDraw) {
    Make(40, 30);
    Held t = Made({1000, 17, 11, 32, 0, Text("20"), 9});
    t->Update(0);
    for (std::uint32_t at : {200u, 450u, 800u}) {
        t->Update(at);
        const Pixels whole = Drawn(t);
        ResetTarget();
        DrawStrips(*t, {5, 1, 7, 2, 3});
        EXPECT_EQ(PixelsOf(m_target), whole) << at;
    }
}

TEST_F(RippleTest, ALateLastFrameShowsTheEndAndHoursDoNotWrap) {
    // A 2 ms ripple whose second frame comes at 17 ms: capped at the duration, no waves.
    Held late = Made({2, -1, -1, 16, 0, 0, 24});
    late->Update(100);
    late->Update(117);
    EXPECT_EQ(Ripple(late).Level(), 0);
    EXPECT_EQ(Ripple(late).Ratio(), 255);
    EXPECT_LE(Worst(Drawn(late), PixelsOf(m_to)), 1);
    EXPECT_EQ(late->Status(), -1);
    // Five hours into a ten-hour ripple: elapsed x 255 needs more than 32 bits.
    const std::uint32_t hour = 3600u * 1000u;
    Held slow = Made({static_cast<std::int32_t>(10 * hour), -1, -1, 16, 0, 0, 24});
    slow->Update(0);
    slow->Update(5 * hour);
    EXPECT_EQ(Ripple(slow).Ratio(), 127);
    EXPECT_EQ(Ripple(slow).Level(), 95);
    // And five hours after a short one ended: the end.
    Held ended = Made({20000, -1, -1, 16, 0, 0, 24});
    ended->Update(0);
    ended->Update(5 * hour);
    EXPECT_EQ(Ripple(ended).Ratio(), 255);
    EXPECT_EQ(Ripple(ended).Level(), 0);
}

TEST_F(RippleTest, OffsetsLargerThanThePictureReadInsideIt) {
    // 16 x 8 with waves of up to 31 pixels: one mirror is not enough. The pictures lie in
    // the corner of larger ones whose other pixels are poison.
    constexpr std::uint32_t kPoison = 0xDEADBEEF;
    Image from, to;
    ASSERT_TRUE(testsupport::FilledPicture(from, 64, 40, kPoison));
    ASSERT_TRUE(testsupport::FilledPicture(to, 64, 40, kPoison));
    for (std::int32_t y = 0; y < m_height; ++y)
        for (std::int32_t x = 0; x < m_width; ++x) {
            reinterpret_cast<std::uint32_t*>(from.Row(y))[x] = PixelAt(m_from, x, y);
            reinterpret_cast<std::uint32_t*>(to.Row(y))[x] = PixelAt(m_to, x, y);
        }
    Held t = Made({1000, -1, -1, 16, 0, Text("10"), 127});
    t->Update(0);
    for (std::uint32_t at : {300u, 500u}) {
        t->Update(at);
        EXPECT_GT(Ripple(t).Level(), 4 * 16);
        ResetTarget();
        const TransitionBlit b{0, 0, m_width, m_height, &m_target, 0, 0, &from, 0, 0, &to, 0, 0};
        ASSERT_EQ(t->Draw(&b), 0);
        const Pixels drawn = PixelsOf(m_target);
        for (std::uint32_t v : drawn) ASSERT_NE(v, kPoison) << at;
        EXPECT_EQ(drawn, Model(Ripple(t), m_from, m_to)) << at;
    }
}

TEST_F(RippleTest, PicturesItCannotReadAtTheSameOffsetsAreRefused) {
    Held t = Made({1000, -1, -1, 16, 0, 0, 8});
    t->Update(0);
    t->Update(400);
    Image padded, small;
    ASSERT_TRUE(testsupport::CodedPicture(padded, m_width + 4, m_height, transtest::kToTop));
    ASSERT_TRUE(testsupport::CodedPicture(small, m_width, m_height - 1, transtest::kToTop));
    const struct {
        const char* name;
        TransitionBlit blit;
    } rows[] = {
        {"padded pitch", {0, 0, m_width, m_height, &m_target, 0, 0, &m_from, 0, 0, &padded, 0, 0}},
        {"smaller picture", {0, 0, m_width, m_height, &m_target, 0, 0, &m_from, 0, 0, &small, 0, 0}},
        {"no new picture", {0, 0, m_width, m_height, &m_target, 0, 0, &m_from, 0, 0, nullptr, 0, 0}},
        {"area beyond", {0, 4, m_width, m_height, &m_target, 0, 4, &m_from, 0, 4, &m_to, 0, 4}},
        {"positions apart", {0, 0, m_width, 4, &m_target, 0, 0, &m_from, 0, 0, &m_to, 0, 4}},
    };
    for (const auto& r : rows) {
        ResetTarget();
        EXPECT_EQ(t->Draw(&r.blit), 1) << r.name;
        EXPECT_EQ(PixelsOf(m_target), Pixels(m_width * m_height, transtest::kSentinel)) << r.name;
    }
}

}  // namespace
