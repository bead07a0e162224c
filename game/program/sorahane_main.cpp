// The entry of SORAHANE.exe: the application object lives on this stack for the whole run.
#include <windows.h>
#include <commctrl.h>

#include "framework/files/path_utilities.h"
#include "game/app/application.h"
#include "game/commands/command_services.h"
#include "graphics/screen/game_screen_device.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand) {
    InitCommonControls();
    SetBaseDirectoryFromModule(nullptr);
    // Made before the application, so that it outlives the application's exit.
    GameScreenDevice screen;
    // The commands make and find the device's objects through its lists.
    Services().screen = &screen.Device();
    Services().graphics = &screen.Device();
    ApplicationSources sources;
    Application::UseGameDialogs(sources);
    Application app(sources);
    app.SetScreenDevice(&screen, &screen);
    // A failed start-up ends the process with its code.
    return app.Run(instance, previousInstance, commandLine, showCommand);
}
