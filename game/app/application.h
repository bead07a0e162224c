// Application: the game program's application object. It derives from FrameworkApp, registers
// the formats and plug-ins, mounts the archives and reads the game's description and the
// player's settings at start-up (application_startup.cpp), sets up the devices
// (application_devices.cpp), runs the frames and the scripts (application_frame.cpp), and adds
// the game's menu, close confirmation and settings writing (application.cpp). One object lives
// on WinMain's stack; Current() reaches it from everywhere.
//
// The screen device comes from outside (SetScreenDevice): it is the framework's ScreenPort and
// the frames' ScreenFrame. Start-up loads the movie plug-in DLLs the settings name into three
// holders, freed right after the script engine. Not built yet, and so absent: the script movie
// objects, fonts (the built-in layer effects are registered but make no object). The settings sheet, the version dialog,
// the text-input dialog and the game's own message dialogs are reached through GameDialogs,
// whose empty members answer "not available" (yes/no questions of the menu then use the
// framework's box); UseGameDialogs fills them, and the start-up seams (the DirectSound warning
// with its check box, the binding of APP_CFG's key and pad assignments), with the real ones
// (application_dialogs.cpp).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/app/framework_app.h"
#include "framework/dialogs/file_dialog.h"
#include "framework/files/virtual_file_system.h"
#include "framework/images/image_loader_host.h"
#include "framework/input/action_map.h"
#include "framework/movie/movie_dll.h"
#include "framework/interfaces/task_scheduling.h"
#include "framework/plugins/effect_registry.h"
#include "framework/plugins/transition_registry.h"
#include "framework/runtime/frame_rate_controller.h"
#include "framework/runtime/recursive_lock.h"
#include "framework/sound/sound_decoder_host.h"
#include "framework/sound/sound_device.h"
#include "game/app/application_services.h"
#include "framework/window/dropped_file_list.h"
#include "effects/surface/surface_effect.h"
#include "game/app/settings_records.h"
#include "game/dialogs/dialog_host.h"
#include "game/dialogs/settings_applies.h"
#include "game/script/script_engine.h"
#include "game/script/script_memory.h"
#include "game/script/script_start.h"
#include "graphics/compose/math_tables.h"
#include "graphics/compose/pixel_op_library_loader.h"
#include "graphics/screen/screen_frame.h"
#include "scenario/text/game_part_group.h"
#include "scenario/ui/ui_panel.h"

class ScreenDevice;

// The game's menu and window-thread request ids.
enum : WPARAM {
    kCmdScreenMode = 40001,
    kCmdReturnToTitle = 40002,
    kCmdExit = 40003,
    kCmdVersion = 40004,
    kCmdSettings = 40005,
    kCmdSettings2 = 40006,
    kCmdSave = 40007,
    kCmdLoad = 40008,
    // Sent by the game thread with a request record in lParam.
    kCmdTextInput = 40026,
    kCmdOpenFile = 40027,
    kCmdSaveFile = 40028,
    kCmdBrowseFolder = 40029,
    // The primary sound format: lParam points at {channels or 0, rate code, bits}; the device's
    // code replaces the first word.
    kCmdSoundFormat = 40030,
};

// Sent by the game thread with a MessageDialogRequest in wParam.
enum : UINT { kMsgDialogRequest = 0x9009 };

// Modal windows of the game (Application::modalState).
enum : std::uint8_t {
    kModalNone = 0,
    kModalSettings = 1,
    kModalCloseQuestion = 4,
    kModalVersion = 6,
    kModalReturnToTitle = 7,
    kModalScriptDialog = 8,
};

// Menu features of Application::EnableMenuItem.
enum : std::uint32_t {
    kFeatureSettings = 0,
    kFeatureSave = 1,
    kFeatureLoad = 2,
    kFeatureReturnToTitle = 3,
    kFeatureScreenMode = 4,
    kFeatureCount = 5,
};

