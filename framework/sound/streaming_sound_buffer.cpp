#include "framework/sound/streaming_sound_buffer.h"

#include <cstring>
#include <memory>
#include <new>

#include "framework/sound/direct_sound_device.h"
#include "framework/sound/sound_decoder_host.h"

namespace {

bool g_useNotifications = false;

// A ring this large would overflow the 32-bit byte arithmetic.
constexpr std::uint32_t kMaxBytesPerSecond = 0x0FFFFFFF;

}  // namespace

void StreamingSoundBuffer::SetUseNotifications(bool use) { g_useNotifications = use; }

bool StreamingSoundBuffer::UseNotifications() { return g_useNotifications; }

StreamingSoundBuffer::StreamingSoundBuffer(DirectSoundDevice* device) : SoundBuffer(device) {
    m_event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
}

StreamingSoundBuffer::~StreamingSoundBuffer() {
    CancelFade();
    Release();
    StopRefillThread();
    if (m_event) CloseHandle(m_event);
}

void StreamingSoundBuffer::Release() {
    StopAndRewind();
    m_first.reset();
    m_second.reset();
    if (m_notify) m_notify->Release();
    m_notify = nullptr;
    m_notifyActive = false;
    ReleaseDirectSoundBuffer();
}

std::int32_t StreamingSoundBuffer::Open(const char* firstName, const char* secondName) {
    if (!g_currentSoundDevice || !firstName || !g_currentSoundDevice->DirectSound()) return 1;
    Release();
    std::int32_t code = 0;
    try {
        if (!g_soundDecoderHost) throw 2;
        m_first.reset(g_soundDecoderHost->OpenDecoder(firstName, nullptr, true, nullptr));
        const WAVEFORMATEX* firstFormat = m_first ? m_first->Format() : nullptr;
        if (!firstFormat || firstFormat->nAvgBytesPerSec == 0 ||
            firstFormat->nAvgBytesPerSec > kMaxBytesPerSecond) {
            throw 2;
        }
        const WAVEFORMATEX format = *firstFormat;
        m_bytesPerSecond = format.nAvgBytesPerSec;
        m_blockAlign = format.nBlockAlign ? format.nBlockAlign : 1;
        // Whole blocks only, so that no refill ever splits a sample.
        m_ringSize = 4 * m_bytesPerSecond / m_blockAlign * m_blockAlign;
        m_silence = format.wBitsPerSample == 8 ? 0x80 : 0;
        if (secondName) {
            m_second.reset(g_soundDecoderHost->OpenDecoder(secondName, nullptr, true, nullptr));
            if (!m_second || !m_second->Format()) throw 3;
            if (m_second->Format()->nAvgBytesPerSec != m_bytesPerSecond) throw 4;
        }
        const bool notifications = UseNotifications();
        const std::int32_t created = CreateDirectSoundBuffer(
            &format, m_ringSize, notifications ? DSBCAPS_CTRLPOSITIONNOTIFY : 0);
        if (created > 0) throw 5;
        SetVolume(m_volume);
        code = created;
        if (notifications) {
            if (!m_event || FAILED(m_buffer->QueryInterface(IID_IDirectSoundNotify,
                                                            reinterpret_cast<void**>(&m_notify)))) {
                m_notify = nullptr;
                return code - 2;
            }
            const DWORD offsets[5] = {m_ringSize / 4, m_ringSize / 2, 3 * (m_ringSize / 4),
                                      m_ringSize - 1, static_cast<DWORD>(DSBPN_OFFSETSTOP)};
            for (int i = 0; i < 5; ++i) {
                m_notifyPositions[i].dwOffset = offsets[i];
                m_notifyPositions[i].hEventNotify = m_event;
            }
            if (FAILED(m_notify->SetNotificationPositions(5, m_notifyPositions))) return code - 4;
            m_notifyActive = true;
        }
    } catch (int failure) {
        code = failure;
    } catch (...) {
        code = 6;
    }
    if (code > 0) Release();
    return code;
}

void StreamingSoundBuffer::FillSilence(void* part, DWORD bytes) {
    if (part && bytes) std::memset(part, m_silence, bytes);
}

