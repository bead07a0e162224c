#include "game/commands/transition_commands.h"

#include "effects/transitions/transition_routines.h"
#include "framework/plugins/transition_registry.h"
#include "game/commands/command_args.h"
#include "game/commands/command_guard.h"
#include "game/commands/file_script_words.h"
#include "game/commands/screen_command_services.h"
#include "game/commands/surface_resolution.h"
#include "graphics/device/screen_device.h"
#include "graphics/image/image.h"
#include "graphics/interfaces/screen_buffer.h"
#include "graphics/surfaces/gdi_screen.h"

using command_args::Bool;
using command_args::Byte;
using command_args::HandleWord;
using command_args::Int;
using command_args::Result;

namespace {

#define TRANSITION_COMMAND(name, failure)                       \
    std::uint32_t XM_CDECL name(std::uint32_t* arguments) {      \
        return GuardedCommand<name##Body, failure>(arguments);  \
    }

Surface* FindSurface(std::uint32_t word) {
    ScreenDevice* const device = CommandScreenDevice();
    return device ? device->FindSurface(word) : nullptr;
}

// Kind 4 itself, a screen its back buffer's image; null for the other kinds.
Surface* PictureOf(std::uint32_t word) {
    Image* const image = ImageOfSurface(word);
    return image ? static_cast<Surface*>(image) : nullptr;
}

std::uint32_t CmdDrawTransitionBody(std::uint32_t* w) {
    Surface* const target = FindSurface(w[2]);
    if (!target) return Result(-1);
    if (w[0] >= static_cast<std::uint32_t>(kTransitionRoutineCount)) return Result(-1);
    const std::int32_t routine = Int(w[0]);
    const SurfaceKind kind = target->Kind();
    if (kind == kSurfaceDirectDrawImage || kind == kSurfaceTextBitmapImage) {
        return Result(RunTransitionEffect(routine, nullptr, target, Int(w[3]), Int(w[4]), Int(w[5]), 0,
                                          CommandScreenDevice()));
    }
    Surface* const targetPicture = PictureOf(w[2]);
    if (!targetPicture) return Result(-1);
    Surface* const sourcePicture = PictureOf(w[1]);
    if (!sourcePicture) return Result(-1);
    return Result(RunTransitionEffect(routine, sourcePicture, targetPicture, Int(w[3]), Int(w[4]), Int(w[5]),
                                      Int(w[6]), nullptr));
}

std::uint32_t CmdSetTransitionPartnerBody(std::uint32_t* w) {
    ScreenBuffer* const screen = BackBufferOfScreen(w[0]);
    ScreenBuffer* const partner = BackBufferOfScreen(w[1]);
    if (!screen || !partner) return Result(-1);
    return Result(screen->SetAlternate(partner));
}

std::uint32_t CmdGetTransitionPartnerBody(std::uint32_t* w) {
    ScreenBuffer* const screen = BackBufferOfScreen(w[0]);
    ScreenBuffer* const partner = screen ? screen->GetAlternate() : nullptr;
    if (!partner || partner->Kind() != kSurfaceMemoryScreen) return 0;
    const std::uint32_t word = HandleWord(static_cast<Surface*>(static_cast<MemoryScreen*>(partner)));
    return FindSurface(word) ? word : 0;
}

std::uint32_t CmdSwapWithPartnerBody(std::uint32_t* w) {
    ScreenBuffer* const screen = BackBufferOfScreen(w[0]);
    if (!screen) return 0;
    ScreenBuffer* const partner = screen->GetAlternate();
    switch (Byte(w[1])) {
    case 1: screen->ExchangeBackgrounds(partner); break;
    case 2:
        screen->SwapCanvases(partner);
        screen->ExchangeBackgrounds(partner);
        break;
    default: screen->SwapCanvases(partner); break;
    }
    return 1;
}

std::uint32_t CmdStartScreenTransitionBody(std::uint32_t* w) {
    ScreenBuffer* const screen = BackBufferOfScreen(w[0]);
    if (!screen) return Result(-1);
    TransitionRegistry* const registry = CommandTransitions();
    const char* const name = file_script_words::Text(w[1]);
    const std::int32_t* const parameters = reinterpret_cast<const std::int32_t*>(w + 4);
    TransCallback* const transition =
        registry && name ? registry->CreateByNameAndSetupV(screen, name, parameters) : nullptr;
    if (!transition) return Result(-2);
    const std::uint8_t type = Byte(w[2]);
    const TransitionMode mode = type <= kTransitionBackgrounds ? static_cast<TransitionMode>(type) : kTransitionPictures;
    const std::int32_t code = screen->BeginTransition(transition, mode, Bool(w[3]), !ContinuousRedrawOff());
    if (code != 0) ReleaseObject(transition);
    return Result(code);
}

std::uint32_t CmdEndScreenTransitionBody(std::uint32_t* w) {
    ScreenBuffer* const screen = BackBufferOfScreen(w[0]);
    if (!screen) return 0;
    screen->EndTransition(screen->SwapsAtEnd());
    return 1;
}

std::uint32_t CmdIsScreenTransitionRunningBody(std::uint32_t* w) {
    ScreenBuffer* const screen = BackBufferOfScreen(w[0]);
    return screen && screen->InTransition() ? 1 : 0;
}

std::uint32_t CmdGetTransitionWorkImageBody(std::uint32_t* w) {
    ScreenBuffer* const screen = BackBufferOfScreen(w[0]);
    Image* const work = screen ? screen->GetTransitionImage() : nullptr;
    return work ? HandleWord(static_cast<Surface*>(work)) : 0;
}

}  // namespace

TRANSITION_COMMAND(CmdDrawTransition, -1)
TRANSITION_COMMAND(CmdSetTransitionPartner, -1)
TRANSITION_COMMAND(CmdGetTransitionPartner, 0)
TRANSITION_COMMAND(CmdSwapWithPartner, 0)
TRANSITION_COMMAND(CmdStartScreenTransition, -1)
TRANSITION_COMMAND(CmdEndScreenTransition, 0)
TRANSITION_COMMAND(CmdIsScreenTransitionRunning, 0)
TRANSITION_COMMAND(CmdGetTransitionWorkImage, 0)
