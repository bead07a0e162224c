// The game application object: construction and destruction, the menu features, the busy
// counter, the forced-VSync and precise-wait requests, frame timing and the added window
// handlers.
#include "game/app/application.h"

#include <cstdio>
#include <cstring>

#include "framework/dialogs/browse_for_folder.h"
#include "framework/files/path_utilities.h"
#include "game/commands/file_commands.h"
#include "game/commands/script_object_lists.h"
#include "graphics/device/screen_device.h"

Application* Application::s_application = nullptr;

namespace {

namespace B3 = SettingsFiles::Block3;

const char kCloseQuestion[] = "『%s』\nを終了しますか？";
const char kReturnQuestion[] = "タイトルに戻ります。\nよろしいですか？";
const char kReturnRefused[] =
    "現在の状態でタイトルに戻ることは出来ません。\r\n行える状態になってから再度、実行して下さい。";
const char kSwitchFailed[] = "画面モード変更に失敗";

volatile LONG g_busyCounter = 0;

// The thread whose priority the busy counter lowers: the game thread in the threaded mode (null
// when it is not running), else the calling thread.
HANDLE BusyThread() {
    Application* app = Application::Current();
    if (app == nullptr) return GetCurrentThread();
    if (!app->ThreadedMode()) return GetCurrentThread();
    return app->GameThread().IsRunning() ? app->GameThread().Handle() : nullptr;
}

bool BusyRedrawOff() {
    Application* app = Application::Current();
    return app != nullptr && app->UserCfg().block3[B3::kNoBusyRedraw] != 0;
}

// Menu items of each feature.
const UINT kFeatureItems[kFeatureCount][2] = {
    {kCmdSettings, kCmdSettings2}, {kCmdSave, 0}, {kCmdLoad, 0}, {kCmdReturnToTitle, 0}, {kCmdScreenMode, 0}};

// Pauses the game around a modal window of the window thread, unless a modal window (or a
// box) already holds the pause: the inner window's end must not resume the game under the
// outer one.
class ModalPause {
public:
    explicit ModalPause(FrameworkApp& app) : m_app(app), m_own(app.modalOpen == 0) {
        if (m_own) m_app.PauseForModal();
    }
    ~ModalPause() {
        if (m_own) m_app.ResumeAfterModal();
    }
    ModalPause(const ModalPause&) = delete;
    ModalPause& operator=(const ModalPause&) = delete;

private:
    FrameworkApp& m_app;
    bool m_own;
};

// One of the game's modal windows for the life of the object.
class ModalWindow {
public:
    ModalWindow(Application& app, std::uint8_t state) : m_app(app), m_pause(app) { app.modalState = state; }
    ~ModalWindow() { m_app.modalState = kModalNone; }
    ModalWindow(const ModalWindow&) = delete;
    ModalWindow& operator=(const ModalWindow&) = delete;

private:
    Application& m_app;
    ModalPause m_pause;
};

template <class T>
T* RequestOf(LPARAM lParam) {
    return reinterpret_cast<T*>(static_cast<std::uintptr_t>(lParam));
}

void SetMaximizeBox(HWND window, bool on) {
    if (window == nullptr) return;
    LONG style = GetWindowLongA(window, GWL_STYLE);
    style = on ? (style | WS_MAXIMIZEBOX) : (style & ~WS_MAXIMIZEBOX);
    SetWindowLongA(window, GWL_STYLE, style);
}

}  // namespace

std::int32_t BusyCounterEnter() {
    if (BusyRedrawOff()) return -1;
    if (g_busyCounter > 0) {
        InterlockedIncrement(&g_busyCounter);
        return 1;
    }
    HANDLE thread = BusyThread();
    if (thread == nullptr) return 2;
    InterlockedIncrement(&g_busyCounter);
    SetThreadPriority(thread, THREAD_PRIORITY_LOWEST);
    return 0;
}

std::int32_t BusyCounterLeave() {
    const LONG before = g_busyCounter;
    if (BusyRedrawOff() || before == 0) return before;
    if (InterlockedDecrement(&g_busyCounter) == 0) {
        HANDLE thread = BusyThread();
        if (thread != nullptr) SetThreadPriority(thread, THREAD_PRIORITY_NORMAL);
    }
    return before;
}

std::int32_t BusyCount() { return g_busyCounter; }

