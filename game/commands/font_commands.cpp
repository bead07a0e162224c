#include "game/commands/font_commands.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "game/commands/command_args.h"
#include "game/commands/command_guard.h"
#include "game/commands/device_command_services.h"
#include "game/commands/file_script_words.h"
#include "game/commands/script_formatter.h"
#include "game/commands/script_string_writer.h"
#include "game/commands/surface_resolution.h"
#include "game/script/script_memory.h"
#include "graphics/device/screen_device.h"
#include "graphics/image/image.h"
#include "graphics/text/antialias_font.h"
#include "graphics/text/default_font.h"
#include "graphics/text/font_list.h"
#include "graphics/text/gdi_font.h"

using command_args::Byte;
using command_args::HandleWord;
using command_args::Int;
using command_args::Result;
using file_script_words::PutOptionalOut;
using file_script_words::Text;

namespace {

#define FONT_COMMAND(name, failure)                             \
    std::uint32_t XM_CDECL name(std::uint32_t* arguments) {      \
        return GuardedCommand<name##Body, failure>(arguments);  \
    }

// The most bytes 189 draws, and the room 194 writes into at most (with the terminator).
constexpr std::size_t kFormatLimit = 511;
constexpr std::size_t kFaceNameRoom = 32;
// A format of 511 bytes cannot use more words than this.
constexpr std::size_t kMostFormatWords = 512;

Font* FontOf(std::uint32_t word) {
    ScreenDevice* const device = CommandScreenDevice();
    return device ? device->FindFont(word) : nullptr;
}

GdiFont* GdiFontOf(Font& font) { return font.Kind() == kFontGdi ? static_cast<GdiFont*>(&font) : nullptr; }
AntialiasFont* AntialiasFontOf(Font& font) {
    return font.Kind() == kFontAntialias ? static_cast<AntialiasFont*>(&font) : nullptr;
}

void PutColour(std::uint8_t (&rgb)[3], const std::uint32_t* words) {
    rgb[0] = Byte(words[0]);
    rgb[1] = Byte(words[1]);
    rgb[2] = Byte(words[2]);
}

void PutPacked(std::uint8_t (&rgb)[3], std::uint32_t colour) {
    rgb[0] = static_cast<std::uint8_t>(colour >> 16);
    rgb[1] = static_cast<std::uint8_t>(colour >> 8);
    rgb[2] = static_cast<std::uint8_t>(colour);
}

// One font's operation; `null` for a word that names no listed font.
template <class Operation>
std::uint32_t OnFont(std::uint32_t word, std::int32_t null, Operation operation) {
    Font* const font = FontOf(word);
    if (!font) return Result(null);
    return Result(operation(*font));
}

// ---- Fonts of the device ----

std::uint32_t CmdReleaseAllFontsBody(std::uint32_t*) {
    if (ScreenDevice* const device = CommandScreenDevice()) device->ReleaseAllFonts();
    return 0;
}

template <std::int32_t (ScreenDevice::*Create)(Font**, const char*, std::int32_t)>
std::uint32_t CreateFontBody(std::uint32_t* w) {
    ScreenDevice* const device = CommandScreenDevice();
    if (!device) return 0;
    Font* font = nullptr;
    if ((device->*Create)(&font, Text(w[0]), Int(w[1])) != 0) return 0;
    return HandleWord(font);
}

std::uint32_t CmdCreateGdiFontBody(std::uint32_t* w) { return CreateFontBody<&ScreenDevice::CreateGdiFont>(w); }
std::uint32_t CmdCreateAntialiasFontBody(std::uint32_t* w) {
    return CreateFontBody<&ScreenDevice::CreateAntialiasFont>(w);
}

std::uint32_t CmdReleaseFontBody(std::uint32_t* w) {
    std::uint32_t held = 0;
    if (!file_script_words::ReadWord(w[0], &held) || held == 0) return 1;
    Font* font = FontOf(held);
    ScreenDevice* const device = CommandScreenDevice();
    if (!font || !device) return 2;
    const std::int32_t code = device->ReleaseFont(&font);
    if (code == 0) script_memory::WriteWord(w[0], 0);
    return Result(code);
}

std::uint32_t CmdSetDefaultFontBody(std::uint32_t* w) {
    Font* const font = FontOf(w[0]);
    if (!font) return 0;
    DefaultFont = font;
    return 1;
}

// ---- Settings ----

std::uint32_t CmdSetFontFaceBody(std::uint32_t* w) {
    return OnFont(w[0], -1, [w](Font& f) { return f.SetFace(Text(w[1])); });
}
std::uint32_t CmdSetFontSizeBody(std::uint32_t* w) {
    return OnFont(w[0], -1, [w](Font& f) { return f.SetSize(Int(w[1])); });
}
std::uint32_t CmdSetFontBoldBody(std::uint32_t* w) {
    return OnFont(w[0], -1, [w](Font& f) { return f.SetBold(Byte(w[1]) != 0, Byte(w[2])); });
}
std::uint32_t CmdSetFontEscapementBody(std::uint32_t* w) {
    return OnFont(w[0], -1, [w](Font& f) { return f.SetEscapement(Int(w[1])); });
}
std::uint32_t CmdSetFontQualityBody(std::uint32_t* w) {
    return OnFont(w[0], 0, [w](Font& f) {
        f.SetLevel(Byte(w[1]));
        return 1;
    });
}
std::uint32_t CmdSetFontColourBody(std::uint32_t* w) {
    return OnFont(w[0], 0, [w](Font& f) {
        PutColour(f.colour, w + 1);
        return 1;
    });
}
std::uint32_t CmdSetFontDecorationBody(std::uint32_t* w) {
    return OnFont(w[0], 0, [w](Font& f) {
        f.effect = Byte(w[1]);
        f.effectOffsetX = Int(w[2]);
        f.effectOffsetY = Int(w[3]);
        return 1;
    });
}
std::uint32_t CmdSetFontDecorationColourBody(std::uint32_t* w) {
    return OnFont(w[0], 0, [w](Font& f) {
        PutColour(f.effectColour, w + 1);
        return 1;
    });
}
std::uint32_t CmdSetFontColourModeBody(std::uint32_t* w) {
    return OnFont(w[0], 0, [w](Font& f) {
        if (GdiFont* const gdi = GdiFontOf(f)) {
            gdi->SetBackground(Byte(w[1]), Byte(w[2]), Byte(w[3]), Byte(w[4]));
        } else {
            PutColour(f.background, w + 2);
        }
        return 1;
    });
}
std::uint32_t CmdSetFontLineSpacingBody(std::uint32_t* w) {
    return OnFont(w[0], 0, [w](Font& f) {
        f.lineSpacing = Int(w[1]);
        return 1;
    });
}

// ---- Settings of one kind ----

std::uint32_t CmdSetGdiFontOptionBody(std::uint32_t* w) {
    return OnFont(w[0], -1, [w](Font& f) {
        GdiFont* const gdi = GdiFontOf(f);
        return gdi ? gdi->SetOption(Byte(w[1]), Byte(w[2])) : -2;
    });
}
std::uint32_t CmdSetGdiFontOption2Body(std::uint32_t* w) {
    return OnFont(w[0], -1, [w](Font& f) {
        GdiFont* const gdi = GdiFontOf(f);
        return gdi ? gdi->SetOption2(Byte(w[1])) : -2;
    });
}
std::uint32_t CmdSetGlyphCacheCapacityBody(std::uint32_t* w) {
    return OnFont(w[0], 0, [w](Font& f) {
        AntialiasFont* const font = AntialiasFontOf(f);
        if (!font) return 0;
        font->SetGlyphCacheCapacity(w[1]);
        return 1;
    });
}
std::uint32_t CmdLoadImageGlyphsBody(std::uint32_t* w) {
    return OnFont(w[0], -1, [w](Font& f) {
        AntialiasFont* const font = AntialiasFontOf(f);
        if (!font) return -2;
        const char* const file = Text(w[1]);
        // A missing name is a file that does not load.
        if (!file) return 1;
        return font->LoadImageGlyphs(file, Int(w[2]), Int(w[3]), Int(w[4]), Byte(w[5]));
    });
}

// The shadow setting of an anti-aliased font (see the header).
std::int32_t SetShadow(AntialiasFont& font, std::uint32_t mode, std::uint32_t textColour, std::uint32_t effectColour,
                       std::int32_t size) {
    if (mode > 2) return -1;
    font.effect = static_cast<std::uint8_t>(mode);
    PutPacked(font.colour, textColour);
    PutPacked(font.effectColour, effectColour);
    if (mode == 1) {
        font.effectOffsetX = size;
        font.effectOffsetY = size;
    } else if (mode == 2) {
        font.outlineWidth = size;
    }
    return 0;
}

std::uint32_t CmdSetFontShadowBody(std::uint32_t* w) {
    return OnFont(w[0], -1, [w](Font& f) {
        AntialiasFont* const font = AntialiasFontOf(f);
        return font ? SetShadow(*font, w[1], w[2], w[3], 1) : -2;
    });
}
std::uint32_t CmdSetFontOutlineBody(std::uint32_t* w) {
    return OnFont(w[0], 0, [w](Font& f) {
        AntialiasFont* const font = AntialiasFontOf(f);
        if (!font) return 0;
        font->SetOutline(Int(w[1]), Int(w[2]));
        return 1;
    });
}

// ---- Measures ----

std::uint32_t CmdGetTextExtentBody(std::uint32_t* w) {
    return OnFont(w[0], -1, [w](Font& f) {
        std::int32_t size[2] = {0, 0};
        std::int32_t x = 0;
        std::int32_t y = 0;
        const std::int32_t answer = f.TextExtent(Text(w[1]), size, &x, &y, true, nullptr);
        if (answer != 0) {
            PutOptionalOut(w[2], size[0]);
            PutOptionalOut(w[3], size[1]);
            PutOptionalOut(w[4], x);
            PutOptionalOut(w[5], y);
        }
        return answer;
    });
}

std::uint32_t CmdGetRotatedTextExtentBody(std::uint32_t* w) {
    return OnFont(w[0], -1, [w](Font& f) {
        std::int32_t size[2] = {0, 0};
        const std::int32_t answer = f.TextExtent(Text(w[1]), size, nullptr, nullptr, true, nullptr);
        if (answer != 0) {
            RECT bounds = {};
            f.GetRotatedTextBounds(&bounds, 0, 0, size[0], size[1]);
            PutOptionalOut(w[2], static_cast<std::int32_t>(bounds.right - bounds.left));
            PutOptionalOut(w[3], static_cast<std::int32_t>(bounds.bottom - bounds.top));
            PutOptionalOut(w[4], static_cast<std::int32_t>(bounds.left));
            PutOptionalOut(w[5], static_cast<std::int32_t>(bounds.top));
        }
        return answer;
    });
}

// ---- Text on images ----

std::uint32_t CmdDrawTextFormatBody(std::uint32_t* w) {
    Image* const image = ImageOfSurface(w[0]);
    const char* const format = Text(w[3]);
    if (!image || !format) return Result(-1);
    const std::size_t wordCount = script_memory::ArgumentWords(w, 4, kMostFormatWords);
    std::string text;
    if (!FormatScriptText(format, w + 4, wordCount, kFormatLimit, text)) return Result(-1);
    text.resize(WholeCharacterPrefix(text.data(), text.size(), kFormatLimit));
    return Result(image->DrawTextGdi(Int(w[1]), Int(w[2]), text.c_str(), nullptr));
}

template <std::int32_t (Image::*Draw)(std::int32_t, std::int32_t, const char*, Font*)>
std::uint32_t DrawTextBody(std::uint32_t* w) {
    Image* const image = ImageOfSurface(w[0]);
    if (!image) return Result(-1);
    // No listed font: the default one.
    return Result((image->*Draw)(Int(w[1]), Int(w[2]), Text(w[3]), FontOf(w[4])));
}

std::uint32_t CmdDrawTextGdiBody(std::uint32_t* w) { return DrawTextBody<&Image::DrawTextGdi>(w); }
std::uint32_t CmdDrawTextBody(std::uint32_t* w) { return DrawTextBody<&Image::DrawText>(w); }
std::uint32_t CmdDrawTextAntialiasBody(std::uint32_t* w) { return DrawTextBody<&Image::DrawTextAntialias>(w); }

// ---- Font list ----

std::uint32_t CmdEnumerateFontsBody(std::uint32_t* w) {
    FontList* const list = CommandFontList();
    const HWND window = CommandDeviceSettings()->MainWindow();
    const HDC dc = GetDC(window);
    if (!dc) return 0;
    const std::int32_t count = list->Enumerate(dc, Byte(w[0]), Byte(w[1]));
    ReleaseDC(window, dc);
    return Result(count);
}

const char* FaceAt(std::uint32_t index) {
    FontList* const list = CommandFontList();
    if (index >= static_cast<std::uint32_t>(list->Count())) return nullptr;
    return list->At(static_cast<std::int32_t>(index)).lfFaceName;
}

std::uint32_t CmdGetFontNameBody(std::uint32_t* w) {
    const char* const face = FaceAt(w[0]);
    const char* const text = face ? face : "";
    if (w[1] != 0 && WriteScriptString(w[1], text, strnlen(text, LF_FACESIZE - 1), kFaceNameRoom) < 0) {
        file_script_words::Fault();
    }
    return face ? 1 : 0;
}

std::uint32_t CmdGetFontNamePointerBody(std::uint32_t* w) {
    const char* const face = FaceAt(w[0]);
    return face ? file_script_words::AddressWord(face) : 0;
}

}  // namespace

