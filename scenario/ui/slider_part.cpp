#include "scenario/ui/slider_part.h"

#include <algorithm>
#include <limits>
#include <new>
#include <string>

#include "graphics/image/mix_kernels.h"
#include "graphics/sprites/sprite_list.h"
#include "scenario/ui/slider_arrow_button.h"
#include "scenario/ui/ui_part_group.h"

namespace {

// The drawn thumb strip: 4 pixels along the bar, caps of 1 and 2.
constexpr std::int32_t kDrawnThumbLength = 4;
constexpr std::int32_t kDrawnThumbStartCap = 1;
constexpr std::int32_t kDrawnThumbEndCap = 2;

std::uint8_t AlphaOf(std::uint32_t colour) { return static_cast<std::uint8_t>(colour >> 24); }

void Fill(Image& image, std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::uint32_t value) {
    const RECT rect = {l, t, r, b};
    image.FillValue(value, &rect);
}

// One raised face of the drawn thumb at (L, T), W x H, its interior washed with `wash` (no wash
// for alpha 0 washes of face 0).
void DrawThumbFace(Image& image, std::int32_t L, std::int32_t T, std::int32_t W, std::int32_t H,
                   std::uint32_t face, const std::uint32_t* wash) {
    const std::uint32_t light = ScaleColourBrightness(face, 3);
    const std::uint32_t dark = ShiftColourBrightness(face, -1);
    const std::uint32_t darkest = ShiftColourBrightness(face, -2);
    Fill(image, L + 1, T + 1, L + W - 2, T + H - 2, face);
    if (wash) {
        const RECT interior = {L + 1, T + 1, L + W - 2, T + H - 2};
        image.FillAlpha((*wash >> 16) & 0xFF, (*wash >> 8) & 0xFF, *wash & 0xFF, AlphaOf(*wash), &interior);
    }
    Fill(image, L, T, L + W - 1, T + 1, light);
    Fill(image, L, T + 1, L + 1, T + H - 1, light);
    Fill(image, L, T + H - 1, L + W, T + H, darkest);
    Fill(image, L + W - 1, T, L + W, T + H - 1, darkest);
    Fill(image, L + 1, T + H - 2, L + W - 1, T + H - 1, dark);
    Fill(image, L + W - 2, T + 1, L + W - 1, T + H - 2, dark);
}

void ApplyKey(Image& image, std::int32_t keyX, std::int32_t keyY) {
    if (keyY >= 0) {
        // A key pixel outside the strip gives no key rather than whatever lies past it.
        if (keyX >= 0 && keyX < image.Width() && keyY < image.Height()) {
            image.SetColourKeyFromPixel(keyX, keyY);
        } else {
            image.ClearColourKey();
        }
    } else if (keyX != -1) {
        image.SetColourKeyRgb((keyX >> 16) & 0xFF, (keyX >> 8) & 0xFF, keyX & 0xFF);
    } else {
        image.ClearColourKey();
    }
}

}  // namespace

SliderPart::SliderPart() = default;

SliderPart::~SliderPart() {
    // Leaves while whole, so the group's last calls reach this type's handlers.
    ReleaseCapture();
    LeaveGroup();
    Release();
    m_thumbSprite.Detach();
    m_trackSprite.Detach();
}

Image* SliderPart::ThumbImage() { return m_thumbImage.Bits() ? &m_thumbImage : nullptr; }

Image* SliderPart::TrackImage() { return m_trackImage.Bits() ? &m_trackImage : nullptr; }

// --- Geometry ---

std::int32_t SliderPart::TrackLeft() const { return m_x + (m_vertical ? 0 : ArrowLength(m_decArrow)); }

std::int32_t SliderPart::TrackTop() const { return m_y + (m_vertical ? ArrowLength(m_decArrow) : 0); }

std::int32_t SliderPart::ThumbX() const { return m_x + m_trackX + (m_vertical ? 0 : m_thumbPos); }

std::int32_t SliderPart::ThumbY() const { return m_y + m_trackY + (m_vertical ? m_thumbPos : 0); }

void SliderPart::PlaceThumb() {
    if (m_thumbPos < 0) return;
    m_thumbSprite.SetPosition(ThumbX(), ThumbY());
}

