// What the font, screen-device, image-plug-in and effect-task commands (opcodes 166-221) reach:
// the screen device with its object lists, the font list, the image-loader host, the second task
// scheduler (layer tasks, effects, motion), the effect registry and the player's settings they
// read. Each comes from DeviceServices() when a test or the program put it there, else from the
// application of the run; a missing one gives the command's null result.
//
// The program's start-up puts its screen device here (SetCommandScreenDevice), which also makes
// the command task table listen to the device's deletion notices.
#pragma once

#include <windows.h>

#include <cstdint>

class EffectRegistry;
class FontList;
class ImageLoaderHost;
class ScreenDevice;
class TaskScheduler;

// The player's settings and the main window, as these commands read them.
class DeviceCommandPort {
public:
    virtual ~DeviceCommandPort() = default;
    // USER.CFG's image-cache setting (0 automatic, 1 none, 2 and above 4 MB steps).
    virtual std::uint8_t ImageCacheSetting() = 0;
    // The setting that turns continuous redrawing (busy counting of effects) off.
    virtual bool ContinuousRedrawOff() = 0;
    // The window whose device context lists the fonts (null: the screen's).
    virtual HWND MainWindow() = 0;
};

struct DeviceCommandServices {
    ScreenDevice* screen = nullptr;
    FontList* fonts = nullptr;
    ImageLoaderHost* images = nullptr;
    TaskScheduler* effectScheduler = nullptr;
    EffectRegistry* effects = nullptr;
    DeviceCommandPort* settings = nullptr;
};
DeviceCommandServices& DeviceServices();

// Each: the service set in DeviceServices(), else the program's (null when there is none).
ScreenDevice* CommandScreenDevice();
FontList* CommandFontList();
ImageLoaderHost* CommandImageHost();
TaskScheduler* CommandEffectScheduler();
EffectRegistry* CommandEffectRegistry();
DeviceCommandPort* CommandDeviceSettings();

// Puts the device into DeviceServices() and into the command services' graphics lookup, and
// puts a listener on it that cancels, before the device deletes an object, the command-started
// tasks that use it (command_task_table.h). Null takes all of it off the device that was there.
void SetCommandScreenDevice(ScreenDevice* device);

// Set by command 199: while on, each frame clears the screen with the device's clear colour
// before it draws.
bool ClearEachFrame();
void SetClearEachFrame(bool on);
// The frame functions' clear: while ClearEachFrame is on, fills the device's display canvas
// (without one, its back surface) with the clear colour; nothing otherwise or without a device.
void ClearScreenForFrame();
