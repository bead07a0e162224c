// The eight transitions the application registers at start-up, in their registration order:
// "cross", "rule", "scroll", "wave", "mosaic", "rotaxis", "trans" and "tone". Each takes its
// duration in word 0 and the further words listed at its class; kinds 0 and 2 may be drawn in
// strips, kind 1 is drawn whole.
//
// The ones that draw through the pixel-operation library (cross, rule, the fading scrolls,
// wave, rotaxis and tone) refuse Setup with 5 while it is not loaded, and a Draw that finds it
// gone answers 5 without drawing.
#pragma once

#include <windows.h>

#include <cstdint>

#include "effects/transitions/trans_callback_base.h"

class TransitionRegistry;

// Words: none.
class CrossTransCallback final : public TransCallbackClass<CrossTransCallback> {
public:
    static constexpr const char* kName = "cross";
    static constexpr std::uint8_t kKind = 0;
    std::int32_t XM_METHOD Update(std::uint32_t now) override;
    std::int32_t XM_METHOD Status() override { return m_progress == 255 ? -1 : 0; }
    std::int32_t XM_METHOD Draw(const TransitionBlit* blit) override;
    std::int32_t XM_METHOD Setup(ScreenBuffer* target, const std::int32_t* params) override;

private:
    std::uint8_t m_progress = 0;
};

// Words: 1 the rule image (an 8-bit Image at least as large as the screen, kept by the
// caller), 2 the vagueness.
class RuleTransCallback final : public TransCallbackClass<RuleTransCallback> {
public:
    static constexpr const char* kName = "rule";
    static constexpr std::uint8_t kKind = 0;
    std::int32_t XM_METHOD Update(std::uint32_t now) override;
    std::int32_t XM_METHOD Status() override { return m_progress == 255 ? -1 : 0; }
    std::int32_t XM_METHOD Draw(const TransitionBlit* blit) override;
    std::int32_t XM_METHOD Setup(ScreenBuffer* target, const std::int32_t* params) override;

private:
    std::uint8_t m_progress = 0;
    Image* m_rule = nullptr;
    std::int32_t m_vagueness = 0;
};

// Words: 1 direction (0 right, 1 down, 2 left, other up), 2 style (0 slide in, 1 slide out,
// 2 push, 3 slide in fading, 4 slide out fading, above 4 as 3), 3 easing exponent as text.
class ScrollTransCallback final : public TransCallbackClass<ScrollTransCallback> {
public:
    static constexpr const char* kName = "scroll";
    static constexpr std::uint8_t kKind = 0;
    std::int32_t XM_METHOD Update(std::uint32_t now) override;
    std::int32_t XM_METHOD Status() override { return m_progress == m_range ? -1 : 0; }
    std::int32_t XM_METHOD Draw(const TransitionBlit* blit) override;
    std::int32_t XM_METHOD Setup(ScreenBuffer* target, const std::int32_t* params) override;

    std::int32_t Progress() const { return m_progress; }

private:
    std::int32_t m_progress = 0;
    std::int32_t m_range = 0;
    std::uint8_t m_direction = 0;
    std::uint8_t m_slideStyle = 0;
    bool m_fade = false;
    std::uint8_t m_fadeOpacity = 0;
    double m_exponent = 0;
};

// Words: 1 step mode, 2 amplitude, 3 step value, 4 edge colour at the start, 5 at the end.
// Step modes 0 to 2 are read as unsigned: a negative mode acts as mode 3 for the row step and
// for the start phase alike.
class WaveTransCallback final : public TransCallbackClass<WaveTransCallback> {
public:
    static constexpr const char* kName = "wave";
    static constexpr std::uint8_t kKind = 0;
    std::int32_t XM_METHOD Update(std::uint32_t now) override;
    std::int32_t XM_METHOD Status() override { return m_ratio == 255 ? -1 : 0; }
    std::int32_t XM_METHOD Draw(const TransitionBlit* blit) override;
    std::int32_t XM_METHOD Setup(ScreenBuffer* target, const std::int32_t* params) override;

    std::int32_t Amplitude() const { return m_amplitudeNow; }
    std::int32_t RowStep() const { return m_rowStep; }
    std::uint32_t StartPhase() const { return m_startPhase; }
    std::uint32_t Ratio() const { return m_ratio; }
    std::uint32_t EdgeColour() const { return m_edgeColour; }

private:
    std::uint32_t m_half = 0;
    std::int32_t m_height = 0;
    std::uint32_t m_mode = 0;
    std::int32_t m_amplitude = 0;
    std::int32_t m_step = 0;
    std::uint32_t m_startColour = 0;
    std::uint32_t m_endColour = 0;
    std::int32_t m_amplitudeNow = 0;
    std::int32_t m_rowStep = 0;
    std::uint32_t m_startPhase = 0;
    std::uint32_t m_ratio = 0;
    std::uint32_t m_edgeColour = 0;
};

