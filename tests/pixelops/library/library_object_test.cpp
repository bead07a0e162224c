#include "pixelops/library/library_object.h"

#include <gtest/gtest.h>

#include <cstring>

#include "framework/system/cpu_info.h"
#include "pixelops/interfaces/pixel_op_words.h"
#include "pixelops/library/kernel_dispatch.h"
#include "pixelops/rects/rect_operations.h"
#include "tests/pixelops/library/canned_probe.h"
#include "tests/pixelops/kernels/form_library.h"

using namespace pixelops;
using pixelopstest::CannedProbe;
using pixelopstest::LibraryPtr;

namespace {

constexpr std::uint32_t kEdxFpu = 1u << 0, kEdxTsc = 1u << 4, kEdxCmov = 1u << 15,
                        kEdxMmx = 1u << 23, kEdxSse = 1u << 25, kEdxSse2 = 1u << 26;

}  // namespace

TEST(DetectCpuFeatures, FeatureWordFromCannedProcessors) {
    struct Case {
        const char* name;
        const char* vendor;
        std::uint32_t family, edx, ext1Edx, maxExtended;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {"Pentium III", "GenuineIntel", 6, kEdxFpu | kEdxTsc | kEdxCmov | kEdxMmx | kEdxSse, 0, 0,
         kCpuFpu | kVendorIntel | 6 | kCpuTimeStamp | kCpuCmov | kCpuMmx | kCpuSse | kCpuMmxExt},
        {"Pentium 4", "GenuineIntel", 15, kEdxMmx | kEdxSse | kEdxSse2, 0, 0x80000004,
         kCpuFpu | kVendorIntel | 15 | kCpuMmx | kCpuSse | kCpuMmxExt | kCpuSse2},
        {"Athlon", "AuthenticAMD", 6, kEdxMmx | kEdxCmov, (1u << 31) | (1u << 30) | (1u << 22),
         0x80000001,
         kCpuFpu | kVendorAmd | 6 | kCpuMmx | kCpuCmov | kCpu3DNow | kCpu3DNowExt | kCpuMmxExt},
        {"CMOV from the extended leaf", "AuthenticAMD", 6, 0, 1u << 15, 0x80000001,
         kCpuFpu | kVendorAmd | 6 | kCpuCmov},
        {"early AMD vendor text", "AMD ISBETTER", 5, kEdxMmx, 0, 0,
         kCpuFpu | kVendorAmd | 5 | kCpuMmx},
        {"Centaur", "CentaurHauls", 6, kEdxMmx, 0, 0, kCpuFpu | kVendorCentaur | 6 | kCpuMmx},
        {"Transmeta", "GenuineTMx86", 6, 0, 0, 0, kCpuFpu | kVendorTransmeta | 6},
        {"unknown vendor still reads features", "SomeoneElse!", 6, kEdxMmx, 0, 0,
         kCpuFpu | 6 | kCpuMmx},
        {"family 4 with CPUID reads no features", "GenuineIntel", 4, kEdxMmx | kEdxSse, 0, 0,
         kCpuFpu | kVendorIntel | 4},
        {"extended leaf below 0x80000001 is not read", "AuthenticAMD", 6, 0, 1u << 31, 0x80000000,
         kCpuFpu | kVendorAmd | 6},
    };
    for (const Case& c : cases) {
        CannedProbe probe;
        probe.SetProcessor(c.vendor, c.family, c.edx);
        probe.leaves[0x80000000] = CpuidRegisters{c.maxExtended, 0, 0, 0};
        probe.leaves[0x80000001] = CpuidRegisters{0, 0, 0, c.ext1Edx};
        ProcessorIdentity id;
        ASSERT_TRUE(DetectCpuFeatures(probe, id)) << c.name;
        EXPECT_EQ(c.expected, id.features) << c.name;
        EXPECT_EQ(0, std::memcmp(id.vendor, c.vendor, 12)) << c.name;
    }
}

