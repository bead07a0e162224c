#include "effects/surface/surface_effect.h"

#include <algorithm>

#include "graphics/image/image.h"
#include "graphics/sprites/canvas.h"  // completes the screen core's members
#include "graphics/surfaces/screen_core.h"

namespace {

SurfaceEffectFactory* g_surfaceEffectFactory = nullptr;

bool IsSourceKind(std::uint32_t kind) { return (kind >= 2 && kind <= 7) || kind >= 14; }

// The six band geometries shared by the source kinds 2-7 and the colour kinds 8-13.
std::uint32_t Geometry(std::uint32_t kind) { return kind <= 7 ? kind - 2 : kind - 8; }

}  // namespace

SurfaceEffectFactory* CurrentSurfaceEffectFactory() { return g_surfaceEffectFactory; }
void SetCurrentSurfaceEffectFactory(SurfaceEffectFactory* factory) {
    g_surfaceEffectFactory = factory;
}

SurfaceEffect::~SurfaceEffect() {
    if (m_busyState == 2 && g_effectEndHook) g_effectEndHook();
}

void XM_METHOD SurfaceEffect::OnCreated() {
    if (m_busyState != 1 || !g_effectBeginHook) return;
    g_effectBeginHook();
    m_busyState = 2;
}

std::int32_t SurfaceEffect::Due(std::uint32_t elapsed, std::int32_t extent) const {
    if (extent <= 0) return 0;
    return static_cast<std::int32_t>(static_cast<std::uint64_t>(elapsed) *
                                     static_cast<std::uint64_t>(extent) / m_duration);
}

void SurfaceEffect::Piece(std::int32_t left, std::int32_t top, std::int32_t right,
                          std::int32_t bottom) {
    if (left >= right || top >= bottom) return;
    const RECT rect = {left, top, right, bottom};
    if (IsSourceKind(m_kind)) {
        const std::int32_t x = m_destX + left - m_srcRect.left;
        const std::int32_t y = m_destY + top - m_srcRect.top;
        if (m_mode != 0) {
            m_destination->AlphaBlend(m_source, x, y, &rect, false);
        } else {
            m_destination->Blit(m_source, x, y, &rect, false);
        }
        return;
    }
    switch (m_mode) {
        case 1:
            m_destination->FillAdd(m_red, m_green, m_blue, &rect);
            break;
        case 2:
            m_destination->FillSubtract(m_red, m_green, m_blue, &rect);
            break;
        case 3:
            m_destination->ApplyBrightness(m_value, &rect);
            break;
        default:
            m_destination->FillAlpha(m_red, m_green, m_blue, static_cast<std::uint8_t>(m_value),
                                     &rect);
            break;
    }
}

std::int32_t XM_METHOD SurfaceEffect::Step(std::uint32_t now) {
    // Once the end state is drawn nothing more is: a later step (or a second Finish, whose
    // "now" is measured from the cleared start) only reports the end.
    if (m_ended) return 1;
    const std::uint32_t elapsed = now - m_start;
    const bool atEnd = elapsed >= m_duration;
    if (m_kind <= 1) return StepFade(elapsed, atEnd);
    std::int32_t result = 0;
    if (m_kind <= 13) {
        result = StepBands(elapsed, atEnd);
    } else if (m_kind <= 17) {
        result = StepBlinds(elapsed, atEnd);
    } else {
        result = StepStrips(elapsed, atEnd);
    }
    if (atEnd) {
        m_start = 0;
        m_ended = true;
    }
    return result;
}

// Kinds 0 and 1. The level is kept in done's low byte; the end applies the full 255, which
// leaves the rectangle black or white, and is repeated at every later step (it changes
// nothing then) until the scheduler drops the effect.
std::int32_t SurfaceEffect::StepFade(std::uint32_t elapsed, bool atEnd) {
    const RECT& rect = m_destRect;
    if (atEnd) {
        if (m_kind == 0) {
            m_destination->FillSubtract(255, 255, 255, &rect);
        } else {
            m_destination->FillAdd(255, 255, 255, &rect);
        }
        return 1;
    }
    const std::int32_t level = Due(elapsed, 255);
    const std::uint8_t delta = static_cast<std::uint8_t>(level - m_done);
    if (delta == 0) return 0;
    if (m_kind == 0) {
        m_destination->FillSubtract(delta, delta, delta, &rect);
    } else {
        m_destination->FillAdd(delta, delta, delta, &rect);
    }
    m_done += delta;
    return 0;
}

