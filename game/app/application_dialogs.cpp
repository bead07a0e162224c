// The application's side of the game's own dialogs: the message dialogs from any thread, the
// version dialog, the settings sheet with its applies, the text input, and the wiring that makes
// the game program use them.
#include <windows.h>

#include <mmsystem.h>
#include <shlobj.h>

#include <memory>

#include "framework/input/async_key_keyboard.h"
#include "framework/input/winmm_joystick.h"
#include "framework/system/cpu_info.h"
#include "framework/system/system_report.h"
#include "game/app/application.h"
#include "game/dialogs/information_dialog.h"
#include "game/dialogs/message_dialog.h"
#include "game/dialogs/settings_sheet.h"
#include "game/dialogs/text_input_dialog.h"

namespace {

namespace AI = SettingsFiles::AppInf;

// USER.CFG block 2 byte 10: put the cursor on a dialog's default button.
constexpr std::uint32_t kCursorPlacement = 10;

class KeyboardPageDevice : public SettingsPageDevice {
public:
    KeyboardPageDevice() { m_keyboard.Poll(); }
    std::int32_t PollFirstPressed() override {
        m_keyboard.Poll();
        return m_keyboard.FirstTriggered();
    }

private:
    AsyncKeyKeyboard m_keyboard;
};

class JoystickPageDevice : public SettingsPageDevice {
public:
    bool Open(std::int32_t id) {
        if (m_joystick.Open(id, true, false) != 0) return false;
        m_joystick.Poll();
        return true;
    }
    std::int32_t PollFirstPressed() override {
        m_joystick.Poll();
        return m_joystick.FirstTriggered();
    }

private:
    WinmmJoystick m_joystick;
};

}  // namespace

DialogHost Application::MakeDialogHost() {
    DialogHost host;
    host.instance = ModuleInstance();
    host.title = Title();
    host.placeCursor = m_userCfg.block2[kCursorPlacement] != 0;
    host.center = [this](HWND dialog) { CenterWindow(dialog); };
    return host;
}

std::uint8_t Application::RequestMessageDialog(const char* text, std::uint8_t kind, std::uint8_t* flag,
                                               const char* caption, bool fit) {
    HWND window = MainWindow().Handle();
    if (window == nullptr || !IsWindow(window) || text == nullptr) return 0;
    MessageDialogRequest request;
    request.kind = kind;
    request.text = text;
    request.caption = caption;
    request.flag = flag;
    request.fit = fit ? 1 : 0;
    request.result = 1;
    framesEnabled = 0;
    OnFramesSuspended();
    SendMessageA(window, kMsgDialogRequest, reinterpret_cast<WPARAM>(&request), 0);
    framesEnabled = 1;
    OnFramesResumed();
    return request.result;
}

std::int32_t Application::ShowMessageDialogRequest(MessageDialogRequest* request) {
    if (request == nullptr || request->text == nullptr) return 1;
    HWND owner = MainWindow().Exists() ? MainWindow().Handle() : GetDesktopWindow();
    const bool own = modalOpen == 0;
    if (own) PauseForModal();
    const DialogHost host = MakeDialogHost();
    const std::int32_t answer =
        RunMessageDialog(host, owner, request->kind, request->text, request->caption, request->flag, request->fit != 0);
    if (own) ResumeAfterModal();
    // Not shown: a question nobody saw is no "はい".
    if (request->kind >= 2) request->result = answer == 1 ? 1 : 0;
    return 0;
}

std::int32_t Application::ShowMessageDialog(const char* text, std::uint8_t kind, std::uint8_t* flag,
                                            const char* caption, bool fit, HWND owner) {
    if (text == nullptr) return 0;
    if (owner == nullptr) owner = MainWindow().Exists() ? MainWindow().Handle() : GetDesktopWindow();
    const bool own = modalOpen == 0;
    if (own) PauseForModal();
    const DialogHost host = MakeDialogHost();
    const std::int32_t answer = RunMessageDialog(host, owner, kind, text, caption, flag, fit);
    if (own) ResumeAfterModal();
    return kind >= 2 && answer == 1 ? 1 : 0;
}

void Application::ShowInformationDialog(HWND owner) {
    const DialogHost host = MakeDialogHost();
    InformationDialogContext context;
    context.host = &host;
    context.major = m_appInf.version[AI::kVersionMajor];
    context.minor = m_appInf.version[AI::kVersionMinor];
    context.build = m_appInf.version[AI::kVersionLetter];
    context.icon = LoadIconA(ModuleInstance(), MAKEINTRESOURCEA(103));
    context.confirmWeb = &m_appCfg.bytes[SettingsOffsets::kConfirmWeb];
    context.detailed = &m_appCfg.bytes[SettingsOffsets::kDetailedReport];
    context.webAddress = WebAddress();
    context.fullScreen = Settings().screenMode == 1;
    context.report = [this](bool detailed) {
        DeviceReportValues values;
        FillDeviceReportValues(values);
        return FormatSystemReport(detailed, System(), g_cpuInfo, values, FrameRate(), &Display());
    };
    context.message = [this](HWND dialog, std::uint8_t kind, const char* text, std::uint8_t* flag) {
        return ShowMessageDialog(text, kind, flag, nullptr, true, dialog);
    };
    context.documentsFolder = [this] { return Special(CSIDL_PERSONAL); };
    RunInformationDialog(context, owner);
}

