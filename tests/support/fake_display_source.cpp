#include "tests/support/fake_display_source.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace testsupport {

namespace {

// DC handles are the monitor's index + this; nobody draws on them.
constexpr std::uintptr_t kDcBase = 0x5000;
constexpr std::uintptr_t kMonitorBase = 0x1000;

template <size_t N>
void CopyCut(char (&out)[N], const std::string& text) {
    const size_t length = std::min(text.size(), N - 1);
    std::memcpy(out, text.data(), length);
    out[length] = '\0';
}

long Distance(long low, long high, long otherLow, long otherHigh) {
    if (otherHigh <= low) return low - otherHigh;
    if (high <= otherLow) return otherLow - high;
    return 0;
}

}  // namespace

HMONITOR FakeDisplaySource::Handle(size_t index) {
    return reinterpret_cast<HMONITOR>(kMonitorBase + index);
}

void FakeDisplaySource::AddMonitor(const RECT& rect, const std::string& adapter) {
    FakeMonitor monitor;
    monitor.rect = rect;
    monitor.work = rect;
    monitor.deviceName = "\\\\.\\DISPLAY" + std::to_string(monitors.size() + 1);
    DWORD flags = DISPLAY_DEVICE_ATTACHED_TO_DESKTOP | (monitors.empty() ? DISPLAY_DEVICE_PRIMARY_DEVICE : 0);
    devices.push_back(FakeDisplayDevice{monitor.deviceName, adapter, flags});
    monitors.push_back(monitor);
}

const FakeMonitor* FakeDisplaySource::FromHandle(HMONITOR monitor) const {
    const std::uintptr_t index = reinterpret_cast<std::uintptr_t>(monitor) - kMonitorBase;
    return index < monitors.size() ? &monitors[index] : nullptr;
}

std::vector<MonitorArea> FakeDisplaySource::EnumerateMonitors() {
    std::vector<MonitorArea> out;
    for (size_t i = 0; i < monitors.size(); ++i) out.push_back(MonitorArea{Handle(i), monitors[i].rect});
    return out;
}

bool FakeDisplaySource::ReadMonitorInfo(HMONITOR handle, MONITORINFOEXA& info) {
    const FakeMonitor* monitor = FromHandle(handle);
    if (monitor == nullptr || monitor->noInfo) return false;
    info.rcMonitor = monitor->rect;
    info.rcWork = monitor->work;
    info.dwFlags = monitor == &monitors.front() ? MONITORINFOF_PRIMARY : 0;
    CopyCut(info.szDevice, monitor->deviceName);
    return true;
}

HDC FakeDisplaySource::CreateDeviceDc(const char* deviceName) {
    for (size_t i = 0; i < monitors.size(); ++i) {
        if (monitors[i].deviceName == deviceName && !monitors[i].noDc) {
            ++dcsCreated;
            return reinterpret_cast<HDC>(kDcBase + i);
        }
    }
    return nullptr;
}

int FakeDisplaySource::GetDeviceCaps(HDC dc, int index) {
    const std::uintptr_t i = reinterpret_cast<std::uintptr_t>(dc) - kDcBase;
    if (i >= monitors.size()) return 0;
    if (index == BITSPIXEL) return monitors[i].depth;
    if (index == VREFRESH) return monitors[i].refresh;
    return 0;
}

void FakeDisplaySource::DeleteDeviceDc(HDC dc) { ++dcsDeleted; }

bool FakeDisplaySource::EnumDisplayDevice(DWORD index, DISPLAY_DEVICEA& device) {
    if (index >= devices.size()) return false;
    CopyCut(device.DeviceName, devices[index].deviceName);
    CopyCut(device.DeviceString, devices[index].deviceString);
    device.StateFlags = devices[index].stateFlags;
    return true;
}

HMONITOR FakeDisplaySource::MonitorNearest(const RECT& rect) {
    size_t best = 0;
    long bestOverlap = -1;
    long bestDistance = 0;
    for (size_t i = 0; i < monitors.size(); ++i) {
        const RECT& m = monitors[i].rect;
        const long overlapW = std::min(rect.right, m.right) - std::max(rect.left, m.left);
        const long overlapH = std::min(rect.bottom, m.bottom) - std::max(rect.top, m.top);
        const long overlap = overlapW > 0 && overlapH > 0 ? overlapW * overlapH : 0;
        const long distance = Distance(m.left, m.right, rect.left, rect.right) +
                              Distance(m.top, m.bottom, rect.top, rect.bottom);
        if (overlap > bestOverlap || (overlap == 0 && bestOverlap == 0 && distance < bestDistance)) {
            best = i;
            bestOverlap = overlap;
            bestDistance = distance;
        }
    }
    return monitors.empty() ? nullptr : Handle(best);
}

}  // namespace testsupport
