#include "scenario/animation/cel_animation_task.h"

#include "framework/interfaces/task_scheduling.h"
#include "graphics/data/qag_animation.h"
#include "graphics/sprites/canvas.h"

namespace {

// An entry that shows an image: a non-negative image index inside the entries.
bool ShowsImage(const QagAnimation& animation, std::int32_t entry) {
    return entry >= 0 && entry < animation.ItemCount() && animation.Item(entry).image >= 0;
}

}  // namespace

std::int32_t CelAnimationTask::Start(TaskScheduler* scheduler, Canvas* canvas,
                                     QagAnimation* animation, std::int32_t range,
                                     std::int32_t loops, std::uint32_t priority,
                                     std::int32_t xOffset, std::int32_t yOffset, bool catchUp,
                                     bool finishWhenHeld, bool releaseData,
                                     std::uint32_t startDelay) {
    if (!scheduler || !canvas || !animation) return 1;
    if (range < 0 || range >= animation->SequenceCount()) return 2;
    const std::int32_t first = animation->SequenceStart(range);
    if (!ShowsImage(*animation, first)) return 3;
    m_animation = animation;
    m_range = range;
    m_first = first;
    m_current = first;
    m_loops = loops;
    m_xOffset = xOffset;
    m_yOffset = yOffset;
    m_catchUp = catchUp ? 1 : 0;
    m_finishWhenHeld = finishWhenHeld ? 1 : 0;
    m_releaseData = releaseData ? 1 : 0;
    m_startDelay = startDelay;
    m_state = kNew;
    m_nextRangeRequest = 0;
    ShowEntry();
    if (scheduler->Add(this, 0, 0, 0) != TaskScheduler::kAdded) {
        m_animation = nullptr;
        return 4;
    }
    m_canvas = canvas;
    if (startDelay != 0) m_sprite.SetVisible(0);
    canvas->Sprites().Add(&m_sprite, priority, 0);
    return 0;
}

void CelAnimationTask::RequestNextRange(std::int32_t loops) {
    m_nextRangeRequest = 1;
    m_loops = loops;
}

std::uint32_t CelAnimationTask::Duration() const {
    const std::int32_t time = m_animation->Item(m_current).time;
    return time > 0 ? static_cast<std::uint32_t>(time) : 0;
}

std::int32_t CelAnimationTask::RangeLength() const {
    std::int32_t end = m_first;
    while (ShowsImage(*m_animation, end)) ++end;
    return end - m_first;
}

void CelAnimationTask::ShowEntry() {
    const QagItem& item = m_animation->Item(m_current);
    // An image index past the file's images shows nothing new.
    if (item.image >= m_animation->ImageCount()) return;
    m_sprite.SetImage(&m_animation->ImageAt(item.image), nullptr, item.x + m_xOffset,
                      item.y + m_yOffset);
}

void CelAnimationTask::ReleaseData() {
    if (!m_releaseData || !m_animation) return;
    if (m_animation->refCount > 0) {
        --m_animation->refCount;
    } else {
        delete m_animation;
    }
    m_animation = nullptr;
}

CelAnimationTask::Advanced CelAnimationTask::Advance() {
    if (ShowsImage(*m_animation, m_current + 1)) {
        ++m_current;
        return Advanced::Moved;
    }
    if (m_nextRangeRequest) {
        const std::int32_t next = m_range + 1;
        if (next >= m_animation->SequenceCount() ||
            !ShowsImage(*m_animation, m_animation->SequenceStart(next))) {
            ReleaseData();
            return Advanced::NoNextRange;
        }
        m_range = next;
        m_first = m_animation->SequenceStart(next);
        m_current = m_first;
        m_nextRangeRequest = 0;
        return Advanced::Moved;
    }
    if (m_loops < 0) {
        m_current = m_first;
        return Advanced::Moved;
    }
    if (m_loops == 0) {
        m_state = kHolding;
        return Advanced::Held;
    }
    if (--m_loops == 0) {
        ReleaseData();
        return Advanced::Ended;
    }
    m_current = m_first;
    return Advanced::Moved;
}

std::int32_t XM_METHOD CelAnimationTask::Step(std::uint32_t now) {
    if (!m_animation) return 1;
    if (m_state == kNew) {
        m_state = kRunning;
        m_timeBase = now;
        return 0;
    }
    if (m_state == kHolding) {
        if (!m_finishWhenHeld) return 0;
        ReleaseData();
        return 1;
    }
    if (m_startDelay != 0) {
        if (now - m_timeBase < m_startDelay) return 0;
        m_timeBase = now;
        m_startDelay = 0;
        m_sprite.SetVisible(1);
    }
    const std::int32_t before = m_current;
    std::uint32_t elapsed = now - m_timeBase;
    Advanced advanced = Advanced::Moved;
    if (m_catchUp) {
        // Entries of duration 0 (file data) take no time: a range made only of them would
        // never let elapsed fall below the duration. A whole pass over the range without time
        // passing ends the step; the next step goes on from there.
        std::int32_t passedWithoutTime = 0;
        while (elapsed >= Duration()) {
            const std::uint32_t duration = Duration();
            passedWithoutTime = duration == 0 ? passedWithoutTime + 1 : 0;
            m_timeBase += duration;
            elapsed -= duration;
            advanced = Advance();
            if (advanced != Advanced::Moved) break;
            if (passedWithoutTime >= RangeLength()) break;
        }
    } else if (elapsed >= Duration()) {
        m_timeBase = now;
        advanced = Advance();
    }
    if (advanced == Advanced::Ended) return 1;
    if (advanced == Advanced::NoNextRange) return 2;
    if (m_current != before) ShowEntry();
    return 0;
}

void XM_METHOD CelAnimationTask::Finish() {
    ReleaseData();
    if (!m_canvas) return;
    if (!m_canvas->Sprites().Remove(&m_sprite) && m_canvas->Overlay())
        m_canvas->Overlay()->Remove(&m_sprite);
}

void CelAnimationTask::Resumed(std::uint32_t span) { m_timeBase += span; }
