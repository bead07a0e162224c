#include "scenario/animation/random_strip_animation_task.h"

#include "graphics/data/cell_image.h"
#include "graphics/image/image.h"
#include "graphics/sprites/sprite.h"

namespace {

// The strip's cells are drawn into software images only.
Image* DrawingTarget(Surface* target) { return dynamic_cast<Image*>(target); }

RECT StripRect(const CellImage& cells, std::int32_t height) {
    return RECT{cells.X(), cells.Y(), cells.X() + cells.CellWidth(), cells.Y() + height};
}

void PutBackground(CellImage& cells, Image* target) {
    if (Image* backup = cells.Scratch()) target->Blit(backup, cells.X(), cells.Y(), nullptr, false);
}

void Report(CellImage& cells, Sprite* sprite, std::int32_t height) {
    const RECT rect = StripRect(cells, height);
    if (sprite) {
        sprite->InvalidateArea(rect);
        return;
    }
    for (Sprite* layer : cells.Targets()) layer->InvalidateArea(rect);
}

}  // namespace

bool DrawStripCell(CellImage& cells, Surface* target, Sprite* sprite, std::int32_t cell) {
    Image* into = DrawingTarget(target);
    Surface* strip = cells.Strip();
    if (!into || !strip || cell < 0 || cell >= cells.CellCount()) return false;
    const std::int32_t height = strip->Height();
    const RECT source{cell * cells.CellWidth(), 0, (cell + 1) * cells.CellWidth(), height};
    if (cells.DrawMode() != 0) PutBackground(cells, into);
    if (cells.DrawMode() == 1) {
        into->BlendOpacity(strip, 255, cells.X(), cells.Y(), &source);
    } else {
        // A strip with alpha is copied with it; Blit skips a keyed strip's key colour.
        into->Blit(strip, cells.X(), cells.Y(), &source, false);
    }
    Report(cells, sprite, height);
    return true;
}

void DrawStripEndState(CellImage& cells, Surface* target, Sprite* sprite) {
    const std::int32_t mode = cells.State();
    if (mode == 1) return;
    if (mode <= 0) {
        DrawStripCell(cells, target, sprite, -mode);
        return;
    }
    Image* into = DrawingTarget(target);
    Surface* strip = cells.Strip();
    if (!into || !strip) return;
    PutBackground(cells, into);
    Report(cells, sprite, strip->Height());
}

void SaveStripBackground(CellImage& cells, Surface* target) {
    Image* backup = cells.Scratch();
    Surface* strip = cells.Strip();
    if (!backup || !strip || !target) return;
    const RECT under = StripRect(cells, strip->Height());
    backup->Blit(target, 0, 0, &under, false);
}

RandomStripAnimationTask::RandomStripAnimationTask(Clock& clock) : m_clock(clock) {}

std::int32_t RandomStripAnimationTask::Start(TaskScheduler* scheduler, CellImage* cellImage,
                                             Sprite* sprite, std::uint8_t cycles,
                                             std::uint32_t basePause, std::uint32_t pauseRange,
                                             bool startWithPause, SubtractiveRandom* generator) {
    if (!scheduler || !cellImage || !cellImage->Target() || !cellImage->Strip()) return 1;
    // No cells would divide by zero in random mode; a cell duration of 0 would leave modes 0
    // and 1 without a cycle (they would turn random, a new cell every drawn frame). The cell
    // image loaders refuse both.
    if (cellImage->CellCount() <= 0 || cellImage->FrameTime() <= 0) return 1;
    if (sprite && !sprite->GetImage()) return 2;
    m_cells = cellImage;
    m_sprite = sprite;
    m_target = sprite ? sprite->GetImage() : cellImage->Target();
    SaveStripBackground(*cellImage, m_target);

    const std::int32_t count = cellImage->CellCount();
    const std::uint32_t duration = static_cast<std::uint32_t>(cellImage->FrameTime());
    switch (cellImage->PlayMode()) {
        case 0: m_cycleLength = duration * count; break;
        case 1: m_cycleLength = (2 * count - 1) * duration; break;
        default: m_cycleLength = 0; break;
    }
    // Random cells need a generator even without pauses.
    m_generator = nullptr;
    if (pauseRange != 0 || m_cycleLength == 0) {
        if (generator) {
            m_generator = generator;
        } else {
            m_ownGenerator.Seed(m_clock.Milliseconds());
            m_generator = &m_ownGenerator;
        }
    }
    m_basePause = basePause;
    m_pauseRange = pauseRange;
    m_cyclesLeft = cycles;
    m_currentPause = startWithPause ? NextPause() : 0;
    m_firstStep = 1;
    m_lastCell = -1;
    m_pauseState = kNotPaused;
    m_resumeRequest = 0;
    return scheduler->Add(this, 0, 0, 0) == TaskScheduler::kAdded ? 0 : 2;
}

