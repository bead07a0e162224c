// PreloadScriptMemory: makes each finished preload slot's data script memory while it lives,
// so that scripts may read and change it in place and copy from it. The loader registers a
// slot before handing it over; the game thread drops it before the data can go (a claim, a
// count, a free).
#pragma once

#include <cstdint>
#include <memory>

#include "framework/files/preload_slots.h"
#include "game/script/script_memory.h"

class PreloadScriptMemory final : public PreloadSlotWatcher {
public:
    bool Allocated(std::uint16_t count) override;
    void Loaded(std::uint16_t slot, const void* data, std::uint32_t size) override;
    void Released(std::uint16_t slot) override;
    void Freed() override;

private:
    std::unique_ptr<ScriptMemoryRegistration[]> m_regions;
    std::uint16_t m_count = 0;
};
