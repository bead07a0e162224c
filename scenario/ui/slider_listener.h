// SliderListener: told about every value change of a slider it was given to. The game's part
// group is the listener of the sliders scripts make, and reports each change as an activation
// of the slider's id; a select list listens to its own scroll bar.
//
// The listener outlives the slider or is taken from it first. Called on the game thread, from
// inside the slider's own operations.
#pragma once

#include <cstdint>

class UiPart;

class SliderListener {
public:
    virtual void ValueChanged(UiPart* slider, std::int32_t value) = 0;
    // A forward step found the slider at its end (or not scrollable); nothing unless a
    // listener wants to know.
    virtual void StepPastEnd(UiPart* slider);

protected:
    ~SliderListener() = default;
};

inline void SliderListener::StepPastEnd(UiPart*) {}
