#include "scenario/ui/ui_panel.h"

#include <new>
#include <utility>

#include "graphics/interfaces/graphics_object_lookup.h"
#include "graphics/interfaces/screen_buffer.h"
#include "graphics/sprites/canvas.h"
#include "scenario/text/game_part_group.h"
#include "scenario/text/text_window_part.h"
#include "scenario/ui/check_part.h"
#include "scenario/ui/ime_mode_indicator.h"
#include "scenario/ui/text_box_part.h"
#include "scenario/ui/frame_button_part.h"
#include "scenario/ui/hit_map_part.h"
#include "scenario/ui/hit_rect_part.h"
#include "scenario/ui/list_part.h"
#include "scenario/ui/select_list_part.h"
#include "scenario/ui/slider_arrow_button.h"
#include "scenario/ui/slider_part.h"
#include "scenario/ui/text_button.h"
#include "scenario/ui/ui_part.h"
#include "scenario/ui/ui_part_group.h"

namespace {

void* AllocateFromHeap(std::size_t size) { return ::operator new(size, std::nothrow); }

}  // namespace

// One owned part and the commands' view of its content. The view answers the part's type and,
// for the types whose content operations exist, forwards to them; the others give the "none"
// answers (null, 0, nothing done).
class UiPanel::Entry : public UiPartContent {
public:
    // An entry that does not own its part views a part another part owns (a slider's arrow).
    explicit Entry(UiPart* part, bool owned = true) : m_part(part), m_owned(owned) {}
    ~Entry() override {
        if (m_owned) delete m_part;
    }
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;

    UiPart* Part() const { return m_part; }

    std::int32_t TypeCode() override { return m_part->TypeCode(); }
    Drawable* PartSprite() override {
        switch (m_part->TypeCode()) {
        case kUiTextButton: return &static_cast<TextButton*>(m_part)->ButtonSprite();
        case kUiCheck: return &static_cast<CheckPart*>(m_part)->PartSprite();
        case kUiTextBox: return &static_cast<TextBoxPart*>(m_part)->TextSprite();
        case kUiFrameButton: return &static_cast<FrameButtonPart*>(m_part)->Rectangle();
        case kUiTextWindow: return &static_cast<TextWindowPart*>(m_part)->WindowSprite();
        case kUiSelectList: return &static_cast<SelectListPart*>(m_part)->PartSprite();
        default: return nullptr;
        }
    }
    Drawable* RowObject(std::int32_t row) override {
        ListPart* const list = List();
        if (!list) return nullptr;
        return list->RowSprite(row == -2 ? list->RowCount() : row);
    }
    char* TextBuffer() override {
        TextBoxPart* const box = Box();
        return box ? box->TextBuffer() : nullptr;
    }
    char* RowText(std::int32_t row) override {
        ListPart* const list = List();
        return list ? list->RowText(row) : nullptr;
    }
    std::uint8_t SetCheckState(bool checked) override {
        CheckPart* const check = Check();
        return check && check->SetChecked(checked) ? 1 : 0;
    }
    std::int32_t CheckState() override {
        CheckPart* const check = Check();
        return check && check->IsChecked() ? 1 : 0;
    }
    void SetText(const char* text) override {
        if (TextBoxPart* const box = Box()) box->SetText(text);
    }
    void SetSliderValue(std::int32_t value) override {
        if (m_part->TypeCode() == kUiSlider) static_cast<SliderPartBase*>(m_part)->SetValue(value);
    }
    bool NewLine() override { return false; }
    bool PutChar(std::uint8_t) override { return false; }
    void Select(std::int32_t row) override {
        if (HitMapPart* map = HitMap()) map->SelectRegion(row);
        if (m_part->TypeCode() == kUiSelectList) static_cast<SelectListPart*>(m_part)->Select(row);
    }
    std::int32_t ValueWord() override {
        switch (m_part->TypeCode()) {
        case kUiSlider: return static_cast<SliderPartBase*>(m_part)->Value();
        case kUiSelectList: return static_cast<SelectListPart*>(m_part)->Selected();
        default: break;
        }
        HitMapPart* const map = HitMap();
        return map ? map->CurrentRegion() : 0;
    }
    void SetTypeFlag(bool flag) override {
        if (m_part->TypeCode() == kUiTextButton) static_cast<TextButton*>(m_part)->SetRectHit(flag);
        if (CheckPart* const check = Check()) check->SetRectHit(flag);
        if (m_part->TypeCode() == kUiSlider) static_cast<SliderPartBase*>(m_part)->SetRectTrackHit(flag);
    }
    void SetInputLock(bool locked) override {
        if (HitMapPart* map = HitMap()) map->SetLocked(locked);
        if (ListPart* list = List()) list->SetLocked(locked);
        if (CheckPart* const check = Check()) check->SetLocked(locked);
        if (TextBoxPart* const box = Box()) box->SetLocked(locked);
    }

private:
    TextBoxPart* Box() const {
        return m_part->TypeCode() == kUiTextBox ? static_cast<TextBoxPart*>(m_part) : nullptr;
    }
    CheckPart* Check() const {
        return m_part->TypeCode() == kUiCheck ? static_cast<CheckPart*>(m_part) : nullptr;
    }
    HitMapPart* HitMap() const {
        return m_part->TypeCode() == kUiHitMap ? static_cast<HitMapPart*>(m_part) : nullptr;
    }
    ListPart* List() const {
        return m_part->TypeCode() == kUiList ? static_cast<ListPart*>(m_part) : nullptr;
    }