std::uint32_t RandomStripAnimationTask::NextPause() {
    return m_basePause + (m_pauseRange != 0 ? m_generator->Next() % m_pauseRange : 0);
}

void RandomStripAnimationTask::Draw(std::int32_t cell) {
    if (DrawStripCell(*m_cells, m_target, m_sprite, cell)) m_lastCell = cell;
}

std::int32_t XM_METHOD RandomStripAnimationTask::Step(std::uint32_t now) {
    if (!m_cells) return 1;
    if (m_pauseState != kNotPaused) {
        // Before the first step there is no time base to keep: the first step sets it.
        if (!m_firstStep && m_pauseState == kPauseRequested) {
            m_pauseState = kPaused;
            m_keptSpan = now - m_timeBase;
        }
        if (!m_resumeRequest) return 0;
        if (!m_firstStep) m_timeBase = now - m_keptSpan;
        m_pauseState = kNotPaused;
        m_resumeRequest = 0;
    }
    if (m_firstStep) {
        m_firstStep = 0;
        m_timeBase = now;
    }
    if (m_currentPause != 0) {
        if (now - m_timeBase < m_currentPause) return 0;
        m_timeBase = now;
        m_currentPause = 0;
    }
    std::uint32_t elapsed = now - m_timeBase;
    const std::int32_t count = m_cells->CellCount();
    const std::uint32_t duration = static_cast<std::uint32_t>(m_cells->FrameTime());
    if (m_cycleLength != 0) {
        if (elapsed >= m_cycleLength) {
            if (m_cyclesLeft != 0 && m_cyclesLeft-- == 1) {
                DrawStripEndState(*m_cells, m_target, m_sprite);
                return 1;
            }
            m_currentPause = NextPause();
            m_timeBase += elapsed;
            elapsed = m_cycleLength - 1;
        }
        std::int32_t cell = static_cast<std::int32_t>(elapsed / duration);
        if (m_cells->PlayMode() == 1 && cell >= count) cell = 2 * count - cell - 2;
        if (cell != m_lastCell) Draw(cell);
        return 0;
    }
    if (elapsed >= duration) {
        std::int32_t cell = static_cast<std::int32_t>(m_generator->Next() % count);
        if (cell == m_lastCell) cell = (cell + 1) % count;
        Draw(cell);
        m_timeBase += elapsed;
    }
    return 0;
}

void XM_METHOD RandomStripAnimationTask::Finish() {
    if (m_cells) DrawStripEndState(*m_cells, m_target, m_sprite);
}

void RandomStripAnimationTask::Move(std::int32_t x, std::int32_t y, bool restore) {
    if (!m_cells) return;
    if (restore && m_cells->Scratch()) {
        if (Image* into = DrawingTarget(m_target)) PutBackground(*m_cells, into);
        m_cells->SetPosition(x, y);
        SaveStripBackground(*m_cells, m_target);
        return;
    }
    m_cells->SetPosition(x, y);
}

void RandomStripAnimationTask::Resumed(std::uint32_t span) {
    (void)span;
    m_lastCell = -1;
}
