// The list's faces (plain, from picture files, from image objects), their styling, the read
// mark, and the row images with their texts.
#include <new>

#include "graphics/sprites/sprite_list.h"
#include "graphics/text/antialias_font.h"
#include "scenario/ui/list_part.h"

namespace {

bool IsName(const char* name) { return name != nullptr && name != ListPart::kNoMaskName; }

bool HasPixels(Image* image) { return image != nullptr && image->Bits() != nullptr; }

std::uint32_t StyleValue(std::uint32_t colour, std::uint8_t alpha) {
    return (static_cast<std::uint32_t>(alpha) << 24) | (colour & 0xFFFFFF);
}

// A new picture loaded from a file at the depth asked for; null when it cannot be.
std::unique_ptr<Image> LoadPicture(const char* name, bool indexed) {
    std::unique_ptr<Image> image(new (std::nothrow) Image);
    if (!image) return nullptr;
    if (indexed) {
        if (image->LoadIndexed(name, nullptr, 0, 0) != 0 || image->Depth() != 8) return nullptr;
    } else {
        if (image->Load(name, nullptr, 0, 0) != 0) return nullptr;
        if (image->Depth() != 32 && image->ConvertDepth(32) != 0) return nullptr;
    }
    return image;
}

// A new cleared 32-bit face of the picture's size; null when it cannot be made.
std::unique_ptr<Image> NewFace(Image& sizer) {
    std::unique_ptr<Image> face(new (std::nothrow) Image);
    if (!face || face->Create(sizer.Width(), sizer.Height(), 32, 0) != 0) return nullptr;
    face->SetHasAlpha(true);
    return face;
}

// The font's colours, effect and effect offsets, put back when the drawing is done.
class FontColours {
public:
    explicit FontColours(Font& font)
        : m_font(font),
          m_colour{font.colour[0], font.colour[1], font.colour[2]},
          m_effect(font.effect),
          m_effectColour{font.effectColour[0], font.effectColour[1], font.effectColour[2]},
          m_offsetX(font.effectOffsetX),
          m_offsetY(font.effectOffsetY) {}
    ~FontColours() {
        for (int i = 0; i < 3; ++i) {
            m_font.colour[i] = m_colour[i];
            m_font.effectColour[i] = m_effectColour[i];
        }
        m_font.effect = m_effect;
        m_font.effectOffsetX = m_offsetX;
        m_font.effectOffsetY = m_offsetY;
    }
    FontColours(const FontColours&) = delete;
    FontColours& operator=(const FontColours&) = delete;

    bool DrawsEdge() const { return m_effect != 0; }
    // A plain text colour; with an edge, the pair as a one-pixel shadow.
    void Use(std::uint32_t text, const std::uint32_t* pair) {
        if (DrawsEdge()) {
            Put(m_font.colour, pair[0]);
            Put(m_font.effectColour, pair[1]);
            m_font.effect = 1;
            m_font.effectOffsetX = 1;
            m_font.effectOffsetY = 1;
        } else {
            Put(m_font.colour, text);
        }
    }

private:
    static void Put(std::uint8_t (&rgb)[3], std::uint32_t colour) {
        rgb[0] = static_cast<std::uint8_t>(colour >> 16);
        rgb[1] = static_cast<std::uint8_t>(colour >> 8);
        rgb[2] = static_cast<std::uint8_t>(colour);
    }

    Font& m_font;
    std::uint8_t m_colour[3];
    std::uint8_t m_effect;
    std::uint8_t m_effectColour[3];
    std::int32_t m_offsetX;
    std::int32_t m_offsetY;
};

void DrawText(Font& font, Image& image, std::int32_t x, std::int32_t y, const char* text) {
    if (font.Kind() == kFontAntialias) {
        static_cast<AntialiasFont&>(font).DrawText(&image, x, y, text, nullptr, nullptr);
    } else {
        font.BlendString(&image, x, y, text, nullptr, nullptr);
    }
}

}  // namespace

// --- Releasing and plain faces ---

void ListPart::ResetFaceSet(FaceSet& set) {
    set.face.reset();
    set.direct = false;
    set.overlay = nullptr;
    set.overlayMask = nullptr;
    set.plainMask = nullptr;
    for (std::unique_ptr<Image>& picture : set.loaded) picture.reset();
    set.faceFile.clear();
    set.overlayMaskFile.clear();
    set.plainMaskFile.clear();
}

