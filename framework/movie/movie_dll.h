// MovieDll: the holder of one movie plug-in DLL (DS_SPRITE, DS_PRIM or DS_MOVIE) with its two
// exports. A holder whose DLL is missing, lacks an export or reports another version keeps no
// module; start-up deletes such a holder, so the movie classes see no holder at all.
//
// Every open movie holds a module reference of its own (AddModuleReference) for as long as its
// control object lives, so deleting the holder first never frees code a movie still runs.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/interfaces/movie_plugin.h"

class MovieDll {
public:
    MovieDll() = default;
    ~MovieDll();
    MovieDll(const MovieDll&) = delete;
    MovieDll& operator=(const MovieDll&) = delete;

    // Each loads the DLL at path (resolved against the base directory) and checks its exports
    // and version; true when the module stays loaded.
    bool LoadSpriteCtrlDll(const char* path);
    bool LoadPrimCtrlDll(const char* path);
    bool LoadMovieObjectDll(const char* path);

    HMODULE Module() const { return m_module; }
    MovieGetDllVersionFunc GetDllVersion() const { return m_getDllVersion; }
    // The factory of the kind loaded, or null.
    MovieGetSpriteCtrlFunc SpriteFactory() const { return reinterpret_cast<MovieGetSpriteCtrlFunc>(m_factory); }
    MovieGetPrimCtrlFunc PrimFactory() const { return reinterpret_cast<MovieGetPrimCtrlFunc>(m_factory); }
    MovieGetObjectFunc ObjectFactory() const { return reinterpret_cast<MovieGetObjectFunc>(m_factory); }
    // A new reference on the loaded module (FreeLibrary gives it back), or null without one.
    HMODULE AddModuleReference() const;

private:
    bool Load(const char* path, const char* factoryName, std::uint32_t version);
    void Free();

    HMODULE m_module = nullptr;
    MovieGetDllVersionFunc m_getDllVersion = nullptr;
    FARPROC m_factory = nullptr;
};
