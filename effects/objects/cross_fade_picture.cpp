#include "effects/objects/cross_fade_picture.h"

#include <algorithm>
#include <new>

#include "graphics/image/image.h"
#include "graphics/sprites/sprite.h"
#include "graphics/sprites/sprite_list.h"

namespace {

EffectCreationGate g_gate = nullptr;

bool Overlap(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

EffectCreationGate SetEffectCreationGate(EffectCreationGate gate) {
    const EffectCreationGate previous = g_gate;
    g_gate = gate;
    return previous;
}

std::unique_ptr<Image> MakeEffectImage(std::int32_t width, std::int32_t height) {
    if (g_gate && !g_gate()) return nullptr;
    std::unique_ptr<Image> image(new (std::nothrow) Image);
    if (!image || image->Create(width, height, 32, 0) != 0) return nullptr;
    image->FillValue(0, nullptr);
    return image;
}

std::unique_ptr<Sprite> MakeEffectSprite() {
    if (g_gate && !g_gate()) return nullptr;
    return std::unique_ptr<Sprite>(new (std::nothrow) Sprite);
}

CrossFadeBands BuildCrossFadeBands(const RECT& old, const RECT& fresh) {
    CrossFadeBands bands;
    if (!Overlap(old, fresh)) {
        bands.unionRects[0] = old;
        bands.unionRects[1] = fresh;
        bands.unionCount = 2;
        bands.oldOnly[0] = old;
        bands.oldOnlyCount = 1;
        return bands;
    }
    RECT o = old;
    RECT n = fresh;
    if (o.top < n.top) {
        bands.unionRects[bands.unionCount++] = RECT{o.left, o.top, o.right, n.top};
        bands.oldOnly[bands.oldOnlyCount++] = RECT{o.left, o.top, o.right, n.top};
        o.top = n.top;
    } else if (n.top < o.top) {
        bands.unionRects[bands.unionCount++] = RECT{n.left, n.top, n.right, o.top};
        n.top = o.top;
    }
    if (o.bottom > n.bottom) {
        bands.unionRects[bands.unionCount++] = RECT{o.left, n.bottom, o.right, o.bottom};
        bands.oldOnly[bands.oldOnlyCount++] = RECT{o.left, n.bottom, o.right, o.bottom};
        o.bottom = n.bottom;
    } else if (n.bottom > o.bottom) {
        bands.unionRects[bands.unionCount++] = RECT{n.left, o.bottom, n.right, n.bottom};
        n.bottom = o.bottom;
    }
    const LONG top = o.top;
    const LONG bottom = o.bottom;
    bands.unionRects[bands.unionCount++] =
        RECT{std::min(o.left, n.left), top, std::max(o.right, n.right), bottom};
    if (o.left < n.left) bands.oldOnly[bands.oldOnlyCount++] = RECT{o.left, top, n.left, bottom};
    if (o.right > n.right)
        bands.oldOnly[bands.oldOnlyCount++] = RECT{n.right, top, o.right, bottom};
    return bands;
}

bool ShownPicture(const Sprite& sprite, PicturePart* out) {
    // A cached picture is only read: the effects draw it into their own image.
    auto* cache = const_cast<Image*>(sprite.Cache());
    if (sprite.Rotated()) {
        out->picture = cache;
        out->source = RECT{0, 0, sprite.RotatedSize().cx, sprite.RotatedSize().cy};
    } else if (sprite.Stretched()) {
        out->picture = cache;
        out->source = RECT{0, 0, sprite.Stretch().cx, sprite.Stretch().cy};
    } else {
        out->picture = sprite.GetImage();
        out->source = sprite.SourceRect();
    }
    return out->picture != nullptr;
}

CrossFadePicture::CrossFadePicture() = default;
CrossFadePicture::~CrossFadePicture() = default;

bool CrossFadePicture::Create(const PicturePart& a, const PicturePart& b, const RECT& rectA,
                              const RECT& rectB, std::int32_t width, std::int32_t height,
                              std::int32_t originX, std::int32_t originY, SpriteList* list,
                              std::uint32_t priority, std::int32_t x, std::int32_t y) {
    std::unique_ptr<Image> image = MakeEffectImage(width, height);
    if (!image) return false;
    std::unique_ptr<Sprite> sprite = MakeEffectSprite();
    if (!sprite) return false;
    image->SetHasAlpha(true);
    image->SetOriginX(originX);
    image->SetOriginY(originY);
    m_a = a;
    m_b = b;
    m_placeA = POINT{rectA.left, rectA.top};
    m_placeB = POINT{rectB.left, rectB.top};
    m_bands = BuildCrossFadeBands(rectA, rectB);
    m_last = 0;
    image->Blit(m_a.picture, m_placeA.x, m_placeA.y, &m_a.source, false);
    if (sprite->SetImage(image.get(), nullptr, x, y) != 0) return false;
    sprite->SetVisible(0);
    if (list && list->Add(sprite.get(), priority, 0) != 0) return false;
    sprite->SetBlendMode(2);
    sprite->SetFilter(1);
    m_image = std::move(image);
    m_sprite = std::move(sprite);
    return true;
}

void CrossFadePicture::Clear() {
    m_sprite.reset();
    m_image.reset();
}

bool CrossFadePicture::Render(std::uint8_t b) {
    if (!m_image || b == m_last) return false;
    Image& image = *m_image;
    for (std::int32_t i = 0; i < m_bands.unionCount; ++i)
        image.FillValue(0, &m_bands.unionRects[i]);
    image.Blit(m_a.picture, m_placeA.x, m_placeA.y, &m_a.source, false);
    for (std::int32_t i = 0; i < m_bands.oldOnlyCount; ++i)
        image.AlphaLevel(static_cast<std::uint16_t>(255 - b), &m_bands.oldOnly[i]);
    image.BlendOpacity(m_b.picture, b, m_placeB.x, m_placeB.y, &m_b.source);
    m_sprite->SetDirty(1);
    m_last = b;
    return true;
}