std::int32_t SliderPart::SetPosition(std::int32_t x, std::int32_t y) {
    m_x = x;
    m_y = y;
    PlaceThumb();
    if (m_decArrow) m_decArrow->SetPosition(x, y);
    m_trackSprite.SetPosition(TrackLeft(), TrackTop());
    if (m_incArrow) {
        m_incArrow->SetPosition(m_vertical ? x : TrackLeft() + m_width, m_vertical ? TrackTop() + m_height : y);
    }
    return 0;
}

void SliderPart::SetVisible(bool visible) {
    if (!visible && Group() && Group()->IsFocused(this)) Group()->FocusPart(nullptr);
    if (!visible && Group() && Group()->IsHovered(this)) Group()->EndHover();
    m_visible = visible;
    if (m_decArrow) m_decArrow->SetVisible(visible);
    if (m_incArrow) m_incArrow->SetVisible(visible);
    m_trackSprite.SetVisible(visible ? 1 : 0);
    m_thumbSprite.SetVisible(visible && m_thumbPos >= 0 ? 1 : 0);
}

std::int32_t SliderPart::SetPriority(std::int32_t priority, std::int32_t tag, bool redraw) {
    if (!m_spriteList) return 1;
    m_priority = priority;
    const auto p = static_cast<std::uint32_t>(priority);
    const bool placed = m_thumbSprite.List() || m_trackSprite.List();
    if (!placed) {
        m_tag = tag;
        SetTag(tag);
    }
    const auto t = static_cast<std::uint32_t>(m_tag);
    // The track goes below the thumb of the same priority.
    if (m_trackSprite.List()) {
        m_spriteList->SetPriorityAfterEquals(&m_trackSprite, p, false);
    } else if (m_trackSprite.GetImage()) {
        m_spriteList->AddAfterEquals(&m_trackSprite, p, t);
    }
    if (m_thumbSprite.List()) {
        m_spriteList->SetPriority(&m_thumbSprite, p, false);
    } else if (m_thumbSprite.GetImage()) {
        m_spriteList->Add(&m_thumbSprite, p, t);
    }
    if (m_decArrow) m_decArrow->SetPriority(priority, tag, redraw);
    if (m_incArrow) m_incArrow->SetPriority(priority, tag, redraw);
    return 0;
}

void SliderPart::SetAlpha(std::uint8_t alpha) {
    m_thumbAlpha = alpha;
    m_trackAlpha = alpha;
    m_thumbSprite.SetAlpha(alpha);
    m_trackSprite.SetAlpha(alpha);
    if (m_decArrow) m_decArrow->SetAlpha(alpha);
    if (m_incArrow) m_incArrow->SetAlpha(alpha);
}

std::int32_t SliderPart::MoveToSpriteList(SpriteList* list) {
    if (!list) return 1;
    if (!m_listDropped && (!m_spriteList || (!m_thumbSprite.List() && !m_trackSprite.List()))) return 1;
    const bool thumb = m_thumbSprite.GetImage() != nullptr;
    const bool track = m_trackSprite.GetImage() != nullptr;
    m_thumbSprite.Detach();
    m_trackSprite.Detach();
    m_spriteList = list;
    m_listDropped = false;
    const auto p = static_cast<std::uint32_t>(m_priority);
    const auto t = static_cast<std::uint32_t>(m_tag);
    if (track) list->AddAfterEquals(&m_trackSprite, p, t);
    if (thumb) list->Add(&m_thumbSprite, p, t);
    if (m_decArrow) m_decArrow->MoveToSpriteList(list);
    if (m_incArrow) m_incArrow->MoveToSpriteList(list);
    return 0;
}

void SliderPart::DropReferencesTo(const void* object) {
    SliderPartBase::DropReferencesTo(object);
    if (object && object == m_spriteList) {
        m_listDropped = m_thumbSprite.List() != nullptr || m_trackSprite.List() != nullptr;
        m_thumbSprite.Detach();
        m_trackSprite.Detach();
        m_spriteList = nullptr;
    }
}

// --- Faces ---

std::int32_t SliderPart::FaceOf(std::uint8_t state) const {
    // A slider without its own disabled face shows the normal one while disabled.
    if (state == kDisabled && (m_thumbFileName.empty() || !m_withDisabledFaces)) return 0;
    return state < m_faces ? state : 0;
}