    UiPart* m_part;
    bool m_owned;
};

// The arrows sliders make enter the table of live parts, and leave it (every other part
// forgetting them) before the slider deletes them.
class UiPanel::ArrowRegistry final : public SliderArrowRegistry {
public:
    explicit ArrowRegistry(UiPanel& panel) : m_panel(panel) {}

    void EnterArrow(UiPart* arrow) override {
        std::unique_ptr<Entry> entry(new (std::nothrow) Entry(arrow, false));
        if (!entry) return;
        try {
            m_panel.m_innerParts.push_back(std::move(entry));
        } catch (const std::bad_alloc&) {
            return;
        }
        m_panel.m_handles.AddAs(HandleTable<UiPartContent>::WordOf(arrow), m_panel.m_innerParts.back().get());
    }
    void ForgetArrow(UiPart* arrow) override {
        auto& inner = m_panel.m_innerParts;
        for (auto it = inner.begin(); it != inner.end(); ++it) {
            if ((*it)->Part() != arrow) continue;
            m_panel.m_handles.Remove(arrow);
            inner.erase(it);
            break;
        }
        m_panel.DropFromParts(arrow);
    }

private:
    UiPanel& m_panel;
};

// What the image-set loader uses of the panel: image buttons made as scripts make them, the
// group and part operations passed straight through.
class UiPanel::Services : public UiPanelServices {
public:
    explicit Services(UiPanel& panel) : m_panel(panel) {}

    // The loader's words in the order of the script command: disabled face, pressed face,
    // blend mode, alpha, colour-key pixel (x, y) and priority.
    std::int32_t NewImageButton(UiPart** out, std::int32_t x, std::int32_t y, const char* imagePath, bool option,
                                std::int32_t variant, std::int32_t style, std::uint8_t b5, std::uint32_t colour,
                                std::int32_t minusOne, bool passThrough) override {
        if (!out) return 1;
        return m_panel.NewImageButton(out, x, y, imagePath, option, variant != 0, static_cast<std::uint8_t>(style),
                                      b5, static_cast<std::int32_t>(colour), minusOne, passThrough ? 1 : 0);
    }
    // The same order: kind, disabled faces, leader, blend mode, alpha, key pixel, priority.
    std::int32_t NewCheckPart(UiPart** out, std::int32_t x, std::int32_t y, const char* imagePath, std::int32_t type,
                              bool option, UiPart* groupLeader, std::int32_t style, std::uint8_t b5,
                              std::uint32_t colour, std::int32_t minusOne, bool passThrough) override {
        if (!out) return 1;
        // A kind outside a byte is no kind of the table.
        const std::uint8_t kind = type >= 0 && type < 256 ? static_cast<std::uint8_t>(type) : CheckPart::kKinds;
        return m_panel.NewCheckPart(out, x, y, imagePath, kind, option, groupLeader, static_cast<std::uint8_t>(style),
                                    b5, static_cast<std::int32_t>(colour), minusOne, passThrough ? 1 : 0);
    }
    std::int32_t RemovePart(UiPart* part) override { return m_panel.RemovePart(part); }
    Canvas* PanelCanvas() override { return m_panel.BoundCanvas(); }
    std::int32_t InsertPart(UiPartGroup* group, UiPart* part, std::int32_t index) override {
        return group ? group->InsertPart(part, index) : 1;
    }
    void SetVisible(UiPart* part, bool visible) override {
        if (part) part->SetVisible(visible);
    }
    void SetId(UiPart* part, std::int32_t id) override {
        if (part) part->SetId(id);
    }

private:
    UiPanel& m_panel;
};

