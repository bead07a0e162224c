#include "game/commands/text_input_commands.h"

#include <windows.h>

#include <string>

#include "game/app/application.h"
#include "game/commands/command_args.h"
#include "game/commands/command_guard.h"
#include "game/commands/command_services.h"
#include "game/commands/script_string_writer.h"
#include "game/script/script_address.h"
#include "game/script/script_memory.h"

namespace {

using command_args::Byte;
using command_args::Int;

std::uint32_t AskText(std::uint32_t* a) {
    // The dialog reads the initial text from a copy: the script's buffer is only written, and
    // only through the bounded writer.
    std::string initial;
    const bool usable = script_memory::WritableRoom(a[0]) != 0 && ReadScriptText(a[0], &initial);
    Application* const app = Application::Current();
    AppWindowPort* const window = Services().window;
    if (app) app->TextInput().result.clear();
    if (window) {
        window->SendToMainWindow(WM_COMMAND, kCmdTextInput,
                                 static_cast<LPARAM>(reinterpret_cast<std::uintptr_t>(initial.c_str())));
    }
    if (!usable) return 2;
    const std::string answer = app ? app->TextInput().result : std::string();
    if (answer.empty()) return 1;
    WriteScriptString(a[0], answer);
    return 0;
}

std::string TextOrEmpty(std::uint32_t address) {
    std::string text;
    ReadScriptText(address, &text);
    return text;
}

std::uint32_t SetUpTextInput(std::uint32_t* a) {
    Application* const app = Application::Current();
    if (!app) return 0;
    TextInputRequest& request = app->TextInput();
    request.title = TextOrEmpty(a[0]);
    request.prompt = TextOrEmpty(a[1]);
    request.doubleByteOnly = Byte(a[2]);
    request.maxLength = Byte(a[3]);
    request.openIme = Byte(a[4]);
    request.width = Int(a[5]);
    request.x = Int(a[6]);
    request.y = Int(a[7]);
    return 0;
}

}  // namespace

std::uint32_t XM_CDECL CmdAskText(std::uint32_t* a) { return GuardedCommand<AskText, 2>(a); }
std::uint32_t XM_CDECL CmdSetUpTextInput(std::uint32_t* a) { return GuardedCommand<SetUpTextInput, 0>(a); }
