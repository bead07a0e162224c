#include "game/commands/sprite_commands.h"

#include <windows.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <vector>

#include "framework/util/handle_table.h"
#include "game/commands/command_args.h"
#include "game/commands/command_guard.h"
#include "game/commands/command_task_table.h"
#include "game/commands/device_command_services.h"
#include "game/commands/file_script_words.h"
#include "game/commands/surface_resolution.h"
#include "game/script/script_memory.h"
#include "graphics/device/screen_device.h"
#include "graphics/image/image.h"
#include "graphics/interfaces/screen_buffer.h"
#include "graphics/sprites/canvas.h"
#include "graphics/sprites/fill_rect_sprite.h"
#include "graphics/sprites/sprite.h"
#include "graphics/sprites/sprite_list.h"

using command_args::Bool;
using command_args::Byte;
using command_args::Int;
using command_args::Result;

namespace {

#define SPRITE_COMMAND(name, failure)                                        \
    std::uint32_t XM_CDECL name(std::uint32_t* arguments) {                  \
        return GuardedCommand<name##Body, failure>(arguments);               \
    }

constexpr std::uint32_t kMinusOne = static_cast<std::uint32_t>(-1);
constexpr std::uint32_t kMinusTwo = static_cast<std::uint32_t>(-2);

ScreenDevice* Device() { return CommandScreenDevice(); }

std::uint32_t Word(const Drawable* drawable) { return HandleTable<Drawable>::WordOf(drawable); }

// Any kind of the sprite table (sprite, fill rectangle, sprite movie).
Drawable* FindAny(std::uint32_t word) {
    ScreenDevice* const device = Device();
    return device ? device->FindSpriteDrawable(word) : nullptr;
}
Sprite* SpriteOf(std::uint32_t word) {
    Drawable* const drawable = FindAny(word);
    return drawable && drawable->Kind() == 0 ? static_cast<Sprite*>(drawable) : nullptr;
}
FillRectSprite* FillOf(std::uint32_t word) {
    Drawable* const drawable = FindAny(word);
    return drawable && drawable->Kind() == 1 ? static_cast<FillRectSprite*>(drawable) : nullptr;
}
// Kinds 0 and 1.
Drawable* SpriteOrFillOf(std::uint32_t word) {
    Drawable* const drawable = FindAny(word);
    return drawable && (drawable->Kind() == 0 || drawable->Kind() == 1) ? drawable : nullptr;
}

// The writable outs of a command, checked before anything changes: 0 is allowed, another word
// outside writable script memory raises the script fault.
void CheckOuts(const std::uint32_t* outs, int count) {
    for (int i = 0; i < count; ++i)
        if (outs[i] != 0 && !script_memory::IsWritable(outs[i], sizeof(std::uint32_t))) file_script_words::Fault();
}
void PutOut(std::uint32_t out, std::uint32_t value) {
    if (out != 0) script_memory::WriteWord(out, value);
}

// ---- Creation and release ----

std::uint32_t CmdCreateSpriteBody(std::uint32_t* w) {
    ScreenDevice* const device = Device();
    Image* const image = ImageOfSurface(w[0]);
    if (!device || !image) return 0;
    RECT rect;
    const bool given = command_args::Rect(w + 1, &rect);
    Sprite* made = nullptr;
    if (device->CreateSprite(&made, image, given ? &rect : nullptr, given ? Int(w[5]) : 0, given ? Int(w[6]) : 0) !=
            0 ||
        !made)
        return 0;
    return Word(made);
}

std::uint32_t CmdCloneSpriteBody(std::uint32_t* w) {
    Sprite* const source = SpriteOf(w[0]);
    if (!source) return 0;
    Sprite* made = nullptr;
    if (Device()->CloneSprite(&made, source) != 0 || !made) return 0;
    return Word(made);
}

std::uint32_t CmdCreateFillRectSpriteBody(std::uint32_t* w) {
    ScreenDevice* const device = Device();
    if (!device) return 0;
    FillRectSprite* made = nullptr;
    if (device->CreateFillRectSprite(&made, Int(w[3]), Int(w[4]), w[2], Int(w[0]), Int(w[1])) != 0 || !made) return 0;
    return Word(made);
}

// Cancels the command-started tasks that use each sprite the release is about to free (the ones
// matching and not pinned), while they are still whole.
template <class Match>
void CancelUsersOfReleased(ScreenDevice& device, Match match) {
    std::vector<std::uint32_t> words;
    device.ForEachSprite([&](Drawable* sprite) {
        if (match(*sprite) && !device.IsPinned(Word(sprite))) words.push_back(Word(sprite));
    });
    for (std::uint32_t word : words) CommandTasks().CancelUsersOf(word);
}

std::uint32_t CmdReleaseAllSpritesBody(std::uint32_t*) {
    ScreenDevice* const device = Device();
    if (!device) return 0;
    CancelUsersOfReleased(*device, [](const Drawable&) { return true; });
    device->ReleaseAllSprites();
    return 0;
}

std::uint32_t CmdSetSpriteOwnerKeyBody(std::uint32_t* w) {
    ScreenDevice* const device = Device();
    if (!device) return 0;
    const std::uint32_t previous = device->spriteOwnerKey;
    device->spriteOwnerKey = w[0];
    return previous;
}

std::uint32_t CmdReleaseSpritesByOwnerBody(std::uint32_t* w) {
    ScreenDevice* const device = Device();
    if (!device) return 0;
    const std::uint32_t key = w[0];
    const std::uint8_t invert = Byte(w[1]);
    CancelUsersOfReleased(*device, [&](const Drawable& sprite) {
        return (static_cast<std::uint32_t>(sprite.OwnerKey()) == key) != (invert != 0);
    });
    device->ReleaseSpritesByOwner(key, invert);
    return 0;
}

std::uint32_t CmdReleaseSpriteBody(std::uint32_t* w) {
    std::uint32_t handle = 0;
    if (!file_script_words::ReadWord(w[0], &handle) || handle == 0 || !Device()) return 1;
    Drawable* const sprite = FindAny(handle);
    if (!sprite) return 2;
    if (!Device()->IsPinned(handle)) CommandTasks().CancelUsersOf(handle);
    const std::int32_t code = Device()->ReleaseSprite(sprite);
    if (code == 0) script_memory::WriteWord(w[0], 0);
    return Result(code);
}

// ---- Sprite lists ----

// The canvas of a screen word and its second list (null when the screen has none).
Canvas* CanvasOf(std::uint32_t screen, SpriteList** second) {
    Canvas* const canvas = CanvasOfScreen(screen);
    *second = canvas ? canvas->Overlay() : nullptr;
    return canvas;
}

constexpr std::uint32_t kNoSecondList = 4;

std::uint32_t AddToLists(const std::uint32_t* w) {
    SpriteList* second = nullptr;
    Canvas* const canvas = CanvasOf(w[0], &second);
    if (!canvas) return kMinusOne;
    Drawable* const sprite = FindAny(w[1]);
    if (Int(w[2]) == -1) return Result(canvas->Sprites().AddAfterEquals(sprite, 0, 0));
    SpriteList* list = &canvas->Sprites();
    if (Bool(w[4])) {
        if (!second) return kNoSecondList;
        list = second;
    }
    return Result(list->AddAfterEquals(sprite, w[2], w[3]));
}

std::uint32_t CmdAddSpriteBody(std::uint32_t* w) { return AddToLists(w); }
std::uint32_t CmdAddFillSpriteBody(std::uint32_t* w) { return AddToLists(w); }

std::uint32_t CmdRemoveSpriteBody(std::uint32_t* w) {
    SpriteList* second = nullptr;
    Canvas* const canvas = CanvasOf(w[0], &second);
    Drawable* const sprite = FindAny(w[1]);
    if (!canvas || !sprite) return 0;
    if (canvas->Sprites().Remove(sprite)) return 1;
    return second && second->Remove(sprite) ? 1 : 0;
}

// Calls operation on the canvas's own list and on its second list, if any; 0.
template <class Operation>
std::uint32_t OnBothLists(std::uint32_t screen, Operation operation) {
    SpriteList* second = nullptr;
    Canvas* const canvas = CanvasOf(screen, &second);
    if (!canvas) return 0;
    operation(canvas->Sprites());
    if (second) operation(*second);
    return 0;
}

std::uint32_t CmdRemoveSpritesByPriorityBody(std::uint32_t* w) {
    return OnBothLists(w[0], [&](SpriteList& list) { list.RemoveByPriority(w[1], Bool(w[2])); });
}
std::uint32_t CmdRemoveMatchingSpritesBody(std::uint32_t* w) {
    return OnBothLists(w[0], [&](SpriteList& list) { list.RemoveMatching(Int(w[1]), Int(w[2]), Bool(w[3])); });
}
std::uint32_t CmdClearSpritesBody(std::uint32_t* w) {
    return OnBothLists(w[0], [](SpriteList& list) { list.Clear(); });
}
std::uint32_t CmdSetSpritesVisibleBody(std::uint32_t* w) {
    const bool anyTag = w[3] == command_args::kGroupAbsent;
    const std::int32_t tag = anyTag ? -1 : Int(w[3]);
    const std::int32_t owner = anyTag ? -1 : Int(w[4]);
    const std::uint8_t visible = Bool(w[1]) ? 1 : 0;
    return OnBothLists(w[0], [&](SpriteList& list) {
        list.SetVisibleMatching(visible, Int(w[2]), tag, owner, Byte(w[5]) != 0);
    });
}

template <bool (SpriteList::*Set)(Drawable*, std::uint32_t, bool)>
std::uint32_t SetPriorityIn(const std::uint32_t* w) {
    SpriteList* second = nullptr;
    Canvas* const canvas = CanvasOf(w[0], &second);
    Drawable* const sprite = FindAny(w[1]);
    if (!canvas || !sprite) return 0;
    if ((canvas->Sprites().*Set)(sprite, w[2], Bool(w[3]))) return 1;
    return second && (second->*Set)(sprite, w[2], Bool(w[3])) ? 1 : 0;
}
std::uint32_t CmdSetSpritePriorityBody(std::uint32_t* w) { return SetPriorityIn<&SpriteList::SetPriority>(w); }
std::uint32_t CmdSetSpritePriorityExBody(std::uint32_t* w) {
    return SetPriorityIn<&SpriteList::SetPriorityAfterEquals>(w);
}

// ---- Canvas ----

std::uint32_t CmdSetCanvasBackgroundBody(std::uint32_t* w) {
    Canvas* const canvas = CanvasOfScreen(w[0]);
    if (!canvas) return 0;
    Image* const image = w[1] != 0 ? ImageOfSurface(w[1]) : nullptr;
    if (w[1] != 0 && !image) return 0;
    return canvas->SetSource(image, Int(w[2]), Int(w[3]), Bool(w[4])) ? 1 : 0;
}

std::uint32_t CmdSetCanvasBackgroundColourBody(std::uint32_t* w) {
    Canvas* const canvas = CanvasOfScreen(w[0]);
    if (!canvas) return 0;
    switch (Byte(w[2])) {
        case 0: canvas->SetBackgroundColour(w[1], false); break;
        case 1: canvas->SetBackgroundColour(w[1], true); break;
        default: canvas->StoreColour(w[1]); break;
    }
    return 1;
}

std::uint32_t CmdSetCanvasOriginBody(std::uint32_t* w) {
    Canvas* const canvas = CanvasOfScreen(w[0]);
    if (!canvas) return kMinusOne;
    if (!canvas->SetOrigin(Int(w[1]), Int(w[2]))) return 0;
    return Result(canvas->InvalidateAll());
}

std::uint32_t CmdSetCanvasSourceRectBody(std::uint32_t* w) {
    Canvas* const canvas = CanvasOfScreen(w[0]);
    if (!canvas) return kMinusOne;
    RECT clip;
    const RECT* const given = command_args::Rect(w + 5, &clip) ? &clip : nullptr;
    return canvas->SetSourceRect(Int(w[1]), Int(w[2]), Int(w[3]), Int(w[4]), given) ? 1 : 0;
}

std::uint32_t CmdSetCanvasPivotBody(std::uint32_t* w) {
    Canvas* const canvas = CanvasOfScreen(w[0]);
    if (!canvas) return kMinusOne;
    return canvas->SetPivot(Int(w[3]), Int(w[1]), Int(w[2])) ? 1 : 0;
}

std::uint32_t CmdSetCanvasZoomBody(std::uint32_t* w) {
    Canvas* const canvas = CanvasOfScreen(w[0]);
    if (!canvas) return kMinusOne;
    return Result(canvas->SetZoom(Int(w[1]), Int(w[2]), Int(w[3]), static_cast<double>(Int(w[4]))));
}

std::uint32_t CmdGetCanvasBackgroundOptionsBody(std::uint32_t* w) {
    CheckOuts(w + 1, 6);
    Canvas* const canvas = CanvasOfScreen(w[0]);
    if (!canvas) return 0;
    Surface* image = nullptr;
    std::int32_t x = 0, y = 0;
    std::uint8_t red = 0, green = 0, blue = 0;
    canvas->GetBackground(&image, &x, &y, &red, &green, &blue);
    PutOut(w[1], command_args::HandleWord(image));
    PutOut(w[2], static_cast<std::uint32_t>(x));
    PutOut(w[3], static_cast<std::uint32_t>(y));
    PutOut(w[4], red);
    PutOut(w[5], green);
    PutOut(w[6], blue);
    return 1;
}

std::uint32_t CmdInvalidateCanvasBody(std::uint32_t* w) {
    Canvas* const canvas = CanvasOfScreen(w[0]);
    return canvas ? Result(canvas->InvalidateAll()) : kMinusOne;
}

std::uint32_t CmdInvalidateCanvasRectBody(std::uint32_t* w) {
    Canvas* const canvas = CanvasOfScreen(w[0]);
    if (!canvas) return 0;
    RECT rect{Int(w[1]), Int(w[2]), Int(w[3]), Int(w[4])};
    canvas->ClipInvalidate(&rect);
    return 1;
}

std::uint32_t CmdSetScreenFullRedrawBody(std::uint32_t* w) {
    Canvas* const canvas = CanvasOfScreen(w[0]);
    if (!canvas) return 0;
    return canvas->SetFullRedraw(Bool(w[1])) ? 1 : 0;
}

std::uint32_t CmdRedrawCanvasBody(std::uint32_t* w) {
    Canvas* const canvas = CanvasOfScreen(w[0]);
    if (!canvas) return kMinusOne;
    // What is repainted goes into the back buffer's own record of changes, when it keeps one.
    Image* const target = canvas->Target();
    return Result(canvas->Redraw(target ? target->GetDirtyRegion() : nullptr, nullptr, 0, 0));
}

std::uint32_t CmdRenderCanvasBody(std::uint32_t* w) {
    Image* const target = ImageOfSurface(w[1]);
    if (!target) return kMinusOne;
    Canvas* const canvas = CanvasOfScreen(w[0]);
    if (!canvas) return kMinusTwo;
    return Result(canvas->Render(target, Byte(w[2]), Int(w[3]), Bool(w[4])));
}

std::uint32_t CmdSetCanvasOffsetSwitchesBody(std::uint32_t* w) {
    Canvas* const canvas = CanvasOfScreen(w[0]);
    if (!canvas) return kMinusOne;
    canvas->SetOffsetSwitches(Bool(w[1]), Bool(w[2]));
    return 0;
}

std::uint32_t CmdSetCanvasBackgroundOffBody(std::uint32_t* w) {
    Canvas* const canvas = CanvasOfScreen(w[0]);
    if (!canvas) return kMinusOne;
    canvas->SetNoBackground(Bool(w[1]));
    return 0;
}

std::uint32_t CmdSetCanvasDrawSwitchBody(std::uint32_t* w) {
    g_stripRedraw = Bool(w[0]);
    return 0;
}

// ---- Properties ----

std::uint32_t CmdSetSpriteVisibleBody(std::uint32_t* w) {
    if (Drawable* const sprite = FindAny(w[0])) sprite->SetVisible(Bool(w[1]) ? 1 : 0);
    return 0;
}

std::uint32_t CmdGetSpriteStateBody(std::uint32_t* w) {
    Drawable* const sprite = FindAny(w[0]);
    if (!sprite || !sprite->List()) return 0;
    return sprite->IsVisible() ? 2 : 1;
}

std::uint32_t CmdInvalidateSpriteBody(std::uint32_t* w) {
    Drawable* const sprite = FindAny(w[0]);
    if (!sprite) return 0;
    sprite->SetDirty(1);
    return 1;
}

std::uint32_t CmdSpriteIntersectsRectBody(std::uint32_t* w) {
    Drawable* const sprite = FindAny(w[0]);
    if (!sprite) return 0;
    const RECT& b = sprite->BoundsRef();
    const std::int32_t left = Int(w[1]), top = Int(w[2]), right = Int(w[3]), bottom = Int(w[4]);
    return b.left < right && left < b.right && b.top < bottom && top < b.bottom ? 1 : 0;
}

std::uint32_t CmdSetSpriteBlendModeBody(std::uint32_t* w) {
    Drawable* const sprite = FindAny(w[0]);
    return sprite ? Result(sprite->SetBlendMode(Byte(w[1]))) : kMinusTwo;
}
std::uint32_t CmdSetSpriteAlphaBody(std::uint32_t* w) {
    Drawable* const sprite = FindAny(w[0]);
    return sprite ? Result(sprite->SetAlpha(Byte(w[1]))) : kMinusTwo;
}

std::uint32_t CmdSetSpriteOwnerBody(std::uint32_t* w) {
    Drawable* const sprite = FindAny(w[0]);
    if (!sprite) return 0;
    const std::int32_t previous = sprite->OwnerKey();
    sprite->SetOwnerKey(Int(w[1]));
    return Result(previous);
}

std::uint32_t CmdMoveSpriteByBody(std::uint32_t* w) {
    Drawable* const sprite = FindAny(w[0]);
    return sprite && sprite->MoveBy(Int(w[1]), Int(w[2])) ? 1 : 0;
}
std::uint32_t CmdSpriteHitTestBody(std::uint32_t* w) {
    Drawable* const sprite = FindAny(w[0]);
    return sprite && sprite->HitTest(Int(w[1]), Int(w[2]), Bool(w[3])) ? 1 : 0;
}
std::uint32_t CmdSpritesOverlapBody(std::uint32_t* w) {
    Drawable* const sprite = FindAny(w[0]);
    Drawable* const other = FindAny(w[1]);
    return sprite && other && sprite->Overlaps(other) ? 1 : 0;
}

std::uint32_t CmdGetSpriteBoundsBody(std::uint32_t* w) {
    CheckOuts(w + 1, 4);
    Drawable* const sprite = FindAny(w[0]);
    if (!sprite) return 0;
    RECT bounds;
    sprite->GetBounds(&bounds);
    PutOut(w[1], static_cast<std::uint32_t>(bounds.left));
    PutOut(w[2], static_cast<std::uint32_t>(bounds.top));
    PutOut(w[3], static_cast<std::uint32_t>(bounds.right));
    PutOut(w[4], static_cast<std::uint32_t>(bounds.bottom));
    return 1;
}

std::uint32_t CmdRenderSpriteBody(std::uint32_t* w) {
    Drawable* const sprite = FindAny(w[1]);
    if (!sprite) return kMinusTwo;
    Image* const target = ImageOfSurface(w[0]);
    if (!target) return kMinusOne;
    return Result(sprite->Render(target, nullptr));
}

std::uint32_t CmdSetSpriteStretchBody(std::uint32_t* w) {
    Drawable* const sprite = SpriteOrFillOf(w[0]);
    return sprite && sprite->SetSize(Int(w[1]), Int(w[2])) ? 1 : 0;
}
std::uint32_t CmdSetSpriteSizeAndPositionBody(std::uint32_t* w) {
    Drawable* const sprite = SpriteOrFillOf(w[0]);
    return sprite && sprite->SetSizeAndPosition(Int(w[1]), Int(w[2]), Int(w[3]), Int(w[4])) ? 1 : 0;
}

std::uint32_t CmdCreateSpriteCacheBody(std::uint32_t* w) {
    Sprite* const sprite = SpriteOf(w[0]);
    return sprite ? Result(sprite->CreateCache(Int(w[1]), Int(w[2]))) : kMinusTwo;
}
std::uint32_t CmdSetSpriteSourceRectBody(std::uint32_t* w) {
    Sprite* const sprite = SpriteOf(w[0]);
    if (!sprite) return kMinusOne;
    const RECT rect{Int(w[1]), Int(w[2]), Int(w[3]), Int(w[4])};
    return Result(sprite->SetSourceRect(&rect));
}
std::uint32_t CmdScrollSpriteSourceBody(std::uint32_t* w) {
    Sprite* const sprite = SpriteOf(w[0]);
    return sprite ? Result(sprite->ScrollSource(Int(w[1]), Int(w[2]))) : kMinusOne;
}
std::uint32_t CmdSetSpriteImageBlendModeBody(std::uint32_t* w) {
    Sprite* const sprite = SpriteOf(w[0]);
    return sprite && sprite->SetFilter(Byte(w[1])) ? 1 : 0;
}

constexpr std::int32_t kLastAnchor = 4;

std::uint32_t CmdSetSpritePivotBody(std::uint32_t* w) {
    Sprite* const sprite = SpriteOf(w[0]);
    if (!sprite) return 0;
    const std::int32_t anchor = Int(w[1]);
    const bool atAnchor = anchor >= 0 && anchor <= kLastAnchor;
    return sprite->SetPivot(atAnchor ? anchor : -1, atAnchor ? 0 : Int(w[2]), atAnchor ? 0 : Int(w[3])) ? 1 : 0;
}

// A decimal text word: 0 stands for 1.0; a word that is no readable text gives a value that is
// not finite, which the sprite refuses.
double DecimalText(std::uint32_t word) {
    if (word == 0) return 1.0;
    const char* const text = file_script_words::Text(word);
    if (!text) return std::numeric_limits<double>::quiet_NaN();
    return std::strtod(text, nullptr);
}

std::uint32_t CmdRenderSpriteRotatedBody(std::uint32_t* w) {
    Sprite* const sprite = SpriteOf(w[0]);
    if (!sprite) return 0;
    return sprite->SetRotationZoom(Int(w[1]), DecimalText(w[2])) == 1 ? 1 : 0;
}
std::uint32_t CmdSetSpriteRotationBody(std::uint32_t* w) {
    Sprite* const sprite = SpriteOf(w[0]);
    return sprite ? Result(sprite->ReserveRotationCache(DecimalText(w[1]))) : kMinusTwo;
}

std::uint32_t CmdDropSpriteCacheBody(std::uint32_t* w) {
    Sprite* const sprite = SpriteOf(w[0]);
    if (!sprite) return 0;
    sprite->DropCache();
    return 1;
}

constexpr std::uint32_t kKeepPlacement = static_cast<std::uint32_t>(-1);

std::uint32_t CmdSetSpriteImageBody(std::uint32_t* w) {
    Sprite* const sprite = SpriteOf(w[0]);
    if (!sprite) return kMinusOne;
    Image* const image = ImageOfSurface(w[1]);
    if (!image) return kMinusTwo;
    if (w[2] == kKeepPlacement) return Result(sprite->ReplaceImage(image));
    RECT rect;
    if (!command_args::Rect(w + 2, &rect)) return Result(sprite->SetImage(image, nullptr, 0, 0));
    return Result(sprite->SetImage(image, &rect, Int(w[6]), Int(w[7])));
}

std::uint32_t CmdRefreshSpriteCacheBody(std::uint32_t* w) {
    Sprite* const sprite = SpriteOf(w[0]);
    return sprite && sprite->RefreshCache(Bool(w[1])) ? 1 : 0;
}

std::uint32_t CmdSetFillSpriteColourBody(std::uint32_t* w) {
    FillRectSprite* const fill = FillOf(w[0]);
    return fill && fill->SetColour(w[1]) ? 1 : 0;
}
std::uint32_t CmdSetFillSpriteSizeBody(std::uint32_t* w) {
    FillRectSprite* const fill = FillOf(w[0]);
    return fill && fill->SetBaseSize(Int(w[1]), Int(w[2])) ? 1 : 0;
}
std::uint32_t CmdSetFillSpriteRectBody(std::uint32_t* w) {
    FillRectSprite* const fill = FillOf(w[0]);
    if (!fill) return 0;
    const std::int64_t width = static_cast<std::int64_t>(Int(w[3])) - Int(w[1]);
    const std::int64_t height = static_cast<std::int64_t>(Int(w[4])) - Int(w[2]);
    if (width < INT32_MIN || width > INT32_MAX || height < INT32_MIN || height > INT32_MAX) return 0;
    return fill->SetRect(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), Int(w[1]), Int(w[2]))
               ? 1
               : 0;
}

}  // namespace