UiPanel::UiPanel()
    : m_arrowRegistry(new ArrowRegistry(*this)), m_allocate(AllocateFromHeap), m_services(new Services(*this)) {}

UiPanel::~UiPanel() {
    DeleteParts();
    DropImeIndicator();
}

UiPanelServices& UiPanel::QgmServices() { return *m_services; }

bool UiPanel::SetUseSecondList(bool use) {
    const bool previous = m_useSecondList;
    m_useSecondList = use;
    return previous;
}

void UiPanel::SetButtonColours(std::uint32_t face, std::uint32_t highlight) {
    m_buttonFaceColour = face;
    m_buttonHighlightColour = highlight;
}

void UiPanel::SetTextBoxStyle(std::int32_t capacity, std::uint32_t backColour, std::uint32_t textColour) {
    m_textBoxCapacity = capacity;
    m_textBoxBackColour = backColour;
    m_textBoxTextColour = textColour;
}

void UiPanel::SetCompositionStyle(std::int32_t length, std::int32_t textColour, std::int32_t backColour) {
    m_compositionStyle[0] = length;
    m_compositionStyle[1] = textColour;
    m_compositionStyle[2] = backColour;
}

void UiPanel::SetSliderSettings(std::uint8_t clickMode, std::int32_t step) {
    m_sliderClickMode = clickMode;
    m_sliderStep = step;
}

void UiPanel::SetSliderPageActions(std::uint8_t up, std::uint8_t down) {
    m_sliderPageActions[0] = up;
    m_sliderPageActions[1] = down;
}

void UiPanel::SetSelectListColours(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint8_t flag) {
    m_selectListColours[0] = a;
    m_selectListColours[1] = b;
    m_selectListColours[2] = c;
    m_selectListFlag = flag;
}

void UiPanel::BindCanvas(Canvas* canvas) {
    m_canvas = canvas;
    m_spriteList = canvas ? &canvas->Sprites() : nullptr;
    m_secondList = canvas ? canvas->Overlay() : nullptr;
}

SpriteList* UiPanel::CreationList() const { return m_useSecondList ? m_secondList : m_spriteList; }

template <class T>
T* UiPanel::Allocate() {
    void* const memory = m_allocate ? m_allocate(sizeof(T)) : nullptr;
    return memory ? new (memory) T : nullptr;
}

std::int32_t UiPanel::Keep(UiPart* part, UiPart** out) {
    std::unique_ptr<Entry> entry(new (std::nothrow) Entry(part));
    if (!entry) {
        delete part;
        return -2;
    }
    try {
        m_parts.push_back(std::move(entry));
    } catch (const std::bad_alloc&) {
        return -2;  // the entry went with its part
    }
    m_handles.AddAs(HandleTable<UiPartContent>::WordOf(part), m_parts.back().get());
    *out = part;
    return 0;
}

std::int32_t UiPanel::Finish(UiPart* part, std::int32_t code, UiPart** out) {
    if (code != 0) {
        delete part;
        return code;
    }
    return Keep(part, out);
}

std::int32_t UiPanel::NewTextButton(UiPart** out, std::int32_t x, std::int32_t y, std::int32_t width,
                                    std::int32_t height, bool withDisabledFace, const char* caption, Font* font,
                                    std::int32_t priority) {
    *out = nullptr;
    TextButton* const part = Allocate<TextButton>();
    if (!part) return -2;
    part->SetFaceColour(m_buttonFaceColour);
    part->SetHighlightColour(m_buttonHighlightColour);
    return Finish(part,
                  part->Create(CreationList(), priority, caption, font, x, y, width, height, withDisabledFace, m_tag),
                  out);
}

