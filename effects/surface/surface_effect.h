// Timed surface effects: a script image changed over a duration, one scheduler step at a time.
// Kinds 0 and 1 fade a rectangle to black or white; 2-7 reveal a second image in bands from the
// centre or the edges; 8-13 apply a colour operation (alpha fill, add, subtract, brightness)
// in the same six geometries; 14-17 reveal in blinds of 16 lines and 18-21 in staggered strips
// of 16. Every step draws only what became due since the previous one, straight onto the
// destination, which is expected not to be repainted meanwhile.
//
// The effects are ScheduledTasks of kind 11000 on the application's second scheduler, which
// owns and deletes them. Scripts keep an effect's address as their handle; the factory's
// IsRunning, Finish and Cancel act only on a task the scheduler holds at that address and
// whose kind is 11000, so a handle whose effect has gone (even when another task now lives at
// the address) changes nothing.
//
// Every piece is drawn once: the end state of a source kind equals one Blit (or AlphaBlend) of
// the source rectangle, and a colour kind applies its operation exactly once to each pixel of
// the rectangle. Durations are unsigned milliseconds and the progress is computed in 64 bits,
// so long effects neither wrap nor turn negative.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/interfaces/deleting_destructor.h"
#include "framework/interfaces/task_scheduling.h"
#include "framework/runtime/clock.h"

class Image;

// The task kind of every surface effect.
constexpr std::int32_t kSurfaceEffectTaskKind = 11000;
constexpr std::uint32_t kSurfaceEffectKindCount = 22;

class SurfaceEffect : public WithDeletingDestructor<SurfaceEffect, ScheduledTask> {
public:
    std::int32_t XM_METHOD Kind() override { return kSurfaceEffectTaskKind; }
    // Nonzero once the effect has drawn its end state.
    std::int32_t XM_METHOD Step(std::uint32_t now) override;
    // Ended from outside (cancelled or cleared): the effect stays where it is.
    void XM_METHOD Finish() override {}
    // Counts the effect as running through the effect-begin hook (once; a missing hook is
    // skipped).
    virtual void XM_METHOD OnCreated();

    std::uint32_t EffectKind() const { return m_kind; }
    std::uint32_t Duration() const { return m_duration; }
    std::uint32_t Start() const { return m_start; }
    const RECT& DestRect() const { return m_destRect; }
    const RECT& SourceRect() const { return m_srcRect; }
    std::int32_t DestX() const { return m_destX; }
    std::int32_t DestY() const { return m_destY; }
    std::uint8_t Mode() const { return m_mode; }
    std::uint16_t Value() const { return m_value; }
    std::int32_t Done() const { return m_done; }
    std::int32_t Done2() const { return m_done2; }
    bool Ended() const { return m_ended; }

private:
    friend class SurfaceEffectFactory;
    friend class WithDeletingDestructor<SurfaceEffect, ScheduledTask>;

    SurfaceEffect() = default;
    // Counts the effect out through the effect-end hook when it had been counted in.
    ~SurfaceEffect();

    std::int32_t StepFade(std::uint32_t elapsed, bool atEnd);
    std::int32_t StepBands(std::uint32_t elapsed, bool atEnd);
    std::int32_t StepBlinds(std::uint32_t elapsed, bool atEnd);
    std::int32_t StepStrips(std::uint32_t elapsed, bool atEnd);
    // A piece: a source rectangle (source kinds) or destination rectangle (colour kinds);
    // empty pieces draw nothing.
    void Piece(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
    // floor(elapsed * extent / duration), in 64 bits.
    std::int32_t Due(std::uint32_t elapsed, std::int32_t extent) const;

    std::uint32_t m_kind = 0;
    std::uint32_t m_duration = 1;
    std::uint32_t m_start = 0;
    Image* m_destination = nullptr;
    RECT m_destRect = {};
    std::int32_t m_done = 0;
    std::int32_t m_destX = 0;
    std::int32_t m_destY = 0;
    Image* m_source = nullptr;
    RECT m_srcRect = {};
    std::uint8_t m_mode = 0;
    std::uint8_t m_red = 0;
    std::uint8_t m_green = 0;
    std::uint8_t m_blue = 0;
    std::uint16_t m_value = 0;
    std::int32_t m_done2 = 0;
    std::uint8_t m_busyState = 1;
    // The end state has been drawn: later steps (and Finish again) draw nothing.
    bool m_ended = false;
};

class SurfaceEffectFactory {
public:
    // clock: the scheduler's clock, which stamps each effect's start.
    explicit SurfaceEffectFactory(Clock& clock = SystemClock()) : m_clock(&clock) {}

    void SetScheduler(TaskScheduler* scheduler) { m_scheduler = scheduler; }
    TaskScheduler* Scheduler() const { return m_scheduler; }

    // a..h as the script command passes them (see surface_effect.cpp). Null: no scheduler or
    // destination, a kind above 21, a source kind without a source, or the scheduler refused.
    SurfaceEffect* Create(std::uint32_t kind, std::uint32_t duration, Image* destination,
                          Image* source, std::uint32_t a, std::uint32_t b, std::uint32_t c,
                          std::uint32_t d, std::uint32_t e, std::uint32_t f, std::uint32_t g,
                          std::uint32_t h);
    // 1 while the scheduler holds a surface effect at the address; 0 otherwise.
    std::uint8_t IsRunning(const void* effect);
    // Draws the end state at once (kinds 2-21; kinds 0 and 1 turn black or white but stay
    // queued until their duration has passed). 0, or 1 without a scheduler.
    std::int32_t Finish(const void* effect);
    // Stops the effect where it is; the scheduler deletes it. 0, or 1 without a scheduler.
    std::int32_t Cancel(const void* effect);

private:
    // The held surface effect at the address, or null.
    SurfaceEffect* Held(const void* effect);

    Clock* m_clock;
    TaskScheduler* m_scheduler = nullptr;
};

// The application's factory, published at start-up; null before.
SurfaceEffectFactory* CurrentSurfaceEffectFactory();
void SetCurrentSurfaceEffectFactory(SurfaceEffectFactory* factory);