void SliderPart::ShowStrip(Sprite& sprite, Image* image, std::int32_t length, std::int32_t breadth,
                           std::int32_t face, std::int32_t x, std::int32_t y, std::uint8_t alpha) {
    const std::int32_t across = face * breadth;
    const RECT source = m_vertical ? RECT{across, 0, across + breadth, length} : RECT{0, across, length, across + breadth};
    if (sprite.GetImage() == image) {
        sprite.SetSourceRect(&source);
        return;
    }
    const std::uint8_t visible = sprite.IsVisible() ? 1 : 0;
    if (sprite.SetImage(image, &source, x, y) != 0) return;
    sprite.SetBlendMode(m_blendMode);
    sprite.SetAlpha(alpha);
    sprite.SetVisible(visible);
}

void SliderPart::ShowThumbFace() {
    Image* const image = ThumbImage();
    if (!image) return;
    const std::int32_t length = m_vertical ? image->Height() : image->Width();
    ShowStrip(m_thumbSprite, image, length, m_thumbBreadth, FaceOf(m_state), ThumbX(), ThumbY(), m_thumbAlpha);
}

void SliderPart::ShowTrackFace() {
    Image* const image = TrackImage();
    if (!image) return;
    const std::int32_t length = m_vertical ? image->Height() : image->Width();
    const std::int32_t face = m_trackFaces > 1 ? FaceOf(m_state) : 0;
    ShowStrip(m_trackSprite, image, length, m_trackBreadth, face, TrackLeft(), TrackTop(), m_trackAlpha);
}

std::int32_t SliderPart::SetPartState(std::int32_t which, std::uint8_t state) {
    if (which == kDecArrow || which == kIncArrow) {
        SliderArrowButton* const arrow = which == kDecArrow ? m_decArrow : m_incArrow;
        if (!arrow) return which;
        arrow->SetState(state);
        return 0;
    }
    if (which != kTrack) return 0;
    m_state = state;
    ShowThumbFace();
    ShowTrackFace();
    return 0;
}

bool SliderPart::HitTestTrack(std::int32_t x, std::int32_t y) {
    if (m_trackSprite.GetImage()) return m_trackSprite.HitTest(x, y, !m_rectTrackHit);
    const auto dx = static_cast<std::uint32_t>(x - TrackLeft());
    const auto dy = static_cast<std::uint32_t>(y - TrackTop());
    return dx < static_cast<std::uint32_t>(m_width) && dy < static_cast<std::uint32_t>(m_height);
}

// --- Strips ---

bool SliderPart::TileStrip(Image& source, Image& dest, std::int64_t n, std::int32_t startCap, std::int32_t endCap,
                           bool vertical) {
    const std::int32_t length = vertical ? source.Height() : source.Width();
    const std::int32_t across = vertical ? source.Width() : source.Height();
    if (!source.Bits() || length < 1 || startCap < 0 || endCap < 0 ||
        static_cast<std::int64_t>(startCap) + endCap > length || n < static_cast<std::int64_t>(startCap) + endCap + 1 ||
        n > std::numeric_limits<std::int32_t>::max()) {
        dest.Free();
        return false;
    }
    const auto size = static_cast<std::int32_t>(n);
    if (dest.Create(vertical ? across : size, vertical ? size : across, 32, 0) != 0) return false;
    // The copies take every pixel: the key is set aside for them and given to the result.
    const std::int32_t key = source.ColourKey();
    source.ClearColourKey();
    // Copies [from, from + count) of the strip to `to` along the bar.
    auto copy = [&](std::int32_t from, std::int32_t count, std::int32_t to) {
        if (count <= 0) return;
        const RECT rect = vertical ? RECT{0, from, across, from + count} : RECT{from, 0, from + count, across};
        dest.Blit(&source, vertical ? 0 : to, vertical ? to : 0, &rect, false);
    };
    copy(0, startCap, 0);
    const std::int32_t middle = std::max(1, length - startCap - endCap);
    const std::int32_t middleStart = std::min(startCap, length - middle);
    const std::int32_t end = size - endCap;
    std::int32_t pos = startCap;
    for (; pos + middle <= end; pos += middle) copy(middleStart, middle, pos);
    copy(middleStart, end - pos, pos);
    copy(length - endCap, endCap, end);
    source.SetColourKeyValue(key);
    dest.SetColourKeyValue(key);
    return true;
}

