#include "framework/app/framework_app.h"

#include <cstdio>
#include <cstring>

#include "framework/app/startup_log.h"
#include "framework/files/path_utilities.h"
#include "framework/sound/output_devices.h"
#include "framework/system/cpu_info.h"

FrameworkApp* FrameworkApp::s_instance = nullptr;

namespace {

const char kDepthText[] = "画面モードをHighColor(16bit)以上にして起動して下さい";
const char kResolutionText[] = "画面解像度を現在の設定より大きくして起動して下さい";
const char kLogText[] = "ログファイルの作成に失敗";
const char kNoDisplayText[] = "ディスプレイデバイスの情報を取得できません。";
const char kWindowOnlyText[] =
    "ディスプレイデバイスの情報取得に失敗しました。\nウィンドウモードのみ利用可能です。";
const char kCanvasText[] = "ディスプレイキャンバスの作成に失敗";
const char kWindowText[] = "ウィンドウの作成に失敗";
const char kScreenText[] = "画面の初期化に失敗 : %d";
const char kFatalText[] = "予期せぬエラーが発生したため、強制終了しました。ErrorCode：%d";
const char kThreadText[] = "ゲームスレッドの開始に失敗";

}  // namespace

std::int32_t ImeAppWindow::DefaultHandler(WindowMessage& m) {
    switch (m.message) {
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_ENDCOMPOSITION:
        return 0;
    case WM_IME_COMPOSITION:
        return (m.lParam & GCS_RESULTSTR) ? 1 : 0;
    case WM_IME_SETCONTEXT:
        m.lParam &= 0x3FFFFFF0u;
        return 1;
    case WM_IME_NOTIFY:
        if (m.wParam == IMN_OPENSTATUSWINDOW) return m_app.Settings().screenMode == 1 ? 0 : 1;
        if (m.wParam == IMN_CLOSECANDIDATE) {
            m_app.Ime().candidateOpen = false;
            return 1;
        }
        if (m.wParam == IMN_OPENCANDIDATE) {
            ImeContext& ime = m_app.Ime();
            if (ime.Context() != nullptr) {
                CANDIDATEFORM form = {};
                form.dwIndex = 0;
                form.dwStyle = CFS_EXCLUDE;
                form.ptCurrentPos.x = ime.X();
                form.ptCurrentPos.y = ime.Y();
                form.rcArea.right = ime.X();
                form.rcArea.bottom = ime.Y();
                m_app.ImeApi().SetCandidateWindow(ime.Context(), &form);
            }
            ime.candidateOpen = true;
            return 1;
        }
        return 1;
    default:
        return AppWindow::DefaultHandler(m);
    }
}

FrameworkApp::FrameworkApp(const FrameworkAppSources& sources)
    : AppCore(true),
      m_platform(sources.platform),
      m_clock(sources.clock),
      m_systemSource(sources.system),
      m_mainWindow(*this),
      m_input(*sources.input, *sources.clock, *sources.winmm),
      m_systemInfo(*sources.system),
      m_displayInfo(*sources.display),
      m_ime(*sources.imm),
      m_imm(sources.imm) {
    s_instance = this;
    const char* base = GetBaseDirectory();
    if (base != nullptr) lstrcpynA(m_programFolder, base, sizeof(m_programFolder));
    m_mainWindow.SetDisplaySource(*sources.display);
    m_menuWindow.SetDisplaySource(*sources.display);
}

