#include "scenario/animation/lip_sync_task.h"

#include "framework/interfaces/task_scheduling.h"
#include "framework/sound/static_sound_buffer.h"
#include "graphics/data/cell_image.h"
#include "scenario/animation/random_strip_animation_task.h"

std::int32_t LipSyncTask::Start(TaskScheduler* scheduler, CellImage* cellImage,
                                StaticSoundBuffer* voiceBuffer) {
    if (!scheduler || !cellImage || !voiceBuffer || !voiceBuffer->GetBuffer()) return 1;
    if (!cellImage->Target() || !cellImage->Strip() || cellImage->CellCount() <= 0) return 1;
    SaveStripBackground(*cellImage, cellImage->Target());
    if (!voiceBuffer->GetPlayState(nullptr, nullptr)) return 2;
    m_cells = cellImage;
    m_voice = voiceBuffer;
    m_lastCell = -1;
    const std::uint32_t period =
        cellImage->FrameTime() > 0 ? static_cast<std::uint32_t>(cellImage->FrameTime()) : 0;
    return scheduler->Add(this, 0, period, 0) == TaskScheduler::kAdded ? 0 : 3;
}

std::int32_t XM_METHOD LipSyncTask::Step(std::uint32_t now) {
    (void)now;
    if (!m_cells) return 1;
    DWORD position = 0;
    if (!m_voice->GetPlayState(&position, nullptr)) {
        DrawStripEndState(*m_cells, m_cells->Target(), nullptr);
        return 1;
    }
    const std::int32_t cell = static_cast<std::int32_t>(
        m_voice->GetLevelAt(position, static_cast<std::uint32_t>(m_cells->CellCount())));
    if (cell != m_lastCell && DrawStripCell(*m_cells, m_cells->Target(), nullptr, cell))
        m_lastCell = cell;
    return 0;
}

void XM_METHOD LipSyncTask::Finish() {
    if (m_cells) DrawStripEndState(*m_cells, m_cells->Target(), nullptr);
}