std::int32_t StreamingSoundBuffer::StartPlayback(bool loop) {
    if (!m_buffer) return 1;
    // A run that stopped the buffer by itself is joined here too; never under the lock.
    StopRefillThread();
    if (m_pauseCount > 0 || IsPlaying()) StopAndRewind();
    std::int32_t failure = 0;
    {
        ScopedLock guard(m_lock);
        if (!m_buffer || !m_first) return 1;
        m_loop = loop;
        m_lastWrite = m_writeOffset = m_deficit = m_lastPlay = 0;
        m_buffer->SetCurrentPosition(0);
        SoundDecoder* source =
            m_second && m_streamPosition >= m_first->DataSize() ? m_second.get() : m_first.get();
        const std::uint32_t fill = m_ringSize / 8 * 7 / m_blockAlign * m_blockAlign;
        void* part = nullptr;
        DWORD partBytes = 0;
        if (FAILED(m_buffer->Lock(0, fill, &part, &partBytes, nullptr, nullptr, 0)) || !part) {
            return 2;
        }
        auto* bytes = static_cast<std::uint8_t*>(part);
        const std::uint32_t region = partBytes < fill ? partBytes : fill;
        std::uint32_t written = source->Read(bytes, region);
        if (written > region) {
            m_buffer->Unlock(part, partBytes, nullptr, 0);
            return 3;
        }
        if (written < region && source->IsAtEnd()) {
            SoundDecoder* next = nullptr;
            if (source == m_first.get() && m_second) {
                next = m_second.get();
            } else if (loop) {
                source->Seek(0);
                next = source;
            }
            if (next) {
                const std::uint32_t more = next->Read(bytes + written, region - written);
                if (more <= region - written) written += more;
            } else {
                FillSilence(bytes + written, region - written);
                written = region;
            }
        }
        if (FAILED(m_buffer->Unlock(part, partBytes, nullptr, 0))) return 4;
        m_writeOffset = written % m_ringSize;
        if (written < fill) m_deficit = fill - written;
        if (FAILED(m_buffer->Play(0, 0, DSBPLAY_LOOPING))) failure = 5;
    }
    // A run gives up its body when it ends, so every start binds it again.
    if (failure == 0 &&
        m_thread.SetDelegateAndStart(ThreadDelegate::Bind(
            this, &StreamingSoundBuffer::RefillThreadRun)) != Thread::kStarted) {
        failure = 6;
    }
    if (failure != 0) StopAndRewind();
    return failure;
}

void StreamingSoundBuffer::Bookkeeping() {
    ScopedLock guard(m_lock);
    DWORD play = 0;
    if (!m_buffer || FAILED(m_buffer->GetCurrentPosition(&play, nullptr))) return;
    const std::uint32_t advanced =
        play >= m_lastPlay ? play - m_lastPlay : play + m_ringSize - m_lastPlay;
    m_lastPlay = play;
    m_streamPosition += advanced;
}

std::int32_t StreamingSoundBuffer::Refill(SoundDecoder* decoder, std::int32_t mode) {
    ScopedLock guard(m_lock);
    if (!m_buffer || !decoder || m_ringSize == 0) return 2;
    DWORD play = 0;
    DWORD write = 0;
    if (FAILED(m_buffer->GetCurrentPosition(&play, &write))) return 2;
    if (write == m_lastWrite && mode != 2) return kRefillIdle;
    std::uint32_t want = (m_ringSize + write - m_lastWrite) % m_ringSize + m_deficit;
    if (want < m_bytesPerSecond / 2) return kRefilled;
    // Never overwrite what has not been played yet.
    if (m_writeOffset < play && play < m_writeOffset + want) want = play - m_writeOffset;
    m_lastWrite = write;
    if (m_writeOffset + want > m_ringSize && m_writeOffset + want - m_ringSize > play) {
        want = m_ringSize - m_writeOffset + play;
    }
    std::uint32_t read = 0;
    if (want > 0) {
        void* first = nullptr;
        void* second = nullptr;
        DWORD firstBytes = 0;
        DWORD secondBytes = 0;
        const HRESULT locked = RetryIfLost(
            [&] {
                return m_buffer->Lock(m_writeOffset, want, &first, &firstBytes, &second,
                                      &secondBytes, 0);
            },
            [&] { return SUCCEEDED(m_buffer->Restore()); });
        if (FAILED(locked) || !first) return 2;
        if (second && secondBytes) {
            const std::uint32_t total =
                want < firstBytes + secondBytes ? want : firstBytes + secondBytes;
            std::unique_ptr<std::uint8_t[]> staging(new (std::nothrow) std::uint8_t[total]);
            if (!staging) {
                m_buffer->Unlock(first, firstBytes, second, secondBytes);
                return 3;
            }
            read = decoder->Read(staging.get(), total);
            if (read > total) read = 0;
            const std::uint32_t head = read < firstBytes ? read : firstBytes;
            std::memcpy(first, staging.get(), head);
            std::memcpy(second, staging.get() + head, read - head);
        } else {
            const std::uint32_t asked = want < firstBytes ? want : firstBytes;
            read = decoder->Read(first, asked);
            if (read > asked) read = 0;
        }
        if (FAILED(m_buffer->Unlock(first, firstBytes, second, secondBytes))) return 4;
    }
    m_writeOffset = (m_writeOffset + read) % m_ringSize;
    if (read < want) m_deficit = want - read;
    if (!decoder->IsAtEnd()) return kRefilled;
    if (mode == 0 && !m_loop && m_deficit > 0) {
        // The end of a sound that does not loop: silence behind it until the buffer stops.
        void* first = nullptr;
        void* second = nullptr;
        DWORD firstBytes = 0;
        DWORD secondBytes = 0;
        if (SUCCEEDED(m_buffer->Lock(m_writeOffset, m_deficit, &first, &firstBytes, &second,
                                     &secondBytes, 0))) {
            FillSilence(first, firstBytes);
            FillSilence(second, secondBytes);
            const std::uint32_t filled = firstBytes + secondBytes;
            m_deficit -= filled < m_deficit ? filled : m_deficit;
            m_writeOffset = (m_writeOffset + filled) % m_ringSize;
            m_buffer->Unlock(first, firstBytes, second, secondBytes);
        }
    }
    return kRefillEnded;
}