std::int32_t UiPanel::NewImageButton(UiPart** out, std::int32_t x, std::int32_t y, const char* fileName,
                                     bool withDisabledFace, bool withPressedFace, std::uint8_t blendMode,
                                     std::uint8_t alpha, std::int32_t keyX, std::int32_t keyY,
                                     std::int32_t priority) {
    *out = nullptr;
    TextButton* const part = Allocate<TextButton>();
    if (!part) return -2;
    return Finish(part,
                  part->CreateFromFile(CreationList(), priority, fileName, withDisabledFace, withPressedFace, x, y,
                                       blendMode, alpha, keyX, keyY, m_tag),
                  out);
}

std::int32_t UiPanel::NewImageObjectButton(UiPart** out, std::int32_t x, std::int32_t y, Image* image,
                                           bool withDisabledFace, bool withPressedFace, std::uint8_t blendMode,
                                           std::uint8_t alpha, std::int32_t priority) {
    *out = nullptr;
    TextButton* const part = Allocate<TextButton>();
    if (!part) return -2;
    return Finish(part,
                  part->CreateFromImage(CreationList(), priority, image, withDisabledFace, withPressedFace, x, y,
                                        blendMode, alpha, m_tag),
                  out);
}

bool UiPanel::CheckLeader(UiPart* part, CheckPart** leader) const {
    *leader = nullptr;
    if (!part) return true;
    if (!Owns(part) || part->TypeCode() != kUiCheck) return false;
    *leader = static_cast<CheckPart*>(part);
    return true;
}

std::int32_t UiPanel::NewCheckPart(UiPart** out, std::int32_t x, std::int32_t y, const char* fileName,
                                   std::uint8_t kind, bool withDisabledFaces, UiPart* groupLeader,
                                   std::uint8_t blendMode, std::uint8_t alpha, std::int32_t keyX, std::int32_t keyY,
                                   std::int32_t priority) {
    *out = nullptr;
    CheckPart* leader = nullptr;
    if (!CheckLeader(groupLeader, &leader)) return 1;
    CheckPart* const part = Allocate<CheckPart>();
    if (!part) return -2;
    return Finish(part,
                  part->CreateFromFile(CreationList(), priority, CallerWord(), fileName, kind, withDisabledFaces,
                                       leader, x, y, blendMode, alpha, keyX, keyY, m_tag),
                  out);
}

std::int32_t UiPanel::NewCheckPartFromImage(UiPart** out, std::int32_t x, std::int32_t y, Image* image,
                                            std::uint8_t kind, bool withDisabledFaces, UiPart* groupLeader,
                                            std::uint8_t blendMode, std::uint8_t alpha, std::int32_t priority) {
    *out = nullptr;
    CheckPart* leader = nullptr;
    if (!CheckLeader(groupLeader, &leader)) return 1;
    CheckPart* const part = Allocate<CheckPart>();
    if (!part) return -2;
    return Finish(part,
                  part->CreateFromImage(CreationList(), priority, CallerWord(), image, kind, withDisabledFaces, leader,
                                        x, y, blendMode, alpha, m_tag),
                  out);
}

void UiPanel::PrepareTextBox(TextBoxPart* box) const {
    box->SetCapacity(m_textBoxCapacity);
    box->SetBackColour(m_textBoxBackColour);
    box->SetTextColour(m_textBoxTextColour);
    box->SetCompositionStyle(m_compositionStyle[0], m_compositionStyle[1], m_compositionStyle[2]);
}

std::int32_t UiPanel::FinishTextBox(TextBoxPart* box, std::int32_t code, UiPart** out) {
    if (code == 0) {
        box->SetImeIndicator(m_imeIndicator.get());
        box->SetImeOnFocus(m_textBoxImeFlag != 0);
    }
    return Finish(box, code, out);
}

