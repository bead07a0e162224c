// LipSyncTask: shows the cell of a CellImage strip that matches the loudness of a playing voice
// (a talking mouth), once per cell duration, and the strip's end state once the voice stops.
//
// The cell image and the voice buffer stay the creator's and must outlive the task; once
// queued the task belongs to the scheduler. Used on the thread that runs the scheduler.
#pragma once

#include <cstdint>

#include "framework/interfaces/deleting_destructor.h"
#include "scenario/animation/layer_task.h"

class CellImage;
class StaticSoundBuffer;
class TaskScheduler;

class LipSyncTask final : public WithDeletingDestructor<LipSyncTask, LayerTask> {
public:
    static constexpr std::int32_t kKind = 13002;

    LipSyncTask() = default;

    std::int32_t XM_METHOD Kind() override { return kKind; }
    std::int32_t XM_METHOD Step(std::uint32_t now) override;
    // Draws the end state.
    void XM_METHOD Finish() override;

    // 0 queued, stepping every cell duration; 1 a null argument, a cell image without target or
    // cells, or a buffer with nothing loaded; 2 the voice is not playing; 3 the scheduler
    // refused the task.
    std::int32_t Start(TaskScheduler* scheduler, CellImage* cellImage,
                       StaticSoundBuffer* voiceBuffer);

    std::int32_t LastCell() const { return m_lastCell; }

private:
    CellImage* m_cells = nullptr;
    std::int32_t m_lastCell = -1;
    StaticSoundBuffer* m_voice = nullptr;
};
