// MovieControlHolder: what the sprite and primitive movies keep of their DLL's control object:
// the object, a module reference that keeps the DLL's code loaded while the object lives, the
// loop and end-handled flags and the volume. Every control operation answers -1 without an
// object (GetPosition and GetDuration 0).
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/interfaces/movie_plugin.h"

class MovieDll;

class MovieControlHolder {
public:
    MovieControlHolder() = default;
    ~MovieControlHolder() { Release(); }
    MovieControlHolder(const MovieControlHolder&) = delete;
    MovieControlHolder& operator=(const MovieControlHolder&) = delete;

    // Takes a control object that dll's factory made, with a module reference of its own.
    void Adopt(MovieControl* control, const MovieDll& dll);
    // Releases the object (which stops the DLL's threads), then gives the module back; the
    // flags and the volume return to their reset values.
    void Release();

    MovieControl* Control() const { return m_control; }

    std::int32_t Play() { return m_control ? m_control->Play() : -1; }
    std::int32_t Pause() { return m_control ? m_control->Pause() : -1; }
    std::int32_t Resume() { return m_control ? m_control->Resume() : -1; }
    std::int32_t Stop() { return m_control ? m_control->Stop() : -1; }
    std::int32_t GetPosition(std::int64_t* position);
    std::int32_t SetPosition(std::int64_t position) { return m_control ? m_control->SetPosition(position) : -1; }
    std::int32_t GetDuration(std::int64_t* duration);
    std::int32_t GetState(std::int32_t* state) { return m_control ? m_control->GetState(state) : -1; }
    // 0..256 (cut; 0 or below is silence).
    std::int32_t SetVolume(std::int32_t volume);
    std::int32_t SetRate(double rate) { return m_control ? m_control->SetRate(rate) : -1; }
    std::int32_t SetFixedParam(double value) { return m_control ? m_control->SetFixedParam(value) : -1; }
    std::int32_t Volume() const { return m_volume; }

    // After a draw: once per end, Play again with the loop flag, else Stop.
    void HandleEnd();

    std::uint8_t loop = 0;
    std::uint8_t endHandled = 0;

private:
    MovieControl* m_control = nullptr;
    HMODULE m_moduleReference = nullptr;
    std::int32_t m_volume = 256;
};
