// The shared test helpers behave as the other tests assume.
#include "tests/support/win_test_env.h"

#include <gtest/gtest.h>

using namespace testsupport;

TEST(TestSupport, TempFolderHoldsFilesAndIsRemoved) {
    std::string path;
    {
        TempFolder folder;
        path = folder.File("a/b/c.bin");
        ASSERT_TRUE(WriteFile(path, std::vector<std::uint8_t>{1, 2, 3}));
        EXPECT_EQ((std::vector<std::uint8_t>{1, 2, 3}), ReadFile(path));
    }
    EXPECT_FALSE(FileExists(path));
}

TEST(TestSupport, MessageWindowReceivesPostedMessages) {
    MessageWindow window;
    ASSERT_NE(nullptr, window.Handle());
    PostMessageA(window.Handle(), WM_USER + 5, 0, 0);
    PumpMessagesFor(1000);
    ASSERT_EQ(1u, window.Received().size());
    EXPECT_EQ(static_cast<UINT>(WM_USER + 5), window.Received()[0]);
}