FrameworkApp::~FrameworkApp() {
    {
        ScopedLock lock(m_textLock);
        if (m_capturedWindow != nullptr && m_previousProc != nullptr && IsWindow(m_capturedWindow))
            SetWindowLongPtrA(m_capturedWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
        m_capturedWindow = nullptr;
    }
    m_ime.Release();
    m_gameThread.Join();
    m_menuWindow.Destroy();
    m_mainWindow.Destroy();
    RemoveKeyboardHook();
    if (m_mutex != nullptr) {
        ReleaseMutex(m_mutex);
        CloseHandle(m_mutex);
    }
    if (g_displayInfo == &m_displayInfo) g_displayInfo = nullptr;
    if (s_instance == this) s_instance = nullptr;
}

void FrameworkApp::SetTexts(const std::string& title, const std::string& product,
                            const std::string& notice, const std::string& web) {
    m_title = title;
    m_productName = product;
    m_notice = notice;
    m_webAddress = web;
}

const char* FrameworkApp::ErrorTitle() { return m_title.c_str(); }
std::int32_t FrameworkApp::Startup() {
    SetTexts("ORV DX Application", "Orvane DX", "Built with the Orvane DX framework.",
             "about:blank");
    return 0;
}
const char* FrameworkApp::SaveFolder() { return nullptr; }
std::int32_t FrameworkApp::BeforeWindow() { return 0; }
std::int32_t FrameworkApp::StartDevices() { return 0; }
void FrameworkApp::BeforeExit(std::int32_t) {}
void FrameworkApp::AfterExit(std::int32_t) {}
std::int32_t FrameworkApp::BeforeMenuWindow() { return 0; }
std::int32_t FrameworkApp::WorkerStart() { return 0; }
std::int32_t FrameworkApp::FrameStep() {
    Sleep(16);
    return 0;
}
void FrameworkApp::WorkerEnd() {}
void FrameworkApp::OnScreenModeSwitching() {}
void FrameworkApp::OnFullScreenEntered() {}
void FrameworkApp::OnWindowModeEntered() {}
void FrameworkApp::OnFramesSuspended() {}
void FrameworkApp::OnFramesResumed() {}
void FrameworkApp::OnFullScreenActivated() {}
void FrameworkApp::OnFullScreenDeactivated() {}
void FrameworkApp::OnWindowActivated() {}
void FrameworkApp::OnWindowDeactivated() {}

void FrameworkApp::ShowDesktopBox(const char* text, std::uint8_t type) {
    ShowMessageBox(text, type, GetDesktopWindow(), nullptr);
}

void FrameworkApp::InstallHandlers() {
    AppWindow& w = m_mainWindow;
    w.SetMessageHandler(WM_ACTIVATEAPP, BindOperation<&FrameworkApp::OnActivateApp>(this));
    w.SetMessageHandler(WM_ACTIVATE, BindOperation<&FrameworkApp::OnActivate>(this));
    w.SetMessageHandler(WM_DISPLAYCHANGE, BindOperation<&FrameworkApp::OnDisplayChange>(this));
    w.SetMessageHandler(WM_PAINT, BindOperation<&FrameworkApp::OnPaint>(this));
    w.SetMessageHandler(WM_CLOSE, BindOperation<&FrameworkApp::OnClose>(this));
    w.SetMessageHandler(WM_KEYDOWN, BindOperation<&FrameworkApp::OnKeyDown>(this));
    w.SetMessageHandler(WM_SYSKEYUP, BindOperation<&FrameworkApp::OnSysKeyUp>(this));
    w.SetMessageHandler(WM_MOUSEWHEEL, BindOperation<&FrameworkApp::OnMouseWheel>(this));
    w.SetMessageHandler(WM_SETCURSOR, BindOperation<&FrameworkApp::OnSetCursor>(this));
    w.SetMessageHandler(WM_ENTERMENULOOP, BindOperation<&FrameworkApp::OnEnterMenuLoop>(this));
    w.SetMessageHandler(WM_EXITMENULOOP, BindOperation<&FrameworkApp::OnExitMenuLoop>(this));
    if (!ThreadedMode()) {
        w.SetMessageHandler(WM_ENTERSIZEMOVE, BindOperation<&FrameworkApp::OnEnterSizeMove>(this));
        w.SetMessageHandler(WM_EXITSIZEMOVE, BindOperation<&FrameworkApp::OnExitSizeMove>(this));
    }
    if (m_settings.block1[kInputMethod] == 2) {
        w.SetMessageHandler(WM_KEYUP, BindOperation<&FrameworkApp::OnKeyUp>(this));
        w.SetMessageHandler(WM_SYSKEYDOWN, BindOperation<&FrameworkApp::OnSysKeyDown>(this));
        w.SetMessageHandler(WM_LBUTTONDOWN, BindOperation<&FrameworkApp::OnLButtonDown>(this));
        w.SetMessageHandler(WM_LBUTTONUP, BindOperation<&FrameworkApp::OnLButtonUp>(this));
        w.SetMessageHandler(WM_RBUTTONDOWN, BindOperation<&FrameworkApp::OnRButtonDown>(this));
        w.SetMessageHandler(WM_RBUTTONUP, BindOperation<&FrameworkApp::OnRButtonUp>(this));
        w.SetMessageHandler(WM_MBUTTONDOWN, BindOperation<&FrameworkApp::OnMButtonDown>(this));
        w.SetMessageHandler(WM_MBUTTONUP, BindOperation<&FrameworkApp::OnMButtonUp>(this));
    }
    w.SetMessageHandler(kMsgShowCursor, BindOperation<&FrameworkApp::OnShowCursorRequest>(this));
    w.SetMessageHandler(kMsgMessageBox, BindOperation<&FrameworkApp::OnMessageBoxRequest>(this));
    w.SetMessageHandler(kMsgScreenMode, BindOperation<&FrameworkApp::OnScreenModeRequest>(this));
    w.SetMessageHandler(kMsgOpenMenu, BindOperation<&FrameworkApp::OnOpenMenuRequest>(this));
    w.SetMessageHandler(kMsgHideMenu, BindOperation<&FrameworkApp::OnHideMenuRequest>(this));
    w.SetMessageHandler(kMsgIme, BindOperation<&FrameworkApp::OnImeRequest>(this));
    if (ThreadedMode())
        w.SetMessageHandler(kMsgDestroy, BindOperation<&FrameworkApp::OnDestroyRequest>(this));
}

std::int32_t FrameworkApp::CheckDisplay() {
    const bool deepEnough = m_systemInfo.BitsPerPixel() > 8;
    RECT outer = {};
    m_mainWindow.ComputeWindowRect(outer, gameWidth, gameHeight, m_description.style,
                                   m_description.exStyle, m_description.menuId != 0, false, 0, 0);
    m_displayInfo.Refresh();
    m_displayInfo.ReadAdapterNames();
    monitorFits = m_displayInfo.FindMonitorFor(outer.right - outer.left, outer.bottom - outer.top)
                      != nullptr;
    if (m_description.screenMode == 0) {
        if (!deepEnough) {
            ShowDesktopBox(kDepthText, 2);
            return kStartDisplayUnfit;
        }
        if (!monitorFits) {
            ShowDesktopBox(kResolutionText, 2);
            return kStartDisplayUnfit;
        }
        m_settings.screenMode = 2;
    } else if (m_settings.screenMode == 2 && (!monitorFits || !deepEnough)) {
        m_settings.screenMode = 0;
    }
    return kStartOk;
}

std::int32_t FrameworkApp::CreateMainWindow() {
    WindowCreateParams params;
    params.className = m_title;
    params.title = m_title;
    params.x = m_settings.windowX;
    params.y = m_settings.windowY;
    params.clientWidth = gameWidth;
    params.clientHeight = gameHeight;
    params.style = m_description.style;
    params.exStyle = m_description.exStyle;
    params.iconId = m_description.iconId;
    params.menuId = m_description.menuId;
    params.background = static_cast<HBRUSH>(
        GetStockObject(m_settings.block1[kDisplayCanvas] != 0 ? NULL_BRUSH : BLACK_BRUSH));
    if (m_description.menuId != 0) {
        menuBarHeight = GetSystemMetrics(SM_CYMENU);
        if (m_description.menuBarMode == 1)
            menuBarHeight += GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYDLGFRAME);
    }
    if (!(m_description.screenMode >= 2 && (windowFlags & 4) != 0)) params.style &= ~WS_MAXIMIZEBOX;
    if (m_mainWindow.Create(ModuleInstance(), params, nullptr,
                            true, true) != 0) {
        ShowDesktopBox(kWindowText, 4);
        return kStartWindowFailed;
    }
    return kStartOk;
}

