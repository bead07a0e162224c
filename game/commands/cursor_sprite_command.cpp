#include "game/commands/cursor_sprite_command.h"

#include <memory>

#include "framework/app/framework_app.h"
#include "framework/input/input_manager.h"
#include "framework/input/mouse_device.h"
#include "framework/input/pointer_sprite.h"
#include "game/app/application.h"
#include "game/commands/command_args.h"
#include "game/commands/command_guard.h"
#include "game/commands/command_services.h"
#include "game/commands/device_command_services.h"
#include "graphics/device/object_deletion_listener.h"
#include "graphics/device/primitive_sprites.h"
#include "graphics/device/screen_device.h"
#include "graphics/device/surface_sprites.h"

using command_args::Byte;
using command_args::Int;
using command_args::Result;

namespace {

bool IsSurfaceSpriteKind(std::uint8_t kind) {
    return kind == kDrawableSurfaceSprite || kind == kDrawableSurfaceSpriteEx;
}
bool IsQuadKind(std::uint8_t kind) { return kind == kDrawableTexturedQuad || kind == kDrawableTexturedQuadEx; }

// What the mouse sees of a device drawable.
class DrawablePointer final : public PointerSprite {
public:
    explicit DrawablePointer(DeviceDrawable* drawable) : m_drawable(drawable) {}
    ~DrawablePointer() = default;

    DeviceDrawable* Drawable() const { return m_drawable; }

    std::uint8_t Kind() override { return static_cast<std::uint8_t>(m_drawable->Kind()); }
    bool HasUsableSurface() override {
        if (SurfaceSprite* const sprite = AsSurfaceSprite()) return sprite->Image() != nullptr;
        if (TexturedQuadSprite* const quad = AsQuad()) return quad->GetTexture() != nullptr;
        return false;
    }
    std::int32_t SourceWidth() override {
        if (SurfaceSprite* const sprite = AsSurfaceSprite()) return sprite->SourceRect().right - sprite->SourceRect().left;
        if (TexturedQuadSprite* const quad = AsQuad()) return quad->SourceRect().right - quad->SourceRect().left;
        return 0;
    }
    POINT SourceOffset() override {
        if (SurfaceSprite* const sprite = AsSurfaceSprite()) return sprite->SourceOffset();
        if (TexturedQuadSprite* const quad = AsQuad()) return quad->SourceOffset();
        return POINT{0, 0};
    }
    void SetSurfaceSpriteSourceOffset(std::int32_t x, std::int32_t y) override {
        if (SurfaceSprite* const sprite = AsSurfaceSprite()) sprite->SetSourceRect(x, y, nullptr);
    }
    void SetTexturedQuadSourceOffset(std::int32_t x, std::int32_t y) override {
        if (TexturedQuadSprite* const quad = AsQuad()) quad->SetSourceRect(x, y, nullptr);
    }
    void SetEnabled(bool enabled) override { m_drawable->SetEnabled(enabled); }
    void SetPosition(std::int32_t x, std::int32_t y) override { m_drawable->SetPosition(x, y); }

private:
    SurfaceSprite* AsSurfaceSprite() const {
        return IsSurfaceSpriteKind(m_drawable->Kind()) ? static_cast<SurfaceSprite*>(m_drawable) : nullptr;
    }
    TexturedQuadSprite* AsQuad() const {
        return IsQuadKind(m_drawable->Kind()) ? static_cast<TexturedQuadSprite*>(m_drawable) : nullptr;
    }

    DeviceDrawable* m_drawable;
};

MouseDevice* Mouse() {
    Application* const app = Application::Current();
    return app ? app->Input().Mouse() : nullptr;
}

// Owns the view the mouse holds and takes it off the mouse before its drawable is deleted.
class PointerKeeper final : public ObjectDeletionListener {
public:
    std::int32_t Set(MouseDevice& mouse, DeviceDrawable* drawable, std::uint32_t frames, std::uint32_t frameTime,
                     bool pingPong, std::int32_t hotX, std::int32_t hotY) {
        if (!drawable) {
            const std::int32_t code = mouse.SetCursorSprite(nullptr, 0, 0, false, 0, 0);
            Settle(mouse);
            return code;
        }
        auto candidate = std::make_unique<DrawablePointer>(drawable);
        const std::int32_t code = mouse.SetCursorSprite(candidate.get(), frames, frameTime, pingPong, hotX, hotY);
        if (mouse.CursorSprite() == candidate.get()) {
            m_view = std::move(candidate);
            ListenTo(CommandScreenDevice());
        }
        Settle(mouse);
        return code;
    }

    void OnObjectDeleting(ListedObjectFamily family, const void* object, const void*) override {
        if (family != ListedObjectFamily::kDrawable || !m_view || m_view->Drawable() != object) return;
        MouseDevice* const mouse = Mouse();
        if (mouse && mouse->CursorSprite() == m_view.get()) mouse->SetCursorSprite(nullptr, 0, 0, false, 0, 0);
        m_view.reset();
    }

private:
    // A view the mouse no longer holds (dropped, replaced, refused) is let go.
    void Settle(MouseDevice& mouse) {
        if (m_view && mouse.CursorSprite() != m_view.get()) m_view.reset();
    }
    // Listening again each time keeps the keeper on the device that lists the drawable now.
    void ListenTo(ScreenDevice* device) {
        if (!device) return;
        device->RemoveDeletionListener(this);
        device->AddDeletionListener(this);
    }

    std::unique_ptr<DrawablePointer> m_view;
};

PointerKeeper& Keeper() {
    static PointerKeeper keeper;
    return keeper;
}

std::uint32_t CmdSetCursorSpriteBody(std::uint32_t* w) {
    Application* const app = Application::Current();
    MouseDevice* const mouse = Mouse();
    if (!app || !mouse) return 0;
    ScreenDevice* const device = CommandScreenDevice();
    DeviceDrawable* const drawable = device ? device->FindDrawable(w[0]) : nullptr;
    const std::int32_t code = Keeper().Set(*mouse, drawable, w[1], w[2], Byte(w[3]) != 0, Int(w[4]), Int(w[5]));
    if (code == 0 && drawable && mouse->CursorMessageState() && app->MainWindow().Exists())
        mouse->SendCursorMessage(false, app->MainWindow().Handle(), kMsgShowCursor);
    return Result(code);
}

}  // namespace

std::uint32_t XM_CDECL CmdSetCursorSprite(std::uint32_t* arguments) {
    return GuardedCommand<CmdSetCursorSpriteBody, 0>(arguments);
}
