// A transition callback for the screen tests: a settable kind, Update and Status results
// scripted frame by frame (the last value repeats), every TransitionBlit it is handed kept, and
// an optional drawing that fills the blit's rows of the target with one value (an index on
// 8-bit targets).
#pragma once

#include <cstdint>
#include <vector>

#include "graphics/image/image.h"
#include "tests/support/stub_plugin_objects.h"

namespace testsupport {

class RecordingTransition : public StubTransition<RecordingTransition> {
public:
    explicit RecordingTransition(std::uint8_t kind, bool* deleted = nullptr)
        : m_kind(kind), m_deleted(deleted) {}
    ~RecordingTransition() {
        if (m_deleted) *m_deleted = true;
    }

    std::uint8_t XM_METHOD Kind() override { return m_kind; }
    const char* XM_METHOD Name() override { return "recording"; }
    std::int32_t XM_METHOD Setup(ScreenBuffer*, const std::int32_t*) override { return 0; }
    std::int32_t XM_METHOD Update(std::uint32_t) override { return Next(updates, updateCalls++); }
    std::int32_t XM_METHOD Status() override { return Next(statuses, statusCalls++); }
    std::int32_t XM_METHOD Draw(const TransitionBlit* blit) override {
        blits.push_back(*blit);
        if (fill && blit->target) {
            const RECT rows = {blit->areaX, blit->areaY, blit->areaX + blit->width,
                               blit->areaY + blit->height};
            if (blit->target->Depth() == 8)
                blit->target->FillRect(static_cast<std::int32_t>(fillValue & 0xFF), 0, 0, &rows);
            else
                blit->target->FillValue(fillValue, &rows);
        }
        return 0;
    }

    std::vector<std::int32_t> updates;   // per Update call; empty: 0
    std::vector<std::int32_t> statuses;  // per Status call; empty: 0
    std::vector<TransitionBlit> blits;
    int updateCalls = 0;
    int statusCalls = 0;
    bool fill = false;
    std::uint32_t fillValue = 0;

private:
    static std::int32_t Next(const std::vector<std::int32_t>& script, int call) {
        if (script.empty()) return 0;
        return script[static_cast<std::size_t>(call) < script.size() ? call : script.size() - 1];
    }

    std::uint8_t m_kind;
    bool* m_deleted;
};

}  // namespace testsupport
