#include "game/commands/drawable_commands.h"

#include <windows.h>
#include <d3d.h>

#include <cstdint>
#include <initializer_list>
#include <new>

#include "game/commands/command_args.h"
#include "game/commands/command_guard.h"
#include "game/commands/command_services.h"
#include "game/commands/device_command_services.h"
#include "game/commands/file_script_words.h"
#include "game/script/script_memory.h"
#include "graphics/device/primitive_sprites.h"
#include "graphics/device/screen_device.h"
#include "graphics/device/state_blocks.h"
#include "graphics/device/surface_sprites.h"
#include "graphics/interfaces/surface.h"

using command_args::Bool;
using command_args::Byte;
using command_args::Int;
using command_args::Result;

namespace {

#define DRAWABLE_COMMAND(name, failure)                                      \
    std::uint32_t XM_CDECL name(std::uint32_t* arguments) {                  \
        return GuardedCommand<name##Body, failure>(arguments);               \
    }

ScreenDevice* Device() { return CommandScreenDevice(); }

DeviceDrawable* FindDrawable(std::uint32_t word) {
    ScreenDevice* const device = Device();
    return device ? device->FindDrawable(word) : nullptr;
}
Surface* FindSurface(std::uint32_t word) {
    ScreenDevice* const device = Device();
    return device ? device->FindSurface(word) : nullptr;
}
Texture* FindTexture(std::uint32_t word) {
    ScreenDevice* const device = Device();
    return device ? device->FindTexture(word) : nullptr;
}

std::uint32_t Word(DeviceDrawable* drawable) { return HandleTable<DeviceDrawable>::WordOf(drawable); }

// The drawable a word names when it is of one of the kinds (bits of a mask), as the class those
// kinds share; null otherwise.
template <class T>
T* OfKinds(std::uint32_t word, std::uint32_t kindMask) {
    DeviceDrawable* const drawable = FindDrawable(word);
    if (!drawable || (kindMask & (1u << drawable->Kind())) == 0) return nullptr;
    return static_cast<T*>(drawable);
}

constexpr std::uint32_t Kinds(std::initializer_list<DeviceDrawableKind> kinds) {
    std::uint32_t mask = 0;
    for (DeviceDrawableKind kind : kinds) mask |= 1u << kind;
    return mask;
}
constexpr std::uint32_t kSurfaceSprites = Kinds({kDrawableSurfaceSprite, kDrawableSurfaceSpriteEx});
constexpr std::uint32_t kTransition = Kinds({kDrawableTransitionSprite});
constexpr std::uint32_t kQuads = Kinds({kDrawableTexturedQuad, kDrawableTexturedQuadEx});
constexpr std::uint32_t kColourRect = Kinds({kDrawableColourRect});
constexpr std::uint32_t kPolygon = Kinds({kDrawablePolygon});
constexpr std::uint32_t kTriangle = Kinds({kDrawableTriangle});

SurfaceSprite* SurfaceSpriteOf(std::uint32_t word) { return OfKinds<SurfaceSprite>(word, kSurfaceSprites); }
TransitionSprite* TransitionOf(std::uint32_t word) { return OfKinds<TransitionSprite>(word, kTransition); }
TexturedQuadSprite* QuadOf(std::uint32_t word) { return OfKinds<TexturedQuadSprite>(word, kQuads); }
ColourRectSprite* ColourRectOf(std::uint32_t word) { return OfKinds<ColourRectSprite>(word, kColourRect); }
PolygonSprite* PolygonOf(std::uint32_t word) { return OfKinds<PolygonSprite>(word, kPolygon); }
TriangleSprite* TriangleOf(std::uint32_t word) { return OfKinds<TriangleSprite>(word, kTriangle); }
ScaledShape* ShapeOf(std::uint32_t word) { return OfKinds<ScaledShape>(word, kPolygon | kTriangle); }

constexpr std::uint32_t kPrimitiveCount = 6;
// Script primitive numbers 0-5: triangle list, strip, fan, line list, line strip, point list.
constexpr std::uint8_t kPrimitiveTypes[kPrimitiveCount] = {D3DPT_TRIANGLELIST, D3DPT_TRIANGLESTRIP,
                                                           D3DPT_TRIANGLEFAN,  D3DPT_LINELIST,
                                                           D3DPT_LINESTRIP,    D3DPT_POINTLIST};

// ---- Creation ----

// The made drawable's word, or 0 when the device refused.
template <class T, class Create>
std::uint32_t Made(Create create) {
    if (!Device()) return 0;
    T* made = nullptr;
    if (create(Device(), &made) != 0 || !made) return 0;
    return Word(made);
}

// The words of 260, 261, 267 and 268: the source rectangle (its left 65535: the whole picture,
// and then x and y are 0) and the position.
struct Placement {
    RECT rect;
    const RECT* source = nullptr;
    std::int32_t x = 0;
    std::int32_t y = 0;
};
Placement PlacementOf(const std::uint32_t* w) {
    Placement placement;
    if (command_args::Rect(w, &placement.rect)) {
        placement.source = &placement.rect;
        placement.x = Int(w[4]);
        placement.y = Int(w[5]);
    }
    return placement;
}

template <std::int32_t (ScreenDevice::*Create)(SurfaceSprite**, Surface*, const RECT*, std::int32_t, std::int32_t)>
std::uint32_t CreateSpriteOn(const std::uint32_t* w) {
    Surface* const surface = FindSurface(w[0]);
    const Placement p = PlacementOf(w + 1);
    return Made<SurfaceSprite>(
        [&](ScreenDevice* d, SurfaceSprite** out) { return (d->*Create)(out, surface, p.source, p.x, p.y); });
}

template <std::int32_t (ScreenDevice::*Create)(TexturedQuadSprite**, Texture*, const RECT*, std::int32_t,
                                               std::int32_t)>
std::uint32_t CreateQuadOn(const std::uint32_t* w) {
    Texture* const texture = FindTexture(w[0]);
    const Placement p = PlacementOf(w + 1);
    return Made<TexturedQuadSprite>(
        [&](ScreenDevice* d, TexturedQuadSprite** out) { return (d->*Create)(out, texture, p.source, p.x, p.y); });
}

std::uint32_t CmdCreateSurfaceSpriteBody(std::uint32_t* w) {
    return CreateSpriteOn<&ScreenDevice::CreateSurfaceSprite>(w);
}
std::uint32_t CmdCreateSurfaceSpriteExBody(std::uint32_t* w) {
    return CreateSpriteOn<&ScreenDevice::CreateSurfaceSpriteEx>(w);
}
std::uint32_t CmdCreateTexturedQuadBody(std::uint32_t* w) { return CreateQuadOn<&ScreenDevice::CreateTexturedQuad>(w); }
std::uint32_t CmdCreateTexturedQuadExBody(std::uint32_t* w) {
    return CreateQuadOn<&ScreenDevice::CreateTexturedQuadEx>(w);
}

std::uint32_t CmdCreatePolygonBody(std::uint32_t* w) {
    if (w[0] >= kPrimitiveCount || !Device()) return 0;
    const std::int32_t count = Int(w[2]);
    if (count <= 0) return 0;
    // The pairs follow in the block itself and must lie in its memory.
    const std::uint64_t pairWords = 2 * static_cast<std::uint64_t>(count);
    if (pairWords > SIZE_MAX || script_memory::ArgumentWords(w, 3, static_cast<std::size_t>(pairWords)) < pairWords)
        return 0;
    std::int32_t* const xs = new (std::nothrow) std::int32_t[count];
    std::int32_t* const ys = xs ? new (std::nothrow) std::int32_t[count] : nullptr;
    if (!ys) {
        delete[] xs;
        return 0;
    }
    for (std::int32_t i = 0; i < count; ++i) {
        xs[i] = Int(w[3 + 2 * i]);
        ys[i] = Int(w[4 + 2 * i]);
    }
    // The polygon adopts both arrays, and frees them itself when it fails.
    return Made<PolygonSprite>([&](ScreenDevice* d, PolygonSprite** out) {
        return d->CreatePolygon(out, count, xs, ys, w[1], kPrimitiveTypes[w[0]], 1);
    });
}

std::uint32_t CmdCreateColourRectBody(std::uint32_t* w) {
    return Made<ColourRectSprite>([&](ScreenDevice* d, ColourRectSprite** out) {
        return d->CreateColourRect(out, Int(w[0]), Int(w[1]), w[2], Int(w[3]), Int(w[4]));
    });
}

std::uint32_t CmdCreateTriangleBody(std::uint32_t* w) {
    return Made<TriangleSprite>([&](ScreenDevice* d, TriangleSprite** out) {
        return d->CreateTriangle(out, Int(w[0]), Int(w[1]), Int(w[2]), Int(w[3]), Int(w[4]), Int(w[5]), w[6],
                                 Int(w[7]), Int(w[8]));
    });
}

std::uint32_t CmdCreateRenderStateBlockBody(std::uint32_t*) {
    return Made<RenderStateBlock>([](ScreenDevice* d, RenderStateBlock** out) { return d->CreateRenderStateBlock(out); });
}
std::uint32_t CmdCreateTextureStageBlockBody(std::uint32_t*) {
    return Made<TextureStageBlock>(
        [](ScreenDevice* d, TextureStageBlock** out) { return d->CreateTextureStageBlock(out); });
}

bool IsDirectDrawPicture(Surface* surface) {
    if (!surface) return false;
    const SurfaceKind kind = surface->Kind();
    return kind == kSurfaceDirectDrawImage || kind == kSurfaceTextBitmapImage;
}

std::uint32_t CmdCreateTransitionSpriteBody(std::uint32_t* w) {
    Surface* const source = w[0] != 0 ? FindSurface(w[0]) : nullptr;
    Surface* const target = FindSurface(w[1]);
    if ((w[0] != 0 && !IsDirectDrawPicture(source)) || !IsDirectDrawPicture(target)) return 0;
    std::int32_t x = 0, y = 0, progress = 0;
    if (w[3] != command_args::kGroupAbsent) {
        x = Int(w[3]);
        y = Int(w[4]);
        progress = Int(w[5]);
    }
    return Made<TransitionSprite>([&](ScreenDevice* d, TransitionSprite** out) {
        return d->CreateTransitionSprite(out, source, target, Int(w[2]), x, y, progress);
    });
}

std::uint32_t CmdReleaseDrawableBody(std::uint32_t* w) {
    std::uint32_t handle = 0;
    if (!file_script_words::ReadWord(w[0], &handle) || handle == 0 || !Device()) return 1;
    DeviceDrawable* const drawable = FindDrawable(handle);
    if (!drawable) return 2;
    const std::int32_t code = Device()->ReleaseDrawable(drawable);
    if (code == 0) script_memory::WriteWord(w[0], 0);
    return Result(code);
}

// ---- The drawing list ----

constexpr std::uint32_t kPriorityDefault = 0xFFFFFFFF;

template <std::int32_t (DeviceDrawableList::*Insert)(DeviceDrawable*, std::uint32_t, std::uint8_t)>
std::uint32_t InsertInList(const std::uint32_t* w) {
    if (!Device()) return 1;
    DeviceDrawable* const drawable = FindDrawable(w[0]);
    const bool byDefault = w[1] == kPriorityDefault;
    return Result((Device()->DrawingList().*Insert)(drawable, byDefault ? 0 : w[1], byDefault ? 0 : Byte(w[2])));
}

std::uint32_t CmdInsertDrawableAfterEqualsBody(std::uint32_t* w) {
    return InsertInList<&DeviceDrawableList::InsertAfterEquals>(w);
}
std::uint32_t CmdInsertDrawableBeforeEqualsBody(std::uint32_t* w) {
    return InsertInList<&DeviceDrawableList::InsertBeforeEquals>(w);
}

std::uint32_t CmdRemoveDrawableBody(std::uint32_t* w) {
    if (DeviceDrawable* const drawable = FindDrawable(w[0])) Device()->DrawingList().Remove(drawable);
    return 0;
}
std::uint32_t CmdRemoveDrawablesAtPriorityBody(std::uint32_t* w) {
    if (Device()) Device()->DrawingList().RemovePriority(w[0]);
    return 0;
}
std::uint32_t CmdRemoveDrawableGroupBody(std::uint32_t* w) {
    if (Device()) Device()->DrawingList().RemoveGroup(Byte(w[0]));
    return 0;
}

std::uint32_t CmdSetDrawableEnabledBody(std::uint32_t* w) {
    DeviceDrawable* const drawable = FindDrawable(w[0]);
    if (!drawable) return 0;
    drawable->SetEnabled((w[1] & 1) != 0);
    return 1;
}
std::uint32_t CmdIsDrawableEnabledBody(std::uint32_t* w) {
    DeviceDrawable* const drawable = FindDrawable(w[0]);
    return drawable && drawable->IsEnabled() ? 1 : 0;
}

std::uint32_t CmdSetDrawablesEnabledBody(std::uint32_t* w) {
    if (!Device()) return 0;
    const bool any = w[1] == command_args::kGroupAbsent;
    Device()->DrawingList().SetEnabled((w[0] & 1) != 0, any ? -1 : Int(w[1]), any ? -1 : Int(w[2]));
    return 0;
}

template <bool (DeviceDrawableList::*Move)(DeviceDrawable*, std::uint32_t, bool)>
std::uint32_t MoveInList(const std::uint32_t* w) {
    DeviceDrawable* const drawable = FindDrawable(w[0]);
    if (!drawable) return 0;
    return (Device()->DrawingList().*Move)(drawable, w[1], (w[2] & 1) != 0) ? 1 : 0;
}
std::uint32_t CmdMoveDrawableAfterEqualsBody(std::uint32_t* w) {
    return MoveInList<&DeviceDrawableList::ReprioritiseAfter>(w);
}
std::uint32_t CmdMoveDrawableBeforeEqualsBody(std::uint32_t* w) {
    return MoveInList<&DeviceDrawableList::ReprioritiseBefore>(w);
}

// ---- Properties ----

constexpr std::uint32_t kNotServed = static_cast<std::uint32_t>(-1);

std::uint32_t CmdSetDrawableSurfaceBody(std::uint32_t* w) {
    if (TransitionSprite* const sprite = TransitionOf(w[0])) return Result(sprite->SetTarget(FindSurface(w[1])));
    if (SurfaceSprite* const sprite = SurfaceSpriteOf(w[0])) return Result(sprite->SetImage(FindSurface(w[1])));
    if (TexturedQuadSprite* const quad = QuadOf(w[0])) return Result(quad->SetTexture(FindTexture(w[1])));
    return kNotServed;
}

std::uint32_t CmdSetDrawableSourceRectBody(std::uint32_t* w) {
    RECT rect;
    const RECT* const given = command_args::Rect(w + 3, &rect) ? &rect : nullptr;
    const std::int32_t x = Int(w[1]), y = Int(w[2]);
    bool usable = false;
    if (SurfaceSprite* const sprite = SurfaceSpriteOf(w[0])) {
        usable = sprite->SetSourceRect(x, y, given);
    } else if (TransitionSprite* const transition = TransitionOf(w[0])) {
        usable = transition->SetSourceRect(x, y, given);
    } else if (TexturedQuadSprite* const quad = QuadOf(w[0])) {
        usable = quad->SetSourceRect(x, y, given);
    }
    return usable ? 1 : 0;
}

// Operations every kind has.
template <class Operation>
std::uint32_t OnAnyKind(std::uint32_t word, Operation operation) {
    DeviceDrawable* const drawable = FindDrawable(word);
    if (!drawable) return 0;
    operation(*drawable);
    return 1;
}

std::uint32_t CmdSetDrawablePositionBody(std::uint32_t* w) {
    return OnAnyKind(w[0], [&](DeviceDrawable& d) { d.SetPosition(Int(w[1]), Int(w[2])); });
}
std::uint32_t CmdSetDrawableAnchorBody(std::uint32_t* w) {
    return OnAnyKind(w[0], [&](DeviceDrawable& d) { d.SetSize(Int(w[1]), Int(w[2])); });
}
std::uint32_t CmdSetDrawablePositionAndAnchorBody(std::uint32_t* w) {
    return OnAnyKind(w[0], [&](DeviceDrawable& d) { d.SetSizeAndPosition(Int(w[1]), Int(w[2]), Int(w[3]), Int(w[4])); });
}
std::uint32_t CmdMoveDrawableBody(std::uint32_t* w) {
    return OnAnyKind(w[0], [&](DeviceDrawable& d) { d.MoveBy(Int(w[1]), Int(w[2])); });
}

std::uint32_t CmdDrawableHitTestBody(std::uint32_t* w) {
    DeviceDrawable* const drawable = FindDrawable(w[0]);
    return drawable && drawable->HitTest(Int(w[1]), Int(w[2]), Bool(w[3])) ? 1 : 0;
}
std::uint32_t CmdDrawablesOverlapBody(std::uint32_t* w) {
    DeviceDrawable* const drawable = FindDrawable(w[0]);
    DeviceDrawable* const other = FindDrawable(w[1]);
    return drawable && other && drawable->Overlaps(other) ? 1 : 0;
}

std::uint32_t CmdApplyDrawableAnchorBody(std::uint32_t* w) {
    const std::int32_t value = Int(w[1]);
    const std::int32_t flag = Byte(w[2]);
    if (TexturedQuadSprite* const quad = QuadOf(w[0])) {
        quad->ApplyAnchor(value, flag);
    } else if (ColourRectSprite* const rect = ColourRectOf(w[0])) {
        rect->ApplyAnchor(value, flag);
    } else if (ScaledShape* const shape = ShapeOf(w[0])) {
        shape->ApplyTransform(value, flag);
    } else {
        return 0;
    }
    return 1;
}

std::uint32_t CmdSetDrawableBlendStatesBody(std::uint32_t* w) {
    const std::uint8_t enable = static_cast<std::uint8_t>(w[1] & 1);
    if (TexturedQuadSprite* const quad = QuadOf(w[0])) {
        quad->SetBlendStates(enable, Byte(w[2]), Byte(w[3]));
    } else if (ColourRectSprite* const rect = ColourRectOf(w[0])) {
        rect->SetBlendStates(enable, Byte(w[2]), Byte(w[3]));
    } else if (ScaledShape* const shape = ShapeOf(w[0])) {
        shape->SetBlendStates(enable, Byte(w[2]), Byte(w[3]));
    } else {
        return 0;
    }
    return 1;
}

std::uint32_t CmdSetDrawableBrightnessBody(std::uint32_t* w) {
    if (TexturedQuadSprite* const quad = QuadOf(w[0])) {
        quad->SetBrightness(Bool(w[1]), Int(w[2]), Int(w[3]));
    } else if (ColourRectSprite* const rect = ColourRectOf(w[0])) {
        rect->SetBrightness(Bool(w[1]), Int(w[2]));
    } else if (PolygonSprite* const polygon = PolygonOf(w[0])) {
        polygon->SetBrightness(Bool(w[1]), Byte(w[2]));
    } else if (TriangleSprite* const triangle = TriangleOf(w[0])) {
        triangle->SetBrightness(Bool(w[1]), Int(w[2]));
    } else {
        return 0;
    }
    return 1;
}

// The colour and alpha setters of kinds 4 to 8, each kind through its own class.
template <class Quad, class Rect, class Shape>
std::uint32_t OnColouredKinds(std::uint32_t word, Quad onQuad, Rect onRect, Shape onShape) {
    if (TexturedQuadSprite* const quad = QuadOf(word)) {
        onQuad(*quad);
    } else if (ColourRectSprite* const rect = ColourRectOf(word)) {
        onRect(*rect);
    } else if (ScaledShape* const shape = ShapeOf(word)) {
        onShape(*shape);
    } else {
        return 0;
    }
    return 1;
}

std::uint32_t CmdSetDrawableColourBody(std::uint32_t* w) {
    const std::uint32_t rgb = w[1];
    return OnColouredKinds(
        w[0], [&](TexturedQuadSprite& q) { q.SetColourAll(rgb); }, [&](ColourRectSprite& r) { r.SetColourAll(rgb); },
        [&](ScaledShape& s) { s.SetColourAll(rgb); });
}
std::uint32_t CmdSetDrawableVertexColourBody(std::uint32_t* w) {
    const std::int32_t vertex = Int(w[1]);
    const std::uint32_t rgb = w[2];
    return OnColouredKinds(
        w[0], [&](TexturedQuadSprite& q) { q.SetColourOne(vertex, rgb); },
        [&](ColourRectSprite& r) { r.SetColourOne(vertex, rgb); }, [&](ScaledShape& s) { s.SetColourOne(vertex, rgb); });
}
std::uint32_t CmdSetDrawableAlphaBody(std::uint32_t* w) {
    const std::int32_t alpha = Int(w[1]);
    return OnColouredKinds(
        w[0], [&](TexturedQuadSprite& q) { q.SetAlphaAll(alpha); }, [&](ColourRectSprite& r) { r.SetAlphaAll(alpha); },
        [&](ScaledShape& s) { s.SetAlphaAll(alpha); });
}
std::uint32_t CmdSetDrawableVertexAlphaBody(std::uint32_t* w) {
    const std::int32_t vertex = Int(w[1]);
    const std::int32_t alpha = Int(w[2]);
    return OnColouredKinds(
        w[0], [&](TexturedQuadSprite& q) { q.SetAlphaOne(vertex, alpha); },
        [&](ColourRectSprite& r) { r.SetAlphaOne(vertex, alpha); }, [&](ScaledShape& s) { s.SetAlphaOne(vertex, alpha); });
}

std::uint32_t CmdSetDrawableCornerColoursBody(std::uint32_t* w) {
    const std::uint32_t rgb[4] = {w[1], w[2], w[3], w[4]};
    if (TexturedQuadSprite* const quad = QuadOf(w[0])) {
        quad->SetColourEach(rgb);
    } else if (ColourRectSprite* const rect = ColourRectOf(w[0])) {
        rect->SetColourEach(rgb);
    } else {
        return 0;
    }
    return 1;
}
std::uint32_t CmdSetDrawableCornerAlphasBody(std::uint32_t* w) {
    const std::int32_t alpha[4] = {Int(w[1]), Int(w[2]), Int(w[3]), Int(w[4])};
    if (TexturedQuadSprite* const quad = QuadOf(w[0])) {
        quad->SetAlphaEach(alpha);
    } else if (ColourRectSprite* const rect = ColourRectOf(w[0])) {
        rect->SetAlphaEach(alpha);
    } else {
        return 0;
    }
    return 1;
}

std::uint32_t CmdSetTriangleColoursBody(std::uint32_t* w) {
    TriangleSprite* const triangle = TriangleOf(w[0]);
    if (!triangle) return 0;
    for (std::int32_t i = 0; i < 3; ++i) triangle->SetColourOne(i, w[1 + i]);
    return 1;
}
std::uint32_t CmdSetTriangleAlphasBody(std::uint32_t* w) {
    TriangleSprite* const triangle = TriangleOf(w[0]);
    if (!triangle) return 0;
    for (std::int32_t i = 0; i < 3; ++i) triangle->SetAlphaOne(i, Int(w[1 + i]));
    return 1;
}

std::uint32_t CmdSetQuadColourOpsBody(std::uint32_t* w) {
    TexturedQuadSprite* const quad = QuadOf(w[0]);
    if (!quad) return 0;
    quad->SetColourOps(Byte(w[1]), Byte(w[2]), Byte(w[3]));
    return 1;
}
std::uint32_t CmdSetQuadAlphaOpsBody(std::uint32_t* w) {
    TexturedQuadSprite* const quad = QuadOf(w[0]);
    if (!quad) return 0;
    quad->SetAlphaOps(Byte(w[1]), Byte(w[2]), Byte(w[3]));
    return 1;
}
std::uint32_t CmdSetQuadCornersBody(std::uint32_t* w) {
    TexturedQuadSprite* const quad = QuadOf(w[0]);
    if (!quad) return 0;
    quad->SetCorners(Int(w[1]), Int(w[2]), Int(w[3]), Int(w[4]), Int(w[5]), Int(w[6]), Int(w[7]), Int(w[8]));
    return 1;
}

std::uint32_t CmdSetColourRectSizeBody(std::uint32_t* w) {
    ColourRectSprite* const rect = ColourRectOf(w[0]);
    if (!rect) return 0;
    rect->SetRectSize(Int(w[1]), Int(w[2]));
    return 1;
}
std::uint32_t CmdSetColourRectRectBody(std::uint32_t* w) {
    ColourRectSprite* const rect = ColourRectOf(w[0]);
    if (!rect) return 0;
    rect->SetRect(Int(w[1]), Int(w[2]), Int(w[3]), Int(w[4]));
    return 1;
}

std::uint32_t CmdSetPolygonPrimitiveBody(std::uint32_t* w) {
    PolygonSprite* const polygon = PolygonOf(w[0]);
    if (!polygon || w[1] >= kPrimitiveCount) return 0;
    polygon->SetPrimitiveType(kPrimitiveTypes[w[1]]);
    return 1;
}

std::uint32_t CmdSetDrawableVertexBody(std::uint32_t* w) {
    ScaledShape* const shape = ShapeOf(w[0]);
    return shape && shape->SetVertex(Int(w[1]), Int(w[2]), Int(w[3])) ? 1 : 0;
}

std::uint32_t CmdSetPolygonVerticesBody(std::uint32_t* w) {
    PolygonSprite* const polygon = PolygonOf(w[0]);
    const std::int32_t count = Int(w[1]);
    if (!polygon || count <= 0) return 0;
    const std::uint64_t bytes = 4 * static_cast<std::uint64_t>(count);
    if (bytes > UINT32_MAX) return 0;
    const auto* xs = static_cast<const std::int32_t*>(file_script_words::ReadableBytes(w[2], static_cast<std::uint32_t>(bytes)));
    const auto* ys = static_cast<const std::int32_t*>(file_script_words::ReadableBytes(w[3], static_cast<std::uint32_t>(bytes)));
    if (!xs || !ys) return 0;
    return polygon->SetVertices(count, xs, ys) ? 1 : 0;
}

std::uint32_t CmdSetTriangleVerticesBody(std::uint32_t* w) {
    TriangleSprite* const triangle = TriangleOf(w[0]);
    if (!triangle) return 0;
    triangle->SetVertices(Int(w[1]), Int(w[2]), Int(w[3]), Int(w[4]), Int(w[5]), Int(w[6]));
    return 1;
}

std::uint32_t CmdSetTransitionProgressBody(std::uint32_t* w) {
    TransitionSprite* const sprite = TransitionOf(w[0]);
    return sprite ? Result(sprite->SetProgress(Int(w[1]))) : kNotServed;
}
std::uint32_t CmdSetTransitionRoutineBody(std::uint32_t* w) {
    TransitionSprite* const sprite = TransitionOf(w[0]);
    return sprite && sprite->SetRoutine(w[1]) ? 1 : 0;
}
std::uint32_t CmdSetTransitionSourceBody(std::uint32_t* w) {
    TransitionSprite* const sprite = TransitionOf(w[0]);
    if (!sprite) return kNotServed;
    Surface* const source = w[1] != 0 ? FindSurface(w[1]) : nullptr;
    // A word that names no live surface is an unusable source, not "none".
    if (w[1] != 0 && !source) return 1;
    return Result(sprite->SetSource(source));
}
std::uint32_t CmdSetTransitionParamsBody(std::uint32_t* w) {
    TransitionSprite* const sprite = TransitionOf(w[0]);
    if (!sprite) return 0;
    sprite->SetParams(Int(w[1]), Int(w[2]));
    return 1;
}
std::uint32_t CmdAddTransitionParamsBody(std::uint32_t* w) {
    TransitionSprite* const sprite = TransitionOf(w[0]);
    if (!sprite) return 0;
    sprite->AddParams(Int(w[1]), Int(w[2]));
    return 1;
}

std::uint32_t CmdGetDrawableBoundsBody(std::uint32_t* w) {
    for (int i = 1; i <= 4; ++i)
        if (w[i] != 0 && !script_memory::IsWritable(w[i], sizeof(std::uint32_t))) file_script_words::Fault();
    DeviceDrawable* const drawable = FindDrawable(w[0]);
    RECT bounds;
    if (!drawable || !drawable->GetBounds(&bounds)) return 0;
    const LONG values[4] = {bounds.left, bounds.top, bounds.right, bounds.bottom};
    for (int i = 0; i < 4; ++i)
        if (w[1 + i] != 0) script_memory::WriteWord(w[1 + i], static_cast<std::uint32_t>(values[i]));
    return 1;
}

}  // namespace

