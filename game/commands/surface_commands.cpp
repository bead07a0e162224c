#include "game/commands/surface_commands.h"

#include "game/commands/command_args.h"
#include "game/commands/command_guard.h"
#include "game/commands/file_script_words.h"
#include "game/commands/screen_command_services.h"
#include "game/commands/surface_resolution.h"
#include "game/script/script_memory.h"
#include "graphics/device/screen_device.h"
#include "graphics/image/image.h"
#include "graphics/interfaces/texture.h"
#include "graphics/surfaces/direct_draw_image.h"
#include "graphics/surfaces/direct_draw_screen.h"
#include "graphics/surfaces/gdi_screen.h"
#include "graphics/text/text_bitmap_image.h"

using command_args::Bool;
using command_args::Byte;
using command_args::HandleWord;
using command_args::Int;
using command_args::Result;
using file_script_words::ReadableBytes;
using file_script_words::Text;

namespace {

#define SURFACE_COMMAND(name, failure)                          \
    std::uint32_t XM_CDECL name(std::uint32_t* arguments) {      \
        return GuardedCommand<name##Body, failure>(arguments);  \
    }

ScreenDevice* Device() { return CommandScreenDevice(); }

Surface* FindSurface(std::uint32_t word) {
    ScreenDevice* const device = Device();
    return device ? device->FindSurface(word) : nullptr;
}

// Null for 0 and for a word of no live font: the device then makes the text with its default.
Font* FindFont(std::uint32_t word) {
    ScreenDevice* const device = Device();
    return device ? device->FindFont(word) : nullptr;
}

const std::uint8_t* Data(std::uint32_t word, std::uint32_t size) {
    return static_cast<const std::uint8_t*>(ReadableBytes(word, size));
}

// Scripts hold a texture by its texture face, every other surface by its Surface face.
std::uint32_t FaceWord(Texture* texture) { return HandleWord(texture); }
template <class Object>
std::uint32_t FaceWord(Object* surface) {
    return HandleWord(static_cast<Surface*>(surface));
}

// The word of what a creation made: the object (as the face scripts hold) when the device
// answered 0, else 0.
template <class Object, class Create>
std::uint32_t Made(Create create) {
    ScreenDevice* const device = Device();
    if (!device) return 0;
    Object* made = nullptr;
    if (create(*device, &made) != 0 || !made) return 0;
    return FaceWord(made);
}

// ---- Creation ----

std::uint32_t CmdCreateDirectDrawImageBody(std::uint32_t* w) {
    return Made<DirectDrawImage>([w](ScreenDevice& d, DirectDrawImage** out) {
        return d.CreateDirectDrawImage(out, Int(w[0]), Int(w[1]), 0);
    });
}

std::uint32_t CmdLoadDirectDrawImageBody(std::uint32_t* w) {
    const char* const name = Text(w[0]);
    if (!name) return 0;
    return Made<DirectDrawImage>([name](ScreenDevice& d, DirectDrawImage** out) {
        return d.LoadDirectDrawImage(out, name, nullptr, 0, 0);
    });
}

std::uint32_t CmdLoadDirectDrawImageFromMemoryBody(std::uint32_t* w) {
    const std::uint8_t* const data = Data(w[0], w[1]);
    if (!data) return 0;
    return Made<DirectDrawImage>([data, w](ScreenDevice& d, DirectDrawImage** out) {
        return d.LoadDirectDrawImage(out, nullptr, data, w[1], 0);
    });
}

std::uint32_t CmdCreateTextBitmapBody(std::uint32_t* w) {
    const char* const text = Text(w[0]);
    if (!text) return 0;
    Font* const font = FindFont(w[1]);
    return Made<TextBitmapImage>([text, font](ScreenDevice& d, TextBitmapImage** out) {
        return d.CreateTextBitmap(out, text, font);
    });
}

std::uint32_t CmdCreateDirectDrawScreenBody(std::uint32_t* w) {
    return Made<DirectDrawScreen>([w](ScreenDevice& d, DirectDrawScreen** out) {
        return d.CreateDirectDrawScreen(out, Int(w[0]), Int(w[1]), Byte(w[2]), Byte(w[3]));
    });
}

std::uint32_t CmdLoadTextureImageBody(std::uint32_t* w) {
    const char* const name = Text(w[1]);
    if (!name) return 0;
    return Made<Texture>([name, w](ScreenDevice& d, Texture** out) {
        return d.CreateTextureImage(out, Int(w[0]), name, nullptr, 0, 0);
    });
}

std::uint32_t CmdLoadTextureImageFromMemoryBody(std::uint32_t* w) {
    const std::uint8_t* const data = Data(w[1], w[2]);
    if (!data) return 0;
    return Made<Texture>([data, w](ScreenDevice& d, Texture** out) {
        return d.CreateTextureImage(out, Int(w[0]), nullptr, data, w[2], 0);
    });
}

std::uint32_t CmdCreateTextureTextBody(std::uint32_t* w) {
    const char* const text = Text(w[0]);
    if (!text) return 0;
    Font* const font = FindFont(w[1]);
    return Made<Texture>([text, font, w](ScreenDevice& d, Texture** out) {
        return d.CreateTextureText(out, font, text, Int(w[2]));
    });
}

std::uint32_t CmdCreateTextureScreenBody(std::uint32_t* w) {
    return Made<Texture>([w](ScreenDevice& d, Texture** out) {
        return d.CreateTextureScreen(out, Int(w[0]), Int(w[1]), Int(w[2]), Byte(w[3]), Byte(w[4]), 0);
    });
}

std::uint32_t CmdCreateImageBody(std::uint32_t* w) {
    return Made<Image>([w](ScreenDevice& d, Image** out) {
        return d.CreateImage(out, Int(w[0]), Int(w[1]), Byte(w[2]), Byte(w[3]));
    });
}

std::uint32_t CmdLoadImageBody(std::uint32_t* w) {
    const char* const name = Text(w[0]);
    if (!name) return 0;
    return Made<Image>([name, w](ScreenDevice& d, Image** out) { return d.LoadImage(out, name, nullptr, 0, Byte(w[1])); });
}

std::uint32_t CmdLoadIndexedImageBody(std::uint32_t* w) {
    const char* const name = Text(w[0]);
    if (!name) return 0;
    return Made<Image>([name, w](ScreenDevice& d, Image** out) {
        return d.LoadIndexedImage(out, name, nullptr, 0, Byte(w[1]));
    });
}

// The image loaders take a signed size: a range they would read as negative is refused here.
bool ImageRange(const std::uint32_t* w, const std::uint8_t** data) {
    if (Int(w[1]) < 0) return false;
    *data = Data(w[0], w[1]);
    return *data != nullptr;
}

std::uint32_t CmdLoadImageFromMemoryBody(std::uint32_t* w) {
    const std::uint8_t* data = nullptr;
    if (!ImageRange(w, &data)) return 0;
    return Made<Image>([data, w](ScreenDevice& d, Image** out) {
        return d.LoadImage(out, nullptr, data, Int(w[1]), Byte(w[2]));
    });
}

std::uint32_t CmdLoadIndexedImageFromMemoryBody(std::uint32_t* w) {
    const std::uint8_t* data = nullptr;
    if (!ImageRange(w, &data)) return 0;
    return Made<Image>([data, w](ScreenDevice& d, Image** out) {
        return d.LoadIndexedImage(out, nullptr, data, Int(w[1]), Byte(w[2]));
    });
}

std::uint32_t CmdCreateImageFromTextBody(std::uint32_t* w) {
    const char* const text = Text(w[0]);
    if (!text) return 0;
    Font* const font = FindFont(w[1]);
    return Made<Image>([text, font, w](ScreenDevice& d, Image** out) {
        return d.CreateImageFromText(out, text, font, Byte(w[2]));
    });
}

std::uint32_t CmdCopyImageBody(std::uint32_t* w) {
    ScreenDevice* const device = Device();
    const Image* const source = device ? device->FindImage(w[0]) : nullptr;
    if (!source) return 0;
    return Made<Image>([source, w](ScreenDevice& d, Image** out) { return d.CopyImage(out, source, Byte(w[1])); });
}

std::uint32_t CmdCreateGdiScreenBody(std::uint32_t* w) {
    return Made<GdiScreen>([w](ScreenDevice& d, GdiScreen** out) {
        return d.CreateGdiScreen(out, Int(w[0]), Int(w[1]), Byte(w[2]), Byte(w[3]));
    });
}

std::uint32_t CmdCreateGdiScreenSimpleBody(std::uint32_t* w) {
    return Made<MemoryScreen>([w](ScreenDevice& d, MemoryScreen** out) {
        return d.CreateGdiScreenSimple(out, Int(w[0]), Int(w[1]), Byte(w[2]), Byte(w[3]));
    });
}

// ---- Queries and settings ----

std::uint32_t CmdSetImageDirtyTrackingBody(std::uint32_t* w) {
    ScreenDevice* const device = Device();
    Image* const image = device ? device->FindImage(w[0]) : nullptr;
    if (!image) return 0;
    image->SetRecordingDirty(Bool(w[1]));
    return 1;
}

std::uint32_t CmdGetGameScreenBody(std::uint32_t*) {
    ScreenDevice* const device = Device();
    GdiScreen* const screen = device ? device->GameImage() : nullptr;
    return screen ? HandleWord(static_cast<Surface*>(screen)) : 0;
}

std::uint32_t CmdSetGameScreenBody(std::uint32_t* w) {
    Surface* const surface = FindSurface(w[0]);
    if (!surface || surface->Kind() != kSurfaceGdiScreen) return 1;
    return Result(Device()->AttachGameImage(static_cast<GdiScreen*>(surface)));
}

std::uint32_t CmdReleaseSurfaceBody(std::uint32_t* w) {
    std::uint32_t word = 0;
    if (!file_script_words::ReadWord(w[0], &word) || word == 0) return 1;
    Surface* const surface = FindSurface(word);
    if (!surface) return 2;
    const std::int32_t code = Device()->ReleaseImage(surface);
    if (code == 0) script_memory::WriteWord(w[0], 0);
    return Result(code);
}

template <class Operation>
std::uint32_t OnSurface(std::uint32_t word, std::int32_t null, Operation operation) {
    Surface* const surface = FindSurface(word);
    if (!surface) return Result(null);
    return Result(operation(*surface));
}

std::uint32_t CmdGetSurfaceWidthBody(std::uint32_t* w) {
    return OnSurface(w[0], 0, [](Surface& s) { return s.Width(); });
}
std::uint32_t CmdGetSurfaceHeightBody(std::uint32_t* w) {
    return OnSurface(w[0], 0, [](Surface& s) { return s.Height(); });
}
std::uint32_t CmdSetColourKeyFromPixelBody(std::uint32_t* w) {
    return OnSurface(w[0], -1, [w](Surface& s) { return s.SetColourKeyFromPixel(Int(w[1]), Int(w[2])); });
}
std::uint32_t CmdSetColourKeyBody(std::uint32_t* w) {
    return OnSurface(w[0], -1, [w](Surface& s) { return s.SetColourKeyRgb(Int(w[1]), Int(w[2]), Int(w[3])); });
}
std::uint32_t CmdClearColourKeyBody(std::uint32_t* w) {
    return OnSurface(w[0], -1, [](Surface& s) { return s.ClearColourKey(); });
}
std::uint32_t CmdGetSurfaceOriginXBody(std::uint32_t* w) {
    return OnSurface(w[0], 0, [](Surface& s) { return s.OriginX(); });
}
std::uint32_t CmdGetSurfaceOriginYBody(std::uint32_t* w) {
    return OnSurface(w[0], 0, [](Surface& s) { return s.OriginY(); });
}

std::uint32_t CmdFillSurfaceBody(std::uint32_t* w) {
    Surface* const surface = FindSurface(w[0]);
    if (!surface) return Result(-1);
    if (surface->Kind() == kSurfaceDirectDrawImage)
        return Result(static_cast<DirectDrawImage*>(surface)->FillColour(Int(w[1]), Int(w[2]), Int(w[3])));
    // Software images and the screens' back buffers; the other kinds are not filled here.
    Image* const image = ImageOfSurface(w[0]);
    if (!image) return Result(-1);
    return image->FillRect(Int(w[1]), Int(w[2]), Int(w[3]), nullptr) ? 0 : 1;
}

}  // namespace

