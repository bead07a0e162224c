#include "framework/movie/movie_open.h"

#include <cmath>
#include <cstring>

#include "framework/files/virtual_file_system.h"
#include "framework/interfaces/movie_plugin.h"

std::uint8_t g_movieObjectOption = 1;
void (*g_movieOpenStepProbe)() = nullptr;

MoviePlugins& PublishedMoviePlugins() {
    static MoviePlugins plugins;
    return plugins;
}

std::int32_t MediaKindForName(const char* name) {
    static const struct {
        const char* extension;
        std::int32_t kind;
    } kKinds[] = {
        {"mpg", kMediaMpeg},        {"mpeg", kMediaMpeg},         {"mpv", kMediaMpegVideo},
        {"dat", kMediaVideoCd},     {"avi", kMediaAvi},           {"mov", kMediaQuickTime},
        {"mp4", kMediaQuickTime},   {"wmv", kMediaWindowsMedia},  {"asf", kMediaWindowsMedia},
        {"wma", kMediaWindowsMedia},
    };
    if (!name || std::strlen(name) >= kPathCapacity) return -1;
    char extension[kPathCapacity];
    GetExtensionPart(name, extension);
    for (const auto& entry : kKinds)
        if (lstrcmpiA(extension, entry.extension) == 0) return entry.kind;
    return -1;
}

std::int32_t LocateMovie(VirtualFileSystem& fileSystem, const char* name, MovieSource* out) {
    *out = MovieSource();
    WIN32_FIND_DATAA found;
    const std::int32_t located = fileSystem.LocateFile(out->path, name, &found);
    if (located > 0) return kMovieNotFound;
    if (located == 0) return kMovieOpened;
    const std::int32_t kind = MediaKindForName(name);
    if (kind < 0) return kMovieUnknownKind;
    std::int32_t code = 0;
    // A compressed entry has no stream of its own: it arrives whole in memory, which costs its
    // unpacked size for as long as the movie plays.
    ByteStream* stream = fileSystem.OpenFile(name, nullptr, &code, true);
    if (!stream) return kMovieNotFound;
    out->stream = stream;
    out->kind = kind;
    return kMovieOpened;
}

void ReleaseMovieSource(MovieSource& source) {
    ReleaseObject(source.stream);
    source.stream = nullptr;
}

std::int32_t MovieVolumeToHundredthsDb(std::int32_t volume, std::int32_t* stored) {
    if (volume <= 0) {
        *stored = 0;
        return -10000;
    }
    if (volume > 256) volume = 256;
    *stored = volume;
    const double level = 17.2 - 0.0671875 * volume;
    return -static_cast<std::int32_t>(std::trunc(level * level * level));
}
