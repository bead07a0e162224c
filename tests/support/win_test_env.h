// Helpers every subsystem's tests need: a hidden message-only window, a bounded message pump,
// a temporary folder that cleans up after itself, and small file writers.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tools/content/content_files.h"

namespace testsupport {

// Registers a window class of that name whose procedure is DefWindowProcA (the test windows
// put their own in place once made).
void RegisterTestWindowClass(const char* name);

// A hidden message-only window (parent HWND_MESSAGE) with a window procedure that records the
// messages it receives. Destroyed with the object.
class MessageWindow {
public:
    MessageWindow();
    ~MessageWindow();
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    HWND Handle() const { return m_window; }
    // Messages received by the window procedure, oldest first.
    const std::vector<UINT>& Received() const { return m_received; }
    void ClearReceived() { m_received.clear(); }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
    std::vector<UINT> m_received;
};

// Dispatches the calling thread's messages for at most `ms` milliseconds, returning early once
// the queue is empty and `untilEmpty` is set. Returns the number of messages dispatched.
int PumpMessagesFor(DWORD ms, bool untilEmpty = true);

// Removes every message queued for the calling thread without dispatching it.
void DrainMessageQueue();

// A fresh folder under the system's temporary folder, deleted with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder's path with a trailing backslash.
    const std::string& Path() const { return m_path; }
    // Path of `relative` inside the folder ('/' accepted as separator).
    std::string File(const std::string& relative) const;

private:
    std::string m_path;
};

bool FileExists(const std::string& path);
// Opens an existing file for reading, others reading too; INVALID_HANDLE_VALUE when it cannot.
HANDLE OpenForReading(const std::string& path);

}  // namespace testsupport
