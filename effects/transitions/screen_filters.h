// The six screen filters the script engine registers after the transitions, in their
// registration order: "quake" (kind 2, shakes the current picture), "zoomflip" (1, squeezes or
// zooms one picture into the other), "rotcenter" (1, spins the new picture in or the old one
// out), "addsub" (0, washes out to white or black), "hblur" (1, blurs through the change) and
// "ripple" (0, circular waves while crossfading; its class is in ripple_trans_callback.h).
//
// Word 0 is the duration for all but "quake". Mode, filter and radius words are bytes.
// Filters that draw through the pixel-operation library (quake filling its borders, zoomflip,
// rotcenter, hblur crossfading) refuse Setup with 5 while it is not loaded, and a Draw that
// finds it gone answers 5 without drawing.
#pragma once

#include <windows.h>

#include <cstdint>

#include "effects/transitions/trans_callback_base.h"

class SubtractiveRandom;
class TransitionRegistry;

// Words: 0 swings (with a duration) or the period in ms (endless), 1 amplitude x, 2 amplitude y,
// 3 duration in ms (0: endless), 4 damping as text (the share of the amplitude left at the
// end), 5 fill the uncovered borders with transparent black.
//
// The offsets never exceed the back buffer's size + 1 either way (nothing more can show), so
// any words and any damping text give offsets that an integer holds.
class QuakeTransCallback final : public TransCallbackClass<QuakeTransCallback> {
public:
    static constexpr const char* kName = "quake";
    static constexpr std::uint8_t kKind = 2;
    std::int32_t XM_METHOD Update(std::uint32_t now) override;
    std::int32_t XM_METHOD Status() override { return m_state == 2 ? -1 : 0; }
    std::int32_t XM_METHOD Draw(const TransitionBlit* blit) override;
    std::int32_t XM_METHOD Setup(ScreenBuffer* target, const std::int32_t* params) override;

    std::int32_t OffsetX() const { return m_offsetX; }
    std::int32_t OffsetY() const { return m_offsetY; }
    std::int64_t Cycle() const { return m_cycle; }
    double Damping() const { return m_damping; }

private:
    std::int64_t m_cycle = 0;
    double m_amplitudeX = 0;
    double m_amplitudeY = 0;
    double m_damping = 0;
    std::int32_t m_offsetX = 0;
    std::int32_t m_offsetY = 0;
    std::int32_t m_limitX = 0;
    std::int32_t m_limitY = 0;
    std::uint8_t m_state = 0;  // 0 not started, 1 running, 2 finished
    bool m_sign = false;
    bool m_fill = false;
};

// Drawn whole (kind 1): the pictures are stretched over the area, which is the whole screen.
// Words: 1 mode (0 push in from the left, 1 from the top, 2 from the right, 3 from the bottom,
// 4 zoom through the centre, 5 as 4 leaving trails, 6 zoom out while fading in), 2 filter (the
// stretch filter: 0 nearest, 1 bilinear, 2 tent, 3 quadratic B-spline). Modes above 6 have no
// drawing and are refused with 1.
class ZoomFlipTransCallback final : public TransCallbackClass<ZoomFlipTransCallback> {
public:
    static constexpr const char* kName = "zoomflip";
    static constexpr std::uint8_t kKind = 1;
    std::int32_t XM_METHOD Update(std::uint32_t now) override;
    std::int32_t XM_METHOD Status() override { return m_progress == m_range ? -1 : 0; }
    std::int32_t XM_METHOD Draw(const TransitionBlit* blit) override;
    std::int32_t XM_METHOD Setup(ScreenBuffer* target, const std::int32_t* params) override;

    std::int32_t Progress() const { return m_progress; }
    std::int32_t Range() const { return m_range; }

private:
    std::int32_t m_progress = 0;
    std::int32_t m_range = 0;
    std::uint8_t m_mode = 0;
    std::uint8_t m_filter = 0;
    std::int32_t m_previous = -1;
};

