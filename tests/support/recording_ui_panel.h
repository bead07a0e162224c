// A UI panel double for the image-set loader: it records every part it is asked to make with
// all the arguments, the group each goes into, its visibility and number, and removes parts
// again; it can refuse the n-th part with a code. Parts are records of the double, handed out as
// opaque pointers; the groups are whatever pointers the test passes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "scenario/interfaces/ui_panel_services.h"

namespace testsupport {

struct RecordedPart {
    bool checkPart = false;
    std::int32_t x = 0, y = 0;
    std::string path;
    bool option = false;
    std::int32_t variant = -1;  // image buttons
    std::int32_t type = -1;     // check parts
    std::int32_t leader = -1;   // check parts: the serial of the group leader, -1 none
    std::int32_t style = 0;
    std::uint8_t b5 = 0;
    std::uint32_t colour = 0;
    std::int32_t minusOne = 0;
    bool passThrough = false;
    // What the loader did with the part afterwards.
    std::int32_t visible = -1;  // -1 never set
    std::int32_t id = -1000;    // -1000 never set
    UiPartGroup* group = nullptr;
    std::int32_t insertIndex = 0;
    bool removed = false;
    std::int32_t serial = 0;
};

class RecordingUiPanel : public UiPanelServices {
public:
    explicit RecordingUiPanel(Canvas* canvas = nullptr) : m_canvas(canvas) {}

    // The n-th part asked for (1-based, counting refused ones) is refused with `code`.
    void RefuseAt(std::int32_t n, std::int32_t code) {
        m_refuseAt = n;
        m_refuseCode = code;
    }
    // Inserting into a group answers `code` from now on.
    void RefuseInsert(std::int32_t code) { m_insertCode = code; }

    std::int32_t NewImageButton(UiPart** out, std::int32_t x, std::int32_t y, const char* imagePath, bool option,
                                std::int32_t variant, std::int32_t style, std::uint8_t b5, std::uint32_t colour,
                                std::int32_t minusOne, bool passThrough) override {
        RecordedPart p;
        p.x = x, p.y = y, p.path = imagePath ? imagePath : "<null>", p.option = option, p.variant = variant;
        p.style = style, p.b5 = b5, p.colour = colour, p.minusOne = minusOne, p.passThrough = passThrough;
        return Make(out, p);
    }
    std::int32_t NewCheckPart(UiPart** out, std::int32_t x, std::int32_t y, const char* imagePath, std::int32_t type,
                              bool option, UiPart* groupLeader, std::int32_t style, std::uint8_t b5,
                              std::uint32_t colour, std::int32_t minusOne, bool passThrough) override {
        RecordedPart p;
        p.checkPart = true;
        p.x = x, p.y = y, p.path = imagePath ? imagePath : "<null>", p.type = type, p.option = option;
        p.leader = groupLeader ? Of(groupLeader)->serial : -1;
        p.style = style, p.b5 = b5, p.colour = colour, p.minusOne = minusOne, p.passThrough = passThrough;
        return Make(out, p);
    }
    std::int32_t RemovePart(UiPart* part) override {
        if (!part) return 1;
        RecordedPart* p = Find(part);
        if (!p || p->removed) return 2;
        p->removed = true;
        p->group = nullptr;
        return 0;
    }
    Canvas* PanelCanvas() override { return m_canvas; }
    std::int32_t InsertPart(UiPartGroup* group, UiPart* part, std::int32_t index) override {
        RecordedPart* p = Find(part);
        if (!p || p->removed) return 1;
        if (m_insertCode != 0) return m_insertCode;
        p->group = group;
        p->insertIndex = index;
        return 0;
    }
    void SetVisible(UiPart* part, bool visible) override {
        if (RecordedPart* p = Find(part)) p->visible = visible ? 1 : 0;
    }
    void SetId(UiPart* part, std::int32_t id) override {
        if (RecordedPart* p = Find(part)) p->id = id;
    }

    // Every part made, in order (removed ones too).
    const std::vector<std::unique_ptr<RecordedPart>>& Parts() const { return m_parts; }
    std::int32_t LiveCount() const {
        std::int32_t n = 0;
        for (const auto& p : m_parts) n += p->removed ? 0 : 1;
        return n;
    }
    std::int32_t Asked() const { return m_asked; }
    static RecordedPart* Of(UiPart* part) { return reinterpret_cast<RecordedPart*>(part); }

private:
    std::int32_t Make(UiPart** out, RecordedPart& p) {
        *out = nullptr;
        if (++m_asked == m_refuseAt) return m_refuseCode;
        p.serial = static_cast<std::int32_t>(m_parts.size());
        m_parts.push_back(std::make_unique<RecordedPart>(p));
        *out = reinterpret_cast<UiPart*>(m_parts.back().get());
        return 0;
    }
    RecordedPart* Find(UiPart* part) {
        for (const auto& p : m_parts)
            if (reinterpret_cast<UiPart*>(p.get()) == part) return p.get();
        return nullptr;
    }

    Canvas* m_canvas;
    std::vector<std::unique_ptr<RecordedPart>> m_parts;
    std::int32_t m_asked = 0;
    std::int32_t m_refuseAt = 0;
    std::int32_t m_refuseCode = 0;
    std::int32_t m_insertCode = 0;
};

}  // namespace testsupport
