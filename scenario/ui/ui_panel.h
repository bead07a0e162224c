// UiPanel: the factory and owner of the UI parts scripts create. It is bound to one canvas,
// creates a part of the requested type with its current default colours and settings, places
// the part's sprite in the canvas's own list (or the canvas's overlay list while the second-list
// switch is on) with the panel's current tag, keeps every part it made in creation order, and
// deletes parts one at a time, by tag, or all at once. The game has one panel; the application
// deletes its parts in its shutdown, before the group, canvases and fonts go.
//
// The panel keeps the command base's table of live parts: a part enters it when it is made and
// leaves it on every path that deletes it, so a word a script holds finds a part only while the
// part lives (UiPartLookup). The image-set loader reaches the panel through QgmServices().
//
// Canvases, sprite lists, fonts and images the parts borrow belong to the screen device, which
// scripts may release at any time. The panel listens to the device's deletion notice: a dying
// screen whose canvas the panel is bound to unbinds the panel (its parts first let go of the
// canvas's lists), the group forgets it, and every part forgets whatever else names the dying
// object. Deleting a part also makes every other part forget it (neighbours).
//
// Parts leave their group in their own destructor; deleting never goes through the group.
// Used on the game thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/util/handle_table.h"
#include "graphics/device/object_deletion_listener.h"
#include "scenario/interfaces/ui_panel_services.h"
#include "scenario/interfaces/ui_part.h"

class Canvas;
class CheckPart;
class ImeContext;
class ImeModeIndicator;
class TaskScheduler;
class TextBoxPart;
class Font;
class GamePartGroup;
class GraphicsObjectLookup;
class Image;
class SpriteList;
class UiPart;
class UiPartGroup;

class UiPanel : public UiPartLookup, public ObjectDeletionListener {
public:
    // Memory for a new part; null makes the creation answer -2.
    using PartAllocator = void* (*)(std::size_t size);

    UiPanel();
    ~UiPanel() override;
    UiPanel(const UiPanel&) = delete;
    UiPanel& operator=(const UiPanel&) = delete;

    // --- Settings, used by every later creation ---
    void SetTag(std::int32_t tag) { m_tag = tag; }
    std::int32_t Tag() const { return m_tag; }
    // Returns the previous value.
    bool SetUseSecondList(bool use);
    void SetButtonColours(std::uint32_t face, std::uint32_t highlight);
    void SetTextBoxStyle(std::int32_t capacity, std::uint32_t backColour, std::uint32_t textColour);
    void SetCompositionStyle(std::int32_t length, std::int32_t textColour, std::int32_t backColour);
    void SetSliderSettings(std::uint8_t clickMode, std::int32_t step);
    // The action-map actions that page new sliders and select lists backwards and forwards.
    void SetSliderPageActions(std::uint8_t up, std::uint8_t down);
    void SetSelectListColours(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint8_t flag);

    // Copied into each new text box as its IME-on-focus flag.
    void SetTextBoxImeFlag(bool flag) { m_textBoxImeFlag = flag ? 1 : 0; }
    // The caret tasks' scheduler and the input context handed to text boxes and the IME
    // indicator (the script engine's, set at its start).
    void SetTaskScheduler(TaskScheduler* scheduler) { m_taskScheduler = scheduler; }
    void SetTextInput(ImeContext* context) { m_textInput = context; }

    std::uint32_t ButtonFaceColour() const { return m_buttonFaceColour; }
    std::uint32_t ButtonHighlightColour() const { return m_buttonHighlightColour; }

    // Stores the canvas, its own sprite list and its overlay list; null clears all three.
    void BindCanvas(Canvas* canvas);
    Canvas* BoundCanvas() const { return m_canvas; }
    SpriteList* PartSpriteList() const { return m_spriteList; }
    SpriteList* SecondList() const { return m_secondList; }

    // The group that forgets dying screens and fonts with the panel's parts (null: none).
    void SetGroup(GamePartGroup* group) { m_group = group; }
    // How a dying surface's word finds its screen (the screen device's tables).
    void SetObjectLookup(GraphicsObjectLookup* lookup) { m_lookup = lookup; }

