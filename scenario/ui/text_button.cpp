#include "scenario/ui/text_button.h"

#include <new>

#include "graphics/image/mix_kernels.h"
#include "graphics/sprites/sprite_list.h"
#include "graphics/text/antialias_font.h"
#include "scenario/ui/ui_part_group.h"

namespace {

// The caption's grey on the disabled face, with a white shadow one pixel down and right.
constexpr std::uint8_t kDisabledText[3] = {128, 128, 128};
constexpr std::uint8_t kDisabledShadow[3] = {255, 255, 255};

std::uint8_t AlphaOf(std::uint32_t colour) { return static_cast<std::uint8_t>(colour >> 24); }

}  // namespace

TextButton::TextButton() = default;

TextButton::~TextButton() {
    // Leaves while whole, so the group's last calls reach this type's handlers.
    LeaveGroup();
    Release();
    m_sprite.Detach();
}

Image* TextButton::FaceImage() { return m_externalImage ? m_externalImage : (m_image.Bits() ? &m_image : nullptr); }

// --- Placement ---

std::int32_t TextButton::SetPosition(std::int32_t x, std::int32_t y) {
    if (!m_sprite.GetImage()) return 1;
    m_sprite.SetPosition(x, y);
    return 0;
}

void TextButton::SetVisible(bool visible) {
    UiPartGroup* const group = Group();
    if (!visible && group && group->IsFocused(this)) group->FocusPart(nullptr);
    if (!visible && Group() && Group()->IsHovered(this)) Group()->EndHover();
    m_sprite.SetVisible(visible ? 1 : 0);
}

std::int32_t TextButton::SetPriority(std::int32_t priority, std::int32_t tag, bool) {
    if (!m_spriteList) return 1;
    m_priority = priority;
    if (!m_sprite.List()) {
        if (!m_sprite.GetImage()) return 1;
        m_tag = tag;
        SetTag(tag);
        m_spriteList->Add(&m_sprite, static_cast<std::uint32_t>(priority), static_cast<std::uint32_t>(tag));
    } else {
        m_spriteList->SetPriority(&m_sprite, static_cast<std::uint32_t>(priority), false);
    }
    return 0;
}

std::int32_t TextButton::MoveToSpriteList(SpriteList* list) {
    if (!list) return 1;
    if (!m_listDropped && (!m_spriteList || !m_sprite.List())) return 1;
    m_sprite.Detach();
    m_spriteList = list;
    m_listDropped = false;
    list->Add(&m_sprite, static_cast<std::uint32_t>(m_priority), static_cast<std::uint32_t>(m_tag));
    return 0;
}

void TextButton::DropReferencesTo(const void* object) {
    UiPart::DropReferencesTo(object);
    if (!object) return;
    if (object == m_font) {
        m_font = nullptr;
        m_fontDropped = true;
    }
    if (object == m_externalImage) {
        m_externalImage = nullptr;
        m_sprite.Reset();
    }
    if (object == m_spriteList) {
        m_listDropped = m_sprite.List() != nullptr;
        m_sprite.Detach();
        m_spriteList = nullptr;
    }
}

// --- Life ---

void TextButton::Release() {
    if (m_spriteList) m_sprite.Detach();
    m_sprite.Reset();
    m_image.Free();
    m_externalImage = nullptr;
    m_caption.clear();
    m_fileName.clear();
    m_font = nullptr;
    m_width = 0;
}

void TextButton::TakeList(SpriteList* list) {
    m_listDropped = false;
    if (list == m_spriteList) m_spriteList = nullptr;
    Release();
    m_spriteList = list;
}

std::int32_t TextButton::ShowStrip(Image* strip, std::int32_t faces, std::int32_t x, std::int32_t y) {
    m_width = strip->Width() / faces;
    m_height = strip->Height();
    const RECT source = {0, 0, m_width, m_height};
    const std::int32_t code = m_sprite.SetImage(strip, &source, x, y);
    // A new strip shows the face of the state the button is in: disabled stays disabled.
    if (code == 0) SetState(IsEnabled() ? kNormal : kDisabled);
    return code;
}

void TextButton::SetState(std::uint8_t state) {
    m_state = state;
    if (!m_sprite.GetImage() || m_width <= 0) return;
    const std::int32_t left = FaceIndex(state, m_withDisabledFace != 0, m_withPressedFace != 0) * m_width;
    const RECT source = {left, 0, left + m_width, m_height};
    m_sprite.SetSourceRect(&source);
}

bool TextButton::HitTestShape(std::int32_t x, std::int32_t y) { return m_sprite.HitTest(x, y, true); }

void TextButton::DecorateFace(Image*, const RECT&, bool) {}

// --- The three forms ---

