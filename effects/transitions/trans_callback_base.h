// TransCallbackBase: what the built-in transitions share over TransCallback: the duration and
// start time after the holder count (offsets 8 and 12), the first-frame flag, the variadic
// SetupV, the reserved Control forms, the set-up checks every built-in makes first and the
// progress clock.
//
// The clock counts from the time handed to the first Update after Setup; its products are
// taken in 64 bits, so a transition resumed after hours of pause shows its end frame instead of
// a wrapped middle one.
#pragma once

#include <cstdint>

#include "framework/interfaces/deleting_destructor.h"
#include "framework/interfaces/transition_plugin.h"

class Image;

// Results of Setup.
enum TransSetupCode : std::int32_t {
    kTransSetupOk = 0,
    kTransSetupBadParameters = 1,  // no parameter block, no target, or a duration of 0
    kTransSetupBadTarget = 2,      // not 32 bits, or a needed image missing or unusable
    kTransSetupNoTable = 5,        // a shared table or the pixel-operation library is missing
    kTransSetupFailed = 6,         // anything else (no memory)
};

// elapsed x range / duration, at most range; a duration of 0 gives the range.
std::uint32_t ClockProgress(std::uint32_t elapsed, std::uint32_t range, std::uint32_t duration);

class TransCallbackBase : public TransCallback {
public:
    std::int32_t XM_CDECL SetupV(ScreenBuffer* target, ...) override;
    std::int32_t XM_METHOD Control(std::int32_t, std::int32_t) override { return -2; }
    std::int32_t XM_CDECL ControlV(std::int32_t, ...) override { return -2; }

    std::uint32_t Duration() const { return m_duration; }
    std::uint32_t StartTime() const { return m_startTime; }
    bool FirstFrame() const { return m_firstFrame; }

protected:
    TransCallbackBase() = default;
    ~TransCallbackBase() = default;

    // The checks in their order: null block, null target, duration 0 (when needed) give 1; a
    // target that is not 32 bits gives 2. On 0 the duration is kept.
    std::int32_t CheckCommon(ScreenBuffer* target, const std::int32_t* params,
                             bool durationNeeded);
    // Marks a successful set-up: the next Update starts the clock.
    void Armed() { m_firstFrame = true; }
    // The first Update after Setup starts the clock and answers 0; later ones answer the
    // elapsed time x range / duration, at most range.
    std::uint32_t Advance(std::uint32_t now, std::uint32_t range);
    // Milliseconds since the start (unsigned, so the clock may wrap through 0).
    std::uint32_t Elapsed(std::uint32_t now) const { return now - m_startTime; }
    // Starts the clock at now; true on the first Update after Setup.
    bool StartIfFirst(std::uint32_t now);

    std::uint32_t m_duration = 0;
    std::uint32_t m_startTime = 0;
    bool m_firstFrame = false;
};

// Kind and Name of a built-in class, from its kKind and kName.
template <class Derived>
class NamedTransCallback : public TransCallbackBase {
public:
    std::uint8_t XM_METHOD Kind() override { return Derived::kKind; }
    const char* XM_METHOD Name() override { return Derived::kName; }

protected:
    NamedTransCallback() = default;
    ~NamedTransCallback() = default;
};

// Slot 0, Kind and Name for a built-in class.
template <class Derived>
using TransCallbackClass = WithDeletingDestructor<Derived, NamedTransCallback<Derived>>;
