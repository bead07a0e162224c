// What the surface and transition commands reach: the screen device that owns every surface
// scripts make, and the transition registry that makes screen transitions by name. The program
// attaches its device at start-up; tests attach their own and a registry of their own.
//
// Attaching a device also makes it the commands' graphics lookup (CommandServices::graphics) and
// puts the transition-partner guard on its deletion notice: a screen whose back buffer has a
// screen that is being deleted as transition partner ends its running transition and drops the
// partner, so that no frame reads the freed partner.
#pragma once

#include "game/commands/device_command_services.h"

class ScreenDevice;
class TransitionRegistry;

struct ScreenCommandServices {
    // The device the partner guard is on.
    ScreenDevice* device = nullptr;
    // Null: the application's registry.
    TransitionRegistry* transitions = nullptr;
};
ScreenCommandServices& ScreenServices();

// SetCommandScreenDevice (device), and the partner guard moved onto the device. Null detaches
// both. SetCommandScreenDevice (null) alone leaves the guard on, so that a device being destroyed
// after the commands let go of it still guards its last deletions.
void AttachCommandScreenDevice(ScreenDevice* device);
// The registry set in ScreenServices(), else the application's; null when there is none.
TransitionRegistry* CommandTransitions();
// The player turned continuous redrawing off (effects and transitions then start without
// counting themselves busy).
bool ContinuousRedrawOff();
