// FrameworkApp: the application object of the framework. It owns the main window, the input
// devices, the game thread and the system and display information, starts and ends the program
// in a fixed order, runs the single-threaded or the threaded mode, and serves the window
// requests that the game thread sends as private messages. The game's application derives from
// it and fills in the hooks.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "framework/app/app_platform.h"
#include "framework/app/app_records.h"
#include "framework/app/ime_context.h"
#include "framework/app/screen_port.h"
#include "framework/app/startup_log.h"
#include "framework/app/text_receiver.h"
#include "framework/input/input_manager.h"
#include "framework/runtime/app_core.h"
#include "framework/runtime/clock.h"
#include "framework/runtime/recursive_lock.h"
#include "framework/runtime/thread.h"
#include "framework/system/display_info.h"
#include "framework/system/report_values.h"
#include "framework/system/system_info.h"
#include "framework/window/framework_window.h"

class FrameworkApp;

// The private window messages.
enum : UINT {
    kMsgShowCursor = 0x9000,
    kMsgMessageBox = 0x9001,
    kMsgScreenMode = 0x9002,
    kMsgOpenMenu = 0x9003,
    kMsgHideMenu = 0x9004,
    kMsgDestroy = 0x9005,
    kMsgIme = 0x9007,
    kMsgTextCaptureValue = 0x9008,
};

// Start-up results.
enum : std::int32_t {
    kStartOk = 0,
    kStartStartupFailed = 1,
    kStartAlreadyRunning = 3,
    kStartDisplayUnfit = 5,
    kStartLogFailed = 6,
    kStartCanvasFailed = 7,
    kStartBeforeWindowFailed = 8,
    kStartWindowFailed = 11,
    kStartScreenModeFailed = 12,
    kStartDevicesFailed = 13,
    // The threaded mode's game thread could not be started: a window without a game would
    // have nothing to end its message loop.
    kStartGameThreadFailed = 14,
};

// Switch forms of SwitchScreenMode.
enum : std::uint8_t { kSwitchIfChanged = 0, kSwitchAlways = 1, kSwitchInitial = 2 };

// What 0x9001 carries.
struct MessageBoxRequest {
    // 0 OK, 1 yes/no, 2 OK/Cancel.
    std::uint8_t kind;
    const char* text;
    const char* caption;
    // 1 exclamation, 2 information, 3 question, 4 stop, other none.
    std::uint8_t type;
    // Kind 1: Yes chosen; kind 2: OK chosen; kind 0 leaves it.
    std::uint8_t answer;
};

// Where the application reads the machine; the real one unless a test replaces it.
struct FrameworkAppSources {
    AppPlatform* platform = &SystemAppPlatform();
    Clock* clock = &SystemClock();
    SystemSource* system = &RealSystemSource();
    DisplaySource* display = &RealDisplaySource();
    InputPlatform* input = &SystemInputPlatform();
    ImmApi* imm = &SystemImmApi();
    // The joysticks read through winmm (the input method without DirectInput).
    const WinmmJoystickApi* winmm = &SystemWinmmJoystickApi();
};

// The main window: adds the IME messages to the default handling.
class ImeAppWindow : public AppWindow {
public:
    explicit ImeAppWindow(FrameworkApp& app) : m_app(app) {}
    std::int32_t DefaultHandler(WindowMessage& message) override;

private:
    FrameworkApp& m_app;
};

// The low-level keyboard hook's decision: true swallows the key (system keys that would leave
// full screen).
bool KeyboardHookSwallows(std::uint8_t playerMode, int code, std::uint8_t systemKeyMode,
                          bool menuShown, bool modalOpen, DWORD key, DWORD flags, bool ctrlDown);

class FrameworkApp : public AppCore {
public:
    explicit FrameworkApp(const FrameworkAppSources& sources = FrameworkAppSources());
    ~FrameworkApp() override;

