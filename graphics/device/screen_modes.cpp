#include "graphics/device/screen_modes.h"

#include <cstring>

std::uint32_t ModeDepthBit(std::uint32_t bitsPerPixel) {
    switch (bitsPerPixel) {
        case 32: return 1u << 8;
        case 24: return 1u << 9;
        case 16: return 1u << 10;
        case 8: return 1u << 11;
        default: return 0;
    }
}

void SearchGameMode(const std::vector<DisplayModeRecord>& modes, std::int32_t gameWidth, std::int32_t gameHeight,
                    std::int32_t aspectHeight, MonitorModeEntry& entry) {
    std::int32_t found = 0;
    std::int32_t atGameHeight = 0;
    std::int32_t lastSeen = 0;
    for (const DisplayModeRecord& m : modes) {
        if (static_cast<std::int32_t>(m.width) != gameWidth) continue;
        const std::int32_t h = static_cast<std::int32_t>(m.height);
        if (h == aspectHeight) {
            found = h;
            break;
        }
        if (h == gameHeight) atGameHeight = h;
        lastSeen = h;
    }
    if (found == 0) found = atGameHeight != 0 ? atGameHeight : lastSeen;
    std::uint32_t mask = 0;
    bool has60 = false;
    if (found != 0) {
        for (const DisplayModeRecord& m : modes) {
            if (static_cast<std::int32_t>(m.width) != gameWidth || static_cast<std::int32_t>(m.height) != found) continue;
            mask |= ModeDepthBit(m.bitsPerPixel);
            if (m.refreshRate == 60) has60 = true;
        }
    }
    entry.depthMask = mask;
    if (found != 0 && mask != 0) {
        entry.modeWidth = gameWidth;
        entry.modeHeight = found;
        entry.modeIsGameSize = found == gameHeight ? 1 : 0;
        entry.has60Hz = has60 ? 1 : 0;
    } else {
        entry.modeWidth = entry.modeHeight = 0;
        entry.modeIsGameSize = 0;
        entry.has60Hz = 0;
    }
}

std::vector<DisplayModeRecord> ListDisplaySettings(const char* deviceName) {
    std::vector<DisplayModeRecord> modes;
    for (DWORD i = 0;; ++i) {
        DEVMODEA mode = {};
        mode.dmSize = sizeof(mode);
        if (!EnumDisplaySettingsExA(deviceName && deviceName[0] ? deviceName : nullptr, i, &mode, 0)) break;
        modes.push_back(DisplayModeRecord{mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel,
                                          mode.dmDisplayFrequency});
    }
    return modes;
}

namespace {

bool IsZeroGuid(const GUID& g) {
    static const GUID zero = {};
    return std::memcmp(&g, &zero, sizeof(GUID)) == 0;
}

}  // namespace

std::int32_t BuildMonitorEntries(const std::vector<MonitorRecord>& monitors,
                                 const std::vector<DisplayAdapterRecord>& drivers, std::int32_t gameWidth,
                                 std::int32_t gameHeight, bool useDriverModes, DisplayModeLister lister,
                                 std::vector<MonitorModeEntry>& entries) {
    entries.clear();
    if (monitors.empty()) return -1;
    std::vector<MonitorModeEntry> built;
    for (const MonitorRecord& m : monitors) {
        const std::int32_t mw = m.rect.right - m.rect.left;
        const std::int32_t mh = m.rect.bottom - m.rect.top;
        const std::int32_t aspectHeight =
            mw > 0 ? static_cast<std::int32_t>(static_cast<std::int64_t>(gameWidth) * mh / mw) : 0;
        const DisplayAdapterRecord* driver = nullptr;
        for (const DisplayAdapterRecord& d : drivers) {
            if (d.monitor != nullptr && d.monitor == m.monitor) {
                driver = &d;
                break;
            }
        }
        if (!driver && !drivers.empty() && drivers[0].monitor == nullptr && IsZeroGuid(drivers[0].id)) {
            driver = &drivers[0];
        }
        if (!driver) return -1;
        MonitorModeEntry e;
        e.monitor = m.monitor;
        e.currentDepth = m.depth;
        e.deviceName.assign(m.deviceName, strnlen(m.deviceName, sizeof(m.deviceName)));
        e.description.assign(m.adapter, strnlen(m.adapter, sizeof(m.adapter)));
        if (m.primary && monitors.size() > 1) e.description += " (Primary)";
        e.driverGuid = driver->id;
        for (const DisplayDeviceRecord& dev : driver->devices) {
            if (!dev.hardware) continue;
            e.deviceGuid = dev.id;
            e.deviceRenderDepths = dev.renderBitDepths;
            break;
        }
        e.driverWindowed = driver->flag;
        if (useDriverModes) {
            SearchGameMode(driver->modes, gameWidth, gameHeight, aspectHeight, e);
        } else {
            SearchGameMode(lister ? lister(e.deviceName.c_str()) : std::vector<DisplayModeRecord>(), gameWidth,
                           gameHeight, aspectHeight, e);
        }
        built.push_back(e);
    }
    entries.swap(built);
    return 0;
}

