// The program that the RunProgram tests start.
//   run_program_helper MARKER                  writes MARKER after a short pause, then ends
//   run_program_helper MARKER --after EVENT    waits for the named event, then writes MARKER
//   run_program_helper MARKER --window EVENT   opens a window, writes MARKER and waits for
//                                              input until the named event is set, then
//                                              writes MARKER.exit
// Every wait ends after 30 seconds, so a test that fails cannot leave it running. Built twice:
// run_program_helper.exe for the console, run_program_helper_gui.exe as a windowed program
// (the only kind that Windows lets a caller wait on until it waits for input).
#include <windows.h>

#include <cstring>
#include <string>

namespace {

constexpr DWORD kWaitLimitMs = 30000;

void WriteMarker(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, "ran", 3, &written, nullptr);
    CloseHandle(file);
}

int RunWindow(const std::string& marker, HANDLE event) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "RunProgramHelper";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("RunProgramHelper", "RunProgram helper", WS_OVERLAPPEDWINDOW, 0, 0,
                                100, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
    WriteMarker(marker);
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= kWaitLimitMs) break;
        const DWORD woke = MsgWaitForMultipleObjects(1, &event, FALSE, kWaitLimitMs - elapsed, QS_ALLINPUT);
        if (woke != WAIT_OBJECT_0 + 1) break;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
    DestroyWindow(window);
    WriteMarker(marker + ".exit");
    return 0;
}

}  // namespace

int Run(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string marker = argv[1];
    if (argc >= 4) {
        HANDLE event = OpenEventA(SYNCHRONIZE, FALSE, argv[3]);
        if (!event) return 3;
        if (std::strcmp(argv[2], "--window") == 0) return RunWindow(marker, event);
        WaitForSingleObject(event, kWaitLimitMs);
        CloseHandle(event);
        WriteMarker(marker);
        return 0;
    }
    // Long enough that a caller that does not wait returns before the marker exists.
    Sleep(300);
    WriteMarker(marker);
    return 0;
}

#ifdef RUN_PROGRAM_HELPER_GUI
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return Run(__argc, __argv); }
#else
int main(int argc, char** argv) { return Run(argc, argv); }
#endif
