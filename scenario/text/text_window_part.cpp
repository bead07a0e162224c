#include "scenario/text/text_window_part.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "graphics/sprites/fill_rect_sprite.h"
#include "graphics/sprites/sprite_list.h"
#include "graphics/text/antialias_font.h"
#include "graphics/text/text_syntax.h"
#include "scenario/ui/ui_part_group.h"

TextWindowPart::TextWindowPart() = default;

TextWindowPart::~TextWindowPart() {
    // Leaves while whole, so the group's last calls reach this type's own handlers.
    LeaveGroup();
    Release();
    ReleaseSkinImages(false);
    DeleteHighlights();
    ClearItems();
}

// --- Placement ---

std::int32_t TextWindowPart::SetPosition(std::int32_t x, std::int32_t y) {
    if (!HasImage()) {
        return 1;
    }
    const std::int32_t dx = x - m_sprite.X();
    const std::int32_t dy = y - m_sprite.Y();
    m_sprite.SetPosition(x, y);
    for (FillRectSprite* highlight : m_highlights) {
        highlight->MoveBy(dx, dy);
    }
    return 0;
}

void TextWindowPart::SetVisible(bool on) {
    if (!on && Group() != nullptr && Group()->IsFocused(this)) {
        Group()->FocusPart(nullptr);
    }
    if (!on && Group() != nullptr && Group()->IsHovered(this)) {
        Group()->EndHover();
    }
    m_sprite.SetVisible(on ? 1 : 0);
    if (m_locked) {
        for (std::int32_t i = 0; i < m_shownHighlights; ++i) {
            m_highlights[i]->SetVisible(on ? 1 : 0);
        }
    }
}

std::int32_t TextWindowPart::SetPriority(std::int32_t priority, std::int32_t tag, bool add) {
    if (m_spriteList == nullptr) {
        return 1;
    }
    m_priority = priority;
    SetTag(tag);
    if (m_sprite.List() == nullptr) {
        if (HasImage()) {
            m_spriteList->Add(&m_sprite, static_cast<std::uint32_t>(priority),
                              static_cast<std::uint32_t>(tag));
        }
    } else {
        m_spriteList->SetPriority(&m_sprite, static_cast<std::uint32_t>(priority), false);
    }
    for (FillRectSprite* highlight : m_highlights) {
        if (highlight->List() == nullptr) {
            m_spriteList->Add(highlight, static_cast<std::uint32_t>(priority),
                              static_cast<std::uint32_t>(tag));
        } else {
            m_spriteList->SetPriority(highlight, static_cast<std::uint32_t>(priority), false);
        }
    }
    return 0;
}

void TextWindowPart::SetAlpha(std::uint8_t alpha) {
    if (!HasImage()) {
        return;
    }
    m_sprite.SetAlpha(alpha);
    for (FillRectSprite* highlight : m_highlights) {
        highlight->SetAlpha(alpha);
    }
}

void TextWindowPart::DropReferencesTo(const void* object) {
    UiPart::DropReferencesTo(object);
    if (object == nullptr) {
        return;
    }
    if (object == m_font) {
        m_font = nullptr;
    }
    if (object == m_rubyFont) {
        m_rubyFont = nullptr;
        m_pendingRuby = nullptr;
    }
    if (!m_ownsDecoration && object == m_decorationImage) {
        ReleaseSkinImages(false);
    } else if (!m_ownsMasks && (object == m_maskA || object == m_maskB)) {
        ReleaseSkinImages(false);
    }
    if (object == m_spriteList) {
        m_sprite.Detach();
        for (FillRectSprite* highlight : m_highlights) {
            highlight->Detach();
        }
        m_spriteList = nullptr;
    }
}

// --- Life ---

void TextWindowPart::Release() {
    m_sprite.Detach();
    m_sprite.Reset();
    m_image.Free();
    DeleteItemMap();
    DeleteHighlights();
    m_width = 0;
    m_font = nullptr;
    m_rubyFont = nullptr;
    m_pendingRuby = nullptr;
}

void TextWindowPart::DeleteHighlights() {
    for (FillRectSprite* highlight : m_highlights) {
        delete highlight;
    }
    m_highlights.clear();
    m_shownHighlights = 0;
}

void TextWindowPart::DeleteItemMap() {
    delete m_itemMap;
    m_itemMap = nullptr;
}

bool TextWindowPart::MakeItemMap() {
    DeleteItemMap();
    auto* map = new (std::nothrow) Image;
    if (map == nullptr || map->Create(m_width, m_height, 8, 0) != 0) {
        delete map;
        return false;
    }
    m_itemMap = map;
    ClearItemMap();
    return true;
}

