// The text window's skin: the composite made from a colour, the two alpha masks and the
// decoration, the background drawn from it (whole or as a nine-slice frame), and the frame
// hit test and resizing that follow from it.
#include <algorithm>
#include <new>

#include "graphics/sprites/fill_rect_sprite.h"
#include "scenario/ui/ui_part_group.h"
#include "scenario/text/text_window_part.h"

namespace {

// The pointer value scripts pass for "no mask, but build the skin as with one".
const char* const kNoMaskName = reinterpret_cast<const char*>(-1);

bool HasPixels(Image* image) {
    return image != nullptr && image->Bits() != nullptr;
}

}  // namespace

void TextWindowPart::ReleaseSkinImages(bool redraw) {
    if (m_ownsFrame) {
        delete m_frameImage;
    }
    if (m_ownsDecoration) {
        delete m_decorationImage;
    }
    if (m_ownsMasks) {
        delete m_maskA;
        delete m_maskB;
    }
    m_frameImage = nullptr;
    m_decorationImage = nullptr;
    m_maskA = nullptr;
    m_maskB = nullptr;
    m_ownsFrame = m_ownsDecoration = m_ownsMasks = false;
    m_decorationName.clear();
    m_maskAName.clear();
    m_maskBName.clear();
    if (redraw && HasImage()) {
        Home(true);
    }
}

std::int32_t TextWindowPart::SetSkinImages(const char* decorationName, const char* maskAName,
                                           const char* maskBName, bool rebuild) {
    ReleaseSkinImages(false);
    if (decorationName == nullptr && maskAName == nullptr && maskBName == nullptr) {
        return 1;
    }
    m_frameImage = new (std::nothrow) Image;
    if (m_frameImage == nullptr) {
        return -1;
    }
    m_ownsFrame = true;
    m_ownsDecoration = true;
    m_ownsMasks = true;
    bool haveSize = false;
    const bool anyMask = maskAName != nullptr || maskBName != nullptr;
    auto fail = [this](std::int32_t code) {
        ReleaseSkinImages(false);
        return code;
    };
    const char* maskNames[2] = {maskAName, maskBName};
    Image** masks[2] = {&m_maskA, &m_maskB};
    std::string* names[2] = {&m_maskAName, &m_maskBName};
    for (int n = 0; n < 2; ++n) {
        if (maskNames[n] == nullptr || maskNames[n] == kNoMaskName) {
            continue;
        }
        *names[n] = maskNames[n];
        *masks[n] = new (std::nothrow) Image;
        if (*masks[n] == nullptr) {
            return fail(-1);
        }
        if ((*masks[n])->LoadIndexed(maskNames[n], nullptr, 0, 0) != 0) {
            return fail(2 + 2 * n);
        }
        if (!haveSize) {
            if (m_frameImage->Create((*masks[n])->Width(), (*masks[n])->Height(), 32, 0) != 0) {
                return fail(3 + 2 * n);
            }
            haveSize = true;
        }
    }
    if (decorationName != nullptr) {
        m_decorationName = decorationName;
        if (anyMask) {
            m_decorationImage = new (std::nothrow) Image;
            if (m_decorationImage == nullptr) {
                return fail(-1);
            }
            if (m_decorationImage->Load(decorationName, nullptr, 0, 0) != 0) {
                return fail(6);
            }
            if (!haveSize) {
                if (m_frameImage->Create(m_decorationImage->Width(), m_decorationImage->Height(),
                                         32, 0) != 0) {
                    return fail(7);
                }
                haveSize = true;
            }
            m_frameImage->SetHasAlpha(true);
        } else {
            if (m_frameImage->Load(decorationName, nullptr, 0, 0) != 0) {
                return fail(8);
            }
            haveSize = true;
        }
    }
    if (!haveSize) {
        // Only "no mask" markers: there is nothing to size a composite by.
        return fail(7);
    }
    if (NineSlice()) {
        m_sliceRight = m_frameImage->Width() - m_sliceLeft - m_sliceTileWidth;
        m_sliceBottom = m_frameImage->Height() - m_sliceTop - m_sliceTileHeight;
    }
    ComposeFrame(true, true, true);
    if (rebuild && HasImage() && Rebuild() != 0) {
        return fail(9);
    }
    return 0;
}