std::int32_t SurfaceEffect::StepBands(std::uint32_t elapsed, bool atEnd) {
    const RECT& rc = IsSourceKind(m_kind) ? m_srcRect : m_destRect;
    const std::int32_t l = rc.left, t = rc.top, r = rc.right, b = rc.bottom;
    const std::int32_t w = r - l, h = b - t;
    const std::int32_t hw = w >> 1, hh = h >> 1;
    const bool oddW = (w & 1) != 0 && w > 0;
    const bool oddH = (h & 1) != 0 && h > 0;
    const std::uint32_t geometry = Geometry(m_kind);
    switch (geometry) {
        case 0:    // rows from the centre line outward
        case 3: {  // rows from the top and bottom edges inward
            const std::int32_t o = m_done;
            const std::int32_t n = atEnd ? std::max(hh, 0) : Due(elapsed, hh);
            if (n != o) {
                if (geometry == 0) {
                    Piece(l, t + hh - n, r, t + hh - o);
                    Piece(l, t + hh + o, r, t + hh + n);
                } else {
                    Piece(l, t + o, r, t + n);
                    Piece(l, b - n, r, b - o);
                }
                m_done = n;
            }
            if (atEnd && oddH) {
                if (geometry == 0) {
                    Piece(l, b - 1, r, b);
                } else {
                    Piece(l, t + hh, r, t + hh + 1);
                }
            }
            break;
        }
        case 1:    // columns from the centre line outward
        case 4: {  // columns from the left and right edges inward
            const std::int32_t o = m_done;
            const std::int32_t n = atEnd ? std::max(hw, 0) : Due(elapsed, hw);
            if (n != o) {
                if (geometry == 1) {
                    Piece(l + hw - n, t, l + hw - o, b);
                    Piece(l + hw + o, t, l + hw + n, b);
                } else {
                    Piece(l + o, t, l + n, b);
                    Piece(r - n, t, r - o, b);
                }
                m_done = n;
            }
            if (atEnd && oddW) {
                if (geometry == 1) {
                    Piece(r - 1, t, r, b);
                } else {
                    Piece(l + hw, t, l + hw + 1, b);
                }
            }
            break;
        }
        case 2: {  // a rectangle growing from the centre
            const std::int32_t ov = m_done, oh = m_done2;
            const std::int32_t nv = atEnd ? std::max(hh, 0) : Due(elapsed, hh);
            const std::int32_t nh = atEnd ? std::max(hw, 0) : Due(elapsed, hw);
            if (nv != ov || nh != oh) {
                Piece(l + hw - nh, t + hh - nv, l + hw + nh, t + hh - ov);
                Piece(l + hw - nh, t + hh + ov, l + hw + nh, t + hh + nv);
                Piece(l + hw - nh, t + hh - ov, l + hw - oh, t + hh + ov);
                Piece(l + hw + oh, t + hh - ov, l + hw + nh, t + hh + ov);
                m_done = nv;
                m_done2 = nh;
            }
            if (atEnd) {
                // The last row spans the full width, so the last column stops above it: the
                // corner pixel is drawn once.
                if (oddH) Piece(l, b - 1, r, b);
                if (oddW) Piece(r - 1, t, r, oddH ? b - 1 : b);
            }
            break;
        }
        default: {  // a rectangle closing in from all four edges
            const std::int32_t ov = m_done, oh = m_done2;
            const std::int32_t nv = atEnd ? std::max(hh, 0) : Due(elapsed, hh);
            const std::int32_t nh = atEnd ? std::max(hw, 0) : Due(elapsed, hw);
            if (nv != ov || nh != oh) {
                Piece(l + oh, t + ov, r - oh, t + nv);
                Piece(l + oh, b - nv, r - oh, b - ov);
                Piece(l + oh, t + nv, l + nh, b - nv);
                Piece(r - nh, t + nv, r - oh, b - nv);
                m_done = nv;
                m_done2 = nh;
            }
            if (atEnd && oddW && oddH) Piece(l + hw, t + hh, l + hw + 1, t + hh + 1);
            break;
        }
    }
    return atEnd ? 1 : 0;
}