void StreamingSoundBuffer::WaitForTurn() {
    if (m_notifyActive) {
        WaitForSingleObject(m_event, INFINITE);
        return;
    }
    DWORD play = 0;
    {
        ScopedLock guard(m_lock);
        if (m_buffer) m_buffer->GetCurrentPosition(&play, nullptr);
    }
    const std::uint32_t eighth = m_ringSize / 8 ? m_ringSize / 8 : 1;
    const std::uint64_t remaining = eighth - play % eighth;
    const std::uint64_t ms = remaining * 1000 / m_bytesPerSecond;
    WaitForSingleObject(m_event, ms > 0 ? static_cast<DWORD>(ms) : 1);
}

void StreamingSoundBuffer::RefillThreadRun() {
    if (!m_first) return;
    if (m_second) {
        RunWithIntro();
    } else {
        RunSingle();
    }
}

StreamingSoundBuffer::AfterRefill StreamingSoundBuffer::NextStep(std::int32_t result,
                                                                   SoundDecoder* decoder,
                                                                   std::uint32_t end,
                                                                   bool& ended) {
    if (result == kRefillEnded) {
        if (m_loop) {
            decoder->Seek(0);
            return AfterRefill::kAgain;
        }
        ended = true;
        if (m_streamPosition >= end) return AfterRefill::kStop;
    } else if (result >= 2) {
        return AfterRefill::kStop;
    }
    return AfterRefill::kWait;
}

void StreamingSoundBuffer::RunSingle() {
    const std::uint32_t size = m_first->DataSize();
    bool ended = !m_loop && m_first->IsAtEnd();
    while (m_thread.KeepRunning()) {
        Bookkeeping();
        if (!ended && size != 0) m_streamPosition = m_streamPosition % size;
        const AfterRefill next = NextStep(Refill(m_first.get(), 0), m_first.get(), size, ended);
        if (next == AfterRefill::kStop) {
            StopBuffer(true);
            return;
        }
        if (next == AfterRefill::kWait) WaitForTurn();
    }
}

void StreamingSoundBuffer::RunWithIntro() {
    const std::uint32_t firstSize = m_first->DataSize();
    const std::uint32_t span = firstSize + m_second->DataSize();
    if (m_streamPosition < firstSize) {
        for (;;) {
            if (!m_thread.KeepRunning()) return;
            Bookkeeping();
            const std::int32_t result = Refill(m_first.get(), 1);
            if (result == kRefillEnded) {
                Refill(m_second.get(), 2);
                break;
            }
            if (result >= 2) {
                StopBuffer(true);
                return;
            }
            WaitForTurn();
        }
    }
    bool ended = !m_loop && m_second->IsAtEnd();
    while (m_thread.KeepRunning()) {
        Bookkeeping();
        if (!ended && span != 0 && m_streamPosition >= span) {
            m_streamPosition = m_streamPosition % span + firstSize;
        }
        const AfterRefill next = NextStep(Refill(m_second.get(), 0), m_second.get(), span, ended);
        if (next == AfterRefill::kStop) {
            StopBuffer(true);
            return;
        }
        if (next == AfterRefill::kWait) WaitForTurn();
    }
}

