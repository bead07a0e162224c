// What the zoom, rotation and blur layer-effect tests share: a 32 x 16 memory screen with its
// canvas over a coordinate-coded 80 x 40 background shown from (0, 0), published math tables,
// the real qmxgl.dll on its portable kernels (or none), the busy-counter hooks and the scheduler
// on a fake clock. A recording table puts test functions in place of the library's stretch,
// blend and matrix-blend words and keeps their arguments.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/interfaces/task_scheduling.h"
#include "graphics/compose/math_tables.h"
#include "graphics/compose/pixel_op_library_loader.h"
#include "graphics/image/image.h"
#include "graphics/image/pixel_buffer.h"
#include "graphics/sprites/canvas.h"
#include "graphics/surfaces/gdi_screen.h"
#include "pixelops/interfaces/pixel_op_rect_operations.h"
#include "pixelops/interfaces/pixel_op_words.h"
#include "tests/effects/busy_hooks.h"
#include "tests/graphics/pixel_configs.h"
#include "tests/support/fake_clock.h"

namespace effecttest {

constexpr std::int32_t kViewWidth = 32;
constexpr std::int32_t kViewHeight = 16;
constexpr std::int32_t kPictureWidth = 80;
constexpr std::int32_t kPictureHeight = 40;
constexpr std::uint32_t kViewFill = 0xFF0A0B0Cu;

// Pixel (x, y) of the background picture.
inline std::uint32_t PicturePixel(std::int32_t x, std::int32_t y) {
    return 0xFF000000u | 0x00500000u | (static_cast<std::uint32_t>(y) << 8) |
           static_cast<std::uint32_t>(x);
}

inline std::int32_t WordOf(const void* p) {
    return static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(p));
}

// One call that reached the library's table.
struct LibraryCall {
    int word;
    Surface* dest;
    Surface* src;
    std::int32_t width, height;  // the stretch's destination size (BlendRect: the rectangle's)
    std::int32_t x, y;
    std::int32_t mode, type, opacity;
    double matrix[6];
    std::uint32_t srcTopLeft;  // the source's pixel (0, 0) at the call
};

inline std::uint32_t TopLeftOf(Surface* s) {
    auto* pixels = dynamic_cast<PixelBuffer*>(s);
    return pixels ? pixels->GetPixel(0, 0) : 0;
}

// The recording table: installed over the loaded library's words for the scope's lifetime.
class RecordingTable {
public:
    RecordingTable() : m_saved(g_pixelOpTable) {
        s_calls = &m_calls;
        Put(pixelops::kWordBlendRect, reinterpret_cast<PixelOperation>(&Blend));
        Put(pixelops::kWordStretchBlendRect, reinterpret_cast<PixelOperation>(&Stretch));
        Put(pixelops::kWordAffineBlendRectMatrix, reinterpret_cast<PixelOperation>(&Matrix));
    }
    ~RecordingTable() {
        g_pixelOpTable = m_saved;
        s_calls = nullptr;
    }
    RecordingTable(const RecordingTable&) = delete;
    RecordingTable& operator=(const RecordingTable&) = delete;

    std::vector<LibraryCall>& Calls() { return m_calls; }

private:
    static void Put(int word, PixelOperation op) {
        g_pixelOpTable.operations[word - kFirstOperationWord] = op;
    }
    static std::int32_t QMXGL_CALL Blend(Surface* dest, Surface* src, std::int32_t x,
                                         std::int32_t y, RECT* rect, std::int32_t mode,
                                         std::uint32_t opacity, std::uint32_t) {
        LibraryCall c = {pixelops::kWordBlendRect, dest, src, rect->right - rect->left,
                         rect->bottom - rect->top, x, y, mode, -1,
                         static_cast<std::int32_t>(opacity), {}, TopLeftOf(src)};
        s_calls->push_back(c);
        return 0;
    }
    static std::int32_t QMXGL_CALL Stretch(pixelops::StretchBlendParams p) {
        LibraryCall c = {pixelops::kWordStretchBlendRect, p.dest, p.src, p.destSize[0],
                         p.destSize[1], p.destX, p.destY, p.mode, p.type, p.opacity, {},
                         TopLeftOf(p.src)};
        s_calls->push_back(c);
        return 0;
    }
    static std::int32_t QMXGL_CALL Matrix(Surface* dest, Surface* src, const double* matrix,
                                          const RECT*, std::int32_t mode, std::int32_t type,
                                          std::uint32_t opacity, std::uint32_t, std::uint32_t,
                                          std::uint32_t, const RECT*) {
        LibraryCall c = {pixelops::kWordAffineBlendRectMatrix, dest, src, 0, 0, 0, 0, mode, type,
                         static_cast<std::int32_t>(opacity), {}, TopLeftOf(src)};
        for (int i = 0; i < 6; ++i) c.matrix[i] = matrix[i];
        s_calls->push_back(c);
        return 0;
    }

