// StaffRollEffect ("staff"): the closing credits. A layout script (keyword lines, see
// LoadLayout) makes one sprite per credit line on the target's canvas and optional picture
// groups that fade in and out while the column passes; the column scrolls up by its height over
// the script's duration (or over the length of music the roll starts itself), then holds and
// fades the lines out. The roll then ends, or stops on its last frame when the script says so
// (Control answers 2 then).
//
// The roll's clock is now - start: pausing its task does not hold it, so after a pause the roll
// jumps ahead by the paused time and stays in step with the music, which plays on meanwhile.
//
// Music goes through StaffMusic, set with SetStaffRollMusic (null: no music; a script naming
// music is then refused with 4). The roll stops only music it started.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "effects/objects/effect_base.h"
#include "graphics/image/image.h"
#include "graphics/sprites/sprite.h"

class Canvas;

// What the staff roll needs of the music player.
class StaffMusic {
public:
    virtual ~StaffMusic() = default;
    // Starts the piece as background music, played once (no loop part).
    virtual void Start(const char* name) = 0;
    virtual void Stop() = 0;
    virtual bool Playing() = 0;
    // Total length of the piece now playing, in ms.
    virtual std::uint32_t Length() = 0;
    // Fades the music out over ms milliseconds.
    virtual void FadeOut(std::uint32_t ms) = 0;
};

StaffMusic* StaffRollMusic();
void SetStaffRollMusic(StaffMusic* music);

struct StaffLine {
    // The image comes before the sprite, which must go first.
    Image image;
    Sprite sprite;
    std::int32_t x = 0;
    std::int32_t layoutY = 0;
};

struct StaffGroup {
    Image image;
    Sprite sprite;
    std::int32_t startX = 0;
    std::int32_t startY = 0;
    std::uint8_t maxOpacity = 255;
    // 0 waiting, 1 fading in, 2 shown, 3 fading out, 4 done.
    std::uint8_t state = 0;
    std::int32_t endX = 0;
    std::int32_t endY = 0;
    std::int32_t span = 0;
    std::int32_t startPosition = 0;
    std::int32_t endPosition = -1;  // -1: not yet known
    std::uint32_t fadeIn = 0;
    std::uint32_t fadeOut = 0;
    std::uint64_t fadeInStart = 0;
    std::uint64_t fadeOutStart = 0;
};

class StaffRollEffect final : public WithDeletingDestructor<StaffRollEffect, EffectBase> {
public:
    static constexpr const char* kName = "staff";
    // The centred alignment centres between the x offset and this fixed width: layout scripts
    // are written for an 800-pixel screen, whatever the target's size.
    static constexpr std::int32_t kCentreWidth = 800;

    std::int32_t XM_METHOD Kind() override { return 14002; }
    std::int32_t XM_METHOD Step(std::uint32_t now) override;
    void XM_METHOD Finish() override {}
    const char* XM_METHOD Name() override { return kName; }
    std::uint8_t XM_METHOD Category() override { return 2; }
    // Word 0: the layout script's file name. 0; 1 no scheduler, target, words or canvas; 2 the
    // script failed (LoadLayout's code) or gives neither a duration nor music; 3 no line;
    // 4 music named but none set; 5 the scheduler refused the task. On failure no sprite is
    // left in the canvas.
    std::int32_t XM_METHOD Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                 const std::int32_t* params) override;
    // Word 0 must be 0 (else -1); word 1 makes the clock run that many times faster (below 1:
    // normal speed), from the next step on.
    std::int32_t XM_METHOD ChangeParams(const std::int32_t* params) override;
    std::int32_t XM_CDECL ChangeParamsV(std::int32_t first, ...) override {
        va_list rest;
        va_start(rest, first);
        const std::int32_t result = ChangeParams(WordsFrom(rest));
        va_end(rest);
        return result;
    }
    // The state: 0 idle, 1 running, 2 stopped.
    std::int32_t XM_METHOD Control(const std::int32_t*) override { return m_state; }
    std::int32_t XM_CDECL ControlV(std::int32_t, ...) override { return m_state; }

    // Reads the layout script into lines and groups on the canvas (earlier ones are removed).
    // 0; 2 cannot open; 4 a font face that is not a quoted text of at most 31 bytes; 5 a text
    // that is not quoted, 6 it cannot be rendered; 7 a picture name that is not quoted, 8 it
    // cannot be loaded; 9 and 10 the same for a group's picture; 11 an unknown keyword; -1 any
    // other failure. On failure nothing made is kept.
    std::int32_t LoadLayout(const char* name, Canvas* canvas);
    void Clear();

    const std::vector<std::unique_ptr<StaffLine>>& Lines() const { return m_lines; }
    const std::vector<std::unique_ptr<StaffGroup>>& Groups() const { return m_groups; }
    std::int32_t Height() const { return m_height; }
    std::uint32_t Duration() const { return m_duration; }
    std::uint32_t Hold() const { return m_hold; }
    std::uint32_t Fade() const { return m_fade; }
    bool FinishWhenDone() const { return m_finishWhenDone != 0; }
    const std::string& MusicName() const { return m_bgmName; }

private:
    std::int32_t ParseLines(const char* name, Canvas* canvas);
    void UpdateGroups(std::int64_t position, std::uint64_t time);
    // Stops music the roll started; -1 when the roll ends, else 0 (stopped on its last frame).
    std::int32_t End();

    std::vector<std::unique_ptr<StaffLine>> m_lines;
    std::vector<std::unique_ptr<StaffGroup>> m_groups;
    std::int32_t m_height = 0;
    std::string m_bgmName;
    std::uint32_t m_duration = 0;
    std::uint32_t m_hold = 0;
    std::uint32_t m_fade = 0;
    std::uint8_t m_finishWhenDone = 1;
    std::uint8_t m_state = 0;
    bool m_started = false;
    std::uint32_t m_startTime = 0;
    std::uint32_t m_lastTime = 0;
    // Time the faster clock has gained, in 64 bits and capped at the roll's end, so that a
    // large factor never wraps the clock back.
    std::uint64_t m_gained = 0;
    std::uint8_t m_phase = 0;
    bool m_fadeStarted = false;
    bool m_bgmStarted = false;
    std::int32_t m_speedFactor = 1;
    double m_speed = 0.0;
};
