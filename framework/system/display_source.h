// DisplaySource: the Win32 calls that describe monitors, work areas and the screen, behind one
// small interface so that layouts of several monitors can be faked.
#pragma once

#include <windows.h>

#include <vector>

struct MonitorArea {
    HMONITOR monitor;
    RECT rect;
};

class DisplaySource {
public:
    virtual ~DisplaySource() = default;

    // EnumDisplayMonitors without DC or clip: every monitor in the order the system reports.
    virtual std::vector<MonitorArea> EnumerateMonitors() = 0;
    // GetMonitorInfoA with a MONITORINFOEXA (cbSize set by the caller).
    virtual bool ReadMonitorInfo(HMONITOR monitor, MONITORINFOEXA& info) = 0;
    // CreateDCA on a display device name; null when no DC can be made. The caller deletes it.
    virtual HDC CreateDeviceDc(const char* deviceName) = 0;
    virtual int GetDeviceCaps(HDC dc, int index) = 0;
    virtual void DeleteDeviceDc(HDC dc) = 0;
    // EnumDisplayDevicesA(no device name, index, flags 0); false past the last device.
    virtual bool EnumDisplayDevice(DWORD index, DISPLAY_DEVICEA& device) = 0;
    // MonitorFromRect with MONITOR_DEFAULTTONEAREST.
    virtual HMONITOR MonitorNearest(const RECT& rect) = 0;
    // SystemParametersInfoA(SPI_GETWORKAREA).
    virtual RECT WorkArea() = 0;
    // SM_CXSCREEN and SM_CYSCREEN.
    virtual SIZE ScreenSize() = 0;
};

// The system's own display.
DisplaySource& RealDisplaySource();