// The start-up's reach into parts that are not built yet, and its injected failures.
struct StartupSeams {
    // Where qmxgl.dll and the DS_*.DLLs are looked for; empty: the program folder.
    std::string programFolder;
    // Message dialog kind 1 with a do-not-show-again box (checked as given): the box's state
    // when the dialog closes. Null: the framework's box, the check box left as it was.
    std::function<bool(const char* text, bool checked)> messageWithCheckBox;
    // The settings sheet's application of APP_CFG's key assignments, and of its pad and mouse
    // assignments, to the action map. Null: none.
    std::function<void(ActionMap&)> applyKeyboardBindings;
    std::function<void(ActionMap&)> applyPadAndMouseBindings;
    // Replaces ProbeScreenMode(no window, 0) in BeforeWindow when set.
    std::function<std::int32_t()> probeScreenMode;
    // The action map cannot be made.
    bool failActionMap = false;
};

// What the start-up hands the screen device for its drawing when enlarged, and the framework's
// display-enumeration option. The device reads them from here.
struct DisplayChoices {
    // APP_CFG byte 156 is 2: resolutions are changed through DirectDraw.
    bool enumerateThroughDirectDraw = false;
    // 1 automatic, 2 DirectDraw, 3 Direct3D; the device writes the method it settled on.
    std::uint8_t enlargedMethod = 1;
    bool enlargedFlags[4] = {};
};

// What 0x9009 carries.
struct MessageDialogRequest {
    // 0 OK, 1 OK with "do not show again", 2 yes/no, 3 yes/no with "do not show again".
    std::uint8_t kind = 0;
    const char* text = nullptr;
    // Null: the application title.
    const char* caption = nullptr;
    // Receives the "do not show again" box; may be null.
    std::uint8_t* flag = nullptr;
    // Grow the dialog to the text.
    std::uint8_t fit = 0;
    // 1 OK or yes. A request that is not shown (a modal window is open, or no dialog is
    // available) answers 0, so that a question nobody saw never reads as a yes.
    std::uint8_t result = 1;
};

// The state of the text-input dialog (one for the whole run).
struct TextInputRequest {
    std::string title;
    std::string prompt;
    // The last answer; empty when the dialog did not run.
    std::string result;
    std::uint8_t doubleByteOnly = 0;
    // Bytes kept of the input; 0 = the field's own limit.
    std::uint8_t maxLength = 0;
    std::uint8_t openIme = 0;
    // 0 = the template's width; -1 = centred.
    std::int32_t width = 0;
    std::int32_t x = -1;
    std::int32_t y = -1;

    // A null title or prompt leaves that text as it is; an empty one empties it.
    void Setup(const char* newTitle, const char* newPrompt, std::uint8_t newDoubleByteOnly, std::uint8_t newMaxLength,
               std::uint8_t newOpenIme, std::int32_t newWidth, std::int32_t newX, std::int32_t newY) {
        if (newTitle != nullptr) title = newTitle;
        if (newPrompt != nullptr) prompt = newPrompt;
        doubleByteOnly = newDoubleByteOnly;
        maxLength = newMaxLength;
        openIme = newOpenIme;
        width = newWidth;
        x = newX;
        y = newY;
    }
};

// What 40027 and 40028 carry. A null initial folder is the base directory.
struct FileDialogRequest {
    const char* filter = nullptr;
    const char* title = nullptr;
    // FileDialog::kFileCapacity and kFileTitleCapacity characters.
    char* file = nullptr;
    char* fileTitle = nullptr;
    const char* initialFolder = nullptr;
    // Open: start with an empty file buffer instead of proposing its text.
    std::uint8_t clearFile = 0;
    // Save: added to a name typed without one.
    const char* defaultExtension = nullptr;
    // Open: 1 chosen, 0 not. Save: 0 not chosen, else 1 + the filter index (counted from 1).
    std::int32_t result = 0;
};

// What 40029 carries. A null start folder is the base directory.
struct FolderRequest {
    const char* title = nullptr;
    const char* startFolder = nullptr;
    // The chosen folder ending in '\'; empty when none was chosen or it would not fit.
    char* folder = nullptr;
    std::uint32_t capacity = 0;
    // 1 chosen, 0 not.
    std::int32_t result = 0;
};

