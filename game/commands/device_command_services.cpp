#include "game/commands/device_command_services.h"

#include "game/app/application.h"
#include "game/commands/command_services.h"
#include "game/commands/command_task_table.h"
#include "game/interfaces/settings_files.h"
#include "graphics/device/screen_device.h"
#include "graphics/image/image.h"
#include "graphics/interfaces/screen_buffer.h"
#include "graphics/surfaces/gdi_screen.h"
#include "graphics/text/font_list.h"

namespace {

namespace B3 = SettingsFiles::Block3;

class ProgramDeviceSettings final : public DeviceCommandPort {
public:
    std::uint8_t ImageCacheSetting() override {
        Application* const app = Application::Current();
        return app ? app->UserCfg().block3[B3::kImageCache] : 0;
    }
    bool ContinuousRedrawOff() override {
        Application* const app = Application::Current();
        return app && app->UserCfg().block3[B3::kNoBusyRedraw] != 0;
    }
    HWND MainWindow() override {
        AppWindowPort* const window = Services().window;
        return window ? window->MainWindow() : nullptr;
    }
};

bool g_clearEachFrame = false;

std::uint32_t WordOf(const void* object) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(object));
}

// Hands the device's deletion notices to the command task table: the object by either face and,
// for a screen, its back buffer (effects hold screens by their buffers).
class DeletionRelay final : public ObjectDeletionListener {
public:
    void OnObjectDeleting(ListedObjectFamily family, const void* object, const void* otherFace) override {
        for (const void* face : {object, otherFace}) {
            if (!face) continue;
            CommandTasks().CancelUsersOf(WordOf(face));
            ScreenDevice* const device = DeviceServices().screen;
            if (family != ListedObjectFamily::kSurface || !device) continue;
            if (ScreenBuffer* const buffer = device->FindScreenBuffer(WordOf(face))) {
                CommandTasks().CancelUsersOf(WordOf(buffer));
            }
        }
    }
};

DeletionRelay g_relay;

}  // namespace

DeviceCommandServices& DeviceServices() {
    static DeviceCommandServices services;
    return services;
}

ScreenDevice* CommandScreenDevice() { return DeviceServices().screen; }

FontList* CommandFontList() {
    if (DeviceServices().fonts) return DeviceServices().fonts;
    // The application's list: one for the run, filled only by the scripts.
    static FontList programList;
    return &programList;
}

ImageLoaderHost* CommandImageHost() {
    if (DeviceServices().images) return DeviceServices().images;
    return g_imageLoaderHost;
}

TaskScheduler* CommandEffectScheduler() {
    if (DeviceServices().effectScheduler) return DeviceServices().effectScheduler;
    Application* const app = Application::Current();
    return app ? &app->LayerScheduler() : nullptr;
}

EffectRegistry* CommandEffectRegistry() {
    if (DeviceServices().effects) return DeviceServices().effects;
    Application* const app = Application::Current();
    return app ? &app->Effects() : nullptr;
}

DeviceCommandPort* CommandDeviceSettings() {
    if (DeviceServices().settings) return DeviceServices().settings;
    static ProgramDeviceSettings settings;
    return &settings;
}

void SetCommandScreenDevice(ScreenDevice* device) {
    ScreenDevice*& current = DeviceServices().screen;
    if (current == device) return;
    if (current) {
        current->RemoveDeletionListener(&g_relay);
        if (Services().graphics == current) Services().graphics = nullptr;
    }
    current = device;
    if (device) {
        device->AddDeletionListener(&g_relay);
        Services().graphics = device;
    }
}

bool ClearEachFrame() { return g_clearEachFrame; }
void SetClearEachFrame(bool on) { g_clearEachFrame = on; }

void ClearScreenForFrame() {
    ScreenDevice* const device = CommandScreenDevice();
    if (!g_clearEachFrame || !device) return;
    GdiScreen* const canvas = device->GameImage();
    if (!canvas) {
        device->ClearBackSurface();
        return;
    }
    Image* const image = static_cast<ScreenBuffer*>(canvas)->GetImage();
    const std::uint8_t* const rgb = device->backgroundColour;
    if (image) image->FillRect(rgb[0], rgb[1], rgb[2], nullptr);
}
