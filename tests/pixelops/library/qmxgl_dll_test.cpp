// qmxgl.dll as the game program loads it: by name, through LoadLibrary and GetProcAddress.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <thread>

#include "framework/system/cpu_info.h"
#include "pixelops/interfaces/pixel_op_library.h"
#include "pixelops/interfaces/pixel_op_rect_operations.h"
#include "pixelops/interfaces/pixel_op_words.h"
#include "tests/pixelops/rects/test_surface.h"

using namespace pixelops;

namespace {

template <class Proc>
Proc Resolve(HMODULE module, const char* name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

class QmxglDll : public ::testing::Test {
protected:
    void SetUp() override {
        m_module = LoadLibraryA(kQmxglDllName);
        ASSERT_NE(nullptr, m_module);
        m_getLibrary = Resolve<GetLibraryProc>(m_module, kGetLibraryName);
        m_config = Resolve<QmxglConfigProc>(m_module, kQmxglConfigName);
        m_config2 = Resolve<QmxglConfig2Proc>(m_module, kQmxglConfig2Name);
        ASSERT_NE(nullptr, m_getLibrary);
        ASSERT_NE(nullptr, m_config);
        ASSERT_NE(nullptr, m_config2);
    }
    void TearDown() override {
        if (m_module) FreeLibrary(m_module);
    }

    static void ExpectComplete(PixelOpLibrary* library) {
        ASSERT_NE(nullptr, library);
        EXPECT_NE(nullptr, library->m_lastUpdatedRect);
        for (int word = kFirstOperationWord; word < kPixelOpWordCount; ++word)
            EXPECT_NE(nullptr, library->Word(word)) << word;
    }

    HMODULE m_module = nullptr;
    GetLibraryProc m_getLibrary = nullptr;
    QmxglConfigProc m_config = nullptr;
    QmxglConfig2Proc m_config2 = nullptr;
};

}  // namespace

TEST_F(QmxglDll, ExportsExactlyThreePlainNames) {
    const auto* base = reinterpret_cast<const std::uint8_t*>(m_module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    const auto* exports =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    EXPECT_EQ(3u, exports->NumberOfFunctions);
    ASSERT_EQ(3u, exports->NumberOfNames);
    const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    std::set<std::string> found;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        found.insert(reinterpret_cast<const char*>(base + names[i]));
    EXPECT_EQ((std::set<std::string>{"GetLibrary", "qmxglConfig", "qmxglConfig2"}), found);
}

TEST_F(QmxglDll, HandsOutCompleteObjectsWithOwnDetectionAndWithARecord) {
    PixelOpLibrary* detected = m_getLibrary(nullptr);
    ExpectComplete(detected);
    DetectProcessor();
    PixelOpLibrary* withRecord = m_getLibrary(&g_cpuInfo);
    ExpectComplete(withRecord);
    EXPECT_NE(detected, withRecord);
    EXPECT_EQ(detected->m_lastUpdatedRect, withRecord->m_lastUpdatedRect);
    PixelOpLibraryDelete(detected);

    // The remaining object still works: an opaque white pixel over black gives 254 (the MMX
    // forms, chosen where the processor has MMX, copy an opaque pixel handled alone, blend
    // the alpha byte and weigh layers by half the source alpha).
    const bool mmx = g_cpuInfo.mmx != 0;
    Pixel dst[2] = {0xFF000000, 0x12345678};
    const Pixel src[2] = {0xFFFFFFFF, 0x00FFFFFF};
    reinterpret_cast<RowKernel>(withRecord->Word(kWordAlphaBlendLine))(dst, src, 2);
    EXPECT_EQ(mmx ? 0xFFFFFFFFu : 0x00FEFEFEu, dst[0]);
    EXPECT_EQ(mmx ? 0x12345678u : 0x00345678u, dst[1]);
    Pixel layered = 0x80000000;
    reinterpret_cast<RowKernel>(withRecord->Word(kWordLayerNormalBlendLineHoldAlpha))(&layered, src,
                                                                                      1);
    EXPECT_EQ(mmx ? 0x80FDFDFDu : 0x80FEFEFEu, layered);
    PixelOpLibraryDelete(withRecord);
}

TEST_F(QmxglDll, ObjectsWorkFromOtherThreads) {
    PixelOpLibrary* library = m_getLibrary(nullptr);
    ASSERT_NE(nullptr, library);
    Pixel results[4] = {};
    std::thread workers[4];
    for (int t = 0; t < 4; ++t) {
        workers[t] = std::thread([&, t] {
            Pixel d = 0x00000000;
            const Pixel s = 0x80FFFFFF;
            reinterpret_cast<RowKernel>(library->Word(kWordAlphaBlendLine))(&d, &s, 1);
            results[t] = d;
        });
    }
    for (std::thread& w : workers) w.join();
    // The alpha byte depends on the form the processor chose; the colour does not.
    for (Pixel r : results) {
        EXPECT_EQ(0x7F7F7Fu, r & 0x00FFFFFF);
        EXPECT_EQ(results[0], r);
    }
    PixelOpLibraryDelete(library);
}

TEST_F(QmxglDll, ConfigurationByValueAndByAddress) {
    HostCopyRoutine routine = [](void*, const void*, std::int32_t, std::int32_t, std::int32_t,
                                 std::int32_t) {};
    EXPECT_EQ(1, m_config(HostCopyRoutines{1, routine, routine, routine}));
    EXPECT_EQ(1, m_config(HostCopyRoutines{0, routine, nullptr, routine}));
    EXPECT_EQ(0, m_config(HostCopyRoutines{0, routine, routine, routine}));
    const HostCopyRoutines refused = {0, nullptr, routine, routine};
    EXPECT_EQ(1, m_config2(&refused));
    const HostCopyRoutines good = {0, routine, routine, routine};
    EXPECT_EQ(0, m_config2(&good));
}

TEST_F(QmxglDll, RectangleOperationsTakeTheProgramsSurfaces) {
    PixelOpLibrary* library = m_getLibrary(nullptr);
    ASSERT_NE(nullptr, library);
    pixelopstest::TestSurface src(2, 2), dest(4, 4, 4, true);
    const RECT corner = {0, 0, 2, 2};
    ASSERT_EQ(1, reinterpret_cast<FillRectArgbOp>(library->Word(kWordFillRectArgb))(
                     &src, 0xFF00FF00, &corner));
    EXPECT_EQ(0, library->m_lastUpdatedRect->left);
    EXPECT_EQ(2, library->m_lastUpdatedRect->bottom);
    ASSERT_EQ(0, reinterpret_cast<BlendRectOp>(library->Word(kWordBlendRect))(&dest, &src, 1, 1,
                                                                              nullptr, 0, 255, 0));
    EXPECT_EQ(0xFF00FF00u, dest.At(2, 2));
    EXPECT_EQ(0u, dest.At(0, 0));
    // The stretch record travels by value, ten words on the stack.
    const std::int32_t size[2] = {4, 4};
    ASSERT_EQ(0, reinterpret_cast<StretchBlendRectOp>(library->Word(kWordStretchBlendRect))(
                     StretchBlendParams{&dest, &src, size, 0, 0, nullptr, 0, 0, 255, 0}));
    for (Pixel p : dest.Pixels()) EXPECT_EQ(0xFF00FF00u, p);
    EXPECT_EQ(4, library->m_lastUpdatedRect->right);
    PixelOpLibraryDelete(library);
}
