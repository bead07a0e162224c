// UiPanelServices: what the graphics core's image-set loader (graphics/data/qgm_image_set.h)
// uses of a UI panel: it makes image buttons and check parts on the panel from picture files,
// deletes parts it made, sets the background of the panel's canvas, and hands the parts to a
// part group, shows or hides them and numbers them. The panel owns every part it makes; the
// loader only holds the pointers. UiPart and UiPartGroup stay opaque on this side.
// Called on the thread that runs the script.
#pragma once

#include <cstdint>

class Canvas;
class UiPart;
class UiPartGroup;

class UiPanelServices {
public:
    virtual ~UiPanelServices() = default;

    // 0 made (out receives the part); nonzero failure (-2 no memory), out null. minusOne: the
    // loader passes -1.
    virtual std::int32_t NewImageButton(UiPart** out, std::int32_t x, std::int32_t y, const char* imagePath,
                                        bool option, std::int32_t variant, std::int32_t style,
                                        std::uint8_t b5, std::uint32_t colour, std::int32_t minusOne,
                                        bool passThrough) = 0;
    // Parts made with the same group leader form one group; a null leader starts none.
    virtual std::int32_t NewCheckPart(UiPart** out, std::int32_t x, std::int32_t y, const char* imagePath,
                                      std::int32_t type, bool option, UiPart* groupLeader, std::int32_t style,
                                      std::uint8_t b5, std::uint32_t colour, std::int32_t minusOne,
                                      bool passThrough) = 0;
    // 0 removed and deleted; 1 null; 2 not a part of this panel.
    virtual std::int32_t RemovePart(UiPart* part) = 0;
    // The canvas the panel draws on; null when it has none.
    virtual Canvas* PanelCanvas() = 0;
    // UiPartGroup::InsertPart(part, index); a negative index appends. 0 inserted.
    virtual std::int32_t InsertPart(UiPartGroup* group, UiPart* part, std::int32_t index) = 0;
    // UiPart::SetVisible and UiPart::SetId.
    virtual void SetVisible(UiPart* part, bool visible) = 0;
    virtual void SetId(UiPart* part, std::int32_t id) = 0;
};