DRAWABLE_COMMAND(CmdCreateSurfaceSprite, 0)
DRAWABLE_COMMAND(CmdCreateTexturedQuad, 0)
DRAWABLE_COMMAND(CmdCreatePolygon, 0)
DRAWABLE_COMMAND(CmdCreateColourRect, 0)
DRAWABLE_COMMAND(CmdCreateTriangle, 0)
DRAWABLE_COMMAND(CmdCreateRenderStateBlock, 0)
DRAWABLE_COMMAND(CmdCreateTextureStageBlock, 0)
DRAWABLE_COMMAND(CmdCreateSurfaceSpriteEx, 0)
DRAWABLE_COMMAND(CmdCreateTexturedQuadEx, 0)
DRAWABLE_COMMAND(CmdCreateTransitionSprite, 0)
DRAWABLE_COMMAND(CmdReleaseDrawable, 1)

DRAWABLE_COMMAND(CmdInsertDrawableAfterEquals, 1)
DRAWABLE_COMMAND(CmdInsertDrawableBeforeEquals, 1)
DRAWABLE_COMMAND(CmdRemoveDrawable, 0)
DRAWABLE_COMMAND(CmdRemoveDrawablesAtPriority, 0)
DRAWABLE_COMMAND(CmdRemoveDrawableGroup, 0)
DRAWABLE_COMMAND(CmdSetDrawableEnabled, 0)
DRAWABLE_COMMAND(CmdIsDrawableEnabled, 0)
DRAWABLE_COMMAND(CmdSetDrawablesEnabled, 0)
DRAWABLE_COMMAND(CmdMoveDrawableAfterEquals, 0)
DRAWABLE_COMMAND(CmdMoveDrawableBeforeEquals, 0)

