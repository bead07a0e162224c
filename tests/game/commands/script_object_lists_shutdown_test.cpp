// The application clears what scripts loaded in its own shutdown, while the screen device and the
// file system still exist, not in static destruction after them.
#include <gtest/gtest.h>

#include "game/commands/script_object_lists.h"
#include "tests/game/app/game_app_fixture.h"

namespace {

TEST(ScriptObjectLists, TheApplicationClearsThemInItsShutdown) {
    gameapptest::GameFolder game("ListShutdown");
    gameapptest::GameApp app(game);
    std::uint32_t stream = 0, cells = 0, shared = 0;
    ASSERT_EQ(0, AddFileStream(&stream));
    ASSERT_EQ(0, AddCellImage(&cells, [](CellImage&) { return 0; }));
    ASSERT_EQ(0, AddCellImage(&shared, [](CellImage&) { return 0; }));
    CellImage* const held = CellImageList().Find(shared);
    held->refCount = 1;  // another holder keeps it

    app.app.reset();
    EXPECT_EQ(0, FileStreamList().Count());
    EXPECT_EQ(0, CellImageList().Count());
    EXPECT_EQ(nullptr, CellImageList().Find(cells));
    EXPECT_EQ(0, held->refCount);
    delete held;
}

}  // namespace
