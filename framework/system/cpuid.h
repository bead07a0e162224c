// Access to the processor's identification instruction.
//
// Identification code reads the processor through CpuidSource so that tests can hand it canned
// register sets; HardwareCpuid is the real processor.
#pragma once

#include <cstdint>

struct CpuidRegisters {
    std::uint32_t eax = 0;
    std::uint32_t ebx = 0;
    std::uint32_t ecx = 0;
    std::uint32_t edx = 0;
};

class CpuidSource {
public:
    virtual ~CpuidSource() = default;
    // False when bit 21 of EFLAGS cannot be changed: the processor has no CPUID instruction.
    virtual bool HasCpuid() = 0;
    virtual CpuidRegisters Query(std::uint32_t leaf) = 0;
    // The processor type that GetSystemInfo reports (386, 486, 586, 2577, ...).
    virtual std::uint32_t SystemProcessorType() = 0;
};

class HardwareCpuid : public CpuidSource {
public:
    bool HasCpuid() override;
    CpuidRegisters Query(std::uint32_t leaf) override;
    std::uint32_t SystemProcessorType() override;
};

// True when bit 21 of EFLAGS can be flipped (the CPUID test of every x86 since the late 486s).
bool EflagsIdBitToggles();

inline bool CpuidBit(std::uint32_t value, int bit) {
    return ((value >> bit) & 1) != 0;
}

// The 12 vendor characters of leaf 0 (EBX, EDX, ECX); no terminator is written.
void CopyVendorText(const CpuidRegisters& leaf0, char* out);
// The 16 brand characters one of leaves 0x80000002-0x80000004 carries (EAX to EDX).
void CopyBrandText(const CpuidRegisters& leaf, char* out);
