// Stand-ins for DS_SPRITE.DLL (STAND_IN_SPRITE), DS_PRIM.DLL (STAND_IN_PRIM) and DS_MOVIE.DLL
// (STAND_IN_MOVIE), built as third parties would build them against the movie contract. They
// play "TMOV" test movies (tests/support/tmov_format.h), read through the stream's slots or
// from the path, by synthesising counting frames.
//
// Frames advance through the test export StandInStepFrames(n), or in timed movies by a thread
// of the DLL. The window movie makes a child window of its owner and paints the current frame
// into it (or, when the movie paints through a device context, in Repaint); it queues event 1
// after the last frame and whatever StandInQueueEvent asks, posting 0x9006 for each.
// Every call is recorded in a log that StandInCallLog reads.
#include <windows.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "framework/interfaces/deleting_destructor.h"
#include "framework/interfaces/movie_plugin.h"
#include "tests/support/tmov_format.h"

#define STAND_IN_EXPORT extern "C" __declspec(dllexport)

namespace {

constexpr std::int32_t kFail = static_cast<std::int32_t>(0x80004005);
constexpr std::int32_t kInvalidArgument = static_cast<std::int32_t>(0x80070057);

HMODULE g_module = nullptr;

class Guard {
public:
    static CRITICAL_SECTION& Section() {
        static CRITICAL_SECTION section;
        static bool ready = [] {
            InitializeCriticalSection(&section);
            return true;
        }();
        (void)ready;
        return section;
    }
    Guard() { EnterCriticalSection(&Section()); }
    ~Guard() { LeaveCriticalSection(&Section()); }
};

std::string& Log() {
    static std::string log;
    return log;
}

void Record(const char* format, ...) {
    char line[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof(line), format, args);
    va_end(args);
    Guard hold;
    Log() += line;
    Log() += '\n';
}

LONG g_liveStreams = 0;
LONG g_liveThreads = 0;

std::uint32_t U32(const std::uint8_t* p) {
    return p[0] | (static_cast<std::uint32_t>(p[1]) << 8) | (static_cast<std::uint32_t>(p[2]) << 16) |
           (static_cast<std::uint32_t>(p[3]) << 24);
}

struct Header {
    std::uint32_t width, height, frames, frameTime, flags;
    std::int32_t factoryResult;
};

// Reads and checks the header: false for anything short, foreign or out of range.
bool ReadHeader(ByteStream* stream, const char* path, Header* out) {
    std::uint8_t bytes[tmov::kHeaderSize];
    std::uint32_t got = 0;
    if (stream) {
        if (stream->Size() < tmov::kHeaderSize) return false;
        stream->SeekSet(0);
        got = stream->Read(bytes, tmov::kHeaderSize);
    } else if (path) {
        HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        DWORD read = 0;
        if (ReadFile(file, bytes, tmov::kHeaderSize, &read, nullptr)) got = read;
        CloseHandle(file);
    }
    if (got != tmov::kHeaderSize || std::memcmp(bytes, tmov::kMagic, 4) != 0) return false;
    *out = Header{U32(bytes + 4), U32(bytes + 8), U32(bytes + 12), U32(bytes + 16), U32(bytes + 20),
                  static_cast<std::int32_t>(U32(bytes + 24))};
    return out->width >= 1 && out->width <= tmov::kLargestSide && out->height >= 1 &&
           out->height <= tmov::kLargestSide && out->frames >= 1 && out->frameTime <= 10000;
}

// Writes frame n into a locked buffer in its format; false for a format it does not know.
[[maybe_unused]] bool WriteFrame(const MovieFrameLock& lock, std::uint32_t n) {
    for (std::int32_t y = 0; y < lock.height; ++y) {
        std::uint8_t* row = lock.bits + static_cast<std::intptr_t>(y) * lock.pitch;
        for (std::int32_t x = 0; x < lock.width; ++x) {
            switch (lock.formatCode) {
            case 256:
            case 32: reinterpret_cast<std::uint32_t*>(row)[x] = tmov::Pixel(n, x, y); break;
            case 8: reinterpret_cast<std::uint16_t*>(row)[x] = tmov::Pixel565(n, x, y); break;
            case 4: reinterpret_cast<std::uint16_t*>(row)[x] = tmov::Pixel555(n, x, y); break;
            case 16:
                row[3 * x] = static_cast<std::uint8_t>(y);
                row[3 * x + 1] = static_cast<std::uint8_t>(x);
                row[3 * x + 2] = static_cast<std::uint8_t>(n);
                break;
            default: return false;
            }
        }
    }
    return true;
}

// The playback every kind shares: the position, the state and the end, and the timed thread.
class Playback {
public:
    explicit Playback(const Header& header) : m_header(header) {
        InitializeCriticalSection(&m_lock);
        if (header.frames == 1) m_ended = 1;
    }
    virtual ~Playback() {
        StopThread();
        CloseHandle(m_quit);
        DeleteCriticalSection(&m_lock);
    }

