// Sprite placement: shows an image (or a part of it) in a sprite at a position and lists the
// sprite on a screen. Shared by the sprite commands of the UI-part and scenario screens.
// Results: 0 done; 1 the sprite, the image or a given back buffer names no live object; 2 the
// file did not load (file form only); 3 the sprite refused the image.
#pragma once

#include <cstdint>

struct SpritePlacement {
    std::int32_t x = 0;
    std::int32_t y = 0;
    // Source rectangle; srcLeft below 0: the whole image.
    std::int32_t srcLeft = -1;
    std::int32_t srcTop = 0;
    std::int32_t srcRight = 0;
    std::int32_t srcBottom = 0;
    // Below 0: the sprite is not listed.
    std::int32_t priority = -1;
    bool visible = true;
    // The back buffer's second sprite list instead of its canvas's own.
    bool useExtraList = false;
    // A screen's surface word; 0: the game screen.
    std::uint32_t backBuffer = 0;
};

// keyX 0 or more: the image's colour key becomes the colour of pixel (keyX, keyY); below -1:
// the sprite draws with alpha (blend mode 2) at alpha keyY; -1 leaves both.
std::int32_t SetSpriteImageFromFile(std::uint32_t sprite, std::uint32_t image, const char* fileName,
                                    std::int32_t keyX, std::int32_t keyY,
                                    const SpritePlacement& placement);
// A nonzero blendMode (low byte) sets the sprite's blend mode and its alpha.
std::int32_t SetSpriteImage(std::uint32_t sprite, std::uint32_t image, std::uint32_t blendMode,
                            std::uint32_t alpha, const SpritePlacement& placement);
