// The entry of SORAHANE.exe: the application object lives on this stack for the whole run.
#include <windows.h>
#include <commctrl.h>

#include "framework/files/path_utilities.h"
#include "game/app/application.h"
#include "game/commands/device_command_services.h"
#include "game/commands/screen_command_services.h"
#include "graphics/screen/game_screen_device.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand) {
    InitCommonControls();
    SetBaseDirectoryFromModule(nullptr);
    // Made before the application, so that it outlives the application's exit.
    GameScreenDevice screen;
    ApplicationSources sources;
    Application::UseGameDialogs(sources);
    Application app(sources);
    app.SetScreenDevice(&screen, &screen);
    // Scripts make their objects on this device. Its transition-partner guard stays on while it
    // is destroyed, so that the screens it deletes last still let go of their partners.
    AttachCommandScreenDevice(&screen.Device());
    app.SetObjectLists(&screen.Device());
    // A failed start-up ends the process with its code.
    const int code = app.Run(instance, previousInstance, commandLine, showCommand);
    SetCommandScreenDevice(nullptr);
    return code;
}