std::int32_t TextWindowPart::SetSkinImagesFrom(Image* decoration, Image* maskA, Image* maskB,
                                               bool rebuild) {
    ReleaseSkinImages(false);
    if (!HasPixels(decoration) && !HasPixels(maskA) && !HasPixels(maskB)) {
        return 1;
    }
    m_decorationImage = HasPixels(decoration) ? decoration : nullptr;
    m_maskA = HasPixels(maskA) ? maskA : nullptr;
    m_maskB = HasPixels(maskB) ? maskB : nullptr;
    if (m_maskA != nullptr || m_maskB != nullptr) {
        Image* sizer = m_maskA != nullptr ? m_maskA : m_maskB;
        auto* composite = new (std::nothrow) Image;
        if (composite == nullptr ||
            composite->Create(sizer->Width(), sizer->Height(), 32, 0) != 0) {
            delete composite;
            ReleaseSkinImages(false);
            return 2;
        }
        composite->SetHasAlpha(true);
        m_frameImage = composite;
        m_ownsFrame = true;
    } else {
        m_frameImage = m_decorationImage;
    }
    if (NineSlice()) {
        m_sliceRight = m_frameImage->Width() - m_sliceLeft - m_sliceTileWidth;
        m_sliceBottom = m_frameImage->Height() - m_sliceTop - m_sliceTileHeight;
    }
    ComposeFrame(true, true, true);
    if (rebuild && HasImage() && Rebuild() != 0) {
        ReleaseSkinImages(false);
        return 9;
    }
    return 0;
}

std::int32_t TextWindowPart::SetBackground(std::uint8_t frameMode, std::uint32_t colour,
                                           std::uint8_t alpha, bool redraw) {
    const bool modeChanged = (frameMode != 0) != (m_frameMode != 0);
    const bool colourChanged = (colour & 0xFFFFFF) != m_backgroundColour;
    const bool alphaChanged = alpha != m_backgroundAlpha;
    if (!modeChanged && !colourChanged && !alphaChanged) {
        return -1;
    }
    m_frameMode = frameMode != 0 ? 1 : 0;
    m_backgroundColour = colour & 0xFFFFFF;
    m_backgroundAlpha = alpha;
    ComposeFrame(modeChanged, colourChanged, alphaChanged);
    if (!HasImage()) {
        return -2;
    }
    if (redraw) {
        Home(true);
    }
    return 0;
}

void TextWindowPart::ComposeFrame(bool modeChanged, bool colourChanged, bool alphaChanged) {
    if (!HasPixels(m_frameImage) || (!m_ownsFrame && m_frameImage == m_decorationImage)) {
        // Without a composite of our own there is nothing to compose into.
        return;
    }
    const bool onlyColour = colourChanged && !modeChanged && !alphaChanged;
    const std::int32_t r = (m_backgroundColour >> 16) & 0xFF;
    const std::int32_t g = (m_backgroundColour >> 8) & 0xFF;
    const std::int32_t b = m_backgroundColour & 0xFF;
    Image& composite = *m_frameImage;
    auto fillWithMask = [&](Image* mask) {
        composite.FillRect(r, g, b, nullptr);
        composite.CopyAlphaChannel(mask, 0, 0, nullptr, false);
        if (m_backgroundAlpha < 255) {
            composite.AlphaLevel(m_backgroundAlpha, nullptr);
        }
    };
    if (m_frameMode) {
        if (HasPixels(m_maskA)) {
            if (onlyColour) {
                composite.FillColourKeepAlpha(r, g, b, nullptr);
            } else if (m_decorationImage != nullptr || colourChanged || alphaChanged) {
                // A new opacity alone rescales the mask too; left out, it would not show.
                fillWithMask(m_maskA);
            }
            if (HasPixels(m_decorationImage)) {
                composite.BlendOpacity(m_decorationImage, 255, 0, 0, nullptr);
            }
        } else if (alphaChanged && HasPixels(m_decorationImage)) {
            composite.Blit(m_decorationImage, 0, 0, nullptr, false);
            composite.CopyAlpha(m_decorationImage, 0, 0, nullptr);
            if (m_backgroundAlpha < 255) {
                composite.AlphaLevel(m_backgroundAlpha, nullptr);
            }
        }
    } else if (HasPixels(m_maskB)) {
        if (onlyColour) {
            composite.FillColourKeepAlpha(r, g, b, nullptr);
        } else if (modeChanged || colourChanged || alphaChanged) {
            fillWithMask(m_maskB);
        }
    }
}

