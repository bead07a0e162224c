// A processor as the library's detection sees it, answering from canned registers.
#pragma once

#include <cstring>
#include <map>

#include "pixelops/library/cpu_features.h"

namespace pixelopstest {

class CannedProbe : public pixelops::ProcessorProbe {
public:
    bool fpu = true;
    bool cpuid = true;
    bool divisionKeepsFlags = false;
    bool sseRuns = true;
    std::uint32_t faultingLeaf = 0xFFFFFFFF;  // CPUID of this leaf raises an exception
    std::map<std::uint32_t, CpuidRegisters> leaves;
    int calls = 0;

    bool FpuPresent() override { return ++calls, fpu; }
    bool HasCpuid() override { return ++calls, cpuid; }
    bool Cpuid(std::uint32_t leaf, CpuidRegisters& out) override {
        ++calls;
        if (leaf == faultingLeaf) return false;
        auto it = leaves.find(leaf);
        out = it == leaves.end() ? CpuidRegisters{} : it->second;
        return true;
    }
    bool DivisionKeepsFlags() override { return ++calls, divisionKeepsFlags; }
    bool SseInstructionRuns() override { return ++calls, sseRuns; }

    // Leaf 0 with the vendor text, leaf 1 with the family and EDX feature bits.
    void SetProcessor(const char* vendor, std::uint32_t family, std::uint32_t edx) {
        CpuidRegisters leaf0;
        leaf0.eax = 1;
        std::memcpy(&leaf0.ebx, vendor, 4);
        std::memcpy(&leaf0.edx, vendor + 4, 4);
        std::memcpy(&leaf0.ecx, vendor + 8, 4);
        leaves[0] = leaf0;
        leaves[1] = CpuidRegisters{family << 8, 0, 0, edx};
    }
};

}  // namespace pixelopstest
