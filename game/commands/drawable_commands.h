// The device-drawable commands (opcodes 260-314): scripts make the screen device's drawables
// (surface sprites, textured quads, polygons, colour rectangles, triangles, state blocks,
// transition sprites), order them in the device's drawing list and shape them.
//
// Script words: drawables, surfaces and textures are looked up in the screen device's handle
// tables, so a word that names no live object of the family (0, released, forged, another
// family's) is the command's null case; a drawable of a kind the command does not serve is
// answered alike. Without a screen device every command answers its null value.
//
// Memory: 270's variable and 314's outs are 32-bit words of writable script memory (0: an out
// that is not wanted; another word outside script memory raises the script fault before anything
// changes). 262's n pairs must lie in the argument block's own memory and 307's two arrays of n
// words each in script memory, sizes reckoned in 64 bits: a count of 0 or less, or words past
// the memory, give 0 with nothing allocated or changed.
//
// Choices of this program where the commands leave room:
// - 284 and 285 reach the drawable's SetSize and SetSizeAndPosition (the slots that follow
//   SetPosition), the words passed in order; 303 and 304 reach the colour rectangle's SetRectSize
//   and SetRect, also in order.
// - 295 and 299 set the triangle's three vertices one by one.
// - 307 sets the polygon's first n vertices from the arrays; n above the polygon's vertex count
//   gives 0 and changes nothing.
// - 310 stores only routines 0-86 (compared unsigned); another number gives 0 and changes nothing.
// - 313 adds with wrap-around.
#pragma once

#include <cstdint>

#include "framework/interfaces/cross_module.h"

// Creation and release.
std::uint32_t XM_CDECL CmdCreateSurfaceSprite(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCreateTexturedQuad(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCreatePolygon(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCreateColourRect(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCreateTriangle(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCreateRenderStateBlock(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCreateTextureStageBlock(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCreateSurfaceSpriteEx(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCreateTexturedQuadEx(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCreateTransitionSprite(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdReleaseDrawable(std::uint32_t* arguments);

// The drawing list.
std::uint32_t XM_CDECL CmdInsertDrawableAfterEquals(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdInsertDrawableBeforeEquals(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdRemoveDrawable(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdRemoveDrawablesAtPriority(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdRemoveDrawableGroup(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetDrawableEnabled(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsDrawableEnabled(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetDrawablesEnabled(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdMoveDrawableAfterEquals(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdMoveDrawableBeforeEquals(std::uint32_t* arguments);

// Properties.
std::uint32_t XM_CDECL CmdSetDrawableSurface(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetDrawableSourceRect(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetDrawablePosition(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetDrawableAnchor(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetDrawablePositionAndAnchor(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdMoveDrawable(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdDrawableHitTest(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdDrawablesOverlap(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdApplyDrawableAnchor(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetDrawableBlendStates(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetDrawableBrightness(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetDrawableColour(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetDrawableVertexColour(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetDrawableCornerColours(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetTriangleColours(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetDrawableAlpha(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetDrawableVertexAlpha(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetDrawableCornerAlphas(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetTriangleAlphas(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetQuadColourOps(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetQuadAlphaOps(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetQuadCorners(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetColourRectSize(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetColourRectRect(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetPolygonPrimitive(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetDrawableVertex(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetPolygonVertices(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetTriangleVertices(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetTransitionProgress(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetTransitionRoutine(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetTransitionSource(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetTransitionParams(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdAddTransitionParams(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetDrawableBounds(std::uint32_t* arguments);