Application::Application(const ApplicationSources& sources)
    : FrameworkApp(sources.framework),
      m_sources(sources),
      m_frameRate(60, true, *sources.frameClock),
      m_scheduler1(*sources.frameClock),
      m_scheduler2(*sources.frameClock),
      m_surfaceEffects(*sources.frameClock) {
    s_application = this;
    g_soundDecoderHost = &m_decoderHost;
    m_previousMathTables = g_mathTables;
    g_mathTables = &m_mathTables;
    FileServicesOfCommands().dropped = &m_droppedFiles;
    m_faceField.Reset(m_appCfg.bytes + SettingsFiles::AppCfg::kFontFace, SettingsFiles::AppCfg::kFontFaceSize, true);
    m_uiPanel.SetGroup(&m_partGroup);
}

Application::~Application() {
    // The panel's parts go while the group, canvases and fonts they use still exist.
    if (Services().parts == &m_uiPanel) Services().parts = nullptr;
    m_uiPanel.DeleteParts();
    SetObjectLists(nullptr);
    m_partGroup.Clear();
    m_partGroup.SetSoundManager(nullptr);
    // The engine writes into the save folder and uses the sound device: it goes next. The
    // movie DLLs follow it (a movie still open holds its own reference on its DLL).
    m_engine.reset();
    ReleaseMovieDlls();
    // What scripts loaded uses the screen device and the file system: it goes while they exist.
    ClearScriptObjectLists();
    if (CurrentSurfaceEffectFactory() == &m_surfaceEffects) SetCurrentSurfaceEffectFactory(nullptr);
    if (g_currentSoundDevice == &m_soundDevice) g_currentSoundDevice = nullptr;
    if (g_soundDecoderHost == &m_decoderHost) g_soundDecoderHost = nullptr;
    if (g_mathTables == &m_mathTables) g_mathTables = m_previousMathTables;
    if (g_imageLoaderHost == &m_imageLoaders) g_imageLoaderHost = nullptr;
    if (g_virtualFileSystem == &m_fileSystem) g_virtualFileSystem = nullptr;
    if (Services().window == &m_windowPort) Services().window = nullptr;
    if (Services().glide == &m_glidePort) Services().glide = nullptr;
    if (FileServicesOfCommands().dropped == &m_droppedFiles) FileServicesOfCommands().dropped = nullptr;
    if (s_application == this) s_application = nullptr;
}

void Application::SetScreenDevice(ScreenPort* port, ScreenFrame* frame) {
    SetScreen(port);
    m_screenFrame = frame;
}

void Application::SetObjectLists(ScreenDevice* device) {
    if (m_objectLists) m_objectLists->RemoveDeletionListener(&m_uiPanel);
    m_objectLists = device;
    m_uiPanel.SetObjectLookup(device);
    if (device) device->AddDeletionListener(&m_uiPanel);
}

const char* Application::ErrorTitle() { return m_appInf.texts[SettingsFiles::AppInf::kTitle].c_str(); }

const char* Application::SaveFolder() { return m_saveFolder.c_str(); }

void Application::ShowStopMessage(const char* text) { ShowMessageBox(text, 4, nullptr, nullptr); }

bool Application::UseCompiledScripts() { return m_userCfg.block3[B3::kCompiledScripts] != 0; }

