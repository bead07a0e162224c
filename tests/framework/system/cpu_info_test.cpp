#include "framework/system/cpu_info.h"

#include <gtest/gtest.h>

#include <cpuid.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

// Canned CPUID answers; leaves not listed answer all zero.
class CannedCpuid : public CpuidSource {
public:
    bool hasCpuid = true;
    std::uint32_t systemType = 586;
    std::map<std::uint32_t, CpuidRegisters> leaves;
    std::vector<std::uint32_t> queried;

    bool HasCpuid() override { return hasCpuid; }
    CpuidRegisters Query(std::uint32_t leaf) override {
        queried.push_back(leaf);
        auto it = leaves.find(leaf);
        return it == leaves.end() ? CpuidRegisters{} : it->second;
    }
    std::uint32_t SystemProcessorType() override { return systemType; }
};

std::uint32_t Chars(const char* four) {
    std::uint32_t v = 0;
    std::memcpy(&v, four, 4);
    return v;
}

// Leaf 0 with a 12-character vendor text, leaf 1 with the signature fields.
CannedCpuid Processor(const char* vendor, std::uint32_t maxBasic, std::uint32_t family,
                      std::uint32_t model, std::uint32_t stepping, std::uint32_t type = 0) {
    CannedCpuid cpu;
    cpu.leaves[0] = {maxBasic, Chars(vendor), Chars(vendor + 8), Chars(vendor + 4)};
    cpu.leaves[1] = {(type << 12) | (family << 8) | (model << 4) | stepping, 0, 0, 0};
    return cpu;
}

void SetBrand(CannedCpuid& cpu, const char* text48) {
    char padded[48] = {};
    std::memcpy(padded, text48, std::strlen(text48));
    for (std::uint32_t i = 0; i < 3; ++i) {
        const char* p = padded + 16 * i;
        cpu.leaves[0x80000002 + i] = {Chars(p), Chars(p + 4), Chars(p + 8), Chars(p + 12)};
    }
}

CpuInfoRecord Detect(CannedCpuid& cpu) {
    CpuInfoRecord record = {};
    DetectProcessorFrom(cpu, record);
    return record;
}

}  // namespace

TEST(CpuInfoRecord, LayoutMatchesTheLibraryOffsets) {
    struct Field {
        std::size_t offset;
        std::size_t expected;
    };
    const Field fields[] = {
        {offsetof(CpuInfoRecord, vendor), 0},
        {offsetof(CpuInfoRecord, brand), 13},
        {offsetof(CpuInfoRecord, modelName), 62},
        {offsetof(CpuInfoRecord, clockMhz), 112},
        {offsetof(CpuInfoRecord, l1CodeKb), 116},
        {offsetof(CpuInfoRecord, traceCacheKuops), 120},
        {offsetof(CpuInfoRecord, l1DataKb), 124},
        {offsetof(CpuInfoRecord, l2Kb), 128},
        {offsetof(CpuInfoRecord, l3Kb), 132},
        {offsetof(CpuInfoRecord, type), 136},
        {offsetof(CpuInfoRecord, family), 137},
        {offsetof(CpuInfoRecord, model), 138},
        {offsetof(CpuInfoRecord, stepping), 139},
        {offsetof(CpuInfoRecord, fpu), 140},
        {offsetof(CpuInfoRecord, tsc), 141},
        {offsetof(CpuInfoRecord, cmov), 142},
        {offsetof(CpuInfoRecord, mmx), 143},
        {offsetof(CpuInfoRecord, mmxExt), 144},
        {offsetof(CpuInfoRecord, sse), 145},
        {offsetof(CpuInfoRecord, sse2), 146},
        {offsetof(CpuInfoRecord, sse3), 147},
        {offsetof(CpuInfoRecord, amdMmxExt), 148},
        {offsetof(CpuInfoRecord, amd3DNow), 149},
        {offsetof(CpuInfoRecord, amd3DNowExt), 150},
        {offsetof(CpuInfoRecord, hyperThreading), 151},
    };
    for (const Field& f : fields) EXPECT_EQ(f.expected, f.offset);
}

