// DirectSoundDevice: the program's one DirectSound object, with its cooperative level, a short
// silent buffer and the creation options every sound buffer copies into its description.
//
// The DirectSound object comes through one seam, SetDirectSoundFactory: by default it is
// CoCreateInstance of CLSID_DirectSound; tests put an in-memory DirectSound there. The sound
// buffers find the device through g_currentSoundDevice.
//
// The device takes no lock of its own: it is set up and torn down on the thread that runs the
// scripts; PlaySilence is called by the buffers under their own locks.
#pragma once

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <cstdint>

// Makes a DirectSound object (not yet initialised) into *out: S_OK, or a failure.
typedef HRESULT (*DirectSoundFactory)(IDirectSound** out);

// Replaces the way DirectSound objects are made; null restores CoCreateInstance.
void SetDirectSoundFactory(DirectSoundFactory factory);

// Result codes of DirectSoundDevice::Create.
enum : std::int32_t {
    kSoundDeviceOk = 0,
    kSoundDeviceNoCom = 1,
    kSoundDeviceCreateFailed = 2,
    kSoundDeviceInitializeFailed = 3,
    kSoundDeviceNoCooperativeLevel = 4,
    kSoundDeviceNoSilentBuffer = 5,
};

class DirectSoundDevice {
public:
    DirectSoundDevice();
    virtual ~DirectSoundDevice();
    DirectSoundDevice(const DirectSoundDevice&) = delete;
    DirectSoundDevice& operator=(const DirectSoundDevice&) = delete;

    // Releases what the device held, then makes the DirectSound object for `deviceGuid` (null:
    // the primary sound driver), priority level (else normal) for `window`, and the silent
    // buffer. Codes above; every failure leaves the device without an object.
    std::int32_t Create(HWND window, bool globalFocus, bool softwareBuffers,
                        const GUID* deviceGuid);
    // 0 (level recorded), 1 no object, 2 refused.
    std::int32_t SetCooperativeLevel(DWORD level);
    // Plays the silent buffer once when `buffer` is playing, so that stopping it does not cut
    // the output off with a click: 0, or 1 without a silent buffer or buffer.
    std::int32_t PlaySilence(IDirectSoundBuffer* buffer);
    // Releases the silent buffer, then the DirectSound object.
    void Release();

    IDirectSound* DirectSound() const { return m_directSound; }
    HWND Window() const { return m_window; }
    DWORD CooperativeLevel() const { return m_cooperativeLevel; }
    bool GlobalFocus() const { return m_globalFocus; }
    bool SoftwareBuffers() const { return m_softwareBuffers; }
    // DSBCAPS_GLOBALFOCUS and DSBCAPS_LOCSOFTWARE as the options say.
    DWORD OptionFlags() const;
    IDirectSoundBuffer* SilentBuffer() const { return m_silentBuffer; }

private:
    // 0; 2 the buffer cannot be made; 3 Lock failed; 4 Unlock failed.
    std::int32_t CreateSilentBuffer();

    bool m_comReady = false;
    bool m_globalFocus = false;
    bool m_softwareBuffers = false;
    IDirectSound* m_directSound = nullptr;
    HWND m_window = nullptr;
    DWORD m_cooperativeLevel = 0;
    IDirectSoundBuffer* m_silentBuffer = nullptr;
};

// The device the sound buffers use (null when none): set by the application's device start-up
// and by a sound buffer made with a device.
extern DirectSoundDevice* g_currentSoundDevice;

// Calls made through a DirectSound buffer that was lost get one restore and one retry.
template <class Call, class RestoreFn>
HRESULT RetryIfLost(Call call, RestoreFn restore) {
    HRESULT result = call();
    if (result == DSERR_BUFFERLOST && restore()) result = call();
    return result;
}
