// SliderPart: the scroll bar scripts put on the screen (type 4): a thumb sprite over a track
// sprite (or a bare track rectangle) with optional arrow buttons at both ends.
//
// Two forms. The drawn slider: a 4-pixel raised thumb strip (normal, hover and pressed faces,
// caps of 1 and 2 pixels) tiled to the thumb's length, a 1-pixel track strip in the track
// colour tiled to the track's length, and drawn arrow buttons breadth x breadth. The image
// slider: thumb, track and arrow strips from picture files; a thumb (track) with caps is tiled
// from its strip, one without keeps the strip's length. Faces lie across the bar: stacked
// downwards for a horizontal slider, side by side for a vertical one.
//
// Setup lays the slider out along a length (arrows included) for a range and a page and places
// the sprites (the track below the thumb). Whenever the layout leaves no thumb travel or no
// value range, the slider is laid out as not scrollable (-1) rather than dividing by zero or
// mapping backwards; the products of the mapping are taken in 64 bits.
//
// The sprite list is borrowed: a dropped list takes the sprites out (placement answers 1 until
// MoveToSpriteList). Used on the game thread only.
#pragma once

#include <cstdint>

#include "graphics/image/image.h"
#include "graphics/sprites/sprite.h"
#include "scenario/ui/slider_part_base.h"

class SpriteList;

class SliderPart : public SliderPartBase {
public:
    // The drawn slider's breadth below this is refused.
    static constexpr std::int32_t kMinBreadth = 8;

    SliderPart();
    ~SliderPart() override;

    // Moves the thumb, the arrows and the track; 0.
    std::int32_t SetPosition(std::int32_t x, std::int32_t y) override;
    // The arrows, the track and (while it has a place) the thumb.
    void SetVisible(bool visible) override;
    bool IsVisible() override { return m_visible; }
    std::int32_t SetPriority(std::int32_t priority, std::int32_t tag, bool redraw) override;
    std::int32_t GetPriority() override { return m_priority; }
    void SetAlpha(std::uint8_t alpha) override;
    std::uint8_t GetAlpha() override { return m_thumbSprite.Alpha(); }
    void DropReferencesTo(const void* object) override;

    void Release() override;
    std::int32_t Setup(std::int32_t length, std::int32_t range, std::int32_t page, std::int32_t value,
                       std::int32_t endMargin, std::int32_t minThumb) override;
    std::int32_t SetPartState(std::int32_t which, std::uint8_t state) override;
    bool HitTestTrack(std::int32_t x, std::int32_t y) override;

    // 1 no list given, or the slider's sprites are in no list; else they and the arrows go
    // into the new list with their priority and tag; 0.
    virtual std::int32_t MoveToSpriteList(SpriteList* list);
    // Colour key of every strip: keyY >= 0 the pixel (keyX, keyY) when it lies in that strip,
    // else none; keyY negative and keyX not -1: keyX as 0xRRGGBB; else none. 1 no list or no
    // thumb file; 2 the thumb strip did not load; 3 the track strip; 4, 5 the decrement or
    // increment arrow.
    virtual std::int32_t CreateFromImages(SpriteList* list, std::int32_t priority, std::int32_t x, std::int32_t y,
                                          std::int32_t trackX, std::int32_t trackY, const char* thumbFile,
                                          std::int32_t thumbStartCap, std::int32_t thumbEndCap,
                                          const char* trackFile, std::int32_t trackStartCap,
                                          std::int32_t trackEndCap, const char* decArrowFile,
                                          const char* incArrowFile, bool withDisabledFaces, bool vertical,
                                          std::uint8_t blendMode, std::uint8_t alpha, std::int32_t keyX,
                                          std::int32_t keyY, std::int32_t tag);
    // The drawn slider. 1 no list or a breadth below 8; 2 the thumb strip, 3 the track strip,
    // 4 and 5 the arrows could not be made.
    virtual std::int32_t Create(SpriteList* list, std::int32_t priority, std::int32_t x, std::int32_t y,
                                bool vertical, std::int32_t breadth, std::uint32_t faceColour,
                                std::uint32_t trackColour, std::uint32_t hoverColour, std::uint32_t pressedColour,
                                std::uint32_t arrowColour, std::int32_t tag);

    Sprite& ThumbSprite() { return m_thumbSprite; }
    Sprite& TrackSprite() { return m_trackSprite; }
    // The image the thumb (track) sprite shows; null when none.
    Image* ThumbImage();
    Image* TrackImage();
    Image* ThumbSource() { return m_thumbSource.Bits() ? &m_thumbSource : nullptr; }
    SpriteList* List() const { return m_spriteList; }
    std::int32_t ThumbBreadth() const { return m_thumbBreadth; }
    std::int32_t TrackBreadth() const { return m_trackBreadth; }

    // Tiles the strip along the bar to n pixels (every face at once): the start cap, the
    // middle repeated while it fits, the rest of the middle, the end cap. False (dest freed)
    // when n or the caps do not fit the strip or the image cannot be made.
    static bool TileStrip(Image& source, Image& dest, std::int64_t n, std::int32_t startCap, std::int32_t endCap,
                          bool vertical);

protected:
    void PlaceThumb() override;

private:
    void TakeList(SpriteList* list);
    // Shows image through sprite on the face of the current state, at (x, y).
    void ShowStrip(Sprite& sprite, Image* image, std::int32_t length, std::int32_t breadth, std::int32_t face,
                   std::int32_t x, std::int32_t y, std::uint8_t alpha);
    std::int32_t FaceOf(std::uint8_t state) const;
    void ShowThumbFace();
    void ShowTrackFace();
    std::int32_t ThumbX() const;
    std::int32_t ThumbY() const;
    std::int32_t TrackLeft() const;
    std::int32_t TrackTop() const;
    // Image strips: loads one, applies the key, 0 or its failure code.
    std::int32_t LoadStrip(Image& image, const char* name, std::int32_t faces, std::int32_t* breadth,
                           std::int32_t keyX, std::int32_t keyY);
    std::int32_t LaidOutNotScrollable();

    SpriteList* m_spriteList = nullptr;
    std::int32_t m_priority = 0;
    std::int32_t m_tag = 0;
    std::int32_t m_thumbBreadth = 0;
    std::int32_t m_trackBreadth = 0;
    Image m_thumbImage;
    Sprite m_thumbSprite;
    Image m_thumbSource;
    Image m_trackImage;
    Sprite m_trackSprite;
    Image m_trackSource;
    // Faces of the thumb strip (3, or 4 with a disabled face) and of the track strip (1 for the
    // drawn track).
    std::int32_t m_faces = 3;
    std::int32_t m_trackFaces = 1;
    bool m_withDisabledFaces = false;
    std::uint8_t m_blendMode = 0;
    std::uint8_t m_thumbAlpha = 255;
    std::uint8_t m_trackAlpha = 255;
    bool m_visible = true;
    bool m_listDropped = false;
};