    // AppCore.
    std::int32_t Initialize() override;
    std::int32_t Exit(std::int32_t code) override;
    bool PreTranslate(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD time,
                      LONG x, LONG y) override;
    const char* ErrorTitle() override;

    // Hooks.
    virtual std::int32_t Startup();
    virtual const char* SaveFolder();
    virtual std::int32_t BeforeWindow();
    virtual std::int32_t StartDevices();
    virtual void BeforeExit(std::int32_t code);
    virtual void AfterExit(std::int32_t code);
    virtual std::int32_t BeforeMenuWindow();
    virtual void WorkerRun();
    virtual std::int32_t WorkerStart();
    virtual std::int32_t FrameStep();
    virtual void WorkerEnd();
    // Window thread: hands the game thread a pause request and pumps until it is taken.
    // 0 taken (or single-threaded), 1 called on the game thread, -1 WM_QUIT came (the
    // caller's window handle is cleared), -2 the game thread was asked to stop.
    virtual std::int32_t WaitWorker(HWND* window);
    virtual void EnableMainWindow(HWND window);
    virtual void OnScreenModeSwitching();
    virtual void OnFullScreenEntered();
    virtual void OnWindowModeEntered();
    virtual void OnFramesSuspended();
    virtual void OnFramesResumed();
    virtual void OnFullScreenActivated();
    virtual void OnFullScreenDeactivated();
    virtual void OnWindowActivated();
    virtual void OnWindowDeactivated();

    // Message handlers: 0 handled, 1 on to the default handling.
    virtual std::int32_t OnActivateApp(WindowMessage& m);
    virtual std::int32_t OnActivate(WindowMessage& m);
    virtual std::int32_t OnDisplayChange(WindowMessage& m);
    virtual std::int32_t OnPaint(WindowMessage& m);
    virtual std::int32_t OnClose(WindowMessage& m);
    virtual std::int32_t OnKeyDown(WindowMessage& m);
    virtual std::int32_t OnSysKeyUp(WindowMessage& m);
    virtual std::int32_t OnMouseWheel(WindowMessage& m);
    virtual std::int32_t OnSetCursor(WindowMessage& m);
    virtual std::int32_t OnEnterMenuLoop(WindowMessage& m);
    virtual std::int32_t OnExitMenuLoop(WindowMessage& m);
    virtual std::int32_t OnEnterSizeMove(WindowMessage& m);
    virtual std::int32_t OnExitSizeMove(WindowMessage& m);
    virtual std::int32_t OnKeyUp(WindowMessage& m);
    virtual std::int32_t OnSysKeyDown(WindowMessage& m);
    virtual std::int32_t OnLButtonDown(WindowMessage& m);
    virtual std::int32_t OnLButtonUp(WindowMessage& m);
    virtual std::int32_t OnRButtonDown(WindowMessage& m);
    virtual std::int32_t OnRButtonUp(WindowMessage& m);
    virtual std::int32_t OnMButtonDown(WindowMessage& m);
    virtual std::int32_t OnMButtonUp(WindowMessage& m);
    virtual std::int32_t OnShowCursorRequest(WindowMessage& m);
    virtual std::int32_t OnMessageBoxRequest(WindowMessage& m);
    virtual std::int32_t OnScreenModeRequest(WindowMessage& m);
    virtual std::int32_t OnOpenMenuRequest(WindowMessage& m);
    virtual std::int32_t OnHideMenuRequest(WindowMessage& m);
    virtual std::int32_t OnImeRequest(WindowMessage& m);
    virtual std::int32_t OnDestroyRequest(WindowMessage& m);
    virtual LRESULT CaptureWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    std::int32_t OnMenuWindowSysCommand(WindowMessage& m);

