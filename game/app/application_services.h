// The command services the Application serves: its main window with the menu state, and the
// pointer glide on its first task scheduler.
#pragma once

#include "game/commands/command_services.h"

class Application;

class ApplicationWindowPort : public AppWindowPort {
public:
    explicit ApplicationWindowPort(Application& app) : m_app(app) {}
    // Settings, save, load and return-to-title follow the application's menu features.
    bool MenuEntryEnabled(std::uint32_t commandId) override;
    bool ModeChangeAllowed() override;
    // Frames are suspended while the window thread handles the message.
    void SendToMainWindow(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostToMainWindow(UINT message, WPARAM wParam, LPARAM lParam) override;
    HWND MainWindow() override;

private:
    Application& m_app;
};

class ApplicationGlidePort : public CursorGlidePort {
public:
    explicit ApplicationGlidePort(Application& app) : m_app(app) {}
    bool GlideSettingOn() override;
    POINT CursorGamePoint() override;
    SIZE GameSize() override;
    std::int32_t StartGlide(std::int32_t x, std::int32_t y, std::uint32_t duration, std::uint8_t mode,
                            ScheduledTask** started) override;

private:
    Application& m_app;
};