// Kinds 14-17. Each period of 16 lines opens by k lines; every piece is cut at the rectangle's
// edges, so a short last (14, 16) or first (15, 17) period shows only its own lines, once.
std::int32_t SurfaceEffect::StepBlinds(std::uint32_t elapsed, bool atEnd) {
    const std::int32_t k = atEnd ? 16 : Due(elapsed, 16);
    const std::int32_t done = m_done;
    const std::int32_t delta = k - done;
    if (delta > 0) {
        const bool columns = m_kind <= 15;
        const std::int32_t lo = columns ? m_srcRect.left : m_srcRect.top;
        const std::int32_t hi = columns ? m_srcRect.right : m_srcRect.bottom;
        auto line = [&](std::int32_t from, std::int32_t to) {
            from = std::max(from, lo);
            to = std::min(to, hi);
            if (from >= to) return;
            if (columns) {
                Piece(from, m_srcRect.top, to, m_srcRect.bottom);
            } else {
                Piece(m_srcRect.left, from, m_srcRect.right, to);
            }
        };
        if (m_kind == 14 || m_kind == 16) {
            for (std::int32_t start = lo; start < hi; start += 16) {
                line(start + done, start + done + delta);
            }
        } else {
            // Periods end at lo + m + 16j; with m = 0 the first of them is empty.
            const std::int32_t m = hi > lo ? (hi - lo) % 16 : 0;
            for (std::int32_t end = lo + m; end <= hi; end += 16) {
                line(end - done - delta, end - done);
            }
        }
        m_done = k;
    }
    return atEnd ? 1 : 0;
}

// Kinds 18-21. Strip i shows min(16, max(0, k - i)) lines; a step draws each growing strip's
// new lines, the strips already started first (increasing i), then those that start now (from
// the highest index down).
std::int32_t SurfaceEffect::StepStrips(std::uint32_t elapsed, bool atEnd) {
    const bool columns = m_kind <= 19;
    const bool forward = m_kind == 18 || m_kind == 20;
    const std::int32_t lo = columns ? m_srcRect.left : m_srcRect.top;
    const std::int32_t hi = columns ? m_srcRect.right : m_srcRect.bottom;
    const std::int32_t extent = std::max(hi - lo, 0);
    const std::int32_t count = (extent + 15) / 16;
    const std::int32_t k = atEnd ? count + 15 : Due(elapsed, count + 15);
    const std::int32_t old = m_done;
    if (k == old) return atEnd ? 1 : 0;
    auto length = [](std::int32_t steps, std::int32_t i) {
        return std::min<std::int32_t>(16, std::max<std::int32_t>(0, steps - i));
    };
    auto grow = [&](std::int32_t i) {
        const std::int32_t from = length(old, i), to = length(k, i);
        if (from >= to) return;
        std::int32_t a, z;
        if (forward) {
            a = lo + 16 * i + from;
            z = std::min(hi, lo + 16 * i + to);
        } else {
            a = std::max(lo, hi - 16 * i - to);
            z = hi - 16 * i - from;
        }
        if (a >= z) return;
        if (columns) {
            Piece(a, m_srcRect.top, z, m_srcRect.bottom);
        } else {
            Piece(m_srcRect.left, a, m_srcRect.right, z);
        }
    };
    for (std::int32_t i = 0; i < count && i < old; ++i) grow(i);
    for (std::int32_t i = std::min(count, k) - 1; i >= old; --i) grow(i);
    m_done = k;
    return atEnd ? 1 : 0;
}

