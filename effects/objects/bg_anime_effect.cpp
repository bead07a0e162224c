#include "effects/objects/bg_anime_effect.h"

#include <algorithm>
#include <limits>
#include <new>

#include "effects/interfaces/effect_word_resolver.h"
#include "framework/files/preload_thread.h"
#include "graphics/data/qad_animation.h"
#include "graphics/interfaces/screen_buffer.h"
#include "graphics/sprites/canvas.h"

namespace {

std::uint8_t g_catchUp = 0;

constexpr std::int32_t kRangeEnd = 0;
constexpr std::int32_t kLabel = 1;
constexpr std::int32_t kLoopBack = 2;

bool IsImage(const QadFrame& frame) { return frame.picture >= 0; }

}  // namespace

std::int32_t XM_CDECL SetAnimeCatchUp(const std::int32_t* words) {
    g_catchUp = words && words[0] != 0 ? 1 : 0;
    return 0;
}

bool AnimeCatchUp() { return g_catchUp != 0; }

BgAnimeEffect::BgAnimeEffect(std::unique_ptr<PreloadThread> preload)
    : m_preload(preload ? std::move(preload) : std::unique_ptr<PreloadThread>(new PreloadThread)) {}

BgAnimeEffect::~BgAnimeEffect() {
    // The canvas outlives its effects: it must not keep showing the composite that goes here.
    Hide();
    m_preload->StopAndFree();
}

std::int32_t BgAnimeEffect::ZeroTimeLimit() const { return m_animation->FrameCount() + 1; }

std::int32_t XM_METHOD BgAnimeEffect::Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                            const std::int32_t* params) {
    if (!scheduler || !target || !params) return 1;
    Canvas* canvas = target->GetCanvas();
    QadAnimation* animation = EffectWords()->Animation(static_cast<std::uint32_t>(params[0]));
    const char* folder = EffectWords()->Text(static_cast<std::uint32_t>(params[1]));
    if (!canvas || !animation || !folder) return 1;
    if (m_animation) return 2;
    if (animation->RangeCount() <= 0 || animation->FrameCount() <= 0) return 1;
    if (m_composite.Create(animation->Header(0), animation->Header(1), 32, 0) != 0) return 2;
    // Clear, so that what no frame has covered yet shows nothing of old memory.
    m_composite.FillValue(0, nullptr);

    // The rows are sized from the ranges as they are: the distinct pictures of the fullest
    // range and the frames of the longest one.
    std::int32_t imagesPerRow = 0;
    std::int32_t mapLength = 0;
    std::vector<const char*> seen;
    for (std::int32_t r = 0; r < animation->RangeCount(); ++r) {
        const std::int32_t first = animation->RangeFirstFrame(r);
        const std::int32_t last = animation->RangeLastFrame(r);
        seen.clear();
        for (std::int32_t f = first; f < last; ++f) {
            const QadFrame& frame = animation->Frame(f);
            if (IsImage(frame) && std::find(seen.begin(), seen.end(), frame.text) == seen.end())
                seen.push_back(frame.text);
        }
        imagesPerRow = std::max(imagesPerRow, static_cast<std::int32_t>(seen.size()));
        mapLength = std::max(mapLength, last - first);
    }
    if (imagesPerRow > std::numeric_limits<std::uint16_t>::max() / 2) return 2;
    try {
        for (int row = 0; row < 2; ++row) {
            m_names[row].assign(static_cast<std::size_t>(imagesPerRow), nullptr);
            m_frameMap[row].assign(static_cast<std::size_t>(mapLength), -1);
        }
    } catch (const std::bad_alloc&) {
        return 2;
    }
    m_imagesPerRow = imagesPerRow;
    m_mapLength = mapLength;
    m_preload->AllocateSlots(static_cast<std::uint16_t>(2 * imagesPerRow));
    m_preload->SetDirectory(folder);
    m_canvas = canvas;
    m_animation = animation;
    m_rowRange[0] = m_rowRange[1] = -1;
    m_row = 0;
    m_loop = params[4] != 0 ? 1 : 0;
    m_state = kStopped;
    m_release = 0;
    m_label = -1;

    if (params[2] >= 0) {
        LoadRangeCode(params[2], params[3]);
        if (params[5] != 0 && StartCode() != 0) return 3;
    }
    if (scheduler->Add(this, 0, 0, 0) != TaskScheduler::kAdded) {
        Hide();
        return 4;
    }
    return 0;
}