std::int32_t Application::EnableMenuItem(std::uint32_t feature, bool enable) {
    if (feature >= kFeatureCount) return -1;
    const std::uint8_t policy = m_appSys.bytes[SettingsFiles::AppSys::kScreenModePolicy];
    if (feature == kFeatureScreenMode && policy == 0) return 0;
    const std::uint8_t value = enable ? 1 : 0;
    if (m_features[feature] == value) return 0;
    HMENU menu = MainWindow().Exists() ? GetMenu(MainWindow().Handle()) : nullptr;
    if (menu != nullptr) {
        for (UINT item : kFeatureItems[feature])
            if (item != 0) ::EnableMenuItem(menu, item, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
        DrawMenuBar(MainWindow().Handle());
    }
    if (feature == kFeatureScreenMode) {
        SetMaximizeBox(MainWindow().Handle(), enable);
        if (policy == 2 && m_appSys.bytes[SettingsFiles::AppSys::kMenuBarMode] != 2)
            SetMaximizeBox(MenuWindow().Handle(), enable);
    }
    m_features[feature] = value;
    return 0;
}

std::int32_t Application::ForceVSyncBegin() {
    ++m_forceVSyncCount;
    const bool vsyncOn = m_screenFrame != nullptr && m_screenFrame->VSyncMode() != 0;
    if (vsyncOn || m_userCfg.block3[B3::kAllowForcedVSync] == 0) return 0;
    if (Settings().block1[kDisplayCanvas] != 0 && m_screenFrame != nullptr) {
        m_screenFrame->SetVSyncMode(1);
    } else {
        m_userCfg.block3[B3::kVSync] = 2;
        ApplyFrameTiming(-1);
    }
    return 1;
}

std::int32_t Application::ForceVSyncEnd() {
    if (m_forceVSyncCount > 0) --m_forceVSyncCount;
    if (m_forceVSyncCount != 0 || m_userCfg.block3[B3::kAllowForcedVSync] == 0) return 0;
    if (Settings().block1[kDisplayCanvas] != 0 && m_screenFrame != nullptr) {
        m_screenFrame->SetVSyncMode(0);
    } else {
        m_userCfg.block3[B3::kVSync] = m_savedVSync;
        ApplyFrameTiming(-1);
    }
    return 1;
}

std::int32_t Application::SuspendPreciseWaitBegin() {
    ++m_preciseWaitCount;
    if (!m_frameRate.UsesCounter() || m_userCfg.block3[B3::kPreciseWait] == 0) return 0;
    m_userCfg.block3[B3::kPreciseWait] = 0;
    ApplyFrameTiming(-1);
    return 1;
}

std::int32_t Application::SuspendPreciseWaitEnd() {
    if (m_preciseWaitCount <= 0) return 0;
    if (--m_preciseWaitCount != 0) return 0;
    m_userCfg.block3[B3::kPreciseWait] = m_savedPreciseWait;
    ApplyFrameTiming(-1);
    return 1;
}

void Application::ApplyFrameTiming(std::int32_t rate) {
    if (rate < 0) rate = m_frameRate.Rate();
    bool vsync = false;
    if (m_screenFrame != nullptr && m_screenFrame->HasHardwareVSync()) {
        const std::uint8_t choice = m_userCfg.block3[B3::kVSync];
        const bool sixty = System().RefreshRate() == 60 || m_screenFrame->FullScreenRefreshRate() == 60;
        vsync = choice == 2 || (choice == 0 && sixty);
    }
    if (m_screenFrame != nullptr)
        m_screenFrame->SetVSyncMode(vsync ? static_cast<std::uint8_t>(m_userCfg.block3[B3::kVSyncVariant] + 1) : 0);
    m_frameRate.SetRate(rate, !vsync && m_userCfg.block3[B3::kPreciseWait] != 0);
}

std::int32_t Application::ProbeScreenMode(HWND window, std::uint8_t) {
    const std::uint8_t choice = m_appCfg.bytes[SettingsFiles::AppCfg::kMonitor];
    if (choice != 0) return GetSystemMetrics(SM_CMONITORS) >= choice ? 0 : 1;
    RECT area = {};
    if (window != nullptr) {
        GetWindowRect(window, &area);
    } else {
        area.left = Settings().windowX;
        area.top = Settings().windowY;
        area.right = area.left + m_appSys.Half(SettingsFiles::AppSys::kGameWidth);
        area.bottom = area.top + m_appSys.Half(SettingsFiles::AppSys::kGameHeight);
    }
    return MonitorFromRect(&area, MONITOR_DEFAULTTONEAREST) != nullptr ? 0 : 1;
}

void Application::OnWindowModeEntered() {
    if (m_features[kFeatureScreenMode] != 0) return;
    SetMaximizeBox(MainWindow().Handle(), false);
    if (MainWindow().Exists()) DrawMenuBar(MainWindow().Handle());
}

void Application::OnFullScreenActivated() {
    if (closePending == 0) return;
    closePending = 0;
    MainWindow().Post(WM_CLOSE, 0, 0);
}

std::int32_t Application::OnCreate(WindowMessage& m) {
    mainMenu = GetMenu(m.window->Handle());
    if (mainMenu != nullptr && m_appSys.bytes[SettingsFiles::AppSys::kScreenModePolicy] == 0)
        ::EnableMenuItem(mainMenu, kCmdScreenMode, MF_BYCOMMAND | MF_GRAYED);
    return 1;
}

std::int32_t Application::OnSysCommand(WindowMessage& m) {
    const WPARAM command = m.wParam & 0xFFF0;
    HWND window = MainWindow().Handle();
    const bool switchNow = command == SC_MAXIMIZE || (command == SC_RESTORE && !IsIconic(window) && active);
    if (!switchNow) return 1;
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    SendMessageA(window, WM_COMMAND, kCmdScreenMode, 0);
    return 0;
}

std::int32_t Application::OnClose(WindowMessage&) {
    HWND window = MainWindow().Handle();
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    if (Screen() != nullptr && Screen()->IsFullScreen() && !active) {
        closePending = 1;
        return 0;
    }
    // A close under an open modal window would nest a second one and end the first's state.
    if (modalState != kModalNone) return 0;
    modalState = kModalCloseQuestion;
    char text[600];
    std::snprintf(text, sizeof(text), kCloseQuestion, Title().c_str());
    const bool yes = AskQuestion(text);
    modalState = kModalNone;
    if (yes) {
        WindowMessage close = {&MainWindow(), WM_CLOSE, 0, 0, 0};
        return FrameworkApp::OnClose(close);
    }
    return 0;
}

void Application::ApplyScreenModeSwitch() {
    const std::uint8_t policy = m_appSys.bytes[SettingsFiles::AppSys::kScreenModePolicy];
    if (policy == 0 || m_features[kFeatureScreenMode] == 0) return;
    ScopedLock lock(ScreenLock());
    const std::uint8_t oldMode = Settings().screenMode;
    const std::uint8_t oldDepth = Settings().colourDepth;
    const std::uint8_t mode = oldMode == 1 ? 2 : 1;
    std::uint8_t depth = oldDepth;
    if (mode == 1) {
        if (ProbeScreenMode(MainWindow().Handle(), 0) != 0) {
            ShowMessageBox(kSwitchFailed, 4, nullptr, nullptr);
            return;
        }
        depth = static_cast<std::uint8_t>(System().BitsPerPixel());
    }
    Settings().screenMode = mode;
    Settings().colourDepth = depth;
    if (SwitchScreenMode(mode, depth, kSwitchIfChanged) != 0) {
        Settings().screenMode = oldMode;
        Settings().colourDepth = oldDepth;
        fatalError = 2;
        return;
    }
    if (mode == 2) {
        RECT work = {};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        const SIZE scaled = Screen()->ScaledClientSize();
        const LONG clientWidth = Screen()->ScalesWindow() ? scaled.cx : gameWidth;
        if (work.right - work.left == clientWidth) {
            RECT outer = {};
            GetWindowRect(MainWindow().Handle(), &outer);
            const LONG width = outer.right - outer.left;
            const LONG height = outer.bottom - outer.top;
            const LONG workHeight = work.bottom - work.top;
            const LONG x = work.left + (work.right - work.left - width) / 2;
            const LONG y = height < workHeight ? work.top + (workHeight - height) / 2 : work.top;
            SetWindowPos(MainWindow().Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        }
    }
    ApplyFrameTiming(-1);
}

std::int32_t Application::OnCommand(WindowMessage& m) {
    switch (LOWORD(m.wParam)) {
    case kCmdScreenMode:
        ApplyScreenModeSwitch();
        return 0;
    case kCmdReturnToTitle: {
        if (modalState != kModalNone || m_features[kFeatureReturnToTitle] == 0) return 0;
        modalState = kModalReturnToTitle;
        const bool yes = AskQuestion(kReturnQuestion);
        if (m_features[kFeatureReturnToTitle] == 0) ShowMessageBox(kReturnRefused, 2, nullptr, nullptr);
        else if (yes) restartRequest = 1;
        modalState = kModalNone;
        return 0;
    }
    case kCmdExit:
        MainWindow().Send(WM_CLOSE, 0, 0);
        return 0;
    case kCmdVersion:
        ShowVersion();
        return 0;
    case kCmdSettings:
    case kCmdSettings2:
        ShowSettings();
        return 0;
    case kCmdTextInput:
        RunTextInput(RequestOf<const char>(m.lParam));
        return 0;
    case kCmdOpenFile:
    case kCmdSaveFile:
        RunFileDialog(RequestOf<FileDialogRequest>(m.lParam), LOWORD(m.wParam) == kCmdSaveFile);
        return 0;
    case kCmdBrowseFolder:
        RunFolderBrowser(RequestOf<FolderRequest>(m.lParam));
        return 0;
    case kCmdSoundFormat: {
        std::int32_t* const block = RequestOf<std::int32_t>(m.lParam);
        if (!block) return 0;
        const bool given = block[0] != 0;
        block[0] = m_soundDevice.SetPrimaryFormat(MainWindow().Handle(), Settings().block1[20] != 0,
                                                  Settings().block1[18] != 0, nullptr, given ? block[0] : 2,
                                                  given ? block[1] : 44, given ? block[2] : 16);
        return 0;
    }
    default:
        return 1;
    }
}

bool Application::AskQuestion(const char* text) {
    if (!Dialogs().messageDialog) return AskYesNo(text, 3, nullptr, nullptr);
    MessageDialogRequest request;
    request.kind = 2;
    request.text = text;
    request.fit = 1;
    request.result = 0;
    return Dialogs().messageDialog(MainWindow().Handle(), request) && request.result == 1;
}

// The version dialog asks no question, but opened under another modal window it would nest a
// second one and end the first one's modal state with its own: it waits for none to be open,
// as the settings do.
void Application::ShowVersion() {
    if (modalState != kModalNone) return;
    ModalWindow window(*this, kModalVersion);
    if (Dialogs().version) Dialogs().version(MainWindow().Handle());
}

void Application::ShowSettings() {
    if (modalState != kModalNone || m_features[kFeatureSettings] == 0) return;
    ModalWindow window(*this, kModalSettings);
    if (Dialogs().settingsSheet) Dialogs().settingsSheet(MainWindow().Handle());
}

void Application::RunTextInput(const char* initialText) {
    m_textInput.result.clear();
    ModalPause pause(*this);
    if (Dialogs().textInput) Dialogs().textInput(MainWindow().Handle(), m_textInput, initialText ? initialText : "");
}

void Application::RunFileDialog(FileDialogRequest* request, bool save) {
    if (request == nullptr) return;
    request->result = 0;
    if (request->file == nullptr || request->fileTitle == nullptr) return;
    const char* folder = request->initialFolder ? request->initialFolder : GetBaseDirectory();
    ModalPause pause(*this);
    HWND owner = MainWindow().Handle();
    if (save) {
        if (m_fileDialog.ShowSave(owner, request->title, request->file, request->fileTitle, folder, request->filter,
                                  request->defaultExtension))
            request->result = 1 + m_fileDialog.GetFilterIndex();
    } else {
        request->result = m_fileDialog.ShowOpen(owner, request->title, request->file, request->fileTitle, folder,
                                                request->filter, request->clearFile != 0)
                              ? 1
                              : 0;
    }
}

std::string Application::BrowseFolder(const char* title, const char* startFolder) {
    if (m_sources.browseForFolder) return m_sources.browseForFolder(title, startFolder);
    char path[kPathCapacity] = {};
    return BrowseForFolder(MainWindow().Handle(), title, startFolder, path) ? std::string(path) : std::string();
}

void Application::RunFolderBrowser(FolderRequest* request) {
    if (request == nullptr) return;
    request->result = 0;
    if (request->folder == nullptr || request->capacity == 0) return;
    request->folder[0] = '\0';
    std::string answer;
    {
        ModalPause pause(*this);
        answer = BrowseFolder(request->title, request->startFolder ? request->startFolder : GetBaseDirectory());
    }
    if (answer.empty()) return;
    if (answer.back() != '\\') answer += '\\';
    // A folder whose path (with its backslash and terminator) would not fit the caller's buffer
    // counts as none chosen rather than a cut path naming another folder.
    if (answer.size() + 1 > request->capacity) return;
    std::memcpy(request->folder, answer.c_str(), answer.size() + 1);
    request->result = 1;
}

std::int32_t Application::OnDialogRequest(WindowMessage& m) {
    auto* request = reinterpret_cast<MessageDialogRequest*>(static_cast<std::uintptr_t>(m.wParam));
    m.result = 0;
    if (request == nullptr) return 0;
    const std::uint8_t kind = request->kind;
    // Not shown: a question answers "no" rather than the "yes" the request started with.
    request->result = 0;
    if (request->text == nullptr || modalState != kModalNone) return 0;
    bool shown = false;
    {
        ModalWindow window(*this, kModalScriptDialog);
        if (Dialogs().messageDialog) {
            request->result = 1;
            shown = Dialogs().messageDialog(MainWindow().Handle(), *request);
        }
    }
    if (!shown) request->result = 0;
    else if (kind < 2) request->result = 1;
    return 0;
}

std::int32_t Application::OnDestroy(WindowMessage& m) {
    HWND window = m.window->Handle();
    ShowWindow(window, SW_HIDE);
    if (Settings().screenMode == 2) {
        RECT outer = {};
        GetWindowRect(window, &outer);
        Settings().windowX = outer.left;
        Settings().windowY = outer.top;
        m_userCfg.SetWindowPosition(outer.left, outer.top);
    }
    PostQuitMessage(0);
    return 0;
}

std::int32_t Application::OnQueryEndSession(WindowMessage& m) {
    if (m_engine) m_engine->WritePersistentData();
    SaveSettings(0);
    m.result = 1;
    return 0;
}

std::int32_t Application::OnDropFiles(WindowMessage& m) {
    SetForegroundWindow(MainWindow().Handle());
    m_droppedFiles.OnDropFiles(reinterpret_cast<HDROP>(m.wParam));
    return 1;
}

std::int32_t Application::BeforeMenuWindow() {
    MainWindow().SetMessageHandler(WM_COMMAND, BindOperation<&Application::OnCommand>(this));
    return 0;
}
