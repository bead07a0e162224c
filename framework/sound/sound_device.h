// SoundDevice: the DirectSound device with its primary buffer, whose format can be set, and the
// list of sound buffers that script commands create and destroy by handle. The device owns every
// buffer of the list. The sound manager makes its own buffers and does not use the list.
//
// Buffers are created and destroyed on the thread that runs the scripts; the primary format is
// set on the window thread. The device takes no lock of its own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "framework/sound/direct_sound_device.h"

class SoundBuffer;
class StaticSoundBuffer;

class SoundDevice : public DirectSoundDevice {
public:
    SoundDevice() = default;
    // Deletes every buffer, releases the primary buffer and the DirectSound object, and frees
    // the output-device list.
    ~SoundDevice() override;

    // Makes the DirectSound object when there is none, then the primary buffer in the given
    // format (rate code 8, 11, 22 or 44 for 8000 .. 44100 samples per second; any other value is
    // the rate itself): 0; the DirectSoundDevice::Create code; -1 the cooperative level is below
    // DSSCL_PRIORITY; 6 the primary buffer cannot be made; -2 SetFormat refused, or a format
    // of no bytes or more than 2^32 - 1 bytes per second.
    std::int32_t SetPrimaryFormat(HWND window, bool globalFocus, bool softwareBuffers,
                                  const GUID* deviceGuid, std::int32_t channels,
                                  std::int32_t rateCode, std::int32_t bitsPerSample);
    void ReleasePrimary();
    IDirectSoundBuffer* PrimaryBuffer() const { return m_primary; }

    // A new static buffer with the file loaded: 0, 8 out of memory, or the load's nonzero
    // result (the negative notes included); *outBuffer is null on failure.
    std::int32_t CreateBufferFromFile(SoundBuffer** outBuffer, const char* name,
                                      std::int32_t levelMode);
    // A new static buffer that shares the sound data of `source`: 0, 3 out of memory, or the
    // duplicate's nonzero result.
    std::int32_t CreateBufferFromMemory(SoundBuffer** outBuffer, StaticSoundBuffer* source);
    // A new streaming buffer over one file or a first and a repeated one: 0, 7 out of memory,
    // or the open's nonzero result.
    std::int32_t CreateStreamingBuffer(SoundBuffer** outBuffer, const char* firstName,
                                       const char* secondName);
    // 0 deleted; 1 null; 2 not in the list (nothing is deleted).
    std::int32_t DestroyBuffer(SoundBuffer* buffer);
    void PauseAllBuffers();
    void ResumeAllBuffers();
    void StopAllBuffers();
    void DestroyAllBuffers();

    const std::vector<SoundBuffer*>& Buffers() const { return m_buffers; }

private:
    // Runs the loader on a new buffer; only a result of 0 keeps it, in the list.
    template <class Buffer, class Load>
    std::int32_t AddLoaded(SoundBuffer** outBuffer, std::int32_t outOfMemory, Load load);

    IDirectSoundBuffer* m_primary = nullptr;
    std::vector<SoundBuffer*> m_buffers;
};

// The rate in samples per second for a rate code of SetPrimaryFormat.
std::uint32_t PrimaryRateFromCode(std::int32_t rateCode);
