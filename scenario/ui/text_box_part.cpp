#include "scenario/ui/text_box_part.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "framework/app/ime_context.h"
#include "graphics/sprites/sprite_list.h"
#include "graphics/text/antialias_font.h"
#include "scenario/ui/ui_part_group.h"

namespace {

// The sunken frame's raw pixels.
constexpr std::uint32_t kFrameDark = 0x80000000;
constexpr std::uint32_t kFrameLight = 0x80ffffff;
constexpr std::int32_t kCaretThickness = 2;
constexpr std::int32_t kVerticalEscapement = 2700;

void Fill(Image& image, std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
          std::uint32_t value) {
    if (right <= left || bottom <= top) return;
    const RECT rect = {left, top, right, bottom};
    image.FillValue(value, &rect);
}

// Sets a font's colours for a drawing and puts them back afterwards.
class FontColours {
public:
    explicit FontColours(Font& font) : m_font(font) {
        std::memcpy(m_colour, font.colour, 3);
        m_effect = font.effect;
        m_offsetX = font.effectOffsetX;
        m_offsetY = font.effectOffsetY;
    }
    ~FontColours() {
        std::memcpy(m_font.colour, m_colour, 3);
        m_font.effect = m_effect;
        m_font.effectOffsetX = m_offsetX;
        m_font.effectOffsetY = m_offsetY;
    }
    FontColours(const FontColours&) = delete;
    FontColours& operator=(const FontColours&) = delete;

    void Colour(std::uint32_t rgb) {
        m_font.colour[0] = static_cast<std::uint8_t>(rgb >> 16);
        m_font.colour[1] = static_cast<std::uint8_t>(rgb >> 8);
        m_font.colour[2] = static_cast<std::uint8_t>(rgb);
    }

private:
    Font& m_font;
    std::uint8_t m_colour[3];
    std::uint8_t m_effect;
    std::int32_t m_offsetX;
    std::int32_t m_offsetY;
};

}  // namespace

std::int32_t XM_METHOD CaretBlinkTask::Step(std::uint32_t) {
    if (m_blinking) m_caret->SetVisible(m_caret->IsVisible() ? 0 : 1);
    return 0;
}

TextBoxPart::TextBoxPart() = default;

TextBoxPart::~TextBoxPart() {
    // Leaves while whole: the group's last calls (blur, leave) reach this type's handlers.
    LeaveGroup();
    Release();
}

// --- Placement ---

std::int32_t TextBoxPart::SetPosition(std::int32_t x, std::int32_t y) {
    if (!m_sprite.GetImage()) return 1;
    m_sprite.SetPosition(x, y);
    return 0;
}

void TextBoxPart::SetVisible(bool visible) {
    if (!visible && Group() && Group()->IsFocused(this)) Group()->FocusPart(nullptr);
    if (!visible && Group() && Group()->IsHovered(this)) Group()->EndHover();
    m_sprite.SetVisible(visible ? 1 : 0);
    if (!visible) {
        m_caretSprite.SetVisible(0);
        HideComposition();
    }
}

std::int32_t TextBoxPart::SetPriority(std::int32_t priority, std::int32_t tag, bool) {
    if (!m_spriteList) return 1;
    m_priority = priority;
    if (!m_sprite.List()) {
        if (!m_sprite.GetImage()) return 1;
        SetTag(tag);
        m_spriteList->Add(&m_sprite, static_cast<std::uint32_t>(priority), static_cast<std::uint32_t>(tag));
        m_spriteList->Add(&m_caretSprite, static_cast<std::uint32_t>(priority), static_cast<std::uint32_t>(tag));
    } else {
        m_spriteList->SetPriority(&m_sprite, static_cast<std::uint32_t>(priority), false);
        if (m_caretSprite.List()) m_spriteList->SetPriority(&m_caretSprite, static_cast<std::uint32_t>(priority), false);
    }
    return 0;
}

void TextBoxPart::DropReferencesTo(const void* object) {
    TextBoxPartBase::DropReferencesTo(object);
    if (object && object == m_spriteList) {
        m_sprite.Detach();
        m_caretSprite.Detach();
        m_compositionSprite.Detach();
        m_spriteList = nullptr;
    }
}

// --- Life ---

void TextBoxPart::Release() {
    if (CaretBlinkTask* const task = m_caretTask.Get()) {
        m_caretTask.Reset();
        m_scheduler->Cancel(task);
    }
    m_sprite.Detach();
    m_caretSprite.Detach();
    m_compositionSprite.Detach();
    m_sprite.Reset();
    m_caretSprite.SetVisible(0);
    m_compositionSprite.Reset();
    m_image.Free();
    m_compositionImage.Free();
    m_text.reset();
    m_lineStarts.reset();
    m_caret = 0;
    m_caretLine = 0;
    m_caretColumn = 0;
    m_width = 0;
    m_height = 0;
}

