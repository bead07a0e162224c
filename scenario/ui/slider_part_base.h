// SliderPartBase: the value model and the input behaviour of a scroll bar (type 4): a track
// with a thumb whose length shows the visible share of a range, and optional decrement and
// increment arrow buttons at its ends. The value moves by dragging the thumb, clicking the track
// (paging with auto-repeat, or moving the thumb there), the arrows (auto-repeat), the wheel and
// the keys; every change is told to the listener. The sprites and faces come from SliderPart.
//
// Value and thumb: value v in 0..maxValue maps to thumb offset v x maxThumbPos / maxValue and
// back (truncating, in 64 bits). A slider that cannot scroll has value and thumbPos -1, its thumb
// hidden and itself and its arrows disabled; SetValue, SetThumbPos answer 1 then.
//
// The slider owns its arrows. A slider joins a group with its arrows (JoinGroup: arrow, slider,
// arrow) and leaves with them; whether it is joined is read from its own group pointer, which
// only the group sets, so a group's Clear or PopState that took it out lets it join again.
// Arrows a slider makes are entered in the registry it was given (the panel's table of the words
// scripts hold) and taken out before they go.
//
// Time: the per-frame update (Update) hands the slider and its arrows the turn's time; repeats
// run on it. Used on the game thread only.
#pragma once

#include <cstdint>
#include <string>

#include "scenario/ui/slider_listener.h"
#include "scenario/ui/ui_part.h"

class SliderArrowButton;

// Where a slider enters the arrow buttons it makes and takes them out before deleting them.
class SliderArrowRegistry {
public:
    virtual void EnterArrow(UiPart* arrow) = 0;
    virtual void ForgetArrow(UiPart* arrow) = 0;

protected:
    ~SliderArrowRegistry() = default;
};

class SliderPartBase : public UiPart {
public:
    enum State : std::uint8_t { kNormal = 0, kHover = 1, kPressed = 2, kDisabled = 3 };
    // Which part SetPartState sets.
    enum Which : std::int32_t { kTrack = 0, kDecArrow = 1, kIncArrow = 2 };
    // Auto-repeat of the arrows and of paging: first after 500 ms, then every 100 ms.
    static constexpr std::uint32_t kFirstRepeatMs = 500;
    static constexpr std::uint32_t kRepeatMs = 100;
    // Keyboard codes of Home and End.
    static constexpr std::uint8_t kKeyHome = 199;
    static constexpr std::uint8_t kKeyEnd = 207;

    SliderPartBase();
    ~SliderPartBase() override;

    std::int32_t TypeCode() override { return kUiSlider; }
    std::int32_t GetX() override { return m_x; }
    std::int32_t GetY() override { return m_y; }
    std::int32_t GetWidth() override { return m_width; }
    std::int32_t GetHeight() override { return m_height; }
    // The arrows first, then the slider; a change shows the normal or the disabled face.
    bool SetEnabled(bool enabled) override;
    bool HitTest(std::int32_t x, std::int32_t y) override { return HitTestTrack(x, y); }
    void OnPointerMove(std::int32_t x, std::int32_t y) override;
    void OnPointerLeave() override;
    bool OnPointer(std::int32_t x, std::int32_t y, MouseDevice* mouse) override;
    void OnFocus(UiPart* previous, bool forward) override;
    void OnBlur(UiPart* next) override;
    bool OnKeys(ActionMap* actions) override;
    // Keeps the turn's time; 0.
    std::int32_t Update(std::uint32_t now) override;
    void DropReferencesTo(const void* object) override;

    virtual void Release() = 0;
    // 1 not scrollable; -1 no change; 0 moved (the listener told).
    virtual std::int32_t SetValue(std::int32_t value);
    virtual std::int32_t SetThumbPos(std::int32_t pos);
    // One value unit forwards or backwards; -1 not scrollable; 0.
    virtual std::int32_t StepBy(bool forward);
    // 0 scrollable; -1 laid out as not scrollable; 1 no sprite list or range 0; 2 (thumb) or 3
    // (track) an image was not built.
    virtual std::int32_t Setup(std::int32_t length, std::int32_t range, std::int32_t page, std::int32_t value,
                               std::int32_t endMargin, std::int32_t minThumb) = 0;
    // kTrack: the slider's state and face; kDecArrow, kIncArrow: that arrow's state (1 or 2 when
    // it is missing); 0.
    virtual std::int32_t SetPartState(std::int32_t which, std::uint8_t state) = 0;
    // Screen point over the track.
    virtual bool HitTestTrack(std::int32_t x, std::int32_t y) = 0;
    virtual void SetListener(SliderListener* listener) { m_listener = listener; }
    // A name replaces its number with 0 (a negative number plays the group's default).
    virtual void SetSounds(const char* pressSound, const char* enterSound, const char* leaveSound,
                           std::int32_t pressSoundId, std::int32_t enterSoundId, std::int32_t leaveSoundId);
    // 1 null group; -1 already a member; else the slider's InsertPart result, with the
    // decrement arrow before it and the increment arrow after it (a negative index appends).
    virtual std::int32_t JoinGroup(UiPartGroup* group, std::int32_t index);
    // False when not a member; else the arrows and the slider leave; true.
    virtual bool LeaveGroup();

