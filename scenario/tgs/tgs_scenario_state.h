// The scenario state block of the TGS frame (saved with the frame state). Only what the
// executor uses so far.
#pragma once

#include <cstdint>

struct TgsScenarioState {
    // The read-flag number of the current text, -1 none.
    std::int32_t readFlagNumber = -1;
};