    // --- Creation: 0 with the part in out and in the panel; else the part's own code (or -2,
    // no memory), nothing kept and out null ---
    // Type 0: the drawn button takes the panel's face and highlight colours.
    std::int32_t NewTextButton(UiPart** out, std::int32_t x, std::int32_t y, std::int32_t width,
                               std::int32_t height, bool withDisabledFace, const char* caption, Font* font,
                               std::int32_t priority);
    std::int32_t NewImageButton(UiPart** out, std::int32_t x, std::int32_t y, const char* fileName,
                                bool withDisabledFace, bool withPressedFace, std::uint8_t blendMode,
                                std::uint8_t alpha, std::int32_t keyX, std::int32_t keyY, std::int32_t priority);
    std::int32_t NewImageObjectButton(UiPart** out, std::int32_t x, std::int32_t y, Image* image,
                                      bool withDisabledFace, bool withPressedFace, std::uint8_t blendMode,
                                      std::uint8_t alpha, std::int32_t priority);
    // Type 1: a radio kind names a check part of this panel that leads a radio group, or none
    // to lead a new one; any other leader answers 1.
    std::int32_t NewCheckPart(UiPart** out, std::int32_t x, std::int32_t y, const char* fileName, std::uint8_t kind,
                              bool withDisabledFaces, UiPart* groupLeader, std::uint8_t blendMode, std::uint8_t alpha,
                              std::int32_t keyX, std::int32_t keyY, std::int32_t priority);
    std::int32_t NewCheckPartFromImage(UiPart** out, std::int32_t x, std::int32_t y, Image* image, std::uint8_t kind,
                                       bool withDisabledFaces, UiPart* groupLeader, std::uint8_t blendMode,
                                       std::uint8_t alpha, std::int32_t priority);
    std::int32_t NewFrameButtonPart(UiPart** out, std::int32_t x, std::int32_t y, std::int32_t width,
                                    std::int32_t height, std::uint32_t colour, std::uint32_t hoverColour,
                                    std::uint32_t pressedColour, std::int32_t priority);
    std::int32_t NewHitRectPart(UiPart** out, std::int32_t x, std::int32_t y, std::int32_t width,
                                std::int32_t height, std::int32_t focusX, std::int32_t focusY,
                                bool pointerActive, bool activatable);
    std::int32_t NewHitMapPart(UiPart** out, const char* fileName, std::uint8_t regionCount, std::int32_t x,
                               std::int32_t y, bool activatable);
    // Type 4: after success the slider takes the panel's page actions, click mode and step. Its
    // arrows enter the table of live parts with it and leave it when the slider drops them.
    std::int32_t NewSliderPart(UiPart** out, std::int32_t x, std::int32_t y, bool vertical, std::int32_t breadth,
                               std::uint32_t faceColour, std::uint32_t trackColour, std::uint32_t hoverColour,
                               std::uint32_t pressedColour, std::uint32_t arrowColour, std::int32_t priority);
    std::int32_t NewSliderPartEx(UiPart** out, std::int32_t x, std::int32_t y, std::int32_t trackX, std::int32_t trackY,
                                 const char* thumbFile, std::int32_t thumbStartCap, std::int32_t thumbEndCap,
                                 const char* trackFile, std::int32_t trackStartCap, std::int32_t trackEndCap,
                                 const char* decArrowFile, const char* incArrowFile, bool withDisabledFaces,
                                 bool vertical, std::uint8_t blendMode, std::uint8_t alpha, std::int32_t keyX,
                                 std::int32_t keyY, std::int32_t priority);
    // Type 9: the select-list colours and new-row flag before the set-up; the page actions and
    // click mode after it, and the step when one was set (else the scroll bar keeps the row
    // pitch as its step).
    std::int32_t NewSelectListPart(UiPart** out, Font* font, std::int32_t height, std::int32_t width, std::int32_t x,
                                   std::int32_t y, const char* thumbFile, std::int32_t thumbStartCap,
                                   std::int32_t thumbEndCap, std::int32_t sliderLength, std::int32_t sliderX,
                                   std::int32_t sliderY, std::uint8_t blendMode, const char* markFile,
                                   std::int32_t spacing, std::int32_t priority);
    // Skin images are loaded first when any name is given.
    std::int32_t NewTextWindowPart(UiPart** out, std::int32_t x, std::int32_t y, std::int32_t width,
                                   std::int32_t height, Font* font, Font* rubyFont, const char* decorationName,
                                   const char* maskAName, const char* maskBName, std::int32_t priority);

    // Type 3: the panel's capacity, colours and composition style first, then the box made with
    // the panel's scheduler and input context and no output; the IME indicator (if any) is
    // attached and the IME flag copied.
    std::int32_t NewTextBoxPart(UiPart** out, std::int32_t x, std::int32_t y, Font* font, std::int32_t length,
                                std::int32_t margin, bool bordered, std::int32_t priority);
    std::int32_t NewTextBoxPartEx(UiPart** out, std::int32_t x, std::int32_t y, Font* font, std::int32_t lineCount,
                                  std::int32_t length, std::int32_t margin, std::int32_t lineSpacing, bool bordered,
                                  std::int32_t priority);

