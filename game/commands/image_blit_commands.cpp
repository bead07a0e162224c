// The two-image commands of image_draw_commands.h: blits, blends, rule blends, quadrilaterals,
// rotate-zoom, the pixel-operation library's blends, crossfades and rule transitions.
#include <cmath>
#include <cstring>

#include "game/commands/command_args.h"
#include "game/commands/command_guard.h"
#include "game/commands/command_services.h"
#include "game/commands/image_draw_commands.h"
#include "game/commands/image_draw_forms.h"
#include "game/commands/surface_resolution.h"
#include "graphics/image/image.h"
#include "graphics/interfaces/graphics_object_lookup.h"
#include "pixelops/interfaces/pixel_op_rect_operations.h"

using command_args::Byte;
using command_args::Int;
using command_args::Result;
using image_draw_forms::PackColour;
using image_draw_forms::PointForm;
using image_draw_forms::ReadPoint;
using image_draw_forms::ReadRegion;
using image_draw_forms::ReadSourceThenClip;
using image_draw_forms::ReadStretch;
using image_draw_forms::StretchForm;

namespace {

#define BLIT_COMMAND(name, failure)                             \
    std::uint32_t XM_CDECL name(std::uint32_t* arguments) {      \
        return GuardedCommand<name##Body, failure>(arguments);  \
    }

// The operation on the destination and source images the two words name; -1 when either names
// no image.
template <class Operation>
std::uint32_t OnPair(std::uint32_t destination, std::uint32_t source, Operation operation) {
    Image* const to = ImageOfSurface(destination);
    Image* const from = ImageOfSurface(source);
    if (!to || !from) return Result(-1);
    return Result(operation(*to, static_cast<Surface*>(from)));
}

// ---- Point and stretch forms: destination w0, source w1, options, then the form ----

// Point form after `options` option words.
template <class Draw>
std::uint32_t PointBlit(const std::uint32_t* w, int options, Draw draw) {
    const PointForm p = ReadPoint(w + 2 + options);
    return OnPair(w[0], w[1], [&](Image& i, Surface* s) { return draw(i, s, p); });
}

template <class Draw>
std::uint32_t StretchBlitForm(const std::uint32_t* w, int options, Draw draw) {
    const StretchForm f = ReadStretch(w + 2 + options);
    return OnPair(w[0], w[1], [&](Image& i, Surface* s) { return draw(i, s, f); });
}

std::uint32_t CmdBlitBody(std::uint32_t* w) {
    return PointBlit(w, 0, [](Image& i, Surface* s, const PointForm& p) { return i.Blit(s, p.x, p.y, p.SourceRect(), false); });
}
std::uint32_t CmdStretchBlitBody(std::uint32_t* w) {
    return StretchBlitForm(w, 0, [](Image& i, Surface* s, const StretchForm& f) {
        return i.StretchBlit(s, f.Size(), f.x, f.y, f.SourceRect(), false);
    });
}
std::uint32_t CmdBlitMirroredBody(std::uint32_t* w) {
    return PointBlit(w, 1, [w](Image& i, Surface* s, const PointForm& p) {
        return i.BlitMirrored(s, Byte(w[2]), p.x, p.y, p.SourceRect());
    });
}
std::uint32_t CmdStretchBlitMirroredBody(std::uint32_t* w) {
    return StretchBlitForm(w, 1, [w](Image& i, Surface* s, const StretchForm& f) {
        return i.StretchBlitMirrored(s, Byte(w[2]), f.Size(), f.x, f.y, f.SourceRect());
    });
}
std::uint32_t CmdAlphaBlendBody(std::uint32_t* w) {
    return PointBlit(w, 0, [](Image& i, Surface* s, const PointForm& p) { return i.AlphaBlend(s, p.x, p.y, p.SourceRect(), false); });
}
std::uint32_t CmdStretchAlphaBlendBody(std::uint32_t* w) {
    return StretchBlitForm(w, 0, [](Image& i, Surface* s, const StretchForm& f) {
        return i.StretchAlphaBlend(s, f.Size(), f.x, f.y, f.SourceRect(), false);
    });
}
std::uint32_t CmdAlphaBlendMirroredBody(std::uint32_t* w) {
    return PointBlit(w, 1, [w](Image& i, Surface* s, const PointForm& p) {
        return i.AlphaBlendMirrored(s, Byte(w[2]), p.x, p.y, p.SourceRect());
    });
}
std::uint32_t CmdStretchAlphaBlendMirroredBody(std::uint32_t* w) {
    return StretchBlitForm(w, 1, [w](Image& i, Surface* s, const StretchForm& f) {
        return i.StretchAlphaBlendMirrored(s, Byte(w[2]), f.Size(), f.x, f.y, f.SourceRect());
    });
}
std::uint32_t CmdCopyAlphaChannelBody(std::uint32_t* w) {
    return PointBlit(w, 0, [](Image& i, Surface* s, const PointForm& p) {
        return i.CopyAlphaChannel(s, p.x, p.y, p.SourceRect(), false);
    });
}
std::uint32_t CmdStretchCopyAlphaChannelBody(std::uint32_t* w) {
    return StretchBlitForm(w, 0, [](Image& i, Surface* s, const StretchForm& f) {
        return i.StretchCopyAlphaChannel(s, f.Size(), f.x, f.y, f.SourceRect(), false);
    });
}
std::uint32_t CmdCopyAlphaChannelMirroredBody(std::uint32_t* w) {
    return PointBlit(w, 1, [w](Image& i, Surface* s, const PointForm& p) {
        return i.CopyAlphaChannelMirrored(s, Byte(w[2]), p.x, p.y, p.SourceRect());
    });
}
std::uint32_t CmdCopyKeyedBody(std::uint32_t* w) {
    return PointBlit(w, 0, [](Image& i, Surface* s, const PointForm& p) { return i.CopyColour(s, p.x, p.y, p.SourceRect()); });
}
std::uint32_t CmdStretchCopyColourBody(std::uint32_t* w) {
    return StretchBlitForm(w, 0, [](Image& i, Surface* s, const StretchForm& f) {
        return i.StretchCopyColour(s, f.Size(), f.x, f.y, f.SourceRect());
    });
}
std::uint32_t CmdCopyConvertDepthBody(std::uint32_t* w) {
    const StretchForm f = ReadStretch(w + 3);
    Image* const to = ImageOfSurface(w[0]);
    Image* const from = ImageOfSurface(w[1]);
    if (!to || !from) return Result(-1);
    return Result(to->CopyConvertDepth(from, w[2], f.Size(), f.x, f.y, f.SourceRect()));
}
std::uint32_t CmdDrawWithDirtyRectsBody(std::uint32_t* w) {
    return StretchBlitForm(w, 0, [](Image& i, Surface* s, const StretchForm& f) {
        return i.DrawWithDirtyRects(s, f.Size(), f.x, f.y, f.SourceRect());
    });
}
std::uint32_t CmdCopyAlphaBody(std::uint32_t* w) {
    return PointBlit(w, 0, [](Image& i, Surface* s, const PointForm& p) { return i.CopyAlpha(s, p.x, p.y, p.SourceRect()); });
}
std::uint32_t CmdStretchCopyAlphaBody(std::uint32_t* w) {
    return StretchBlitForm(w, 0, [](Image& i, Surface* s, const StretchForm& f) {
        return i.StretchCopyAlpha(s, f.Size(), f.x, f.y, f.SourceRect());
    });
}

// 349 and 350 read from any surface kind; the word still has to name a live surface.
template <class Draw>
std::uint32_t FromSurface(const std::uint32_t* w, Draw draw) {
    Image* const to = ImageOfSurface(w[0]);
    GraphicsObjectLookup* const lookup = Services().graphics;
    Surface* const from = lookup ? lookup->FindSurface(w[1]) : nullptr;
    if (!to || !from) return Result(-1);
    return Result(draw(*to, from));
}
std::uint32_t CmdBlitFromSurfaceBody(std::uint32_t* w) {
    const PointForm p = ReadPoint(w + 2);
    return FromSurface(w, [&](Image& i, Surface* s) { return i.BltFromSurface(s, p.x, p.y, p.SourceRect()); });
}
std::uint32_t CmdStretchFromSurfaceBody(std::uint32_t* w) {
    const StretchForm f = ReadStretch(w + 2);
    return FromSurface(w, [&](Image& i, Surface* s) { return i.StretchFromSurface(s, f.Size(), f.x, f.y, f.SourceRect()); });
}

std::uint32_t CmdBlendWeightedBody(std::uint32_t* w) {
    return PointBlit(w, 1, [w](Image& i, Surface* s, const PointForm& p) {
        return i.BlendWeighted(s, Byte(w[2]), p.x, p.y, p.SourceRect());
    });
}
std::uint32_t CmdStretchBlendWeightedBody(std::uint32_t* w) {
    return StretchBlitForm(w, 1, [w](Image& i, Surface* s, const StretchForm& f) {
        return i.StretchBlendWeighted(s, Byte(w[2]), f.Size(), f.x, f.y, f.SourceRect());
    });
}
std::uint32_t CmdBlendWeightedTableBody(std::uint32_t* w) {
    const std::uint32_t first = PackColour(w[2], w[3], w[4]);
    const std::uint32_t second = PackColour(w[5], w[6], w[7]);
    return PointBlit(w, 6, [&](Image& i, Surface* s, const PointForm& p) {
        return i.BlendChannelWeights(s, first, second, p.x, p.y, p.SourceRect());
    });
}
std::uint32_t CmdStretchBlendWeightedTableBody(std::uint32_t* w) {
    const std::uint32_t first = PackColour(w[2], w[3], w[4]);
    const std::uint32_t second = PackColour(w[5], w[6], w[7]);
    return StretchBlitForm(w, 6, [&](Image& i, Surface* s, const StretchForm& f) {
        return i.StretchBlendChannelWeights(s, first, second, f.Size(), f.x, f.y, f.SourceRect());
    });
}
std::uint32_t CmdBlitOpacityABody(std::uint32_t* w) {
    return PointBlit(w, 1, [w](Image& i, Surface* s, const PointForm& p) {
        return i.BlitOpacityA(s, Byte(w[2]), p.x, p.y, p.SourceRect());
    });
}
std::uint32_t CmdBlitOpacityBBody(std::uint32_t* w) {
    return PointBlit(w, 1, [w](Image& i, Surface* s, const PointForm& p) {
        return i.BlitOpacityB(s, Byte(w[2]), p.x, p.y, p.SourceRect());
    });
}
std::uint32_t CmdBlendOpacityBody(std::uint32_t* w) {
    return PointBlit(w, 1, [w](Image& i, Surface* s, const PointForm& p) {
        return i.BlendOpacity(s, Byte(w[2]), p.x, p.y, p.SourceRect());
    });
}
std::uint32_t CmdStretchBlendOpacityBody(std::uint32_t* w) {
    return StretchBlitForm(w, 1, [w](Image& i, Surface* s, const StretchForm& f) {
        return i.StretchBlendOpacity(s, Byte(w[2]), f.Size(), f.x, f.y, f.SourceRect());
    });
}
std::uint32_t CmdBlitOpacityCBody(std::uint32_t* w) {
    return PointBlit(w, 2, [w](Image& i, Surface* s, const PointForm& p) {
        return i.BlitOpacityC(s, Byte(w[2]), Byte(w[3]), p.x, p.y, p.SourceRect());
    });
}
std::uint32_t CmdBlitOpacityDBody(std::uint32_t* w) {
    return PointBlit(w, 2, [w](Image& i, Surface* s, const PointForm& p) {
        return i.BlitOpacityD(s, Byte(w[2]), Byte(w[3]), p.x, p.y, p.SourceRect());
    });
}

// ---- Commands whose first word precedes the two surfaces ----

std::uint32_t CmdBlendModeBody(std::uint32_t* w) {
    const PointForm p = ReadPoint(w + 3);
    return OnPair(w[1], w[2], [&](Image& i, Surface* s) { return i.BlendMode(Byte(w[0]), s, p.x, p.y, p.SourceRect()); });
}
std::uint32_t CmdStretchBlendModeBody(std::uint32_t* w) {
    const StretchForm f = ReadStretch(w + 3);
    return OnPair(w[1], w[2], [&](Image& i, Surface* s) {
        return i.StretchBlendMode(Byte(w[0]), s, f.Size(), f.x, f.y, f.SourceRect());
    });
}
std::uint32_t CmdBlendTableBody(std::uint32_t* w) {
    const PointForm p = ReadPoint(w + 4);
    return OnPair(w[1], w[2], [&](Image& i, Surface* s) {
        return i.BlendTable(Byte(w[0]), s, Byte(w[3]), p.x, p.y, p.SourceRect());
    });
}
std::uint32_t CmdStretchBlendTableBody(std::uint32_t* w) {
    const StretchForm f = ReadStretch(w + 4);
    return OnPair(w[1], w[2], [&](Image& i, Surface* s) {
        return i.StretchBlendTable(Byte(w[0]), s, Byte(w[3]), f.Size(), f.x, f.y, f.SourceRect());
    });
}
// option, destination, 8-bit source, opacity, r, g, b, point form.
std::uint32_t CmdBlitFromIndexedBody(std::uint32_t* w) {
    const PointForm p = ReadPoint(w + 7);
    return OnPair(w[1], w[2], [&](Image& i, Surface* s) {
        return i.BlitFromIndexed(Byte(w[0]), s, Byte(w[3]), Byte(w[4]), Byte(w[5]), Byte(w[6]), p.x, p.y,
                                 p.SourceRect());
    });
}

// ---- Forms of their own ----

// The rule image of 369 and 370: none for 0; false for a word that names no image.
bool RuleImage(std::uint32_t word, Image** rule) {
    *rule = nullptr;
    if (word == 0) return true;
    *rule = ImageOfSurface(word);
    return *rule != nullptr;
}

// x (65535: at (0, 0) with the whole source), y, then the source rectangle.
template <class Draw>
std::uint32_t RuleForm(const std::uint32_t* w, Draw draw) {
    Image* rule = nullptr;
    if (!RuleImage(w[2], &rule)) return Result(-1);
    const PointForm p = ReadPoint(w + 6);
    return OnPair(w[0], w[1], [&](Image& i, Surface* s) { return draw(i, s, rule, p); });
}
std::uint32_t CmdRuleBlendPlaneBody(std::uint32_t* w) {
    return RuleForm(w, [w](Image& i, Surface* s, Image* rule, const PointForm& p) {
        return i.RuleBlendPlane(s, rule, Byte(w[3]), Int(w[4]), Int(w[5]), p.x, p.y, p.SourceRect());
    });
}
std::uint32_t CmdRuleBlendBody(std::uint32_t* w) {
    return RuleForm(w, [w](Image& i, Surface* s, Image* rule, const PointForm& p) {
        return i.RuleBlend(s, rule, Byte(w[3]), Int(w[4]), Int(w[5]), p.x, p.y, p.SourceRect());
    });
}

void ReadQuad(const std::uint32_t* w, POINT* quad) {
    for (int i = 0; i < 4; ++i) quad[i] = POINT{Int(w[2 * i]), Int(w[2 * i + 1])};
}
std::uint32_t CmdBlitRectToQuadBody(std::uint32_t* w) {
    POINT quad[4];
    ReadQuad(w + 2, quad);
    const auto rects = ReadSourceThenClip(w + 10);
    return OnPair(w[0], w[1], [&](Image& i, Surface* s) {
        return i.BlitRectToQuad(s, quad, rects.source.Rect(), rects.clip.Rect());
    });
}
std::uint32_t CmdBlitQuadToRectBody(std::uint32_t* w) {
    POINT quad[4];
    ReadQuad(w + 2, quad);
    const auto rects = ReadSourceThenClip(w + 10);
    return OnPair(w[0], w[1], [&](Image& i, Surface* s) {
        return i.BlitQuadToRect(s, quad, rects.source.Rect(), rects.clip.Rect());
    });
}
// anchor, x, y, angle, zoom.
std::uint32_t CmdBlitRotateZoomBody(std::uint32_t* w) {
    const auto rects = ReadSourceThenClip(w + 7);
    return OnPair(w[0], w[1], [&](Image& i, Surface* s) {
        return i.BlitRotateZoom(s, Byte(w[2]), Int(w[3]), Int(w[4]), Int(w[5]), Int(w[6]), rects.source.Rect(),
                                rects.clip.Rect());
    });
}
std::uint32_t CmdBlendRotateZoomBody(std::uint32_t* w) {
    const auto rects = ReadSourceThenClip(w + 8);
    return OnPair(w[0], w[1], [&](Image& i, Surface* s) {
        return i.BlendRotateZoom(s, Byte(w[2]), Int(w[3]), Int(w[4]), Int(w[5]), Int(w[6]), Byte(w[7]),
                                 rects.source.Rect(), rects.clip.Rect());
    });
}

// mode, opacity, hold-alpha flag, point form.
std::uint32_t CmdBlendRectBody(std::uint32_t* w) {
    return PointBlit(w, 3, [w](Image& i, Surface* s, const PointForm& p) {
        return i.BlendRect(s, Int(w[2]), Byte(w[3]), w[4], p.x, p.y, p.SourceRect());
    });
}
// filter (the stretch type), option (the blend mode), opacity, hold-alpha flag, stretch form.
std::uint32_t CmdStretchBlendRectBody(std::uint32_t* w) {
    return StretchBlitForm(w, 4, [w](Image& i, Surface* s, const StretchForm& f) {
        return i.StretchBlendRect(s, Int(w[3]), Int(w[2]), Byte(w[4]), w[5], f.Size(), f.x, f.y, f.SourceRect());
    });
}

// The words after the six numbers of 392 and 393: mode, stretch type, opacity, hold-alpha flag,
// fill flag, fill value, source rectangle, clip rectangle.
template <class Draw>
std::uint32_t AffineForm(const std::uint32_t* w, Draw draw) {
    const auto source = ReadRegion(w + 14);
    const auto clip = ReadRegion(w + 18);
    return OnPair(w[0], w[1], [&](Image& i, Surface* s) {
        return draw(i, s, source.Rect(), Int(w[8]), Int(w[9]), Byte(w[10]), w[11], w[12], w[13], clip.Rect());
    });
}

std::uint32_t CmdAffineBlendRectBody(std::uint32_t* w) {
    double numbers[6];
    for (int k = 0; k < 6; ++k) {
        float value;
        std::memcpy(&value, &w[2 + k], sizeof value);
        if (!std::isfinite(value)) return ImageOfSurface(w[0]) && ImageOfSurface(w[1]) ? 1 : Result(-1);
        numbers[k] = value;
    }
    const pixelops::AffineBlendPoints points{numbers[0], numbers[1], numbers[2], numbers[3], numbers[4], numbers[5]};
    return AffineForm(w, [&](Image& i, Surface* s, const RECT* source, std::int32_t mode, std::int32_t stretch,
                             std::uint8_t opacity, std::uint32_t hold, std::uint32_t fill, std::uint32_t fillValue,
                             const RECT* clip) {
        return i.AffineBlendRect(s, &points, source, mode, stretch, opacity, hold, fill, fillValue, clip);
    });
}

std::uint32_t CmdAffineBlendRectMatrixBody(std::uint32_t* w) {
    double matrix[6];
    for (int k = 0; k < 6; ++k) matrix[k] = Int(w[2 + k]) / 65536.0;
    return AffineForm(w, [&](Image& i, Surface* s, const RECT* source, std::int32_t mode, std::int32_t stretch,
                             std::uint8_t opacity, std::uint32_t hold, std::uint32_t fill, std::uint32_t fillValue,
                             const RECT* clip) {
        return i.AffineBlendRectMatrix(s, matrix, source, mode, stretch, opacity, hold, fill, fillValue, clip);
    });
}

// destination, first source, second source, ratio, method, then four optional pairs: position,
// size, first source's position, second source's position.
std::uint32_t CmdCrossfadeBody(std::uint32_t* w) {
    Image* const to = ImageOfSurface(w[0]);
    Image* const first = ImageOfSurface(w[1]);
    Image* const second = ImageOfSurface(w[2]);
    if (!to || !first || !second) return Result(-1);
    std::int32_t p[8];
    image_draw_forms::ReadOptionalPairs(w + 5, 4, p);
    return Result(to->Crossfade(first, second, Byte(w[3]), Byte(w[4]), p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]));
}