void ListPart::ReleaseFaces() {
    // The sprites show the faces: they go first.
    m_headerSprite.reset();
    m_footerSprite.reset();
    ResetFaceSet(m_row);
    ResetFaceSet(m_header);
    ResetFaceSet(m_footer);
    m_cells = 1;
    m_multiCell = false;
    m_hasPressedCell = false;
    m_hasDisabledCell = false;
    m_disabledCellX = 0;
}

std::int32_t ListPart::ShowFace(std::unique_ptr<Sprite>& sprite, Image* face) {
    sprite.reset(new (std::nothrow) Sprite);
    if (!sprite) return -1;
    const RECT first = {0, 0, face->Width() / m_cells, face->Height()};
    if (sprite->SetImage(face, &first, m_listX, m_listTop) != 0) {
        sprite.reset();
        return -1;
    }
    sprite->SetBlendMode(2);
    // Shown once the list lays its rows out.
    sprite->SetVisible(m_rowSprites.empty() ? 0 : 1);
    return 0;
}

std::int32_t ListPart::SetPlainFaces(std::int32_t width, std::int32_t height, std::int32_t headerHeight,
                                     std::int32_t footerHeight) {
    if (width < 1 || height < 1) return 1;
    ReleaseFaces();
    m_plainWidth = width;
    m_plainHeight = height;
    m_plainHeaderHeight = headerHeight;
    m_plainFooterHeight = footerHeight;
    const struct {
        FaceSet* set;
        std::unique_ptr<Sprite>* sprite;
        std::int32_t height;
        std::int32_t code;
    } ends[] = {{&m_header, &m_headerSprite, headerHeight, 2}, {&m_footer, &m_footerSprite, footerHeight, 3}};
    for (const auto& end : ends) {
        if (end.height < 1) continue;
        end.set->face.reset(new (std::nothrow) Image);
        if (!end.set->face || end.set->face->Create(width, end.height, 32, 0) != 0) {
            ReleaseFaces();
            RebuildRows();
            return end.code;
        }
        end.set->face->SetHasAlpha(true);
        if (ShowFace(*end.sprite, end.set->face.get()) != 0) {
            ReleaseFaces();
            RebuildRows();
            return -1;
        }
    }
    RedrawPlain(true, true);
    return 0;
}

void ListPart::RedrawPlain(bool colourChanged, bool alphaChanged) {
    if (!colourChanged && !alphaChanged) return;
    const std::uint32_t value = StyleValue(m_styleColour, m_styleAlpha);
    for (FaceSet* set : {&m_header, &m_footer}) {
        if (HasPixels(set->face.get())) set->face->FillValue(value, nullptr);
    }
    DirtyFaceSprite(m_headerSprite.get());
    DirtyFaceSprite(m_footerSprite.get());
    RebuildRows();
}

void ListPart::DirtyFaceSprite(Sprite* sprite) {
    if (!sprite || !sprite->GetImage()) return;
    sprite->InvalidateArea(RECT{0, 0, sprite->GetImage()->Width(), sprite->GetImage()->Height()});
}

// --- Faces from pictures ---

std::int32_t ListPart::LoadFaceSet(FaceSet& set, std::int32_t base, const char* face, const char* overlayMask,
                                   const char* plainMask) {
    // The "no mask" name is told apart before any name is read.
    const bool anyMask = overlayMask != nullptr || plainMask != nullptr;
    if (IsName(overlayMask)) {
        set.loaded[0] = LoadPicture(overlayMask, true);
        if (!set.loaded[0]) return base + kOverlayMaskLoad;
        set.overlayMask = set.loaded[0].get();
        set.overlayMaskFile = overlayMask;
        set.face = NewFace(*set.overlayMask);
        if (!set.face) return base + kFaceFromOverlayMask;
    }
    if (IsName(plainMask)) {
        set.loaded[1] = LoadPicture(plainMask, true);
        if (!set.loaded[1]) return base + kPlainMaskLoad;
        set.plainMask = set.loaded[1].get();
        set.plainMaskFile = plainMask;
        if (!set.face) {
            set.face = NewFace(*set.plainMask);
            if (!set.face) return base + kFaceFromPlainMask;
        }
    }
    if (IsName(face)) {
        set.faceFile = face;
        if (anyMask) {
            set.loaded[2] = LoadPicture(face, false);
            if (!set.loaded[2]) return base + kOverlayLoad;
            set.overlay = set.loaded[2].get();
            if (!set.face) {
                set.face = NewFace(*set.overlay);
                if (!set.face) return base + kFaceFromOverlay;
            }
        } else {
            set.face = LoadPicture(face, false);
            if (!set.face) return base + kFaceLoad;
            set.direct = true;
        }
    }
    // Only "no mask" names: nothing gives the face a size.
    return set.face ? 0 : base + kFaceFromOverlay;
}

