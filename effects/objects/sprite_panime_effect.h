// SpritePanimeEffect ("sp_panime"): moves an image sprite along a motion string, segment by
// segment: position (straight or along the path's spline), opacity, bounces, zoom and rotation,
// priority changes and timed or random segment durations. The parts effect sets one up from a
// record list it read itself and steps it on its own.
//
// Setup words: 0 the sprite, 1 the motion string, 2 the default segment duration in ms (0: the
// end state at once, answering -1), 3 loop, 4 count the effect in the busy counter. Answers 1
// (no scheduler, no sprite), 2 (the string does not parse for the sprite), 3 (the scheduler
// refused it), 4 (the zoom or rotation cache would lie outside the int32 range or cannot be
// made), else 0. ChangeParams word 0 must be 0: the motion ends after the current pass.
// Control fills the pointers it is given (each may be null): 0 and 1 the final x and y, 2 the
// final opacity (-1 without a final key), 3 the final priority action, 4 and 5 the final zoom
// and rotation (32-bit reals), 6 and 7 the final pivot, 8 the transform flag (32-bit real).
//
// SpritePanimeAssist: word 0 = 0 sets the priorities A and B (words 1 and 2) that effects made
// afterwards take; otherwise word 1 is a sprite and word 2 a motion string whose end state is
// applied at once, and words 3 to 10, when not null, receive x, y, opacity, the priority action,
// zoom and rotation (32-bit reals) and the pivot. The evaluation's code is passed on.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <memory>

#include "effects/motion/motion_path.h"
#include "effects/objects/effect_base.h"

class Sprite;

// What a parts definition hands over with its records.
struct PanimeRecordSetup {
    std::int32_t count = 0;
    std::int32_t keyCount = 0;
    bool spline = false;
    bool zoomUsed = false;
    bool rotationUsed = false;
    double largestZoom = 1.0;
    std::int32_t pivotX = 0;
    std::int32_t pivotY = 0;
    std::uint32_t defaultDuration = 1000;
    bool loop = false;
};

class SpritePanimeEffect : public WithDeletingDestructor<SpritePanimeEffect, EffectBase> {
public:
    static constexpr const char* kName = "sp_panime";

    std::int32_t XM_METHOD Kind() override { return 14001; }
    std::int32_t XM_METHOD Step(std::uint32_t now) override;
    void XM_METHOD Finish() override { Complete(); }
    const char* XM_METHOD Name() override { return kName; }
    std::uint8_t XM_METHOD Category() override { return 1; }
    std::int32_t XM_METHOD Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                 const std::int32_t* params) override;
    std::int32_t XM_METHOD ChangeParams(const std::int32_t* params) override;
    std::int32_t XM_CDECL ChangeParamsV(std::int32_t first, ...) override {
        va_list rest;
        va_start(rest, first);
        const std::int32_t result = ChangeParams(WordsFrom(rest));
        va_end(rest);
        return result;
    }
    std::int32_t XM_METHOD Control(const std::int32_t* arguments) override;
    std::int32_t XM_CDECL ControlV(std::int32_t first, ...) override {
        va_list rest;
        va_start(rest, first);
        const std::int32_t result = Control(WordsFrom(rest));
        va_end(rest);
        return result;
    }
    // Puts the sprite into the final key's state (nothing without a final key).
    virtual void XM_METHOD Complete();
    // The state between the segment's start record and `record` at eased time t.
    virtual void XM_METHOD Apply(std::int32_t record, double t);

    // Takes over a record list (record 0 the start state) for `sprite` without joining a
    // scheduler; the owner steps the effect. 0; 1 no sprite or fewer than two records; 4 the
    // transform cache cannot be made. A transformed sprite shows record 0's zoom and rotation.
    std::int32_t SetupFromRecords(Sprite* sprite, std::unique_ptr<MotionRecord[]> records,
                                  const PanimeRecordSetup& setup);

    const MotionPath& Path() const { return m_path; }
    std::int32_t StepValue(int n) const { return m_stepValue[n]; }
    bool Transformed() const { return m_transform != 0; }

protected:
    // Resets the player to record 1 with the default duration.
    void Start(std::uint32_t defaultDuration, bool loop);
    // Pivot and transform cache for the path; 0 or 4.
    std::int32_t PrepareTransform();

    MotionPath m_path;
    std::int32_t m_index = 1;
    std::int32_t m_startRecord = 0;
    bool m_segmentRunning = false;
    std::uint32_t m_segmentStart = 0;
    std::uint32_t m_duration = 1;
    std::uint32_t m_carried = 0;
    Sprite* m_sprite = nullptr;
    std::uint8_t m_loop = 0;
    std::uint8_t m_transform = 0;
    double m_exponent = 0.0;
    std::uint8_t m_powerEasing = 1;
    std::uint8_t m_spline = 0;
    std::int32_t m_stepValue[2] = {25, 50};
    std::int32_t m_priorityA = 0;
    std::int32_t m_priorityB = 0;

private:
    // Reads records from the current index up to the next key. False when the motion ended.
    bool FindSegment(std::uint32_t now);
    // The index moves past the end: back to 1 when looping; false when the motion ended.
    bool Advance();
};

std::int32_t XM_CDECL SpritePanimeAssist(const std::int32_t* words);
// The priorities A and B that effects made now take.
std::int32_t SpritePanimePriorityA();
std::int32_t SpritePanimePriorityB();