// destination, first source, second source, rule, ratio, vagueness, method, then five optional
// pairs: position, size, the two sources' positions and the rule's.
std::uint32_t CmdRuleTransitionBody(std::uint32_t* w) {
    Image* const to = ImageOfSurface(w[0]);
    Image* const first = ImageOfSurface(w[1]);
    Image* const second = ImageOfSurface(w[2]);
    Image* const rule = ImageOfSurface(w[3]);
    if (!to || !first || !second || !rule) return Result(-1);
    std::int32_t p[10];
    image_draw_forms::ReadOptionalPairs(w + 7, 5, p);
    return Result(to->RuleTransition(first, second, rule, Byte(w[4]), Int(w[5]), Byte(w[6]), p[0], p[1], p[2], p[3],
                                     p[4], p[5], p[6], p[7], p[8], p[9]));
}

}  // namespace

BLIT_COMMAND(CmdBlit, -1)
BLIT_COMMAND(CmdStretchBlit, -1)
BLIT_COMMAND(CmdBlitMirrored, -1)
BLIT_COMMAND(CmdStretchBlitMirrored, -1)
BLIT_COMMAND(CmdAlphaBlend, -1)
BLIT_COMMAND(CmdStretchAlphaBlend, -1)
BLIT_COMMAND(CmdAlphaBlendMirrored, -1)
BLIT_COMMAND(CmdStretchAlphaBlendMirrored, -1)
BLIT_COMMAND(CmdCopyAlphaChannel, -1)
BLIT_COMMAND(CmdStretchCopyAlphaChannel, -1)
BLIT_COMMAND(CmdCopyAlphaChannelMirrored, -1)
BLIT_COMMAND(CmdCopyKeyed, -1)
BLIT_COMMAND(CmdStretchCopyColour, -1)
BLIT_COMMAND(CmdCopyAlpha, -1)
BLIT_COMMAND(CmdCopyConvertDepth, -1)
BLIT_COMMAND(CmdDrawWithDirtyRects, -1)
BLIT_COMMAND(CmdStretchCopyAlpha, -1)
BLIT_COMMAND(CmdBlitFromSurface, -1)
BLIT_COMMAND(CmdStretchFromSurface, -1)
BLIT_COMMAND(CmdBlitFromIndexed, -1)
BLIT_COMMAND(CmdBlendWeighted, -1)
BLIT_COMMAND(CmdStretchBlendWeighted, -1)
BLIT_COMMAND(CmdBlendWeightedTable, -1)
BLIT_COMMAND(CmdStretchBlendWeightedTable, -1)
BLIT_COMMAND(CmdBlendMode, -1)
BLIT_COMMAND(CmdStretchBlendMode, -1)
BLIT_COMMAND(CmdBlitOpacityA, -1)
BLIT_COMMAND(CmdBlitOpacityB, -1)
BLIT_COMMAND(CmdBlendTable, -1)
BLIT_COMMAND(CmdStretchBlendTable, -1)
BLIT_COMMAND(CmdBlendOpacity, -1)
BLIT_COMMAND(CmdStretchBlendOpacity, -1)
BLIT_COMMAND(CmdRuleBlendPlane, -1)
BLIT_COMMAND(CmdRuleBlend, -1)
BLIT_COMMAND(CmdBlitOpacityC, -1)
BLIT_COMMAND(CmdBlitOpacityD, -1)
BLIT_COMMAND(CmdBlitRectToQuad, -1)
BLIT_COMMAND(CmdBlitQuadToRect, -1)
BLIT_COMMAND(CmdBlitRotateZoom, -1)
BLIT_COMMAND(CmdBlendRotateZoom, -1)
BLIT_COMMAND(CmdBlendRect, -1)
BLIT_COMMAND(CmdStretchBlendRect, -1)
BLIT_COMMAND(CmdAffineBlendRect, -1)
BLIT_COMMAND(CmdAffineBlendRectMatrix, -1)
BLIT_COMMAND(CmdCrossfade, -1)
BLIT_COMMAND(CmdRuleTransition, -1)