TEST(DetectCpuFeatures, WithoutFpuOrCpuid) {
    CannedProbe noFpu;
    noFpu.fpu = false;
    ProcessorIdentity id;
    ASSERT_TRUE(DetectCpuFeatures(noFpu, id));
    EXPECT_EQ(0u, id.features);

    CannedProbe intel486;
    intel486.cpuid = false;
    ASSERT_TRUE(DetectCpuFeatures(intel486, id));
    EXPECT_EQ(kCpuFpu | kVendorIntel | 4, id.features);

    CannedProbe cyrix;
    cyrix.cpuid = false;
    cyrix.divisionKeepsFlags = true;
    ASSERT_TRUE(DetectCpuFeatures(cyrix, id));
    EXPECT_EQ(kCpuFpu | kVendorCyrix | 4, id.features);
}

TEST(DetectCpuFeatures, KeepsTheBrandText) {
    CannedProbe probe;
    probe.SetProcessor("GenuineIntel", 15, 0);
    probe.leaves[0x80000000] = CpuidRegisters{0x80000004, 0, 0, 0};
    const char brand[49] = "Intel(R) Pentium(R) 4 CPU 3.00GHz               ";
    for (std::uint32_t i = 0; i < 3; ++i) {
        CpuidRegisters r;
        std::memcpy(&r.eax, brand + 16 * i, 4);
        std::memcpy(&r.ebx, brand + 16 * i + 4, 4);
        std::memcpy(&r.ecx, brand + 16 * i + 8, 4);
        std::memcpy(&r.edx, brand + 16 * i + 12, 4);
        probe.leaves[0x80000002 + i] = r;
    }
    ProcessorIdentity id;
    ASSERT_TRUE(DetectCpuFeatures(probe, id));
    EXPECT_EQ(0, std::memcmp(id.brand, brand, 48));
    EXPECT_EQ('\0', id.brand[48]);
}

TEST(DetectCpuFeatures, RealProcessorAgreesWithItsRecord) {
    DetectProcessor();
    HardwareProcessorProbe probe;
    ProcessorIdentity id;
    ASSERT_TRUE(DetectCpuFeatures(probe, id));
    EXPECT_EQ(0, std::memcmp(id.vendor, g_cpuInfo.vendor, 12));
    EXPECT_EQ(g_cpuInfo.family, id.features & 15);
    const std::uint32_t featureBits = id.features & 0xFFFF0000;
    const std::uint32_t fromRecord = FeatureBitsOfRecord(g_cpuInfo);
    // The record adds CMOV from the basic leaf only; detection also takes AMD's bit 15.
    EXPECT_EQ(fromRecord & ~kCpuCmov, featureBits & ~kCpuCmov);
    EXPECT_TRUE(probe.SseInstructionRuns());
}

class LibraryObjectTest : public ::testing::Test {
protected:
    void SetUp() override { CpuFeatureFlags = 0; }
    void TearDown() override { CpuFeatureFlags = 0; }
};

TEST_F(LibraryObjectTest, FaultingDetectionGivesNoObject) {
    for (std::uint32_t leaf : {0u, 1u, 0x80000000u}) {
        CannedProbe probe;
        probe.SetProcessor("GenuineIntel", 6, kEdxMmx);
        probe.leaves[0x80000000] = CpuidRegisters{0x80000001, 0, 0, 0};
        probe.faultingLeaf = leaf;
        CpuFeatureFlags = 0x12345;
        EXPECT_EQ(nullptr, CreatePixelOpLibrary(nullptr, probe)) << leaf;
        EXPECT_EQ(0x12345u, CpuFeatureFlags) << leaf;
    }
}

