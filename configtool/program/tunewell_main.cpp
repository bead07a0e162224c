// Tunewell.exe: the thin entry of the configuration tool.
#include <windows.h>

#include "configtool/app/config_tool_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand) {
    return ConfigToolMain(instance, previous, commandLine, showCommand);
}
