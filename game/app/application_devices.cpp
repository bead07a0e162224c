// The game's hooks around the main window and the devices: the window mode and the message
// handlers before the window, the devices after it (window placement, the globals, qmxgl, the
// movie plug-ins, input and its default bindings, DirectSound and the device options), and what
// the exit reports.
#include <windows.h>

#include <cstring>

#include "framework/movie/movie_open.h"
#include "framework/sound/streaming_sound_buffer.h"
#include "framework/system/cpu_info.h"
#include "game/app/application.h"
#include "graphics/sprites/canvas.h"
#include "graphics/text/glyph_cache.h"

namespace {

namespace F = SettingsFiles;

const char kInputFailed[] = "入力デバイスの初期化に失敗";
const char kActionMapFailed[] = "仮想入力デバイスの作成に失敗";
const char kNoDirectSound[] =
    "サウンドカードが正常に接続されていないか\n対応していないため、DirectSoundを利用できません。\nサウンドを再生できません。";
const char kRestoreFailed[] = "描画オブジェクトのリストアに失敗";
const char kModeSwitchFailed[] = "画面モード切替に失敗";

constexpr std::uint32_t kActionCount = 20;
constexpr std::int32_t kKeyboardDevice = 0;
constexpr std::int32_t kJoystickDevice = 2;

// The default bindings: action, keyboard codes (0 ends), joystick direction (-1 none).
const struct {
    std::int32_t action;
    std::uint8_t keys[2];
    std::int32_t direction;
} kDefaultBindings[] = {
    {0, {200, 0}, 0}, {1, {208, 0}, 1}, {2, {203, 0}, 2}, {3, {205, 0}, 3}, {4, {28, 156}, -1}, {5, {1, 0}, -1},
};

}  // namespace

std::int32_t Application::BeforeWindow() {
    // The window takes icon 103 through the description's icon id.
    if (GetKeyState(VK_CONTROL) & 0x8000) Settings().screenMode = 2;
    AppWindow& w = MainWindow();
    w.SetMessageHandler(WM_CREATE, BindOperation<&Application::OnCreate>(this));
    w.SetMessageHandler(WM_SYSCOMMAND, BindOperation<&Application::OnSysCommand>(this));
    w.SetMessageHandler(WM_COMMAND, BindOperation<&Application::OnCommand>(this));
    w.SetMessageHandler(WM_DESTROY, BindOperation<&Application::OnDestroy>(this));
    w.SetMessageHandler(WM_QUERYENDSESSION, BindOperation<&Application::OnQueryEndSession>(this));
    w.SetMessageHandler(WM_DROPFILES, BindOperation<&Application::OnDropFiles>(this));
    w.SetMessageHandler(kMsgDialogRequest, BindOperation<&Application::OnDialogRequest>(this));
    if ((windowFlags & 4) == 0) return 0;
    std::uint8_t& mode = Settings().screenMode;
    if (monitorFits == 0 && m_screenModeAtLoad == 2 && mode != 2) {
        RECT work = {};
        Platform().SystemParameters(SPI_GETWORKAREA, 0, &work, 0);
        if (work.right - work.left >= gameWidth) mode = 2;
        // StartDevices places the window.
        m_screenModeAtLoad = 3;
    }
    const std::int32_t probe =
        m_sources.startup.probeScreenMode ? m_sources.startup.probeScreenMode() : ProbeScreenMode(nullptr, 0);
    if (probe != 0) {
        Description().screenMode = 0;
        m_appSys.bytes[F::AppSys::kScreenModePolicy] = 0;
        mode = 2;
        windowFlags &= ~4;
    } else if (mode != 1 && monitorFits == 0 && m_screenModeAtLoad != 3) {
        mode = 1;
    }
    return 0;
}

std::string Application::JoinProgramFolder(const char* name) {
    std::string folder = m_sources.startup.programFolder.empty() ? std::string(ProgramFolder())
                                                                 : m_sources.startup.programFolder;
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    // What does not fit a path counts as absent.
    if (folder.size() + std::strlen(name) >= MAX_PATH) return std::string();
    return folder + name;
}