std::int32_t ListPart::TakeFaceSet(FaceSet& set, std::int32_t base, Image* face, Image* overlayMask,
                                   Image* plainMask) {
    if (HasPixels(overlayMask)) {
        set.overlayMask = overlayMask;
        set.face = NewFace(*overlayMask);
        if (!set.face) return base + kFaceFromOverlayMask;
    }
    if (HasPixels(plainMask)) {
        set.plainMask = plainMask;
        if (!set.face) {
            set.face = NewFace(*plainMask);
            if (!set.face) return base + kFaceFromPlainMask;
        }
    }
    if (HasPixels(face)) {
        if (set.overlayMask || set.plainMask) {
            set.overlay = face;
            if (!set.face) {
                set.face = NewFace(*face);
                if (!set.face) return base + kFaceFromOverlay;
            }
        } else {
            // The list keeps a copy, so the caller may change or delete its picture.
            set.face.reset(new (std::nothrow) Image);
            if (!set.face || set.face->CopyFrom(face, 0) != 0) {
                set.face.reset();
                return base + kFaceLoad;
            }
            set.direct = true;
        }
    }
    return set.face ? 0 : base + kFaceFromOverlay;
}

namespace {

// SetFacesFromFiles' and SetFacesFromImages' check of the cells.
bool CellsAllowed(std::int32_t cells, bool hasPressed, bool hasDisabled) {
    if (cells < 1 || cells > 4) return false;
    if ((hasPressed || hasDisabled) && cells < 3) return false;
    return !(hasPressed && hasDisabled && cells == 3);
}

}  // namespace

std::int32_t ListPart::SetFacesFromFiles(std::int32_t cells, bool hasPressed, bool hasDisabled, const char* face,
                                         const char* overlayMask, const char* plainMask, const char* headerFace,
                                         const char* headerOverlayMask, const char* headerPlainMask,
                                         const char* footerFace, const char* footerOverlayMask,
                                         const char* footerPlainMask) {
    if (!CellsAllowed(cells, hasPressed, hasDisabled)) return 1;
    if (!IsName(face) && !IsName(overlayMask) && !IsName(plainMask)) return 1;
    ReleaseFaces();
    std::int32_t code = LoadFaceSet(m_row, 2, face, overlayMask, plainMask);
    if (code == 0 && (IsName(headerFace) || IsName(headerOverlayMask) || IsName(headerPlainMask))) {
        code = LoadFaceSet(m_header, 9, headerFace, headerOverlayMask, headerPlainMask);
    }
    if (code == 0 && (IsName(footerFace) || IsName(footerOverlayMask) || IsName(footerPlainMask))) {
        code = LoadFaceSet(m_footer, 16, footerFace, footerOverlayMask, footerPlainMask);
    }
    return FinishFaces(code, cells, hasPressed, hasDisabled);
}

std::int32_t ListPart::SetFacesFromImages(std::int32_t cells, bool hasPressed, bool hasDisabled, Image* face,
                                          Image* overlayMask, Image* plainMask, Image* headerFace,
                                          Image* headerOverlayMask, Image* headerPlainMask, Image* footerFace,
                                          Image* footerOverlayMask, Image* footerPlainMask) {
    if (!CellsAllowed(cells, hasPressed, hasDisabled)) return 1;
    if (!HasPixels(face) && !HasPixels(overlayMask) && !HasPixels(plainMask)) return 1;
    ReleaseFaces();
    std::int32_t code = TakeFaceSet(m_row, 2, face, overlayMask, plainMask);
    if (code == 0 && (HasPixels(headerFace) || HasPixels(headerOverlayMask) || HasPixels(headerPlainMask))) {
        code = TakeFaceSet(m_header, 9, headerFace, headerOverlayMask, headerPlainMask);
    }
    if (code == 0 && (HasPixels(footerFace) || HasPixels(footerOverlayMask) || HasPixels(footerPlainMask))) {
        code = TakeFaceSet(m_footer, 16, footerFace, footerOverlayMask, footerPlainMask);
    }
    return FinishFaces(code, cells, hasPressed, hasDisabled);
}

