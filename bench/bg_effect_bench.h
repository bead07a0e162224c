// The background layer effects' benchmark: each row sets one effect up on the canvas of an
// 800 x 600 32-bit memory screen (linked to a second one, both with canvases over 32-bit
// backgrounds a little larger than the screen), then times frames of Step (through the
// scheduler, on a clock moved 16 ms a frame) followed by Canvas::Redraw, through the real
// qmxgl.dll. It prints the frames per second and the cost of a frame as a multiple of a
// memcpy of one 800 x 600 frame measured in the same run, after a reference line: the canvas
// repainted whole each frame with no effect.
//
// Rows live in their effects' own source files, each added to the program with one line in
// bench/CMakeLists.txt, and register themselves at start:
//
//     static const bgbench::RowAdder kRows({
//         {"bg_rast", [] { return static_cast<EffectObject*>(new BgRastEffect); },
//          [](bgbench::Scene&) { return std::vector<std::int32_t>{10, 576, 1000, 0, 0, 0, 0, 0}; },
//          nullptr},
//     });
//
// Rows run in the order of their names (file order is not fixed at start-up).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/interfaces/effect_plugin.h"
#include "framework/interfaces/task_scheduling.h"
#include "graphics/compose/math_tables.h"
#include "graphics/image/image.h"
#include "graphics/surfaces/gdi_screen.h"
#include "tests/support/fake_clock.h"

class Canvas;

namespace bgbench {

constexpr std::int32_t kWidth = 800;
constexpr std::int32_t kHeight = 600;
// Effect time per frame: 60 frames a second.
constexpr std::uint32_t kFrameMs = 16;

// What every row gets, made afresh for each row: screen[0] is the effect's target, linked to
// screen[1]; background[n] (kWidth + 224 x kHeight + 168, seeded noise) is the source of
// screen n's canvas at (0, 0). The scheduler runs on clock; the math tables are published.
struct Scene {
    Scene();
    ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    Canvas* CanvasOf(int n) { return screen[n].GetCanvas(); }

    MathTables tables;
    Image background[2];
    MemoryScreen screen[2];
    testsupport::FakeClock clock{1000};
    TaskScheduler scheduler{clock};
    bool ready = false;
};

struct Row {
    std::string name;
    EffectObject* (*create)();
    // The Setup words; texts they point at must outlive the row (string literals, or storage
    // kept by prepare's captures).
    std::function<std::vector<std::int32_t>(Scene&)> words;
    // Runs before Setup when set (preloading, screen changes); false skips the row.
    std::function<bool(Scene&)> prepare;
};

class RowAdder {
public:
    explicit RowAdder(std::vector<Row> rows);
};

// A parameter word carrying the address of a text.
inline std::int32_t TextWord(const char* text) {
    return static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(text));
}

}  // namespace bgbench