    // Message boxes (window thread). A null owner is the main window, a null caption the title.
    void ShowMessageBox(const char* text, std::uint8_t type, HWND owner, const char* caption);
    bool AskYesNo(const char* text, std::uint8_t type, HWND owner, const char* caption);
    bool AskOkCancel(const char* text, std::uint8_t type, HWND owner, const char* caption);
    // Any thread: the box is shown on the window thread. False without a main window.
    bool RequestMessageBox(std::uint8_t kind, const char* text, std::uint8_t type,
                           const char* caption);
    // -1 shown again, 0 made and shown, 1 the hook refused, 2 creation failed.
    std::int32_t OpenFullScreenMenu();

    // Cursor and screen modes.
    void MapGamePointToScreen(POINT& point);
    void SetGameCursorPos(std::int32_t x, std::int32_t y);
    bool IsCursorAtGamePoint(std::int32_t x, std::int32_t y);
    bool TrackCursor();
    std::int32_t InstallKeyboardHook();
    void RemoveKeyboardHook();
    // 0 done, 1 no main window, else the device's code (positive codes + 1).
    std::int32_t SwitchScreenMode(std::uint8_t mode, std::uint8_t depth, std::uint8_t form);
    std::int32_t RequestScreenModeSwitch(std::uint8_t mode, std::uint8_t depth, std::uint8_t form);
    void PauseForModal();
    void ResumeAfterModal();
    void CenterWindow(HWND window);
    void GetClientRectOnScreen(RECT& out);

    // Text capture and IME.
    std::int32_t EnableIme(bool on);
    std::int32_t AttachTextCapture(HWND window);
    bool SendTextCaptureValue(std::uint32_t value);
    std::uint8_t DeliverCapturedText(TextReceiver* receiver);
    ImeContext& Ime() { return m_ime; }
    ImmApi& ImeApi() { return *m_imm; }

    // The screen device is made by the graphics side and handed in before Initialize.
    void SetScreen(ScreenPort* screen) { m_screen = screen; }
    ScreenPort* Screen() const { return m_screen; }
    // The values that the start-up log and the system report print.
    void FillDeviceReportValues(DeviceReportValues& values);

    AppDescription& Description() { return m_description; }
    PlayerSettings& Settings() { return m_settings; }
    AppWindow& MainWindow() { return m_mainWindow; }
    AppWindow& MenuWindow() { return m_menuWindow; }
    InputManager& Input() { return m_input; }
    SystemInfo& System() { return m_systemInfo; }
    SystemSource& SystemSourceRef() { return *m_systemSource; }
    DisplayInfo& Display() { return m_displayInfo; }
    Thread& GameThread() { return m_gameThread; }
    RecursiveLock& ScreenLock() { return m_screenLock; }
    AppPlatform& Platform() { return *m_platform; }
    Clock& AppClock() { return *m_clock; }
    const std::string& Title() const { return m_title; }
    const std::string& ProductName() const { return m_productName; }
    const std::string& Notice() const { return m_notice; }
    const std::string& WebAddress() const { return m_webAddress; }
    void SetTexts(const std::string& title, const std::string& product, const std::string& notice,
                  const std::string& web);
    const char* ProgramFolder() const { return m_programFolder; }

    // State the handlers and the game read and write.
    std::int32_t gameWidth = 0;
    std::int32_t gameHeight = 0;
    POINT gameCursor = {-1, -1};
    std::uint8_t edgeZone = 0;
    std::uint8_t active = 0;
    std::uint8_t switchingMode = 0;
    // 0 none, 1 restore the full-screen mode, 2 the letterbox mode.
    std::uint8_t restorePending = 0;
    std::uint8_t framesEnabled = 1;
    std::uint8_t inSizeMove = 0;
    // 1 asked, 2 taken by the game thread.
    volatile LONG pauseRequest = 0;
    std::uint8_t monitorFits = 0;
    std::uint8_t keepTopmost = 1;
    // Bits 0-1 system-key mode, bit 2 full screen allowed, bit 3 a switch happened.
    std::uint8_t windowFlags = 0x05;
    std::uint8_t fatalError = 0;
    HMENU mainMenu = nullptr;
    std::int32_t menuBarHeight = 0;
    std::uint8_t menuShown = 0;
    std::uint8_t cursorShownForMenu = 0;
    std::uint8_t modalOpen = 0;
    std::uint8_t screenSaverSuspendedByModal = 0;
    std::uint32_t menuHiddenTime = 0;
    std::uint8_t moviePlaying = 0;
    std::uint8_t imeAttached = 1;
    std::uint8_t imeStatusShown = 1;
    // The game shows its own cursor in full screen.
    std::uint8_t gameCursorShown = 0;
    std::uint32_t menuRevealTimer = 0;
    // What the start-up log reads besides the application's own members.
    StartupLogSources logSources = RealStartupLogSources();

