// The display adapters and their 3D devices, from which the adapter and device items take their
// choices. The application holds a provider; its built-in form is the framework's display-device
// list, and tests hand it adapter and device lists of their own.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/display/display_device_list.h"

class DisplayDeviceProvider {
public:
    virtual ~DisplayDeviceProvider() = default;
    // Rebuilds the list: 0 when it holds an adapter, -1 when it is empty, above 0 when the
    // enumeration could not run.
    virtual std::int32_t EnumerateDisplayDevices(bool emulationOnly, bool listModes) = 0;
    virtual const std::vector<DisplayAdapterRecord>& Adapters() const = 0;
    // False when no adapter offers a device.
    virtual bool ChooseDisplayDevice(DisplayDeviceChoice& out, bool alsoUnflagged) = 0;
    virtual void FreeDisplayDeviceList() = 0;
};

// The framework's list of the drivers on this machine.
class FrameworkDisplayDevices final : public DisplayDeviceProvider {
public:
    std::int32_t EnumerateDisplayDevices(bool emulationOnly, bool listModes) override {
        return ::EnumerateDisplayDevices(emulationOnly, listModes);
    }
    const std::vector<DisplayAdapterRecord>& Adapters() const override { return DisplayDeviceList(); }
    bool ChooseDisplayDevice(DisplayDeviceChoice& out, bool alsoUnflagged) override {
        return ::ChooseDisplayDevice(out, alsoUnflagged);
    }
    void FreeDisplayDeviceList() override { ::FreeDisplayDeviceList(); }
};
