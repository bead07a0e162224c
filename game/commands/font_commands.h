// The font and text commands (opcodes 166-195): fonts of the screen device, their settings and
// measures, text drawn onto images, and the list of installed fonts.
//
// Script words: a font word counts only while the screen device lists that font (a word of
// another family, a released or forged one, is treated as 0); a surface word only while the
// device lists the surface. Texts and out words follow the script memory's rules: a bad text is
// a null one, an out word that is not writable is skipped.
//
// Choices of this program where the commands leave room:
// - 169 answers 1 for a variable word that is no writable script memory (no font is held
//   there) and 3, the variable kept, for a font the device keeps pinned.
// - 185 sets the decoration of an anti-aliased font: mode (0 none, 1 shadow, 2 outline), text
//   colour and decoration colour as 0xRRGGBB words, size the shadow's offset on both axes or
//   the outline's width; 0, or -1 with nothing changed for a mode above 2.
// - 188 turns the measured box placed at (0, 0).
// - 189 formats with the script's printf (the bounded formatter) into at most 511 bytes, cut at
//   a whole character; a refused format draws nothing and gives -1.
// - 194 writes at most 31 bytes and the terminator, less where the destination's region ends;
//   a destination that is no writable script memory raises the script fault.
#pragma once

#include <cstdint>

#include "framework/interfaces/cross_module.h"

std::uint32_t XM_CDECL CmdReleaseAllFonts(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCreateGdiFont(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdCreateAntialiasFont(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdReleaseFont(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetDefaultFont(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetFontFace(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetFontSize(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetFontBold(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetFontEscapement(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetFontQuality(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetFontColour(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetFontDecoration(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetFontDecorationColour(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetFontColourMode(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetFontLineSpacing(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetGdiFontOption(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetGdiFontOption2(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetGlyphCacheCapacity(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdLoadImageGlyphs(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetFontShadow(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdSetFontOutline(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetTextExtent(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetRotatedTextExtent(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdDrawTextFormat(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdDrawTextGdi(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdDrawText(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdDrawTextAntialias(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdEnumerateFonts(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetFontName(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdGetFontNamePointer(std::uint32_t* arguments);
