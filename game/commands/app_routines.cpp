#include "game/commands/app_routines.h"

#include <windows.h>

#include <cstring>

#include "game/commands/command_args.h"
#include "game/commands/command_services.h"

namespace {

enum : WPARAM {
    kMenuScreenMode = 40001,
    kMenuReturnToTitle = 40002,
    kMenuVersion = 40004,
    kMenuSettings = 40005,
    kMenuSave = 40007,
    kMenuLoad = 40008,
};

std::string g_pendingLoadFile;

}  // namespace

std::int32_t PostMenuCommand(std::uint32_t request, bool sendNow, std::uint32_t /*dialogId*/) {
    AppWindowPort* const window = Services().window;
    if (!window) return 0;
    UINT message = WM_COMMAND;
    WPARAM wParam = 0;
    switch (request) {
        case kRequestSettings: wParam = kMenuSettings; break;
        case kRequestSave: wParam = kMenuSave; break;
        case kRequestLoad: wParam = kMenuLoad; break;
        case kRequestReturnToTitle: wParam = kMenuReturnToTitle; break;
        case kRequestClose: message = WM_CLOSE; break;
        case kRequestScreenMode:
            if (!window->ModeChangeAllowed()) return 0;
            wParam = kMenuScreenMode;
            break;
        case kRequestVersion: wParam = kMenuVersion; break;
        default: return 0;
    }
    const bool needsEnabledEntry = request == kRequestSettings || request == kRequestSave ||
                                   request == kRequestLoad || request == kRequestReturnToTitle;
    if (needsEnabledEntry && !window->MenuEntryEnabled(static_cast<std::uint32_t>(wParam))) return 0;
    if (sendNow) {
        window->SendToMainWindow(message, wParam, 0);
    } else {
        window->PostToMainWindow(message, wParam, 0);
    }
    return 1;
}

std::int32_t CopyTextToClipboard(const char* text, std::uint32_t bytes) {
    if (!text) return 1;
    const std::size_t size = bytes == 0 ? std::strlen(text) + 1 : bytes;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size + 1);
    if (!block) return 2;
    void* const bytesOut = GlobalLock(block);
    if (!bytesOut) {
        GlobalFree(block);
        return 2;
    }
    std::memcpy(bytesOut, text, size);
    GlobalUnlock(block);
    AppWindowPort* const window = Services().window;
    if (!OpenClipboard(window ? window->MainWindow() : nullptr)) {
        GlobalFree(block);
        return 3;
    }
    EmptyClipboard();
    const bool taken = SetClipboardData(CF_TEXT, block) != nullptr;
    CloseClipboard();
    if (!taken) {
        GlobalFree(block);
        return 3;
    }
    return 0;
}

std::int32_t StartCursorGlide(std::int32_t x, std::int32_t y, std::uint32_t duration, bool force,
                              std::uint8_t mode, std::uint32_t outTask) {
    CursorGlidePort* const glide = Services().glide;
    if (!glide) return 1;
    if (!force) {
        const POINT cursor = glide->CursorGamePoint();
        const SIZE game = glide->GameSize();
        if (cursor.x == game.cx - 1 && cursor.y == game.cy - 1) return 0;
    }
    if (!glide->GlideSettingOn()) return 0;
    ScheduledTask* task = nullptr;
    const std::int32_t result = glide->StartGlide(x, y, duration, mode, &task);
    command_args::WriteOut<std::uint32_t>(outTask, result == 0 ? command_args::HandleWord(task) : 0);
    return result;
}

void SetPendingLoadFile(const char* path) { g_pendingLoadFile = path ? path : ""; }

const std::string& PendingLoadFile() { return g_pendingLoadFile; }