bool TextWindowPart::SetNineSlice(std::int32_t left, std::int32_t top, std::int32_t tileWidth,
                                  std::int32_t tileHeight) {
    if (m_frameImage != nullptr) {
        return false;
    }
    m_sliceLeft = left;
    m_sliceTop = top;
    m_sliceTileWidth = tileWidth;
    m_sliceTileHeight = tileHeight;
    return true;
}

void TextWindowPart::DrawNineSlice() {
    Image& c = *m_frameImage;
    const std::int32_t cw = c.Width();
    const std::int32_t ch = c.Height();
    const std::int32_t tw = std::max(1, m_sliceTileWidth);
    const std::int32_t th = std::max(1, m_sliceTileHeight);
    const std::int32_t right = m_width - m_sliceRight;
    const std::int32_t bottom = m_height - m_sliceBottom;
    auto piece = [&](std::int32_t sx, std::int32_t sy, std::int32_t w, std::int32_t h,
                     std::int32_t x, std::int32_t y) {
        if (w <= 0 || h <= 0) {
            return;
        }
        RECT source{sx, sy, sx + w, sy + h};
        m_image.Blit(&c, x, y, &source, false);
    };
    // Repeated tiles stop at the far edge pieces: a size that is no whole number of tiles
    // cuts the last tile instead of painting over the right and bottom edges.
    auto across = [&](std::int32_t x) { return std::min(tw, right - x); };
    auto down = [&](std::int32_t y) { return std::min(th, bottom - y); };
    piece(0, 0, m_sliceLeft, m_sliceTop, 0, 0);
    for (std::int32_t x = m_sliceLeft; x < right; x += tw) {
        piece(m_sliceLeft, 0, across(x), m_sliceTop, x, 0);
        piece(m_sliceLeft, ch - m_sliceBottom, across(x), m_sliceBottom, x, bottom);
    }
    piece(cw - m_sliceRight, 0, m_sliceRight, m_sliceTop, right, 0);
    piece(0, ch - m_sliceBottom, m_sliceLeft, m_sliceBottom, 0, bottom);
    piece(cw - m_sliceRight, ch - m_sliceBottom, m_sliceRight, m_sliceBottom, right, bottom);
    for (std::int32_t y = m_sliceTop; y < bottom; y += th) {
        piece(0, m_sliceTop, m_sliceLeft, down(y), 0, y);
        piece(cw - m_sliceRight, m_sliceTop, m_sliceRight, down(y), right, y);
    }
    if (m_sliceTileWidth == 1 && m_sliceTileHeight == 1) {
        RECT centre{m_sliceLeft, m_sliceTop, right, bottom};
        m_image.FillValue(c.GetPixel(m_sliceLeft, m_sliceTop), &centre);
    } else {
        for (std::int32_t y = m_sliceTop; y < bottom; y += th) {
            for (std::int32_t x = m_sliceLeft; x < right; x += tw) {
                piece(m_sliceLeft, m_sliceTop, across(x), down(y), x, y);
            }
        }
    }
}