void FrameworkApp::CreateInputDevices() {
    std::uint8_t& method = m_settings.block1[kInputMethod];
    if (method == 0 && m_input.InitDirectInput(true, ModuleInstance()) != 0) method = 1;
    m_input.CreateDevices(m_mainWindow.Handle(), method, method);
    if (m_settings.block1[kJoysticks] != 0) {
        for (std::int32_t id = 0; id < 16; ++id)
            if (m_input.CreateJoystick(id, m_mainWindow.Handle()) != 0) break;
    }
    if (m_input.Mouse() != nullptr) m_input.Mouse()->SetGamePoint(&gameCursor);
}

std::int32_t FrameworkApp::SetInitialScreenMode() {
    if (m_settings.screenMode == 0) {
        m_settings.screenMode = m_description.screenMode;
        m_settings.colourDepth = m_systemInfo.BitsPerPixel();
    }
    std::int32_t result = SwitchScreenMode(m_settings.screenMode, m_settings.colourDepth, kSwitchInitial);
    if (result != 0 && m_description.screenMode != 1 && m_screen->HasDirect3DDevice()) {
        // The retry keeps the initial form: the window is still the one start-up made.
        fatalError = 2;
        m_screen->ClearAcceleratedChoices();
        m_settings.screenMode = 0;
        m_settings.colourDepth = m_systemInfo.BitsPerPixel();
        result = SwitchScreenMode(0, m_settings.colourDepth, kSwitchInitial);
    }
    if (result != 0) {
        char text[128];
        std::snprintf(text, sizeof(text), kScreenText, static_cast<int>(result));
        ShowDesktopBox(text, 4);
        return kStartScreenModeFailed;
    }
    return kStartOk;
}