// --- Life ---

void SliderPart::Release() {
    if (m_spriteList) {
        m_thumbSprite.Detach();
        m_trackSprite.Detach();
    }
    m_thumbSprite.Reset();
    m_trackSprite.Reset();
    m_thumbSprite.SetVisible(1);
    m_trackSprite.SetVisible(1);
    m_thumbImage.Free();
    m_thumbSource.Free();
    m_trackImage.Free();
    m_trackSource.Free();
    DeleteArrows();
    m_thumbFileName.clear();
    m_trackFileName.clear();
    m_thumbStartCap = m_thumbEndCap = m_trackStartCap = m_trackEndCap = 0;
    m_thumbPos = -1;
    m_maxThumbPos = -1;
    m_value = -1;
    m_thumbLength = 0;
    m_width = 0;
    m_height = 0;
    m_thumbBreadth = 0;
    m_trackBreadth = 0;
}

void SliderPart::TakeList(SpriteList* list) {
    m_listDropped = false;
    if (list == m_spriteList) m_spriteList = nullptr;
    Release();
    m_spriteList = list;
}

std::int32_t SliderPart::Create(SpriteList* list, std::int32_t priority, std::int32_t x, std::int32_t y,
                                bool vertical, std::int32_t breadth, std::uint32_t faceColour,
                                std::uint32_t trackColour, std::uint32_t hoverColour, std::uint32_t pressedColour,
                                std::uint32_t arrowColour, std::int32_t tag) {
    if (!list || breadth < kMinBreadth) return 1;
    TakeList(list);
    m_vertical = vertical ? 1 : 0;
    m_priority = priority;
    m_tag = tag;
    m_x = x;
    m_y = y;
    m_blendMode = 0;
    m_faces = 3;
    m_trackFaces = 1;
    m_withDisabledFaces = false;
    m_state = IsEnabled() ? kNormal : kDisabled;

    // The thumb strip, its faces across the bar.
    const std::int32_t W = vertical ? breadth : kDrawnThumbLength;
    const std::int32_t H = vertical ? kDrawnThumbLength : breadth;
    if (breadth > std::numeric_limits<std::int32_t>::max() / 3 ||
        m_thumbSource.Create(vertical ? 3 * breadth : W, vertical ? H : 3 * breadth, 32, 0) != 0) {
        Release();
        return 2;
    }
    const std::uint32_t washes[3] = {0, hoverColour, pressedColour};
    for (std::int32_t k = 0; k < 3; ++k) {
        DrawThumbFace(m_thumbSource, vertical ? k * breadth : 0, vertical ? 0 : k * breadth, W, H, faceColour,
                      k == 0 ? nullptr : &washes[k]);
    }
    m_thumbStartCap = kDrawnThumbStartCap;
    m_thumbEndCap = kDrawnThumbEndCap;
    m_thumbBreadth = breadth;

    if (m_trackSource.Create(vertical ? breadth : 1, vertical ? 1 : breadth, 32, 0) != 0) {
        Release();
        return 3;
    }
    m_trackSource.FillValue(trackColour, nullptr);
    m_trackBreadth = breadth;

    for (const bool increment : {false, true}) {
        const std::uint8_t direction = static_cast<std::uint8_t>((vertical ? 0 : 2) + (increment ? 1 : 0));
        auto* const arrow = new (std::nothrow) SliderArrowButton(this, direction, arrowColour);
        if (arrow) {
            arrow->SetFaceColour(faceColour);
            arrow->SetHighlightColour(hoverColour);
        }
        if (!arrow || arrow->Create(list, priority, nullptr, nullptr, x, y, breadth, breadth, true, tag) != 0) {
            delete arrow;
            Release();
            return increment ? 5 : 4;
        }
        AdoptArrow(arrow, increment);
    }
    m_trackX = vertical ? 0 : breadth;
    m_trackY = vertical ? breadth : 0;
    m_thumbStart = 0;
    const std::uint8_t faceAlpha = AlphaOf(faceColour);
    const std::uint8_t trackAlpha = AlphaOf(trackColour);
    m_thumbAlpha = faceAlpha != 0 && faceAlpha != 255 ? faceAlpha : 255;
    m_trackAlpha = trackAlpha != 0 && trackAlpha != 255 ? trackAlpha : 255;
    // The thumb shows once Setup finds something to scroll.
    m_thumbSprite.SetVisible(0);
    SetPosition(x, y);
    return 0;
}

