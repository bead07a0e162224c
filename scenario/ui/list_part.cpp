// The list's rows, layout, placement and the geometry of its pointer tests.
#include "scenario/ui/list_part.h"

#include <new>

#include "graphics/sprites/sprite_list.h"
#include "scenario/ui/ui_part_group.h"

namespace {

// Rounds towards minus infinity.
std::int32_t FloorDiv(std::int32_t a, std::int32_t b) {
    const std::int32_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

}  // namespace

const char* const ListPart::kNoMaskName = reinterpret_cast<const char*>(-1);

ListPart::ListPart() = default;

ListPart::~ListPart() {
    // Leaves while whole, so the group's last calls reach this type's handlers.
    LeaveGroup();
    ClearRows();
    m_rowSprites.clear();
    m_rowImages.clear();
    ReleaseFaces();
}

// --- Geometry ---

std::int32_t ListPart::RowHeight() const {
    if (!m_rowImages.empty()) return m_rowImages.front()->Height();
    return m_row.face ? m_row.face->Height() : m_plainHeight;
}

std::int32_t ListPart::Step() const {
    return RowHeight() + (HasHeader() || HasFooter() ? 0 : m_spacing);
}

std::int32_t ListPart::ImageCells() const { return m_row.face && m_cells > 1 ? m_cells : 2; }

void ListPart::Place(Sprite& sprite) {
    if (!m_spriteList || sprite.List() || !sprite.GetImage()) return;
    m_spriteList->Add(&sprite, static_cast<std::uint32_t>(m_priority), static_cast<std::uint32_t>(GetTag()));
}

void ListPart::Layout() {
    if (m_rowSprites.empty()) return;
    const std::int64_t total = static_cast<std::int64_t>(Step()) * (RowCount() - 1) + HeaderHeight() +
                               FooterHeight() + RowHeight();
    m_totalHeight = static_cast<std::int32_t>(total);
    m_listX = m_x;
    m_listTop = m_centreY - m_totalHeight / 2;
    PlaceSprites();
}

void ListPart::PlaceSprites() {
    std::int32_t y = m_listTop;
    if (m_headerSprite && HasHeader()) {
        Place(*m_headerSprite);
        m_headerSprite->SetPosition(m_listX, y);
        m_headerSprite->SetVisible(1);
        y += HeaderHeight();
    }
    const std::int32_t step = Step();
    for (std::size_t i = 0; i < m_rowSprites.size(); ++i) {
        m_rowSprites[i]->SetPosition(m_listX, y + static_cast<std::int32_t>(i) * step);
    }
    if (m_footerSprite && HasFooter()) {
        Place(*m_footerSprite);
        m_footerSprite->SetPosition(m_listX, y + (RowCount() - 1) * step + RowHeight());
        m_footerSprite->SetVisible(1);
    }
}

std::int32_t ListPart::SetPosition(std::int32_t x, std::int32_t y) {
    if (m_rowSprites.empty()) return 1;
    m_listX = x;
    m_listTop = y;
    PlaceSprites();
    return 0;
}

// --- Sprites ---

void ListPart::SetVisible(bool visible) {
    UiPartGroup* const group = Group();
    if (!visible && group && group->IsFocused(this)) group->FocusPart(nullptr);
    if (!visible && Group() && Group()->IsHovered(this)) Group()->EndHover();
    const std::uint8_t shown = visible ? 1 : 0;
    if (m_headerSprite) m_headerSprite->SetVisible(shown);
    for (const std::unique_ptr<Sprite>& sprite : m_rowSprites) sprite->SetVisible(shown);
    if (m_footerSprite) m_footerSprite->SetVisible(shown);
}

bool ListPart::IsVisible() { return !m_rowSprites.empty() && m_rowSprites.front()->IsVisible(); }

std::uint8_t ListPart::GetAlpha() { return m_rowSprites.empty() ? 0 : m_rowSprites.front()->Alpha(); }

void ListPart::SetAlpha(std::uint8_t alpha) {
    if (m_headerSprite) m_headerSprite->SetAlpha(alpha);
    for (const std::unique_ptr<Sprite>& sprite : m_rowSprites) sprite->SetAlpha(alpha);
    if (m_footerSprite) m_footerSprite->SetAlpha(alpha);
}

std::int32_t ListPart::SetPriority(std::int32_t priority, std::int32_t, bool) {
    if (!m_spriteList) return 1;
    m_priority = priority;
    auto move = [this, priority](Sprite* sprite) {
        if (sprite && sprite->List() == m_spriteList) {
            m_spriteList->SetPriority(sprite, static_cast<std::uint32_t>(priority), false);
        }
    };
    move(m_headerSprite.get());
    for (const std::unique_ptr<Sprite>& sprite : m_rowSprites) move(sprite.get());
    move(m_footerSprite.get());
    return 0;
}

void ListPart::SetSpriteList(SpriteList* list) {
    auto move = [this, list](Sprite* sprite) {
        if (!sprite) return;
        sprite->Detach();
        if (list && sprite->GetImage()) {
            list->Add(sprite, static_cast<std::uint32_t>(m_priority), static_cast<std::uint32_t>(GetTag()));
        }
    };
    move(m_headerSprite.get());
    for (const std::unique_ptr<Sprite>& sprite : m_rowSprites) move(sprite.get());
    move(m_footerSprite.get());
    m_spriteList = list;
}

void ListPart::DropReferencesTo(const void* object) {
    ListPartBase::DropReferencesTo(object);
    if (!object) return;
    if (object == m_spriteList) SetSpriteList(nullptr);
    // Faces made from a dropped image object stay as they are; it is no longer read.
    for (FaceSet* set : {&m_row, &m_header, &m_footer}) {
        if (object == set->overlay) set->overlay = nullptr;
        if (object == set->overlayMask) set->overlayMask = nullptr;
        if (object == set->plainMask) set->plainMask = nullptr;
    }
}

Image* ListPart::RowImage(std::int32_t row) {
    if (row < 0) return m_header.face.get();
    if (row >= RowCount()) return m_footer.face.get();
    return m_rowImages[row].get();
}

Sprite* ListPart::RowSprite(std::int32_t row) {
    if (row < 0) return HasHeader() ? m_headerSprite.get() : nullptr;
    if (row >= RowCount()) return HasFooter() ? m_footerSprite.get() : nullptr;
    return m_rowSprites[row].get();
}

char* ListPart::RowText(std::int32_t row) {
    if (!ValidRow(row) || m_rows[row]->text.empty()) return nullptr;
    return &m_rows[row]->text[0];
}

// --- Rows ---

std::int32_t ListPart::Create(SpriteList* spriteList, std::int32_t priority, std::int32_t x, std::int32_t centreY,
                              std::int32_t width, std::int32_t height, std::int32_t spacing, Font* font,
                              std::int32_t tag) {
    ClearItems();
    if (!font) return 1;
    m_x = x;
    m_centreY = centreY;
    m_spriteList = spriteList;
    m_priority = priority;
    if (width != m_plainWidth && !m_row.face && (m_plainHeaderHeight > 0 || m_plainFooterHeight > 0)) {
        SetPlainFaces(width, height, m_plainHeaderHeight, m_plainFooterHeight);
    }
    m_plainWidth = width;
    m_plainHeight = height;
    m_spacing = spacing;
    m_font = font;
    SetTag(tag);
    return 0;
}

void ListPart::ClearItems() {
    ClearRows();
    m_rowSprites.clear();
    m_rowImages.clear();
    m_rowWidth = 0;
    if (m_headerSprite) m_headerSprite->SetVisible(0);
    if (m_footerSprite) m_footerSprite->SetVisible(0);
}

std::int32_t ListPart::AddItem(const char* text, const char* tooltip, bool disabled, std::int32_t value,
                               const char* text1, std::int32_t actionValue, const char* text2,
                               CallerWord activatedOut, CallerWord enteredOut, CallerWord leftOut) {
    if (!m_spriteList || !m_font || !text) return 1;
    std::unique_ptr<Image> image(new (std::nothrow) Image);
    std::unique_ptr<Sprite> sprite(new (std::nothrow) Sprite);
    if (!image || !sprite) return -1;
    std::int32_t n = 0;
    std::int32_t w = 0;
    std::int32_t h = 0;
    const std::int32_t code = MakeRowImage(*image, &n, &w, &h);
    if (code != 0) return code;
    DrawRowTexts(*image, RowCount(), text, disabled, value, n, w, h);
    const RECT cell = {0, 0, w, h};
    if (sprite->SetImage(image.get(), &cell, 0, 0) != 0) return -1;
    sprite->SetBlendMode(2);
    if (AddRow(text, disabled, value, text1, actionValue, text2, tooltip, activatedOut, enteredOut, leftOut) != 0) {
        return 5;
    }
    try {
        m_rowImages.push_back(std::move(image));
        m_rowSprites.push_back(std::move(sprite));
    } catch (const std::bad_alloc&) {
        if (m_rowImages.size() > m_rowSprites.size()) m_rowImages.pop_back();
        m_rows.pop_back();
        return -1;
    }
    Place(*m_rowSprites.back());
    m_rowWidth = w;
    Layout();
    return 0;
}

std::int32_t ListPart::SetRowState(std::int32_t row, std::int32_t state) {
    if (!ValidRow(row)) return 1;
    Sprite& sprite = *m_rowSprites[row];
    std::int32_t cell = state;
    if (!m_hasPressedCell) {
        if (!HasHeader() && !HasFooter() && (m_pressedOffsetX != 0 || m_pressedOffsetY != 0)) {
            const bool pressed = state == kRowPressed;
            sprite.SetPosition(m_listX + (pressed ? m_pressedOffsetX : 0),
                               m_listTop + row * (RowHeight() + m_spacing) + (pressed ? m_pressedOffsetY : 0));
        }
        if (state == kRowPressed || state == kRowDisabled) cell = state - 1;
    }
    // The disabled cell is the face's last, whatever other cells the face has; a state whose
    // cell the row image lacks shows the normal cell.
    const std::int32_t cells = ImageCells();
    if (state == kRowDisabled && m_hasDisabledCell) cell = cells - 1;
    if (cell < 0 || cell >= cells) cell = 0;
    const RECT source = {cell * m_rowWidth, 0, (cell + 1) * m_rowWidth, RowHeight()};
    sprite.SetSourceRect(&source);
    return 0;
}

bool ListPart::GetRowPointerPosition(std::int32_t row, std::int32_t* x, std::int32_t* y) {
    if (!ValidRow(row)) return false;
    const Sprite& sprite = *m_rowSprites[row];
    *y = sprite.Y() + RowHeight() / 2;
    if (m_overlayMode || m_styleAlpha != 0) {
        *x = sprite.X() + m_rowWidth - m_marginRight + FloorDiv(m_marginRight, 4) + 1;
    } else {
        *x = sprite.X() + m_marginLeft - 8;
    }
    return true;
}

std::int32_t ListPart::RowAt(std::int32_t x, std::int32_t y) {
    if (HoverSuppressed() || m_rowSprites.empty()) return -1;
    if (x < m_marginLeft || x >= m_rowWidth - m_marginRight) return -1;
    y -= HeaderHeight();
    if (y < 0) return -1;
    const std::int32_t step = Step();
    const std::int32_t height = RowHeight();
    for (std::int32_t row = 0; row < RowCount(); ++row) {
        const std::int64_t top = static_cast<std::int64_t>(row) * step;
        if (y >= top + m_marginTop && y < top + height - m_marginBottom) {
            const bool showsDisabled =
                m_hasDisabledCell && m_rowSprites[row]->SourceRect().left == m_disabledCellX;
            return Selectable(row) && !showsDisabled ? row : -1;
        }
    }
    return -1;
}

bool ListPart::HitFrame(std::int32_t x, std::int32_t y) {
    if (!m_row.face || m_rowSprites.empty()) return false;
    const std::int32_t headerHeight = HeaderHeight();
    const std::int32_t footerTop = m_totalHeight - FooterHeight();
    const bool inText = x >= m_marginLeft && x < m_rowWidth - m_marginRight && y >= headerHeight + m_marginTop &&
                        y < footerTop - m_marginBottom;
    if (inText || x < 0 || x >= m_rowWidth || y < 0 || y >= m_totalHeight) return false;
    Image* face = nullptr;
    std::int32_t faceY = 0;
    if (y < headerHeight) {
        face = m_header.face.get();
        faceY = y;
    } else if (y >= footerTop) {
        face = m_footer.face.get();
        faceY = y - footerTop;
    } else {
        const std::int32_t rowY = y - headerHeight;
        const std::int32_t step = Step();
        const std::int32_t height = RowHeight();
        for (std::int32_t row = 0; row < RowCount() && !face; ++row) {
            const std::int64_t top = static_cast<std::int64_t>(row) * step;
            if (rowY >= top && rowY < top + height) {
                face = m_row.face.get();
                faceY = static_cast<std::int32_t>(rowY - top);
            }
        }
    }
    if (!face || x >= face->Width() || faceY >= face->Height()) return false;
    return (face->GetPixel(x, faceY) >> 24) >= m_dragAlpha;
}
