// The display adapters and their 3D devices, from which the adapter and device items take their
// choices. The enumeration itself belongs to the graphics core's device code, which the tool does
// not carry yet: the application holds a provider, whose built-in form finds none, so both items
// leave the tree; tests hand it adapter and device lists of their own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct DisplayDeviceRecord {
    GUID id;
    std::string name;
    std::uint32_t renderBitDepths;  // the DDBD flags of the device description
    bool hardware;
};

struct DisplayAdapterRecord {
    GUID id;  // all zero for the primary display driver
    std::string description;
    std::string driverName;
    std::uint8_t flag;  // 1 for the primary driver that can render in a window
    std::vector<DisplayDeviceRecord> devices;
};

// The adapter and device chosen by default.
struct DisplayDeviceChoice {
    GUID adapter;
    GUID device;
    std::uint32_t renderBitDepths;
    std::int32_t deviceClass;  // 2 T&L HAL, 1 other hardware, 0 software
    std::uint8_t flag;
};

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

// Finds no display device.
class NoDisplayDevices final : public DisplayDeviceProvider {
public:
    std::int32_t EnumerateDisplayDevices(bool, bool) override { return -1; }
    const std::vector<DisplayAdapterRecord>& Adapters() const override { return m_none; }
    bool ChooseDisplayDevice(DisplayDeviceChoice&, bool) override { return false; }
    void FreeDisplayDeviceList() override {}

private:
    std::vector<DisplayAdapterRecord> m_none;
};
