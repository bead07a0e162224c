#include "framework/system/display_info.h"

#include <cstdio>
#include <cstring>

#include "framework/files/shift_jis.h"

DisplayInfo* g_displayInfo = nullptr;

namespace {

// Not in the headers of the Windows version we build for.
constexpr DWORD kModesPruned = 0x08000000;

// Copies a text that may lack its terminator into a fixed field, always terminated.
template <size_t N, size_t M>
void CopyField(char (&out)[N], const char (&in)[M]) {
    size_t length = strnlen(in, M);
    if (length >= N) length = N - 1;
    std::memcpy(out, in, length);
    out[length] = '\0';
}

std::int32_t Width(const RECT& r) { return r.right - r.left; }
std::int32_t Height(const RECT& r) { return r.bottom - r.top; }

}  // namespace

DisplayInfo::DisplayInfo(DisplaySource& source) : m_source(source) {
    Refresh();
    ReadAdapterNames();
}

void DisplayInfo::Refresh() {
    m_monitors.clear();
    for (const MonitorArea& area : m_source.EnumerateMonitors()) {
        MonitorRecord record = {};
        record.monitor = area.monitor;
        record.rect = area.rect;
        m_monitors.push_back(record);
    }
    for (MonitorRecord& record : m_monitors) {
        MONITORINFOEXA info = {};
        info.cbSize = sizeof(info);
        if (!m_source.ReadMonitorInfo(record.monitor, info)) continue;
        record.work = info.rcWork;
        CopyField(record.deviceName, info.szDevice);
        HDC dc = m_source.CreateDeviceDc(record.deviceName);
        if (dc == nullptr) continue;
        int depth = m_source.GetDeviceCaps(dc, BITSPIXEL);
        int refresh = m_source.GetDeviceCaps(dc, VREFRESH);
        m_source.DeleteDeviceDc(dc);
        record.depth = static_cast<std::uint8_t>(depth);
        record.refresh = refresh > 1 ? static_cast<std::uint16_t>(refresh) : 0;
    }
}

std::int32_t DisplayInfo::ReadAdapterNames() {
    if (m_monitors.empty()) return 1;
    DISPLAY_DEVICEA device = {};
    device.cb = sizeof(device);
    for (DWORD index = 0; m_source.EnumDisplayDevice(index, device); ++index) {
        if (device.StateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP) {
            for (MonitorRecord& record : m_monitors) {
                if (std::strncmp(record.deviceName, device.DeviceName, sizeof(record.deviceName)) != 0) {
                    continue;
                }
                CopyField(record.adapter, device.DeviceString);
                record.primary = (device.StateFlags & DISPLAY_DEVICE_PRIMARY_DEVICE) != 0;
                record.modesPruned = (device.StateFlags & kModesPruned) != 0;
                record.number = kNotNumbered;
            }
        }
        device = {};
        device.cb = sizeof(device);
    }
    for (size_t i = 0; i < m_monitors.size(); ++i) {
        MonitorRecord& first = m_monitors[i];
        if (first.number != kNotNumbered) continue;
        std::uint8_t next = 2;
        for (size_t j = i + 1; j < m_monitors.size() && next < kNotNumbered; ++j) {
            MonitorRecord& other = m_monitors[j];
            if (other.number != kNotNumbered || std::strcmp(other.adapter, first.adapter) != 0) continue;
            AppendNumber(other, next++);
        }
        if (next > 2) AppendNumber(first, 1);
    }
    return 0;
}

void DisplayInfo::AppendNumber(MonitorRecord& record, std::uint8_t number) {
    char suffix[8];
    int suffixLength = std::snprintf(suffix, sizeof(suffix), "[%u]", static_cast<unsigned>(number));
    const size_t room = sizeof(record.adapter) - 1 - static_cast<size_t>(suffixLength);
    // Walk whole characters so a two-byte character is never split by the cut.
    size_t end = 0;
    const size_t length = std::strlen(record.adapter);
    while (end < length) {
        size_t step = IsShiftJisLeadByte(static_cast<unsigned char>(record.adapter[end])) ? 2 : 1;
        if (end + step > room || end + step > length) break;
        end += step;
    }
    std::memcpy(record.adapter + end, suffix, static_cast<size_t>(suffixLength) + 1);
    record.number = number;
}

const MonitorRecord* DisplayInfo::Find(HMONITOR monitor) const {
    for (const MonitorRecord& record : m_monitors) {
        if (record.monitor == monitor) return &record;
    }
    return nullptr;
}

std::int32_t DisplayInfo::GetScreenSize(RECT& out, HMONITOR monitor) const {
    if (const MonitorRecord* record = Find(monitor)) {
        out = record->rect;
        return 0;
    }
    SIZE size = m_source.ScreenSize();
    out = RECT{0, 0, size.cx, size.cy};
    return 1;
}

std::int32_t DisplayInfo::GetWorkArea(RECT& out, HMONITOR monitor) const {
    if (const MonitorRecord* record = Find(monitor)) {
        out = record->work;
        return 0;
    }
    out = m_source.WorkArea();
    return 1;
}

std::int32_t DisplayInfo::PlaceRect(std::int32_t& x, std::int32_t& y, std::int32_t w,
                                    std::int32_t h, std::int32_t mode, bool centre) const {
    if (m_monitors.empty() || w <= 0 || h <= 0) return -1;
    if (mode == 0) {
        for (const MonitorRecord& record : m_monitors) {
            const RECT& work = record.work;
            if (work.left <= x && x <= work.right - w && work.top <= y && y <= work.bottom - h) {
                return 0;
            }
        }
    }
    const RECT wanted = {x, y, x + w, y + h};
    const MonitorRecord* nearest = Find(m_source.MonitorNearest(wanted));
    RECT work = (nearest != nullptr ? nearest : &m_monitors.front())->work;
    if (Width(work) < w || Height(work) < h) {
        HMONITOR roomy = FindMonitorFor(w, h);
        if (roomy != nullptr) {
            work = Find(roomy)->work;
        } else {
            centre = false;
        }
    }
    x = work.left;
    y = work.top;
    if (centre && (Width(work) >> 1) >= (w >> 1) && (Height(work) >> 1) >= (h >> 1)) {
        x += (Width(work) >> 1) - (w >> 1);
        y += (Height(work) >> 1) - (h >> 1);
    }
    return 1;
}

HMONITOR DisplayInfo::FindMonitorFor(std::int32_t w, std::int32_t h) const {
    if (w <= 0 || h <= 0) return nullptr;
    for (const MonitorRecord& record : m_monitors) {
        if (Width(record.rect) >= w && Height(record.rect) >= h) return record.monitor;
    }
    return nullptr;
}
