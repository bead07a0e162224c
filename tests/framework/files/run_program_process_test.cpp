// RunProgram against real programs (tests/plugins/run_program_helper).
#include <gtest/gtest.h>

#include <string>

#include "framework/files/file_services.h"
#include "tests/framework/plugin_test_files.h"
#include "tests/support/win_test_env.h"

namespace {

// Waits, at most about 30 seconds, for a file to appear.
bool AppearsSoon(const std::string& path) {
    for (int i = 0; i < 600; ++i) {
        if (testsupport::FileExists(path)) return true;
        Sleep(50);
    }
    return false;
}

class RunProgramTest : public ::testing::Test {
protected:
    std::string Helper(const std::string& arguments, const char* program = "run_program_helper.exe") {
        return "\"" + plugintest::BinaryFile(program) + "\" \"" + m_folder.File("marker") + "\"" + arguments;
    }
    testsupport::TempFolder m_folder;
};

TEST_F(RunProgramTest, WaitModeOneReturnsWhenTheProgramHasEnded) {
    ASSERT_EQ(0, RunProgram(Helper("").c_str(), 1, 0, 0));
    EXPECT_TRUE(testsupport::FileExists(m_folder.File("marker")));
}

TEST_F(RunProgramTest, WaitModeZeroReturnsAtOnce) {
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, "SorahaneRunProgramTestAfter");
    ASSERT_NE(nullptr, event);
    ASSERT_EQ(0, RunProgram(Helper(" --after SorahaneRunProgramTestAfter").c_str(), 0, 0, 0));
    EXPECT_FALSE(testsupport::FileExists(m_folder.File("marker"))) << "the program waits for the test";
    SetEvent(event);
    EXPECT_TRUE(AppearsSoon(m_folder.File("marker")));
    CloseHandle(event);
}

TEST_F(RunProgramTest, WaitModeTwoReturnsWhenTheProgramWaitsForInput) {
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, "SorahaneRunProgramTestWindow");
    ASSERT_NE(nullptr, event);
    ASSERT_EQ(0, RunProgram(Helper(" --window SorahaneRunProgramTestWindow", "run_program_helper_gui.exe").c_str(), 2, 0, 0));
    EXPECT_TRUE(testsupport::FileExists(m_folder.File("marker")));
    SetEvent(event);
    EXPECT_TRUE(AppearsSoon(m_folder.File("marker.exit")));
    CloseHandle(event);
}

TEST_F(RunProgramTest, AProgramThatCannotStartGivesOne) {
    EXPECT_EQ(1, RunProgram(("\"" + m_folder.File("missing.exe") + "\"").c_str(), 1, 0, 0));
}

}  // namespace
