#include "effects/transitions/transition_random.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/support/fake_clock.h"

namespace {

// The subtractive generator written out from its definition, as a check on the shared class.
class ModelGenerator {
public:
    explicit ModelGenerator(std::int64_t s) {
        const std::int64_t m = 1000000000;
        w[55] = s;
        std::int64_t a = s, b = 1;
        for (int i = 1; i <= 54; ++i) {
            const int k = (21 * i) % 55;
            w[k] = b;
            b = a - b;
            if (b < 0) b += m;
            a = w[k];
        }
        for (int round = 0; round < 3; ++round) Refill();
        j = 55;
    }
    std::int64_t Next() {
        if (++j > 55) {
            Refill();
            j = 1;
        }
        return w[j];
    }

private:
    void Refill() {
        for (int i = 1; i <= 55; ++i) {
            w[i] -= w[1 + (i + 30) % 55];
            if (w[i] < 0) w[i] += 1000000000;
        }
    }
    std::int64_t w[56] = {};
    int j = 55;
};

class TransitionRandomTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetTransitionRandomClock(&clock);
        ReleaseTransitionRandomTable();
    }
    void TearDown() override {
        ReleaseTransitionRandomTable();
        SetTransitionRandomClock(nullptr);
    }
    testsupport::FakeClock clock{12345};
};

TEST_F(TransitionRandomTest, TheTableHoldsTheLowBytesOfTheFirstDrawsAfterSeedZero) {
    ModelGenerator model(0);
    std::vector<std::uint8_t> expected;
    for (int i = 0; i < 256; ++i) expected.push_back(static_cast<std::uint8_t>(model.Next()));
    ASSERT_EQ(TransitionRandomTable(), nullptr);
    ASSERT_TRUE(EnsureTransitionRandomTable());
    const std::uint8_t* table = TransitionRandomTable();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(std::vector<std::uint8_t>(table, table + 256), expected);

    // Built again from nothing, it is the same.
    ReleaseTransitionRandomTable();
    TransitionRandom().Next();
    ASSERT_TRUE(EnsureTransitionRandomTable());
    table = TransitionRandomTable();
    EXPECT_EQ(std::vector<std::uint8_t>(table, table + 256), expected);
}

TEST_F(TransitionRandomTest, BuildingTheTableRestartsTheGeneratorFromTheClockOnlyOnce) {
    clock.SetMs(777777);
    ASSERT_TRUE(EnsureTransitionRandomTable());
    ModelGenerator model(777777);
    for (int i = 0; i < 60; ++i)
        ASSERT_EQ(static_cast<std::int64_t>(TransitionRandom().Next()), model.Next()) << i;
    // A table that exists is left alone, and so is the generator.
    clock.SetMs(5);
    ASSERT_TRUE(EnsureTransitionRandomTable());
    EXPECT_EQ(static_cast<std::int64_t>(TransitionRandom().Next()), model.Next());
}

TEST_F(TransitionRandomTest, TheGeneratorIsNotTheScriptMachines) {
    EXPECT_NE(&TransitionRandom(), &ScriptRandom());
}

}  // namespace