void TextWindowPart::ClearItemMap() {
    if (m_itemMap != nullptr) {
        m_itemMap->FillRect(0, 0, 0, nullptr);
    }
}

std::int32_t TextWindowPart::Create(SpriteList* spriteList, std::int32_t priority,
                                    std::int32_t width, std::int32_t height, std::int32_t x,
                                    std::int32_t y, Font* font, Font* rubyFont, std::int32_t tag) {
    const bool skin = m_frameImage != nullptr && m_frameImage->Bits() != nullptr;
    if (spriteList == nullptr || font == nullptr || (!skin && (width <= 0 || height <= 0))) {
        return 1;
    }
    if (spriteList == m_spriteList) {
        m_spriteList = nullptr;
        m_sprite.Detach();
    }
    Release();
    if (skin && (!NineSlice() || width <= 0 || height <= 0)) {
        width = m_frameImage->Width();
        height = m_frameImage->Height();
    }
    std::int32_t code = 0;
    if (m_image.Create(width, height, 32, 0) != 0) {
        code = 2;
    } else if (m_sprite.SetImage(&m_image, nullptr, x, y) != 0) {
        code = -1;
    } else {
        m_sprite.SetBlendMode(2);
        m_width = width;
        m_height = height;
        if (m_itemsEnabled && !MakeItemMap()) {
            code = 3;
        }
    }
    if (code != 0) {
        Release();
        return code;
    }
    m_spriteList = spriteList;
    SetPriority(priority, tag, true);
    m_font = font;
    m_rubyFont = rubyFont;
    UpdateWrapLimitIfFont();
    Home(true);
    return 0;
}

std::int32_t TextWindowPart::Rebuild() {
    if (m_spriteList == nullptr || m_font == nullptr) {
        return 1;
    }
    return Create(m_spriteList, m_priority, m_width, m_height, GetX(), GetY(), m_font, m_rubyFont,
                  GetTag());
}

std::int32_t TextWindowPart::Recreate(std::int32_t width, std::int32_t height) {
    if (!HasImage()) {
        return 1;
    }
    ReleaseSkinImages(false);
    const std::uint8_t alpha = m_sprite.Alpha();
    if (Create(m_spriteList, m_priority, width, height, GetX(), GetY(), m_font, m_rubyFont,
               GetTag()) != 0) {
        return 3;
    }
    m_sprite.SetAlpha(alpha);
    return 0;
}

std::int32_t TextWindowPart::SetFonts(Font* font, Font* rubyFont, bool redraw) {
    if (font == nullptr) {
        return 1;
    }
    m_font = font;
    m_rubyFont = rubyFont;
    if (!HasImage()) {
        return -1;
    }
    UpdateWrapLimitIfFont();
    if (redraw) {
        Home(true);
    }
    return 0;
}

std::int32_t TextWindowPart::SetMargins(std::int32_t left, std::int32_t top, std::int32_t right,
                                        std::int32_t bottom, bool redraw) {
    m_marginLeft = left;
    m_marginTop = top;
    m_marginRight = right;
    m_marginBottom = bottom;
    UpdateWrapLimit();
    if (redraw && HasImage()) {
        Home(true);
    }
    return 0;
}

std::int32_t TextWindowPart::SetItemSpacing(std::int32_t beforeX, std::int32_t beforeY,
                                            std::int32_t afterX, std::int32_t afterY,
                                            bool redraw) {
    m_itemSpaceBeforeX = beforeX;
    m_itemSpaceBeforeY = beforeY;
    m_itemSpaceAfterX = afterX;
    m_itemSpaceAfterY = afterY;
    if (redraw && HasImage()) {
        Home(true);
    }
    return 0;
}

std::int32_t TextWindowPart::EnableItems(bool on, bool redraw) {
    m_itemsEnabled = on ? 1 : 0;
    if (HasImage()) {
        DeleteItemMap();
        if (on && !MakeItemMap()) {
            return 1;
        }
    }
    if (redraw && HasImage()) {
        Home(true);
    }
    return 0;
}

bool TextWindowPart::TurnFont(Font* font, bool vertical) {
    const char* face = font->logFont.lfFaceName;
    char name[LF_FACESIZE + 1];
    if (vertical) {
        if (face[0] == '@') {
            std::strcpy(name, face);
        } else {
            name[0] = '@';
            std::strncpy(name + 1, face, LF_FACESIZE - 1);
            name[LF_FACESIZE] = 0;
        }
    } else {
        std::strcpy(name, face[0] == '@' ? face + 1 : face);
    }
    if (std::strcmp(name, face) != 0 && font->SetFace(name) != 0) {
        return false;
    }
    font->SetEscapement(vertical ? 2700 : 0);
    return true;
}