TEST(DetectProcessor, WithoutCpuidNamesTheSystemProcessorType) {
    const struct {
        std::uint32_t systemType;
        const char* name;
    } cases[] = {{386, "Intel 386"}, {486, "Intel 486"}, {2577, "StrongARM"}, {12345, "Unknown"}};
    for (const auto& c : cases) {
        CannedCpuid cpu;
        cpu.hasCpuid = false;
        cpu.systemType = c.systemType;
        const CpuInfoRecord r = Detect(cpu);
        EXPECT_STREQ(c.name, r.modelName) << c.systemType;
        EXPECT_STREQ("", r.vendor);
        EXPECT_STREQ("", r.brand);
        EXPECT_EQ(0, r.fpu + r.mmx + r.sse + r.tsc + r.family + r.l2Kb);
        EXPECT_TRUE(cpu.queried.empty());
    }
}

TEST(DetectProcessor, HighestBasicLeafZeroReadsNothingFurther) {
    CannedCpuid cpu = Processor("GenuineIntel", 0, 6, 8, 3);
    cpu.leaves[0x80000000] = {0x80000004, 0, 0, 0};
    const CpuInfoRecord r = Detect(cpu);
    EXPECT_STREQ("GenuineIntel", r.vendor);
    EXPECT_EQ(0, r.family);
    EXPECT_STREQ("Intel Unknown Family", r.modelName);
    EXPECT_EQ(std::vector<std::uint32_t>{0}, cpu.queried);
}

TEST(DetectProcessor, FeatureBytesFollowTheirBits) {
    CannedCpuid cpu = Processor("AuthenticAMD", 1, 6, 10, 0);
    // FPU, TSC, CMOV, MMX, HTT with 2 logical processors; SSE3 in ECX.
    cpu.leaves[1].edx = (1u << 0) | (1u << 4) | (1u << 15) | (1u << 23) | (1u << 28);
    cpu.leaves[1].ebx = 2u << 16;
    cpu.leaves[1].ecx = 1;
    cpu.leaves[0x80000000] = {0x80000001, 0, 0, 0};
    cpu.leaves[0x80000001] = {0, 0, 0, (1u << 22) | (1u << 30) | (1u << 31)};
    const CpuInfoRecord r = Detect(cpu);
    EXPECT_EQ(1, r.fpu);
    EXPECT_EQ(1, r.tsc);
    EXPECT_EQ(1, r.cmov);
    EXPECT_EQ(1, r.mmx);
    EXPECT_EQ(0, r.sse);
    EXPECT_EQ(0, r.sse2);
    EXPECT_EQ(1, r.sse3);
    EXPECT_EQ(1, r.amdMmxExt);
    EXPECT_EQ(1, r.mmxExt);  // from AMD's extensions alone
    EXPECT_EQ(1, r.amd3DNow);
    EXPECT_EQ(1, r.amd3DNowExt);
    EXPECT_EQ(1, r.hyperThreading);
}

TEST(DetectProcessor, HyperThreadingNeedsTwoLogicalProcessors) {
    CannedCpuid cpu = Processor("GenuineIntel", 1, 15, 2, 9);
    cpu.leaves[1].edx = 1u << 28;
    cpu.leaves[1].ebx = 1u << 16;
    EXPECT_EQ(0, Detect(cpu).hyperThreading);
}

TEST(DetectProcessor, SseSetsExtendedMmx) {
    CannedCpuid cpu = Processor("GenuineIntel", 1, 6, 8, 3);
    cpu.leaves[1].edx = (1u << 25) | (1u << 26);
    const CpuInfoRecord r = Detect(cpu);
    EXPECT_EQ(1, r.sse);
    EXPECT_EQ(1, r.sse2);
    EXPECT_EQ(1, r.mmxExt);
    EXPECT_EQ(0, r.amdMmxExt);
}

TEST(DetectProcessor, BrandTextLosesLeadingBlanks) {
    CannedCpuid cpu = Processor("GenuineIntel", 1, 15, 2, 9);
    cpu.leaves[0x80000000] = {0x80000004, 0, 0, 0};
    SetBrand(cpu, "      Intel(R) Pentium(R) 4 CPU 2.40GHz");
    EXPECT_STREQ("Intel(R) Pentium(R) 4 CPU 2.40GHz", Detect(cpu).brand);
}

TEST(DetectProcessor, BrandStartingWithZeroIsEmpty) {
    CannedCpuid cpu = Processor("GenuineIntel", 1, 15, 2, 9);
    cpu.leaves[0x80000000] = {0x80000004, 0, 0, 0};
    EXPECT_STREQ("", Detect(cpu).brand);
}