std::int32_t TextButton::CreateFromImage(SpriteList* list, std::int32_t priority, Image* image,
                                         bool withDisabledFace, bool withPressedFace, std::int32_t x,
                                         std::int32_t y, std::uint8_t blendMode, std::uint8_t alpha,
                                         std::int32_t tag) {
    if (!list || !image || !image->Bits()) return 1;
    TakeList(list);
    m_withDisabledFace = withDisabledFace ? 1 : 0;
    m_withPressedFace = withPressedFace ? 1 : 0;
    m_externalImage = image;
    const std::int32_t faces = 2 + m_withDisabledFace + m_withPressedFace;
    if (image->Width() < faces || ShowStrip(image, faces, x, y) != 0) {
        Release();
        return 2;
    }
    m_rectHit = image->ColourKey() == -1 && blendMode == 0 ? 1 : 0;
    m_blendMode = blendMode;
    m_alpha = alpha;
    m_sprite.SetBlendMode(blendMode);
    m_sprite.SetAlpha(alpha);
    SetPriority(priority, tag, true);
    return 0;
}

std::int32_t TextButton::CreateFromFile(SpriteList* list, std::int32_t priority, const char* fileName,
                                        bool withDisabledFace, bool withPressedFace, std::int32_t x,
                                        std::int32_t y, std::uint8_t blendMode, std::uint8_t alpha,
                                        std::int32_t keyX, std::int32_t keyY, std::int32_t tag) {
    if (!list || !fileName) return 1;
    std::string name;
    try {
        name = fileName;
    } catch (const std::bad_alloc&) {
        return 2;
    }
    TakeList(list);
    if (m_image.Load(name.c_str(), nullptr, 0, 0) != 0) {
        Release();
        return 2;
    }
    bool keyed = false;
    if (keyY >= 0) {
        // A key pixel outside the strip gives no key rather than whatever lies past it.
        if (keyX >= 0 && keyX < m_image.Width() && keyY < m_image.Height()) {
            keyed = m_image.SetColourKeyFromPixel(keyX, keyY) == 0;
        } else {
            m_image.ClearColourKey();
        }
    } else if (keyX != -1) {
        keyed = m_image.SetColourKeyRgb((keyX >> 16) & 0xFF, (keyX >> 8) & 0xFF, keyX & 0xFF) == 0;
    } else {
        m_image.ClearColourKey();
    }
    m_rectHit = !keyed && blendMode == 0 ? 1 : 0;
    m_keyX = keyX;
    m_keyY = keyY;
    m_withDisabledFace = withDisabledFace ? 1 : 0;
    m_withPressedFace = withPressedFace ? 1 : 0;
    const std::int32_t faces = 2 + m_withDisabledFace + m_withPressedFace;
    if (m_image.Width() < faces || ShowStrip(&m_image, faces, x, y) != 0) {
        Release();
        return 2;
    }
    m_blendMode = blendMode;
    m_alpha = alpha;
    m_sprite.SetBlendMode(blendMode);
    m_sprite.SetAlpha(alpha);
    SetPriority(priority, tag, true);
    m_fileName = std::move(name);
    return 0;
}

void TextButton::DrawCaption(Image* image, std::int32_t x, std::int32_t y, const char* text) {
    if (m_font->Kind() == kFontAntialias) {
        static_cast<AntialiasFont*>(m_font)->DrawText(image, x, y, text, nullptr, nullptr);
    } else {
        m_font->BlendString(image, x, y, text, nullptr, nullptr);
    }
}

std::int32_t TextButton::Create(SpriteList* list, std::int32_t priority, const char* caption, Font* font,
                                std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                                bool withDisabledFace, std::int32_t tag) {
    if (!list) return 1;
    std::string text;
    try {
        text = caption ? caption : "";
    } catch (const std::bad_alloc&) {
        return -1;
    }
    TakeList(list);
    m_font = font;
    const std::int32_t code = DrawFaces(text.c_str(), x, y, width, height, withDisabledFace);
    if (code != 0) {
        Release();
        return code;
    }
    m_caption = std::move(text);
    m_fontDropped = false;
    SetPriority(priority, tag, true);
    m_rectHit = 1;
    return 0;
}