std::int32_t TextWindowPart::SetVertical(bool on, bool redraw) {
    m_vertical = on ? 1 : 0;
    if (redraw && HasImage()) {
        Home(true);
    }
    if (m_font != nullptr && !TurnFont(m_font, on)) {
        return on ? 1 : 2;
    }
    if (m_rubyFont != nullptr && !TurnFont(m_rubyFont, on)) {
        return on ? 3 : 4;
    }
    UpdateWrapLimitIfFont();
    return 0;
}

// --- The pen ---

std::int32_t TextWindowPart::MoveTo(std::int32_t x, std::int32_t y) {
    const bool alongLine = m_vertical ? x < 0 : y < 0;
    if (!alongLine) {
        EndItemArea();
        UpdateLineMetrics();
    }
    if (x >= 0) {
        m_penX = m_marginLeft + x;
    }
    if (y >= 0) {
        m_penY = m_marginTop + y;
    }
    return 0;
}

void TextWindowPart::GetCharOrigin(std::int32_t* outX, std::int32_t* outY, std::int32_t w,
                                   std::int32_t h) {
    if (m_vertical) {
        *outX = m_penX - (m_lineHeight - w) / 2 - w;
        *outY = m_penY;
    } else {
        *outX = m_penX;
        *outY = m_penY + m_lineHeight - h;
    }
}

std::int32_t TextWindowPart::Home(bool clear) {
    m_penY = m_marginTop;
    m_penX = m_vertical ? m_width - m_marginRight + 1 : m_marginLeft;
    m_lastCharPos = m_vertical ? m_penY : m_penX;
    m_indent = 0;
    m_pendingRuby = nullptr;
    UpdateLineMetrics();
    return clear ? Clear() : 0;
}

std::int32_t TextWindowPart::HomeKeepIndent(bool clear) {
    m_penY = m_marginTop;
    m_penX = m_vertical ? m_width - m_marginRight + 1 : m_marginLeft + m_indent;
    if (m_vertical) {
        m_penY += m_indent;
    }
    m_lastCharPos = m_vertical ? m_penY : m_penX;
    m_pendingRuby = nullptr;
    UpdateLineMetrics();
    return clear ? Clear() : 0;
}

// --- Drawing ---

void TextWindowPart::DirtySprite(const RECT& rect) {
    if (rect.right > rect.left && rect.bottom > rect.top) {
        m_sprite.InvalidateArea(rect);
    }
}

void TextWindowPart::DrawGlyphs(Font* font, Image* target, std::int32_t x, std::int32_t y,
                                const char* text) {
    Image* into = target != nullptr ? target : &m_image;
    RECT drawn{0, 0, 0, 0};
    if (font->Kind() == kFontAntialias) {
        static_cast<AntialiasFont*>(font)->DrawText(into, x, y, text, &drawn, nullptr);
    } else {
        font->BlendString(into, x, y, text, &drawn, nullptr);
    }
    if (target == nullptr) {
        DirtySprite(drawn);
    }
}

std::int32_t TextWindowPart::PutChar(const char** text) {
    return DrawCharAt(text, nullptr);
}

TextWindowPart::GlyphRead TextWindowPart::ReadGlyph(const char* text) {
    GlyphRead read;
    const char* cursor = text;
    const TextToken token = NextTextToken(&cursor);
    read.next = cursor;
    if (token.kind == TextTokenKind::End) {
        // A lead byte right before the terminator: taken alone, nothing drawn.
        read.end = true;
        return read;
    }
    const auto length = static_cast<std::int32_t>(cursor - text);
    if (token.kind == TextTokenKind::Picture && length == 1) {
        // A lone "@": the font would read it as picture 0.
        std::strcpy(read.glyph, "@@");
        read.character[0] = '@';
        return read;
    }
    std::memcpy(read.glyph, text, length);
    read.glyph[length] = 0;
    if (token.kind == TextTokenKind::Character) {
        if (token.code > 0xFF) {
            read.twoByte = true;
            read.character[0] = static_cast<std::uint8_t>(token.code >> 8);
            read.character[1] = static_cast<std::uint8_t>(token.code);
        } else {
            read.character[0] = static_cast<std::uint8_t>(token.code);
        }
    } else if (token.kind == TextTokenKind::LineBreak) {
        read.character[0] = '\n';
    }
    return read;
}