std::int32_t UiPanel::NewTextBoxPart(UiPart** out, std::int32_t x, std::int32_t y, Font* font, std::int32_t length,
                                     std::int32_t margin, bool bordered, std::int32_t priority) {
    *out = nullptr;
    TextBoxPart* const part = Allocate<TextBoxPart>();
    if (!part) return -2;
    PrepareTextBox(part);
    return FinishTextBox(part,
                         part->Create(CreationList(), priority, m_taskScheduler, m_textInput, font, length,
                                      CallerText(), x, y, margin, bordered, m_tag),
                         out);
}

std::int32_t UiPanel::NewTextBoxPartEx(UiPart** out, std::int32_t x, std::int32_t y, Font* font,
                                       std::int32_t lineCount, std::int32_t length, std::int32_t margin,
                                       std::int32_t lineSpacing, bool bordered, std::int32_t priority) {
    *out = nullptr;
    TextBoxPart* const part = Allocate<TextBoxPart>();
    if (!part) return -2;
    PrepareTextBox(part);
    return FinishTextBox(part,
                         part->CreateMultiLine(CreationList(), priority, m_taskScheduler, m_textInput, font, lineCount,
                                               length, CallerText(), x, y, margin, lineSpacing, bordered, m_tag),
                         out);
}

void UiPanel::AttachIndicator(ImeModeIndicator* indicator) {
    for (UiPart* const part : Parts()) {
        if (part->TypeCode() == kUiTextBox) static_cast<TextBoxPart*>(part)->SetImeIndicator(indicator);
    }
}

std::int32_t UiPanel::SetImeIndicator(Font* font, std::int32_t x, std::int32_t y) {
    if (!m_canvas) return 1;
    if (m_imeIndicator && font && m_imeIndicator->IndicatorFont() == font) {
        m_imeIndicator->SetPosition(x, y);
        return 0;
    }
    // The boxes let go of the old indicator before it goes, whether or not a new one comes.
    DropImeIndicator();
    std::unique_ptr<ImeModeIndicator> indicator(new (std::nothrow) ImeModeIndicator);
    if (!indicator) return -2;
    const std::int32_t code = indicator->Create(CreationList(), m_textInput, font, x, y, true, m_tag);
    if (code != 0) return code;
    m_imeIndicator = std::move(indicator);
    AttachIndicator(m_imeIndicator.get());
    return 0;
}

void UiPanel::DropImeIndicator() {
    if (!m_imeIndicator) return;
    AttachIndicator(nullptr);
    m_imeIndicator.reset();
}

std::int32_t UiPanel::NewFrameButtonPart(UiPart** out, std::int32_t x, std::int32_t y, std::int32_t width,
                                         std::int32_t height, std::uint32_t colour, std::uint32_t hoverColour,
                                         std::uint32_t pressedColour, std::int32_t priority) {
    *out = nullptr;
    FrameButtonPart* const part = Allocate<FrameButtonPart>();
    if (!part) return -2;
    return Finish(part,
                  part->Create(CreationList(), priority, x, y, width, height, colour, hoverColour, pressedColour,
                               m_tag),
                  out);
}

std::int32_t UiPanel::NewHitRectPart(UiPart** out, std::int32_t x, std::int32_t y, std::int32_t width,
                                     std::int32_t height, std::int32_t focusX, std::int32_t focusY,
                                     bool pointerActive, bool activatable) {
    *out = nullptr;
    HitRectPart* const part = Allocate<HitRectPart>();
    if (!part) return -2;
    return Finish(part, part->Create(x, y, width, height, focusX, focusY, pointerActive, activatable, m_tag), out);
}

std::int32_t UiPanel::NewHitMapPart(UiPart** out, const char* fileName, std::uint8_t regionCount,
                                    std::int32_t x, std::int32_t y, bool activatable) {
    *out = nullptr;
    HitMapPart* const part = Allocate<HitMapPart>();
    if (!part) return -2;
    return Finish(part, part->Create(fileName, regionCount, x, y, activatable, m_tag), out);
}

