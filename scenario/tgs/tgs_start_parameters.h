// The six start-parameter words of the TGS frame: addresses of SOB variables, copied from the
// script engine when the frame is made (command 794 changes only the next frame's).
// 0 the choice taken, 1 the system scripts' mode, 2 their report, 3 the settings script,
// 4 and 5 a relayout request.
#pragma once

#include <cstdint>

struct TgsStartParameters {
    std::uint32_t words[6] = {};
};