// The game's own dialogs and sheets, filled in where they are built. An empty member is "not
// available": the command that would open it still pauses and keeps its modal state around
// the call, and answers as a cancelled dialog.
struct GameDialogs {
    // The version and system-information dialog (40004).
    std::function<void(HWND owner)> version;
    // The settings sheet (40005, 40006).
    std::function<void(HWND owner)> settingsSheet;
    // The text-input dialog (40026) with the caller's text as its initial text; the answer
    // goes into request.result.
    std::function<void(HWND owner, TextInputRequest& request, const char* initialText)> textInput;
    // The message dialogs of 0x9009: false when the dialog could not be shown.
    std::function<bool(HWND owner, MessageDialogRequest& request)> messageDialog;
};

// Where the application reads the machine beyond the framework's sources.
struct ApplicationSources {
    FrameworkAppSources framework;
    // The folder browser (save-folder mode 2 and 40029): the chosen folder, empty when none was
    // chosen.
    std::function<std::string(const char* caption, const char* startFolder)> browseForFolder;
    // A special folder (CSIDL); empty when the shell has none.
    std::function<std::string(int csidl)> specialFolder;
    // Frames: the clock of the frame-rate controller and the schedulers.
    Clock* frameClock = &SystemClock();
    StartupSeams startup;
    GameDialogs dialogs;
};

// The busy counter of running visual effects. Enter: -1 when continuous redrawing is off
// (nothing counted); 0 first entry (the frame thread's priority lowered); 1 already busy; 2 the
// game thread is not running: nothing is counted then, so the matching Leave finds the counter
// at 0 and answers 0. Leave: the count before it (0 at 0, nothing changes), the priority back to
// normal when it falls to 0.
std::int32_t BusyCounterEnter();
std::int32_t BusyCounterLeave();
std::int32_t BusyCount();

// The single-threaded frame result of a due frame with `catchUp` frames to catch up: that many
// script steps for 1 to 4, else -1 (one step).
std::int32_t SingleFrameResult(std::int32_t catchUp);
// The game thread's script steps in a turn with `catchUp` frames to catch up.
std::int32_t WorkerScriptSteps(std::int32_t catchUp);

class Application : public FrameworkApp, private ScriptStartHost {
public:
    explicit Application(const ApplicationSources& sources = ApplicationSources());
    ~Application() override;

    static Application* Current() { return s_application; }

    // The screen device, before Initialize.
    void SetScreenDevice(ScreenPort* port, ScreenFrame* frame);
    // The screen device's object lists, which outlive the application: the UI panel hears of
    // every object they delete and finds screens in them. Null detaches.
    void SetObjectLists(ScreenDevice* device);

    // FrameworkApp.
    std::int32_t RunOnce() override;
    const char* ErrorTitle() override;
    std::int32_t Startup() override;
    // Also the script start's save folder.
    const char* SaveFolder() override;
    std::int32_t BeforeWindow() override;
    std::int32_t StartDevices() override;
    // OnExit.
    void BeforeExit(std::int32_t code) override;
    void AfterExit(std::int32_t code) override;
    std::int32_t BeforeMenuWindow() override;
    std::int32_t WorkerStart() override;
    std::int32_t FrameStep() override;
    void WorkerEnd() override;
    void OnWindowModeEntered() override;
    void OnFullScreenActivated() override;
    std::int32_t OnClose(WindowMessage& m) override;

    // Added window handlers.
    std::int32_t OnCreate(WindowMessage& m);
    std::int32_t OnSysCommand(WindowMessage& m);
    std::int32_t OnCommand(WindowMessage& m);
    std::int32_t OnDestroy(WindowMessage& m);
    std::int32_t OnQueryEndSession(WindowMessage& m);
    std::int32_t OnDropFiles(WindowMessage& m);
    std::int32_t OnDialogRequest(WindowMessage& m);

    GameDialogs& Dialogs() { return m_sources.dialogs; }

