// The motion commands (opcodes 315, 316 and 446-450) and the size motion (opcode 54): scripts
// move a device drawable or a sprite through points (PathMotion), change a sprite's drawn size
// (TrackMotion) or its angle, zoom and opacity (ValueMotion). A motion runs on the second task
// scheduler, which owns it once it started; the command answers the motion's address, which the
// task commands (211-217) test, pause, resume and cancel.
//
// Every command builds the motion from its set-up values (segment time, delay, show flag, easing
// power, then the kind's option bytes and flags), gives it its points (parsed from a text or
// copied from an array of x, y, c triples), and starts it on the target; any failure deletes the
// motion and answers 0. A started motion is entered in the command task table with its target,
// so that releasing the target cancels the motion (its final state applied) first.
//
// Script words: drawables are looked up among the screen device's drawables, sprites (kind 2
// sprite movies too) among its sprites; a word naming none answers 0. Texts follow the script
// memory's rules. A point array must hold count x 3 words in one region of script memory,
// reckoned in 64 bits; a count of 0 or less, or words past the region, give 0 with nothing made.
//
// Choices of this program where the commands leave room:
// - The power text is read as a decimal number; a null text, one that is no number, and a
//   number that is not finite ("nan", "1e999") give power 0 (linear).
// - Opcode 54 refuses a null scale text, one that is no number, a scale that is not finite and a
//   scaled size outside the 32-bit range. Its TrackMotion keeps the edge or centre that the mode
//   names on both axes (1 the centre, 2 the right and bottom edges), works from the start
//   position, leaves opacity alone, does not loop and counts in the busy counter; its two points
//   are the scaled size and then the unscaled size, at opacity 255.
#pragma once

#include <cstdint>

#include "framework/interfaces/cross_module.h"

class DeviceDrawable;
class Drawable;
class ScheduledTask;
class TaskScheduler;

enum class ScriptMotionKind { kPath, kTrack, kValue };

// The set-up values in the motion constructors' order. options: path mode, spline flag, loop
// flag, busy mode; track horizontal and vertical anchors, fixed-base, apply-alpha and loop flags,
// busy mode; value zoom, apply-alpha and loop flags, busy mode.
struct MotionSetup {
    std::uint32_t segmentTime = 0;
    std::uint32_t delay = 0;
    bool show = false;
    double power = 0.0;
    std::uint32_t options[6] = {};
};

// A motion a command is building. Deleting it deletes the motion unless a start queued it on
// the scheduler (which owns it from then on).
class ScriptMotion {
public:
    virtual ~ScriptMotion() = default;
    virtual std::int32_t Parse(const char* text) = 0;
    virtual std::int32_t SetPoints(std::int32_t count, const std::int32_t* words) = 0;
    // 0 when the motion runs; any other code leaves it with the command.
    virtual std::int32_t StartOnObject(TaskScheduler& scheduler, DeviceDrawable* object) = 0;
    virtual std::int32_t StartOnSprite(TaskScheduler& scheduler, Drawable* sprite) = 0;
    virtual ScheduledTask* Task() = 0;
};

class ScriptMotionFactory {
public:
    virtual ScriptMotion* Create(ScriptMotionKind kind, const MotionSetup& setup) = 0;

protected:
    ~ScriptMotionFactory() = default;
};

// The factory of the real motion classes.
ScriptMotionFactory& RealMotionFactory();
// The factory the commands use (tests put a double here); null restores the real one.
void SetScriptMotionFactory(ScriptMotionFactory* factory);

std::uint32_t XM_CDECL CmdStartSizeMotion(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStartDrawablePathText(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStartDrawablePathPoints(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStartSpritePathText(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStartSpritePathPoints(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStartSpriteTrackText(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStartSpriteTrackPoints(std::uint32_t* arguments);
std::uint32_t XM_CDECL CmdStartValueMotionText(std::uint32_t* arguments);
