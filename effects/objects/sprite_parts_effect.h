// SpritePartsEffect ("sp_parts"): a figure composed of part images read from a parts definition
// (a text file such as SYS/CA0nn.TXT). Each part is a sprite on the target's canvas (and, on
// request, a twin on the linked screen's canvas) that either follows its own list of motion
// records through a SpritePanimeEffect the effect steps itself, stays at its one key state, or
// scrolls endlessly through two SpriteLoopEffects. In painting mode the parts live on offscreen
// canvases that paint into the canvases' background pictures instead.
//
// Setup words: 0 the definition file's name (a text word), 1 and 2 the x and y offsets, 3 the
// base priority, 4 loop, 5 and 6 the scale as one 64-bit real (low word first), 7 count the
// effect in the busy counter, 8 paint into the background pictures, 9 use the linked screen's
// canvas as well, 10 and 11 show on canvas 0 and canvas 1 (only with word 9; else both shown).
// Answers 1 (no scheduler, target, canvas or file name; a scale that is not a finite number
// above 0, or that makes a part image too large to exist), 2 (word 9 without a linked screen or
// canvas), 3 (the definition failed), 4 (a part's motion could not be set up), 5 (the scheduler
// refused it), else 0. Any failure leaves the sprite lists as they were and keeps nothing.
//
// ChangeParams word 0: 0 stop (animated parts end after their current pass, looped parts at the
// end of their cycle, static parts at once); 1 show on canvas 0 and canvas 1 (words 1 and 2, in
// the order of the canvas that holds the first part; needs canvas 1, else 2, and a part, else
// 1); 2 enable (word 2 nonzero) or disable part word 1 (1 when there is no such part). Other
// values: 1. Control is not supported. Finish deletes every part.
//
// The effect runs while an animated part moves or a looped part scrolls. A part with a single
// key line (commands or not) stays where it is and keeps the effect alive as a looped part
// does, until a stop or a cancel: a figure of static parts only is therefore shown until it is
// stopped, instead of ending before it was ever seen.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "effects/motion/motion_path.h"
#include "effects/objects/effect_base.h"
#include "graphics/sprites/canvas.h"

class Image;
class Sprite;
class SpriteLoopEffect;
class SpritePanimeEffect;

// Where the parts effect gets the images and sprites of its parts and where they go back, so
// that tests can fail a creation and count what is left. Used on the script thread only.
class SpritePartsObjects {
public:
    // Null when the object cannot be made.
    virtual Image* NewImage();
    virtual void DeleteImage(Image* image);
    virtual Sprite* NewSprite();
    virtual void DeleteSprite(Sprite* sprite);

protected:
    ~SpritePartsObjects() = default;
};

// The installed source, never null; installing null restores the plain one. Returns the one
// it replaces.
SpritePartsObjects* PartsObjects();
SpritePartsObjects* InstallPartsObjects(SpritePartsObjects* objects);

// One part of a figure: its picture, its sprites on canvas 0 and canvas 1 and, for an animated
// part, the records it moves along (handed to the effect's player at Setup); for a looped part
// the two loops that scroll it.
class SpritePart {
public:
    explicit SpritePart(SpritePartsObjects* objects) : m_objects(objects) {}
    ~SpritePart();
    SpritePart(const SpritePart&) = delete;
    SpritePart& operator=(const SpritePart&) = delete;

    // An animated part with somewhere to go: two records or more, two of them keys. A part
    // with one key line stays at it, whatever commands follow (a player would end it at once).
    bool Moves() const { return m_recordCount >= 2 && m_keyCount >= 2; }

    SpritePartsObjects* m_objects;
    Image* m_image = nullptr;
    Sprite* m_sprite[2] = {nullptr, nullptr};
    // -1 for a looped part.
    std::int32_t m_recordCount = 0;
    std::unique_ptr<MotionRecord[]> m_records;
    std::int32_t m_keyCount = 0;
    bool m_splineUsed = false;
    std::int32_t m_pivotX = 0;
    std::int32_t m_pivotY = 0;
    double m_largestZoom = 1.0;
    bool m_zoomUsed = false;
    bool m_rotationUsed = false;
    bool m_enabled = true;
    SpriteLoopEffect* m_loop[2] = {nullptr, nullptr};
    // The definition line that opened the part.
    std::int32_t m_line = 0;
};

class SpritePartsEffect : public WithDeletingDestructor<SpritePartsEffect, EffectBase> {
public:
    static constexpr const char* kName = "sp_parts";

    // Part states.
    static constexpr std::uint8_t kFinished = 0;
    static constexpr std::uint8_t kAnimating = 1;
    static constexpr std::uint8_t kStatic = 2;
    static constexpr std::uint8_t kLooped = 3;

    SpritePartsEffect();
    ~SpritePartsEffect();

    std::int32_t XM_METHOD Kind() override { return 14001; }
    std::int32_t XM_METHOD Step(std::uint32_t now) override;
    void XM_METHOD Finish() override { Clear(); }
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

    // Reads a parts definition and places its parts on canvas 0 (and canvas 1 when given), the
    // first at the base priority and each further one a step in front. Answers 0, or 1 no
    // canvas or a scale that is not a finite number above 0 or that makes a part image too
    // large; 2 the file cannot be read; 3 an image, sprite or loop could not be made; 4 a
    // command before any part; 5 a key line before any part; 6 no part; 7 an animated part
    // without key lines; 8 "r" or "t" without its numbers; 9 "t 0"; 10 a command before a
    // part's first key line; -1 any other failure (a line of more than 1023 characters, a real
    // that is not finite). `line`, when given, receives the line where reading stopped (the
    // line that opened the part for 3 and 7, the number of lines read for 6). An effect that
    // already holds parts answers -1. On failure nothing of the definition is kept.
    std::int32_t LoadDefinition(const char* file, Canvas* canvas0, std::int32_t x,
                                std::int32_t y, std::int32_t priority, bool loop, double scale,
                                Canvas* canvas1, std::int32_t* line);

    std::int32_t PartCount() const { return static_cast<std::int32_t>(m_parts.size()); }
    const SpritePart& Part(std::int32_t n) const { return *m_parts[n]; }
    std::uint8_t PartState(std::int32_t n) const { return m_state[n]; }
    bool Shows(int canvas) const { return m_show[canvas] != 0; }
    // The offscreen canvas of painting mode for canvas n, else null.
    Canvas* Offscreen(int n) const { return m_offscreen[n].get(); }

private:
    // Deletes every part with its players and loops.
    void Clear();
    // Shows or hides part n's sprites (or loops) by the show flags and its enabled byte.
    void ShowPart(std::int32_t n);
    // Paints the offscreen canvases into the canvases' background pictures.
    void Paint();
    // The twin on canvas 1 takes the sprite's place, look and picture; its visibility stays.
    static void CopyPlacement(Sprite& twin, const Sprite& sprite);
    // The player moves sprite 0 between the priorities: the twin takes the same layer.
    static void FollowLayer(Sprite& twin, const Sprite& sprite);

    ScreenBuffer* m_target = nullptr;
    Canvas* m_canvas[2] = {nullptr, nullptr};
    std::deque<std::unique_ptr<SpritePart>> m_parts;
    std::vector<SpritePanimeEffect*> m_player;
    std::vector<std::uint8_t> m_state;
    std::uint8_t m_show[2] = {1, 1};
    bool m_twin = false;
    bool m_stopped = false;
    std::unique_ptr<Canvas> m_offscreen[2];
    RECT m_limit = {0, 0, 0, 0};
};