// Words: 1 mode (0 the new picture spins in, 1 the old one spins out, 2 as 0 leaving trails),
// 2 filter (as zoomflip's). Progress runs to 512, one full turn.
class RotCenterTransCallback final : public TransCallbackClass<RotCenterTransCallback> {
public:
    static constexpr const char* kName = "rotcenter";
    static constexpr std::uint8_t kKind = 1;
    std::int32_t XM_METHOD Update(std::uint32_t now) override;
    std::int32_t XM_METHOD Status() override { return m_progress == 512 ? -1 : 0; }
    std::int32_t XM_METHOD Draw(const TransitionBlit* blit) override;
    std::int32_t XM_METHOD Setup(ScreenBuffer* target, const std::int32_t* params) override;

    std::int32_t Progress() const { return m_progress; }
    // The turned top-left, top-right and bottom-left corners, as pixel centres, of the
    // spinning picture at angle a in an area of width x height at (x, y).
    static void TurnedCorners(std::int32_t a, std::int32_t x, std::int32_t y, std::int32_t width,
                              std::int32_t height, double corners[6]);

private:
    std::int32_t m_progress = 0;
    std::uint8_t m_mode = 0;
    std::uint8_t m_filter = 0;
    std::int32_t m_previous = -1;
};

// Words: 1 mode (0 the old picture washes out to white, 1 the new one comes in from white,
// 2 the old one darkens to black, 3 the new one comes in from black).
class AddSubTransCallback final : public TransCallbackClass<AddSubTransCallback> {
public:
    static constexpr const char* kName = "addsub";
    static constexpr std::uint8_t kKind = 0;
    std::int32_t XM_METHOD Update(std::uint32_t now) override;
    std::int32_t XM_METHOD Status() override { return m_progress == 255 ? -1 : 0; }
    std::int32_t XM_METHOD Draw(const TransitionBlit* blit) override;
    std::int32_t XM_METHOD Setup(ScreenBuffer* target, const std::int32_t* params) override;

    std::uint8_t Progress() const { return m_progress; }

private:
    std::uint8_t m_progress = 0;
    std::uint8_t m_mode = 0;
};

// Words: 1 mode (0 the old picture blurs out and the new one blurs in; other modes crossfade
// through a blur), 2 radius (0 acts as 1, 128 and above as 127).
class HBlurTransCallback final : public TransCallbackClass<HBlurTransCallback> {
public:
    static constexpr const char* kName = "hblur";
    static constexpr std::uint8_t kKind = 1;
    std::int32_t XM_METHOD Update(std::uint32_t now) override;
    std::int32_t XM_METHOD Status() override { return m_progress == m_range ? -1 : 0; }
    std::int32_t XM_METHOD Draw(const TransitionBlit* blit) override;
    std::int32_t XM_METHOD Setup(ScreenBuffer* target, const std::int32_t* params) override;

    std::int32_t Progress() const { return m_progress; }
    std::int32_t Range() const { return m_range; }
    std::uint8_t Radius() const { return m_radius; }

private:
    std::int32_t m_progress = 0;
    std::int32_t m_range = 0;
    std::uint8_t m_mode = 0;
    std::uint8_t m_radius = 1;
};

// The generator the random quake draws from and the one zoomflip is handed; null until the
// script engine sets them (a quake then refuses Setup with 5).
void SetQuakeTransRandom(SubtractiveRandom* generator);
SubtractiveRandom* QuakeTransRandom();
void SetZoomFlipTransRandom(SubtractiveRandom* generator);
SubtractiveRandom* ZoomFlipTransRandom();

// Registers the six in order (kinds 2, 1, 1, 0, 1, 0, argument 0; only "ripple" with init and
// exit functions). 0, or the registry's code for the first entry it refused.
std::int32_t RegisterScreenFilters(TransitionRegistry& registry);

// The factories; the argument is ignored. Null when memory runs out.
TransCallback* XM_CDECL CreateQuakeTransCallback(std::int32_t);
TransCallback* XM_CDECL CreateZoomFlipTransCallback(std::int32_t);
TransCallback* XM_CDECL CreateRotCenterTransCallback(std::int32_t);
TransCallback* XM_CDECL CreateAddSubTransCallback(std::int32_t);
TransCallback* XM_CDECL CreateHBlurTransCallback(std::int32_t);
TransCallback* XM_CDECL CreateRippleTransCallback(std::int32_t);
