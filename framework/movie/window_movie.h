// WindowMovie: a movie that DS_MOVIE.DLL plays in the owner window by itself. The program
// forwards commands to the DLL's movie object and services its events: the DLL posts 0x9006 to
// the owner window, whose handler calls ProcessEvents.
//
// When the screen device holds the primary display exclusively, the DLL gets the device's
// DirectDraw object and primary surface (a primary made here when the device has none, owned
// by the movie). The movie holds a module reference of its own while its object lives.
//
// The script commands and the 0x9006 handler both drive it; they serialise under the
// application's movie lock.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstdint>

#include "framework/interfaces/movie_plugin.h"

class ScreenPort;
class VirtualFileSystem;

class WindowMovie {
public:
    WindowMovie() = default;
    ~WindowMovie() { Reset(); }
    WindowMovie(const WindowMovie&) = delete;
    WindowMovie& operator=(const WindowMovie&) = delete;

    // 0 or a MovieOpenCode. fileSystem and screen null: those published with DS_MOVIE.
    std::int32_t Open(HWND owner, const char* name, VirtualFileSystem* fileSystem, ScreenPort* screen);
    // Releases the movie object, then the primary surface the movie made.
    void Reset();

    // Show(1), Run, then the owner's device context to Repaint (when the DLL paints through
    // one) or the owner's top child invalidated. Run's result.
    std::int32_t Play();
    std::int32_t Pause() { return m_object ? m_object->Pause() : -1; }
    // Shows the movie again when Resume answers 0.
    std::int32_t Resume();
    // Hides the movie first.
    std::int32_t Stop();
    std::int32_t GetPosition(std::int64_t* position);
    std::int32_t SetPosition(std::int64_t position) { return m_object ? m_object->SetPosition(position) : -1; }
    std::int32_t GetDuration(std::int64_t* duration);
    std::int32_t GetState(std::int32_t* state) { return m_object ? m_object->GetState(state) : -1; }
    // 0..256 (cut; 0 or below is silence).
    std::int32_t SetVolume(std::int32_t volume);
    std::int32_t SetRate(double rate) { return m_object ? m_object->SetRate(rate) : -1; }
    std::int32_t SetFixedParam(double value) { return m_object ? m_object->SetFixedParam(value) : -1; }
    // The rectangle is kept only when the DLL accepts it (0).
    std::int32_t SetRect(const RECT& rect);
    std::int32_t InvokeControl18() { return m_object ? m_object->Control18() : -1; }
    std::int32_t SetControlInt19(std::int32_t value) { return m_object ? m_object->Control19(value) : -1; }
    // Takes every queued event: at the end (1) a running movie rewinds and runs again with the
    // loop flag, else stops; a stop request (2) stops; other codes are ignored.
    void ProcessEvents();

    void SetLoop(bool loop) { m_loop = loop ? 1 : 0; }
    bool IsOpen() const { return m_object != nullptr; }
    const RECT& VideoRect() const { return m_rect; }
    bool IsWindowless() const { return m_windowless != 0; }
    std::int32_t Volume() const { return m_volume; }
    SIZE VideoSize() const { return SIZE{m_width, m_height}; }
    IDirectDrawSurface7* OwnPrimary() const { return m_ownPrimary; }

private:
    MovieObject* m_object = nullptr;
    HMODULE m_moduleReference = nullptr;
    IDirectDrawSurface7* m_ownPrimary = nullptr;
    RECT m_rect = {0, 0, 0, 0};
    HWND m_owner = nullptr;
    std::uint8_t m_loop = 0;
    std::uint8_t m_windowless = 0;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    std::int32_t m_volume = 256;
};