FONT_COMMAND(CmdReleaseAllFonts, 0)
FONT_COMMAND(CmdCreateGdiFont, 0)
FONT_COMMAND(CmdCreateAntialiasFont, 0)
FONT_COMMAND(CmdReleaseFont, 2)
FONT_COMMAND(CmdSetDefaultFont, 0)
FONT_COMMAND(CmdSetFontFace, -1)
FONT_COMMAND(CmdSetFontSize, -1)
FONT_COMMAND(CmdSetFontBold, -1)
FONT_COMMAND(CmdSetFontEscapement, -1)
FONT_COMMAND(CmdSetFontQuality, 0)
FONT_COMMAND(CmdSetFontColour, 0)
FONT_COMMAND(CmdSetFontDecoration, 0)
FONT_COMMAND(CmdSetFontDecorationColour, 0)
FONT_COMMAND(CmdSetFontColourMode, 0)
FONT_COMMAND(CmdSetFontLineSpacing, 0)
FONT_COMMAND(CmdSetGdiFontOption, -1)
FONT_COMMAND(CmdSetGdiFontOption2, -1)
FONT_COMMAND(CmdSetGlyphCacheCapacity, 0)
FONT_COMMAND(CmdLoadImageGlyphs, -1)
FONT_COMMAND(CmdSetFontShadow, -1)
FONT_COMMAND(CmdSetFontOutline, 0)
FONT_COMMAND(CmdGetTextExtent, -1)
FONT_COMMAND(CmdGetRotatedTextExtent, -1)
FONT_COMMAND(CmdDrawTextFormat, -1)
FONT_COMMAND(CmdDrawTextGdi, -1)
FONT_COMMAND(CmdDrawText, -1)
FONT_COMMAND(CmdDrawTextAntialias, -1)
FONT_COMMAND(CmdEnumerateFonts, 0)
FONT_COMMAND(CmdGetFontName, kFailWithScriptFault)
FONT_COMMAND(CmdGetFontNamePointer, 0)
