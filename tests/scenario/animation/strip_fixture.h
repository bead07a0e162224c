// What the layer animation task tests share: a scheduler on a fake clock, a 40 x 12 target
// filled with a background pattern, and a strip of cells of one colour each, so that the pixel at
// the strip's place tells which cell is shown.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <vector>

#include "framework/interfaces/task_scheduling.h"
#include "graphics/data/cell_image.h"
#include "graphics/image/image.h"
#include "tests/support/fake_clock.h"

namespace animtest {

constexpr std::uint32_t kStart = 1000;
constexpr std::int32_t kCellWidth = 5;
constexpr std::int32_t kStripHeight = 4;

// The colour of cell c.
inline std::uint32_t CellColour(std::int32_t c) {
    return 0xFF000000u | static_cast<std::uint32_t>((c + 1) * 0x101010);
}
// The background pattern: no two neighbouring pixels alike, never a cell colour.
inline std::uint32_t BackgroundAt(std::int32_t x, std::int32_t y) {
    return 0xFF800000u | static_cast<std::uint32_t>(x * 256 + y * 7 + 1);
}

// A change of the cell shown: when (ms after kStart) and which.
struct Change {
    std::uint32_t at;
    std::int32_t cell;
    bool operator==(const Change& o) const { return at == o.at && cell == o.cell; }
};
inline void PrintTo(const Change& c, std::ostream* os) { *os << "{" << c.at << ", " << c.cell << "}"; }

class StripTest : public ::testing::Test {
protected:
    StripTest() : m_scheduler(m_clock) {}

    void SetUp() override {
        ASSERT_EQ(0, m_target.Create(40, 12, 32, 0));
        for (std::int32_t y = 0; y < 12; ++y)
            for (std::int32_t x = 0; x < 40; ++x) m_target.SetPixel(x, y, BackgroundAt(x, y));
    }

    // A strip of `count` cells, attached at (x, y) of the target.
    void MakeCells(std::int32_t count, std::int32_t duration, std::uint8_t playMode,
                   std::int32_t endMode, std::uint8_t flag, std::int32_t x = 2,
                   std::int32_t y = 3) {
        ASSERT_EQ(0, m_strip.Create(count * kCellWidth, kStripHeight, 32, 0));
        for (std::int32_t c = 0; c < count; ++c)
            m_strip.FillValueXywh(c * kCellWidth, 0, kCellWidth, kStripHeight, CellColour(c));
        ASSERT_EQ(0, m_cells.Attach(&m_strip, count, duration, nullptr, &m_target, x, y,
                                    playMode, endMode, flag));
    }

    // The cell shown at the strip's place (its whole rectangle must agree), -2 for the
    // background, -3 for anything else.
    std::int32_t Shown() const {
        const std::uint32_t first = m_target.GetPixel(m_cells.X(), m_cells.Y());
        std::int32_t cell = -3;
        for (std::int32_t c = 0; c < m_cells.CellCount(); ++c)
            if (first == CellColour(c)) cell = c;
        if (cell < 0) return BackgroundShown() ? -2 : -3;
        for (std::int32_t y = 0; y < kStripHeight; ++y)
            for (std::int32_t x = 0; x < kCellWidth; ++x)
                if (m_target.GetPixel(m_cells.X() + x, m_cells.Y() + y) != first) return -3;
        return cell;
    }
    bool BackgroundShown() const {
        for (std::int32_t y = 0; y < 12; ++y)
            for (std::int32_t x = 0; x < 40; ++x)
                if (m_target.GetPixel(x, y) != BackgroundAt(x, y)) return false;
        return true;
    }

    // Runs the scheduler every `step` ms up to `until` ms after kStart; the cells shown, one
    // entry per change, with the time of the change.
    std::vector<Change> RunUntil(std::uint32_t until, std::uint32_t step = 10) {
        std::vector<Change> changes;
        std::int32_t last = Shown();
        while (m_clock.Milliseconds() - kStart < until) {
            m_scheduler.RunDue(m_clock.Milliseconds());
            const std::int32_t now = Shown();
            if (now != last) changes.push_back({m_clock.Milliseconds() - kStart, now});
            last = now;
            m_clock.AdvanceMs(step);
        }
        return changes;
    }

    testsupport::FakeClock m_clock{kStart};
    TaskScheduler m_scheduler;
    Image m_target;
    Image m_strip;
    CellImage m_cells;
};

}  // namespace animtest
