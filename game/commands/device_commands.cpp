#include "game/commands/device_commands.h"

#include "framework/images/image_loader_host.h"
#include "game/commands/command_args.h"
#include "game/commands/command_guard.h"
#include "game/commands/device_command_services.h"
#include "game/commands/file_script_words.h"
#include "graphics/device/screen_device.h"

using command_args::Byte;
using command_args::Int;
using command_args::Result;
using file_script_words::PutOptionalOut;
using file_script_words::Text;

namespace {

#define DEVICE_COMMAND(name, failure)                           \
    std::uint32_t XM_CDECL name(std::uint32_t* arguments) {      \
        return GuardedCommand<name##Body, failure>(arguments);  \
    }

ScreenDevice* Device() { return CommandScreenDevice(); }
ImageLoaderHost* Host() { return CommandImageHost(); }

// ---- Screen device ----

std::uint32_t CmdSetPresentationModeBody(std::uint32_t* w) {
    if (Device()) Device()->hardwareCanvasMode = Byte(w[0]);
    return 0;
}

std::uint32_t CmdGetPresentationModeBody(std::uint32_t*) { return Device() ? Device()->hardwareCanvasMode : 0; }

std::uint32_t CmdSetScreenClearColourBody(std::uint32_t* w) {
    if (ScreenDevice* const device = Device()) {
        for (int i = 0; i < 3; ++i) device->backgroundColour[i] = Byte(w[i]);
    }
    return 0;
}

std::uint32_t CmdSetClearEachFrameBody(std::uint32_t* w) {
    SetClearEachFrame((w[0] & 1) != 0);
    return 0;
}

std::uint32_t CmdDestroyAllGraphicsObjectsBody(std::uint32_t*) {
    if (Device()) Device()->DestroyAllObjects();
    return 0;
}

std::uint32_t CmdSetObjectOwnerKeyBody(std::uint32_t* w) {
    ScreenDevice* const device = Device();
    if (!device) return 0;
    const std::uint32_t previous = device->objectOwnerKey;
    device->objectOwnerKey = w[0];
    return previous;
}

std::uint32_t CmdReleaseDrawablesByOwnerBody(std::uint32_t* w) {
    if (Device()) Device()->ReleaseDrawablesByOwner(w[0], Byte(w[1]) & 2);
    return 0;
}

std::uint32_t CmdIsFullScreenBody(std::uint32_t*) { return Device() && Device()->displayState != 2 ? 1 : 0; }

std::uint32_t CmdGetLetterboxRectBody(std::uint32_t* w) {
    ScreenDevice* const device = Device();
    if (!device || device->letterboxInUse == 0) return 0;
    // letterboxDest holds the game area's origin and scaled size.
    const RECT& area = device->letterboxDest;
    PutOptionalOut(w[0], static_cast<std::int32_t>(area.left));
    PutOptionalOut(w[1], static_cast<std::int32_t>(area.top));
    PutOptionalOut(w[2], static_cast<std::int32_t>(area.left + area.right));
    PutOptionalOut(w[3], static_cast<std::int32_t>(area.top + area.bottom));
    return 1;
}

// ---- Image-loader host ----

std::uint32_t CmdSetImageCacheLimitBody(std::uint32_t* w) {
    if (Host()) Host()->SetCacheLimit(ImageCacheLimitFor(Int(w[0]), CommandDeviceSettings()->ImageCacheSetting()));
    return 0;
}

std::uint32_t CmdPreloadImageBody(std::uint32_t* w) {
    const char* const name = Text(w[0]);
    if (!Host()) return 1;
    if (!name) return 2;
    return Result(Host()->Preload(name));
}

std::uint32_t CmdLoadImagePluginBody(std::uint32_t* w) {
    const char* const path = Text(w[0]);
    if (!Host()) return 5;
    if (!path) return 1;
    return Result(Host()->LoadPlugin(path));
}

std::uint32_t CmdScanImagePluginFolderBody(std::uint32_t* w) {
    const char* const folder = Text(w[0]);
    if (!Host() || !folder) return Result(-1);
    return Result(Host()->ScanFolder(folder));
}

std::uint32_t CmdUnloadImagePluginBody(std::uint32_t* w) {
    if (!Host()) return 0;
    if (Int(w[0]) == -1) {
        Host()->UnloadAll();
    } else {
        Host()->Unload(Int(w[0]));
    }
    return 0;
}

std::uint32_t CmdCallImagePluginAssistBody(std::uint32_t* w) {
    if (!Host()) return Result(-2);
    for (const ImageLoaderRecord& record : Host()->Records()) {
        if (record.type != Int(w[0])) continue;
        if (!record.assist2) continue;
        return Result(record.assist2(w + 1));
    }
    return Result(-2);
}

}  // namespace

std::int32_t ImageCacheLimitFor(std::int32_t megabytes, std::uint8_t setting) {
    if (megabytes >= -1) return megabytes;
    if (setting == 0) return -1;
    return setting == 1 ? 0 : (setting - 1) * 4;
}

DEVICE_COMMAND(CmdSetPresentationMode, 0)
DEVICE_COMMAND(CmdGetPresentationMode, 0)
DEVICE_COMMAND(CmdSetScreenClearColour, 0)
DEVICE_COMMAND(CmdSetClearEachFrame, 0)
DEVICE_COMMAND(CmdDestroyAllGraphicsObjects, 0)
DEVICE_COMMAND(CmdSetObjectOwnerKey, 0)
DEVICE_COMMAND(CmdReleaseDrawablesByOwner, 0)
DEVICE_COMMAND(CmdSetImageCacheLimit, 0)
DEVICE_COMMAND(CmdPreloadImage, 2)
DEVICE_COMMAND(CmdLoadImagePlugin, 5)
DEVICE_COMMAND(CmdScanImagePluginFolder, -1)
DEVICE_COMMAND(CmdUnloadImagePlugin, 0)
DEVICE_COMMAND(CmdCallImagePluginAssist, -2)
DEVICE_COMMAND(CmdIsFullScreen, 0)
DEVICE_COMMAND(CmdGetLetterboxRect, 0)