std::int32_t TextWindowPart::Clear() {
    if (!HasImage()) {
        return 1;
    }
    if (Group() != nullptr) {
        Group()->GetCursorPos(&m_pointerX, &m_pointerY);
    }
    m_previousChar[0] = m_previousChar[1] = 0;
    m_untouched = 1;
    const bool composite = HasPixels(m_frameImage);
    const bool withAlpha =
        composite && (m_maskA != nullptr || m_maskB != nullptr || m_frameImage->HasAlpha());
    if (composite && NineSlice()) {
        if (!withAlpha) {
            m_image.FillValue(0xFF000000u, nullptr);
        }
        DrawNineSlice();
        if (!withAlpha) {
            m_image.Invert(2, nullptr);
        }
    } else if (!composite) {
        m_image.FillValue(m_backgroundAlpha == 0
                              ? 0u
                              : (m_backgroundColour | (static_cast<std::uint32_t>(
                                                           m_backgroundAlpha) << 24)),
                          nullptr);
    } else if (withAlpha) {
        m_image.Blit(m_frameImage, 0, 0, nullptr, false);
    } else {
        m_image.FillValue(0xFF000000u, nullptr);
        m_image.Blit(m_frameImage, 0, 0, nullptr, false);
        m_image.Invert(2, nullptr);
    }
    m_sprite.InvalidateArea(RECT{0, 0, m_width, m_height});
    if (m_itemCount != 0 || !m_items.empty()) {
        ClearItemMap();
        m_locked = 0;
        ShowItemHighlight(-1, false);
        m_hoveredItem = -1;
        ClearItems();
    }
    m_lastLine = 0;
    return 0;
}

bool TextWindowPart::CompositePoint(std::int32_t x, std::int32_t y, std::int32_t* cx,
                                    std::int32_t* cy) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) {
        return false;
    }
    const std::int32_t cw = m_frameImage->Width();
    const std::int32_t ch = m_frameImage->Height();
    if (NineSlice()) {
        // The window repeats the composite's edge and centre tiles: map back to the tile.
        const std::int32_t tw = std::max(1, m_sliceTileWidth);
        const std::int32_t th = std::max(1, m_sliceTileHeight);
        if (x >= m_width - m_sliceRight) {
            x -= m_width - cw;
        } else if (x >= m_sliceLeft) {
            x = m_sliceLeft + (x - m_sliceLeft) % tw;
        }
        if (y >= m_height - m_sliceBottom) {
            y -= m_height - ch;
        } else if (y >= m_sliceTop) {
            y = m_sliceTop + (y - m_sliceTop) % th;
        }
    }
    if (x < 0 || y < 0 || x >= cw || y >= ch) {
        return false;
    }
    *cx = x;
    *cy = y;
    return true;
}

bool TextWindowPart::HitTestFrame(std::int32_t x, std::int32_t y) {
    if (!HasPixels(m_frameImage)) {
        return false;
    }
    const bool inText = x >= m_marginLeft && x < m_width - m_marginRight && y >= m_marginTop &&
                        y < m_height - m_marginBottom;
    std::int32_t cx = 0;
    std::int32_t cy = 0;
    if (inText || !CompositePoint(x, y, &cx, &cy)) {
        return false;
    }
    const auto alpha = static_cast<std::int32_t>(m_frameImage->GetPixel(cx, cy) >> 24);
    return alpha >= dragAlphaThreshold;
}

std::int32_t TextWindowPart::Resize(std::int32_t width, std::int32_t height, bool inPlace) {
    if (width < 1 || height < 1 || !NineSlice() || !HasPixels(m_frameImage) || !HasImage()) {
        return 1;
    }
    DeleteHighlights();
    auto fit = [](std::int32_t size, std::int32_t tile, std::int32_t composite) {
        if (tile > 1 && (size + tile - composite) % tile != 0) {
            return composite + tile * ((size + tile - composite) / tile);
        }
        return size;
    };
    width = fit(width, m_sliceTileWidth, m_frameImage->Width());
    height = fit(height, m_sliceTileHeight, m_frameImage->Height());
    const std::int32_t x = GetX();
    const std::int32_t y = GetY();
    const std::uint8_t alpha = m_sprite.Alpha();
    if (inPlace) {
        if (m_image.Resize(width, height) != 0) {
            return 3;
        }
    } else {
        m_image.Free();
        if (m_image.Create(width, height, 32, 0) != 0) {
            return 2;
        }
    }
    m_sprite.SetImage(&m_image, nullptr, x, y);
    m_sprite.SetAlpha(alpha);
    m_width = width;
    m_height = height;
    if (m_itemMap != nullptr) {
        if (inPlace) {
            if (m_itemMap->Resize(width, height) != 0) {
                return 5;
            }
            ClearItemMap();
        } else if (!MakeItemMap()) {
            return 4;
        }
    }
    UpdateWrapLimitIfFont();
    Home(true);
    return 0;
}
