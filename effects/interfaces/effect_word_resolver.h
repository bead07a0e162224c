// EffectWordResolver: the one place where the sprite and layer effects turn the words they were
// given (raw from a script, or the frame's own objects) into objects. A word maps to an image
// sprite, a screen's back buffer (screen surfaces, kinds 7 to 10), a QAD animation, a readable
// text or a writable out-word; every answer is null when the word names no such object, and an
// effect treats a refused word as a missing one (a refused out-word is skipped).
//
// The trusting resolver, in place unless another is installed, takes the words as the
// addresses they are (the frame and the tests hand over live objects). The SOB effect commands
// install a resolver that checks the words against the live-object tables and script memory
// around each call they make. COM-style: slot 0 the deleting destructor, every operation
// __thiscall, none overloaded. The installer keeps ownership; used on the script thread only.
#pragma once

#include <cstdint>

#include "framework/interfaces/cross_module.h"

class QadAnimation;
class ScreenBuffer;
class Sprite;

class EffectWordResolver {
public:
    // Slot 0.
    virtual void* XM_METHOD DeletingDestructor(std::uint32_t flags) = 0;
    virtual Sprite* XM_METHOD ImageSprite(std::uint32_t word) = 0;
    virtual ScreenBuffer* XM_METHOD ScreenBufferOf(std::uint32_t word) = 0;
    virtual QadAnimation* XM_METHOD Animation(std::uint32_t word) = 0;
    virtual const char* XM_METHOD Text(std::uint32_t word) = 0;
    // Room for `bytes` bytes to be written at the word.
    virtual void* XM_METHOD OutWord(std::uint32_t word, std::uint32_t bytes) = 0;

protected:
    EffectWordResolver() = default;
    ~EffectWordResolver() = default;
};

// The installed resolver, never null.
EffectWordResolver* EffectWords();
// Installs resolver (null: the trusting one) and returns the one it replaces.
EffectWordResolver* InstallEffectWordResolver(EffectWordResolver* resolver);