TEST(DetectProcessor, IntelDescriptorsSetCacheSizes) {
    const struct {
        const char* name;
        std::uint32_t family;
        CpuidRegisters leaf2;
        int l1Code, trace, l1Data, l2, l3;
    } cases[] = {
        // Byte 0 of EAX is the iteration count and is skipped, even when it looks like 0x06.
        {"Pentium III descriptors", 6, {0x43080406, 0x0C, 0, 0}, 16, 0, 16, 512, 0},
        {"Pentium 4 with trace cache", 15, {0x665B5001, 0, 0, 0x007A7000}, 0, 12, 8, 256, 0},
        {"later descriptor of a kind wins", 6, {0x44430001, 0, 0, 0}, 0, 0, 0, 1024, 0},
        {"third level", 15, {0x00292201, 0x8D, 0, 0}, 0, 0, 0, 0, 3072},
        {"0x40 on family 15 clears L3", 15, {0x40422901, 0, 0, 0}, 0, 0, 0, 256, 0},
        {"0x40 on family 6 clears L2", 6, {0x40422901, 0, 0, 0}, 0, 0, 0, 0, 4096},
        {"unknown descriptors ignored", 6, {0x00FFEE01, 0xDD, 0, 0}, 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        CannedCpuid cpu = Processor("GenuineIntel", 2, c.family, 2, 0);
        cpu.leaves[2] = c.leaf2;
        const CpuInfoRecord r = Detect(cpu);
        EXPECT_EQ(c.l1Code, r.l1CodeKb) << c.name;
        EXPECT_EQ(c.trace, r.traceCacheKuops) << c.name;
        EXPECT_EQ(c.l1Data, r.l1DataKb) << c.name;
        EXPECT_EQ(c.l2, r.l2Kb) << c.name;
        EXPECT_EQ(c.l3, r.l3Kb) << c.name;
    }
}

TEST(DetectProcessor, OtherVendorsReadTheExtendedCacheLeaves) {
    const struct {
        const char* name;
        const char* vendor;
        std::uint32_t family, model, stepping;
        std::uint32_t ext6Ecx;
        int l1Code, l1Data, l2;
    } cases[] = {
        {"AMD Athlon", "AuthenticAMD", 6, 10, 0, 0x02008140, 64, 32, 512},
        {"AMD model 3 stepping 0", "AuthenticAMD", 6, 3, 0, 0x02008140, 64, 32, 64},
        {"AMD model 4 stepping 1", "AuthenticAMD", 6, 4, 1, 0x04008140, 64, 32, 256},
        {"AMD model 4 stepping 2", "AuthenticAMD", 6, 4, 2, 0x04008140, 64, 32, 1024},
        {"Centaur model 7", "CentaurHauls", 6, 7, 0, 0x40008140, 64, 32, 64},
        {"AMD family 5 fixed table", "AuthenticAMD", 5, 8, 0, 0x00808140, 16, 16, 128},
        {"Cyrix family 5 model 2", "CyrixInstead", 5, 2, 0, 0, 8, 8, 0},
    };
    for (const auto& c : cases) {
        CannedCpuid cpu = Processor(c.vendor, 1, c.family, c.model, c.stepping);
        cpu.leaves[0x80000000] = {c.ext6Ecx ? 0x80000006u : 0x80000000u, 0, 0, 0};
        cpu.leaves[0x80000005] = {0, 0, 0x20000000, 0x40000000};
        cpu.leaves[0x80000006] = {0, 0, c.ext6Ecx, 0};
        const CpuInfoRecord r = Detect(cpu);
        EXPECT_EQ(c.l1Code, r.l1CodeKb) << c.name;
        EXPECT_EQ(c.l1Data, r.l1DataKb) << c.name;
        EXPECT_EQ(c.l2, r.l2Kb) << c.name;
        EXPECT_EQ(0, r.l3Kb) << c.name;
    }
}

TEST(DetectProcessor, ModelNames) {
    struct Case {
        const char* vendor;
        std::uint32_t family, model, stepping, type;
        int l2;                // via leaf-2 descriptor (Intel) or leaf 0x80000006 (others)
        std::uint32_t brand;   // leaf 1 EBX bits 0-7
        std::uint32_t extEdx;  // leaf 0x80000001 EDX
        std::uint32_t extEbx;  // leaf 0x80000001 EBX
        const char* name;
    };
    const Case cases[] = {
        {"GenuineIntel", 3, 0, 0, 2, 0, 0, 0, 0, "Intel 386SX/CX/EX"},
        {"GenuineIntel", 3, 9, 0, 0, 0, 0, 0, 0, "Intel "},
        {"GenuineIntel", 4, 8, 0, 0, 0, 0, 0, 0, "Intel DX4"},
        {"GenuineIntel", 5, 4, 0, 1, 0, 0, 0, 0, "Intel Pentium MMX ODP"},
        {"GenuineIntel", 6, 5, 0, 0, 0, 0, 0, 0, "Intel Celeron(Convington)"},
        {"GenuineIntel", 6, 5, 0, 0, 128, 0, 0, 0, "Intel Celeron(Convinton)"},
        {"GenuineIntel", 6, 5, 0, 1, 512, 0, 0, 0, "Intel Pentium II OverDrive"},
        {"GenuineIntel", 6, 5, 0, 0, 512, 0, 0, 0, "Intel Pentium II(Deschutes)"},
        {"GenuineIntel", 6, 5, 0, 0, 1024, 0, 0, 0, "Intel Pentium II Xeon(Deschutes)"},
        {"GenuineIntel", 6, 8, 3, 0, 256, 0, 0, 0, "Intel Pentium III(Coppermine)"},
        {"GenuineIntel", 6, 8, 3, 0, 128, 3, 0, 0, "Intel Pentium III Xeon(Cascades)"},
        {"GenuineIntel", 6, 11, 1, 0, 512, 6, 0, 0, "Intel Mobile Pentium III-M(Tualatin)"},
        {"GenuineIntel", 6, 13, 0, 0, 0, 0, 0, 0, "Intel P6 Family(Unknown)"},
        {"GenuineIntel", 15, 2, 9, 0, 512, 9, 0, 0, "Intel Pentium 4(Northwood)"},
        {"GenuineIntel", 15, 2, 9, 0, 256, 0, 0, 0, "Intel Mobile Celeron(Northwood-256K)"},
        {"GenuineIntel", 15, 1, 0, 0, 128, 0, 0, 0, "Intel Celeron(Willamette-128K)"},
        {"GenuineIntel", 15, 3, 0, 0, 1024, 0, 0, 0, "Intel Pentium 4 HT(Prescott)"},
        {"GenuineIntel", 9, 0, 0, 0, 0, 0, 0, 0, "Intel Unknown Family"},
        {"AuthenticAMD", 5, 13, 0, 0, 128, 0, 0, 0, "AMD K6-2+"},
        {"AuthenticAMD", 5, 13, 0, 0, 256, 0, 0, 0, "AMD K6-III+"},
        {"AuthenticAMD", 6, 6, 2, 0, 256, 0, 1u << 19, 0, "AMD Athlon XP/MP(Palomino)"},
        {"AuthenticAMD", 6, 6, 3, 0, 256, 0, 1u << 19, 0, "AMD Athlon MP(Palomino)"},
        {"AuthenticAMD", 6, 6, 3, 0, 64, 0, 0, 0, "AMD Duron(Palomino)"},
        {"AuthenticAMD", 6, 10, 0, 0, 256, 0, 0, 0, "AMD Athlon XP(Thorton)"},
        {"AuthenticAMD", 15, 4, 0, 0, 512, 0, 0, 0, "AMD Athlon XP(Paris)"},
        {"AuthenticAMD", 15, 4, 0, 0, 512, 0, 1u << 29, 0x10A, "AMD Athlon 64 3200+(Unknown)"},
        {"AuthenticAMD", 15, 5, 0, 0, 1024, 0, 1u << 29, 0x306, "AMD Opteron UP 150(SledgeHammer)"},
        {"AuthenticAMD", 15, 3, 0, 0, 1024, 0, 1u << 29, 0x905, "AMD Athlon 64 FX-29(ClawHammer)"},
        {"AuthenticAMD", 15, 3, 0, 0, 1024, 0, 1u << 29, 0x003,
         "AMD Engineering Sample 3(ClawHammer)"},
        {"AuthenticAMD", 15, 3, 0, 0, 1024, 0, 1u << 29, 0x700, "AMD Hammer(ClawHammer)"},
        {"CentaurHauls", 5, 8, 8, 0, 0, 0, 0, 0, "Centaur WinChip 2A"},
        {"CentaurHauls", 6, 7, 8, 0, 64, 0, 0, 0, "Centaur VIA C3(Ezra)"},
        {"CyrixInstead", 6, 5, 0, 0, 0, 0, 0, 0, "Cyrix VIA Cyrix III(Joshua)"},
        {"UMC UMC UMC ", 4, 2, 0, 0, 0, 0, 0, 0, "UMC U5S (486SX)"},
        {"NexGenDriven", 5, 0, 0, 0, 0, 0, 0, 0, "NexGen Nx586"},
        {"RiseRiseRise", 5, 8, 0, 0, 0, 0, 0, 0, "Rise mP6(iDragon II)"},
        {"SiS SiS SiS ", 5, 0, 0, 0, 0, 0, 0, 0, "SiS 55x"},
        {"Geode by NSC", 4, 4, 0, 0, 0, 0, 0, 0, "NSC Geode GXM/GXLV/GX1"},
        {"Geode by NSC", 5, 4, 0, 0, 0, 0, 0, 0, "NSC Unknown Family"},
        {"Compaq FX!32", 6, 0, 0, 0, 0, 0, 0, 0, "Alpha"},
        {"SomeoneElse!", 6, 0, 0, 0, 0, 0, 0, 0, "Unknown"},
    };
    const std::map<int, std::uint8_t> intelL2Descriptor = {
        {0, 0}, {128, 0x41}, {256, 0x42}, {512, 0x43}, {1024, 0x44}};
    for (const Case& c : cases) {
        CannedCpuid cpu = Processor(c.vendor, 2, c.family, c.model, c.stepping, c.type);
        cpu.leaves[1].ebx = c.brand;
        if (std::string(c.vendor) == "GenuineIntel") {
            cpu.leaves[2] = {0x01u | (static_cast<std::uint32_t>(intelL2Descriptor.at(c.l2)) << 8),
                             0, 0, 0};
        } else {
            cpu.leaves[0x80000006] = {0, 0, static_cast<std::uint32_t>(c.l2) << 16, 0};
        }
        cpu.leaves[0x80000000] = {0x80000006, 0, 0, 0};
        cpu.leaves[0x80000001] = {0, c.extEbx, 0, c.extEdx};
        cpu.systemType = 586;
        EXPECT_STREQ(c.name, Detect(cpu).modelName)
            << c.vendor << " " << c.family << "/" << c.model;
    }
}

TEST(DetectProcessor, SystemTypeReplacesTheAlphaPrefix) {
    CannedCpuid cpu = Processor("Compaq FX!32", 1, 6, 0, 0);
    cpu.systemType = 21164;
    EXPECT_STREQ("Alpha 21164", Detect(cpu).modelName);
}

TEST(DetectProcessor, TransmetaReadsItsOwnLeaves) {
    const struct {
        std::uint32_t highest, revision;
        int l2;
        const char* name;
    } cases[] = {
        {0x80860000, 0, 256, "Transmeta Unknown Family"},
        {0x80860001, 0x01010000, 256, "Transmeta Crusoe TM3200"},
        {0x80860001, 0x01030000, 256, "Transmeta Crusoe TM5500"},
        {0x80860001, 0x01030100, 512, "Transmeta Crusoe TM5600"},
        {0x80860001, 0x01040000, 128, "Transmeta "},
        {0x80860001, 0x02000000, 1024, "Transmeta Efficeon (Astro, TM8000)"},
    };
    for (const auto& c : cases) {
        CannedCpuid cpu = Processor("GenuineTMx86", 1, 6, 4, 0);
        cpu.leaves[0x80000000] = {0x80000006, 0, 0, 0};
        cpu.leaves[0x80000006] = {0, 0, static_cast<std::uint32_t>(c.l2) << 16, 0};
        cpu.leaves[0x80860000] = {c.highest, 0, 0, 0};
        cpu.leaves[0x80860001] = {0, c.revision, 0, 0};
        EXPECT_STREQ(c.name, Detect(cpu).modelName) << std::hex << c.revision;
    }
}

TEST(DetectProcessor, MobileAthlonNeedsTheVoltageLeaf) {
    CannedCpuid cpu = Processor("AuthenticAMD", 1, 6, 7, 0);
    cpu.leaves[0x80000000] = {0x80000007, 0, 0, 0};
    cpu.leaves[0x80000007] = {0, 0, 0, 1u << 2};
    EXPECT_STREQ("AMD Mobile Duron(Morgan)", Detect(cpu).modelName);
    cpu.leaves[0x80000000] = {0x80000006, 0, 0, 0};
    EXPECT_STREQ("AMD Duron(Morgan)", Detect(cpu).modelName);
}

TEST(DetectProcessor, RunsOnceAndTheRealProcessorPassesThrough) {
    DetectProcessor();
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    ASSERT_TRUE(__get_cpuid(0, &eax, &ebx, &ecx, &edx));
    char vendor[13] = {};
    std::memcpy(vendor, &ebx, 4);
    std::memcpy(vendor + 4, &edx, 4);
    std::memcpy(vendor + 8, &ecx, 4);
    EXPECT_STREQ(vendor, g_cpuInfo.vendor);
    ASSERT_TRUE(__get_cpuid(1, &eax, &ebx, &ecx, &edx));
    EXPECT_EQ((edx >> 23) & 1, g_cpuInfo.mmx);
    EXPECT_EQ((edx >> 26) & 1, g_cpuInfo.sse2);
    EXPECT_NE('\0', g_cpuInfo.modelName[0]);

    // The start-up clears bytes the settings forbid; a second call must not bring them back.
    const std::uint8_t mmx = g_cpuInfo.mmx;
    g_cpuInfo.mmx = 0;
    DetectProcessor();
    EXPECT_EQ(0, g_cpuInfo.mmx);
    g_cpuInfo.mmx = mmx;
}

namespace {

class CannedClock : public ProcessorClockSource {
public:
    std::vector<std::uint64_t> stamps;
    std::int64_t frequency = 0;
    std::vector<std::int64_t> counters;
    std::uint32_t now = 1000;
    std::uint32_t slept = 0;
    int stampReads = 0;

    std::uint64_t ReadTimeStamp() override { return stamps.at(stampReads++); }
    std::int64_t QueryFrequency() override { return frequency; }
    std::int64_t QueryCounter() override {
        const std::int64_t c = counters.front();
        counters.erase(counters.begin());
        return c;
    }
    void Sleep(std::uint32_t ms) override { slept += ms; }
    std::uint32_t NowMs() override { return now += 100; }
};

}  // namespace

TEST(MeasureProcessorClock, WithoutTimeStampCounterAnswersZeroWithoutMeasuring) {
    CannedClock clock;
    CpuInfoRecord record = {};
    EXPECT_EQ(0.0, MeasureProcessorClockWith(clock, record));
    EXPECT_EQ(0, clock.stampReads);
    EXPECT_EQ(0.0f, record.clockMhz);
}

TEST(MeasureProcessorClock, PerformanceCounterCorrectsForTheOversleep) {
    CannedClock clock;
    clock.frequency = 1000000;
    // The sleep lasted 510 ms: 1,020,000,000 cycles give 2000 MHz.
    clock.counters = {5000000, 5510000};
    clock.stamps = {0x500000000ull, 0x500000000ull + 1020000000ull};
    CpuInfoRecord record = {};
    record.tsc = 1;
    EXPECT_DOUBLE_EQ(2000.0, MeasureProcessorClockWith(clock, record));
    EXPECT_EQ(500u, clock.slept);
    EXPECT_FLOAT_EQ(2000.0f, record.clockMhz);
}

TEST(MeasureProcessorClock, WithoutPerformanceCounterWaitsOnTheMillisecondClock) {
    CannedClock clock;
    // The low 32 bits wrap between the two readings.
    clock.stamps = {0x1FFFFFFF0ull, 0x1FFFFFFF0ull + 600000000ull};
    CpuInfoRecord record = {};
    record.tsc = 1;
    EXPECT_DOUBLE_EQ(600000000.0 * 0.000002, MeasureProcessorClockWith(clock, record));
    EXPECT_EQ(0u, clock.slept);
    EXPECT_GE(clock.now, 1500u);
}
