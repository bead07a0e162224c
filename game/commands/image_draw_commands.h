// The image drawing commands (opcodes 317-401): pixel, palette and fill operations on one image,
// the blits and blends between two images, picture effects, the blends of the pixel-operation
// library and the timed surface effects. Each resolves its surface words to images
// (surface_resolution.h: software images and the screens' back buffers), reads its argument
// form (image_draw_forms.h) and answers the image operation's status.
//
// Script words: a destination or source that names no live image gives -1 (the rows that answer
// a boolean give 0); 349 and 350 take any live surface as the source, looked up among the
// device's surfaces, never used as it is. File names (318, 320) and points are read by the script
// memory's rules, and 321's data range must lie whole in one region of script memory (else 2,
// nothing drawn).
//
// Timed surface effects (386-389) go through the application's SurfaceEffectFactory. A made
// effect is entered in the command task table with its images, so that releasing either image
// cancels it before the image goes.
//
// Choices of this program where the commands leave room:
// - Colour triples are packed with each channel masked to 8 bits.
// - 318 passes the format byte as the encoder type and the option word as the option; a null
//   name gives 1.
// - 320 and 321 pass the cache flag as the decode's keep-palette flag.
// - 332 fills every palette entry with the colour (the image's FillPalette).
// - 345 is the image's CopyColour (the colour bytes, the source's key skipped); 359 and 360 pass
//   the two packed colours as the per-channel weights of the destination and the source.
// - 369 and 370: a rule word of 0 is no rule (the plane form then uses the source's alpha); a
//   nonzero rule word that names no image gives -1.
// - 391: the filter word is the stretch type and the option word the blend mode.
// - 392 reads its six numbers as IEEE single-precision bit patterns (x0, y0, x1, y1, x2, y2);
//   a NaN or infinite number gives 1 with nothing drawn. 393's words are 16.16 fixed point.
// - 392 and 393 read the source and the clip rectangles each by its own 65535 marker.
#pragma once

#include <cstdint>

#include "framework/interfaces/cross_module.h"

// One image.
std::uint32_t XM_CDECL CmdConvertImageDepth(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSaveImage(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdImageHasAlpha(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdDecodeImageFile(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdDecodeImageMemory(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFillImageRect(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFillImageValue(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFillImageColourKeepAlpha(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetImageAlpha(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetAllAlpha(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetPixel(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetPixel(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFindPaletteIndex(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCopyPalette(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetPaletteEntry(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetPaletteRange(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdApplyBrightness(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFillAlpha(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFillAdd(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFillSubtract(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFillColourWithAlpha(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGreyscale(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdColourBalance(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdInvert(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdBlur(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdMosaic(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdTransformColours(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdAlphaLevel(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdAlphaBalance(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdBoxBlur(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFlipVertical(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFlipHorizontal(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdConvertAdditiveAlpha(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdBlendColourUnder(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdKeyColourToAlpha(std::uint32_t* arguments);

// Two images (image_blit_commands.cpp).
std::uint32_t XM_CDECL CmdBlit(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStretchBlit(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdBlitMirrored(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStretchBlitMirrored(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdAlphaBlend(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStretchAlphaBlend(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdAlphaBlendMirrored(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStretchAlphaBlendMirrored(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCopyAlphaChannel(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStretchCopyAlphaChannel(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCopyAlphaChannelMirrored(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCopyKeyed(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStretchCopyColour(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCopyConvertDepth(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdDrawWithDirtyRects(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCopyAlpha(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStretchCopyAlpha(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdBlitFromSurface(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStretchFromSurface(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdBlitFromIndexed(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdBlendWeighted(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStretchBlendWeighted(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdBlendWeightedTable(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStretchBlendWeightedTable(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdBlendMode(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStretchBlendMode(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdBlitOpacityA(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdBlitOpacityB(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdBlendTable(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStretchBlendTable(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdBlendOpacity(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStretchBlendOpacity(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdRuleBlendPlane(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdRuleBlend(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdBlitOpacityC(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdBlitOpacityD(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdBlitRectToQuad(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdBlitQuadToRect(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdBlitRotateZoom(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdBlendRotateZoom(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdBlendRect(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStretchBlendRect(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdAffineBlendRect(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdAffineBlendRectMatrix(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCrossfade(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdRuleTransition(std::uint32_t* arguments);

// Timed surface effects (surface_effect_commands.cpp).
std::uint32_t XM_CDECL CmdCreateSurfaceEffect(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdFinishSurfaceEffect(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCancelSurfaceEffect(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdIsSurfaceEffectRunning(std::uint32_t* arguments);
