// BgAnimeEffect ("bg_anime"): plays a QAD animation as a canvas's background. Each frame's
// picture is a file named by the frame's text, taken from a folder (the frame's "ANIME") by a
// preloader with two rows of slots: the current range's pictures in one row, the next range's
// arriving in the other. Frames are decoded into the effect's own 32-bit composite, which the
// canvas shows while the animation plays. Control frames end a range (0 or less), set a label
// (1) or loop back to it (2); the loop is left at the next loop-back once code 5 asks for it.
//
// Setup words: 0 the animation, 1 the folder, 2 a range to load (negative: none), 3 the start
// frame, 4 loop, 5 start at once. Answers 1 (no canvas, scheduler, animation or folder), 2 (an
// effect already set up, or the composite or the tables cannot be made), 3 (the start failed),
// 4 (the scheduler refused it), else 0. The effect never counts itself into the busy counter.
//
// ChangeParams (code, a, b): 0 load range a (beyond the last: range 0) starting at frame b when
// b lies inside it after its first frame; 1 start a loaded range; 2 pause; 3 resume; 4 stop and
// hide; 5 leave the label loop. Answers 0, 1 no animation, 2 an unknown code, 3 the code does
// not fit the state, 4 no image frame could be found; a refused code changes nothing.
// Control (query): 0 the state, 1 whether it loops at a label, 2 the current range, 3 the
// current frame, 4 the next label frame of the current range, 5 the next range holding a label
// (-1 for none); -2 for an unknown query.
//
// Catching up (SetAnimeCatchUp), a step passes every frame whose time has come, a picture of no
// time included, and after more than a second behind only one; otherwise a step advances at
// most to the next picture. A picture of no time that a step starts on holds the animation.
//
// The name tables and frame maps are sized from the ranges themselves, not from the file's
// header, so an understating header cannot make a range write past them. A step passes at most
// frame-count + 1 frames in a row that take no time (control frames, 0-duration pictures): a
// label looping back with no picture between, or a looping list of such frames, ends the effect
// with -1 instead of holding the game thread.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <memory>
#include <vector>

#include "effects/objects/effect_base.h"
#include "graphics/image/image.h"

class Canvas;
class PreloadThread;
class QadAnimation;

class BgAnimeEffect : public WithDeletingDestructor<BgAnimeEffect, EffectBase> {
public:
    static constexpr const char* kName = "bg_anime";
    enum : std::uint8_t { kStopped = 0, kPlaying = 1, kPaused = 2, kReady = 255 };

    // preload: the loader the effect plays from (null: a PreloadThread of its own).
    explicit BgAnimeEffect(std::unique_ptr<PreloadThread> preload = nullptr);
    ~BgAnimeEffect();

    std::int32_t XM_METHOD Kind() override { return 15000; }
    std::int32_t XM_METHOD Step(std::uint32_t now) override;
    void XM_METHOD Finish() override { Hide(); }
    const char* XM_METHOD Name() override { return kName; }
    std::uint8_t XM_METHOD Category() override { return 0; }
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
    std::int32_t XM_METHOD Control(const std::int32_t* arguments) override;
    std::int32_t XM_CDECL ControlV(std::int32_t first, ...) override {
        va_list rest;
        va_start(rest, first);
        const std::int32_t result = Control(WordsFrom(rest));
        va_end(rest);
        return result;
    }

    std::uint8_t State() const { return m_state; }
    std::int32_t CurrentFrame() const { return m_frame; }
    std::int32_t CurrentRange() const { return m_range; }
    std::uint8_t CurrentRow() const { return m_row; }
    std::int32_t RowRange(int row) const { return m_rowRange[row]; }
    std::int32_t ImagesPerRow() const { return m_imagesPerRow; }
    std::int32_t MapLength() const { return m_mapLength; }
    Image& Composite() { return m_composite; }

private:
    // What walking the frames found.
    enum : std::int32_t { kDrawn = 0, kNoImage = -1, kListEnded = -2 };

    std::int32_t LoadRangeCode(std::int32_t range, std::int32_t frame);
    std::int32_t StartCode();
    // Queues a range's pictures into a row: 1 for a range that does not exist.
    std::int32_t LoadRange(std::int32_t range, std::uint8_t row);
    void AdvanceRange();
    // The range queued after `range`: the next one, wrapping to 0 only with loop; -1 none.
    std::int32_t FollowingRange(std::int32_t range) const;
    // 0 drawn, -1 go on, or a bad control code.
    std::int32_t HandleFrame(std::int32_t frame);
    void DrawFrame(std::int32_t frame);
    // From the frame after the current one (or the current one itself), to the next frame
    // that is drawn: kDrawn, kListEnded (state 0), kNoImage (state 0) or a bad control code.
    std::int32_t NextImageFrame(bool fromCurrent);
    std::int32_t CatchUpStep(std::uint32_t now, std::uint32_t elapsed);
    // A step result that ends the effect: the canvas lets go of the composite first.
    std::int32_t End(std::int32_t result);
    void Hide();
    std::int32_t ZeroTimeLimit() const;

    std::unique_ptr<PreloadThread> m_preload;
    Image m_composite;
    Canvas* m_canvas = nullptr;
    QadAnimation* m_animation = nullptr;
    std::int32_t m_imagesPerRow = 0;
    std::int32_t m_mapLength = 0;
    std::vector<const char*> m_names[2];
    std::vector<std::int32_t> m_frameMap[2];
    std::int32_t m_rowRange[2] = {-1, -1};
    std::uint8_t m_row = 0;
    std::int32_t m_range = 0;
    std::int32_t m_frame = 0;
    std::int32_t m_label = -1;
    std::uint8_t m_release = 0;
    std::uint8_t m_state = kStopped;
    std::uint8_t m_loop = 0;
    std::uint8_t m_resync = 0;
    std::uint32_t m_frameClock = 0;
};

// Sets the catch-up switch that every bg_anime effect shares (word 0 != 0); answers 0.
std::int32_t XM_CDECL SetAnimeCatchUp(const std::int32_t* words);
bool AnimeCatchUp();
