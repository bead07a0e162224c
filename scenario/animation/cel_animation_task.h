// CelAnimationTask: plays a range of a QAG cel animation on a sprite of a canvas, one entry's
// image at the entry's offset for the entry's duration, looping a number of times, forever, or
// holding the last entry (a script's animated picture).
//
// The task's own sprite sits in the canvas's sprite list from Start until the task goes. The
// animation is shared: with release-data set the task gives up its reference when it ends
// (the reference count lowered, or the animation deleted at 0). The canvas and the animation
// must outlive the task; once queued the task belongs to the scheduler. Used on the thread that
// runs the scheduler.
#pragma once

#include <cstdint>

#include "framework/interfaces/deleting_destructor.h"
#include "graphics/sprites/sprite.h"
#include "scenario/animation/layer_task.h"

class Canvas;
class QagAnimation;
class TaskScheduler;

class CelAnimationTask final : public WithDeletingDestructor<CelAnimationTask, LayerTask> {
public:
    static constexpr std::int32_t kKind = 13000;
    // States.
    enum : std::uint8_t { kNew = 0, kRunning = 1, kHolding = 2 };

    CelAnimationTask() = default;

    std::int32_t XM_METHOD Kind() override { return kKind; }
    std::int32_t XM_METHOD Step(std::uint32_t now) override;
    // Releases the data when asked and takes the sprite off the canvas.
    void XM_METHOD Finish() override;

    // 0 queued; 1 a null scheduler, canvas or animation; 2 range not in the animation; 3 the
    // range's first entry is the end mark; 4 the scheduler refused the task. loops: negative
    // forever, 0 hold the last entry, n > 0 play n times. With catchUp a late step skips every
    // entry whose duration has passed; without, it advances one entry. A start delay keeps the
    // sprite hidden for that many ms after the first step.
    std::int32_t Start(TaskScheduler* scheduler, Canvas* canvas, QagAnimation* animation,
                       std::int32_t range, std::int32_t loops, std::uint32_t priority,
                       std::int32_t xOffset, std::int32_t yOffset, bool catchUp,
                       bool finishWhenHeld, bool releaseData, std::uint32_t startDelay);
    // At the end of the current range, go on with the next one, played `loops` times.
    void RequestNextRange(std::int32_t loops);

    std::uint8_t State() const { return m_state; }
    std::int32_t Range() const { return m_range; }
    // The entry shown (an index into the animation's entries).
    std::int32_t CurrentEntry() const { return m_current; }
    std::int32_t Loops() const { return m_loops; }
    const Sprite& GetSprite() const { return m_sprite; }

private:
    enum class Advanced { Moved, Held, Ended, NoNextRange };

    void Resumed(std::uint32_t span) override;
    Advanced Advance();
    void ShowEntry();
    void ReleaseData();
    std::uint32_t Duration() const;
    // Entries from the range's first to its end mark.
    std::int32_t RangeLength() const;

    QagAnimation* m_animation = nullptr;
    Canvas* m_canvas = nullptr;
    Sprite m_sprite;
    std::int32_t m_first = 0;
    std::int32_t m_current = 0;
    std::int32_t m_loops = 0;
    std::uint32_t m_timeBase = 0;
    std::uint8_t m_state = kNew;
    std::uint8_t m_catchUp = 0;
    std::uint8_t m_finishWhenHeld = 0;
    std::uint8_t m_releaseData = 0;
    std::int32_t m_xOffset = 0;
    std::int32_t m_yOffset = 0;
    std::uint32_t m_startDelay = 0;
    std::int32_t m_range = 0;
    std::uint8_t m_nextRangeRequest = 0;
};