TEST_F(LibraryObjectTest, FaultingSseProbeClearsSseAndSse2Only) {
    CannedProbe probe;
    probe.SetProcessor("GenuineIntel", 15, kEdxMmx | kEdxSse | kEdxSse2);
    probe.sseRuns = false;
    LibraryPtr library(CreatePixelOpLibrary(nullptr, probe));
    ASSERT_NE(nullptr, library);
    EXPECT_EQ(kCpuFpu | kVendorIntel | 15 | kCpuMmx | kCpuMmxExt, CpuFeatureFlags);
}

TEST_F(LibraryObjectTest, DetectionReplacesTheFlagWord) {
    CannedProbe probe;
    probe.SetProcessor("GenuineIntel", 6, kEdxMmx);
    CpuFeatureFlags = kCpuSse2 | kCpu3DNow;
    LibraryPtr library(CreatePixelOpLibrary(nullptr, probe));
    ASSERT_NE(nullptr, library);
    EXPECT_EQ(kCpuFpu | kVendorIntel | 6 | kCpuMmx, CpuFeatureFlags);
}

TEST_F(LibraryObjectTest, RecordBitsAccumulateWithoutProbing) {
    CannedProbe probe;
    CpuInfoRecord record = {};
    record.mmx = 1;
    record.amdMmxExt = 1;
    LibraryPtr first(CreatePixelOpLibrary(&record, probe));
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(kCpuMmx | kCpuMmxExt, CpuFeatureFlags);

    CpuInfoRecord second = {};
    second.sse = 1;
    second.sse3 = 1;  // not used
    LibraryPtr other(CreatePixelOpLibrary(&second, probe));
    EXPECT_EQ(kCpuMmx | kCpuMmxExt | kCpuSse, CpuFeatureFlags);
    EXPECT_EQ(0, probe.calls);
}

TEST_F(LibraryObjectTest, EveryRecordByteMapsToItsBit) {
    const struct {
        std::uint8_t CpuInfoRecord::*byte;
        std::uint32_t bit;
    } cases[] = {
        {&CpuInfoRecord::fpu, kCpuFpu},
        {&CpuInfoRecord::mmx, kCpuMmx},
        {&CpuInfoRecord::amd3DNow, kCpu3DNow},
        {&CpuInfoRecord::sse, kCpuSse},
        {&CpuInfoRecord::cmov, kCpuCmov},
        {&CpuInfoRecord::amd3DNowExt, kCpu3DNowExt},
        {&CpuInfoRecord::mmxExt, kCpuMmxExt},
        {&CpuInfoRecord::amdMmxExt, kCpuMmxExt},
        {&CpuInfoRecord::sse2, kCpuSse2},
        {&CpuInfoRecord::tsc, kCpuTimeStamp},
        {&CpuInfoRecord::sse3, 0},
        {&CpuInfoRecord::hyperThreading, 0},
    };
    for (const auto& c : cases) {
        CpuInfoRecord record = {};
        record.*c.byte = 1;
        EXPECT_EQ(c.bit, FeatureBitsOfRecord(record));
    }
}

TEST_F(LibraryObjectTest, ObjectCarriesTheRectangleAndEveryKernel) {
    CannedProbe probe;
    CpuInfoRecord record = {};
    LibraryPtr library(CreatePixelOpLibrary(&record, probe));
    ASSERT_NE(nullptr, library);
    const std::uint32_t* words = reinterpret_cast<const std::uint32_t*>(library.get());
    EXPECT_EQ(reinterpret_cast<std::uint32_t>(&g_lastUpdatedRect), words[1]);
    for (int word = kFirstKernelWord; word < kPixelOpWordCount; ++word)
        EXPECT_EQ(kPortableKernels[word - kFirstKernelWord], library->Word(word)) << word;
}

