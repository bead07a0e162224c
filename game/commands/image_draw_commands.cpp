#include "game/commands/image_draw_commands.h"

#include "game/commands/command_args.h"
#include "game/commands/command_guard.h"
#include "game/commands/command_services.h"
#include "game/commands/file_script_words.h"
#include "game/commands/image_draw_forms.h"
#include "game/commands/surface_resolution.h"
#include "graphics/image/image.h"
#include "graphics/interfaces/graphics_object_lookup.h"
#include "graphics/interfaces/surface.h"

using command_args::Byte;
using command_args::Int;
using command_args::Result;
using file_script_words::ReadableBytes;
using file_script_words::Text;
using image_draw_forms::PackColour;
using image_draw_forms::ReadRegion;

namespace {

#define IMAGE_COMMAND(name, failure)                            \
    std::uint32_t XM_CDECL name(std::uint32_t* arguments) {      \
        return GuardedCommand<name##Body, failure>(arguments);  \
    }

// A software image (surface kind 4) and only that; screens' back buffers are not served.
Image* SoftwareImage(std::uint32_t word) {
    GraphicsObjectLookup* const lookup = Services().graphics;
    Surface* const surface = lookup ? lookup->FindSurface(word) : nullptr;
    if (!surface || surface->Kind() != kSurfacePixelBuffer) return nullptr;
    return ImageOfSurface(word);
}

// The operation's status on the image the word names, or null's value without one.
template <class Operation>
std::uint32_t OnImage(std::uint32_t word, std::int32_t null, Operation operation) {
    Image* const image = ImageOfSurface(word);
    if (!image) return Result(null);
    return Result(static_cast<std::int32_t>(operation(*image)));
}

// For the operations that answer a boolean: 1 or 0, and 0 without an image.
template <class Operation>
std::uint32_t OnImageBool(std::uint32_t word, Operation operation) {
    Image* const image = ImageOfSurface(word);
    return image && operation(*image) ? 1 : 0;
}

std::uint16_t Half(std::uint32_t word) { return static_cast<std::uint16_t>(word & 0xFFFF); }
std::int16_t SignedHalf(std::uint32_t word) { return static_cast<std::int16_t>(word & 0xFFFF); }

std::uint32_t CmdConvertImageDepthBody(std::uint32_t* w) {
    Image* const image = SoftwareImage(w[0]);
    return image ? Result(image->ConvertDepth(Byte(w[1]))) : Result(-1);
}

std::uint32_t CmdSaveImageBody(std::uint32_t* w) {
    Image* const image = ImageOfSurface(w[0]);
    if (!image) return Result(-1);
    const char* const name = Text(w[1]);
    if (!name) return 1;
    return Result(image->SaveFile(name, Int(w[3]), Byte(w[2])));
}

std::uint32_t CmdImageHasAlphaBody(std::uint32_t* w) {
    Image* const image = SoftwareImage(w[0]);
    return image && image->HasAlpha() ? 1 : 0;
}

std::uint32_t CmdDecodeImageFileBody(std::uint32_t* w) {
    Image* const image = ImageOfSurface(w[0]);
    if (!image) return Result(-2);
    const char* const name = Text(w[1]);
    if (!name) return 2;
    return Result(image->Decode(name, nullptr, 0, Int(w[2]), Int(w[3]), Byte(w[4]) != 0));
}

std::uint32_t CmdDecodeImageMemoryBody(std::uint32_t* w) {
    Image* const image = ImageOfSurface(w[0]);
    if (!image) return Result(-2);
    // The decoder takes a signed size: a range it would read as negative is no range.
    const void* const data = Int(w[2]) > 0 ? ReadableBytes(w[1], w[2]) : nullptr;
    if (!data) return 2;
    return Result(image->Decode(nullptr, static_cast<const std::uint8_t*>(data), Int(w[2]), Int(w[3]), Int(w[4]),
                                Byte(w[5]) != 0));
}

std::uint32_t CmdFillImageRectBody(std::uint32_t* w) {
    const RECT rect{Int(w[1]), Int(w[2]), Int(w[3]), Int(w[4])};
    return OnImageBool(w[0], [&](Image& i) { return i.FillRect(Int(w[5]), Int(w[6]), Int(w[7]), &rect); });
}

std::uint32_t CmdFillImageValueBody(std::uint32_t* w) {
    const auto region = ReadRegion(w + 2);
    return OnImageBool(w[0], [&](Image& i) { return i.FillValue(w[1], region.Rect()); });
}

std::uint32_t CmdFillImageColourKeepAlphaBody(std::uint32_t* w) {
    const auto region = ReadRegion(w + 4);
    return OnImageBool(w[0], [&](Image& i) { return i.FillColourKeepAlpha(Int(w[1]), Int(w[2]), Int(w[3]), region.Rect()); });
}

std::uint32_t CmdSetImageAlphaBody(std::uint32_t* w) {
    const auto region = ReadRegion(w + 2);
    return OnImage(w[0], -1, [&](Image& i) { return i.SetAlpha(Byte(w[1]), region.Rect()); });
}

std::uint32_t CmdSetAllAlphaBody(std::uint32_t* w) {
    Image* const image = ImageOfSurface(w[0]);
    if (!image) return 1;
    if (image->Depth() != 32 || !image->Bits()) return 2;
    SetAllAlpha(image, Byte(w[1]));
    return 0;
}

std::uint32_t CmdSetPixelBody(std::uint32_t* w) {
    return OnImageBool(w[0], [&](Image& i) { return i.SetPixel(Int(w[1]), Int(w[2]), w[3]); });
}

std::uint32_t CmdGetPixelBody(std::uint32_t* w) {
    return OnImage(w[0], -1, [&](Image& i) { return i.GetPixel(Int(w[1]), Int(w[2])); });
}

std::uint32_t CmdFindPaletteIndexBody(std::uint32_t* w) {
    return OnImage(w[0], -1, [&](Image& i) { return i.FindPaletteIndex(Int(w[1]), Int(w[2]), Int(w[3])); });
}

std::uint32_t CmdCopyPaletteBody(std::uint32_t* w) {
    Image* const source = ImageOfSurface(w[1]);
    if (!source) return 0;
    return OnImageBool(w[0], [&](Image& i) { return i.CopyPalette(source); });
}

std::uint32_t CmdSetPaletteEntryBody(std::uint32_t* w) {
    const std::uint32_t colour = PackColour(w[2], w[3], w[4]);
    return OnImageBool(w[0], [&](Image& i) { return i.SetPaletteEntry(Byte(w[1]), colour, Byte(w[5]) != 0); });
}

std::uint32_t CmdSetPaletteRangeBody(std::uint32_t* w) {
    const std::uint32_t colour = PackColour(w[1], w[2], w[3]);
    return OnImageBool(w[0], [&](Image& i) { return i.FillPalette(colour, Byte(w[4]) != 0); });
}

std::uint32_t CmdApplyBrightnessBody(std::uint32_t* w) {
    const auto region = ReadRegion(w + 2);
    return OnImageBool(w[0], [&](Image& i) { return i.ApplyBrightness(Half(w[1]), region.Rect()) != 0; });
}

std::uint32_t CmdFillAlphaBody(std::uint32_t* w) {
    const auto region = ReadRegion(w + 5);
    return OnImage(w[0], -1, [&](Image& i) { return i.FillAlpha(Byte(w[1]), Byte(w[2]), Byte(w[3]), Byte(w[4]), region.Rect()); });
}

std::uint32_t CmdFillAddBody(std::uint32_t* w) {
    const auto region = ReadRegion(w + 4);
    return OnImage(w[0], -1, [&](Image& i) { return i.FillAdd(Byte(w[1]), Byte(w[2]), Byte(w[3]), region.Rect()); });
}

std::uint32_t CmdFillSubtractBody(std::uint32_t* w) {
    const auto region = ReadRegion(w + 4);
    return OnImage(w[0], -1, [&](Image& i) { return i.FillSubtract(Byte(w[1]), Byte(w[2]), Byte(w[3]), region.Rect()); });
}

std::uint32_t CmdFillColourWithAlphaBody(std::uint32_t* w) {
    const auto region = ReadRegion(w + 4);
    return OnImage(w[0], -1, [&](Image& i) { return i.FillColourWithAlpha(w[1], Byte(w[2]), w[3], region.Rect()); });
}

std::uint32_t CmdGreyscaleBody(std::uint32_t* w) {
    const auto region = ReadRegion(w + 1);
    return OnImage(w[0], -1, [&](Image& i) { return i.Greyscale(region.Rect()); });
}

std::uint32_t CmdColourBalanceBody(std::uint32_t* w) {
    const auto region = ReadRegion(w + 7);
    return OnImage(w[0], -1, [&](Image& i) {
        return i.ColourBalance(Half(w[1]), Half(w[2]), Half(w[3]), SignedHalf(w[4]), SignedHalf(w[5]), SignedHalf(w[6]),
                               region.Rect());
    });
}

std::uint32_t CmdInvertBody(std::uint32_t* w) {
    const auto region = ReadRegion(w + 2);
    return OnImage(w[0], -1, [&](Image& i) { return i.Invert(Byte(w[1]), region.Rect()); });
}

std::uint32_t CmdBlurBody(std::uint32_t* w) {
    const auto region = ReadRegion(w + 2);
    return OnImage(w[0], -1, [&](Image& i) { return i.Blur(Byte(w[1]), region.Rect()); });
}

std::uint32_t CmdMosaicBody(std::uint32_t* w) {
    const auto region = ReadRegion(w + 3);
    return OnImage(w[0], -1, [&](Image& i) { return i.Mosaic(w[1], Byte(w[2]), region.Rect()); });
}

std::uint32_t CmdTransformColoursBody(std::uint32_t* w) {
    const auto region = ReadRegion(w + 8);
    return OnImage(w[0], -2, [&](Image& i) {
        return i.TransformBlit(Byte(w[1]), PackColour(w[2], w[3], w[4]),
                               PackColour(w[5], w[6], w[7]), region.Rect());
    });
}

std::uint32_t CmdAlphaLevelBody(std::uint32_t* w) {
    const auto region = ReadRegion(w + 2);
    return OnImageBool(w[0], [&](Image& i) { return i.AlphaLevel(Half(w[1]), region.Rect()); });
}

std::uint32_t CmdAlphaBalanceBody(std::uint32_t* w) {
    const auto region = ReadRegion(w + 3);
    return OnImageBool(w[0], [&](Image& i) { return i.AlphaBalance(Half(w[1]), SignedHalf(w[2]), region.Rect()); });
}

std::uint32_t CmdBoxBlurBody(std::uint32_t* w) {
    const auto region = ReadRegion(w + 4);
    return OnImage(w[0], -1, [&](Image& i) { return i.BoxBlur(Int(w[1]), Int(w[2]), region.Rect(), Byte(w[3])); });
}

std::uint32_t CmdFlipVerticalBody(std::uint32_t* w) {
    const auto region = ReadRegion(w + 1);
    return OnImage(w[0], -1, [&](Image& i) { return i.FlipVertical(region.Rect()); });
}

std::uint32_t CmdFlipHorizontalBody(std::uint32_t* w) {
    const auto region = ReadRegion(w + 1);
    return OnImage(w[0], -1, [&](Image& i) { return i.FlipHorizontal(region.Rect()); });
}

std::uint32_t CmdConvertAdditiveAlphaBody(std::uint32_t* w) {
    return OnImageBool(w[0], [&](Image& i) { return i.ConvertAdditiveAlpha(w[1] != 0); });
}

std::uint32_t CmdBlendColourUnderBody(std::uint32_t* w) {
    return OnImageBool(w[0], [&](Image& i) { return i.BlendColourUnder(w[1]); });
}

std::uint32_t CmdKeyColourToAlphaBody(std::uint32_t* w) {
    return OnImageBool(w[0], [&](Image& i) { return i.KeyColourToAlpha(w[1]); });
}

}  // namespace

