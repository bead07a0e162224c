// What the rectangle-operation tests share: a fixture that fills a library object (so the
// kernel slots and the copy form are set) and helpers to compare pictures.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "framework/system/cpu_info.h"
#include "pixelops/library/cpu_features.h"
#include "pixelops/interfaces/pixel_op_words.h"
#include "pixelops/library/kernel_dispatch.h"
#include "pixelops/library/library_object.h"
#include "pixelops/rects/rect_operations.h"
#include "tests/pixelops/library/canned_probe.h"
#include "tests/pixelops/rects/test_surface.h"

namespace pixelopstest {

class RectTest : public ::testing::Test {
protected:
    // The portable kernels: the processor forms may round differently, and an earlier test may
    // have left feature bits in the process-wide word, which a record only adds to.
    void SetUp() override {
        pixelops::CpuFeatureFlags = 0;
        pixelops::g_hostCopyRoutines = ::HostCopyRoutines{0, nullptr, nullptr, nullptr};
        FillLibrary();
        pixelops::g_lastUpdatedRect = kUntouched;
    }
    void TearDown() override {
        ::PixelOpLibraryDelete(m_library);
        pixelops::g_hostCopyRoutines = ::HostCopyRoutines{0, nullptr, nullptr, nullptr};
        pixelops::InitPortableKernels();
        pixelops::g_copyRect = pixelops::CopyRectOwn;
        pixelops::CpuFeatureFlags = 0;
    }
    // A new object picks up host routines registered since.
    void FillLibrary() {
        ::PixelOpLibraryDelete(m_library);
        CannedProbe probe;
        CpuInfoRecord record = {};
        m_library = pixelops::CreatePixelOpLibrary(&record, probe);
        ASSERT_NE(nullptr, m_library);
    }

    static bool Untouched() {
        const ::LastUpdatedRect& r = pixelops::g_lastUpdatedRect;
        return r.left == kUntouched.left && r.top == kUntouched.top &&
               r.right == kUntouched.right && r.bottom == kUntouched.bottom;
    }
    static void ExpectLastUpdated(std::int32_t left, std::int32_t top, std::int32_t right,
                                  std::int32_t bottom, const char* name) {
        const ::LastUpdatedRect& r = pixelops::g_lastUpdatedRect;
        EXPECT_EQ(left, r.left) << name;
        EXPECT_EQ(top, r.top) << name;
        EXPECT_EQ(right, r.right) << name;
        EXPECT_EQ(bottom, r.bottom) << name;
    }

    static constexpr ::LastUpdatedRect kUntouched = {-7, -7, -7, -7};
    ::PixelOpLibrary* m_library = nullptr;
};

// Runs a portable row kernel (as in the kernel slot tables) over copies of rows.
template <class Kernel>
Kernel Portable(int word) {
    return reinterpret_cast<Kernel>(pixelops::kPortableKernels[word - ::kFirstKernelWord]);
}

// Points every kernel slot at a marker kernel that writes 0xABCD0000 | its word into each
// destination pixel: row signature (dst, src, count) or span signature (dst, count, ...).
// Extra arguments are ignored: every kernel is __cdecl.
void InstallMarkerKernels(bool rowSignature);
// The word whose marker wrote `p`, or 0.
int MarkerWord(pixelops::Pixel p);

inline bool Inside(std::int32_t x, std::int32_t y, const RECT& r) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

}  // namespace pixelopstest
