// One fixed machine and application for the system report and the start-up log: a faked
// Windows XP with two monitors, seven drives of every kind and four processes, a Pentium 4
// record, and device values with DirectDraw, Direct3D, two sound cards and a joystick.
#pragma once

#include <memory>

#include "framework/runtime/frame_rate_controller.h"
#include "framework/system/cpu_info.h"
#include "framework/system/display_info.h"
#include "framework/system/report_values.h"
#include "framework/system/system_info.h"
#include "framework/system/system_report.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_display_source.h"
#include "tests/support/fake_system_source.h"

namespace testsupport {

struct SystemReportInputs {
    SystemReportInputs();

    FakeSystemSource systemSource;
    FakeDriveSource drives;
    FakeProcessSource processes;
    FakeDisplaySource displaySource;
    FakeClock clock;
    CpuInfoRecord cpu = {};
    DeviceReportValues devices;
    // Built from the sources above; rebuild after changing them.
    std::unique_ptr<SystemInfo> system;
    std::unique_ptr<DisplayInfo> display;
    std::unique_ptr<FrameRateController> frameRate;
    // The clock measurement answers 2394.6 MHz.
    SystemReportSources sources;

    void Rebuild();
    std::string Format(bool detailed);
};

}  // namespace testsupport
