// HitMapPart: an invisible part (type 10) that lays an 8-bit index image over the screen. The
// pixel values divide its area into up to 255 regions; each enabled region can be hovered,
// focused with the keys and activated on its own, with its own tooltip, action texts and
// caller words. An activation reports the part's id plus the region's index and locks the map,
// so one choice ends its input until a script unlocks it.
//
// The map has no sprite: the priority, alpha and visibility operations store or answer nothing.
// Region indexes from scripts are checked against the region count, negative ones included.
// Used on the game thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "graphics/image/image.h"
#include "scenario/ui/caller_word.h"
#include "scenario/ui/ui_part.h"

// What a region does when it is entered, left or activated.
struct HitMapRegionAction {
    std::string text1;
    std::int32_t value = 0;
    std::string text2;
    CallerWord activatedFlag;
    CallerWord hoverFlag;
    CallerWord leaveFlag;
    std::string tooltip;
};

class HitMapPart : public UiPart {
public:
    static constexpr std::int32_t kTypeCode = 10;

    HitMapPart();
    ~HitMapPart() override;

    std::int32_t TypeCode() override { return kTypeCode; }
    std::int32_t GetX() override { return m_x; }
    std::int32_t GetY() override { return m_y; }
    std::int32_t GetWidth() override { return m_image.Width(); }
    std::int32_t GetHeight() override { return m_image.Height(); }
    std::int32_t SetPosition(std::int32_t x, std::int32_t y) override;
    void SetVisible(bool) override {}
    bool IsVisible() override { return IsEnabled(); }
    std::int32_t SetPriority(std::int32_t, std::int32_t, bool) override { return 0; }
    std::int32_t GetPriority() override { return 0; }
    void SetAlpha(std::uint8_t) override {}
    std::uint8_t GetAlpha() override { return 0; }
    bool HitTest(std::int32_t x, std::int32_t y) override;
    void OnPointerMove(std::int32_t x, std::int32_t y) override;
    void OnPointerLeave() override;
    bool OnPointer(std::int32_t x, std::int32_t y, MouseDevice* mouse) override;
    void OnFocus(UiPart* previous, bool forward) override;
    void OnBlur(UiPart* next) override;
    bool OnKeys(ActionMap* actions) override;
    // The current region's tooltip, or null.
    const char* GetTooltip() override;

    // 0; 1 a count of 0; 2 the index image did not load; 3 no memory for the regions. The
    // regions start disabled and without actions.
    virtual std::int32_t Create(const char* fileName, std::uint8_t regionCount, std::int32_t x,
                                std::int32_t y, bool activatable, std::int32_t tag);
    // 0; 1 no regions; 2 an index outside the regions.
    virtual std::int32_t SetRegionEnabled(std::int32_t index, bool enabled);
    virtual void ReleaseRegions();
    // Replaces the region's action; empty or null texts are left out. Codes as SetRegionEnabled.
    virtual std::int32_t SetRegionAction(std::int32_t index, const char* text1, std::int32_t value,
                                         const char* text2, const char* tooltip,
                                         CallerWord activatedFlag, CallerWord hoverFlag,
                                         CallerWord leaveFlag);
    // A named sound plays by its name and id; an empty name with a negative id asks the group
    // for its default.
    virtual void SetSounds(const char* pressSound, const char* enterSound, const char* leaveSound,
                           std::int32_t pressSoundId, std::int32_t enterSoundId,
                           std::int32_t leaveSoundId);
    // While locked the map takes no pointer or key input and passes the focus on.
    virtual void SetLocked(bool locked);
    // The keyboard's choice of a region. 0; 1 no group, no regions, locked, an index outside the
    // regions or the focus could not be taken; 2 a disabled region.
    virtual std::int32_t SelectRegion(std::int32_t index);
    virtual bool FireRegion(std::int32_t index);
    virtual bool HoverRegion(std::int32_t index);
    virtual bool EnterRegion(std::int32_t index);
    virtual bool LeaveRegion(std::int32_t index);

    // -1 when none is hovered or focused.
    std::int32_t CurrentRegion() const { return m_currentRegion; }
    bool Locked() const { return m_locked; }
    Image& IndexImage() { return m_image; }
    std::int32_t RegionCount() const { return m_regionCount; }

private:
    struct Region {
        bool enabled = false;
        std::unique_ptr<HitMapRegionAction> action;
    };

    bool ValidRegion(std::int32_t index) const;
    bool RegionEnabled(std::int32_t index) const;
    HitMapRegionAction* Action(std::int32_t index) const;
    // The nearest enabled region from `from` in the direction (from itself when inclusive), or -1.
    std::int32_t NextEnabled(std::int32_t from, bool forward, bool inclusive) const;
    // Leaves the current region, first restarting the group's tooltip timing when it had one.
    void LeaveCurrent();
    void Play(const std::string& name, std::int32_t id, std::int32_t fallback);
    void ClearRegions();

    Image m_image;
    std::unique_ptr<Region[]> m_regions;
    std::uint8_t m_regionCount = 0;
    std::int32_t m_x = 0;
    std::int32_t m_y = 0;
    bool m_activatable = false;
    // The region whose tooltip the part shows, -1 none. Kept as an index, so replacing or
    // releasing that region's action never leaves the part pointing at a freed text.
    std::int32_t m_tooltipRegion = -1;
    bool m_locked = false;
    std::int32_t m_hitRegion = -1;
    std::int32_t m_currentRegion = -1;
    std::uint8_t m_pressState = 0;
    std::string m_pressSound;
    std::string m_enterSound;
    std::string m_leaveSound;
    std::int32_t m_pressSoundId = -1;
    std::int32_t m_enterSoundId = -1;
    std::int32_t m_leaveSoundId = -1;
};