std::int32_t BgAnimeEffect::FollowingRange(std::int32_t range) const {
    const std::int32_t next = range + 1;
    if (next < m_animation->RangeCount()) return next;
    return m_loop ? 0 : -1;
}

std::int32_t BgAnimeEffect::LoadRange(std::int32_t range, std::uint8_t row) {
    if (range < 0 || range >= m_animation->RangeCount()) return 1;
    // A row's slots are queued only while the loader is idle.
    m_preload->WaitIdle();
    const std::int32_t first = m_animation->RangeFirstFrame(range);
    const std::int32_t last = m_animation->RangeLastFrame(range);
    std::vector<const char*>& names = m_names[row];
    std::vector<std::int32_t>& map = m_frameMap[row];
    std::fill(map.begin(), map.end(), -1);
    std::size_t count = 0;
    for (std::int32_t f = first; f < last; ++f) {
        const QadFrame& frame = m_animation->Frame(f);
        if (!IsImage(frame)) continue;
        const auto at = std::find(names.begin(), names.begin() + count, frame.text);
        const auto position = static_cast<std::size_t>(at - names.begin());
        if (position == count) names[count++] = frame.text;
        map[static_cast<std::size_t>(f - first)] =
            row * m_imagesPerRow + static_cast<std::int32_t>(position);
    }
    const auto firstSlot = static_cast<std::uint16_t>(row * m_imagesPerRow);
    const auto rowSlots = static_cast<std::uint16_t>(m_imagesPerRow);
    if (rowSlots != 0) m_preload->CountLoaded(firstSlot, rowSlots);
    if (count != 0) m_preload->Queue(firstSlot, static_cast<std::uint16_t>(count), names.data());
    m_rowRange[row] = range;
    return 0;
}

void BgAnimeEffect::AdvanceRange() {
    const std::int32_t ranges = m_animation->RangeCount();
    m_range = m_range + 1 >= ranges ? 0 : m_range + 1;
    m_preload->WaitIdle();
    m_row ^= 1;
    // A row that does not hold the range (nothing was queued past the last range without
    // loop) is loaded now, so that no frame is drawn from another range's slots.
    if (m_rowRange[m_row] != m_range) {
        LoadRange(m_range, m_row);
        m_preload->WaitIdle();
    }
    const std::int32_t next = FollowingRange(m_range);
    if (next >= 0) LoadRange(next, static_cast<std::uint8_t>(m_row ^ 1));
}

void BgAnimeEffect::DrawFrame(std::int32_t frame) {
    const QadFrame& record = m_animation->Frame(frame);
    const std::int32_t offset = frame - m_animation->RangeFirstFrame(m_range);
    if (m_rowRange[m_row] != m_range || offset < 0 || offset >= m_mapLength) return;
    const std::int32_t slot = m_frameMap[m_row][static_cast<std::size_t>(offset)];
    if (slot < 0) return;
    const auto* data = static_cast<const std::uint8_t*>(m_preload->SlotData(static_cast<std::uint16_t>(slot)));
    const std::uint32_t size = m_preload->SlotSize(static_cast<std::uint16_t>(slot));
    if (!data || size == 0 || size > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()))
        return;
    if (m_composite.Decode(nullptr, data, static_cast<std::int32_t>(size), record.x, record.y, false) == 0)
        m_canvas->InvalidateAll();
}

