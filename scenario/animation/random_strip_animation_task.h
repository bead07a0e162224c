// RandomStripAnimationTask: steps through the cells of a CellImage strip on the layer scheduler,
// forward (cycle mode 0), forward and back (1) or in random order (any other mode), with a pause
// of base + random length between cycles: the message windows' wait cursor and the scripts'
// strips. LipSyncTask draws its cells with the same drawing (DrawStripCell).
//
// The cell image, the sprite and a given generator stay the creator's and must outlive the task
// (the windows hold their task through a TaskPointer and cancel it before their cell image goes).
// Once queued the task belongs to the scheduler. Used on the thread that runs the scheduler.
#pragma once

#include <cstdint>

#include "effects/interfaces/subtractive_random.h"
#include "framework/interfaces/deleting_destructor.h"
#include "framework/runtime/clock.h"
#include "scenario/animation/layer_task.h"

class CellImage;
class Sprite;
class Surface;
class TaskScheduler;

// Draws cell `cell` of the strip at the cell image's place on target, as both strip tasks do:
// with a draw mode other than 0 the backup image is first put back (clearing the previous
// cell); draw mode 1 blends the cell over at full opacity, else it is copied (the strip's colour
// key honoured). The rectangle is then reported to sprite, or without one to every target layer
// of the cell image. A cell outside the strip draws nothing. False when nothing was drawn.
bool DrawStripCell(CellImage& cells, Surface* target, Sprite* sprite, std::int32_t cell);
// The end state by the cell image's end mode: 1 leaves the last cell; 0 or a negative m draws
// cell -m; 2 and above put the backup image back (erasing the strip). Reported as a cell is.
void DrawStripEndState(CellImage& cells, Surface* target, Sprite* sprite);
// Copies the target's rectangle under the strip into the backup image, when there is one.
void SaveStripBackground(CellImage& cells, Surface* target);

class RandomStripAnimationTask final
    : public WithDeletingDestructor<RandomStripAnimationTask, LayerTask> {
public:
    static constexpr std::int32_t kKind = 13001;
    // Pause states, set by the owner through RequestPause.
    enum : std::uint8_t { kNotPaused = 0, kPauseRequested = 1, kPaused = 2 };

    // clock seeds the task's own generator when the creator gives none.
    explicit RandomStripAnimationTask(Clock& clock = SystemClock());

    std::int32_t XM_METHOD Kind() override { return kKind; }
    std::int32_t XM_METHOD Step(std::uint32_t now) override;
    // Draws the end state.
    void XM_METHOD Finish() override;

    // 0 queued; 1 a null scheduler, cell image or cell-image target, or a cell image with no
    // cells or a cell duration of 0; 2 a sprite without an image, or the scheduler refused the
    // task. cycles 0: endless. pauseRange 0: every pause is basePause. generator null: the task
    // seeds its own from the clock when it needs one (a pause range, or random cells).
    std::int32_t Start(TaskScheduler* scheduler, CellImage* cellImage, Sprite* sprite,
                       std::uint8_t cycles, std::uint32_t basePause, std::uint32_t pauseRange,
                       bool startWithPause, SubtractiveRandom* generator);
    // Moves the strip. With a backup image and restore, the background is first put back at the
    // old place and saved at the new one. Nothing is drawn until the next cell.
    void Move(std::int32_t x, std::int32_t y, bool restore);

    // The owner's pause: the task draws nothing from its next step until RequestResume, and
    // then goes on with the cell it was in.
    void RequestPause() { m_pauseState = kPauseRequested; }
    void RequestResume() { m_resumeRequest = 1; }
    std::uint8_t PauseState() const { return m_pauseState; }

    std::int32_t LastCell() const { return m_lastCell; }
    std::uint32_t CurrentPause() const { return m_currentPause; }
    std::uint32_t CycleLength() const { return m_cycleLength; }
    std::uint8_t CyclesLeft() const { return m_cyclesLeft; }
    // The generator drawn from: the given one, the task's own, or null when none is needed.
    SubtractiveRandom* Generator() const { return m_generator; }

private:
    // After the last resume the next step draws its cell again.
    void Resumed(std::uint32_t span) override;
    std::uint32_t NextPause();
    void Draw(std::int32_t cell);

    Clock& m_clock;
    CellImage* m_cells = nullptr;
    Sprite* m_sprite = nullptr;
    Surface* m_target = nullptr;
    std::uint32_t m_basePause = 0;
    std::uint32_t m_pauseRange = 0;
    SubtractiveRandom* m_generator = nullptr;
    SubtractiveRandom m_ownGenerator;
    std::uint32_t m_currentPause = 0;
    std::uint32_t m_cycleLength = 0;
    std::int32_t m_lastCell = -1;
    std::uint32_t m_timeBase = 0;
    std::uint32_t m_keptSpan = 0;
    std::uint8_t m_cyclesLeft = 0;
    std::uint8_t m_pauseState = kNotPaused;
    std::uint8_t m_resumeRequest = 0;
    std::uint8_t m_firstStep = 1;
};
