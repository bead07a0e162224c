// RoutineCanvas: the skeleton every transition routine shares. Begin takes the early answers
// (nothing to draw at progress <= 0, the whole source at >= 256, no target surface in mode 2)
// and otherwise leaves the target ready for the routine's pieces, which are drawn with the
// mode's primitive and whose results are not examined.
//
// An Image target that records a dirty region gets one rectangle for all the pieces, not one
// each: the one-line routines draw hundreds of pieces a frame, and a region holding a rectangle
// per row would grow with them and make every further piece dearer. Recording is paused for the
// pieces, and the box around what they covered (cut to the image and its clip rectangle) is
// added when the canvas goes out of scope, or when TargetImage hands the image out.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstdint>

class Image;
class Surface;
class ScreenDevice;

class RoutineCanvas {
public:
    RoutineCanvas() = default;
    ~RoutineCanvas() { MarkDrawn(); }
    RoutineCanvas(const RoutineCanvas&) = delete;
    RoutineCanvas& operator=(const RoutineCanvas&) = delete;

    // True when the routine goes on to draw its pieces; false with its answer in *result.
    bool Begin(Surface* destination, Surface* source, std::int32_t progress, std::int32_t x,
               std::int32_t y, std::int32_t mode, ScreenDevice* device, std::int32_t* result);

    // The source rectangle with its top-left corner at (dx, dy).
    void Piece(const RECT& rect, std::int32_t dx, std::int32_t dy);
    // The source rectangle stretched to size with its top-left corner at (dx, dy); a size of
    // 0 or less draws nothing (a negative one would mirror on some targets).
    void Stretched(const RECT& rect, const SIZE& size, std::int32_t dx, std::int32_t dy);

    std::int32_t SourceWidth() const { return m_width; }
    std::int32_t SourceHeight() const { return m_height; }
    // How far the drawing reaches: the device's screen rectangle in mode 2 with a device,
    // otherwise the destination's size.
    std::int32_t ExtentRight() const { return m_extentRight; }
    std::int32_t ExtentBottom() const { return m_extentBottom; }

    // For routines that work on the drawn picture itself (crossfade, mosaic, invert): the
    // mode, the destination image (modes other than 2; what the pieces drew is in its dirty
    // region by then) and the mode-2 target with its clip.
    std::int32_t Mode() const { return m_mode; }
    Image* TargetImage() {
        MarkDrawn();
        return m_image;
    }
    Surface* Source() const { return m_source; }
    IDirectDrawSurface7* TargetSurface() const { return m_target; }
    const RECT& TargetClip() const { return m_clip; }

private:
    // Widens the box of what the pieces drew.
    void Cover(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
    // Resumes the paused dirty recording and adds the box to it.
    void MarkDrawn();

    std::int32_t m_mode = 0;
    bool m_dirtyPaused = false;
    RECT m_drawn = {0, 0, 0, 0};
    Image* m_image = nullptr;
    Surface* m_source = nullptr;
    IDirectDrawSurface7* m_target = nullptr;
    IDirectDrawSurface7* m_sourceSurface = nullptr;
    RECT m_clip = {0, 0, 0, 0};
    std::int32_t m_key = -1;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    std::int32_t m_extentRight = 0;
    std::int32_t m_extentBottom = 0;
};