SPRITE_COMMAND(CmdCreateSprite, 0)
SPRITE_COMMAND(CmdCloneSprite, 0)
SPRITE_COMMAND(CmdCreateFillRectSprite, 0)
SPRITE_COMMAND(CmdReleaseAllSprites, 0)
SPRITE_COMMAND(CmdSetSpriteOwnerKey, 0)
SPRITE_COMMAND(CmdReleaseSpritesByOwner, 0)
SPRITE_COMMAND(CmdReleaseSprite, 1)

SPRITE_COMMAND(CmdAddSprite, -1)
SPRITE_COMMAND(CmdAddFillSprite, -1)
SPRITE_COMMAND(CmdRemoveSprite, 0)
SPRITE_COMMAND(CmdRemoveSpritesByPriority, 0)
SPRITE_COMMAND(CmdRemoveMatchingSprites, 0)
SPRITE_COMMAND(CmdSetSpritePriority, 0)
SPRITE_COMMAND(CmdSetSpritePriorityEx, 0)
SPRITE_COMMAND(CmdClearSprites, 0)
SPRITE_COMMAND(CmdSetSpritesVisible, 0)

SPRITE_COMMAND(CmdSetCanvasBackground, 0)
SPRITE_COMMAND(CmdSetCanvasBackgroundColour, 0)
SPRITE_COMMAND(CmdSetCanvasOrigin, -1)
SPRITE_COMMAND(CmdSetCanvasSourceRect, -1)
SPRITE_COMMAND(CmdSetCanvasPivot, -1)
SPRITE_COMMAND(CmdSetCanvasZoom, -1)
SPRITE_COMMAND(CmdGetCanvasBackgroundOptions, 0)
SPRITE_COMMAND(CmdInvalidateCanvas, -1)
SPRITE_COMMAND(CmdInvalidateCanvasRect, 0)
SPRITE_COMMAND(CmdSetScreenFullRedraw, 0)
SPRITE_COMMAND(CmdRedrawCanvas, -1)
SPRITE_COMMAND(CmdRenderCanvas, -1)
SPRITE_COMMAND(CmdSetCanvasOffsetSwitches, -1)
SPRITE_COMMAND(CmdSetCanvasBackgroundOff, -1)
SPRITE_COMMAND(CmdSetCanvasDrawSwitch, 0)