void FrameworkApp::SuspendSystemSavers() {
    if (m_settings.block1[kSuspendScreenSaver] != 0) {
        BOOL on = FALSE;
        m_platform->SystemParameters(SPI_GETSCREENSAVEACTIVE, 0, &on, 0);
        m_savedScreenSaver = on ? 1 : 0;
        if (on) m_platform->SystemParameters(SPI_SETSCREENSAVEACTIVE, FALSE, nullptr, 0);
    }
    if (m_settings.block1[kSuspendPowerSaving] != 0) {
        BOOL low = FALSE;
        BOOL off = FALSE;
        m_platform->SystemParameters(SPI_GETLOWPOWERACTIVE, 0, &low, 0);
        m_platform->SystemParameters(SPI_GETPOWEROFFACTIVE, 0, &off, 0);
        m_savedLowPower = low ? 1 : 0;
        m_savedPowerOff = off ? 1 : 0;
        if (low) m_platform->SystemParameters(SPI_SETLOWPOWERACTIVE, 0, nullptr, 0);
        if (off) m_platform->SystemParameters(SPI_SETPOWEROFFACTIVE, 0, nullptr, 0);
    }
    const bool oldSystem = m_systemInfo.IsWindows95() ||
                           (m_systemInfo.IsNtFamily() && !m_systemInfo.IsNt5OrLater());
    if (m_settings.block1[kKeepAwake] != 0 && !oldSystem)
        m_savedExecutionState = m_platform->SetExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
}

void FrameworkApp::RestoreSystemSavers() {
    if (m_savedScreenSaver) m_platform->SystemParameters(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, 0);
    if (m_savedLowPower) m_platform->SystemParameters(SPI_SETLOWPOWERACTIVE, 1, nullptr, 0);
    if (m_savedPowerOff) m_platform->SystemParameters(SPI_SETPOWEROFFACTIVE, 1, nullptr, 0);
    const bool oldSystem = m_systemInfo.IsWindows95() ||
                           (m_systemInfo.IsNtFamily() && !m_systemInfo.IsNt5OrLater());
    if (m_savedExecutionState != 0 && !oldSystem) m_platform->SetExecutionState(m_savedExecutionState);
    m_savedScreenSaver = m_savedLowPower = m_savedPowerOff = 0;
    m_savedExecutionState = 0;
}

