#include "framework/runtime/event_object.h"

EventObject::EventObject() : m_event(CreateEventA(nullptr, FALSE, FALSE, nullptr)), m_state(false) {}

EventObject::~EventObject() {
    if (m_event) CloseHandle(m_event);
}

BOOL EventObject::Set() {
    m_state = true;
    return SetEvent(m_event);
}

BOOL EventObject::Reset() {
    m_state = false;
    return ResetEvent(m_event);
}

std::int32_t EventObject::Wait(std::uint32_t ms) {
    switch (WaitForSingleObject(m_event, ms)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:
        return kSignalled;
    case WAIT_TIMEOUT:
        return kTimedOut;
    default:
        return kWaitFailed;
    }
}

HANDLE EventObject::Handle() { return m_event; }

bool EventObject::IsSet() { return m_state; }
