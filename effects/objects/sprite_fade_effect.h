// SpriteFadeEffect ("sp_fade"): fades a set of sprites in or out, each in its own entry, and can
// move them on the way. SpriteCrossFadeEffect ("sp_cfade"): fades from one sprite to another,
// through a working picture when the two overlap.
//
// "sp_fade" Setup words: 0 the number of entries (at least 1), 1 auto-finish, 2 count in the busy
// counter. Answers 0, 1 (no scheduler, fewer than one entry), 3 (the scheduler refused), -1 (the
// entries cannot be sized or allocated; the old ones stay). With auto-finish the effect ends at
// the step after its last fade has completed; without it, it lives until it is cancelled.
// ChangeParams words: 0 mode (0 or less completes every fade, 1 fade in, 2 or more fade out),
// 1 entry, 2 sprite, 3 duration of a full fade (ms), 4 delay (ms), 5 move, 6 and 7 the target
// position, 8 the easing exponent; answers SetSprite's code. Control: 1 while fades run, else 0.
// A counted effect calls the effect-started hook when its first fade starts and the effect-ended
// hook once its last one has ended (or when it completes or goes while running).
//
// "sp_cfade" Setup words: 0 the new sprite, 1 the old sprite (each may be null), 2 the working
// sprite's priority, 3 the duration in ms (0 counts as 1), 4 count in the busy counter. Answers
// 1 (no scheduler), 2 (word 0 or word 1 names no image sprite), 3 (neither sprite shows a
// picture), 4 (both do, but the new sprite is in no list or there is no target), 5 (the target
// has no image), 6 (the scheduler refused), 7 (the working image or sprite cannot be made),
// else 0. After 0 the effect owns the old sprite and its image and deletes the image, then the
// sprite, when it goes; after any other answer they stay with the caller and nothing the effect
// made is left in a list.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <memory>

#include "effects/objects/cross_fade_picture.h"
#include "effects/objects/effect_base.h"

class Sprite;

class SpriteFadeEffect : public WithDeletingDestructor<SpriteFadeEffect, EffectBase> {
public:
    static constexpr const char* kName = "sp_fade";

    SpriteFadeEffect();
    ~SpriteFadeEffect();

    std::int32_t XM_METHOD Kind() override { return 14001; }
    std::int32_t XM_METHOD Step(std::uint32_t now) override;
    void XM_METHOD Finish() override { Complete(); }
    const char* XM_METHOD Name() override { return kName; }
    std::uint8_t XM_METHOD Category() override { return 1; }
    std::int32_t XM_METHOD Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                 const std::int32_t* params) override;
    std::int32_t XM_METHOD ChangeParams(const std::int32_t* params) override;
    std::int32_t XM_CDECL ChangeParamsV(std::int32_t first, ...) override {
        va_list rest;
        va_start(rest, first);
        const std::int32_t result = ChangeParams(WordsFrom(rest));
        va_end(rest);
        return result;
    }
    std::int32_t XM_METHOD Control(const std::int32_t*) override { return m_running ? 1 : 0; }
    std::int32_t XM_CDECL ControlV(std::int32_t, ...) override { return m_running ? 1 : 0; }

    // Fills entry n (0 <= n < count): 1 for another n or a null sprite, which changes nothing.
    // A hidden sprite starts from opacity 0; a full fade takes `duration` ms (0 counts as 1).
    std::int32_t SetSprite(std::int32_t n, Sprite* sprite, bool fadeIn, std::uint32_t duration,
                           std::uint32_t delay, bool move, std::int32_t x, std::int32_t y,
                           double exponent);
    // Every fade ends at once in its end state.
    void Complete();

    std::int32_t EntryCount() const { return m_count; }

private:
    struct Entry {
        Sprite* sprite = nullptr;
        std::uint8_t startOpacity = 0;
        std::uint8_t targetOpacity = 0;
        bool move = false;
        bool started = false;
        std::uint32_t duration = 0;
        std::uint32_t delay = 0;
        std::uint32_t startTime = 0;
        std::int32_t startX = 0;
        std::int32_t startY = 0;
        std::int32_t targetX = 0;
        std::int32_t targetY = 0;
        double exponent = 0.0;
    };
    void StopRunning();
    // The end state of one entry, which is then freed.
    void EndEntry(Entry& entry);

    std::int32_t m_count = 0;
    std::unique_ptr<Entry[]> m_entries;
    bool m_counted = false;
    bool m_running = false;
    std::int32_t m_autoFinish = 0;
};

class SpriteCrossFadeEffect
    : public WithDeletingDestructor<SpriteCrossFadeEffect, EffectBase> {
public:
    static constexpr const char* kName = "sp_cfade";

    SpriteCrossFadeEffect();
    ~SpriteCrossFadeEffect();

    std::int32_t XM_METHOD Kind() override { return 14001; }
    std::int32_t XM_METHOD Step(std::uint32_t now) override;
    void XM_METHOD Finish() override { Complete(); }
    const char* XM_METHOD Name() override { return kName; }
    std::uint8_t XM_METHOD Category() override { return 1; }
    std::int32_t XM_METHOD Setup(TaskScheduler* scheduler, ScreenBuffer* target,
                                 const std::int32_t* params) override;
    // The slot after OnCreated: the end state (the new sprite shown, the old one hidden).
    virtual void XM_METHOD Complete();

    bool Combined() const { return m_combined; }
    const CrossFadePicture& Working() const { return m_working; }

private:
    void Render(std::uint32_t elapsed);

    Sprite* m_old = nullptr;
    Sprite* m_new = nullptr;
    bool m_oldShows = false;
    bool m_newShows = false;
    bool m_owned = false;
    bool m_combined = false;
    bool m_firstStep = true;
    std::uint8_t m_last = 0;
    std::uint32_t m_duration = 1;
    std::uint32_t m_start = 0;
    CrossFadePicture m_working;
};
