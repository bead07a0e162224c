// CommandServices: the owners the shared command routines reach, each through a small interface
// so that owners built later (the screen device's object lists, the UI panel) plug in behind
// them and tests put doubles there. A routine whose service is missing gives its null-handle
// result.
#pragma once

#include <windows.h>

#include <cstdint>

class GraphicsObjectLookup;
class Image;
class Sprite;
class SpriteList;
class Drawable;
class ScreenDevice;
class Surface;
class UiPartLookup;

// The operations of the placement routine on the graphics core's objects.
class SpriteOperations {
public:
    virtual ~SpriteOperations() = default;
    // Image::Load of a file; 0 loaded.
    virtual std::int32_t LoadImage(Image& image, const char* fileName) = 0;
    // Sprite::SetImage; 0 done.
    virtual std::int32_t SetSpriteImage(Sprite& sprite, Surface* image, const RECT* source,
                                        std::int32_t x, std::int32_t y) = 0;
    // SpriteList::Add; 0 done.
    virtual std::int32_t AddToList(SpriteList& list, Drawable& drawable, std::uint32_t priority,
                                   std::uint32_t tag) = 0;
};

// The main window and the application's menu state, for requests that become window messages.
class AppWindowPort {
public:
    virtual ~AppWindowPort() = default;
    virtual bool MenuEntryEnabled(std::uint32_t commandId) = 0;
    virtual bool ModeChangeAllowed() = 0;
    // Sends on the window thread; the caller is marked as waiting around it.
    virtual void SendToMainWindow(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual void PostToMainWindow(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual HWND MainWindow() = 0;
};

class ScheduledTask;

// The pointer glide: the player's setting, the pointer in game coordinates (the conversion the
// cursor commands use), and the start of a glide task on the first task scheduler.
class CursorGlidePort {
public:
    virtual ~CursorGlidePort() = default;
    virtual bool GlideSettingOn() = 0;
    virtual POINT CursorGamePoint() = 0;
    virtual SIZE GameSize() = 0;
    // CursorGlideTask::Start: 0 started (the task in started), 1 no scheduler or application,
    // 2 refused (the task already deleted), -1 inactive; started null unless 0.
    virtual std::int32_t StartGlide(std::int32_t x, std::int32_t y, std::uint32_t duration,
                                    std::uint8_t mode, ScheduledTask** started) = 0;
};

struct CommandServices {
    GraphicsObjectLookup* graphics = nullptr;
    UiPartLookup* parts = nullptr;
    SpriteOperations* sprites = nullptr;
    AppWindowPort* window = nullptr;
    CursorGlidePort* glide = nullptr;
    // The screen device whose object lists and drawing list the surface and drawable commands
    // work on.
    ScreenDevice* screen = nullptr;
};

// The process's services; the application fills them as their owners come and go.
CommandServices& Services();

// The graphics core's own operations.
SpriteOperations& CoreSpriteOperations();
