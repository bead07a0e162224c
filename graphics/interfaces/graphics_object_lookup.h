// GraphicsObjectLookup: how commands turn a script's word into a graphics object of the screen
// device. The screen device keeps one HandleTable per family, filled where it creates an object
// and emptied wherever it releases one; this service answers from those tables. Every Find gives
// null for a word that names no live object of its family, so a caller never touches memory a
// stale or forged word points at.
//
// Owner: the screen device (or a test's double). Called on the thread that runs the script.
#pragma once

#include <cstdint>

class Image;
class ScreenBuffer;
class Sprite;
class Surface;

class GraphicsObjectLookup {
public:
    virtual ~GraphicsObjectLookup() = default;

    // Any surface kind, as its Surface side.
    virtual Surface* FindSurface(std::uint32_t word) = 0;
    // Software images (surface kind 4 made as an Image).
    virtual Image* FindImage(std::uint32_t word) = 0;
    // The back buffer of a screen (surface kinds 7 to 10): for the texture screen its own.
    virtual ScreenBuffer* FindScreenBuffer(std::uint32_t word) = 0;
    virtual Sprite* FindSprite(std::uint32_t word) = 0;

    // The back buffer of the game screen, or null.
    virtual ScreenBuffer* GameScreen() = 0;
    // The key stamped on new sprites, also the tag of sprites placed by commands.
    virtual std::uint32_t SpriteOwnerKey() = 0;
};