IMAGE_COMMAND(CmdConvertImageDepth, -1)
IMAGE_COMMAND(CmdSaveImage, -1)
IMAGE_COMMAND(CmdImageHasAlpha, 0)
IMAGE_COMMAND(CmdDecodeImageFile, -2)
IMAGE_COMMAND(CmdDecodeImageMemory, -2)
IMAGE_COMMAND(CmdFillImageRect, 0)
IMAGE_COMMAND(CmdFillImageValue, 0)
IMAGE_COMMAND(CmdFillImageColourKeepAlpha, 0)
IMAGE_COMMAND(CmdSetImageAlpha, -1)
IMAGE_COMMAND(CmdSetAllAlpha, 1)
IMAGE_COMMAND(CmdSetPixel, 0)
IMAGE_COMMAND(CmdGetPixel, -1)
IMAGE_COMMAND(CmdFindPaletteIndex, -1)
IMAGE_COMMAND(CmdCopyPalette, 0)
IMAGE_COMMAND(CmdSetPaletteEntry, 0)
IMAGE_COMMAND(CmdSetPaletteRange, 0)
IMAGE_COMMAND(CmdApplyBrightness, 0)
IMAGE_COMMAND(CmdFillAlpha, -1)
IMAGE_COMMAND(CmdFillAdd, -1)
IMAGE_COMMAND(CmdFillSubtract, -1)
IMAGE_COMMAND(CmdFillColourWithAlpha, -1)
IMAGE_COMMAND(CmdGreyscale, -1)
IMAGE_COMMAND(CmdColourBalance, -1)
IMAGE_COMMAND(CmdInvert, -1)
IMAGE_COMMAND(CmdBlur, -1)
IMAGE_COMMAND(CmdMosaic, -1)
IMAGE_COMMAND(CmdTransformColours, -2)
IMAGE_COMMAND(CmdAlphaLevel, 0)
IMAGE_COMMAND(CmdAlphaBalance, 0)
IMAGE_COMMAND(CmdBoxBlur, -1)
IMAGE_COMMAND(CmdFlipVertical, -1)
IMAGE_COMMAND(CmdFlipHorizontal, -1)
IMAGE_COMMAND(CmdConvertAdditiveAlpha, 0)
IMAGE_COMMAND(CmdBlendColourUnder, 0)
IMAGE_COMMAND(CmdKeyColourToAlpha, 0)