std::int32_t ListPart::FinishFaces(std::int32_t code, std::int32_t cells, bool hasPressed, bool hasDisabled) {
    if (code == 0) {
        m_cells = cells;
        if (HasHeader() && ShowFace(m_headerSprite, m_header.face.get()) != 0) code = -1;
        if (code == 0 && HasFooter() && ShowFace(m_footerSprite, m_footer.face.get()) != 0) code = -1;
    }
    if (code != 0) {
        ReleaseFaces();
        // The rows follow the faces the list is left with: plain ones.
        RebuildRows();
        return code;
    }
    m_multiCell = cells > 1;
    m_hasPressedCell = hasPressed;
    m_hasDisabledCell = hasDisabled;
    m_disabledCellX = hasDisabled ? m_row.face->Width() / cells * (cells - 1) : 0;
    RedrawFaces(true, true, true);
    return 0;
}

// --- Style ---

std::int32_t ListPart::SetStyle(std::uint8_t overlayMode, std::uint32_t colour, std::uint8_t alpha) {
    const bool modeChanged = (overlayMode != 0) != m_overlayMode;
    const bool colourChanged = (colour & 0xFFFFFF) != m_styleColour;
    const bool alphaChanged = alpha != m_styleAlpha;
    if (!modeChanged && !colourChanged && !alphaChanged) return -1;
    m_overlayMode = overlayMode != 0;
    m_styleColour = colour & 0xFFFFFF;
    m_styleAlpha = alpha;
    if (m_row.face) {
        RedrawFaces(modeChanged, colourChanged, alphaChanged);
    } else {
        RedrawPlain(colourChanged, alphaChanged);
    }
    return 0;
}

void ListPart::ComposeFace(FaceSet& set, bool modeChanged, bool colourChanged, bool alphaChanged) {
    if (!HasPixels(set.face.get()) || set.direct) return;
    Image& face = *set.face;
    const bool onlyColour = colourChanged && !modeChanged && !alphaChanged;
    const std::int32_t r = (m_styleColour >> 16) & 0xFF;
    const std::int32_t g = (m_styleColour >> 8) & 0xFF;
    const std::int32_t b = m_styleColour & 0xFF;
    auto maskInto = [&](Image* mask, bool fill) {
        if (fill) face.FillRect(r, g, b, nullptr);
        face.CopyAlphaChannel(mask, 0, 0, nullptr, false);
        if (m_styleAlpha != 255) face.AlphaLevel(m_styleAlpha, nullptr);
    };
    if (m_overlayMode) {
        if (HasPixels(set.overlayMask)) {
            if (onlyColour) {
                face.FillColourKeepAlpha(r, g, b, nullptr);
            } else {
                maskInto(set.overlayMask, set.overlay != nullptr || colourChanged);
            }
            if (HasPixels(set.overlay)) face.BlendOpacity(set.overlay, 255, 0, 0, nullptr);
        } else if (alphaChanged && HasPixels(set.overlay)) {
            face.Blit(set.overlay, 0, 0, nullptr, false);
            face.CopyAlpha(set.overlay, 0, 0, nullptr);
            if (m_styleAlpha != 255) face.AlphaLevel(m_styleAlpha, nullptr);
        }
    } else if (HasPixels(set.plainMask)) {
        if (onlyColour) {
            face.FillColourKeepAlpha(r, g, b, nullptr);
        } else {
            maskInto(set.plainMask, modeChanged || colourChanged);
        }
    }
}

void ListPart::RedrawFaces(bool modeChanged, bool colourChanged, bool alphaChanged) {
    ComposeFace(m_row, modeChanged, colourChanged, alphaChanged);
    ComposeFace(m_header, modeChanged, colourChanged, alphaChanged);
    ComposeFace(m_footer, modeChanged, colourChanged, alphaChanged);
    DirtyFaceSprite(m_headerSprite.get());
    DirtyFaceSprite(m_footerSprite.get());
    RebuildRows();
}

std::int32_t ListPart::SetReadMarkImage(const char* file) {
    m_readMark.reset();
    if (!file) return 1;
    m_readMark = LoadPicture(file, false);
    return m_readMark ? 0 : 1;
}

// --- Row images ---