std::int32_t TextBoxPart::Create(SpriteList* list, std::int32_t priority, TaskScheduler* scheduler,
                                 ImeContext* imeContext, Font* font, std::int32_t length, const CallerText& output,
                                 std::int32_t x, std::int32_t y, std::int32_t margin, bool bordered, std::int32_t tag) {
    return Build(list, priority, scheduler, imeContext, font, 0, length, output, x, y, margin, 0, bordered, tag);
}

std::int32_t TextBoxPart::CreateMultiLine(SpriteList* list, std::int32_t priority, TaskScheduler* scheduler,
                                          ImeContext* imeContext, Font* font, std::int32_t lineCount,
                                          std::int32_t length, const CallerText& output, std::int32_t x,
                                          std::int32_t y, std::int32_t margin, std::int32_t lineSpacing,
                                          bool bordered, std::int32_t tag) {
    if (lineCount < 2) return 1;
    return Build(list, priority, scheduler, imeContext, font, lineCount, length, output, x, y, margin, lineSpacing,
                 bordered, tag);
}

std::int32_t TextBoxPart::Build(SpriteList* list, std::int32_t priority, TaskScheduler* scheduler,
                                ImeContext* imeContext, Font* font, std::int32_t lineCount, std::int32_t length,
                                const CallerText& output, std::int32_t x, std::int32_t y, std::int32_t margin,
                                std::int32_t lineSpacing, bool bordered, std::int32_t tag) {
    if (!list || !font || length < 1 || margin < 0) return 1;
    const std::int64_t s = font->logFont.lfHeight < 0 ? -static_cast<std::int64_t>(font->logFont.lfHeight)
                                                      : font->logFont.lfHeight;
    const std::int64_t inset = static_cast<std::int64_t>(margin) + (bordered ? 1 : 0);
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    // Script words: a size of 0 would divide by zero, and large ones must not wrap.
    if (s == 0) return 1;
    std::int64_t across = s + 2 * inset;
    std::int64_t columns = 0;
    std::int64_t capacity = m_capacity;
    if (lineCount > 0) {
        across += static_cast<std::int64_t>(lineCount - 1) * (lineSpacing + s);
        columns = (length - 2 * inset) / s * 2;
        if (columns < 2) return 1;
        capacity = (columns + 1) * lineCount;
    }
    if (across < 1 || across > kMax || capacity < 0 || capacity >= kMax) return 1;

    if (list == m_spriteList) m_spriteList = nullptr;
    Release();
    m_spriteList = list;
    m_font = font;
    m_verticalWriting = font->logFont.lfEscapement == kVerticalEscapement ? 1 : 0;
    m_bordered = bordered ? 1 : 0;
    m_margin = margin;
    m_lineCount = lineCount;
    m_lineSpacing = lineSpacing;
    m_columns = static_cast<std::int32_t>(columns);
    m_capacity = static_cast<std::int32_t>(capacity);
    m_width = m_verticalWriting ? static_cast<std::int32_t>(across) : length;
    m_height = m_verticalWriting ? length : static_cast<std::int32_t>(across);
    const std::int32_t size = static_cast<std::int32_t>(s);
    m_textX = static_cast<std::int32_t>(inset) + (m_verticalWriting ? size : 0);
    m_textY = static_cast<std::int32_t>(inset);

    if (m_image.Create(m_width, m_height, 32, 0) != 0) {
        Release();
        return 2;
    }
    m_image.FillValue(0, nullptr);
    if (m_bordered) DrawFrame(false);
    m_text.reset(new (std::nothrow) char[static_cast<std::size_t>(m_capacity) + 1]);
    if (lineCount > 0) m_lineStarts.reset(new (std::nothrow) std::int32_t[static_cast<std::size_t>(lineCount)]);
    if (!m_text || (lineCount > 0 && !m_lineStarts)) {
        Release();
        return 2;
    }
    m_text[0] = 0;
    if (lineCount > 0) m_lineStarts[0] = 0;
    output.Read(m_text.get(), m_capacity);
    m_output = output;

    m_sprite.SetImage(&m_image, nullptr, x, y);
    m_sprite.SetBlendMode(2);
    m_caretSprite.Setup(m_verticalWriting ? size : kCaretThickness, m_verticalWriting ? kCaretThickness : size,
                  0xFF000000u | m_textColour, x, y);
    m_caretSprite.SetVisible(0);

    if (scheduler) {
        auto* const task = new (std::nothrow) CaretBlinkTask(&m_caretSprite);
        if (!task || scheduler->Add(task, CaretBlinkTask::kPeriodMs, CaretBlinkTask::kPeriodMs, 0) != 0) {
            delete task;
            Release();
            return 3;
        }
        m_scheduler = scheduler;
        m_caretTask.Reset(task);
    }
    SetPriority(priority, tag, true);

    m_imeContext = imeContext;
    if (imeContext) {
        const std::int64_t along = static_cast<std::int64_t>(m_compositionLength) * s;
        if (along > kMax) {
            Release();
            return 4;
        }
        const std::int32_t w = m_verticalWriting ? size : static_cast<std::int32_t>(along);
        const std::int32_t h = m_verticalWriting ? static_cast<std::int32_t>(along) : size;
        if (m_compositionImage.Create(w, h, 32, 0) != 0 ||
            m_compositionSprite.SetImage(&m_compositionImage, nullptr, x, y) != 0) {
            Release();
            return 4;
        }
        m_compositionSprite.SetBlendMode(2);
        m_compositionSprite.SetVisible(0);
        list->Add(&m_compositionSprite, 0, static_cast<std::uint32_t>(tag));
    }
    if (lineCount > 0) LocateCaret(0);
    Redraw();
    return 0;
}

