// DirectInputHolder: the program's IDirectInputA, made through COM (DirectInput 5, else 3) or,
// where COM cannot make it, through DirectInputCreateA looked up in dinput.dll by name. It
// enters COM for the constructing thread and leaves it again on destruction.
#pragma once

#include "framework/input/direct_input.h"

class DirectInputHolder {
public:
    DirectInputHolder();
    virtual ~DirectInputHolder();
    DirectInputHolder(const DirectInputHolder&) = delete;
    DirectInputHolder& operator=(const DirectInputHolder&) = delete;

    // 0 ok, 1 COM not ready or no interface, 2 dinput.dll or its DirectInputCreateA missing, 3
    // no DirectInput version accepted. Releases what the holder had.
    std::int32_t Create(HINSTANCE instance);
    // Holds an interface made elsewhere (tests hand in a fake); takes a reference of its own.
    void Attach(IDirectInputA* input);
    // Releases the interface and frees dinput.dll when it was loaded.
    void Release();

    IDirectInputA* Interface() const { return m_interface; }
    bool ComReady() const { return m_comReady; }

private:
    std::int32_t CreateThroughDll(HINSTANCE instance);

    bool m_comReady;
    IDirectInputA* m_interface;
    HMODULE m_module;
};
