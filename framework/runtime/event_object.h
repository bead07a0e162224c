// EventObject: an auto-reset Win32 event that remembers whether the program last set it.
#pragma once

#include <windows.h>

#include <cstdint>

class EventObject {
public:
    // Results of Wait.
    enum : std::int32_t { kSignalled = 0, kTimedOut = 1, kWaitFailed = 2 };
    static const std::uint32_t kInfinite = INFINITE;

    EventObject();
    virtual ~EventObject();
    EventObject(const EventObject&) = delete;
    EventObject& operator=(const EventObject&) = delete;

    // Both return the Win32 result.
    virtual BOOL Set();
    virtual BOOL Reset();
    // An abandoned wait counts as signalled. A wait that consumes the signal leaves IsSet alone.
    virtual std::int32_t Wait(std::uint32_t ms);
    virtual HANDLE Handle();
    // A plain read: exact only for events that only the program sets and resets.
    virtual bool IsSet();

private:
    HANDLE m_event;
    volatile bool m_state;
};
