// The Japanese system report of the version dialog: the machine (SystemInfo, the processor
// record, the displays) and the state of the application's devices (DeviceReportValues), in a
// short form and a detailed one that adds the screen set-up, the processor, sound and input
// devices, the drives and the running processes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "framework/runtime/frame_rate_controller.h"
#include "framework/system/cpu_info.h"
#include "framework/system/display_info.h"
#include "framework/system/drive_source.h"
#include "framework/system/report_values.h"
#include "framework/system/system_info.h"
#include "framework/system/system_source.h"

// Where the report reads what SystemInfo does not keep; the real machine unless replaced.
struct SystemReportSources {
    // The program's path.
    SystemSource* system = &RealSystemSource();
    DriveSource* drives = &RealDriveSource();
    ProcessSource* processes = &RealProcessSource();
    // The processor clock in MHz, measured for the detailed report only.
    std::function<double()> measureClockMhz = &MeasureProcessorClock;
};

// The report's text (Shift-JIS, CR LF). The detailed report first fills an empty sound-device
// list through `devices.fillSoundOutputs`. `display` may be null (no monitor records).
std::string FormatSystemReport(bool detailed, const SystemInfo& system, const CpuInfoRecord& cpu,
                               DeviceReportValues& devices, const FrameRateController& frameRate,
                               const DisplayInfo* display,
                               const SystemReportSources& sources = SystemReportSources());

// Replaces the text of an edit control with the report and puts the caret at the start.
void BuildSystemReport(HWND edit, bool detailed, const SystemInfo& system, const CpuInfoRecord& cpu,
                       DeviceReportValues& devices, const FrameRateController& frameRate,
                       const DisplayInfo* display,
                       const SystemReportSources& sources = SystemReportSources());
