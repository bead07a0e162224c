#include "scenario/ui/ime_mode_indicator.h"

#include <algorithm>

#include "framework/app/ime_context.h"
#include "graphics/sprites/sprite_list.h"
#include "graphics/text/antialias_font.h"

namespace {

std::int32_t FontSize(const Font& font) {
    const std::int32_t height = font.logFont.lfHeight;
    return height < 0 ? -height : height;
}

}  // namespace

ImeModeIndicator::ImeModeIndicator() = default;

ImeModeIndicator::~ImeModeIndicator() {
    Release();
    m_sprite.Detach();
}

void ImeModeIndicator::Release() {
    m_sprite.Detach();
    m_sprite.Reset();
    m_image.Free();
    m_imeContext = nullptr;
    m_font = nullptr;
}

void ImeModeIndicator::DropList(const SpriteList* list) {
    if (!list || list != m_spriteList) return;
    m_sprite.Detach();
    m_spriteList = nullptr;
}

std::int32_t ImeModeIndicator::Edge() const {
    if (!m_font || m_font->Kind() != kFontAntialias) return 0;
    return std::max(0, static_cast<AntialiasFont*>(m_font)->outlineWidth);
}

std::int32_t ImeModeIndicator::Create(SpriteList* list, ImeContext* context, Font* font, std::int32_t x,
                                      std::int32_t y, bool rightAligned, std::int32_t tag) {
    if (!list || !context || !font) return 1;
    Release();
    m_font = font;
    const std::int32_t e = Edge();
    const std::int32_t size = FontSize(*font);
    if (m_image.Create(4 * size + 10 * e, 2 * e + size, 32, 0) != 0) {
        Release();
        return 2;
    }
    const RECT source = {0, 0, m_image.Width(), m_image.Height()};
    if (m_sprite.SetImage(&m_image, &source, x, y) != 0) {
        Release();
        return 2;
    }
    m_sprite.SetBlendMode(2);
    m_sprite.SetVisible(0);
    m_spriteList = list;
    m_tag = tag;
    list->Add(&m_sprite, 0, static_cast<std::uint32_t>(tag));
    m_imeContext = context;
    m_x = x;
    m_y = y;
    m_rightAligned = rightAligned ? 1 : 0;
    m_redrawNeeded = 1;
    Update();
    return 0;
}

std::int32_t ImeModeIndicator::SetPosition(std::int32_t x, std::int32_t y) {
    m_x = x;
    m_y = y;
    m_sprite.SetPosition(m_rightAligned ? x - m_sprite.Width() : x, y);
    return 0;
}

void ImeModeIndicator::Update() {
    if (!m_imeContext || !m_font || !m_image.Bits()) return;
    DWORD conversion = 0;
    DWORD sentence = 0;
    m_imeContext->GetConversionStatus(conversion, sentence);
    const std::uint8_t open = m_imeContext->IsOpen() ? 1 : 0;
    if (!m_redrawNeeded && conversion == m_lastConversionMode && sentence == m_lastSentenceMode &&
        open == m_lastOpen) {
        return;
    }
    m_lastConversionMode = conversion;
    m_lastSentenceMode = sentence;
    m_lastOpen = open;

    Font& font = *m_font;
    std::uint8_t colour[3] = {font.colour[0], font.colour[1], font.colour[2]};
    std::uint8_t effectColour[3] = {font.effectColour[0], font.effectColour[1], font.effectColour[2]};
    const std::uint8_t effect = font.effect;
    const std::int32_t offsetX = font.effectOffsetX;
    const std::int32_t offsetY = font.effectOffsetY;
    for (int i = 0; i < 3; ++i) {
        font.colour[i] = static_cast<std::uint8_t>(m_textColour >> (16 - 8 * i));
        font.effectColour[i] = static_cast<std::uint8_t>(m_effectColour >> (16 - 8 * i));
    }
    font.effect = 2;
    font.effectOffsetX = 2;
    font.effectOffsetY = 2;

    // The old row may have been wider than the new one.
    m_sprite.InvalidateArea(RECT{0, 0, m_image.Width(), m_image.Height()});
    m_image.FillValue(0, nullptr);
    const std::int32_t e = Edge();
    const std::string labels = Labels(open != 0, conversion, sentence);
    std::int32_t pen[2] = {e, e};
    if (font.Kind() == kFontAntialias) {
        static_cast<AntialiasFont&>(font).DrawText(&m_image, e, e, labels.c_str(), nullptr, pen);
    } else {
        font.BlendString(&m_image, e, e, labels.c_str(), nullptr, pen);
    }

    for (int i = 0; i < 3; ++i) {
        font.colour[i] = colour[i];
        font.effectColour[i] = effectColour[i];
    }
    font.effect = effect;
    font.effectOffsetX = offsetX;
    font.effectOffsetY = offsetY;

    const std::int32_t width = std::min(m_image.Width(), std::max(0, e + pen[0]));
    const RECT source = {0, 0, width, m_image.Height()};
    m_sprite.SetSourceRect(&source);
    if (m_rightAligned) m_sprite.SetPosition(m_x - width, m_y);
    m_sprite.InvalidateArea(source);
    m_redrawNeeded = 0;
}
