// TextBoxPart: the text box scripts put on the screen. The text is drawn into an image of its own
// shown by a sprite (blend mode 2), the caret is a colour rectangle blinked every 500 ms by a
// CaretBlinkTask while the box has focus, and the IME's composition is drawn into a second image
// shown at the caret.
//
// The caret task belongs to the scheduler once queued: the box reaches it through a TaskPointer
// (the task's owner back-pointer), which the scheduler nulls when the task is cancelled, cleared
// (a script's cancel-all) or deleted. The box cancels it when it is released and never touches
// it after; a box whose task is gone stops blinking. The task steps only the caret sprite, which
// lives as long as the box, and a released box's task is finished before the box goes.
#pragma once

#include <cstdint>

#include "framework/interfaces/deleting_destructor.h"
#include "framework/interfaces/task_scheduling.h"
#include "graphics/image/image.h"
#include "graphics/sprites/fill_rect_sprite.h"
#include "graphics/sprites/sprite.h"
#include "scenario/ui/text_box_part_base.h"

class SpriteList;

class CaretBlinkTask final : public WithDeletingDestructor<CaretBlinkTask, ScheduledTask> {
public:
    static constexpr std::uint32_t kPeriodMs = 500;

    explicit CaretBlinkTask(FillRectSprite* caret) : m_caret(caret) {}

    // While blinking, the caret shows and hides by turns; never finishes by itself.
    std::int32_t XM_METHOD Step(std::uint32_t now) override;
    // Touches nothing: the box hides its caret itself.
    void XM_METHOD Finish() override {}

    void SetBlinking(bool blinking) { m_blinking = blinking ? 1 : 0; }
    bool Blinking() const { return m_blinking != 0; }

private:
    FillRectSprite* m_caret;
    std::uint8_t m_blinking = 0;
};

class TextBoxPart : public TextBoxPartBase {
public:
    TextBoxPart();
    ~TextBoxPart() override;

    std::int32_t GetX() override { return m_sprite.X(); }
    std::int32_t GetY() override { return m_sprite.Y(); }
    std::int32_t SetPosition(std::int32_t x, std::int32_t y) override;
    // Hiding the focused box clears the focus; hiding the hovered one ends the hover.
    void SetVisible(bool visible) override;
    bool IsVisible() override { return m_sprite.IsVisible(); }
    std::int32_t SetPriority(std::int32_t priority, std::int32_t tag, bool redraw) override;
    std::int32_t GetPriority() override { return m_priority; }
    void SetAlpha(std::uint8_t alpha) override { m_sprite.SetAlpha(alpha); }
    std::uint8_t GetAlpha() override { return m_sprite.Alpha(); }
    void DropReferencesTo(const void* object) override;

    void Release() override;
    void Redraw() override;
    void UpdateComposition() override;
    void HideComposition() override;
    void PlaceCaret() override;
    void ShowCaret() override;
    void HideCaret() override;

    // A block of lineCount lines (at least 2) `length` pixels long, each of at least two
    // one-byte columns. 1 no list or font, a font size of 0, fewer lines or columns, or sizes
    // past 32 bits; 2 the text image or buffer could not be made; 3 the caret task could not be
    // queued; 4 the composition image failed. output may be unset; scheduler and context null.
    virtual std::int32_t CreateMultiLine(SpriteList* list, std::int32_t priority, TaskScheduler* scheduler,
                                         ImeContext* imeContext, Font* font, std::int32_t lineCount,
                                         std::int32_t length, const CallerText& output, std::int32_t x,
                                         std::int32_t y, std::int32_t margin, std::int32_t lineSpacing,
                                         bool bordered, std::int32_t tag);
    // One line `length` pixels long (at least 1); the same codes.
    virtual std::int32_t Create(SpriteList* list, std::int32_t priority, TaskScheduler* scheduler,
                                ImeContext* imeContext, Font* font, std::int32_t length, const CallerText& output,
                                std::int32_t x, std::int32_t y, std::int32_t margin, bool bordered,
                                std::int32_t tag);

    Sprite& TextSprite() { return m_sprite; }
    Image& TextImage() { return m_image; }
    FillRectSprite& CaretSprite() { return m_caretSprite; }
    Sprite& CompositionSprite() { return m_compositionSprite; }
    Image& CompositionImage() { return m_compositionImage; }
    // Null once the scheduler let go of it.
    CaretBlinkTask* CaretTask() const { return m_caretTask.Get(); }

private:
    std::int32_t Build(SpriteList* list, std::int32_t priority, TaskScheduler* scheduler, ImeContext* imeContext,
                       Font* font, std::int32_t lineCount, std::int32_t length, const CallerText& output,
                       std::int32_t x, std::int32_t y, std::int32_t margin, std::int32_t lineSpacing, bool bordered,
                       std::int32_t tag);
    // Draws text with the font in the box's text colour at (x, y) of image.
    void DrawString(Image* image, std::int32_t x, std::int32_t y, const char* text, std::int32_t pen[2]);
    void DrawFrame(bool farEdgesOnly);

    SpriteList* m_spriteList = nullptr;
    std::int32_t m_priority = 0;
    TaskScheduler* m_scheduler = nullptr;
    TaskPointer<CaretBlinkTask> m_caretTask;
    Image m_image;
    Sprite m_sprite;
    FillRectSprite m_caretSprite;
    Image m_compositionImage;
    Sprite m_compositionSprite;
};