    // Takes the stream over and starts playing its part (the timed thread included).
    void Begin(ByteStream* stream) {
        m_stream = stream;
        if (stream) InterlockedIncrement(&g_liveStreams);
        {
            Guard hold;
            Live().push_back(this);
        }
        if (m_header.flags & tmov::kTimed) {
            m_thread = CreateThread(nullptr, 0, &Playback::ThreadMain, this, 0, nullptr);
            if (m_thread) InterlockedIncrement(&g_liveThreads);
        }
    }

    void End() {
        StopThread();
        {
            Guard hold;
            for (auto it = Live().begin(); it != Live().end(); ++it)
                if (*it == this) {
                    Live().erase(it);
                    break;
                }
        }
        if (m_stream) {
            ReleaseObject(m_stream);
            InterlockedDecrement(&g_liveStreams);
            m_stream = nullptr;
        }
    }

    static std::vector<Playback*>& Live() {
        static std::vector<Playback*> live;
        return live;
    }

    // One frame on, when running and not at the end.
    void Step() {
        EnterCriticalSection(&m_lock);
        if (m_state == 1 && !m_ended) {
            const std::uint32_t frame = m_next;
            ShowFrame(frame);
            m_shown = frame;
            if (frame + 1 >= m_header.frames) {
                m_ended = 1;
                OnEnded();
            } else {
                m_next = frame + 1;
            }
        }
        LeaveCriticalSection(&m_lock);
    }

    std::int32_t Start(const char* name) {
        Record("%s", name);
        EnterCriticalSection(&m_lock);
        if (m_ended) {
            m_next = 0;
            m_ended = 0;
        }
        m_state = 1;
        LeaveCriticalSection(&m_lock);
        return 0;
    }
    std::int32_t DoPause() {
        Record("Pause");
        EnterCriticalSection(&m_lock);
        if (m_state == 1) m_state = 2;
        LeaveCriticalSection(&m_lock);
        return 0;
    }
    std::int32_t DoResume() {
        Record("Resume");
        EnterCriticalSection(&m_lock);
        const bool paused = m_state == 2;
        if (paused) m_state = 1;
        LeaveCriticalSection(&m_lock);
        return paused ? 0 : 1;
    }
    std::int32_t DoStop() {
        Record("Stop");
        if (m_header.flags & tmov::kStopFails) return kFail;
        EnterCriticalSection(&m_lock);
        m_state = 0;
        LeaveCriticalSection(&m_lock);
        return 0;
    }
    std::int32_t DoGetPosition(std::int64_t* position) {
        if (!position) return kInvalidArgument;
        *position = static_cast<std::int64_t>(m_shown) * m_header.frameTime * 10000;
        return 0;
    }
    std::int32_t DoSetPosition(std::int64_t position) {
        Record("SetPosition(%lld)", static_cast<long long>(position));
        if (m_header.flags & tmov::kRewindFails) return kFail;
        const std::int64_t unit = static_cast<std::int64_t>(m_header.frameTime) * 10000;
        const std::int64_t frame = unit ? position / unit : 0;
        if (position < 0 || frame >= m_header.frames) return kInvalidArgument;
        EnterCriticalSection(&m_lock);
        m_next = static_cast<std::uint32_t>(frame);
        m_ended = 0;
        LeaveCriticalSection(&m_lock);
        return 0;
    }
    std::int32_t DoGetDuration(std::int64_t* duration) {
        if (!duration) return kInvalidArgument;
        *duration = static_cast<std::int64_t>(m_header.frames) * m_header.frameTime * 10000;
        return 0;
    }
    std::int32_t DoGetState(std::int32_t* state) {
        if (!state) return kInvalidArgument;
        *state = m_state;
        return 0;
    }
    std::int32_t ReportedWidth() const {
        return static_cast<std::int32_t>(m_header.width) + (m_header.flags & tmov::kReportsLarger ? 16 : 0);
    }
    std::int32_t ReportedHeight() const {
        return static_cast<std::int32_t>(m_header.height) + (m_header.flags & tmov::kReportsLarger ? 16 : 0);
    }
    std::int32_t Ended() const { return m_ended; }

protected:
    virtual void ShowFrame(std::uint32_t frame) = 0;
    virtual void OnEnded() {}