// --- Drawing ---

void TextBoxPart::DrawFrame(bool farEdgesOnly) {
    const std::int32_t w = m_width;
    const std::int32_t h = m_height;
    if (!farEdgesOnly) {
        Fill(m_image, 0, 0, w, 1, kFrameDark);
        Fill(m_image, 0, 0, 1, h, kFrameDark);
    }
    Fill(m_image, 0, h - 1, w, h, kFrameLight);
    Fill(m_image, w - 1, 0, w, h, kFrameLight);
}

void TextBoxPart::DrawString(Image* image, std::int32_t x, std::int32_t y, const char* text, std::int32_t pen[2]) {
    pen[0] = x;
    pen[1] = y;
    if (m_font->Kind() == kFontAntialias) {
        static_cast<AntialiasFont*>(m_font)->DrawText(image, x, y, text, nullptr, pen);
    } else {
        m_font->BlendString(image, x, y, text, nullptr, pen);
    }
}

void TextBoxPart::Redraw() {
    if (!m_image.Bits()) return;
    const std::int32_t b = m_bordered;
    const std::int32_t w = m_width;
    const std::int32_t h = m_height;
    const bool single = m_lineCount == 0;
    // A single line stops `margin` short of its far end; the text is cut there.
    const std::int32_t farX = single && !m_verticalWriting ? w - b - m_margin : w - b;
    const std::int32_t farY = single && m_verticalWriting ? h - b - m_margin : h - b;
    Fill(m_image, b, b, farX, farY, m_backColour);

    if (m_font && m_text) {
        FontColours colours(*m_font);
        colours.Colour(m_textColour);
        const char* const text = m_text.get();
        char one[3] = {0, 0, 0};
        std::int32_t pen[2];
        if (single) {
            const std::int32_t end = m_verticalWriting ? farY - m_textY : farX - m_textX;
            std::int32_t along = 0;
            for (std::int32_t pos = m_caretColumn; text[pos] != 0 && along < end;) {
                const std::int32_t next = NextCharacter(text, pos);
                std::memcpy(one, text + pos, static_cast<std::size_t>(next - pos));
                one[next - pos] = 0;
                const std::int32_t x = m_textX + (m_verticalWriting ? 0 : along);
                const std::int32_t y = m_textY + (m_verticalWriting ? along : 0);
                DrawString(&m_image, x, y, one, pen);
                along += m_verticalWriting ? pen[1] - y : pen[0] - x;
                pos = next;
            }
        } else {
            LayOut(true);
            // Typing can push text past the last line, which the cut drops: the caret stays in
            // the text.
            if (m_caret > Length()) m_caret = LocateCaret(Length());
            const std::int32_t s = CharSize();
            for (std::int32_t line = 0; line < m_usedLines; ++line) {
                const std::int32_t start = m_lineStarts[line];
                const std::int32_t stop = line + 1 < m_usedLines ? m_lineStarts[line + 1] : Length();
                const std::int32_t across = m_verticalWriting ? (m_lineCount - 1 - line) * (s + m_lineSpacing)
                                                              : line * (s + m_lineSpacing);
                std::int32_t along = 0;
                for (std::int32_t pos = start; pos < stop && text[pos] != 0 && text[pos] != '\n';) {
                    const std::int32_t next = NextCharacter(text, pos);
                    std::memcpy(one, text + pos, static_cast<std::size_t>(next - pos));
                    one[next - pos] = 0;
                    const std::int32_t x = m_textX + (m_verticalWriting ? across : along);
                    const std::int32_t y = m_textY + (m_verticalWriting ? along : across);
                    DrawString(&m_image, x, y, one, pen);
                    along += next - pos == 2 ? s : s / 2;
                    pos = next;
                }
            }
        }
    }

    // What the text drew past the visible end goes under the background again (inside a frame,
    // whose far edges are drawn again).
    if (single && !m_verticalWriting) {
        Fill(m_image, farX, b, w - b, h - b, m_backColour);
    } else if (single) {
        Fill(m_image, b, farY, w - b, h - b, m_backColour);
    } else {
        Fill(m_image, w - b - m_margin, b, w - b, h - b, m_backColour);
        Fill(m_image, b, h - b - m_margin, w - b, h - b, m_backColour);
    }
    if (m_bordered) DrawFrame(true);
    m_sprite.InvalidateArea(RECT{0, 0, w, h});
}

