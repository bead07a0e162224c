// "ripple" (kind 0): crossfades from the old picture to the new one while circular waves run
// outward from a centre and bend the picture, swelling to full height at mid-time and dying
// away at the end. The per-pixel work reads the shared tables of ripple_table.h.
//
// Words: 0 duration in ms (below 2 as 2), 1 centre x and 2 centre y in pixels (negative: the
// middle; the size or more: the last pixel), 3 ring count (16, 32, 64 or 128; other values 16),
// 4 vertical scale as text (null, 0 or less: 1.0; kept within 1/1000..1000), 5 speed as text in
// radians of wave phase per second (null: 6.0; kept within +-1e6), 6 largest wave height in
// pixels (0 or less: 24; 128 or more: 127).
//
// Draw reads the from and to pictures at the same offsets, over the back buffer's size it was
// set up with: pictures of differing pitches, smaller than that size, or placed differently from
// the area give 1 without drawing.
#pragma once

#include <cstdint>

#include "effects/transitions/trans_callback_base.h"

class RippleTable;

class RippleTransCallback final : public TransCallbackClass<RippleTransCallback> {
public:
    static constexpr const char* kName = "ripple";
    static constexpr std::uint8_t kKind = 0;

    RippleTransCallback() = default;
    ~RippleTransCallback();

    std::int32_t XM_METHOD Update(std::uint32_t now) override;
    std::int32_t XM_METHOD Status() override { return m_ratio == 255 ? -1 : 0; }
    std::int32_t XM_METHOD Draw(const TransitionBlit* blit) override;
    std::int32_t XM_METHOD Setup(ScreenBuffer* target, const std::int32_t* params) override;

    const RippleTable* Table() const { return m_table; }
    std::int32_t CentreX() const { return m_centreX; }
    std::int32_t CentreY() const { return m_centreY; }
    std::int32_t Rings() const { return m_rings; }
    float Scale() const { return m_scale; }
    float Speed() const { return m_speed; }
    std::int32_t WaveHeight() const { return m_waveHeight; }
    std::int32_t Ratio() const { return m_ratio; }
    std::int32_t RingPhase() const { return m_ringPhase; }
    std::int32_t Level() const { return m_level; }
    std::int32_t Margin() const { return m_margin; }

private:
    void DrawRow(const TransitionBlit& b, std::int32_t y) const;

    std::uint32_t m_elapsed = 0;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    std::int32_t m_centreX = 0;
    std::int32_t m_centreY = 0;
    std::int32_t m_rings = 16;
    float m_scale = 1.0f;
    float m_speed = 6.0f;
    std::int32_t m_waveHeight = 24;
    RippleTable* m_table = nullptr;
    std::int32_t m_ratio = 0;
    std::int32_t m_ringPhase = 0;
    std::int32_t m_level = 0;
    std::int32_t m_margin = 2;
    const std::int16_t* m_row = nullptr;
};
