// What the surface and transition commands reach: the screen device that owns every surface
// scripts make, and the transition registry that makes screen transitions by name. The program
// attaches its device at start-up; tests attach their own and a registry of their own.
//
// Attaching a device also makes it the commands' graphics lookup (CommandServices::graphics) and
// puts the transition-partner guard on its deletion notice: a screen whose back buffer has a
// screen that is being deleted as transition partner ends its running transition and drops the
// partner, so that no frame reads the freed partner.
#pragma once

class ScreenDevice;
class TransitionRegistry;

struct ScreenCommandServices {
    ScreenDevice* device = nullptr;
    // Null: the application's registry.
    TransitionRegistry* transitions = nullptr;
};
ScreenCommandServices& ScreenServices();

// Null detaches (the old device's guard is taken off). A device may stay attached while it is
// destroyed (its last deletions are then guarded too), as long as no command runs afterwards.
void AttachCommandScreenDevice(ScreenDevice* device);

ScreenDevice* CommandScreenDevice();
// The registry set in ScreenServices(), else the application's; null when there is none.
TransitionRegistry* CommandTransitions();
// The player turned continuous redrawing off (effects and transitions then start without
// counting themselves busy).
bool ContinuousRedrawOff();