std::int32_t TextButton::DrawFaces(const char* caption, std::int32_t x, std::int32_t y, std::int32_t width,
                                   std::int32_t height, bool withDisabledFace) {
    RECT bounds = {0, 0, 0, 0};
    std::int32_t captionX = 0;
    std::int32_t captionY = 0;
    if (m_font) {
        std::int32_t size[2] = {0, 0};
        m_font->TextExtent(caption, size, nullptr, nullptr, true, nullptr);
        m_font->GetRotatedTextBounds(&bounds, 0, 0, size[0], size[1]);
        const std::int32_t textWidth = bounds.right - bounds.left;
        const std::int32_t textHeight = bounds.bottom - bounds.top;
        if (width == 0) width = textWidth + 8;
        if (height == 0) height = textHeight + 8;
        captionX = (width - textWidth) >> 1;
        captionY = (height - textHeight) >> 1;
    } else if (width < kMinDrawnSize || height < kMinDrawnSize) {
        return 1;
    }
    if (width <= 0 || height <= 0) return 1;
    const std::int32_t faces = withDisabledFace ? 4 : 3;
    m_withDisabledFace = withDisabledFace ? 1 : 0;
    m_withPressedFace = 1;
    if (m_image.Create(faces * width, height, 32, 0) != 0) return 2;

    const std::int32_t W = width;
    const std::int32_t H = height;
    const RECT interior = {1, 1, W - 2, H - 2};
    m_image.FillValue(m_faceColour, &interior);
    const std::int32_t textX = captionX - bounds.left;
    const std::int32_t textY = captionY - bounds.top;
    if (m_font) {
        DrawCaption(&m_image, textX, textY, caption);
    } else {
        DecorateFace(&m_image, interior, false);
    }
    const std::uint32_t light = ScaleColourBrightness(m_faceColour, 3);
    const std::uint32_t dark = ShiftColourBrightness(m_faceColour, -1);
    const std::uint32_t darkest = ShiftColourBrightness(m_faceColour, -2);
    const std::int32_t washR = (m_highlightColour >> 16) & 0xFF;
    const std::int32_t washG = (m_highlightColour >> 8) & 0xFF;
    const std::int32_t washB = m_highlightColour & 0xFF;
    const std::uint8_t washAlpha = AlphaOf(m_highlightColour);
    auto fill = [this](std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::uint32_t value) {
        const RECT rect = {l, t, r, b};
        m_image.FillValue(value, &rect);
    };
    for (std::int32_t k = 0; k < faces; ++k) {
        const std::int32_t L = k * W;
        std::uint32_t first = light;
        std::uint32_t second = darkest;
        if (k == 1) {
            const RECT source = {1, 1, W - 2, H - 2};
            m_image.Blit(&m_image, L + 1, 1, &source, false);
            const RECT wash = {L + 2, 2, L + W - 3, H - 3};
            m_image.FillAlpha(washR, washG, washB, washAlpha, &wash);
        } else if (k == 2) {
            const RECT source = {1, 1, W - 3, H - 3};
            m_image.Blit(&m_image, L + 2, 2, &source, false);
            fill(L + 1, 1, L + W - 1, 2, dark);
            fill(L + 1, 2, L + 2, H - 1, dark);
            const RECT wash = {L + 3, 3, L + W - 3, H - 3};
            m_image.FillAlpha(washR, washG, washB, washAlpha, &wash);
            first = 0;
            second = 0;
        } else if (k == 3) {
            const RECT face = {L + 1, 1, L + W - 2, H - 2};
            m_image.FillValue(m_faceColour, &face);
            DecorateFace(&m_image, face, true);
            if (m_font) {
                Font& font = *m_font;
                std::uint8_t colour[3] = {font.colour[0], font.colour[1], font.colour[2]};
                std::uint8_t effectColour[3] = {font.effectColour[0], font.effectColour[1], font.effectColour[2]};
                const std::uint8_t effect = font.effect;
                const std::int32_t offsetX = font.effectOffsetX;
                const std::int32_t offsetY = font.effectOffsetY;
                for (int i = 0; i < 3; ++i) {
                    font.colour[i] = kDisabledText[i];
                    font.effectColour[i] = kDisabledShadow[i];
                }
                font.effect = 1;
                font.effectOffsetX = 1;
                font.effectOffsetY = 1;
                DrawCaption(&m_image, L + textX, textY, caption);
                for (int i = 0; i < 3; ++i) {
                    font.colour[i] = colour[i];
                    font.effectColour[i] = effectColour[i];
                }
                font.effect = effect;
                font.effectOffsetX = offsetX;
                font.effectOffsetY = offsetY;
            }
        }
        fill(L, 0, L + W - 1, 1, first);
        fill(L, 1, L + 1, H - 1, first);
        fill(L, H - 1, L + W, H, second);
        fill(L + W - 1, 0, L + W, H - 1, second);
        fill(L + 1, H - 2, L + W - 1, H - 1, dark);
        fill(L + W - 2, 1, L + W - 1, H - 2, dark);
    }
    if (ShowStrip(&m_image, faces, x, y) != 0) return -1;
    const std::uint8_t alpha = AlphaOf(m_faceColour);
    if (alpha != 0 && alpha != 255) m_sprite.SetAlpha(alpha);
    return 0;
}

// --- Rebuilding in place ---

std::int32_t TextButton::SetCaption(const char* text) {
    if (!text) return 1;
    // The font the caption was drawn with is gone; the button keeps its faces.
    if (m_fontDropped || !m_spriteList) return 2;
    return Create(m_spriteList, m_priority, text, m_font, GetX(), GetY(), m_width, m_height,
                  m_withDisabledFace != 0, m_tag) == 0 ? 0 : 2;
}

std::int32_t TextButton::SetImageFile(const char* fileName) {
    if (!fileName) return 1;
    if (!m_spriteList) return 2;
    return CreateFromFile(m_spriteList, m_priority, fileName, m_withDisabledFace != 0, m_withPressedFace != 0,
                          GetX(), GetY(), m_blendMode, m_alpha, m_keyX, m_keyY, m_tag) == 0 ? 0 : 2;
}