    Header m_header;
    CRITICAL_SECTION m_lock;
    std::uint32_t m_shown = 0;

private:
    static DWORD WINAPI ThreadMain(void* argument) {
        auto* self = static_cast<Playback*>(argument);
        while (WaitForSingleObject(self->m_quit, self->m_header.frameTime) == WAIT_TIMEOUT) self->Step();
        return 0;
    }
    void StopThread() {
        if (!m_thread) return;
        SetEvent(m_quit);
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
        m_thread = nullptr;
        InterlockedDecrement(&g_liveThreads);
    }

    ByteStream* m_stream = nullptr;
    HANDLE m_thread = nullptr;
    HANDLE m_quit = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    volatile std::uint32_t m_next = 1;
    volatile std::int32_t m_state = 0;
    volatile std::int32_t m_ended = 0;
};

#if defined(STAND_IN_SPRITE) || defined(STAND_IN_PRIM)

class StandInControl final : public WithDeletingDestructor<StandInControl, MovieControl>, public Playback {
public:
    StandInControl(const Header& header, MovieFrameBuffer* first, MovieFrameBuffer* second)
        : Playback(header), m_buffers{first, second} {}

    // Frame 0 into buffer 0; false when a buffer cannot be written.
    bool FirstFrame() {
        MovieFrameLock lock;
        if (m_buffers[0]->Lock(&lock) != 0) return false;
        const bool written = WriteFrame(lock, 0);
        m_buffers[0]->Unlock();
        return written;
    }

