#include "framework/sound/buffer_fade_task.h"

#include "framework/sound/sound_buffer.h"

std::uint32_t FadePeriod(std::uint32_t duration, std::int32_t volume) {
    const std::uint32_t period = volume > 0 ? duration / static_cast<std::uint32_t>(volume) : 0;
    return period > 20 ? period : 20;
}

BufferFadeTask::BufferFadeTask(SoundBuffer* buffer, std::uint32_t duration)
    : m_buffer(buffer), m_duration(duration), m_target(buffer->m_volume) {}

void BufferFadeTask::BeginAt(std::uint32_t now) {
    if (!m_firstStep) return;
    m_firstStep = false;
    m_start = now;
    m_target = m_buffer->m_volume;
}

void XM_METHOD BufferFadeTask::Finish() {
    ScopedLock guard(m_buffer->m_lock);
    // Always applied: a fade-in that ends at its first step has the stored volume already, but
    // DirectSound still plays it silent.
    m_buffer->SetVolume(m_target);
    m_buffer->m_fadeState = kFadeNone;
}

std::int32_t XM_METHOD FadeInTask::Step(std::uint32_t now) {
    ScopedLock guard(m_buffer->m_lock);
    if (m_buffer->m_fadeState != kFadingIn) return 1;
    if (m_buffer->IsPlaying()) {
        BeginAt(now);
        if (m_duration != 0) {
            const std::uint32_t product =
                (now - m_start) * static_cast<std::uint32_t>(m_target);
            const auto volume = static_cast<std::int32_t>(static_cast<double>(product) /
                                                          static_cast<double>(m_duration));
            if (volume == m_buffer->m_volume) return 0;
            if (volume < m_target) {
                m_buffer->SetVolume(volume);
                return 0;
            }
        }
    }
    // Reached, or the buffer stopped.
    Finish();
    return 1;
}

std::int32_t XM_METHOD FadeOutTask::Step(std::uint32_t now) {
    ScopedLock guard(m_buffer->m_lock);
    if (m_buffer->m_fadeState != kFadingOut) return 1;
    if (m_buffer->IsPlaying()) {
        BeginAt(now);
        if (m_duration != 0) {
            const std::int32_t fallen = static_cast<std::int32_t>(
                static_cast<std::int64_t>(m_target) * (now - m_start) / m_duration);
            const std::int32_t volume = m_target - fallen;
            if (volume == m_buffer->m_volume) return 0;
            if (volume > 0) {
                m_buffer->SetVolume(volume);
                return 0;
            }
        }
        m_buffer->SetVolume(0);
        m_buffer->Pause();
    }
    Finish();
    return 1;
}
