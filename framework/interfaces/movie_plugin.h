// The movie plug-in family: the exports of DS_SPRITE.DLL, DS_PRIM.DLL and DS_MOVIE.DLL, the
// control objects they make and the frame buffers the host lends them.
//
// Layout is the contract: every object starts with its table, slot 0 an explicit deleting
// destructor, every operation __thiscall, no overloads; slots the host never calls are kept as
// placeholders so that the used ones sit at their fixed positions.
//
// Ownership and threads:
//  - The host owns the two MovieFrameBuffer views it passes to a factory and the surfaces behind
//    them; the DLL never deletes them. The DLL resizes both to the video size before the factory
//    answers 0. A frame is written between Lock and Unlock into the buffer that CurrentBuffer
//    does not name, which then becomes the current one. Lock takes the buffer's frame lock and
//    reads the pixel address anew each time (a restored surface moves).
//  - Sprite buffers hold PixelFormatCode 256 (0xAARRGGBB words, alpha always 0xFF), top row
//    first. Primitive buffers hold the display's format code (4 RGB 5-5-5, 8 RGB 5-6-5, 16 RGB
//    24-bit, 32 XRGB 32-bit); a factory refuses any other code.
//  - The DLL's threads touch only the views, never the owner object passed beside them.
//  - A control object is released once with Release, which returns after the DLL's threads
//    stopped. States: 0 stopped, 1 running, 2 paused. Play after the end starts at frame 0;
//    HasEnded is nonzero from the last frame until Play or SetPosition.
//  - A stream handed to a factory is the DLL's once the factory answers 0 (it releases it with
//    ReleaseObject); on failure the host keeps and releases it.
//  - The window movie posts (never sends) 0x9006 to its notify window for every event it
//    queues; no exception crosses the boundary.
// Positions and durations are in 100-nanosecond units; volumes in hundredths of a decibel.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstdint>

#include "framework/interfaces/archive_interfaces.h"
#include "framework/interfaces/cross_module.h"

// The message the window movie posts to its notify window for each queued event.
constexpr UINT kMovieEventMessage = 0x9006;

// Window-movie event codes the host acts on.
constexpr std::int32_t kMovieEventComplete = 1;
constexpr std::int32_t kMovieEventStopRequest = 2;

// The kind of media the DLL is to expect from a stream; a plain file is always given as kind 0.
enum MediaKind : std::int32_t {
    kMediaMpeg = 0,
    kMediaMpegVideo = 1,
    kMediaVideoCd = 2,
    kMediaAvi = 3,
    kMediaQuickTime = 4,
    kMediaWindowsMedia = 6,
};

// What Lock reports of a frame buffer.
struct MovieFrameLock {
    std::uint8_t* bits;
    std::int32_t pitch;
    std::int32_t width;
    std::int32_t height;
    std::int32_t formatCode;
};

class MovieFrameBuffer {
public:
    // Slot 0: the host's; the DLL never calls it.
    virtual void* XM_METHOD DeletingDestructor(std::uint32_t flags) = 0;
    // 0, or nonzero when the buffer cannot take that size (it keeps its old one).
    virtual std::int32_t XM_METHOD Resize(std::int32_t width, std::int32_t height) = 0;
    // 0 with the frame lock held until Unlock; nonzero (lock not held) when there is no memory.
    virtual std::int32_t XM_METHOD Lock(MovieFrameLock* out) = 0;
    virtual void XM_METHOD Unlock() = 0;

protected:
    MovieFrameBuffer() = default;
    ~MovieFrameBuffer() = default;
};

// The control object of DS_SPRITE and DS_PRIM.
class MovieControl {
public:
    virtual void* XM_METHOD DeletingDestructor(std::uint32_t flags) = 0;      // 0
    virtual void XM_METHOD Release() = 0;                                      // 1
    virtual std::int32_t XM_METHOD Placeholder2() = 0;                         // 2
    virtual std::int32_t XM_METHOD Play() = 0;                                 // 3
    virtual std::int32_t XM_METHOD Pause() = 0;                                // 4
    virtual std::int32_t XM_METHOD Resume() = 0;                               // 5
    virtual std::int32_t XM_METHOD Stop() = 0;                                 // 6
    virtual std::int32_t XM_METHOD GetPosition(std::int64_t* position) = 0;    // 7
    virtual std::int32_t XM_METHOD SetPosition(std::int64_t position) = 0;     // 8
    virtual std::int32_t XM_METHOD GetDuration(std::int64_t* duration) = 0;    // 9
    virtual std::int32_t XM_METHOD GetState(std::int32_t* state) = 0;          // 10
    virtual std::int32_t XM_METHOD SetVolume(std::int32_t hundredthsDb) = 0;   // 11
    virtual std::int32_t XM_METHOD SetRate(double rate) = 0;                   // 12
    virtual std::int32_t XM_METHOD SetFixedParam(double value) = 0;            // 13
    virtual std::int32_t XM_METHOD Width() = 0;                                // 14
    virtual std::int32_t XM_METHOD Height() = 0;                               // 15
    virtual std::int32_t XM_METHOD Placeholder16() = 0;                        // 16
    virtual std::uint8_t XM_METHOD CurrentBuffer() = 0;                        // 17
    virtual std::int32_t XM_METHOD HasEnded() = 0;                             // 18

protected:
    MovieControl() = default;
    ~MovieControl() = default;
};