    void XM_METHOD Release() override {
        Record("Release");
        End();
        DeletingDestructor(xm::kDeleteMemory);
    }
    std::int32_t XM_METHOD Placeholder2() override { return kFail; }
    std::int32_t XM_METHOD Play() override { return Start("Play"); }
    std::int32_t XM_METHOD Pause() override { return DoPause(); }
    std::int32_t XM_METHOD Resume() override { return DoResume(); }
    std::int32_t XM_METHOD Stop() override { return DoStop(); }
    std::int32_t XM_METHOD GetPosition(std::int64_t* position) override { return DoGetPosition(position); }
    std::int32_t XM_METHOD SetPosition(std::int64_t position) override { return DoSetPosition(position); }
    std::int32_t XM_METHOD GetDuration(std::int64_t* duration) override { return DoGetDuration(duration); }
    std::int32_t XM_METHOD GetState(std::int32_t* state) override { return DoGetState(state); }
    std::int32_t XM_METHOD SetVolume(std::int32_t hundredths) override {
        Record("SetVolume(%d)", hundredths);
        return 0;
    }
    std::int32_t XM_METHOD SetRate(double rate) override {
        Record("SetRate(%g)", rate);
        return 0;
    }
    std::int32_t XM_METHOD SetFixedParam(double value) override {
        Record("SetFixedParam(%g)", value);
        return 0;
    }
    std::int32_t XM_METHOD Width() override { return ReportedWidth(); }
    std::int32_t XM_METHOD Height() override { return ReportedHeight(); }
    std::int32_t XM_METHOD Placeholder16() override { return kFail; }
    std::uint8_t XM_METHOD CurrentBuffer() override { return m_current; }
    std::int32_t XM_METHOD HasEnded() override { return Ended(); }

protected:
    void ShowFrame(std::uint32_t frame) override {
        const std::uint8_t back = m_current ^ 1;
        MovieFrameLock lock;
        if (m_buffers[back]->Lock(&lock) != 0) return;
        WriteFrame(lock, frame);
        m_buffers[back]->Unlock();
        m_current = back;
    }

private:
    MovieFrameBuffer* m_buffers[2];
    volatile std::uint8_t m_current = 0;
};

// The common factory of the two control kinds.
[[maybe_unused]] std::int32_t MakeControl(const char* name, MovieControl** out, MovieFrameBuffer* first, MovieFrameBuffer* second,
                         ByteStream* stream, std::int32_t kind, const char* path, std::int32_t r1, std::int32_t r2,
                         std::int32_t r3, bool sprite) {
    Record("%s(stream=%d,kind=%d,path=%s,%d,%d,%d)", name, stream ? 1 : 0, kind, path ? path : "(null)", r1, r2,
           r3);
    if (!out || !first || !second || (stream == nullptr) == (path == nullptr)) return kInvalidArgument;
    *out = nullptr;
    Header header;
    if (!ReadHeader(stream, path, &header)) return kFail;
    if (header.factoryResult != 0) return header.factoryResult;
    if (first->Resize(header.width, header.height) != 0 || second->Resize(header.width, header.height) != 0)
        return kFail;
    MovieFrameLock lock;
    if (first->Lock(&lock) != 0) return kFail;
    first->Unlock();
    const std::int32_t format = lock.formatCode;
    const bool known = sprite ? format == 256 : (format == 4 || format == 8 || format == 16 || format == 32);
    if (!known) return kFail;
    auto* control = new StandInControl(header, first, second);
    if (!control->FirstFrame()) {
        delete control;
        return kFail;
    }
    control->Begin(stream);
    *out = control;
    return 0;
}

#endif

#if defined(STAND_IN_MOVIE)

const char kWindowClass[] = "StandInMovieWindow";

// Paints frame n of a width × height movie into dc at (left, top).
void PaintFrame(HDC dc, std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
                std::uint32_t frame) {
    if (width <= 0 || height <= 0) return;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x) pixels[static_cast<std::size_t>(y) * width + x] = tmov::Pixel(frame, x, y);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    SetDIBitsToDevice(dc, left, top, width, height, 0, 0, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
}

class StandInMovie final : public WithDeletingDestructor<StandInMovie, MovieObject>, public Playback {
public:
    explicit StandInMovie(const Header& header) : Playback(header) {}

