#include "game/commands/screen_command_services.h"

#include "game/app/application.h"
#include "game/commands/command_services.h"
#include "game/interfaces/settings_files.h"
#include "graphics/device/screen_device.h"
#include "graphics/interfaces/screen_buffer.h"

namespace {

std::uint32_t WordOf(const void* object) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(object));
}

// Back buffers keep their partner as a bare pointer and read it on every transition frame.
class TransitionPartnerGuard final : public ObjectDeletionListener {
public:
    void OnObjectDeleting(ListedObjectFamily family, const void* object, const void*) override {
        ScreenDevice* const device = ScreenServices().device;
        if (family != ListedObjectFamily::kSurface || !device) return;
        ScreenBuffer* const leaving = device->FindScreenBuffer(WordOf(object));
        if (!leaving) return;
        device->ForEachSurface([&](Surface* surface) {
            ScreenBuffer* const screen = device->FindScreenBuffer(WordOf(surface));
            if (!screen || screen == leaving || screen->GetAlternate() != leaving) return;
            // No swap: the partner's canvas is about to go.
            screen->EndTransition(false);
            screen->SetAlternate(nullptr);
        });
    }
};

TransitionPartnerGuard g_partnerGuard;

}  // namespace

ScreenCommandServices& ScreenServices() {
    static ScreenCommandServices services;
    return services;
}

void AttachCommandScreenDevice(ScreenDevice* device) {
    SetCommandScreenDevice(device);
    ScreenCommandServices& services = ScreenServices();
    if (services.device == device) return;
    if (services.device) services.device->RemoveDeletionListener(&g_partnerGuard);
    services.device = device;
    if (device) device->AddDeletionListener(&g_partnerGuard);
}

TransitionRegistry* CommandTransitions() {
    if (ScreenServices().transitions) return ScreenServices().transitions;
    Application* const app = Application::Current();
    return app ? &app->Transitions() : nullptr;
}

bool ContinuousRedrawOff() {
    Application* const app = Application::Current();
    return app && app->UserCfg().block3[SettingsFiles::Block3::kNoBusyRedraw] != 0;
}
