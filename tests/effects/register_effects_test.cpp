#include "effects/register_effects.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/plugins/effect_registry.h"

namespace {

TEST(RegisterNamedEffects, NamesKindsAndCategoriesInOrder) {
    struct Expected {
        const char* name;
        std::int32_t kind;
        std::uint8_t category;
    };
    const std::vector<Expected> expected = {
        {"quake", 14003, 3},    {"noise", 14003, 3},
        {"sp_cfade", 14001, 1}, {"sp_change", 14001, 1},
        {"sp_parts", 14001, 1}, {"sp_fade", 14001, 1},
        {"sp_gfade", 14001, 1},
        {"sp_loop", 14001, 1}, {"staff", 14002, 2}, {"paper", 14003, 3},
        {"light", 14003, 3},   {"snow", 14003, 3},  {"rain", 14003, 3},
    };
    EffectRegistry registry;
    ASSERT_EQ(0, RegisterNamedEffects(registry));
    const auto& entries = registry.Entries();
    ASSERT_EQ(expected.size(), entries.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(std::string(expected[i].name), entries[i].name);
        EXPECT_EQ(expected[i].category, entries[i].category);
        EXPECT_EQ(nullptr, entries[i].assist);
        EXPECT_EQ(nullptr, entries[i].assist2);
        EffectObject* effect = registry.CreateByName(expected[i].name);
        ASSERT_NE(nullptr, effect);
        EXPECT_EQ(expected[i].kind, effect->Kind());
        EXPECT_EQ(std::string(expected[i].name), effect->Name());
        EXPECT_EQ(expected[i].category, effect->Category());
        EXPECT_EQ(1, effect->BusyState());
        ReleaseObject(effect);
    }
}

}  // namespace
