// Keeps a plug-in DLL loaded for as long as any object that it made is alive.
//
// Objects made by DCP and TCP plug-ins travel far from the registry that created them (the
// schedulers run effects, the screens hold transitions), and their owners may be destroyed after
// the registry has unloaded the plug-in. Each tracked object therefore holds a reference on its
// module, and its slot-0 destructor is routed through a host routine that destroys the object
// in the plug-in as before and then drops that reference. The object's table is a host copy of
// the plug-in's own, identical but for slot 0; the original is put back before the destructor
// runs. Safe to use from any thread.
#pragma once

#include <windows.h>

#include <cstdint>

namespace PluginObjectTracker {

// Starts tracking `object` (its first word points to its table of `slotCount` operations),
// made by code of `module`. Returns false, leaving the object untouched, when the module
// reference or the memory cannot be had. Tracking an object twice changes nothing.
bool Track(void* object, HMODULE module, std::uint32_t slotCount);

}  // namespace PluginObjectTracker