std::int32_t SliderPart::LoadStrip(Image& image, const char* name, std::int32_t faces, std::int32_t* breadth,
                                   std::int32_t keyX, std::int32_t keyY) {
    if (image.Load(name, nullptr, 0, 0) != 0) return 1;
    const std::int32_t across = m_vertical ? image.Width() : image.Height();
    *breadth = across / faces;
    if (*breadth < 1) {
        image.Free();
        return 1;
    }
    ApplyKey(image, keyX, keyY);
    return 0;
}

std::int32_t SliderPart::CreateFromImages(SpriteList* list, std::int32_t priority, std::int32_t x, std::int32_t y,
                                          std::int32_t trackX, std::int32_t trackY, const char* thumbFile,
                                          std::int32_t thumbStartCap, std::int32_t thumbEndCap,
                                          const char* trackFile, std::int32_t trackStartCap,
                                          std::int32_t trackEndCap, const char* decArrowFile,
                                          const char* incArrowFile, bool withDisabledFaces, bool vertical,
                                          std::uint8_t blendMode, std::uint8_t alpha, std::int32_t keyX,
                                          std::int32_t keyY, std::int32_t tag) {
    if (!list || !thumbFile) return 1;
    std::string thumbName;
    std::string trackName;
    try {
        thumbName = thumbFile;
        trackName = trackFile ? trackFile : "";
    } catch (const std::bad_alloc&) {
        return 2;
    }
    TakeList(list);
    m_vertical = vertical ? 1 : 0;
    m_priority = priority;
    m_tag = tag;
    m_x = x;
    m_y = y;
    m_blendMode = blendMode;
    m_thumbAlpha = alpha;
    m_trackAlpha = alpha;
    m_withDisabledFaces = withDisabledFaces;
    m_faces = withDisabledFaces ? 4 : 3;
    m_trackFaces = m_faces;
    m_state = IsEnabled() ? kNormal : kDisabled;

    const bool thumbTiled = thumbStartCap != 0 || thumbEndCap != 0;
    if (LoadStrip(thumbTiled ? m_thumbSource : m_thumbImage, thumbName.c_str(), m_faces, &m_thumbBreadth, keyX,
                  keyY) != 0) {
        Release();
        return 2;
    }
    m_thumbStartCap = thumbStartCap;
    m_thumbEndCap = thumbEndCap;
    if (trackFile) {
        const bool trackTiled = trackStartCap != 0 || trackEndCap != 0;
        if (LoadStrip(trackTiled ? m_trackSource : m_trackImage, trackName.c_str(), m_faces, &m_trackBreadth, keyX,
                      keyY) != 0) {
            Release();
            return 3;
        }
        m_trackStartCap = trackStartCap;
        m_trackEndCap = trackEndCap;
    }
    const char* const arrowFiles[2] = {decArrowFile, incArrowFile};
    for (const bool increment : {false, true}) {
        const char* const file = arrowFiles[increment ? 1 : 0];
        if (!file) continue;
        const std::uint8_t direction = static_cast<std::uint8_t>((vertical ? 0 : 2) + (increment ? 1 : 0));
        auto* const arrow = new (std::nothrow) SliderArrowButton(this, direction, 0);
        if (!arrow || arrow->CreateFromFile(list, priority, file, withDisabledFaces, true, x, y, blendMode, alpha,
                                            keyX, keyY, tag) != 0) {
            delete arrow;
            Release();
            return increment ? 5 : 4;
        }
        AdoptArrow(arrow, increment);
    }
    const std::int32_t dec = ArrowLength(m_decArrow);
    m_trackX = trackX + (vertical ? 0 : dec);
    m_trackY = trackY + (vertical ? dec : 0);
    m_thumbStart = vertical ? trackY : trackX;
    m_thumbFileName = std::move(thumbName);
    m_trackFileName = std::move(trackName);
    // An untiled thumb keeps the strip's length; it shows once Setup finds something to scroll.
    m_thumbSprite.SetVisible(0);
    if (!thumbTiled) {
        m_thumbLength = vertical ? m_thumbImage.Height() : m_thumbImage.Width();
        ShowThumbFace();
    }
    ShowTrackFace();
    SetPosition(x, y);
    return 0;
}

