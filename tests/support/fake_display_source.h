// A display of any monitor layout for DisplayInfo and window placement: monitors with their
// rectangles, work areas, device names, depth and refresh, and the display devices the
// adapter names come from. Counts the DCs it hands out and takes back.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/system/display_source.h"

namespace testsupport {

struct FakeMonitor {
    RECT rect;
    RECT work;
    std::string deviceName;
    int depth = 32;
    int refresh = 60;
    // CreateDCA fails on this monitor's device.
    bool noDc = false;
    // GetMonitorInfoA fails for this monitor.
    bool noInfo = false;
};

struct FakeDisplayDevice {
    std::string deviceName;
    // May be longer than the record's field: copied as the system would, cut to 128 bytes.
    std::string deviceString;
    DWORD stateFlags;
};

class FakeDisplaySource : public DisplaySource {
public:
    // A monitor at `rect` whose work area is the same rectangle, on device "\\.\DISPLAYn" (n
    // counting from 1), with an attached adapter named `adapter`; the first one is primary.
    void AddMonitor(const RECT& rect, const std::string& adapter = "Fake Display Adapter");

    std::vector<FakeMonitor> monitors;
    std::vector<FakeDisplayDevice> devices;
    RECT workArea = {0, 0, 1024, 768};
    SIZE screenSize = {1024, 768};
    int dcsCreated = 0;
    int dcsDeleted = 0;

    // The handle the source gives monitor `index`.
    static HMONITOR Handle(size_t index);

    std::vector<MonitorArea> EnumerateMonitors() override;
    bool ReadMonitorInfo(HMONITOR monitor, MONITORINFOEXA& info) override;
    HDC CreateDeviceDc(const char* deviceName) override;
    int GetDeviceCaps(HDC dc, int index) override;
    void DeleteDeviceDc(HDC dc) override;
    bool EnumDisplayDevice(DWORD index, DISPLAY_DEVICEA& device) override;
    // The monitor with the largest overlap, else the one at the shortest distance.
    HMONITOR MonitorNearest(const RECT& rect) override;
    RECT WorkArea() override { return workArea; }
    SIZE ScreenSize() override { return screenSize; }

private:
    const FakeMonitor* FromHandle(HMONITOR monitor) const;
};

}  // namespace testsupport
