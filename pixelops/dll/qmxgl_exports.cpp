// The three exports of qmxgl.dll (named plainly by qmxgl.def) and its entry routine.
#include <windows.h>

#include "pixelops/library/library_object.h"

extern "C" {

PixelOpLibrary* QMXGL_CALL GetLibrary(const CpuInfoRecord* record) {
    pixelops::HardwareProcessorProbe probe;
    return pixelops::CreatePixelOpLibrary(record, probe);
}

std::int32_t QMXGL_CALL qmxglConfig(HostCopyRoutines routines) {
    return pixelops::RegisterHostCopyRoutines(&routines);
}

std::int32_t QMXGL_CALL qmxglConfig2(const HostCopyRoutines* routines) {
    return pixelops::RegisterHostCopyRoutines(routines);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    // The library starts no threads and keeps no per-thread state.
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
    return TRUE;
}

}  // extern "C"
