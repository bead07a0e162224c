// DisplayInfo: one record per monitor (rectangles, work area, colour depth, refresh rate,
// device and adapter names) for the start-up check, window placement, the start-up log and the
// system report. Used on the window thread only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "framework/system/display_source.h"

struct MonitorRecord {
    HMONITOR monitor;
    std::uint8_t depth;     // 0 when not available
    std::uint16_t refresh;  // 0 when not available or reported as 0 or 1
    RECT rect;
    RECT work;
    char deviceName[32];
    // The adapter's device string, possibly followed by "[n]" when several monitors hang on
    // adapters of the same description; always terminated.
    char adapter[128];
    bool primary;
    bool modesPruned;
    // kNotNumbered, or the number written after the description.
    std::uint8_t number;
};

class DisplayInfo {
public:
    static constexpr std::uint8_t kNotNumbered = 255;

    // Refresh, then ReadAdapterNames.
    explicit DisplayInfo(DisplaySource& source = RealDisplaySource());
    virtual ~DisplayInfo() = default;

    // Rebuilds the records from the monitors the system reports now.
    void Refresh();
    // Names every record from the display devices attached to the desktop and numbers equal
    // names; 1 when there are no records, else 0.
    std::int32_t ReadAdapterNames();

    // 0 with the monitor's rectangle; 1 when the monitor has no record, with the screen size
    // at (0, 0).
    std::int32_t GetScreenSize(RECT& out, HMONITOR monitor) const;
    // 0 with the monitor's work rectangle; 1 when it has no record, with the system work area.
    std::int32_t GetWorkArea(RECT& out, HMONITOR monitor) const;
    // Finds a place for a w x h rectangle at (x, y). Mode 0 leaves it where it is when some
    // work area holds it (0). Otherwise it goes to the top-left corner of the nearest
    // monitor's work area, or of the first monitor big enough when the nearest is too small,
    // and with `centre` is centred there when it fits (1). -1 without records or for an empty
    // size.
    std::int32_t PlaceRect(std::int32_t& x, std::int32_t& y, std::int32_t w, std::int32_t h,
                           std::int32_t mode, bool centre) const;
    // The first monitor whose full rectangle is at least w x h; null when none is, without
    // records, or for an empty size.
    HMONITOR FindMonitorFor(std::int32_t w, std::int32_t h) const;

    const std::vector<MonitorRecord>& Monitors() const { return m_monitors; }

private:
    const MonitorRecord* Find(HMONITOR monitor) const;
    // Appends "[n]" in decimal, cutting the description at a character boundary to make room.
    static void AppendNumber(MonitorRecord& record, std::uint8_t number);

    DisplaySource& m_source;
    std::vector<MonitorRecord> m_monitors;
};

// The display information that window placement reads; published by the application's
// start-up, null before.
extern DisplayInfo* g_displayInfo;
