#include "configtool/app/dialog_registry.h"

#include <gtest/gtest.h>

namespace {

HWND Fake(std::uintptr_t value) { return reinterpret_cast<HWND>(value); }

TEST(DialogRegistryTest, AddAndRemoveReportWhatHappened) {
    DialogRegistry registry;
    EXPECT_EQ(1, registry.Add(nullptr));
    EXPECT_EQ(0, registry.Add(Fake(0x10)));
    EXPECT_EQ(0, registry.Add(Fake(0x20)));
    EXPECT_EQ(2, registry.Add(Fake(0x10)));
    EXPECT_EQ(2, registry.Count());
    EXPECT_EQ(1, registry.Remove(nullptr));
    EXPECT_EQ(2, registry.Remove(Fake(0x30)));
    EXPECT_EQ(0, registry.Remove(Fake(0x10)));
    EXPECT_EQ(2, registry.Remove(Fake(0x10)));
    EXPECT_EQ(1, registry.Count());
    registry.Clear();
    EXPECT_EQ(0, registry.Count());
    EXPECT_EQ(0, registry.Add(Fake(0x10)));
    EXPECT_EQ(1, registry.Count());
}

}  // namespace
