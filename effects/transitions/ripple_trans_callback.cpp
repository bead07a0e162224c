#include "effects/transitions/ripple_trans_callback.h"

#include <algorithm>
#include <cmath>

#include "effects/transitions/transition_draw.h"
#include "effects/transitions/ripple_rows.h"
#include "effects/transitions/ripple_table.h"
#include "graphics/image/image.h"
#include "graphics/interfaces/screen_buffer.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// A real limited before it becomes a float.
float Limited(double v, double low, double high) {
    return static_cast<float>(std::clamp(v, low, high));
}

}  // namespace

RippleTransCallback::~RippleTransCallback() {
    if (m_table) m_table->Release();
}

std::int32_t XM_METHOD RippleTransCallback::Setup(ScreenBuffer* target,
                                                  const std::int32_t* params) {
    if (m_table) {
        m_table->Release();
        m_table = nullptr;
    }
    if (!params || !target) return kTransSetupBadParameters;
    if (target->Depth() != 32) return kTransSetupBadTarget;
    Image* back = target->GetImage();
    if (!back || back->Width() <= 0 || back->Height() <= 0) return kTransSetupBadTarget;
    m_duration = std::max<std::uint32_t>(static_cast<std::uint32_t>(params[0]), 2);
    m_width = back->Width();
    m_height = back->Height();
    m_centreX = params[1] < 0 ? m_width / 2 : std::min(params[1], m_width - 1);
    m_centreY = params[2] < 0 ? m_height / 2 : std::min(params[2], m_height - 1);
    const std::int32_t rings = params[3];
    m_rings = rings == 16 || rings == 32 || rings == 64 || rings == 128 ? rings : 16;
    double scale = ReadParameterReal(params[4], 1.0);
    if (!(scale > 0)) scale = 1.0;
    m_scale = Limited(scale, 1e-3, 1e3);
    m_speed = Limited(ReadParameterReal(params[5], 6.0), -1e6, 1e6);
    m_waveHeight = params[6] <= 0 ? 24 : std::min(params[6], 127);
    m_table = AcquireRippleTable(m_width, m_height, m_centreX, m_centreY, m_rings, m_scale,
                                 m_waveHeight);
    if (!m_table) return kTransSetupFailed;
    m_elapsed = 0;
    m_ratio = 0;
    m_level = 0;
    m_ringPhase = m_rings - 1;
    m_margin = 2;
    m_row = m_table->Displacement(0, m_ringPhase);
    Armed();
    return kTransSetupOk;
}

std::int32_t XM_METHOD RippleTransCallback::Update(std::uint32_t now) {
    if (!m_table) return 0;  // not set up: Draw answers 1
    StartIfFirst(now);
    // Capped at the duration: a late last frame shows the end (level 0, ratio 255), and the
    // products are taken in 64 bits, so hours of elapsed time do not wrap.
    m_elapsed = std::min(Elapsed(now), m_duration);
    const std::uint64_t e = m_elapsed;
    m_ratio = static_cast<std::int32_t>(std::min<std::uint64_t>(e * 255 / m_duration, 255));
    const double turns = static_cast<double>(e) * m_speed * m_rings / (2000 * kPi);
    double phase = std::fmod(turns, static_cast<double>(m_rings));
    if (!(phase >= 0)) phase = 0;
    m_ringPhase = m_rings - 1 - std::min(static_cast<std::int32_t>(phase), m_rings - 1);
    const std::int32_t top = 4 * m_waveHeight - 1;
    const double level = std::sin(static_cast<double>(e) * kPi / m_duration) * m_waveHeight * 4;
    m_level = std::clamp(static_cast<std::int32_t>(std::clamp(level, 0.0, double(top))), 0, top);
    m_margin = m_level / 4 + 1;
    if (m_margin & 1) ++m_margin;
    m_row = m_table->Displacement(m_level, m_ringPhase);
    return 0;
}

void RippleTransCallback::DrawRow(const TransitionBlit& b, std::int32_t y) const {
    const std::int32_t cx = m_centreX, cy = m_centreY;
    const bool above = y < cy;
    const std::int32_t qy = above ? cy - y - 1 : y - cy;
    const std::int16_t* polar = m_table->PolarRow(qy);
    const RippleRowForm& rows = CurrentRippleRows();
    RippleRun run;
    run.from = b.from->Bits() + (b.fromY - b.areaY) * b.from->Pitch() + (b.fromX - b.areaX) * 4;
    run.to = b.to->Bits() + (b.toY - b.areaY) * b.to->Pitch() + (b.toX - b.areaX) * 4;
    run.pitch = b.from->Pitch();
    run.displacement = m_row;
    run.ratio = m_ratio;
    run.width = m_width;
    run.height = m_height;
    run.y = y;
    std::uint32_t* dst =
        reinterpret_cast<std::uint32_t*>(b.target->Row(b.targetY + y - b.areaY)) + b.targetX -
        b.areaX;  // indexed by picture column
    const std::int32_t left = b.areaX, right = b.areaX + b.width;
    const bool marginRow = y < m_margin || y >= m_height - m_margin;
    // Pieces [from, to) of one side, clamped or fast.
    auto piece = [&](std::int32_t from, std::int32_t to, bool rightSide, bool clamped) {
        from = std::max(from, left);
        to = std::min(to, right);
        if (from >= to) return;
        run.dst = dst + from;
        run.x = from;
        run.count = to - from;
        run.polar = polar + (rightSide ? from - cx : cx - from - 1);
        if (clamped)
            RippleRowClamped(run, rightSide, above);
        else
            (above ? rows.above : rows.below)[rightSide ? 0 : 1](run);
    };
    auto side = [&](std::int32_t from, std::int32_t to, bool rightSide) {
        if (marginRow) {
            piece(from, to, rightSide, true);
            return;
        }
        const std::int32_t fastFrom = std::max(from, m_margin);
        const std::int32_t fastTo = std::min(to, m_width - m_margin);
        if (fastFrom >= fastTo) {
            piece(from, to, rightSide, true);
            return;
        }
        piece(from, fastFrom, rightSide, true);
        piece(fastFrom, fastTo, rightSide, false);
        piece(fastTo, to, rightSide, true);
    };
    side(0, cx, false);
    side(cx, m_width, true);
}

std::int32_t XM_METHOD RippleTransCallback::Draw(const TransitionBlit* b) {
    if (!m_table || !b || !b->from || !b->to || !b->target) return 1;
    // Both pictures are read at the same offsets, over the whole size set up.
    if (b->from->Pitch() != b->to->Pitch()) return 1;
    if (b->fromX != b->toX || b->fromY != b->toY) return 1;
    if (b->from->Width() < m_width || b->from->Height() < m_height ||
        b->to->Width() < m_width || b->to->Height() < m_height)
        return 1;
    if (b->fromX != b->areaX || b->fromY != b->areaY) return 1;
    if (b->areaX < 0 || b->areaY < 0 || b->width < 0 || b->height < 0 ||
        b->areaX + b->width > m_width || b->areaY + b->height > m_height)
        return 1;
    if (b->targetX < 0 || b->targetY < 0 || b->targetX + b->width > b->target->Width() ||
        b->targetY + b->height > b->target->Height())
        return 1;
    for (std::int32_t y = b->areaY; y < b->areaY + b->height; ++y) DrawRow(*b, y);
    return 0;
}
