// The application's side of the command services: the main window and its menu state, and the
// pointer glide, filled in where the devices are made and taken back when the application goes.
#include "game/app/application_services.h"

#include "framework/app/cursor_glide_task.h"
#include "game/app/application.h"

namespace {

// USER.CFG block 2 byte 10: the cursor is placed (and glides) automatically.
constexpr std::uint32_t kCursorPlacement = 10;

}  // namespace

bool ApplicationWindowPort::MenuEntryEnabled(std::uint32_t commandId) {
    switch (commandId) {
    case kCmdSettings:
    case kCmdSettings2: return m_app.Feature(kFeatureSettings) != 0;
    case kCmdSave: return m_app.Feature(kFeatureSave) != 0;
    case kCmdLoad: return m_app.Feature(kFeatureLoad) != 0;
    case kCmdReturnToTitle: return m_app.Feature(kFeatureReturnToTitle) != 0;
    default: return true;
    }
}

bool ApplicationWindowPort::ModeChangeAllowed() { return m_app.Feature(kFeatureScreenMode) != 0; }

void ApplicationWindowPort::SendToMainWindow(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = MainWindow();
    if (window == nullptr) return;
    m_app.framesEnabled = 0;
    m_app.OnFramesSuspended();
    SendMessageA(window, message, wParam, lParam);
    m_app.framesEnabled = 1;
    m_app.OnFramesResumed();
}

void ApplicationWindowPort::PostToMainWindow(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = MainWindow();
    if (window != nullptr) PostMessageA(window, message, wParam, lParam);
}

HWND ApplicationWindowPort::MainWindow() { return m_app.MainWindow().Exists() ? m_app.MainWindow().Handle() : nullptr; }

bool ApplicationGlidePort::GlideSettingOn() { return m_app.UserCfg().block2[kCursorPlacement] != 0; }

POINT ApplicationGlidePort::CursorGamePoint() { return m_app.gameCursor; }

SIZE ApplicationGlidePort::GameSize() { return {m_app.gameWidth, m_app.gameHeight}; }

std::int32_t ApplicationGlidePort::StartGlide(std::int32_t x, std::int32_t y, std::uint32_t duration,
                                              std::uint8_t mode, ScheduledTask** started) {
    CursorGlideTask* task = nullptr;
    // A straight glide: the command gives no easing.
    const std::int32_t result = CursorGlideTask::Start(&m_app.SoundScheduler(), &m_app, x, y, duration, 0.0, mode, &task);
    if (started != nullptr) *started = result == 0 ? task : nullptr;
    return result;
}