    // The game's own dialogs (application_dialogs.cpp). What the dialogs take from the program.
    DialogHost MakeDialogHost();
    // Any thread: the message dialog of `kind` on the window thread (0x9009). 0 without a main
    // window or text; otherwise the request's result: 1 for OK, or for "はい" (kinds 2, 3).
    std::uint8_t RequestMessageDialog(const char* text, std::uint8_t kind, std::uint8_t* flag, const char* caption,
                                      bool fit);
    // Window thread: 0, or 1 for a missing request or text; kinds 2 and 3 store the answer.
    std::int32_t ShowMessageDialogRequest(MessageDialogRequest* request);
    // Window thread, null owner = the main window (else the desktop): 0 for a null text; kinds 2
    // and 3 give 1 for "はい" and 0 otherwise; kinds 0 and 1 give 0.
    std::int32_t ShowMessageDialog(const char* text, std::uint8_t kind, std::uint8_t* flag, const char* caption,
                                   bool fit, HWND owner);
    // The real dialogs, sheet and text input (what the game program fills GameDialogs with).
    void ShowSettingsSheet(HWND owner);
    void ShowInformationDialog(HWND owner);
    void ShowTextInputDialog(HWND owner, TextInputRequest& request, const char* initialText);
    // APP_CFG's sound fields to the script engine's SoundManager: false without one.
    bool ApplySoundSettings();
    // APP_CFG's key, pad and mouse fields to the action map (null: the application's), under
    // the input lock.
    void ApplyKeyboardBindings(ActionMap* map = nullptr);
    void ApplyPadAndMouseBindings(ActionMap* map = nullptr);
    // Makes `sources` use the game's real dialogs, sheet and start-up questions, reached through
    // the application object of the run.
    static void UseGameDialogs(ApplicationSources& sources);
    TextInputRequest& TextInput() { return m_textInput; }

    // Writes USER.CFG and APP_CFG.DAT (not after a failed start, nor in save-folder mode 5).
    void SaveSettings(std::int32_t code);
    // 0 done; -1 unknown feature.
    std::int32_t EnableMenuItem(std::uint32_t feature, bool enable);
    std::uint8_t Feature(std::uint32_t feature) const { return m_features[feature]; }
    std::int32_t ForceVSyncBegin();
    std::int32_t ForceVSyncEnd();
    std::int32_t SuspendPreciseWaitBegin();
    std::int32_t SuspendPreciseWaitEnd();
    // rate < 0: the controller's current rate.
    void ApplyFrameTiming(std::int32_t rate);
    // 0 when the current screen mode is usable.
    std::int32_t ProbeScreenMode(HWND window, std::uint8_t flag);

    // Scripts and frames.
    std::int32_t StartScripts();
    // Restarts MAIN and ends the pending forced-VSync and precise-wait requests.
    std::int32_t RestartMain(std::uint32_t argument);
    // The current frame function.
    std::int32_t RunFrame() { return (this->*m_frame)(); }
    std::int32_t FrameSingle();
    std::int32_t FrameSingleDirect3D();
    std::int32_t FrameWorker();
    std::int32_t FrameWorkerDirect3D();

