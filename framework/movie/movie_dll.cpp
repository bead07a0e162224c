#include "framework/movie/movie_dll.h"

#include "framework/files/path_utilities.h"

MovieDll::~MovieDll() { Free(); }

void MovieDll::Free() {
    if (m_module) FreeLibrary(m_module);
    m_module = nullptr;
    m_getDllVersion = nullptr;
    m_factory = nullptr;
}

bool MovieDll::Load(const char* path, const char* factoryName, std::uint32_t version) {
    Free();
    char full[kPathCapacity];
    if (!path || MakeFullPath(full, path, nullptr) == 0) return false;
    HMODULE module = LoadLibraryA(full);
    if (!module) return false;
    auto getVersion = reinterpret_cast<MovieGetDllVersionFunc>(
        reinterpret_cast<void*>(GetProcAddress(module, kMovieVersionExport)));
    FARPROC factory = GetProcAddress(module, factoryName);
    if (!getVersion || !factory || getVersion() != version) {
        FreeLibrary(module);
        return false;
    }
    m_module = module;
    m_getDllVersion = getVersion;
    m_factory = factory;
    return true;
}

bool MovieDll::LoadSpriteCtrlDll(const char* path) { return Load(path, kSpriteCtrlExport, kSpriteCtrlVersion); }

bool MovieDll::LoadPrimCtrlDll(const char* path) { return Load(path, kPrimCtrlExport, kPrimCtrlVersion); }

bool MovieDll::LoadMovieObjectDll(const char* path) {
    return Load(path, kMovieObjectExport, kMovieObjectVersion);
}

HMODULE MovieDll::AddModuleReference() const {
    if (!m_module) return nullptr;
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCSTR>(reinterpret_cast<void*>(m_factory)), &module))
        return nullptr;
    return module;
}
