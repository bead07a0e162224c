#include "effects/objects/bg_haze_effect.h"

#include <limits>
#include <new>

#include "effects/interfaces/effect_word_resolver.h"
#include "framework/util/arg_tokenizer.h"
#include "graphics/compose/math_tables.h"
#include "graphics/image/image.h"
#include "graphics/sprites/canvas.h"

namespace {

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The number of "(" in the text; a lead byte takes the byte after it along, unless that is the
// terminator.
std::int64_t CountTriples(const char* text) {
    std::int64_t count = 0;
    for (const char* p = text; *p; ++p) {
        if (IsLeadByte(static_cast<unsigned char>(*p))) {
            if (p[1] == 0) break;
            ++p;
        } else if (*p == '(') {
            ++count;
        }
    }
    return count;
}

// (f x j x 512 / N) mod 512 as the integer division gives it (towards zero), without forming
// the product: only f x j mod N decides it.
std::int64_t EntryAngle(std::int64_t f, std::int64_t j, std::int64_t n) {
    const bool negative = f < 0;
    const std::int64_t magnitude = (negative ? -f : f) % n * j % n;
    const std::int64_t angle = magnitude * 512 / n;
    return negative ? -angle : angle;
}

std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b) {
    if (b > 0 && a > std::numeric_limits<std::int64_t>::max() - b)
        return std::numeric_limits<std::int64_t>::max();
    if (b < 0 && a < std::numeric_limits<std::int64_t>::min() - b)
        return std::numeric_limits<std::int64_t>::min();
    return a + b;
}

}  // namespace

std::int32_t BuildHazeTable(const char* text, std::int32_t n, std::vector<std::int32_t>* out) {
    if (!text || n <= 0 || !g_mathTables || !g_mathTables->CosFixed()) return 2;
    const std::int64_t count = CountTriples(text);
    if (count == 0) return 2;
    std::vector<std::int64_t> sums;
    std::vector<std::int32_t> table;
    try {
        sums.assign(static_cast<std::size_t>(n), 0);
        table.resize(static_cast<std::size_t>(n));
    } catch (const std::exception&) {
        return 2;
    }
    const std::int32_t* cosine = g_mathTables->CosFixed();
    ArgTokenizer tokens(text);
    for (std::int64_t i = 0; i < count; ++i) {
        std::int32_t triple[3] = {0, 0, 0};
        for (std::int32_t& value : triple) {
            tokens.SkipSeparators();
            tokens.ReadInteger(&value);
        }
        const std::int64_t f = triple[0], p = triple[1], a = triple[2];
        for (std::int32_t j = 0; j < n; ++j) {
            const std::int64_t index = (EntryAngle(f, j, n) + p) & 511;
            sums[static_cast<std::size_t>(j)] =
                SaturatingAdd(sums[static_cast<std::size_t>(j)], a * cosine[index]);
        }
    }
    for (std::int32_t j = 0; j < n; ++j) {
        const std::int64_t pixels = (sums[static_cast<std::size_t>(j)] / count) >> 16;
        table[static_cast<std::size_t>(j)] = static_cast<std::int32_t>(pixels);
    }
    out->swap(table);
    return 0;
}

std::int32_t XM_METHOD BgHazeEffect::Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                           const std::int32_t* params) {
    if (!params) return 2;
    if (!g_mathTables || !g_mathTables->CosFixed()) return 1;
    const char* text = EffectWords()->Text(static_cast<std::uint32_t>(params[0]));
    if (BuildHazeTable(text, params[1], &m_table) != 0) return 2;
    const std::int32_t code = TakeCache(scheduler, target, params[6] != 0);
    if (code != 0) return code;
    m_period = params[2] == 0 ? 1 : params[2];
    m_envelope.Set(512, params[4], params[3], params[5]);
    return Join(scheduler, params[7], 7);
}

void BgHazeEffect::DrawAt(std::int64_t t, std::int64_t strength) {
    const auto n = static_cast<std::int64_t>(m_table.size());
    const std::int64_t index = t % m_period * n / m_period;
    if (m_drawn && index == m_lastIndex && strength == m_lastStrength) return;
    BgSourceWindow w;
    if (!Window(&w)) return;
    m_drawn = true;
    m_lastIndex = index;
    m_lastStrength = strength;
    const std::uint32_t fill = m_canvas->Colour();
    for (std::int32_t r = 0; r < w.height; ++r) {
        auto* to = reinterpret_cast<std::uint32_t*>(w.cache->Row(r));
        std::int64_t entry = (index + r) % n;
        if (entry < 0) entry += n;
        const std::int64_t l = strength * m_table[static_cast<std::size_t>(entry)] >> 9;
        const std::int64_t row = r + l;
        if (row < 0 || row >= w.height) {
            if (m_edgeFill) FillPixels(to, fill, w.width);
            continue;
        }
        // Columns x with 0 <= x + l < width read the source; the rest are uncovered.
        const std::int64_t first = l < 0 ? (-l < w.width ? -l : w.width) : 0;
        const std::int64_t end = l > 0 ? (l < w.width ? w.width - l : 0) : w.width;
        const auto* from = reinterpret_cast<const std::uint32_t*>(
                               w.source->Row(w.y + static_cast<std::int32_t>(row))) + w.x;
        if (end > first) CopyPixels(to + first, from + first + l, end - first);
        if (m_edgeFill) {
            FillPixels(to, fill, first);
            FillPixels(to + end, fill, w.width - end);
        }
    }
    m_canvas->InvalidateAll();
}