void Application::ShowTextInputDialog(HWND owner, TextInputRequest& request, const char* initialText) {
    const DialogHost host = MakeDialogHost();
    RunTextInputDialog(host, owner, request, initialText);
}

void Application::ShowSettingsSheet(HWND owner) {
    const DialogHost host = MakeDialogHost();
    SettingsSheetContext context;
    context.host = &host;
    context.block = m_appCfg.bytes;
    context.makeKeyboard = [] { return std::unique_ptr<SettingsPageDevice>(new KeyboardPageDevice); };
    context.makeJoystick = [this]() -> std::unique_ptr<SettingsPageDevice> {
        JoystickDevice* joystick = Input().GetJoystick(0);
        if (joystick == nullptr) return nullptr;
        // Through the multimedia functions the page takes the first device that answers; else
        // the device the input manager's joystick 0 uses.
        const std::int32_t id = Input().DirectInput() == nullptr ? -1 : joystick->Slot();
        std::unique_ptr<JoystickPageDevice> device(new JoystickPageDevice);
        if (!device->Open(id)) return nullptr;
        return device;
    };
    context.deleteDown = [] { return (GetAsyncKeyState(VK_DELETE) & 0x8000) != 0; };
    context.applyKeyboardBindings = [this] { ApplyKeyboardBindings(); };
    context.applyPadAndMouseBindings = [this] { ApplyPadAndMouseBindings(); };
    // No script movie exists yet, so the volume has nothing to reach at once; OK stores it.
    context.directShowPlugins = m_userCfg.block3[SettingsFiles::Block3::kDirectShow] != 0;
    for (const MonitorRecord& monitor : Display().Monitors()) context.monitors.push_back(monitor.adapter);
    context.windowsMajor6 = System().MajorVersion() == 6;
    context.applyEnlargedDrawing = [this](std::uint8_t method, const std::uint8_t flags[4]) {
        m_display.enlargedMethod = method;
        for (int i = 0; i < 4; ++i) m_display.enlargedFlags[i] = flags[i] != 0;
    };
    context.setFullScreenTopmost = [this](bool on) { keepTopmost = on ? 1 : 0; };
    RunSettingsSheet(context, owner);
    // The pop-up hint timing (offsets 16 and 20) has no UI part group to reach yet; the block
    // keeps the new values.
}

bool Application::ApplySoundSettings() {
    if (!m_engine) return false;
    SoundManagerSettingsPort port(m_engine->Sound());
    return ::ApplySoundSettings(&port, m_appCfg.bytes);
}

void Application::ApplyKeyboardBindings(ActionMap* map) {
    if (map == nullptr) map = m_actionMap;
    if (map == nullptr) return;
    ScopedLock lock(ScreenLock());
    ::ApplyKeyboardBindings(*map, m_appCfg.bytes);
}

void Application::ApplyPadAndMouseBindings(ActionMap* map) {
    if (map == nullptr) map = m_actionMap;
    if (map == nullptr) return;
    ScopedLock lock(ScreenLock());
    Input().SetJoystickPolling(m_appCfg.bytes[SettingsOffsets::kUseJoystick] != 0);
    ::ApplyPadAndMouseBindings(*map, m_appCfg.bytes, m_appliedMouse);
}

void Application::UseGameDialogs(ApplicationSources& sources) {
    GameDialogs& dialogs = sources.dialogs;
    dialogs.version = [](HWND owner) { Application::Current()->ShowInformationDialog(owner); };
    dialogs.settingsSheet = [](HWND owner) { Application::Current()->ShowSettingsSheet(owner); };
    dialogs.textInput = [](HWND owner, TextInputRequest& request, const char* initialText) {
        Application::Current()->ShowTextInputDialog(owner, request, initialText);
    };
    dialogs.messageDialog = [](HWND, MessageDialogRequest& request) {
        return Application::Current()->ShowMessageDialogRequest(&request) == 0;
    };
    StartupSeams& startup = sources.startup;
    startup.messageWithCheckBox = [](const char* text, bool checked) {
        std::uint8_t flag = checked ? 1 : 0;
        Application::Current()->ShowMessageDialog(text, 1, &flag, nullptr, true, GetDesktopWindow());
        return flag != 0;
    };
    startup.applyKeyboardBindings = [](ActionMap& map) { Application::Current()->ApplyKeyboardBindings(&map); };
    startup.applyPadAndMouseBindings = [](ActionMap& map) { Application::Current()->ApplyPadAndMouseBindings(&map); };
}