bool TextWindowPart::BreaksBefore(const GlyphRead& read) {
    const std::int32_t pen = m_vertical ? m_penY : m_penX;
    if (!autoWrap || pen <= m_wrapLimit) {
        return false;
    }
    const bool keep = read.twoByte ? IsNoBreakTwoByte(static_cast<std::uint16_t>(
                                         read.character[0] | (read.character[1] << 8)))
                                   : IsNoBreakOneByte(read.character[0]);
    const std::int32_t end = m_vertical ? m_height - m_marginBottom : m_width - m_marginRight;
    return !keep || pen + CharSize() > end;
}

void TextWindowPart::PlaceGlyph(const GlyphRead& read, std::int32_t* x, std::int32_t* y,
                                std::int32_t extent[2], std::int32_t* advance) {
    const std::int32_t s = CharSize();
    if (m_vertical) {
        *x = m_penX - (m_lineHeight - s) / 2;
        *y = m_penY;
    } else {
        *x = m_penX;
        *y = m_penY + m_lineHeight - s;
    }
    extent[0] = extent[1] = 0;
    m_font->TextExtent(read.glyph, extent, nullptr, nullptr, false, nullptr);
    *advance = extent[0];
    if (read.twoByte && centreDoubleByte) {
        if (m_vertical) {
            *y += (s - extent[0]) / 2;
        } else {
            *x += (s - extent[0]) / 2;
        }
        *advance = s;
    }
}

std::int32_t TextWindowPart::DrawCharAt(const char** text, Image* target) {
    if (m_font == nullptr || text == nullptr || *text == nullptr || (*text)[0] == 0) {
        return 0;
    }
    const GlyphRead read = ReadGlyph(*text);
    if (read.end) {
        *text = read.next;
        return 0;
    }
    std::int32_t result = 0;
    if (BreaksBefore(read)) {
        if (NewLine()) {
            return 1;
        }
        result = -1;
    }
    *text = read.next;
    m_previousChar[0] = read.character[0];
    m_previousChar[1] = read.character[1];
    if (m_itemOpen) {
        BeginItemArea();
    }
    std::int32_t x;
    std::int32_t y;
    std::int32_t extent[2];
    std::int32_t advance;
    PlaceGlyph(read, &x, &y, extent, &advance);
    const char* glyph = read.glyph;
    std::int32_t& pen = m_vertical ? m_penY : m_penX;
    DrawGlyphs(m_font, target, x, y, glyph);
    if (m_pendingRuby != nullptr && m_rubyFont != nullptr) {
        const std::int32_t r = RubySize();
        std::int32_t ruby[2] = {0, 0};
        m_rubyFont->TextExtent(m_pendingRuby, ruby, nullptr, nullptr, false, nullptr);
        if (m_vertical) {
            DrawGlyphs(m_rubyFont, target, x + r + rubyGap, y + advance / 2 - ruby[0] / 2,
                       m_pendingRuby);
        } else {
            DrawGlyphs(m_rubyFont, target, x + advance / 2 - ruby[0] / 2, y - rubyGap - r,
                       m_pendingRuby);
        }
    }
    m_pendingRuby = nullptr;
    m_lastCharPos = pen;
    pen += letterSpacing + advance;
    m_untouched = 0;
    return result;
}

std::int32_t TextWindowPart::DrawString(const char* text, std::int32_t x, std::int32_t y,
                                        bool moveFirst) {
    if (m_font == nullptr || text == nullptr) {
        return 1;
    }
    if (moveFirst) {
        MoveTo(x, y);
    } else {
        m_penX = m_marginLeft + x;
        m_penY = m_marginTop + y;
    }
    if (m_itemOpen) {
        BeginItemArea();
    }
    const std::int32_t s = CharSize();
    std::int32_t extent[2] = {0, 0};
    m_font->TextExtent(text, extent, nullptr, nullptr, false, nullptr);
    if (m_vertical) {
        DrawGlyphs(m_font, nullptr, m_penX - (m_lineHeight - s) / 2, m_penY, text);
        m_lastCharPos = m_penY;
        m_penY += extent[0] + letterSpacing;
    } else {
        DrawGlyphs(m_font, nullptr, m_penX, m_penY + m_lineHeight - s, text);
        m_lastCharPos = m_penX;
        m_penX += extent[0] + letterSpacing;
    }
    m_previousChar[0] = m_previousChar[1] = 0;
    m_untouched = 0;
    return 0;
}

