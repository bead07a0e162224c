// BgWaveEffect: what "bg_rast" and "bg_haze" share. Both draw the canvas's background into its
// cache (BgLayerCache) from the canvas's source picture, row by row, and scale their wave by
// an envelope: a fade-in over I ms, a sustain of D ms (0: until asked to stop), a fade-out
// over O ms, after which the effect drops the cache (the canvas shows its source again) and
// ends with 1. A stop request (ChangeParams) fades out from the value reached; Control answers
// the phase.
//
// Set-up codes, in the order they are checked: 1 no fixed-point cosine table; 2 no scheduler,
// canvas or source picture, or a source that is not 32-bit; 3 the canvas's cache is in use;
// 4 the cache cannot be made; 5 the cache (the target's size) is wider or taller than the
// source. A Setup that fails after taking the cache drops it again, so the canvas never keeps
// a frozen picture. Deleting the effect drops a cache it still holds.
//
// Each draw reads the cache and the source from the canvas again: once the cache is gone (any
// background change drops it) or the source no longer covers it, the draw does nothing. The
// part of the source drawn is the one at the canvas's source offset, clamped so that the cache
// fits inside the source. All products of script values are worked out in 64 bits.
#pragma once

#include <cstdarg>
#include <cstdint>

#include "effects/objects/bg_layer_cache.h"
#include "effects/objects/effect_base.h"

class Canvas;
class Image;

// The fade envelope in the effect's time t (ms since its first step).
class BgFadeEnvelope {
public:
    enum : std::uint8_t { kFadingIn = 0, kSustaining = 1, kStopAsked = 2, kFadingOut = 3 };

    void Set(std::int64_t full, std::int32_t fadeIn, std::int32_t sustain, std::int32_t fadeOut);
    // The value at t; false once the fade-out is over.
    bool Advance(std::int64_t t, std::int64_t* value);
    // 1 already stopping; else 0, and the next Advance starts the fade-out from the value
    // reached (the full value while sustaining).
    std::int32_t Stop();
    std::uint8_t Phase() const { return m_phase; }

private:
    std::int64_t m_full = 0;
    std::int64_t m_fadeIn = 0;
    std::int64_t m_sustain = 0;
    std::int64_t m_fadeOut = 0;
    std::uint8_t m_phase = kFadingIn;
    std::int64_t m_fadeStart = 0;
    std::int64_t m_from = 0;
    std::int64_t m_value = 0;
};

// The cache and the part of the source it shows, read afresh for one draw.
struct BgSourceWindow {
    Image* cache = nullptr;
    Image* source = nullptr;
    std::int32_t x = 0;  // the window's position in the source
    std::int32_t y = 0;
    std::int32_t width = 0;  // the cache's size
    std::int32_t height = 0;
};

// Copies count 32-bit pixels (any overlap) and fills count pixels with a colour.
void CopyPixels(std::uint32_t* to, const std::uint32_t* from, std::int64_t count);
void FillPixels(std::uint32_t* to, std::uint32_t colour, std::int64_t count);

class BgWaveEffect : public EffectBase {
public:
    std::int32_t XM_METHOD Kind() override { return 14000; }
    std::uint8_t XM_METHOD Category() override { return 0; }
    std::int32_t XM_METHOD Step(std::uint32_t now) override;
    void XM_METHOD Finish() override { m_cache.Release(true); }
    std::int32_t XM_METHOD ChangeParams(const std::int32_t*) override { return m_envelope.Stop(); }
    std::int32_t XM_CDECL ChangeParamsV(std::int32_t first, ...) override {
        va_list rest;
        va_start(rest, first);
        const std::int32_t result = ChangeParams(WordsFrom(rest));
        va_end(rest);
        return result;
    }
    std::int32_t XM_METHOD Control(const std::int32_t*) override { return m_envelope.Phase(); }
    std::int32_t XM_CDECL ControlV(std::int32_t, ...) override { return m_envelope.Phase(); }

    // Whether the effect still holds a cache it made (for tests and the frame's state).
    bool HoldsCache() const { return m_cache.Get() != nullptr; }

protected:
    BgWaveEffect() = default;
    ~BgWaveEffect() { m_cache.Release(true); }

    // The shared set-up, codes 1-5 above; the caller joins the scheduler next.
    std::int32_t TakeCache(TaskScheduler* scheduler, ScreenBuffer* target, bool edgeFill);
    // Joins the scheduler (refusal: failCode, the cache dropped) and counts the effect when
    // count is set.
    std::int32_t Join(TaskScheduler* scheduler, std::int32_t count, std::int32_t failCode);
    // False when there is nothing to draw into or from.
    bool Window(BgSourceWindow* out);
    // Draws the picture for effect time t at the envelope's value.
    virtual void DrawAt(std::int64_t t, std::int64_t value) = 0;

    Canvas* m_canvas = nullptr;
    BgLayerCache m_cache;
    BgFadeEnvelope m_envelope;
    bool m_edgeFill = false;
    bool m_started = false;
    std::uint32_t m_start = 0;
};
