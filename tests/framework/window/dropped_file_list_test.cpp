#include "framework/window/dropped_file_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/hdrop_builder.h"
#include "tests/support/win_test_env.h"

using testsupport::BuildDropHandle;

namespace {

const std::vector<std::string> kThree = {"C:\\DATA\\ONE.TXT", "D:\\二番目.ELG", "E:\\x"};

std::vector<std::string> Names(DroppedFileList& list) {
    std::vector<std::string> names;
    for (std::uint32_t i = 0; const char* name = list.Get(i); ++i) names.push_back(name);
    return names;
}

// DragFinish frees the block; a freed handle no longer answers GlobalSize.
bool Finished(HDROP drop) { return GlobalSize(drop) == 0; }

TEST(DroppedFileList, TakesEveryDroppedName) {
    DroppedFileList list;
    HDROP drop = BuildDropHandle(kThree);
    ASSERT_NE(nullptr, drop);
    EXPECT_EQ(0, list.OnDropFiles(drop));
    EXPECT_TRUE(Finished(drop));
    EXPECT_EQ(kThree, Names(list));
    EXPECT_EQ(3u, list.Count());
    EXPECT_EQ(nullptr, list.Get(3));
    EXPECT_EQ(nullptr, list.Get(0xFFFFFFFF));
}

TEST(DroppedFileList, SingleFileModeKeepsTheFirst) {
    DroppedFileList list;
    list.SetSingleFile(true);
    EXPECT_EQ(0, list.OnDropFiles(BuildDropHandle(kThree)));
    EXPECT_EQ(std::vector<std::string>{kThree[0]}, Names(list));
}

TEST(DroppedFileList, SecondDropBeforeClearIsRefusedAndFinished) {
    DroppedFileList list;
    ASSERT_EQ(0, list.OnDropFiles(BuildDropHandle(kThree)));
    HDROP second = BuildDropHandle({"F:\\LATER.TXT"});
    EXPECT_EQ(-1, list.OnDropFiles(second));
    EXPECT_TRUE(Finished(second));
    EXPECT_EQ(kThree, Names(list));

    list.Clear();
    EXPECT_EQ(nullptr, list.Get(0));
    EXPECT_EQ(0, list.OnDropFiles(BuildDropHandle({"F:\\LATER.TXT"})));
    EXPECT_EQ(std::vector<std::string>{"F:\\LATER.TXT"}, Names(list));
}

TEST(DroppedFileList, AnEmptyDropStoresNothing) {
    DroppedFileList list;
    list.SetSingleFile(true);
    HDROP empty = BuildDropHandle({});
    EXPECT_EQ(0, list.OnDropFiles(empty));
    EXPECT_TRUE(Finished(empty));
    EXPECT_EQ(0u, list.Count());
    EXPECT_EQ(nullptr, list.Get(0));
    // Nothing was stored, so the next drop is not refused as a second one.
    EXPECT_EQ(0, list.OnDropFiles(BuildDropHandle(kThree)));
    EXPECT_EQ(std::vector<std::string>{kThree[0]}, Names(list));
}

TEST(DroppedFileList, AcceptStoresTheFlagAndTellsTheWindow) {
    testsupport::MessageWindow window;
    DroppedFileList list;
    list.Accept(window.Handle(), 1);
    EXPECT_EQ(1, list.AcceptFlag());
    EXPECT_NE(0, GetWindowLongA(window.Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    list.Accept(window.Handle(), 0);
    EXPECT_EQ(0, list.AcceptFlag());
    EXPECT_EQ(0, GetWindowLongA(window.Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
}

}  // namespace