std::int32_t UiPanel::NewSliderPart(UiPart** out, std::int32_t x, std::int32_t y, bool vertical,
                                   std::int32_t breadth, std::uint32_t faceColour, std::uint32_t trackColour,
                                   std::uint32_t hoverColour, std::uint32_t pressedColour,
                                   std::uint32_t arrowColour, std::int32_t priority) {
    *out = nullptr;
    SliderPart* const part = Allocate<SliderPart>();
    if (!part) return -2;
    part->SetArrowRegistry(m_arrowRegistry.get());
    const std::int32_t code = part->Create(CreationList(), priority, x, y, vertical, breadth, faceColour, trackColour,
                                           hoverColour, pressedColour, arrowColour, m_tag);
    if (code == 0) {
        part->SetPageActions(m_sliderPageActions[0], m_sliderPageActions[1]);
        part->SetClickMode(m_sliderClickMode);
        part->SetStep(m_sliderStep);
    }
    return Finish(part, code, out);
}

std::int32_t UiPanel::NewSliderPartEx(UiPart** out, std::int32_t x, std::int32_t y, std::int32_t trackX,
                                     std::int32_t trackY, const char* thumbFile, std::int32_t thumbStartCap,
                                     std::int32_t thumbEndCap, const char* trackFile, std::int32_t trackStartCap,
                                     std::int32_t trackEndCap, const char* decArrowFile, const char* incArrowFile,
                                     bool withDisabledFaces, bool vertical, std::uint8_t blendMode,
                                     std::uint8_t alpha, std::int32_t keyX, std::int32_t keyY,
                                     std::int32_t priority) {
    *out = nullptr;
    SliderPart* const part = Allocate<SliderPart>();
    if (!part) return -2;
    part->SetArrowRegistry(m_arrowRegistry.get());
    const std::int32_t code =
        part->CreateFromImages(CreationList(), priority, x, y, trackX, trackY, thumbFile, thumbStartCap, thumbEndCap,
                               trackFile, trackStartCap, trackEndCap, decArrowFile, incArrowFile, withDisabledFaces,
                               vertical, blendMode, alpha, keyX, keyY, m_tag);
    if (code == 0) {
        part->SetPageActions(m_sliderPageActions[0], m_sliderPageActions[1]);
        part->SetClickMode(m_sliderClickMode);
        part->SetStep(m_sliderStep);
    }
    return Finish(part, code, out);
}

std::int32_t UiPanel::NewSelectListPart(UiPart** out, Font* font, std::int32_t height, std::int32_t width,
                                       std::int32_t x, std::int32_t y, const char* thumbFile,
                                       std::int32_t thumbStartCap, std::int32_t thumbEndCap,
                                       std::int32_t sliderLength, std::int32_t sliderX, std::int32_t sliderY,
                                       std::uint8_t blendMode, const char* markFile, std::int32_t spacing,
                                       std::int32_t priority) {
    *out = nullptr;
    SelectListPart* const part = Allocate<SelectListPart>();
    if (!part) return -2;
    part->SetColours(m_selectListColours[0], m_selectListColours[1], m_selectListColours[2]);
    part->SetNewRowFlag(m_selectListFlag);
    const std::int32_t code =
        part->Setup(CreationList(), priority, font, height, width, x, y, thumbFile, thumbStartCap, thumbEndCap,
                    sliderLength, sliderX, sliderY, blendMode, markFile, spacing, m_tag);
    if (code == 0) {
        part->SetPageActions(m_sliderPageActions[0], m_sliderPageActions[1]);
        part->ScrollBar().SetClickMode(m_sliderClickMode);
        if (m_sliderStep != 0) part->ScrollBar().SetStep(m_sliderStep);
    }
    return Finish(part, code, out);
}

std::int32_t UiPanel::NewTextWindowPart(UiPart** out, std::int32_t x, std::int32_t y, std::int32_t width,
                                        std::int32_t height, Font* font, Font* rubyFont,
                                        const char* decorationName, const char* maskAName,
                                        const char* maskBName, std::int32_t priority) {
    *out = nullptr;
    TextWindowPart* const part = Allocate<TextWindowPart>();
    if (!part) return -2;
    std::int32_t code = 0;
    if (decorationName || maskAName || maskBName) code = part->SetSkinImages(decorationName, maskAName, maskBName, true);
    if (code == 0) code = part->Create(CreationList(), priority, width, height, x, y, font, rubyFont, m_tag);
    return Finish(part, code, out);
}