    void XM_METHOD Release() override {
        Record("Release");
        End();
        if (m_child) DestroyWindow(m_child);
        DeletingDestructor(xm::kDeleteMemory);
    }
    std::int32_t XM_METHOD Placeholder2() override { return kFail; }
    std::int32_t XM_METHOD SetOwner(HWND owner) override {
        Record("SetOwner");
        m_owner = owner;
        if (!m_child && owner && !(m_header.flags & tmov::kWindowless)) {
            m_child = CreateWindowExA(0, kWindowClass, "", WS_CHILD, 0, 0, m_header.width, m_header.height, owner,
                                      nullptr, g_module, nullptr);
            if (m_child) SetWindowLongPtrA(m_child, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        }
        return 0;
    }
    std::int32_t XM_METHOD SetNotifyWindow(HWND window) override {
        Record("SetNotifyWindow");
        m_notify = window;
        return 0;
    }
    std::int32_t XM_METHOD SetVideoRect(const RECT* rect) override {
        if (!rect) return kInvalidArgument;
        Record("SetVideoRect(%ld,%ld,%ld,%ld)", rect->left, rect->top, rect->right, rect->bottom);
        if (rect->right <= rect->left || rect->bottom <= rect->top) return kInvalidArgument;
        m_rect = *rect;
        if (m_child)
            MoveWindow(m_child, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
        return 0;
    }
    std::int32_t XM_METHOD Show(std::int32_t show) override {
        Record("Show(%d)", show);
        if (m_child) ShowWindow(m_child, show ? SW_SHOWNA : SW_HIDE);
        return 0;
    }
    std::int32_t XM_METHOD Run() override { return Start("Run"); }
    std::int32_t XM_METHOD Pause() override { return DoPause(); }
    std::int32_t XM_METHOD Resume() override { return DoResume(); }
    std::int32_t XM_METHOD Stop() override { return DoStop(); }
    std::int32_t XM_METHOD GetPosition(std::int64_t* position) override { return DoGetPosition(position); }
    std::int32_t XM_METHOD SetPosition(std::int64_t position) override { return DoSetPosition(position); }
    std::int32_t XM_METHOD GetDuration(std::int64_t* duration) override { return DoGetDuration(duration); }
    std::int32_t XM_METHOD GetState(std::int32_t* state) override {
        Record("GetState");
        return DoGetState(state);
    }
    std::int32_t XM_METHOD GetEvent(std::int32_t* code, std::int32_t* param1, std::int32_t* param2,
                                    std::uint8_t* taken) override {
        if (!code || !param1 || !param2 || !taken) return kInvalidArgument;
        EnterCriticalSection(&m_lock);
        *taken = m_events.empty() ? 0 : 1;
        if (*taken) {
            *code = m_events.front();
            m_events.pop_front();
            *param1 = 0;
            *param2 = 0;
        }
        LeaveCriticalSection(&m_lock);
        return 0;
    }
    std::int32_t XM_METHOD SetVolume(std::int32_t hundredths) override {
        Record("SetVolume(%d)", hundredths);
        return 0;
    }
    std::int32_t XM_METHOD Placeholder17() override { return kFail; }
    std::int32_t XM_METHOD Control18() override {
        Record("Control18");
        return 0;
    }
    std::int32_t XM_METHOD Control19(std::int32_t value) override {
        Record("Control19(%d)", value);
        return 0;
    }
    std::int32_t XM_METHOD SetRate(double rate) override {
        Record("SetRate(%g)", rate);
        return 0;
    }
    std::int32_t XM_METHOD SetFixedParam(double value) override {
        Record("SetFixedParam(%g)", value);
        return 0;
    }
    std::int32_t XM_METHOD IsWindowless() override { return m_header.flags & tmov::kWindowless ? 1 : 0; }
    std::int32_t XM_METHOD PaintsThroughDc() override { return m_header.flags & tmov::kPaintsThroughDc ? 1 : 0; }
    std::int32_t XM_METHOD Width() override { return ReportedWidth(); }
    std::int32_t XM_METHOD Height() override { return ReportedHeight(); }
    std::int32_t XM_METHOD Placeholder26() override { return kFail; }
    std::int32_t XM_METHOD Repaint(HDC dc) override {
        Record("Repaint(%d)", dc ? 1 : 0);
        if (!dc) return kInvalidArgument;
        PaintFrame(dc, m_rect.left, m_rect.top, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, m_shown);
        return 0;
    }

    void Queue(std::int32_t code) {
        EnterCriticalSection(&m_lock);
        m_events.push_back(code);
        LeaveCriticalSection(&m_lock);
        if (m_notify) PostMessageA(m_notify, kMovieEventMessage, 0, 0);
    }
    void PaintChild(HDC dc) {
        PaintFrame(dc, 0, 0, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, m_shown);
    }

protected:
    void ShowFrame(std::uint32_t) override {
        if (m_child) InvalidateRect(m_child, nullptr, FALSE);
    }
    void OnEnded() override { Queue(kMovieEventComplete); }

private:
    HWND m_owner = nullptr;
    HWND m_notify = nullptr;
    HWND m_child = nullptr;
    RECT m_rect = {0, 0, 0, 0};
    std::deque<std::int32_t> m_events;
};

LRESULT CALLBACK ChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        auto* movie = reinterpret_cast<StandInMovie*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (movie) movie->PaintChild(dc);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

#endif

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
#if defined(STAND_IN_MOVIE)
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = ChildProc;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = kWindowClass;
        RegisterClassA(&windowClass);
#endif
    } else if (reason == DLL_PROCESS_DETACH) {
#if defined(STAND_IN_MOVIE)
        UnregisterClassA(kWindowClass, instance);
#endif
    }
    return TRUE;
}

#if !defined(STAND_IN_NO_VERSION)
#if !defined(STAND_IN_VERSION)
#if defined(STAND_IN_PRIM)
#define STAND_IN_VERSION 0x20000
#else
#define STAND_IN_VERSION 0x10000
#endif
#endif
STAND_IN_EXPORT std::uint32_t GetDllVersion() { return STAND_IN_VERSION; }
#endif

#if defined(STAND_IN_SPRITE) && !defined(STAND_IN_NO_FACTORY)
STAND_IN_EXPORT std::int32_t GetDShowGdiSpriteCtrl(MovieControl** out, MovieFrameBuffer* first,
                                                   MovieFrameBuffer* second, void*, ByteStream* stream,
                                                   std::int32_t kind, const char* path, std::int32_t r1,
                                                   std::int32_t r2, std::int32_t r3) {
    return MakeControl("GetDShowGdiSpriteCtrl", out, first, second, stream, kind, path, r1, r2, r3, true);
}
#endif

#if defined(STAND_IN_PRIM)
STAND_IN_EXPORT std::int32_t GetDShowPrimCtrl(MovieControl** out, MovieFrameBuffer* first, MovieFrameBuffer* second,
                                              ByteStream* stream, std::int32_t kind, const char* path,
                                              std::int32_t r1, std::int32_t r2, std::int32_t r3) {
    return MakeControl("GetDShowPrimCtrl", out, first, second, stream, kind, path, r1, r2, r3, false);
}
#endif

#if defined(STAND_IN_MOVIE)
STAND_IN_EXPORT std::int32_t GetMovieObject(MovieObject** out, HWND owner, ByteStream* stream, std::int32_t kind,
                                            const char* path, IDirectDraw7* directDraw,
                                            IDirectDrawSurface7* primary, std::uint8_t flag) {
    Record("GetMovieObject(stream=%d,kind=%d,path=%s,dd=%p,primary=%p,flag=%d)", stream ? 1 : 0, kind,
           path ? path : "(null)", static_cast<void*>(directDraw), static_cast<void*>(primary), flag);
    if (!out || (stream == nullptr) == (path == nullptr)) return kInvalidArgument;
    *out = nullptr;
    (void)owner;
    Header header;
    if (!ReadHeader(stream, path, &header)) return kFail;
    if (header.factoryResult != 0) return header.factoryResult;
    auto* movie = new StandInMovie(header);
    movie->Begin(stream);
    *out = movie;
    return 0;
}

// Queues an event on every live window movie.
STAND_IN_EXPORT void StandInQueueEvent(std::int32_t code) {
    std::vector<Playback*> live;
    {
        Guard hold;
        live = Playback::Live();
    }
    for (Playback* playback : live) static_cast<StandInMovie*>(playback)->Queue(code);
}
#endif

// Advances every live running movie of this DLL by n frames.
STAND_IN_EXPORT void StandInStepFrames(std::int32_t n) {
    for (std::int32_t i = 0; i < n; ++i) {
        std::vector<Playback*> live;
        {
            Guard hold;
            live = Playback::Live();
        }
        for (Playback* playback : live) playback->Step();
    }
}

// Copies the call log (lines ending in '\n') into out, cut to capacity; the log's full length.
STAND_IN_EXPORT std::int32_t StandInCallLog(char* out, std::int32_t capacity) {
    Guard hold;
    const std::string& log = Log();
    if (out && capacity > 0) {
        const std::size_t n = log.size() < static_cast<std::size_t>(capacity - 1) ? log.size() : capacity - 1;
        std::memcpy(out, log.data(), n);
        out[n] = '\0';
    }
    return static_cast<std::int32_t>(log.size());
}

STAND_IN_EXPORT void StandInClearLog() {
    Guard hold;
    Log().clear();
}

// Streams the DLL holds, movies alive and timed threads running.
STAND_IN_EXPORT std::int32_t StandInLiveStreams() { return g_liveStreams; }
STAND_IN_EXPORT std::int32_t StandInLiveMovies() {
    Guard hold;
    return static_cast<std::int32_t>(Playback::Live().size());
}
STAND_IN_EXPORT std::int32_t StandInLiveThreads() { return g_liveThreads; }