std::int32_t StreamingSoundBuffer::StopBuffer(bool fromRefillThread) {
    ScopedLock guard(m_lock);
    if (!m_buffer) return 1;
    PlaySilence();
    const HRESULT stopped = m_buffer->Stop();
    m_buffer->SetCurrentPosition(0);
    if (m_first) m_first->Seek(0);
    if (m_second) m_second->Seek(0);
    m_streamPosition = 0;
    m_lastPlay = 0;
    m_lastWrite = 0;
    m_pauseCount = 0;
    // The refill thread leaves a running fade to its task, which sees the buffer stopped.
    if (!fromRefillThread) CancelFade();
    return SUCCEEDED(stopped) ? 0 : 2;
}

void StreamingSoundBuffer::StopRefillThread() {
    m_thread.RequestStop();
    if (m_event) SetEvent(m_event);
    m_thread.Join();
}

std::int32_t StreamingSoundBuffer::StopAndRewind() {
    StopRefillThread();
    return StopBuffer(false);
}

std::int32_t StreamingSoundBuffer::Pause() {
    ScopedLock guard(m_lock);
    if (!m_buffer) return 1;
    if (m_pauseCount == 0) {
        if (!IsPlaying()) return 3;
        PlaySilence();
        if (FAILED(m_buffer->Stop())) return 2;
    }
    ++m_pauseCount;
    return 0;
}

std::int32_t StreamingSoundBuffer::Resume() {
    ScopedLock guard(m_lock);
    if (!m_buffer) return 1;
    if (m_pauseCount == 0) return 2;
    if (--m_pauseCount > 0 || !m_thread.IsRunning()) return 0;
    const HRESULT played = RetryIfLost([&] { return m_buffer->Play(0, 0, DSBPLAY_LOOPING); },
                                       [&] { return SUCCEEDED(m_buffer->Restore()); });
    return SUCCEEDED(played) ? 0 : 3;
}

std::uint32_t StreamingSoundBuffer::Length() {
    return (m_first ? m_first->DataSize() : 0) + (m_second ? m_second->DataSize() : 0);
}

std::uint32_t StreamingSoundBuffer::LengthMs() {
    return (m_first ? m_first->Length() : 0) + (m_second ? m_second->Length() : 0);
}

std::int32_t StreamingSoundBuffer::SetPositionMs(std::uint32_t milliseconds) {
    if (!m_first) return 1;
    const bool wasPlaying = IsPlaying();
    const bool loop = m_loop;
    StopAndRewind();
    const std::uint32_t firstLength = m_first->Length();
    std::uint64_t position;
    if (m_second && milliseconds >= firstLength) {
        const std::uint32_t into = milliseconds - firstLength;
        if (m_second->Seek(into) != kSoundSeekDone) return 3;
        // Counted from the first file's real size, so that playback picks the second file.
        position = m_first->DataSize() + static_cast<std::uint64_t>(into) * m_bytesPerSecond / 1000;
    } else {
        if (m_first->Seek(milliseconds) != kSoundSeekDone) return 3;
        position = static_cast<std::uint64_t>(milliseconds) * m_bytesPerSecond / 1000;
    }
    m_streamPosition = static_cast<std::uint32_t>(position / m_blockAlign * m_blockAlign);
    if (wasPlaying && StartPlayback(loop) != 0) return 4;
    return 0;
}

std::int32_t StreamingSoundBuffer::PositionMs() {
    if (!m_first || m_bytesPerSecond == 0) return -1;
    return static_cast<std::int32_t>(static_cast<std::uint64_t>(m_streamPosition) * 1000 /
                                     m_bytesPerSecond);
}

bool StreamingSoundBuffer::GetPlayState(DWORD* outPlay, DWORD* outWrite) {
    ScopedLock guard(m_lock);
    if (outPlay) *outPlay = m_lastPlay;
    if (outWrite) *outWrite = m_lastWrite;
    return IsPlaying();
}
