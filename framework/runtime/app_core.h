// AppCore: the root of the application classes. It keeps what the entry point receives and the
// accelerator table, and owns the program's two message loops: the blocking loop of Run, which
// drives the threaded mode, and the non-blocking PumpMessages that the frame functions call
// once per turn. Both run on the thread that created the windows.
#pragma once

#include <windows.h>

#include <cstdint>

class AppCore {
public:
    explicit AppCore(bool useMessageLoop);
    virtual ~AppCore() = default;
    AppCore(const AppCore&) = delete;
    AppCore& operator=(const AppCore&) = delete;

    // Start-up: 0, or a failure code that ends the run.
    virtual std::int32_t Initialize() = 0;
    // The whole run when the message loop is off; its result is not used.
    virtual std::int32_t RunOnce();
    // End of the run, given the start-up result (0 after a run); its result is not used.
    virtual std::int32_t Exit(std::int32_t code);
    // Sees every message before translation (the seven words of the MSG record); true means
    // consumed: no accelerator, no translation, no dispatch.
    virtual bool PreTranslate(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD time,
                              LONG x, LONG y);
    // Caption of the box that reports a failing GetMessageA; null for the default.
    virtual const char* ErrorTitle();

    // The failing start-up code, else 0.
    std::int32_t Run(HINSTANCE instance, HINSTANCE previousInstance, char* commandLine,
                     std::int32_t showCommand);
    // Empties the queue: 1 when WM_QUIT was taken (later messages stay queued), else 0. With
    // all false, the mouse-move class of messages (WM_SETCURSOR, WM_NCHITTEST, WM_NCMOUSEMOVE,
    // WM_MOUSEMOVE) is dropped unseen: a frame only cares where the pointer is now.
    std::int32_t PumpMessages(bool all);
    // Loads the table of integer resource id (low 16 bits) from the instance; true when loaded.
    bool LoadAccelerators(std::uint32_t resourceId);

    HINSTANCE Instance() const { return m_instance; }
    HINSTANCE PreviousInstance() const { return m_previousInstance; }
    char* CommandLine() const { return m_commandLine; }
    // Run sets it; a host that calls Initialize itself sets it here first.
    void SetCommandLine(char* line) { m_commandLine = line; }
    std::int32_t ShowCommand() const { return m_showCommand; }
    HACCEL Accelerators() const { return m_accelerators; }
    HWND AcceleratorWindow() const { return m_acceleratorWindow; }
    void SetAcceleratorWindow(HWND window) { m_acceleratorWindow = window; }
    bool UseMessageLoop() const { return m_useMessageLoop; }
    // Start-up chooses the run mode once the settings are read.
    void SetUseMessageLoop(bool on) { m_useMessageLoop = on; }
    bool QuitReceived() const { return m_quit; }

private:
    // Accelerators, translation and dispatch of one message that nobody consumed.
    void Deliver(MSG& message);

    HINSTANCE m_instance;
    HINSTANCE m_previousInstance;
    char* m_commandLine;
    std::int32_t m_showCommand;
    HACCEL m_accelerators;
    HWND m_acceleratorWindow;
    bool m_useMessageLoop;
    bool m_quit;
};