std::int32_t FrameworkApp::Initialize() {
    struct LogCloser {
        std::unique_ptr<StartupLog>& log;
        ~LogCloser() { log.reset(); }
    } closer{m_log};

    if (Startup() != 0) return kStartStartupFailed;
    if (m_description.screenMode == 1 && m_settings.screenMode == 2) m_settings.screenMode = 0;
    if (gameWidth == 0) {
        gameWidth = m_description.gameWidth;
        gameHeight = m_description.gameHeight;
    }
    if (m_description.singleInstance != 0) {
        std::string name = "Orvane DX" + m_title;
        HANDLE other = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, name.c_str());
        if (other != nullptr) {
            HWND window = FindWindowA(m_title.c_str(), m_title.c_str());
            if (window != nullptr) {
                SetForegroundWindow(window);
                ShowWindow(window, SW_SHOWNORMAL);
            }
            CloseHandle(other);
            return kStartAlreadyRunning;
        }
        m_mutex = CreateMutexA(nullptr, TRUE, name.c_str());
    }
    InstallHandlers();
    if (std::int32_t r = CheckDisplay()) return r;
    if (!g_cpuDetected) DetectProcessor();

    if (m_settings.block1[kWriteStartupLog] != 0) {
        m_log = std::make_unique<StartupLog>(*this);
        if (!m_log->Open()) {
            m_log.reset();
            ShowDesktopBox(kLogText, 4);
            return kStartLogFailed;
        }
        m_log->WriteMachine();
    }
    // The log shows what the processor has; the player's choices take features away after.
    if (!m_settings.block1[kAllowCmov]) g_cpuInfo.cmov = 0;
    if (!m_settings.block1[kAllowMmx]) g_cpuInfo.mmx = g_cpuInfo.amdMmxExt = 0;
    if (!m_settings.block1[kAllowSse]) g_cpuInfo.mmxExt = g_cpuInfo.sse = 0;
    if (!m_settings.block1[kAllowSse2]) g_cpuInfo.sse2 = 0;

    if (m_screen->EnumerateDisplayModes(gameWidth, gameHeight) != 0) {
        if (m_description.screenMode == 1) {
            ShowDesktopBox(kNoDisplayText, 4);
            return kStartDisplayUnfit;
        }
        ShowDesktopBox(kWindowOnlyText, 1);
        m_description.screenMode = 0;
        m_settings.screenMode = 2;
        windowFlags &= ~4;
    }
    if (m_settings.block1[kDisplayCanvas] != 0) {
        if (m_screen->CreateCanvas(gameWidth, gameHeight, m_settings.block1[kDisplayCanvas] == 2) != 0) {
            ShowDesktopBox(kCanvasText, 4);
            return kStartCanvasFailed;
        }
    } else {
        m_screen->SetGameSize(gameWidth, gameHeight);
    }
    if (BeforeWindow() != 0) return kStartBeforeWindowFailed;
    SetUseMessageLoop(ThreadedMode());
    g_displayInfo = &m_displayInfo;
    if (std::int32_t r = CreateMainWindow()) return r;
    if (m_description.acceleratorId != 0 && LoadAccelerators(m_description.acceleratorId))
        SetAcceleratorWindow(m_mainWindow.Handle());
    EnableIme(false);
    CreateInputDevices();
    if (m_log) m_log->WriteDevices();
    if (std::int32_t r = SetInitialScreenMode()) return r;
    m_screen->SetPresentationOption(m_settings.block1[kPresentationOption]);
    if (m_log) m_log->WriteScreen();
    if (StartDevices() != 0) return kStartDevicesFailed;
    if (ThreadedMode()) {
        if (StartGameThread() != 0) {
            ShowDesktopBox(kThreadText, 4);
            return kStartGameThreadFailed;
        }
    }
    if (m_log) m_log->WriteClosing();
    m_log.reset();
    SuspendSystemSavers();
    return kStartOk;
}

std::int32_t FrameworkApp::StartGameThread() {
    return m_gameThread.SetDelegateAndStart(ThreadDelegate::Bind(this, &FrameworkApp::WorkerRun));
}

void FrameworkApp::StopGameThreadPumping() {
    // The game thread may sit in SendMessageA to this thread: pump while it winds down so the
    // send completes, and only then join.
    m_gameThread.RequestStop();
    for (int waited = 0; waited < 10000 && m_gameThread.IsRunning(); waited += 10) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    m_gameThread.Join();
}

