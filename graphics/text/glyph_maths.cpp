#include "graphics/text/glyph_maths.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "graphics/compose/blend_tables.h"
#include "graphics/image/kernel_form.h"

namespace {

std::int32_t PitchOfBytes(std::int32_t width) {
    return (width + 3) & ~3;
}

std::uint8_t* AllocateZeroed(std::int32_t pitch, std::int32_t height) {
    const std::int32_t size = std::max(pitch * height, 1);
    std::uint8_t* bits = new (std::nothrow) std::uint8_t[size];
    if (bits != nullptr) {
        std::memset(bits, 0, size);
    }
    return bits;
}

void Replace(Glyph& glyph, std::uint8_t* bits, std::int32_t pitch, std::int32_t width,
             std::int32_t height) {
    delete[] glyph.bits;
    glyph.bits = bits;
    glyph.pitch = pitch;
    glyph.width = width;
    glyph.height = height;
}

}  // namespace

std::int32_t OutlineDistance(std::int32_t dx, std::int32_t dy) {
    const std::int32_t ax = std::abs(dx);
    const std::int32_t ay = std::abs(dy);
    const std::int32_t m = std::min(ax, ay);
    const std::int32_t big = std::max(ax, ay);
    const std::int32_t m2 = m + m / 2;
    return big + m2 / 64 + m2 / 4 - big / 128 - big / 32;
}

std::int32_t OutlineNormaliser(std::int32_t a) {
    if (a <= 0) {
        return 65536;
    }
    std::int32_t sum = 0;
    for (std::int32_t dy = -a; dy <= a; ++dy) {
        for (std::int32_t dx = -a; dx <= a; ++dx) {
            const std::int32_t d = OutlineDistance(dx, dy);
            if (d <= a) {
                sum += a - d + 1;
            }
        }
    }
    return 65536 / sum;
}

std::int32_t SoftOutlineWeight(std::int32_t strength, std::int32_t a, std::int32_t distance,
                               std::int32_t normaliser) {
    const std::int64_t w =
        (static_cast<std::int64_t>(strength) * (a - distance + 1) * normaliser) >> 8;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(w, 0, 32767));
}

bool WidenMono(Glyph& glyph, std::int32_t n) {
    const std::int32_t oldPitch = glyph.pitch;
    const std::int32_t newPitch = std::max(PitchOfBytes(glyph.width), oldPitch);
    std::uint8_t* out = AllocateZeroed(newPitch, glyph.height);
    if (out == nullptr) {
        return false;
    }
    // The shifted copies reach one byte past the old row at most (n <= 8).
    const std::int32_t span = std::min(oldPitch + 1, newPitch);
    for (std::int32_t r = 0; r < glyph.height; ++r) {
        const std::uint8_t* src = glyph.bits + r * oldPitch;
        std::uint8_t* dst = out + r * newPitch;
        std::memcpy(dst, src, oldPitch);
        for (std::int32_t j = 1; j <= n; ++j) {
            std::uint32_t carry = 0;
            for (std::int32_t i = 0; i < span; ++i) {
                const std::uint32_t b = i < oldPitch ? src[i] : 0;
                dst[i] |= static_cast<std::uint8_t>((b >> j) | carry);
                carry = (b << (8 - j)) & 0xFF;
            }
        }
    }
    Replace(glyph, out, newPitch, glyph.width + n, glyph.height);
    glyph.x -= n >> 1;
    return true;
}

bool WidenGrey(Glyph& glyph, std::int32_t n) {
    const std::int32_t w = glyph.width;
    const std::int32_t newPitch = PitchOfBytes(w + n);
    std::uint8_t* out = AllocateZeroed(newPitch, glyph.height);
    if (out == nullptr) {
        return false;
    }
    for (std::int32_t r = 0; r < glyph.height; ++r) {
        const std::uint8_t* src = glyph.bits + r * glyph.pitch;
        std::uint8_t* dst = out + r * newPitch;
        for (std::int32_t c = 0; c < std::min(n, w); ++c) {
            dst[c] = src[c];
        }
        for (std::int32_t k = n; k < w; ++k) {
            std::uint8_t v = 0;
            for (std::int32_t i = k - n; i <= k; ++i) {
                v = std::max(v, src[i]);
            }
            dst[k] = v;
        }
        for (std::int32_t j = 0; j < n; ++j) {
            const std::int32_t i = w - n + j;
            dst[w + j] = i >= 0 && i < w ? src[i] : 0;
        }
    }
    Replace(glyph, out, newPitch, w + n, glyph.height);
    glyph.x -= n >> 1;
    return true;
}

bool ReduceBlocks(Glyph& glyph, std::int32_t block) {
    const std::int32_t width = glyph.width / block;
    const std::int32_t height = glyph.height / block;
    if (width == 0 || height == 0) {
        Replace(glyph, nullptr, 0, 0, 0);
        return true;
    }
    const std::int32_t pitch = PitchOfBytes(width);
    std::uint8_t* out = AllocateZeroed(pitch, height);
    if (out == nullptr) {
        return false;
    }
    for (std::int32_t r = 0; r < height * block; ++r) {
        const std::uint8_t* src = glyph.bits + r * glyph.pitch;
        std::uint8_t* dst = out + (r / block) * pitch;
        for (std::int32_t c = 0; c < width * block; ++c) {
            if ((src[c >> 3] >> (7 - (c & 7))) & 1) {
                ++dst[c / block];
            }
        }
    }
    Replace(glyph, out, pitch, width, height);
    return true;
}

