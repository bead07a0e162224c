#include "framework/system/display_source.h"

namespace {

class RealDisplay : public DisplaySource {
public:
    std::vector<MonitorArea> EnumerateMonitors() override {
        std::vector<MonitorArea> monitors;
        EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&monitors));
        return monitors;
    }
    bool ReadMonitorInfo(HMONITOR monitor, MONITORINFOEXA& info) override {
        return GetMonitorInfoA(monitor, &info) != FALSE;
    }
    HDC CreateDeviceDc(const char* deviceName) override {
        return CreateDCA(deviceName, nullptr, nullptr, nullptr);
    }
    int GetDeviceCaps(HDC dc, int index) override { return ::GetDeviceCaps(dc, index); }
    void DeleteDeviceDc(HDC dc) override { DeleteDC(dc); }
    bool EnumDisplayDevice(DWORD index, DISPLAY_DEVICEA& device) override {
        return EnumDisplayDevicesA(nullptr, index, &device, 0) != FALSE;
    }
    HMONITOR MonitorNearest(const RECT& rect) override {
        return MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST);
    }
    RECT WorkArea() override {
        RECT area = {};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
        return area;
    }
    SIZE ScreenSize() override {
        return SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }

private:
    static BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT rect, LPARAM list) {
        reinterpret_cast<std::vector<MonitorArea>*>(list)->push_back(MonitorArea{monitor, *rect});
        return TRUE;
    }
};

}  // namespace

DisplaySource& RealDisplaySource() {
    static RealDisplay display;
    return display;
}