std::int32_t SliderPart::LaidOutNotScrollable() {
    m_thumbSprite.SetVisible(0);
    m_value = -1;
    m_thumbPos = -1;
    if (!SetEnabled(false)) SetPartState(kTrack, kDisabled);
    SetPosition(m_x, m_y);
    return -1;
}

std::int32_t SliderPart::Setup(std::int32_t length, std::int32_t range, std::int32_t page, std::int32_t value,
                               std::int32_t endMargin, std::int32_t minThumb) {
    if (!m_spriteList || range == 0) return 1;
    if (m_thumbFileName.empty()) endMargin = 0;
    const std::int64_t trackLength =
        static_cast<std::int64_t>(length) - ArrowLength(m_decArrow) - ArrowLength(m_incArrow);
    std::int64_t along = std::max<std::int64_t>(trackLength, 0);
    std::int32_t across = 0;
    if (m_trackSource.Bits()) {
        if (!TileStrip(m_trackSource, m_trackImage, trackLength, m_trackStartCap, m_trackEndCap, m_vertical != 0)) {
            m_trackSprite.Detach();
            m_trackSprite.Reset();
            return 3;
        }
        m_trackSprite.Reset();
        across = m_trackBreadth;
    } else if (m_decArrow || m_incArrow) {
        SliderArrowButton* const arrow = m_decArrow ? m_decArrow : m_incArrow;
        across = m_vertical ? arrow->GetWidth() : arrow->GetHeight();
    } else {
        across = static_cast<std::int32_t>(std::min<std::int64_t>(
            static_cast<std::int64_t>(m_thumbBreadth) + 2 * static_cast<std::int64_t>(m_vertical ? m_trackX : m_trackY),
            std::numeric_limits<std::int32_t>::max()));
    }
    along = std::min<std::int64_t>(along, std::numeric_limits<std::int32_t>::max());
    m_width = m_vertical ? across : static_cast<std::int32_t>(along);
    m_height = m_vertical ? static_cast<std::int32_t>(along) : across;
    m_state = kNormal;
    ShowTrackFace();
    SetPriority(m_priority, m_tag, true);

    // Usable length, thumb length and the two ranges, in 64 bits.
    const std::int64_t h = trackLength - endMargin - m_thumbStart;
    if (h <= 0 || h > std::numeric_limits<std::int32_t>::max()) return LaidOutNotScrollable();
    const std::int64_t minimum = static_cast<std::int64_t>(minThumb > 0 ? minThumb : 1) + m_thumbStartCap + m_thumbEndCap;
    const std::int64_t l = std::max(h * page / range, minimum);
    if (l <= 0 || l >= h) return LaidOutNotScrollable();
    const std::int64_t maxValue = static_cast<std::int64_t>(range) - page;
    const bool tiled = m_thumbSource.Bits() != nullptr;
    const std::int64_t thumbLength = tiled ? l : (m_vertical ? m_thumbImage.Height() : m_thumbImage.Width());
    const std::int64_t maxThumbPos = h - thumbLength;
    if (maxValue <= 0 || maxValue > std::numeric_limits<std::int32_t>::max() || maxThumbPos <= 0) {
        return LaidOutNotScrollable();
    }
    if (tiled) {
        if (!TileStrip(m_thumbSource, m_thumbImage, l, m_thumbStartCap, m_thumbEndCap, m_vertical != 0)) {
            m_thumbSprite.Detach();
            m_thumbSprite.Reset();
            return 2;
        }
        m_thumbSprite.Reset();
    }
    m_maxValue = static_cast<std::int32_t>(maxValue);
    m_maxThumbPos = static_cast<std::int32_t>(maxThumbPos);
    m_thumbLength = static_cast<std::int32_t>(thumbLength);
    m_value = std::min(std::max(value, 0), m_maxValue);
    m_thumbPos = static_cast<std::int32_t>(static_cast<std::int64_t>(m_value) * m_maxThumbPos / m_maxValue);
    ShowThumbFace();
    SetPriority(m_priority, m_tag, true);
    m_thumbSprite.SetVisible(m_visible ? 1 : 0);
    SetEnabled(true);
    SetPosition(m_x, m_y);
    UpdateArrows();
    return 0;
}