DRAWABLE_COMMAND(CmdSetDrawableSurface, -1)
DRAWABLE_COMMAND(CmdSetDrawableSourceRect, 0)
DRAWABLE_COMMAND(CmdSetDrawablePosition, 0)
DRAWABLE_COMMAND(CmdSetDrawableAnchor, 0)
DRAWABLE_COMMAND(CmdSetDrawablePositionAndAnchor, 0)
DRAWABLE_COMMAND(CmdMoveDrawable, 0)
DRAWABLE_COMMAND(CmdDrawableHitTest, 0)
DRAWABLE_COMMAND(CmdDrawablesOverlap, 0)
DRAWABLE_COMMAND(CmdApplyDrawableAnchor, 0)
DRAWABLE_COMMAND(CmdSetDrawableBlendStates, 0)
DRAWABLE_COMMAND(CmdSetDrawableBrightness, 0)
DRAWABLE_COMMAND(CmdSetDrawableColour, 0)
DRAWABLE_COMMAND(CmdSetDrawableVertexColour, 0)
DRAWABLE_COMMAND(CmdSetDrawableCornerColours, 0)
DRAWABLE_COMMAND(CmdSetTriangleColours, 0)
DRAWABLE_COMMAND(CmdSetDrawableAlpha, 0)
DRAWABLE_COMMAND(CmdSetDrawableVertexAlpha, 0)
DRAWABLE_COMMAND(CmdSetDrawableCornerAlphas, 0)
DRAWABLE_COMMAND(CmdSetTriangleAlphas, 0)
DRAWABLE_COMMAND(CmdSetQuadColourOps, 0)
DRAWABLE_COMMAND(CmdSetQuadAlphaOps, 0)
DRAWABLE_COMMAND(CmdSetQuadCorners, 0)
DRAWABLE_COMMAND(CmdSetColourRectSize, 0)
DRAWABLE_COMMAND(CmdSetColourRectRect, 0)
DRAWABLE_COMMAND(CmdSetPolygonPrimitive, 0)
DRAWABLE_COMMAND(CmdSetDrawableVertex, 0)
DRAWABLE_COMMAND(CmdSetPolygonVertices, 0)
DRAWABLE_COMMAND(CmdSetTriangleVertices, 0)
DRAWABLE_COMMAND(CmdSetTransitionProgress, -1)
DRAWABLE_COMMAND(CmdSetTransitionRoutine, 0)
DRAWABLE_COMMAND(CmdSetTransitionSource, -1)
DRAWABLE_COMMAND(CmdSetTransitionParams, 0)
DRAWABLE_COMMAND(CmdAddTransitionParams, 0)
DRAWABLE_COMMAND(CmdGetDrawableBounds, 0)