std::int32_t ListPart::MakeRowImage(Image& image, std::int32_t* n, std::int32_t* w, std::int32_t* h) {
    if (Image* const face = m_row.face.get()) {
        const std::int32_t width = face->Width();
        if (m_cells > 1) {
            if (image.CopyFrom(face, 0) != 0) return 3;
            *n = m_cells;
            *w = width / m_cells;
        } else {
            // A one-cell face shows the same picture hovered: it goes into both cells.
            if (static_cast<std::int64_t>(width) * 2 > 0x7FFFFFFF || image.Create(width * 2, face->Height(), 32, 0) != 0) {
                return 2;
            }
            image.Blit(face, 0, 0, nullptr, false);
            image.Blit(face, width, 0, nullptr, false);
            *n = 2;
            *w = width;
        }
        *h = face->Height();
    } else {
        if (static_cast<std::int64_t>(m_plainWidth) * 2 > 0x7FFFFFFF ||
            image.Create(m_plainWidth * 2, m_plainHeight, 32, 0) != 0) {
            return 4;
        }
        image.FillValue(StyleValue(m_styleColour, m_styleAlpha), nullptr);
        *n = 2;
        *w = m_plainWidth;
        *h = m_plainHeight;
    }
    image.SetHasAlpha(true);
    return 0;
}

void ListPart::DrawRowTexts(Image& image, std::int32_t row, const char* text, bool disabled, std::int32_t value,
                            std::int32_t n, std::int32_t w, std::int32_t h) {
    if (m_highlightMode != 0) {
        std::uint32_t box = m_highlightColour;
        if (m_highlightMode == 1) box = StyleValue(m_highlightColour, m_styleAlpha);
        if (m_highlightMode == 3) box = StyleValue(~m_styleColour, m_styleAlpha);
        for (std::int32_t cell = 1; cell < n; ++cell) {
            if (cell == n - 1 && n > 2 && m_hasDisabledCell) continue;
            image.FillValueXywh(cell * w + m_marginLeft, m_marginTop, w - m_marginLeft - m_marginRight,
                                h - m_marginTop - m_marginBottom, box);
        }
    }
    const bool read = m_markRead && RowTaken(row, value);
    if (read && HasPixels(m_readMark.get())) image.Blit(m_readMark.get(), 0, 0, nullptr, false);
    if (!m_font || !text || !*text) return;
    FontColours colours(*m_font);
    auto useBase = [&]() {
        if (disabled) {
            colours.Use(m_textDisabled, m_edgeDisabled);
        } else if (read) {
            colours.Use(m_textRead, m_edgeRead);
        } else {
            colours.Use(m_textNormal, m_edgeNormal);
        }
    };
    const std::int32_t x = m_marginLeft + m_textOffsetX;
    const std::int32_t y = m_marginTop + m_textOffsetY;
    useBase();
    DrawText(*m_font, image, x, y, text);
    if (!disabled) colours.Use(m_textHover, m_edgeHover);
    DrawText(*m_font, image, w + x, y, text);
    if (m_hasPressedCell) DrawText(*m_font, image, 2 * w + x + m_pressedOffsetX, y + m_pressedOffsetY, text);
    if (m_hasDisabledCell && !disabled) {
        useBase();
        DrawText(*m_font, image, (n - 1) * w + x, y, text);
    }
}

void ListPart::RebuildRows() {
    for (std::int32_t row = 0; row < RowCount(); ++row) {
        Image& image = *m_rowImages[row];
        Sprite& sprite = *m_rowSprites[row];
        std::int32_t n = 0;
        std::int32_t w = 0;
        std::int32_t h = 0;
        if (MakeRowImage(image, &n, &w, &h) != 0) continue;
        const ListRow& entry = *Row(row);
        DrawRowTexts(image, row, entry.text.c_str(), entry.disabled, entry.value, n, w, h);
        const std::uint8_t alpha = sprite.Alpha();
        const RECT cell = {0, 0, w, h};
        sprite.SetImage(&image, &cell, sprite.X(), sprite.Y());
        sprite.SetBlendMode(2);
        sprite.SetAlpha(alpha);
        m_rowWidth = w;
    }
    for (std::int32_t row = 0; row < RowCount(); ++row) {
        SetRowState(row, row != HoverRow() ? kRowNormal : PressStateValue() == kPressed ? kRowPressed : kRowHover);
    }
    Layout();
}
