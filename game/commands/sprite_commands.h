// The sprite, sprite-list and canvas commands (opcodes 402-465 without 439 and 446-450): scripts
// make the screen device's sprites and fill rectangles, list them on the canvases of their
// screens, shape them, and set up and redraw the canvases.
//
// Script words: sprites are looked up in the screen device's sprite table (kind 0 sprites, kind
// 1 fill rectangles, kind 2 sprite movies), surfaces through the surface resolution
// (surface_resolution.h), so a word that names no live object of its family (0, released,
// forged, another family's) is the command's null case, and a sprite of a kind the command does
// not serve is answered alike. Without a screen device every command answers its null value.
//
// Releases: before the device frees a sprite (405, 407, 408), the tasks that commands entered in
// the task table with it as a user (motions, effects) are cancelled, so that they reach their end
// state while the sprite is still whole.
//
// Memory: 408's variable is a 32-bit word of writable script memory (another word reads as a
// null sprite: 1). 424's and 444's outs are words of writable script memory too (0: an out that
// is not wanted; another word outside writable script memory raises the script fault before
// anything changes). 458's and 459's decimal texts must end inside script memory
// (a text word of 0 stands for 1.0).
//
// Choices of this program where the commands leave room:
// - 409 and 410 insert after the entries of equal priority (drawn below them); both serve every
//   kind of the sprite table.
// - 417 with tag 65535 matches any tag and any owner; 412 and 413 take their words as they are
//   (-1 matches any in 413).
// - 422's flag word is the pivot's anchor: 0-3 the background's corners, 4 its centre, any other
//   value the point (x, y).
// - 423's zoom word is a signed integer converted exactly to the canvas's real zoom.
// - 424 writes the background image's word, the offsets and the three colour bytes, one 32-bit
//   word each.
// - 427 keeps the full-redraw switch in the screen's canvas: a screen without a canvas has none
//   and answers 0.
// - 436 tests a strict overlap of the sprite's bounds with the rectangle (touching edges do not
//   intersect).
// - 456 sets the image sprite's filter (its low four bits the filter, the high four the
//   variant); 459 reserves the rotation cache for the zoom.
// - 458 and 459 read the decimal text with strtod; an unreadable text, "nan" or an overflowing
//   number ("1e999") is not finite and the sprite refuses it, unchanged.
// - 464 sets the fill rectangle's base size; 465 places it at (left, top) with the size right -
//   left by bottom - top (reckoned in 64 bits; a size outside the 32-bit range is refused).
#pragma once

#include <cstdint>

#include "framework/interfaces/cross_module.h"

// Creation and release.
std::uint32_t XM_CDECL CmdCreateSprite(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCloneSprite(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCreateFillRectSprite(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdReleaseAllSprites(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetSpriteOwnerKey(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdReleaseSpritesByOwner(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdReleaseSprite(std::uint32_t* arguments);

// Sprite lists of a screen.
std::uint32_t XM_CDECL CmdAddSprite(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdAddFillSprite(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdRemoveSprite(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdRemoveSpritesByPriority(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdRemoveMatchingSprites(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetSpritePriority(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetSpritePriorityEx(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdClearSprites(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetSpritesVisible(std::uint32_t* arguments);

// Canvas of a screen.
std::uint32_t XM_CDECL CmdSetCanvasBackground(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetCanvasBackgroundColour(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetCanvasOrigin(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetCanvasSourceRect(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetCanvasPivot(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetCanvasZoom(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetCanvasBackgroundOptions(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdInvalidateCanvas(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdInvalidateCanvasRect(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetScreenFullRedraw(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdRedrawCanvas(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdRenderCanvas(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetCanvasOffsetSwitches(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetCanvasBackgroundOff(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetCanvasDrawSwitch(std::uint32_t* arguments);

// Sprite and fill-sprite properties.
std::uint32_t XM_CDECL CmdSetSpriteVisible(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetSpriteState(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdInvalidateSprite(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSpriteIntersectsRect(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetSpriteBlendMode(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetSpriteAlpha(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetSpriteOwner(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdMoveSpriteBy(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSpriteHitTest(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSpritesOverlap(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetSpriteBounds(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdRenderSprite(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetSpriteStretch(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetSpriteSizeAndPosition(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCreateSpriteCache(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetSpriteSourceRect(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdScrollSpriteSource(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetSpriteImageBlendMode(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetSpritePivot(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdRenderSpriteRotated(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetSpriteRotation(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdDropSpriteCache(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetSpriteImage(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdRefreshSpriteCache(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetFillSpriteColour(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetFillSpriteSize(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetFillSpriteRect(std::uint32_t* arguments);