std::int32_t UiPanel::NewListPart(UiPart** out, std::int32_t x, std::int32_t y, std::int32_t width,
                                 std::int32_t height, std::int32_t spacing, Font* font, std::int32_t priority) {
    *out = nullptr;
    ListPart* const part = Allocate<ListPart>();
    if (!part) return -2;
    return Finish(part, part->Create(CreationList(), priority, x, y, width, height, spacing, font, m_tag), out);
}

void UiPanel::DropFromParts(const void* object) {
    for (UiPart* const part : Parts()) part->DropReferencesTo(object);
}

void UiPanel::DeleteEntry(std::size_t index) {
    std::unique_ptr<Entry> entry = std::move(m_parts[index]);
    m_parts.erase(m_parts.begin() + static_cast<std::ptrdiff_t>(index));
    UiPart* const part = entry->Part();
    m_handles.Remove(part);
    DropFromParts(part);
    entry.reset();
}

std::int32_t UiPanel::RemovePart(UiPart* part) {
    if (!part) return 1;
    for (std::size_t i = 0; i < m_parts.size(); ++i) {
        if (m_parts[i]->Part() == part) {
            DeleteEntry(i);
            return 0;
        }
    }
    return 2;
}

std::int32_t UiPanel::RemovePartsOfKind(std::int32_t tag, bool invert) {
    // One at a time from the start: a part's destructor may reach the panel again.
    for (std::size_t i = 0; i < m_parts.size();) {
        if ((m_parts[i]->Part()->GetTag() == tag) != invert) {
            DeleteEntry(i);
            i = 0;
        } else {
            ++i;
        }
    }
    return static_cast<std::int32_t>(m_parts.size());
}

void UiPanel::DeleteParts() {
    while (!m_parts.empty()) DeleteEntry(m_parts.size() - 1);
    m_handles.Clear();
}

UiPart* UiPanel::FindUiPart(std::uint32_t word) {
    UiPartContent* const content = m_handles.Find(word);
    return content ? static_cast<Entry*>(content)->Part() : nullptr;
}

UiPartContent* UiPanel::FindPart(std::uint32_t word) { return m_handles.Find(word); }

std::vector<UiPart*> UiPanel::Parts() const {
    std::vector<UiPart*> parts;
    parts.reserve(m_parts.size());
    for (const std::unique_ptr<Entry>& entry : m_parts) parts.push_back(entry->Part());
    return parts;
}

bool UiPanel::Owns(const UiPart* part) const {
    for (const std::unique_ptr<Entry>& entry : m_parts) {
        if (entry->Part() == part) return true;
    }
    return false;
}

void UiPanel::OnObjectDeleting(ListedObjectFamily family, const void* object, const void* otherFace) {
    const std::uint32_t word = HandleTable<UiPartContent>::WordOf(object);
    if (family == ListedObjectFamily::kSurface && m_lookup) {
        // A screen takes its canvas, the canvas's lists and its back buffer with it.
        if (ScreenBuffer* const screen = m_lookup->FindScreenBuffer(word)) {
            Canvas* const canvas = screen->GetCanvas();
            if (canvas && canvas == m_canvas) {
                if (m_spriteList) DropFromParts(m_spriteList);
                if (m_secondList) DropFromParts(m_secondList);
                if (m_imeIndicator) {
                    m_imeIndicator->DropList(m_spriteList);
                    m_imeIndicator->DropList(m_secondList);
                }
                BindCanvas(nullptr);
            }
            if (m_group && canvas) m_group->DropReferencesTo(canvas);
            if (m_group) m_group->DropReferencesTo(screen->GetImage());
        }
        // Parts hold software images by their Image side.
        Image* const image = m_lookup->FindImage(word);
        if (image && static_cast<const void*>(image) != object) DropFromParts(image);
    }
    // An indicator whose font goes is deleted (the boxes detached first).
    if (m_imeIndicator && object && m_imeIndicator->IndicatorFont() == object) DropImeIndicator();
    DropFromParts(object);
    if (otherFace) DropFromParts(otherFace);
    if (m_group) m_group->DropReferencesTo(object);
}
