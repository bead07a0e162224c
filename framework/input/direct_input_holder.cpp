#include "framework/input/direct_input_holder.h"

#include "framework/runtime/com_init.h"

namespace {

using DirectInputCreateFunction = HRESULT(WINAPI*)(HINSTANCE, DWORD, IDirectInputA**, IUnknown*);

constexpr DWORD kVersion5 = 0x0500;
constexpr DWORD kVersion3 = 0x0300;

}  // namespace

DirectInputHolder::DirectInputHolder()
    : m_comReady(ComInitForThread() == 0), m_interface(nullptr), m_module(nullptr) {}

DirectInputHolder::~DirectInputHolder() {
    Release();
    if (m_comReady) ComUninitForThread();
}

std::int32_t DirectInputHolder::Create(HINSTANCE instance) {
    if (!m_comReady) return 1;
    Release();
    void* made = nullptr;
    if (FAILED(CoCreateInstance(CLSID_DirectInput, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectInputA,
                                &made))) {
        return CreateThroughDll(instance);
    }
    if (!made) return 1;
    m_interface = static_cast<IDirectInputA*>(made);
    if (SUCCEEDED(m_interface->Initialize(instance, kVersion5))) return 0;
    if (SUCCEEDED(m_interface->Initialize(instance, kVersion3))) return 0;
    ReleaseInterface(m_interface);
    return 3;
}

std::int32_t DirectInputHolder::CreateThroughDll(HINSTANCE instance) {
    m_module = LoadLibraryA("dinput.dll");
    if (!m_module) return 2;
    auto create = reinterpret_cast<DirectInputCreateFunction>(
        reinterpret_cast<void*>(GetProcAddress(m_module, "DirectInputCreateA")));
    if (!create) return 2;
    if (create(instance, kVersion3, &m_interface, nullptr) != DI_OK || !m_interface) {
        m_interface = nullptr;
        return 3;
    }
    return 0;
}

void DirectInputHolder::Attach(IDirectInputA* input) {
    Release();
    m_interface = input;
    if (m_interface) m_interface->AddRef();
}

void DirectInputHolder::Release() {
    ReleaseInterface(m_interface);
    if (m_module) {
        FreeLibrary(m_module);
        m_module = nullptr;
    }
}