    std::uint8_t SystemKeyMode() const { return windowFlags & 3; }
    bool ThreadedMode() const { return m_settings.block1[kThreadedMode] != 0; }
    // The process's one application object.
    static FrameworkApp* Current() { return s_instance; }
    // The module instance the windows and the hook belong to.
    HINSTANCE ModuleInstance() { return Instance() != nullptr ? Instance() : GetModuleHandleA(nullptr); }

protected:
    // Starts the threaded mode's game thread on WorkerRun: 0, or 1 when it cannot start.
    virtual std::int32_t StartGameThread();
    // The boxes of start-up and exit: owned by the desktop.
    void ShowDesktopBox(const char* text, std::uint8_t type);

private:
    friend class StartupLog;
    void InstallHandlers();
    std::int32_t CheckDisplay();
    std::int32_t CreateMainWindow();
    void CreateInputDevices();
    std::int32_t SetInitialScreenMode();
    void SuspendSystemSavers();
    void RestoreSystemSavers();
    void StopGameThreadPumping();
    std::int32_t BoxType(std::uint8_t type, UINT buttons, HWND owner, const char* text,
                         const char* caption);
    void SuspendScreenSaver();
    void RestoreScreenSaver();
    bool FullScreenNow() { return m_screen != nullptr && m_screen->IsFullScreen(); }
    bool ModeHeld() { return m_screen != nullptr && m_screen->FullScreenModeHeld(); }
    bool MouseKeepsCursor();
    void EndMenuFromTracking();
    bool TrackFullScreen();
    bool TrackWindow();
    void ZoneTests(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
    static LRESULT CALLBACK CaptureSubclassProc(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam);
    static LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam);

    static FrameworkApp* s_instance;

    AppPlatform* m_platform;
    Clock* m_clock;
    SystemSource* m_systemSource;
    HANDLE m_mutex = nullptr;
    char m_programFolder[MAX_PATH + 1] = {};
    HHOOK m_keyboardHook = nullptr;
    std::uint32_t m_savedScreenSaver = 0;
    std::uint32_t m_savedLowPower = 0;
    std::uint32_t m_savedPowerOff = 0;
    EXECUTION_STATE m_savedExecutionState = 0;
    ImeAppWindow m_mainWindow;
    ScreenPort* m_screen = nullptr;
    RecursiveLock m_screenLock;
    InputManager m_input;
    Thread m_gameThread;
    SystemInfo m_systemInfo;
    DisplayInfo m_displayInfo;
    AppDescription m_description;
    std::string m_title;
    std::string m_productName;
    std::string m_notice;
    std::string m_webAddress;
    PlayerSettings m_settings;
    AppWindow m_menuWindow;
    ImeContext m_ime;
    ImmApi* m_imm;
    // Text capture.
    volatile std::uint32_t m_lastKey = 0;
    char m_text[32] = {};
    std::uint32_t m_textLength = 0;
    std::uint32_t m_delivered = 0;
    std::uint8_t m_leadPending = 0;
    HWND m_capturedWindow = nullptr;
    WNDPROC m_previousProc = nullptr;
    RecursiveLock m_textLock;
    std::unique_ptr<StartupLog> m_log;
    bool m_outputListMade = false;
};
