#include "framework/movie/window_movie.h"

#include <cstring>

#include "framework/app/screen_port.h"
#include "framework/files/virtual_file_system.h"
#include "framework/movie/movie_dll.h"
#include "framework/movie/movie_open.h"

namespace {

// A DLL that keeps answering with events would hold the window's handler for ever.
constexpr int kMostEventsPerCall = 256;

bool IsPrimaryDisplay(ScreenPort& screen) {
    static const GUID kZero = {};
    const GUID* id = screen.DisplayDeviceId();
    if (!id || std::memcmp(id, &kZero, sizeof(GUID)) == 0) return true;
    const GUID* primary = screen.PrimaryDisplayId();
    return primary && std::memcmp(id, primary, sizeof(GUID)) == 0;
}

}  // namespace

void WindowMovie::Reset() {
    if (m_object) m_object->Release();
    m_object = nullptr;
    if (m_moduleReference) FreeLibrary(m_moduleReference);
    m_moduleReference = nullptr;
    if (m_ownPrimary) m_ownPrimary->Release();
    m_ownPrimary = nullptr;
    m_rect = RECT{0, 0, 0, 0};
    m_owner = nullptr;
    m_loop = 0;
    m_windowless = 0;
    m_width = 0;
    m_height = 0;
}

std::int32_t WindowMovie::Open(HWND owner, const char* name, VirtualFileSystem* fileSystem, ScreenPort* screen) {
    MoviePlugins& plugins = PublishedMoviePlugins();
    MovieDll* dll = plugins.window;
    if (!dll) return kMovieNoDll;
    VirtualFileSystem* files = fileSystem ? fileSystem : plugins.fileSystem;
    if (!name || !files || !owner) return kMovieMissingArgument;
    MovieSource source;
    const std::int32_t located = LocateMovie(*files, name, &source);
    if (located != 0) return located;
    std::int32_t code = kMovieRefused;
    MovieObject* object = nullptr;
    try {
        Reset();
        ScreenPort* device = screen ? screen : plugins.screen;
        std::uint8_t flag = g_movieObjectOption;
        IDirectDraw7* directDraw = nullptr;
        IDirectDrawSurface7* primary = nullptr;
        if (device && device->HoldsExclusiveLevel() && IsPrimaryDisplay(*device)) {
            directDraw = device->DirectDrawObject();
            primary = device->PrimarySurfaceObject();
            if (directDraw && !primary) {
                DDSURFACEDESC2 desc = {};
                desc.dwSize = sizeof(desc);
                desc.dwFlags = DDSD_CAPS;
                desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
                if (FAILED(directDraw->CreateSurface(&desc, &primary, nullptr)) || !primary) {
                    primary = nullptr;
                    directDraw = nullptr;
                    flag = 0;
                } else {
                    m_ownPrimary = primary;
                }
            }
        }
        if (g_movieOpenStepProbe) g_movieOpenStepProbe();
        MovieGetObjectFunc factory = dll->ObjectFactory();
        if (dll->Module() && factory &&
            factory(&object, owner, source.stream, source.kind, source.PathOrNull(), directDraw, primary, flag) == 0 &&
            object)
            code = kMovieOpened;
    } catch (...) {
        code = kMovieFailed;
    }
    if (code != kMovieOpened) {
        ReleaseMovieSource(source);
        Reset();
        return code;
    }
    m_object = object;
    m_moduleReference = dll->AddModuleReference();
    object->SetOwner(owner);
    object->SetNotifyWindow(owner);
    m_owner = owner;
    m_width = object->Width();
    m_height = object->Height();
    m_rect = RECT{0, 0, m_width, m_height};
    object->SetVideoRect(&m_rect);
    m_windowless = object->IsWindowless() == 1 ? 1 : 0;
    return kMovieOpened;
}

std::int32_t WindowMovie::Play() {
    if (!m_object) return -1;
    m_object->Show(1);
    const std::int32_t result = m_object->Run();
    if (m_owner) {
        if (m_object->PaintsThroughDc() != 0) {
            HDC dc = GetDC(m_owner);
            if (dc) {
                m_object->Repaint(dc);
                ReleaseDC(m_owner, dc);
            }
        } else {
            HWND top = GetTopWindow(m_owner);
            if (top) InvalidateRect(top, nullptr, TRUE);
        }
    }
    return result;
}

std::int32_t WindowMovie::Resume() {
    if (!m_object) return -1;
    const std::int32_t result = m_object->Resume();
    if (result == 0) m_object->Show(1);
    return result;
}

std::int32_t WindowMovie::Stop() {
    if (!m_object) return -1;
    m_object->Show(0);
    return m_object->Stop();
}

std::int32_t WindowMovie::GetPosition(std::int64_t* position) {
    if (!m_object) {
        if (position) *position = 0;
        return 0;
    }
    return m_object->GetPosition(position);
}

std::int32_t WindowMovie::GetDuration(std::int64_t* duration) {
    if (!m_object) {
        if (duration) *duration = 0;
        return 0;
    }
    return m_object->GetDuration(duration);
}

std::int32_t WindowMovie::SetVolume(std::int32_t volume) {
    if (!m_object) return -1;
    return m_object->SetVolume(MovieVolumeToHundredthsDb(volume, &m_volume));
}

std::int32_t WindowMovie::SetRect(const RECT& rect) {
    if (!m_object) return -1;
    const std::int32_t result = m_object->SetVideoRect(&rect);
    if (result == 0) m_rect = rect;
    return result;
}

void WindowMovie::ProcessEvents() {
    for (int taken = 0; m_object && taken < kMostEventsPerCall; ++taken) {
        std::int32_t code = 0;
        std::int32_t first = 0;
        std::int32_t second = 0;
        std::uint8_t got = 0;
        m_object->GetEvent(&code, &first, &second, &got);
        if (!got) return;
        if (code == kMovieEventComplete) {
            std::int32_t state = 0;
            m_object->GetState(&state);
            if (state != 1) continue;
            if (!m_loop) {
                m_object->Stop();
            } else if (m_object->SetPosition(0) == 0) {
                m_object->Run();
            } else if (m_object->Stop() == 0) {
                m_object->Run();
            }
        } else if (code == kMovieEventStopRequest) {
            m_object->Stop();
        }
    }
}