std::int32_t FrameworkApp::Exit(std::int32_t code) {
    if (!ThreadedMode() && m_mainWindow.Exists()) {
        DestroyWindow(m_mainWindow.Handle());
        MSG message;
        while (!QuitReceived()) {
            BOOL got = GetMessageA(&message, nullptr, 0, 0);
            if (got == 0 || got == -1) break;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    if (ThreadedMode()) StopGameThreadPumping();
    BeforeExit(code);
    RestoreSystemSavers();
    if (m_screen != nullptr) m_screen->Release();
    m_menuWindow.Destroy();
    m_mainWindow.Destroy();
    RemoveKeyboardHook();
    if (m_mutex != nullptr) {
        ReleaseMutex(m_mutex);
        CloseHandle(m_mutex);
        m_mutex = nullptr;
    }
    AfterExit(code);
    if (m_outputListMade) {
        FreeOutputDevices();
        m_outputListMade = false;
    }
    if (fatalError != 0) {
        char text[160];
        std::snprintf(text, sizeof(text), kFatalText, static_cast<int>(fatalError));
        ShowDesktopBox(text, 4);
    }
    return 0;
}

void FrameworkApp::WorkerRun() {
    if (WorkerStart() == 0) {
        while (m_gameThread.KeepRunning()) {
            if (FrameStep() != 0) break;
        }
        WorkerEnd();
    }
    m_mainWindow.Send(kMsgDestroy, 0, 0);
}

std::int32_t FrameworkApp::WaitWorker(HWND* window) {
    if (!ThreadedMode()) return 0;
    if (GetCurrentThreadId() == m_gameThread.ThreadId()) return 1;
    InterlockedExchange(&pauseRequest, 1);
    if (window != nullptr && *window != nullptr) EnableWindow(*window, FALSE);
    for (;;) {
        Sleep(10);
        if (PumpMessages(true) != 0) {
            if (window != nullptr) *window = nullptr;
            return -1;
        }
        if (!m_gameThread.KeepRunning()) return -2;
        if (pauseRequest != 1) return 0;
    }
}

void FrameworkApp::EnableMainWindow(HWND window) {
    if (window != nullptr) EnableWindow(window, TRUE);
    InterlockedExchange(&pauseRequest, 0);
}

void FrameworkApp::FillDeviceReportValues(DeviceReportValues& values) {
    ReportApplicationValues& a = values.application;
    a.versionMajor = m_description.versionMajor;
    a.versionMinor = m_description.versionMinor;
    a.versionLetter = m_description.versionLetter;
    a.productName = m_productName;
    a.notice = m_notice;
    a.webAddress = m_webAddress;
    a.direct3DSetting = m_settings.block1[kDirect3DDetail] != 0;
    a.inputMethod = m_settings.block1[kInputMethod];
    if (m_screen != nullptr) m_screen->FillReportValues(values.screen);
    ReportInputValues& in = values.input;
    if (m_input.Keyboard() != nullptr) in.keyboardKeys = m_input.Keyboard()->KeyCount();
    if (m_input.Mouse() != nullptr) {
        in.mouseAxes = m_input.Mouse()->AxisCount();
        in.mouseButtons = m_input.Mouse()->ButtonCount();
    }
    if (JoystickDevice* joystick = m_input.GetJoystick(0)) {
        in.hasJoystick = true;
        in.joystickNumber = joystick->Slot();
        in.joystickName = joystick->Name();
        in.joystickAxes = joystick->AxisCount();
        in.joystickButtons = joystick->ReportedButtonCount();
    }
    values.fillSoundOutputs = [this](std::vector<ReportSoundOutput>& outputs) {
        if (!m_outputListMade) {
            EnumerateOutputDevices();
            m_outputListMade = true;
        }
        for (const OutputDevice* d = OutputDevices(); d != nullptr; d = d->next) {
            ReportSoundOutput out;
            out.hasGuid = d->guidPointer != nullptr;
            out.description = d->description;
            out.module = d->module;
            outputs.push_back(out);
        }
    };
}