    AppSysRecord& AppSys() { return m_appSys; }
    AppInfTexts& AppInf() { return m_appInf; }
    UserCfgRecords& UserCfg() { return m_userCfg; }
    AppCfgBlock& AppCfg() { return m_appCfg; }
    const std::string& ChosenFolder() const { return m_chosenFolder; }
    const std::string& UserCfgPath() const { return m_userCfgPath; }
    std::uint8_t InstallInfo() const { return m_installInfo; }
    // Scripts may change it (application option 12).
    void SetInstallInfo(std::uint8_t value) { m_installInfo = value; }
    const std::string& InstallSourcePath() const { return m_installSourcePath; }
    // The effective save-folder mode (a set switch byte turns 1 into 0).
    std::uint8_t SaveFolderMode() const { return m_saveFolderMode; }
    ScriptEngine* Engine() { return m_engine.get(); }
    // The game's one UI panel; the command base finds its parts from StartDevices on.
    UiPanel& Panel() { return m_uiPanel; }
    // The game's one part group: the action map from StartDevices on, the script engine's sound
    // manager while the engine exists.
    GamePartGroup& PartGroup() { return m_partGroup; }
    FrameRateController& FrameRate() { return m_frameRate; }
    TaskScheduler& SoundScheduler() { return m_scheduler1; }
    // Held around every pass of the sound scheduler; commands that look at its tasks hold it too.
    RecursiveLock& SoundLock() { return m_soundLock; }
    TaskScheduler& LayerScheduler() { return m_scheduler2; }
    // The timed surface effects; StartDevices gives it the second scheduler and publishes it.
    SurfaceEffectFactory& SurfaceEffects() { return m_surfaceEffects; }
    SoundDevice& Sound() { return m_soundDevice; }
    VirtualFileSystem& FileSystem() { return m_fileSystem; }
    ImageLoaderHost& ImageLoaders() { return m_imageLoaders; }
    SoundDecoderHost& SoundDecoders() { return m_decoderHost; }
    TransitionRegistry& Transitions() { return m_transitions; }
    EffectRegistry& Effects() { return m_effects; }
    DisplayChoices& Choices() { return m_display; }
    // Null until StartDevices made it.
    ActionMap* Actions() const { return m_actionMap; }
    // Null when qmxgl.dll was absent or refused.
    PixelOpLibraryLoader* PixelOps() const { return m_pixelOps.get(); }
    // The movie plug-in holders start-up loaded; null for a DLL not asked for, missing or refused.
    MovieDll* PrimMovieDll() const { return m_primDll.get(); }
    MovieDll* SpriteMovieDll() const { return m_spriteDll.get(); }
    MovieDll* WindowMovieDll() const { return m_windowDll.get(); }
    // The screen mode and the drawing method when enlarged as the settings were loaded.
    std::uint8_t ScreenModeAtLoad() const { return m_screenModeAtLoad; }
    std::uint8_t MethodAtLoad() const { return m_methodAtLoad; }

    // 0 none, 1 or 2 restart MAIN with argument 0 or 1 before the next script step.
    std::uint8_t restartRequest = 0;
    std::uint8_t modalState = kModalNone;
    // 0 running, 1 pause requested, 2 paused, 3 resume requested.
    std::uint8_t layerPause = 0;
    std::uint8_t closePending = 0;
    std::uint8_t pixelFormatRefresh = 0;
    std::uint8_t shortVSyncSleep = 0;

private:
    // ScriptStartHost.
    void ShowStopMessage(const char* text) override;
    bool UseCompiledScripts() override;
    TaskScheduler* SoundFadeScheduler() override { return &m_scheduler1; }

    // Start-up steps (application_startup.cpp).
    void RegisterFormats();
    void TakeBaseFolderArgument();
    void MountArchives();
    void FillDisplayBytes();
    void HandOverDisplaySettings();
    // Devices (application_devices.cpp).
    void PlaceWindow();
    void SettleDrawingMethod();
    void BindPixelOps();
    void LoadMovieDlls();
    void ReleaseMovieDlls();
    std::int32_t CreateActionMapWithDefaults();
    void CreateSound();
    void ApplyDeviceOptions();
    std::string JoinProgramFolder(const char* name);
    std::int32_t LoadDescription();
    std::int32_t SettleSaveFolder(bool& chosenNow);
    // A relative path goes through the archives too.
    std::int32_t ReadUserCfgAt(const std::string& path);
    std::int32_t ChooseFolder();
    void LoadAppCfg();
    void LoadInstallValues();
    void PublishRecords();
    void TakeBackRecords();
    std::string Special(int csidl);