    // 1 no canvas bound. The same font only moves the indicator (0). Otherwise the old one is
    // detached from every text box and deleted, a right-aligned one made with the font (its
    // failure code, with no indicator left) and attached to every text box; 0.
    std::int32_t SetImeIndicator(Font* font, std::int32_t x, std::int32_t y);
    // Detaches the indicator from every text box, then deletes it.
    void DropImeIndicator();
    ImeModeIndicator* ImeIndicator() const { return m_imeIndicator.get(); }

    // Type 6: a choice list centred vertically on y, plain rows width x height.
    std::int32_t NewListPart(UiPart** out, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                             std::int32_t spacing, Font* font, std::int32_t priority);

    // 0 deleted; 1 null part; 2 not a part of this panel.
    std::int32_t RemovePart(UiPart* part);
    // Deletes every part whose tag equals `tag` (with invert: differs from it); the number of
    // parts left.
    std::int32_t RemovePartsOfKind(std::int32_t tag, bool invert);
    void DeleteParts();

    // The live part a script's word names, or null (UiPartLookup gives its content view).
    UiPart* FindUiPart(std::uint32_t word);
    UiPartContent* FindPart(std::uint32_t word) override;
    // The parts in creation order.
    std::vector<UiPart*> Parts() const;
    bool Owns(const UiPart* part) const;

    void OnObjectDeleting(ListedObjectFamily family, const void* object, const void* otherFace) override;

    UiPanelServices& QgmServices();

    // Tests make creation run out of memory with an allocator that answers null.
    void SetPartAllocator(PartAllocator allocator) { m_allocate = allocator; }

private:
    class Entry;
    class Services;
    class ArrowRegistry;

    // Allocates and constructs a part of type T; null when the allocator fails.
    template <class T>
    T* Allocate();
    // Deletes a part whose set-up answered a code, or keeps it.
    std::int32_t Finish(UiPart* part, std::int32_t code, UiPart** out);
    // Enters a created part; -2 (the part deleted) when the list cannot grow.
    std::int32_t Keep(UiPart* part, UiPart** out);
    // The list chosen by the second-list switch.
    SpriteList* CreationList() const;
    // Takes the entry out of the list and the table, lets every other part forget the part,
    // then deletes it.
    void DeleteEntry(std::size_t index);
    // Every part forgets object.
    void DropFromParts(const void* object);
    // The check part a creation names as its group leader: null for none; false for a word
    // that is not a check part of this panel.
    bool CheckLeader(UiPart* part, CheckPart** leader) const;
    // The settings a new text box takes before its creation, and after it.
    void PrepareTextBox(TextBoxPart* box) const;
    std::int32_t FinishTextBox(TextBoxPart* box, std::int32_t code, UiPart** out);
    // Every text box of the panel points to the indicator (null: to none).
    void AttachIndicator(ImeModeIndicator* indicator);

    std::vector<std::unique_ptr<Entry>> m_parts;
    // Parts the panel's parts own (slider arrows): in the table of live parts, not deleted here.
    std::vector<std::unique_ptr<Entry>> m_innerParts;
    std::unique_ptr<ArrowRegistry> m_arrowRegistry;
    HandleTable<UiPartContent> m_handles;
    Canvas* m_canvas = nullptr;
    SpriteList* m_spriteList = nullptr;
    SpriteList* m_secondList = nullptr;
    std::int32_t m_tag = 0;
    bool m_useSecondList = false;
    std::uint32_t m_buttonFaceColour = 0xd4d0c8;
    std::uint32_t m_buttonHighlightColour = 0x400080ff;
    std::int32_t m_textBoxCapacity = 255;
    std::uint32_t m_textBoxBackColour = 0xc0c0dcc0;
    std::uint32_t m_textBoxTextColour = 0;
    std::uint8_t m_textBoxImeFlag = 0;
    std::int32_t m_compositionStyle[3] = {0, -1, -1};
    std::uint8_t m_sliderClickMode = 0;
    std::int32_t m_sliderStep = 0;
    std::uint8_t m_sliderPageActions[2] = {0, 0};
    std::uint32_t m_selectListColours[3] = {0xc0c0dcc0, 0xffff9cbf, 0xc00b2bd7};
    std::uint8_t m_selectListFlag = 1;

    TaskScheduler* m_taskScheduler = nullptr;
    ImeContext* m_textInput = nullptr;
    std::unique_ptr<ImeModeIndicator> m_imeIndicator;
    GamePartGroup* m_group = nullptr;
    GraphicsObjectLookup* m_lookup = nullptr;
    PartAllocator m_allocate;
    std::unique_ptr<Services> m_services;
};