TEST_F(LibraryObjectTest, RectangleWordsHoldTheOperationsAndTheCopyFormOfFillingTime) {
    CannedProbe probe;
    CpuInfoRecord record = {};
    g_hostCopyRoutines = HostCopyRoutines{0, nullptr, nullptr, nullptr};
    LibraryPtr own(CreatePixelOpLibrary(&record, probe));
    ASSERT_NE(nullptr, own);
    EXPECT_EQ(reinterpret_cast<PixelOperation>(CopyRectOwn), own->Word(kWordCopyRect));
    EXPECT_EQ(reinterpret_cast<PixelOperation>(BlendRect), own->Word(kWordBlendRect));
    EXPECT_EQ(reinterpret_cast<PixelOperation>(RuleTransitionRect),
              own->Word(kWordRuleTransitionRect));
    for (int word = kFirstOperationWord; word < kFirstKernelWord; ++word)
        EXPECT_NE(nullptr, own->Word(word)) << word;

    HostCopyRoutine routine = [](void*, const void*, std::int32_t, std::int32_t, std::int32_t,
                                 std::int32_t) {};
    const HostCopyRoutines routines = {0, routine, routine, routine};
    ASSERT_EQ(0, RegisterHostCopyRoutines(&routines));
    // Registration after filling leaves the earlier object alone; the next one takes it.
    EXPECT_EQ(reinterpret_cast<PixelOperation>(CopyRectOwn), own->Word(kWordCopyRect));
    LibraryPtr host(CreatePixelOpLibrary(&record, probe));
    EXPECT_EQ(reinterpret_cast<PixelOperation>(CopyRectWithHostRoutines),
              host->Word(kWordCopyRect));
    EXPECT_EQ(CopyRectWithHostRoutines, g_copyRect);
    g_hostCopyRoutines = HostCopyRoutines{0, nullptr, nullptr, nullptr};
    LibraryPtr again(CreatePixelOpLibrary(&record, probe));
    EXPECT_EQ(CopyRectOwn, g_copyRect);
}

TEST_F(LibraryObjectTest, TwoObjectsMatchAndOutliveEachOther) {
    CannedProbe probe;
    CpuInfoRecord record = {};
    record.mmx = 1;
    PixelOpLibrary* first = CreatePixelOpLibrary(&record, probe);
    LibraryPtr second(CreatePixelOpLibrary(&record, probe));
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    EXPECT_NE(first, second.get());
    EXPECT_EQ(0, std::memcmp(reinterpret_cast<const std::uint32_t*>(first) + 1,
                             reinterpret_cast<const std::uint32_t*>(second.get()) + 1, 234 * 4));
    PixelOpLibraryDelete(first);
    Pixel dst = 0x00000000, src = 0xFF204060;
    reinterpret_cast<RowKernel>(second->Word(kFirstKernelWord))(&dst, &src, 1);
    // The record chose the MMX form, which copies an opaque pixel handled on its own.
    EXPECT_EQ(0xFF204060u, dst);
}

TEST(HostCopyRoutines, RegistrationNeedsVersionZeroAndThreeRoutines) {
    HostCopyRoutine routine = [](void*, const void*, std::int32_t, std::int32_t, std::int32_t,
                                 std::int32_t) {};
    const struct {
        const char* name;
        HostCopyRoutines record;
        std::int32_t answer;
    } cases[] = {
        {"version 1", {1, routine, routine, routine}, 1},
        {"no pixel copy", {0, nullptr, routine, routine}, 1},
        {"no colour copy", {0, routine, nullptr, routine}, 1},
        {"no alpha copy", {0, routine, routine, nullptr}, 1},
        {"complete", {0, routine, routine, routine}, 0},
    };
    for (const auto& c : cases) {
        g_hostCopyRoutines = HostCopyRoutines{0, nullptr, nullptr, nullptr};
        EXPECT_EQ(c.answer, RegisterHostCopyRoutines(&c.record)) << c.name;
        EXPECT_EQ(c.answer == 0 ? routine : nullptr, g_hostCopyRoutines.copyPixels) << c.name;
    }
    EXPECT_EQ(1, RegisterHostCopyRoutines(nullptr));
    g_hostCopyRoutines = HostCopyRoutines{0, nullptr, nullptr, nullptr};
}
