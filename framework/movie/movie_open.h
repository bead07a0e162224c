// What the three movie classes share: the holders and services start-up publishes to them, the
// media kind of an archived movie, the common open steps that find a movie and open its stream,
// the open codes and the volume mapping.
#pragma once

#include <cstdint>

#include "framework/files/path_utilities.h"
#include "framework/interfaces/archive_interfaces.h"

class MovieDll;
class ScreenPort;
class VirtualFileSystem;

// Open results of SpriteMovie, PrimMovie and WindowMovie.
enum MovieOpenCode : std::int32_t {
    kMovieOpened = 0,
    kMovieNoDll = 1,
    // No name, file system, screen device or window; no pixel-operation library (sprite movie).
    kMovieMissingArgument = 2,
    // An archived movie whose extension names no media kind.
    kMovieUnknownKind = 3,
    kMovieNotFound = 4,
    kMovieNoFrameSurfaces = 5,
    kMovieRefused = 6,
    kMovieFailed = 7,
};

// Published by start-up: a present holder (its module loaded) with the file system and, for
// DS_MOVIE, the screen device. Null members: not published.
struct MoviePlugins {
    MovieDll* sprite = nullptr;
    MovieDll* prim = nullptr;
    MovieDll* window = nullptr;
    VirtualFileSystem* fileSystem = nullptr;
    ScreenPort* screen = nullptr;
};
MoviePlugins& PublishedMoviePlugins();

// The 8-bit flag handed to the window movie's factory: 1 until start-up sets it from the
// player's settings.
extern std::uint8_t g_movieObjectOption;

// The media kind of an archived movie by its extension (without regard to case), or -1 when
// none fits (also for a name without an extension).
std::int32_t MediaKindForName(const char* name);

// A located movie: a stream of an archive entry (the movie's until it is handed on) with its
// media kind, or the resolved path of a plain file (kind 0).
struct MovieSource {
    ByteStream* stream = nullptr;
    std::int32_t kind = 0;
    char path[kPathCapacity] = {};
    const char* PathOrNull() const { return stream ? nullptr : path; }
};

// Locates the movie and, inside an archive, opens its stream (a compressed entry arrives whole
// as a memory stream): 0, kMovieUnknownKind or kMovieNotFound (nothing held).
std::int32_t LocateMovie(VirtualFileSystem& fileSystem, const char* name, MovieSource* out);
// Lets go of a stream the factory did not take: one holder lowered, or the stream deleted.
void ReleaseMovieSource(MovieSource& source);

// The volume 0..256 the movie stores (*stored) and the hundredths of a decibel it sends.
std::int32_t MovieVolumeToHundredthsDb(std::int32_t volume, std::int32_t* stored);

// Called between the host's open steps; a test makes it throw to see an open fail with
// kMovieFailed. Null in the program.
extern void (*g_movieOpenStepProbe)();