std::int32_t TextWindowPart::DrawImage(const char* name, std::int32_t keyX, std::int32_t keyY) {
    if (!HasImage()) {
        return 3;
    }
    Image picture;
    if (name == nullptr || picture.Load(name, nullptr, 0, 0) != 0) {
        return 2;
    }
    if (keyY >= 0 && keyX >= 0 && keyX < picture.Width() && keyY < picture.Height()) {
        picture.SetColourKeyFromPixel(keyX, keyY);
    }
    std::int32_t result = 0;
    std::int32_t& pen = m_vertical ? m_penY : m_penX;
    if (autoWrap && pen > m_wrapLimit) {
        if (NewLine()) {
            return 1;
        }
        result = -1;
    }
    if (m_itemOpen) {
        BeginItemArea();
    }
    std::int32_t x;
    std::int32_t y;
    if (m_vertical) {
        x = m_penX - (picture.Width() - m_lineHeight) / 2 - m_lineHeight - 1;
        y = m_penY;
    } else {
        x = m_penX;
        y = m_penY + m_lineHeight - picture.Height();
    }
    if (picture.HasAlpha()) {
        m_image.BlendOpacity(&picture, 255, x, y, nullptr);
    } else {
        m_image.Blit(&picture, x, y, nullptr, false);
    }
    DirtySprite(RECT{x, y, x + picture.Width(), y + picture.Height()});
    m_lastCharPos = pen;
    pen += (m_vertical ? picture.Height() : picture.Width()) + letterSpacing;
    m_previousChar[0] = m_previousChar[1] = 0;
    m_untouched = 0;
    return result;
}

std::int32_t TextWindowPart::DrawUpright(const char* text) {
    if (!m_vertical) {
        return 2;
    }
    if (m_font == nullptr || text == nullptr) {
        return 3;
    }
    std::int32_t result = 0;
    if (autoWrap && m_penY > m_wrapLimit) {
        if (NewLine()) {
            return 1;
        }
        result = -1;
    }
    if (!TurnFont(m_font, false)) {
        TurnFont(m_font, true);
        return 3;
    }
    std::int32_t extent[2] = {0, 0};
    m_font->TextExtent(text, extent, nullptr, nullptr, false, nullptr);
    DrawGlyphs(m_font, nullptr, m_penX - (extent[0] - m_lineHeight) / 2 - m_lineHeight + 1,
               m_penY, text);
    TurnFont(m_font, true);
    m_lastCharPos = m_penY;
    m_penY += CharSize() + letterSpacing;
    m_untouched = 0;
    return result;
}

// --- Items ---

void TextWindowPart::MarkItemArea(std::int32_t x, std::int32_t y, std::int32_t w,
                                  std::int32_t h) {
    if (m_itemMap == nullptr || w <= 0 || h <= 0) {
        return;
    }
    RECT rect{x, y, x + w, y + h};
    m_itemMap->FillRect(m_itemCount, 0, 0, &rect);
}

std::int32_t TextWindowPart::ItemAtPoint(std::int32_t x, std::int32_t y) {
    if (m_hoverSuppressed || m_itemMap == nullptr || x < 0 || y < 0 ||
        x >= m_itemMap->Width() || y >= m_itemMap->Height()) {
        return -1;
    }
    return static_cast<std::int32_t>(m_itemMap->GetPixel(x, y)) - 1;
}

void TextWindowPart::ShowItemHighlight(std::int32_t index, bool on) {
    if (m_locked) {
        return;
    }
    if (!on) {
        for (FillRectSprite* highlight : m_highlights) {
            highlight->SetVisible(0);
        }
        m_shownHighlights = 0;
        return;
    }
    const TextWindowItem* item = Item(index);
    if (item == nullptr) {
        return;
    }
    while (m_highlights.size() < item->areas.size()) {
        auto* highlight = new (std::nothrow) FillRectSprite;
        if (highlight == nullptr) {
            return;
        }
        highlight->SetVisible(0);
        if (m_spriteList != nullptr) {
            m_spriteList->Add(highlight, static_cast<std::uint32_t>(m_priority),
                              static_cast<std::uint32_t>(GetTag()));
        }
        m_highlights.push_back(highlight);
    }
    std::int32_t i = 0;
    for (const TextWindowItemArea& area : item->areas) {
        m_highlights[i]->Setup(area.width, area.height, item->highlightColour, GetX() + area.x,
                               GetY() + area.y);
        m_highlights[i]->SetVisible(1);
        ++i;
    }
    m_shownHighlights = i;
}