std::int32_t BgAnimeEffect::HandleFrame(std::int32_t frame) {
    const QadFrame& record = m_animation->Frame(frame);
    if (IsImage(record)) {
        DrawFrame(frame);
        return 0;
    }
    const std::int32_t code = record.time;
    if (code <= kRangeEnd) {
        if (m_animation->RangeCount() > 1) AdvanceRange();
        return -1;
    }
    if (code == kLabel) {
        m_label = frame;
        m_release = 0;
        return -1;
    }
    if (code != kLoopBack) return 3;
    if (m_release) {
        m_label = -1;
        m_release = 0;
        return -1;
    }
    if (m_label < 0) return -1;
    const std::int32_t labelRange = m_animation->FindRange(m_label, nullptr);
    if (labelRange >= 0 && labelRange != m_range) {
        if (labelRange == m_rowRange[m_row ^ 1]) {
            m_range = labelRange - 1;
            AdvanceRange();
        } else {
            m_row = 0;
            m_range = labelRange;
            LoadRange(labelRange, 0);
            m_preload->WaitIdle();
            const std::int32_t next = FollowingRange(labelRange);
            if (next >= 0) LoadRange(next, 1);
        }
    }
    m_frame = m_label;
    return -1;
}

std::int32_t BgAnimeEffect::NextImageFrame(bool fromCurrent) {
    const std::int32_t count = m_animation->FrameCount();
    std::int32_t wraps = 0;
    std::int32_t zeroTime = 0;
    bool advance = !fromCurrent;
    for (;;) {
        if (advance && ++m_frame >= count) {
            if (!m_loop) {
                m_state = kStopped;
                return kListEnded;
            }
            if (++wraps == 2) {
                m_state = kStopped;
                return kNoImage;
            }
            m_frame = 0;
            m_label = -1;
        }
        advance = true;
        const std::int32_t result = HandleFrame(m_frame);
        if (result == 0) return kDrawn;
        if (result > 0) return result;
        if (++zeroTime > ZeroTimeLimit()) {
            m_state = kStopped;
            return kNoImage;
        }
    }
}

std::int32_t BgAnimeEffect::CatchUpStep(std::uint32_t now, std::uint32_t elapsed) {
    const std::int32_t count = m_animation->FrameCount();
    if (elapsed > 1000) {
        // Far behind: one frame is advanced and the clock restarts one duration back.
        const auto duration = static_cast<std::uint32_t>(m_animation->Frame(m_frame).time);
        elapsed = duration;
        m_frameClock = now - duration;
    }
    std::int32_t zeroTime = 0;
    for (;;) {
        const QadFrame& current = m_animation->Frame(m_frame);
        if (IsImage(current)) {
            const std::uint32_t duration = current.time > 0 ? static_cast<std::uint32_t>(current.time) : 0;
            if (duration != 0 && elapsed < duration) return 0;
            if (duration != 0) {
                m_frameClock += duration;
                elapsed -= duration;
                zeroTime = 0;
            } else if (++zeroTime > ZeroTimeLimit()) {
                return End(-1);
            }
        }
        if (++m_frame >= count) {
            if (!m_loop) {
                m_state = kStopped;
                return 0;
            }
            m_frame = 0;
            m_label = -1;
        }
        if (IsImage(m_animation->Frame(m_frame))) {
            DrawFrame(m_frame);
            continue;
        }
        if (++zeroTime > ZeroTimeLimit()) return End(-1);
        const std::int32_t result = HandleFrame(m_frame);
        if (result > 0) return End(result);
    }
}

std::int32_t XM_METHOD BgAnimeEffect::Step(std::uint32_t now) {
    if (m_state != kPlaying || !m_animation) return 0;
    if (m_resync) {
        m_resync = 0;
        m_frameClock = now;
        return 0;
    }
    const std::int32_t duration = m_animation->Frame(m_frame).time;
    if (duration <= 0) return 0;
    const std::uint32_t elapsed = now - m_frameClock;
    if (g_catchUp) return CatchUpStep(now, elapsed);
    if (elapsed < static_cast<std::uint32_t>(duration)) return 0;
    const std::int32_t result = NextImageFrame(false);
    m_frameClock = now;
    if (result == kDrawn || result == kListEnded) return 0;
    return End(result);
}