std::int32_t ComputeLetterbox(LetterboxGeometry& g, std::int32_t width, std::int32_t height,
                              std::int32_t gameWidth, std::int32_t gameHeight, bool allowSameShape) {
    if (width <= 0 || height <= 0 || gameWidth <= 0 || gameHeight <= 0) return 1;
    const std::int64_t displaySide = static_cast<std::int64_t>(width) * gameHeight;
    const std::int64_t gameSide = static_cast<std::int64_t>(gameWidth) * height;
    const bool sameShape = displaySide == gameSide;
    if (sameShape && (width == gameWidth || allowSameShape)) {
        g = LetterboxGeometry();
        g.displayWidth = gameWidth;
        g.displayHeight = gameHeight;
        return width == gameWidth ? -1 : 0;
    }
    LetterboxGeometry out;
    if (displaySide > gameSide) {  // the display is wider
        const std::int32_t dw = static_cast<std::int32_t>(static_cast<std::int64_t>(gameWidth) * height / gameHeight);
        const std::int32_t x = (width - dw) >> 1;
        out.dest = RECT{x, 0, dw, height};
        out.bar1 = RECT{0, 0, x, height};
        out.bar2 = RECT{x + dw, 0, width, height};
    } else {
        const std::int32_t dh = static_cast<std::int32_t>(static_cast<std::int64_t>(gameHeight) * width / gameWidth);
        const std::int32_t y = (height - dh) >> 1;
        out.dest = RECT{0, y, width, dh};
        if (!sameShape) {
            out.bar1 = RECT{0, 0, width, y};
            out.bar2 = RECT{0, y + dh, width, height};
        }
    }
    out.displayWidth = width;
    out.displayHeight = height;
    out.bars = sameShape ? 0 : 1;
    out.letterbox = 1;
    g = out;
    return 0;
}

namespace {

std::int32_t NextPowerOfTwo(std::int32_t v) {
    std::int32_t p = 1;
    while (p < v) p <<= 1;
    return p;
}

}  // namespace

std::int32_t ScalerTextureSize(const D3DDEVICEDESC7& caps, std::int32_t gameWidth, std::int32_t gameHeight,
                               bool powerOfTwo, SIZE& size) {
    std::int32_t w = gameWidth, h = gameHeight;
    if ((caps.dpcTriCaps.dwTextureCaps & D3DPTEXTURECAPS_POW2) || powerOfTwo) {
        w = NextPowerOfTwo(w);
        h = NextPowerOfTwo(h);
    }
    if (caps.dpcTriCaps.dwTextureCaps & D3DPTEXTURECAPS_SQUAREONLY) w = h = w > h ? w : h;
    if (w < static_cast<std::int32_t>(caps.dwMinTextureWidth)) w = static_cast<std::int32_t>(caps.dwMinTextureWidth);
    if (h < static_cast<std::int32_t>(caps.dwMinTextureHeight)) h = static_cast<std::int32_t>(caps.dwMinTextureHeight);
    if (w > static_cast<std::int32_t>(caps.dwMaxTextureWidth) || h > static_cast<std::int32_t>(caps.dwMaxTextureHeight))
        return 5;
    size = SIZE{w, h};
    return 0;
}

void MakeScalerQuad(float quad[4][6], std::int32_t destWidth, std::int32_t destHeight, std::int32_t gameWidth,
                    std::int32_t gameHeight, SIZE texture) {
    const float umax = static_cast<float>(gameWidth) / static_cast<float>(texture.cx);
    const float vmax = static_cast<float>(gameHeight) / static_cast<float>(texture.cy);
    const float right = static_cast<float>(destWidth) - 0.5f;
    const float bottom = static_cast<float>(destHeight) - 0.5f;
    const float corners[4][6] = {{-0.5f, -0.5f, 1.0f, 1.0f, 0.0f, 0.0f},
                                 {right, -0.5f, 1.0f, 1.0f, umax, 0.0f},
                                 {-0.5f, bottom, 1.0f, 1.0f, 0.0f, vmax},
                                 {right, bottom, 1.0f, 1.0f, umax, vmax}};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 6; ++j) quad[i][j] = corners[i][j];
}