bool ExpandMono(Glyph& glyph) {
    const std::int32_t pitch = PitchOfBytes(glyph.width);
    std::uint8_t* out = AllocateZeroed(pitch, glyph.height);
    if (out == nullptr) {
        return false;
    }
    for (std::int32_t r = 0; r < glyph.height; ++r) {
        const std::uint8_t* src = glyph.bits + r * glyph.pitch;
        for (std::int32_t c = 0; c < glyph.width; ++c) {
            out[r * pitch + c] = ((src[c >> 3] >> (7 - (c & 7))) & 1) ? 255 : 0;
        }
    }
    Replace(glyph, out, pitch, glyph.width, glyph.height);
    return true;
}

void ScaleLevelsPlain(std::uint8_t* bits, std::int32_t pitch, std::int32_t width,
                      std::int32_t height, std::int32_t level) {
    const std::int32_t factor = level == 1 ? 16 : 4;
    for (std::int32_t r = 0; r < height; ++r) {
        std::uint8_t* row = bits + r * pitch;
        for (std::int32_t c = 0; c < width; ++c) {
            row[c] = static_cast<std::uint8_t>(std::min(255, row[c] * factor));
        }
    }
}

void ScaleLevels(std::uint8_t* bits, std::int32_t pitch, std::int32_t width, std::int32_t height,
                 std::int32_t level) {
    if (UseMmxKernels()) {
        ScaleLevelsMmx(bits, pitch, width, height, level);
    } else {
        ScaleLevelsPlain(bits, pitch, width, height, level);
    }
}

bool HardOutline(Glyph& glyph, std::int32_t a) {
    if (a <= 0) {
        return true;
    }
    const std::int32_t width = glyph.width + 2 * a;
    const std::int32_t height = glyph.height + 2 * a;
    const std::int32_t pitch = PitchOfBytes(width);
    std::uint8_t* out = AllocateZeroed(pitch, height);
    if (out == nullptr) {
        return false;
    }
    for (std::int32_t dy = -a; dy <= a; ++dy) {
        for (std::int32_t dx = -a; dx <= a; ++dx) {
            if (OutlineDistance(dx, dy) > a) {
                continue;
            }
            for (std::int32_t r = 0; r < glyph.height; ++r) {
                const std::uint8_t* src = glyph.bits + r * glyph.pitch;
                std::uint8_t* dst = out + (r + a + dy) * pitch + a + dx;
                for (std::int32_t c = 0; c < glyph.width; ++c) {
                    if (src[c] != 0) {
                        dst[c] = 255;
                    }
                }
            }
        }
    }
    Replace(glyph, out, pitch, width, height);
    glyph.x -= a;
    glyph.y -= a;
    return true;
}

void AccumulateRowPlain(std::uint8_t* out, const std::uint8_t* src, std::int32_t count,
                        std::int32_t weight) {
    for (std::int32_t c = 0; c < count; ++c) {
        out[c] = static_cast<std::uint8_t>(std::min(255, out[c] + ((src[c] * weight) >> 16)));
    }
}

bool SoftOutline(Glyph& glyph, std::int32_t strength, std::int32_t width,
                 std::int32_t normaliser) {
    const std::int32_t a = std::abs(width);
    if (a == 0) {
        if (strength < 255) {
            const std::uint8_t* row = g_blendTables.multiply[std::max(strength, 0)];
            for (std::int32_t r = 0; r < glyph.height; ++r) {
                std::uint8_t* bits = glyph.bits + r * glyph.pitch;
                for (std::int32_t c = 0; c < glyph.width; ++c) {
                    bits[c] = row[bits[c]];
                }
            }
        }
        return true;
    }
    const std::int32_t outWidth = glyph.width + 2 * a;
    const std::int32_t outHeight = glyph.height + 2 * a;
    const std::int32_t pitch = PitchOfBytes(outWidth);
    std::uint8_t* out = AllocateZeroed(pitch, outHeight);
    if (out == nullptr) {
        return false;
    }
    const bool mmx = UseMmxKernels();
    for (std::int32_t dy = -a; dy <= a; ++dy) {
        for (std::int32_t dx = -a; dx <= a; ++dx) {
            const std::int32_t d = OutlineDistance(dx, dy);
            if (d > a) {
                continue;
            }
            const std::int32_t w = SoftOutlineWeight(strength, a, d, normaliser);
            for (std::int32_t r = 0; r < glyph.height; ++r) {
                std::uint8_t* dst = out + (r + a + dy) * pitch + a + dx;
                const std::uint8_t* src = glyph.bits + r * glyph.pitch;
                if (mmx) {
                    AccumulateRowMmx(dst, src, glyph.width, w);
                } else {
                    AccumulateRowPlain(dst, src, glyph.width, w);
                }
            }
        }
    }
    Replace(glyph, out, pitch, outWidth, outHeight);
    glyph.x -= a;
    glyph.y -= a;
    return true;
}