    // One step of the arrows, the wheel and the arrow keys by the step rule.
    void StepOnce(bool forward);
    void SetArrowRegistry(SliderArrowRegistry* registry) { m_registry = registry; }
    void SetClickMode(std::uint8_t mode) { m_clickMode = mode; }
    void SetStep(std::int32_t step) { m_step = step; }
    void SetPageActions(std::uint8_t up, std::uint8_t down) {
        m_pageUpAction = up;
        m_pageDownAction = down;
    }
    // The script's flag command for type 4.
    void SetRectTrackHit(bool rect) { m_rectTrackHit = rect ? 1 : 0; }

    SliderListener* Listener() const { return m_listener; }
    SliderArrowButton* DecArrow() const { return m_decArrow; }
    SliderArrowButton* IncArrow() const { return m_incArrow; }
    bool Vertical() const { return m_vertical != 0; }
    std::uint8_t State() const { return m_state; }
    std::int32_t Value() const { return m_value; }
    std::int32_t MaxValue() const { return m_maxValue; }
    std::int32_t ThumbPos() const { return m_thumbPos; }
    std::int32_t MaxThumbPos() const { return m_maxThumbPos; }
    std::int32_t ThumbLength() const { return m_thumbLength; }
    std::int32_t ThumbStart() const { return m_thumbStart; }
    std::int32_t TrackX() const { return m_trackX; }
    std::int32_t TrackY() const { return m_trackY; }
    std::uint8_t ClickMode() const { return m_clickMode; }
    std::int32_t Step() const { return m_step; }
    std::int32_t PageDirection() const { return m_pageDirection; }
    bool CapturedPointer() const { return m_capturedPointer != 0; }
    bool RectTrackHit() const { return m_rectTrackHit != 0; }
    std::uint8_t PageUpAction() const { return m_pageUpAction; }
    std::uint8_t PageDownAction() const { return m_pageDownAction; }

protected:
    // Puts the thumb sprite at thumbPos (thumbPos >= 0).
    virtual void PlaceThumb() = 0;
    // The arrows' enabled states from the value.
    void UpdateArrows();
    // Takes (and gives back) the group's pointer capture.
    void TakeCapture();
    void ReleaseCapture();
    // The arrow length along the bar, 0 without that arrow.
    std::int32_t ArrowLength(const SliderArrowButton* arrow) const;
    // Enters a new arrow in the registry, or takes one out and deletes it.
    void AdoptArrow(SliderArrowButton* arrow, bool increment);
    void DeleteArrows();
    void PlayTrackSound(std::int32_t which);

    SliderListener* m_listener = nullptr;
    std::string m_thumbFileName;
    std::int32_t m_thumbStartCap = 0;
    std::int32_t m_thumbEndCap = 0;
    std::string m_trackFileName;
    std::int32_t m_trackStartCap = 0;
    std::int32_t m_trackEndCap = 0;
    SliderArrowButton* m_decArrow = nullptr;
    SliderArrowButton* m_incArrow = nullptr;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    std::uint8_t m_vertical = 0;
    std::uint8_t m_state = kNormal;
    std::int32_t m_x = 0;
    std::int32_t m_y = 0;
    std::int32_t m_thumbPos = -1;
    std::int32_t m_maxThumbPos = -1;
    std::int32_t m_thumbLength = 0;
    std::int32_t m_thumbStart = 0;
    std::int32_t m_trackX = 0;
    std::int32_t m_trackY = 0;
    std::int32_t m_dragAnchor = 0;
    std::int32_t m_maxValue = 0;
    std::int32_t m_value = -1;
    std::uint8_t m_clickMode = 0;
    std::uint32_t m_repeatDeadline = 0;
    std::int8_t m_pageDirection = 0;
    std::uint8_t m_capturedPointer = 0;
    std::uint8_t m_rectTrackHit = 1;
    std::uint8_t m_pageUpAction = 0;
    std::uint8_t m_pageDownAction = 0;
    std::int32_t m_step = 0;
    // Sounds in the order press, enter, leave.
    std::string m_sounds[3];
    std::int32_t m_soundIds[3] = {-1, -1, -1};
    std::uint32_t m_now = 0;
    SliderArrowRegistry* m_registry = nullptr;

private:
    // Moves the thumb to p (clamped) and maps it to the value; SetThumbPos's answers.
    std::int32_t MoveThumbTo(std::int64_t pos);
    std::int32_t MoveValueTo(std::int64_t value);
    void Changed();
    std::int32_t TrackOffset() const { return m_vertical ? m_trackY : m_trackX; }
};
