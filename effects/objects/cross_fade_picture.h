// CrossFadePicture: the working picture that the cross-fade and the change effect blend in. An
// old picture A and a new picture B have places inside one 32-bit working image that covers
// both; a working sprite shows it. Render(b) redraws the picture for opacity b: the union
// rectangles are cleared, A is copied back, the part of A outside B loses alpha by 255 - b, and
// B is blended over at opacity b (0 draws nothing, 255 copies).
//
// The working image and sprite belong to the picture; A and B are only borrowed and must
// outlive it. The images and sprites it makes come from MakeEffectImage and MakeEffectSprite,
// which a test can make refuse.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

class Image;
class Sprite;
class SpriteList;
class Surface;

// The images and sprites the sprite effects make for themselves: null when one cannot be made.
// The image is 32-bit, cleared to 0.
std::unique_ptr<Image> MakeEffectImage(std::int32_t width, std::int32_t height);
std::unique_ptr<Sprite> MakeEffectSprite();
// Consulted before each creation (null: always allowed); false refuses it. Returns the gate it
// replaces.
using EffectCreationGate = bool (*)();
EffectCreationGate SetEffectCreationGate(EffectCreationGate gate);

// Rectangles of the working picture: the union list covers A and B without overlaps, and the
// A-only list covers exactly the part of A outside B, without overlaps.
struct CrossFadeBands {
    RECT unionRects[3] = {};
    std::int32_t unionCount = 0;
    RECT oldOnly[4] = {};
    std::int32_t oldOnlyCount = 0;
};

// Band by band: the part above the other rectangle, the part below it, and one middle band
// from the lower top to the higher bottom across both. Rectangles that do not overlap give
// both as the union and all of `old` as A-only.
CrossFadeBands BuildCrossFadeBands(const RECT& old, const RECT& fresh);

// The picture shown at a rectangle of a surface.
struct PicturePart {
    Surface* picture = nullptr;
    RECT source = {};
};

class CrossFadePicture {
public:
    CrossFadePicture();
    ~CrossFadePicture();
    CrossFadePicture(const CrossFadePicture&) = delete;
    CrossFadePicture& operator=(const CrossFadePicture&) = delete;

    // Makes the working image (width x height, origin at (originX, originY)) with A copied to
    // placeA, and the hidden working sprite showing it at (x, y), in `list` at `priority`, blend
    // mode 2 and filter mode 1. rectA and rectB are A's and B's rectangles inside the working
    // image. False when the image or the sprite cannot be made; nothing is left in the list then.
    bool Create(const PicturePart& a, const PicturePart& b, const RECT& rectA, const RECT& rectB,
                std::int32_t width, std::int32_t height, std::int32_t originX,
                std::int32_t originY, SpriteList* list, std::uint32_t priority, std::int32_t x,
                std::int32_t y);
    // Drops the working sprite, then the working image.
    void Clear();
    // Redraws for opacity b; true when it drew (b differs from the last one drawn).
    bool Render(std::uint8_t b);

    Image* WorkingImage() const { return m_image.get(); }
    Sprite* WorkingSprite() const { return m_sprite.get(); }
    const CrossFadeBands& Bands() const { return m_bands; }

private:
    PicturePart m_a;
    PicturePart m_b;
    POINT m_placeA = {};
    POINT m_placeB = {};
    CrossFadeBands m_bands;
    std::uint8_t m_last = 0;
    // Declared last, the sprite goes first: it shows the image.
    std::unique_ptr<Image> m_image;
    std::unique_ptr<Sprite> m_sprite;
};

// The picture a sprite shows and the rectangle of it: the transformed cache of a rotated or
// stretched sprite, else its image and source rectangle. False when it shows none.
bool ShownPicture(const Sprite& sprite, PicturePart* out);