SurfaceEffect* SurfaceEffectFactory::Create(std::uint32_t kind, std::uint32_t duration,
                                            Image* destination, Image* source, std::uint32_t a,
                                            std::uint32_t b, std::uint32_t c, std::uint32_t d,
                                            std::uint32_t e, std::uint32_t f, std::uint32_t g,
                                            std::uint32_t h) {
    (void)h;
    if (!m_scheduler || !destination || kind >= kSurfaceEffectKindCount) return nullptr;
    if (IsSourceKind(kind) && !source) return nullptr;
    auto* effect = new SurfaceEffect;
    effect->m_kind = kind;
    effect->m_duration = duration == 0 ? 1 : duration;
    effect->m_destination = destination;
    if (!IsSourceKind(kind)) {
        if (a == 0xffff) {
            destination->GetClipRect(&effect->m_destRect);
        } else {
            const auto x = static_cast<std::int32_t>(a), y = static_cast<std::int32_t>(b);
            effect->m_destRect = {x, y, x + static_cast<std::int32_t>(c & 0xffff),
                                  y + static_cast<std::int32_t>(d & 0xffff)};
        }
        if (kind >= 8) {
            // Operation e: 1 add, 2 subtract, 3 brightness f; 0, above 255 and 4..255 an
            // alpha fill at 128, 128 and e.
            effect->m_red = static_cast<std::uint8_t>(f);
            effect->m_green = static_cast<std::uint8_t>(g);
            effect->m_blue = static_cast<std::uint8_t>(h);
            if (e >= 1 && e <= 3) {
                effect->m_mode = static_cast<std::uint8_t>(e);
                if (e == 3) effect->m_value = static_cast<std::uint16_t>(f);
            } else {
                effect->m_mode = 0;
                effect->m_value = static_cast<std::uint16_t>(e >= 4 && e <= 255 ? e : 128);
            }
        }
    } else {
        effect->m_source = source;
        effect->m_destX = a == 0xffff ? 0 : static_cast<std::int32_t>(a);
        effect->m_destY = static_cast<std::int32_t>(b);
        effect->m_mode = static_cast<std::uint8_t>(c);
        if ((d & 0xffff) == 0xffff) {
            source->GetClipRect(&effect->m_srcRect);
        } else {
            const auto x = static_cast<std::int32_t>(d & 0xffff);
            const auto y = static_cast<std::int32_t>(e & 0xffff);
            effect->m_srcRect = {x, y, x + static_cast<std::int32_t>(f & 0xffff),
                                 y + static_cast<std::int32_t>(g & 0xffff)};
        }
    }
    effect->m_start = m_clock->Milliseconds();
    const std::uint32_t period = kind <= 1 ? effect->m_duration >> 8 : 0;
    if (m_scheduler->Add(effect, period, period, 0) != TaskScheduler::kAdded) {
        effect->DeletingDestructor(xm::kDeleteMemory);
        return nullptr;
    }
    effect->OnCreated();
    return effect;
}

SurfaceEffect* SurfaceEffectFactory::Held(const void* effect) {
    if (!m_scheduler || !effect || !m_scheduler->Contains(effect)) return nullptr;
    // The scheduler keys each task by its own address, so a held key is a live task.
    auto* task = static_cast<ScheduledTask*>(const_cast<void*>(effect));
    if (task->Kind() != kSurfaceEffectTaskKind) return nullptr;
    // A cancelled effect waits for the scheduler's next run to be deleted; it no longer runs.
    if (task->IsFinished()) return nullptr;
    return static_cast<SurfaceEffect*>(task);
}

std::uint8_t SurfaceEffectFactory::IsRunning(const void* effect) {
    return Held(effect) != nullptr ? 1 : 0;
}

std::int32_t SurfaceEffectFactory::Finish(const void* effect) {
    if (!m_scheduler) return 1;
    if (SurfaceEffect* held = Held(effect)) held->Step(held->m_start + held->m_duration);
    return 0;
}

std::int32_t SurfaceEffectFactory::Cancel(const void* effect) {
    if (!m_scheduler) return 1;
    if (Held(effect)) m_scheduler->Cancel(effect);
    return 0;
}