std::int32_t BgAnimeEffect::End(std::int32_t result) {
    m_state = kStopped;
    Hide();
    return result;
}

void BgAnimeEffect::Hide() {
    m_label = -1;
    m_state = kStopped;
    if (m_canvas) {
        Surface* source = nullptr;
        m_canvas->GetBackground(&source, nullptr, nullptr, nullptr, nullptr, nullptr);
        if (source == &m_composite) m_canvas->SetSource(nullptr, 0, 0, true);
    }
    // A batch still loading is stopped; the slots stay for a later load.
    if (m_preload->Join() == Thread::kJoined) m_rowRange[0] = m_rowRange[1] = -1;
}

std::int32_t BgAnimeEffect::LoadRangeCode(std::int32_t range, std::int32_t frame) {
    if (range < 0 || range >= m_animation->RangeCount()) range = 0;
    const std::int32_t first = m_animation->RangeFirstFrame(range);
    const std::int32_t last = m_animation->RangeLastFrame(range);
    m_range = range;
    m_frame = frame > 0 && frame > first && frame <= last ? frame : first;
    m_row = 0;
    LoadRange(range, 0);
    m_label = -1;
    m_release = 0;
    m_state = kReady;
    return 0;
}

std::int32_t BgAnimeEffect::StartCode() {
    if (m_state != kReady) return 3;
    const std::int32_t range = m_range;
    const std::int32_t frame = m_frame;
    m_preload->WaitIdle();
    const std::int32_t next = FollowingRange(m_range);
    if (next >= 0 && m_animation->RangeCount() > 1) LoadRange(next, 1);
    m_label = -1;
    if (NextImageFrame(true) != kDrawn) {
        // Nothing to show: back to the loaded range as code 0 left it.
        LoadRangeCode(range, frame);
        return 4;
    }
    Surface* source = nullptr;
    m_canvas->GetBackground(&source, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (source != &m_composite) m_canvas->SetSource(&m_composite, 0, 0, false);
    m_canvas->InvalidateAll();
    // The first step starts the frame's clock.
    m_resync = 1;
    m_state = kPlaying;
    return 0;
}

std::int32_t XM_METHOD BgAnimeEffect::ChangeParams(const std::int32_t* params) {
    if (!m_animation) return 1;
    if (!params) return 2;
    switch (params[0]) {
    case 0: return LoadRangeCode(params[1], params[2]);
    case 1: return StartCode();
    case 2:
        if (m_state != kPlaying) return 3;
        m_state = kPaused;
        return 0;
    case 3:
        if (m_state != kPaused) return 3;
        m_resync = 1;
        m_state = kPlaying;
        return 0;
    case 4: Hide(); return 0;
    case 5:
        if (m_label < 0) return 3;
        m_release = 1;
        return 0;
    default: return 2;
    }
}

std::int32_t XM_METHOD BgAnimeEffect::Control(const std::int32_t* arguments) {
    if (!arguments) return -2;
    switch (arguments[0]) {
    case 0: return m_state;
    case 1: return !m_release && m_label >= 0 ? 1 : 0;
    case 2: return m_range;
    case 3: return m_frame;
    case 4: {
        if (!m_animation) return -1;
        for (std::int32_t f = m_frame + 1; f < m_animation->FrameCount(); ++f) {
            const QadFrame& frame = m_animation->Frame(f);
            if (IsImage(frame)) continue;
            if (frame.time <= kRangeEnd) return -1;
            if (frame.time == kLabel) return f;
        }
        return -1;
    }
    case 5: {
        if (!m_animation) return -1;
        for (std::int32_t r = m_range + 1; r < m_animation->RangeCount(); ++r) {
            const std::int32_t last = m_animation->RangeLastFrame(r);
            for (std::int32_t f = m_animation->RangeFirstFrame(r); f < last; ++f) {
                const QadFrame& frame = m_animation->Frame(f);
                if (!IsImage(frame) && frame.time == kLabel) return r;
            }
        }
        return -1;
    }
    default: return -2;
    }
}