    PixelOpTable m_saved;
    std::vector<LibraryCall> m_calls;
    static inline std::vector<LibraryCall>* s_calls = nullptr;
};

class BgViewTest : public ::testing::Test {
protected:
    static constexpr std::uint32_t kStart = 5000;

    explicit BgViewTest(bool library = true) : m_library(library) {}

    void SetUp() override {
        m_scope = std::make_unique<testsupport::PixelConfigScope>(
            m_library ? testsupport::PixelConfig::LibraryPortable
                      : testsupport::PixelConfig::PlainKernels);
        ASSERT_TRUE(m_scope->Ready()) << "qmxgl.dll did not load";
        g_mathTables = &m_tables;
        ASSERT_EQ(0, m_screen.CreateSimple(kViewWidth, kViewHeight, 32, true));
        ASSERT_EQ(0, m_picture.Create(kPictureWidth, kPictureHeight, 32, 0));
        for (std::int32_t y = 0; y < kPictureHeight; ++y)
            for (std::int32_t x = 0; x < kPictureWidth; ++x)
                m_picture.SetPixel(x, y, PicturePixel(x, y));
        Canvas()->SetBackgroundColour(kViewFill, false);
        ASSERT_TRUE(Canvas()->SetSource(&m_picture, 0, 0, true));
        m_clock.SetMs(kStart);
    }
    void TearDown() override {
        // Effects hold raw pointers into the screen: the scheduler goes first.
        m_scheduler.Clear();
        m_scope.reset();
        g_mathTables = nullptr;
    }

    ::Canvas* Canvas() { return m_screen.GetCanvas(); }
    // ms after the current run's origin.
    void At(std::uint32_t ms) {
        m_clock.SetMs(kStart + m_origin + ms);
        m_scheduler.RunDue(kStart + m_origin + ms);
    }
    // Moves the clock on past everything so far: the next effect's times count from there.
    void NextRun() {
        m_origin += 100000;
        m_clock.SetMs(kStart + m_origin);
    }
    bool Running() { return m_scheduler.TaskCount() != 0; }
    // The whole canvas drawn into a new picture, row by row.
    std::vector<std::uint32_t> Rendered() {
        Image out;
        EXPECT_EQ(0, out.Create(kViewWidth, kViewHeight, 32, 0));
        EXPECT_EQ(0, Canvas()->Render(&out, 0, 0, true));
        std::vector<std::uint32_t> pixels;
        for (std::int32_t y = 0; y < kViewHeight; ++y)
            for (std::int32_t x = 0; x < kViewWidth; ++x) pixels.push_back(out.GetPixel(x, y));
        return pixels;
    }
    // What the canvas shows of the background from (0, 0), unzoomed.
    static std::vector<std::uint32_t> Unzoomed() {
        std::vector<std::uint32_t> pixels;
        for (std::int32_t y = 0; y < kViewHeight; ++y)
            for (std::int32_t x = 0; x < kViewWidth; ++x) pixels.push_back(PicturePixel(x, y));
        return pixels;
    }

    bool m_library;
    std::uint32_t m_origin = 0;
    BusyHooks m_hooks;
    MathTables m_tables;
    std::unique_ptr<testsupport::PixelConfigScope> m_scope;
    Image m_picture;
    MemoryScreen m_screen;
    testsupport::FakeClock m_clock{0};
    TaskScheduler m_scheduler{m_clock};
};

}  // namespace effecttest
