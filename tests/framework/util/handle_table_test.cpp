#include "framework/util/handle_table.h"

#include <gtest/gtest.h>

namespace {

struct Left {
    int a = 1;
    int more[3] = {};
};
struct Right {
    int b = 2;
};
struct Both : Left, Right {};

TEST(HandleTable, FindsOnlyWhatIsEnteredUntilItIsTakenOut) {
    HandleTable<Left> table;
    Left one, two;
    ASSERT_NE(HandleTable<Left>::WordOf(&one) + 4, HandleTable<Left>::WordOf(&two));
    table.Add(&one, 7);
    table.Add(&two, 8);
    EXPECT_EQ(&one, table.Find(HandleTable<Left>::WordOf(&one)));
    EXPECT_EQ(nullptr, table.Find(0));
    EXPECT_EQ(nullptr, table.Find(HandleTable<Left>::WordOf(&one) + 4));  // inside, not at it

    EXPECT_TRUE(table.Remove(&one));
    EXPECT_FALSE(table.Remove(&one));
    EXPECT_EQ(nullptr, table.Find(HandleTable<Left>::WordOf(&one)));
    EXPECT_EQ(&two, table.Find(HandleTable<Left>::WordOf(&two)));
}

TEST(HandleTable, EmptiesByOwnerKeyEitherWayAndAll) {
    HandleTable<Left> table;
    Left a, b, c;
    const auto fill = [&] {
        table.Add(&a, 1);
        table.Add(&b, 2);
        table.Add(&c, 1);
    };
    fill();
    table.RemoveOwner(1);
    EXPECT_EQ(nullptr, table.Find(HandleTable<Left>::WordOf(&a)));
    EXPECT_EQ(&b, table.Find(HandleTable<Left>::WordOf(&b)));
    EXPECT_EQ(nullptr, table.Find(HandleTable<Left>::WordOf(&c)));

    fill();
    table.RemoveOwner(1, true);
    EXPECT_EQ(&a, table.Find(HandleTable<Left>::WordOf(&a)));
    EXPECT_EQ(nullptr, table.Find(HandleTable<Left>::WordOf(&b)));

    table.Clear();
    EXPECT_EQ(0u, table.Size());
}

// The word handed out is the object's address; the entry is the family's side of it.
TEST(HandleTable, AnotherBaseOfTheObjectResolvesToItsOwnSide) {
    HandleTable<Right> table;
    Both both;
    const std::uint32_t word = HandleTable<Right>::WordOf(&both);
    table.AddAs(word, &both);
    ASSERT_NE(static_cast<void*>(static_cast<Right*>(&both)), static_cast<void*>(&both));
    EXPECT_EQ(static_cast<Right*>(&both), table.Find(word));
    EXPECT_EQ(2, table.Find(word)->b);
}

}  // namespace
