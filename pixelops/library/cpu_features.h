// The library's view of the processor: the feature word that chooses the kernel forms.
#pragma once

#include <cstdint>

#include "framework/system/cpuid.h"

struct CpuInfoRecord;

namespace pixelops {

// Bits of the feature word. Bits 0-3 hold the family and bits 4-7 the vendor code when the
// library identified the processor itself.
enum CpuFeatureBit : std::uint32_t {
    kCpuFpu = 0x10000,
    kCpuMmx = 0x20000,
    kCpu3DNow = 0x40000,
    kCpuSse = 0x80000,
    kCpuCmov = 0x100000,
    kCpu3DNowExt = 0x200000,
    kCpuMmxExt = 0x400000,
    kCpuSse2 = 0x800000,
    kCpuTimeStamp = 0x1000000,
};

enum CpuVendorCode : std::uint32_t {
    kVendorNone = 0x00,
    kVendorIntel = 0x10,
    kVendorAmd = 0x20,
    kVendorCentaur = 0x30,
    kVendorCyrix = 0x40,
    kVendorNexGen = 0x50,
    kVendorRise = 0x60,
    kVendorUmc = 0x70,
    kVendorTransmeta = 0x80,
};

// The feature word the kernel choice reads; starts at 0.
extern std::uint32_t CpuFeatureFlags;

// What the library's own detection found; the set-up keeps only the feature word.
struct ProcessorIdentity {
    std::uint32_t features;
    std::uint32_t signature;  // leaf 1 EAX
    std::uint32_t leaf1Ebx;
    char vendor[16];
    char brand[52];
};

// The processor as the library's detection sees it. Any probe may report a fault (the
// instruction raised an exception), which ends detection.
class ProcessorProbe {
public:
    virtual ~ProcessorProbe() = default;
    // FNINIT, then the status word's low byte is 0 and (control word AND 0x103F) is 0x3F.
    virtual bool FpuPresent() = 0;
    virtual bool HasCpuid() = 0;
    // False when CPUID raised an exception.
    virtual bool Cpuid(std::uint32_t leaf, CpuidRegisters& out) = 0;
    // Without CPUID: true when dividing 5 by 2 leaves the arithmetic flags as they were (Cyrix).
    virtual bool DivisionKeepsFlags() = 0;
    // False when clearing an SSE register raised an exception (an OS that does not save SSE state).
    virtual bool SseInstructionRuns() = 0;
};

// The real processor; the CPUID and SSE instructions run under a vectored exception handler.
class HardwareProcessorProbe : public ProcessorProbe {
public:
    bool FpuPresent() override;
    bool HasCpuid() override;
    bool Cpuid(std::uint32_t leaf, CpuidRegisters& out) override;
    bool DivisionKeepsFlags() override;
    bool SseInstructionRuns() override;
};

// Identifies the processor into `identity`. False when an instruction faulted.
bool DetectCpuFeatures(ProcessorProbe& probe, ProcessorIdentity& identity);

// One bit per non-zero feature byte of the host's record.
std::uint32_t FeatureBitsOfRecord(const CpuInfoRecord& record);

// Sets CpuFeatureFlags: OR-ed from the record, or replaced by the detected word after the SSE
// probe. False (flags unchanged) when detection faulted.
bool ComposeCpuFeatureFlags(const CpuInfoRecord* record, ProcessorProbe& probe);

}  // namespace pixelops