// --- Caret ---

void TextBoxPart::PlaceCaret() {
    if (!m_text) return;
    std::int32_t cx = 0;
    std::int32_t cy = 0;
    CaretGeometry(&cx, &cy);
    const std::int32_t inset = m_bordered + m_margin;
    m_caretSprite.SetPosition(GetX() + inset + cx, GetY() + inset + cy);
}

void TextBoxPart::ShowCaret() {
    if (!m_text) return;
    PlaceCaret();
    m_caretSprite.SetVisible(1);
    if (CaretBlinkTask* const task = m_caretTask.Get()) {
        task->SetBlinking(true);
        m_scheduler->SetNextTime(task, CaretBlinkTask::kPeriodMs);
    }
}

void TextBoxPart::HideCaret() {
    if (CaretBlinkTask* const task = m_caretTask.Get()) task->SetBlinking(false);
    m_caretSprite.SetVisible(0);
}

// --- Composition ---

void TextBoxPart::HideComposition() { m_compositionSprite.SetVisible(0); }

void TextBoxPart::UpdateComposition() {
    if (!m_imeContext || !m_compositionImage.Bits() || !m_font || !m_text) return;
    const char* const changed = m_imeContext->GetCompositionString();
    const char* const text = m_imeContext->CurrentComposition();
    if (!text || text[0] == 0) {
        HideComposition();
        return;
    }
    if (changed) {
        const std::int32_t cursor = m_imeContext->GetCursorPos();
        const std::int32_t clauseEnd = m_imeContext->GetFirstClauseEnd();
        const std::int32_t deltaStart = m_imeContext->GetDeltaStart();
        const std::int32_t length = static_cast<std::int32_t>(std::strlen(text));
        std::int32_t start = 0;
        std::int32_t end = NextCharacter(text, 0);
        if (cursor > 0 && cursor < length) {
            start = cursor;
            end = NextCharacter(text, cursor);
        } else if (clauseEnd != deltaStart && clauseEnd > 0) {
            end = std::min(clauseEnd, length);
        }
        m_lastCompositionStart = start;
        m_lastCompositionEnd = end;

        const std::int32_t s = CharSize();
        const std::int32_t room = m_verticalWriting ? m_compositionImage.Height() : m_compositionImage.Width();
        m_compositionImage.FillValue(0, nullptr);
        FontColours colours(*m_font);
        m_font->effect = 0;
        m_font->effectOffsetX = 2;
        m_font->effectOffsetY = 2;
        char one[3] = {0, 0, 0};
        std::int32_t pen[2];
        std::int32_t along = 0;
        for (std::int32_t pos = 0; text[pos] != 0;) {
            const std::int32_t next = NextCharacter(text, pos);
            const std::int32_t w = next - pos == 2 ? s : s / 2;
            if (along + w > room) break;
            const bool highlighted = pos >= start && pos < end;
            const std::uint32_t back = highlighted ? m_compositionTextColour : m_compositionBackColour;
            colours.Colour(highlighted ? m_compositionBackColour : m_compositionTextColour);
            const std::int32_t x = m_verticalWriting ? 0 : along;
            const std::int32_t y = m_verticalWriting ? along : 0;
            Fill(m_compositionImage, x, y, m_verticalWriting ? s : x + w, m_verticalWriting ? y + w : s,
                 0xFF000000u | back);
            std::memcpy(one, text + pos, static_cast<std::size_t>(next - pos));
            one[next - pos] = 0;
            DrawString(&m_compositionImage, m_verticalWriting ? s : x, y, one, pen);
            along += w;
            pos = next;
        }
        const RECT shown = m_verticalWriting ? RECT{0, 0, s, std::max(1, along)} : RECT{0, 0, std::max(1, along), s};
        m_compositionSprite.SetSourceRect(&shown);
        m_compositionSprite.InvalidateArea(shown);
    }
    PlaceCaret();
    const std::int32_t x = m_caretSprite.X() + (m_verticalWriting ? 0 : kCaretThickness);
    const std::int32_t y = m_caretSprite.Y() + (m_verticalWriting ? kCaretThickness : 0);
    m_compositionSprite.SetPosition(x, y);
    m_compositionSprite.SetVisible(1);
    m_imeContext->SetCompositionPos(x, y);
}
