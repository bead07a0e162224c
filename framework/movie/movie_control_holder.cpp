#include "framework/movie/movie_control_holder.h"

#include "framework/movie/movie_dll.h"
#include "framework/movie/movie_open.h"

void MovieControlHolder::Adopt(MovieControl* control, const MovieDll& dll) {
    Release();
    m_control = control;
    m_moduleReference = dll.AddModuleReference();
}

void MovieControlHolder::Release() {
    if (m_control) m_control->Release();
    m_control = nullptr;
    if (m_moduleReference) FreeLibrary(m_moduleReference);
    m_moduleReference = nullptr;
    loop = 0;
    endHandled = 0;
    m_volume = 256;
}

std::int32_t MovieControlHolder::GetPosition(std::int64_t* position) {
    if (!m_control) {
        if (position) *position = 0;
        return 0;
    }
    return m_control->GetPosition(position);
}

std::int32_t MovieControlHolder::GetDuration(std::int64_t* duration) {
    if (!m_control) {
        if (duration) *duration = 0;
        return 0;
    }
    return m_control->GetDuration(duration);
}

std::int32_t MovieControlHolder::SetVolume(std::int32_t volume) {
    if (!m_control) return -1;
    const std::int32_t hundredths = MovieVolumeToHundredthsDb(volume, &m_volume);
    return m_control->SetVolume(hundredths);
}

void MovieControlHolder::HandleEnd() {
    if (!m_control) return;
    if (m_control->HasEnded() == 0) {
        endHandled = 0;
        return;
    }
    if (endHandled) return;
    if (loop) m_control->Play();
    else m_control->Stop();
    endHandled = 1;
}