// The movie object of DS_MOVIE, which plays in the owner window by itself.
class MovieObject {
public:
    virtual void* XM_METHOD DeletingDestructor(std::uint32_t flags) = 0;      // 0
    virtual void XM_METHOD Release() = 0;                                      // 1
    virtual std::int32_t XM_METHOD Placeholder2() = 0;                         // 2
    virtual std::int32_t XM_METHOD SetOwner(HWND owner) = 0;                   // 3
    virtual std::int32_t XM_METHOD SetNotifyWindow(HWND window) = 0;           // 4
    virtual std::int32_t XM_METHOD SetVideoRect(const RECT* rect) = 0;         // 5
    virtual std::int32_t XM_METHOD Show(std::int32_t show) = 0;                // 6
    virtual std::int32_t XM_METHOD Run() = 0;                                  // 7
    virtual std::int32_t XM_METHOD Pause() = 0;                                // 8
    virtual std::int32_t XM_METHOD Resume() = 0;                               // 9
    virtual std::int32_t XM_METHOD Stop() = 0;                                 // 10
    virtual std::int32_t XM_METHOD GetPosition(std::int64_t* position) = 0;    // 11
    virtual std::int32_t XM_METHOD SetPosition(std::int64_t position) = 0;     // 12
    virtual std::int32_t XM_METHOD GetDuration(std::int64_t* duration) = 0;    // 13
    virtual std::int32_t XM_METHOD GetState(std::int32_t* state) = 0;          // 14
    virtual std::int32_t XM_METHOD GetEvent(std::int32_t* code, std::int32_t* param1,
                                            std::int32_t* param2, std::uint8_t* taken) = 0;  // 15
    virtual std::int32_t XM_METHOD SetVolume(std::int32_t hundredthsDb) = 0;   // 16
    virtual std::int32_t XM_METHOD Placeholder17() = 0;                        // 17
    virtual std::int32_t XM_METHOD Control18() = 0;                            // 18
    virtual std::int32_t XM_METHOD Control19(std::int32_t value) = 0;          // 19
    virtual std::int32_t XM_METHOD SetRate(double rate) = 0;                   // 20
    virtual std::int32_t XM_METHOD SetFixedParam(double value) = 0;            // 21
    virtual std::int32_t XM_METHOD IsWindowless() = 0;                         // 22
    virtual std::int32_t XM_METHOD PaintsThroughDc() = 0;                      // 23
    virtual std::int32_t XM_METHOD Width() = 0;                                // 24
    virtual std::int32_t XM_METHOD Height() = 0;                               // 25
    virtual std::int32_t XM_METHOD Placeholder26() = 0;                        // 26
    virtual std::int32_t XM_METHOD Repaint(HDC dc) = 0;                        // 27

protected:
    MovieObject() = default;
    ~MovieObject() = default;
};

// Exports. The trailing three words of the two control factories are always 0, 0, 1.
typedef std::uint32_t(XM_CDECL* MovieGetDllVersionFunc)();
typedef std::int32_t(XM_CDECL* MovieGetSpriteCtrlFunc)(MovieControl** out, MovieFrameBuffer* buffer0,
                                                      MovieFrameBuffer* buffer1, void* owner,
                                                      ByteStream* stream, std::int32_t mediaKind,
                                                      const char* path, std::int32_t reserved1,
                                                      std::int32_t reserved2, std::int32_t reserved3);
typedef std::int32_t(XM_CDECL* MovieGetPrimCtrlFunc)(MovieControl** out, MovieFrameBuffer* buffer0,
                                                    MovieFrameBuffer* buffer1, ByteStream* stream,
                                                    std::int32_t mediaKind, const char* path,
                                                    std::int32_t reserved1, std::int32_t reserved2,
                                                    std::int32_t reserved3);
typedef std::int32_t(XM_CDECL* MovieGetObjectFunc)(MovieObject** out, HWND owner, ByteStream* stream,
                                                  std::int32_t mediaKind, const char* path,
                                                  IDirectDraw7* directDraw, IDirectDrawSurface7* primary,
                                                  std::uint8_t flag);

// Export names and the versions the host accepts.
constexpr char kMovieVersionExport[] = "GetDllVersion";
constexpr char kSpriteCtrlExport[] = "GetDShowGdiSpriteCtrl";
constexpr char kPrimCtrlExport[] = "GetDShowPrimCtrl";
constexpr char kMovieObjectExport[] = "GetMovieObject";
constexpr std::uint32_t kSpriteCtrlVersion = 0x10000;
constexpr std::uint32_t kPrimCtrlVersion = 0x20000;
constexpr std::uint32_t kMovieObjectVersion = 0x10000;