    // Frames (application_frame.cpp).
    bool Inactive();
    void IdleSleep(bool threaded);
    bool MovieCovers();
    // 0 when lost surfaces could not be restored (the fatal-error byte is then 1).
    std::int32_t PresentSingle();
    // The frames to catch up.
    std::int32_t DueFrame(bool threaded, bool direct3D);
    bool BusyRedraw(bool threaded, bool direct3D);
    bool RunLayerPause();
    std::int32_t FrameLoopSingle(bool direct3D);
    std::int32_t FrameLoopWorker(bool direct3D);
    // Restarts MAIN when asked (and clears the request): false when the restart failed.
    bool ServeRestart();
    std::uint32_t SchedulerNow();
    void ApplyScreenModeSwitch();
    // The menu's yes/no questions: the game's question dialog (kind 2) when there is one, else
    // the framework's box.
    bool AskQuestion(const char* text);
    // Window-thread requests of the menu and the game thread (application.cpp).
    void ShowVersion();
    void ShowSettings();
    void RunTextInput(const char* initialText);
    void RunFileDialog(FileDialogRequest* request, bool save);
    void RunFolderBrowser(FolderRequest* request);
    std::string BrowseFolder(const char* title, const char* startFolder);

    static Application* s_application;

    ApplicationSources m_sources;
    // Built first, so that it goes last: archives stay mounted while anything reads.
    VirtualFileSystem m_fileSystem;
    AppSysRecord m_appSys;
    AppInfTexts m_appInf;
    UserCfgRecords m_userCfg;
    std::string m_chosenFolder;
    AppCfgBlock m_appCfg;
    // The font-face field, whose address scripts are handed and may write through.
    ScriptMemoryRegistration m_faceField;
    std::uint8_t m_features[kFeatureCount] = {1, 0, 0, 0, 1};
    std::string m_saveFolder;
    std::string m_userCfgPath;
    bool m_userCfgRelative = false;
    std::uint8_t m_saveFolderMode = 1;
    std::uint8_t m_installInfo = 0;
    std::string m_installSourcePath;
    SoundDecoderHost m_decoderHost;
    // The program's trigonometric tables (rotations, polygons, turned text), published in
    // g_mathTables for the application's life; what was published before comes back after it.
    MathTables m_mathTables;
    MathTables* m_previousMathTables = nullptr;
    ImageLoaderHost m_imageLoaders;
    TransitionRegistry m_transitions;
    EffectRegistry m_effects;
    DisplayChoices m_display;
    std::uint8_t m_screenModeAtLoad = 0;
    std::uint8_t m_methodAtLoad = 0;
    ActionMap* m_actionMap = nullptr;
    std::unique_ptr<PixelOpLibraryLoader> m_pixelOps;
    // Owned DS_PRIM, DS_SPRITE and DS_MOVIE holders, published to the movie code.
    std::unique_ptr<MovieDll> m_primDll;
    std::unique_ptr<MovieDll> m_spriteDll;
    std::unique_ptr<MovieDll> m_windowDll;
    SoundDevice m_soundDevice;
    FrameRateController m_frameRate;
    TaskScheduler m_scheduler1;
    TaskScheduler m_scheduler2;
    SurfaceEffectFactory m_surfaceEffects;
    std::unique_ptr<ScriptEngine> m_engine;
    std::uint8_t m_savedVSync = 1;
    std::uint8_t m_savedPreciseWait = 1;
    std::int32_t m_forceVSyncCount = 0;
    std::int32_t m_preciseWaitCount = 0;
    RecursiveLock m_soundLock;
    ScreenFrame* m_screenFrame = nullptr;
    TextInputRequest m_textInput;
    AppliedMouseActions m_appliedMouse;
    // What the command services reach while the devices exist.
    ApplicationWindowPort m_windowPort{*this};
    ApplicationGlidePort m_glidePort{*this};
    FileDialog m_fileDialog;
    // Files dropped on the main window, until a script takes them (the file commands reach it).
    DroppedFileList m_droppedFiles;
    std::int32_t (Application::*m_frame)() = &Application::FrameSingle;
    // The group before the panel: the panel's parts leave it when they go.
    GamePartGroup m_partGroup{*this};
    UiPanel m_uiPanel;
    ScreenDevice* m_objectLists = nullptr;
};