SPRITE_COMMAND(CmdSetSpriteVisible, 0)
SPRITE_COMMAND(CmdGetSpriteState, 0)
SPRITE_COMMAND(CmdInvalidateSprite, 0)
SPRITE_COMMAND(CmdSpriteIntersectsRect, 0)
SPRITE_COMMAND(CmdSetSpriteBlendMode, -2)
SPRITE_COMMAND(CmdSetSpriteAlpha, -2)
SPRITE_COMMAND(CmdSetSpriteOwner, 0)
SPRITE_COMMAND(CmdMoveSpriteBy, 0)
SPRITE_COMMAND(CmdSpriteHitTest, 0)
SPRITE_COMMAND(CmdSpritesOverlap, 0)
SPRITE_COMMAND(CmdGetSpriteBounds, 0)
SPRITE_COMMAND(CmdRenderSprite, -2)
SPRITE_COMMAND(CmdSetSpriteStretch, 0)
SPRITE_COMMAND(CmdSetSpriteSizeAndPosition, 0)
SPRITE_COMMAND(CmdCreateSpriteCache, -2)
SPRITE_COMMAND(CmdSetSpriteSourceRect, -1)
SPRITE_COMMAND(CmdScrollSpriteSource, -1)
SPRITE_COMMAND(CmdSetSpriteImageBlendMode, 0)
SPRITE_COMMAND(CmdSetSpritePivot, 0)
SPRITE_COMMAND(CmdRenderSpriteRotated, 0)
SPRITE_COMMAND(CmdSetSpriteRotation, -2)
SPRITE_COMMAND(CmdDropSpriteCache, 0)
SPRITE_COMMAND(CmdSetSpriteImage, -1)
SPRITE_COMMAND(CmdRefreshSpriteCache, 0)
SPRITE_COMMAND(CmdSetFillSpriteColour, 0)
SPRITE_COMMAND(CmdSetFillSpriteSize, 0)
SPRITE_COMMAND(CmdSetFillSpriteRect, 0)
