// Single instance over two processes: the second instance is tests/plugins/framework_app_probe.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/framework/app/app_test_fixture.h"
#include "tests/framework/plugin_test_files.h"
#include "tests/support/win_test_env.h"

using apptest::AppParts;
using apptest::TestApp;
using apptest::Watchdog;

namespace {

// Starts `command` and dispatches this thread's messages until the process has ended: the
// probe restores our window through calls that this thread has to answer. The process's exit
// code, or -1 when it could not be started.
long RunPumping(std::string command) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    while (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<long>(code);
}

TEST(FrameworkAppProcess, SecondInstanceEndsWith3AndRestoresTheFirst) {
    AppParts parts;
    Watchdog watchdog(300000);
    testsupport::TempFolder folder;
    TestApp first(parts);
    first.Description().singleInstance = 1;
    ASSERT_EQ(0, first.Initialize());
    HWND window = first.MainWindow().Handle();
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(window));

    const std::string boxes = folder.File("boxes.txt");
    EXPECT_EQ(3, RunPumping("\"" + plugintest::BinaryFile("framework_app_probe.exe") + "\" " + first.title +
                            " \"" + boxes + "\""));
    EXPECT_FALSE(testsupport::FileExists(boxes)) << "the second instance showed a box";
    EXPECT_FALSE(IsIconic(window));
    first.Exit(0);

    // With the first one gone the same title starts (and the probe ends it at once).
    EXPECT_EQ(0, RunPumping("\"" + plugintest::BinaryFile("framework_app_probe.exe") + "\" " + first.title +
                            " \"" + boxes + "\""));
    EXPECT_FALSE(testsupport::FileExists(boxes));
}

}  // namespace