SURFACE_COMMAND(CmdCreateDirectDrawImage, 0)
SURFACE_COMMAND(CmdLoadDirectDrawImage, 0)
SURFACE_COMMAND(CmdLoadDirectDrawImageFromMemory, 0)
SURFACE_COMMAND(CmdCreateTextBitmap, 0)
SURFACE_COMMAND(CmdCreateDirectDrawScreen, 0)
SURFACE_COMMAND(CmdLoadTextureImage, 0)
SURFACE_COMMAND(CmdLoadTextureImageFromMemory, 0)
SURFACE_COMMAND(CmdCreateTextureText, 0)
SURFACE_COMMAND(CmdCreateTextureScreen, 0)
SURFACE_COMMAND(CmdCreateImage, 0)
SURFACE_COMMAND(CmdLoadImage, 0)
SURFACE_COMMAND(CmdLoadIndexedImage, 0)
SURFACE_COMMAND(CmdLoadImageFromMemory, 0)
SURFACE_COMMAND(CmdLoadIndexedImageFromMemory, 0)
SURFACE_COMMAND(CmdCreateImageFromText, 0)
SURFACE_COMMAND(CmdCopyImage, 0)
SURFACE_COMMAND(CmdCreateGdiScreen, 0)
SURFACE_COMMAND(CmdCreateGdiScreenSimple, 0)
SURFACE_COMMAND(CmdSetImageDirtyTracking, 0)
SURFACE_COMMAND(CmdGetGameScreen, 0)
SURFACE_COMMAND(CmdSetGameScreen, 1)
SURFACE_COMMAND(CmdReleaseSurface, 1)
SURFACE_COMMAND(CmdGetSurfaceWidth, 0)
SURFACE_COMMAND(CmdGetSurfaceHeight, 0)
SURFACE_COMMAND(CmdSetColourKeyFromPixel, -1)
SURFACE_COMMAND(CmdSetColourKey, -1)
SURFACE_COMMAND(CmdClearColourKey, -1)
SURFACE_COMMAND(CmdGetSurfaceOriginX, 0)
SURFACE_COMMAND(CmdGetSurfaceOriginY, 0)
SURFACE_COMMAND(CmdFillSurface, -1)