// Words: 1 alignment (0 centred, 1 top-left, 2 right, 3 bottom, 4 bottom-right, above 4 as 0),
// 2 largest block (below 1 as 1), 3 keep aspect.
class MosaicTransCallback final : public TransCallbackClass<MosaicTransCallback> {
public:
    static constexpr const char* kName = "mosaic";
    static constexpr std::uint8_t kKind = 1;
    // 2 x the largest block must fit in 32 bits.
    static constexpr std::int32_t kLargestBlock = 0x3FFFFFFF;
    std::int32_t XM_METHOD Update(std::uint32_t now) override;
    std::int32_t XM_METHOD Status() override { return m_progress == m_range ? -1 : 0; }
    std::int32_t XM_METHOD Draw(const TransitionBlit* blit) override;
    std::int32_t XM_METHOD Setup(ScreenBuffer* target, const std::int32_t* params) override;

    std::int32_t Progress() const { return m_progress; }
    std::int32_t Range() const { return m_range; }

private:
    std::int32_t m_progress = 0;
    std::int32_t m_range = 2;
    std::uint8_t m_alignment = 0;
    bool m_keepAspect = false;
};

// Words: 1 axis (0, 1 vertical in opposite senses, 2, 3 horizontal; above 3 as 3).
class RotAxisTransCallback final : public TransCallbackClass<RotAxisTransCallback> {
public:
    static constexpr const char* kName = "rotaxis";
    static constexpr std::uint8_t kKind = 1;
    std::int32_t XM_METHOD Update(std::uint32_t now) override;
    std::int32_t XM_METHOD Status() override { return m_progress == 256 ? -1 : 0; }
    std::int32_t XM_METHOD Draw(const TransitionBlit* blit) override;
    std::int32_t XM_METHOD Setup(ScreenBuffer* target, const std::int32_t* params) override;

    // The projected corners (top-left, top-right, bottom-left, bottom-right) of an area of
    // width x height at angle index a about axis.
    static void ProjectCorners(std::int32_t a, std::uint8_t axis, std::int32_t width,
                               std::int32_t height, POINT* corners);

private:
    std::int32_t m_progress = 0;
    std::uint8_t m_axis = 0;
};

// Words: 1 routine number (0 to 86), 2 reverse.
class TransTransCallback final : public TransCallbackClass<TransTransCallback> {
public:
    static constexpr const char* kName = "trans";
    static constexpr std::uint8_t kKind = 1;
    std::int32_t XM_METHOD Update(std::uint32_t now) override;
    std::int32_t XM_METHOD Status() override { return m_progress == (m_reverse ? 0 : 256) ? -1 : 0; }
    std::int32_t XM_METHOD Draw(const TransitionBlit* blit) override;
    std::int32_t XM_METHOD Setup(ScreenBuffer* target, const std::int32_t* params) override;

    std::int32_t Progress() const { return m_progress; }

private:
    std::int32_t m_progress = 0;
    std::int32_t m_routine = 0;
    bool m_reverse = false;
};

// Words: 1 colour (0xAARRGGBB), 2 reverse. Works on the current picture alone.
class ToneTransCallback final : public TransCallbackClass<ToneTransCallback> {
public:
    static constexpr const char* kName = "tone";
    static constexpr std::uint8_t kKind = 2;
    std::int32_t XM_METHOD Update(std::uint32_t now) override;
    std::int32_t XM_METHOD Status() override { return m_progress == (m_reverse ? 0 : 255) ? -1 : 0; }
    std::int32_t XM_METHOD Draw(const TransitionBlit* blit) override;
    std::int32_t XM_METHOD Setup(ScreenBuffer* target, const std::int32_t* params) override;

    std::uint8_t Progress() const { return m_progress; }

private:
    std::uint8_t m_progress = 0;
    bool m_reverse = false;
    std::uint32_t m_colour = 0;
};

// Registers the eight in order (kinds 0, 0, 0, 0, 1, 1, 1, 2, argument 0, no init or exit
// function). 0, or the registry's code for the first entry it refused (those before stay).
std::int32_t RegisterBuiltinTransitions(TransitionRegistry& registry);

// The factories; the argument is ignored. Null when memory runs out.
TransCallback* XM_CDECL CreateCrossTransCallback(std::int32_t);
TransCallback* XM_CDECL CreateRuleTransCallback(std::int32_t);
TransCallback* XM_CDECL CreateScrollTransCallback(std::int32_t);
TransCallback* XM_CDECL CreateWaveTransCallback(std::int32_t);
TransCallback* XM_CDECL CreateMosaicTransCallback(std::int32_t);
TransCallback* XM_CDECL CreateRotAxisTransCallback(std::int32_t);
TransCallback* XM_CDECL CreateTransTransCallback(std::int32_t);
TransCallback* XM_CDECL CreateToneTransCallback(std::int32_t);