void Application::PlaceWindow() {
    HWND window = MainWindow().Handle();
    if (window == nullptr) return;
    if (m_appCfg.bytes[F::AppCfg::kRememberPosition] != 0) {
        SetWindowPos(window, nullptr, Settings().windowX, Settings().windowY, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        return;
    }
    RECT work = {};
    Platform().SystemParameters(SPI_GETWORKAREA, 0, &work, 0);
    RECT outer = {};
    GetWindowRect(window, &outer);
    const LONG width = outer.right - outer.left;
    const LONG height = outer.bottom - outer.top;
    const LONG workHeight = work.bottom - work.top;
    const LONG x = work.left + (work.right - work.left - width) / 2;
    const LONG y = height < workHeight ? work.top + (workHeight - height) / 2 : work.top;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void Application::SettleDrawingMethod() {
    std::uint8_t* bytes = m_appCfg.bytes;
    if (m_display.enlargedMethod != m_methodAtLoad) {
        if (Screen() == nullptr || !Screen()->IsFullScreen()) bytes[F::AppCfg::kEnlargedFlags] = 0;
        bytes[F::AppCfg::kEnlargedMethod] = 2;
    }
    if (fatalError == 2) {
        fatalError = 0;
        bytes[F::AppCfg::kEnlargedFlags] = 0;
        bytes[F::AppCfg::kEnlargedMethod] = System().MajorVersion() == 6 ? 1 : 2;
    }
}

void Application::BindPixelOps() {
    const std::string path = JoinProgramFolder("qmxgl.dll");
    if (path.empty()) return;
    auto loader = std::make_unique<PixelOpLibraryLoader>(path.c_str(), &g_cpuInfo);
    // Without the library the program draws with its own kernels.
    if (loader->Module() == nullptr) return;
    m_pixelOps = std::move(loader);
    SetCurrentPixelOpLibrary(m_pixelOps.get());
}

void Application::LoadMovieDlls() {
    ReleaseMovieDlls();
    if (m_userCfg.block3[F::Block3::kDirectShow] == 0) return;
    // A holder whose DLL is missing, incomplete or of another version is not kept: the movie
    // commands then answer 1 and the game goes on without movies.
    auto load = [this](const char* name, bool (MovieDll::*loader)(const char*)) -> std::unique_ptr<MovieDll> {
        const std::string path = JoinProgramFolder(name);
        auto holder = std::make_unique<MovieDll>();
        if (path.empty() || !((*holder).*loader)(path.c_str())) return nullptr;
        return holder;
    };
    if (Settings().block1[5] == 0) m_primDll = load("DS_PRIM.DLL", &MovieDll::LoadPrimCtrlDll);
    else m_spriteDll = load("DS_SPRITE.DLL", &MovieDll::LoadSpriteCtrlDll);
    m_windowDll = load("DS_MOVIE.DLL", &MovieDll::LoadMovieObjectDll);
    MoviePlugins& published = PublishedMoviePlugins();
    published.prim = m_primDll.get();
    published.sprite = m_spriteDll.get();
    published.window = m_windowDll.get();
    published.fileSystem = &m_fileSystem;
    published.screen = m_windowDll ? Screen() : nullptr;
}

void Application::ReleaseMovieDlls() {
    MoviePlugins& published = PublishedMoviePlugins();
    if (published.fileSystem == &m_fileSystem) published = MoviePlugins();
    m_primDll.reset();
    m_spriteDll.reset();
    m_windowDll.reset();
}

std::int32_t Application::CreateActionMapWithDefaults() {
    m_actionMap = nullptr;
    ActionMap* map = nullptr;
    if (m_sources.startup.failActionMap || Input().CreateActionMap(kActionCount, &map) != 0 || map == nullptr)
        return 2;
    for (const auto& binding : kDefaultBindings) {
        for (std::uint8_t key : binding.keys)
            if (key != 0) map->AddBinding(binding.action, kKeyboardDevice, key);
        // Refused when no joystick was opened.
        if (binding.direction >= 0)
            map->AddBinding(binding.action, kJoystickDevice, static_cast<std::uint8_t>(binding.direction));
    }
    if (m_sources.startup.applyKeyboardBindings) m_sources.startup.applyKeyboardBindings(*map);
    if (m_sources.startup.applyPadAndMouseBindings) m_sources.startup.applyPadAndMouseBindings(*map);
    m_actionMap = map;
    return 0;
}

void Application::CreateSound() {
    const std::int32_t created =
        m_soundDevice.Create(MainWindow().Handle(), Settings().block1[20] != 0, Settings().block1[18] != 0, nullptr);
    std::uint8_t& warn = m_userCfg.block3[F::Block3::kWarnNoSound];
    if (created == 0 || warn == 0) return;
    bool checked = false;
    if (m_sources.startup.messageWithCheckBox) checked = m_sources.startup.messageWithCheckBox(kNoDirectSound, checked);
    else ShowDesktopBox(kNoDirectSound, 1);
    warn = checked ? 0 : 1;
}

void Application::ApplyDeviceOptions() {
    const std::uint8_t* block3 = m_userCfg.block3;
    std::int32_t megabytes = block3[F::Block3::kImageCache] - 1;
    if (megabytes > 0) megabytes *= 4;
    m_imageLoaders.SetCacheLimit(megabytes);
    GlyphCacheDefaultCapacity =
        static_cast<std::uint16_t>(block3[F::Block3::kGlyphCache] | (block3[F::Block3::kGlyphCache + 1] << 8));
    // Byte 14 (a script option) would be stored into the same canvas option and overwritten at
    // once by byte 16: only byte 16 reaches the canvas.
    g_stripRedraw = block3[F::Block3::kCanvasOption] != 0;
    g_movieObjectOption = block3[F::Block3::kMovieOption];
}

std::int32_t Application::StartDevices() {
    if (m_screenModeAtLoad == 3) PlaceWindow();
    SettleDrawingMethod();
    g_virtualFileSystem = &m_fileSystem;
    g_imageLoaderHost = &m_imageLoaders;
    g_soundDecoderHost = &m_decoderHost;
    g_currentSoundDevice = &m_soundDevice;
    m_surfaceEffects.SetScheduler(&m_scheduler2);
    SetCurrentSurfaceEffectFactory(&m_surfaceEffects);
    StreamingSoundBuffer::SetUseNotifications(Settings().block1[19] != 0);
    m_decoderHost.SetWholeFile(Settings().block1[22] != 0);
    BindPixelOps();
    LoadMovieDlls();
    if (Input().Keyboard() == nullptr || Input().Mouse() == nullptr) {
        ShowDesktopBox(kInputFailed, 4);
        return 1;
    }
    if (CreateActionMapWithDefaults() != 0) {
        ShowDesktopBox(kActionMapFailed, 4);
        return 2;
    }
    MouseDevice* mouse = Input().Mouse();
    mouse->SetCursorShape(0, nullptr, 0);
    if (m_userCfg.block3[F::Block3::kSystemCursor] == 0) mouse->SendCursorMessage(false, nullptr, 0);
    CreateSound();
    ApplyDeviceOptions();
    ApplyFrameTiming(-1);
    Services().window = &m_windowPort;
    Services().glide = &m_glidePort;
    Services().parts = &m_uiPanel;
    m_partGroup.SetActionMap(m_actionMap);
    return 0;
}

void Application::BeforeExit(std::int32_t code) {
    if (code == kStartScreenModeFailed) {
        std::memset(m_userCfg.block1 + 43, 0, 4);
        std::memset(m_userCfg.block1 + 63, 0, 4);
    }
    if (fatalError == 1) ShowDesktopBox(kRestoreFailed, 4);
    else if (fatalError == 2) ShowDesktopBox(kModeSwitchFailed, 4);
}
