// The application's effect-begin and effect-end hooks replaced by counters for a test's
// lifetime.
#pragma once

#include "graphics/sprites/canvas.h"  // completes the screen core's members
#include "graphics/surfaces/screen_core.h"

namespace effecttest {

class BusyHooks {
public:
    BusyHooks() : m_savedBegin(g_effectBeginHook), m_savedEnd(g_effectEndHook) {
        s_current = this;
        g_effectBeginHook = begin;
        g_effectEndHook = end;
    }
    ~BusyHooks() {
        g_effectBeginHook = m_savedBegin;
        g_effectEndHook = m_savedEnd;
        s_current = nullptr;
    }
    BusyHooks(const BusyHooks&) = delete;
    BusyHooks& operator=(const BusyHooks&) = delete;

    int started = 0;
    int ended = 0;
    static void begin() { ++s_current->started; }
    static void end() { ++s_current->ended; }

private:
    static inline BusyHooks* s_current = nullptr;
    EffectHook m_savedBegin;
    EffectHook m_savedEnd;
};

}  // namespace effecttest
