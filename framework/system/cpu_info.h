// Processor identification: one process-wide record filled once at start-up.
//
// The pixel-operation library receives the record's address and reads its feature bytes at
// fixed offsets, so the layout below is part of that library's interface (checked by tests).
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/system/cpuid.h"

struct CpuInfoRecord {
    char vendor[13];     // leaf 0 EBX, EDX, ECX; empty without CPUID
    char brand[49];      // leaves 0x80000002-4 without leading blanks
    char modelName[50];  // built from the signature; never empty after detection
    float clockMhz;      // 0 until measured
    std::int32_t l1CodeKb;
    std::int32_t traceCacheKuops;
    std::int32_t l1DataKb;
    std::int32_t l2Kb;
    std::int32_t l3Kb;
    std::uint8_t type;
    std::uint8_t family;
    std::uint8_t model;
    std::uint8_t stepping;
    std::uint8_t fpu;
    std::uint8_t tsc;
    std::uint8_t cmov;
    std::uint8_t mmx;
    std::uint8_t mmxExt;  // SSE or AMD's MMX extensions
    std::uint8_t sse;
    std::uint8_t sse2;
    std::uint8_t sse3;
    std::uint8_t amdMmxExt;
    std::uint8_t amd3DNow;
    std::uint8_t amd3DNowExt;
    std::uint8_t hyperThreading;
};

static_assert(offsetof(CpuInfoRecord, clockMhz) == 112, "record layout is shared with qmxgl");
static_assert(offsetof(CpuInfoRecord, fpu) == 140, "record layout is shared with qmxgl");
static_assert(sizeof(CpuInfoRecord) == 152, "record layout is shared with qmxgl");

// The process-wide record and its two state bytes.
extern CpuInfoRecord g_cpuInfo;
extern bool g_cpuDetected;
extern bool g_cpuClockMeasured;

// Fills g_cpuInfo from the real processor; does nothing after its first call.
void DetectProcessor();

// Fills `record` (which the caller zero-fills) from any CPUID source.
void DetectProcessorFrom(CpuidSource& source, CpuInfoRecord& record);

// Clock rate in MHz; measured on the first call only, 0 without a time-stamp counter.
double MeasureProcessorClock();

// The time sources of the clock measurement.
class ProcessorClockSource {
public:
    virtual ~ProcessorClockSource() = default;
    virtual std::uint64_t ReadTimeStamp() = 0;
    // 0 when the system has no performance counter.
    virtual std::int64_t QueryFrequency() = 0;
    virtual std::int64_t QueryCounter() = 0;
    virtual void Sleep(std::uint32_t ms) = 0;
    virtual std::uint32_t NowMs() = 0;
};

// One measurement into `record.clockMhz` (0 and no measurement without a time-stamp counter).
double MeasureProcessorClockWith(ProcessorClockSource& clock, CpuInfoRecord& record);
