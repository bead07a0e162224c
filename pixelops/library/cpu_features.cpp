#include "pixelops/library/cpu_features.h"

#include <windows.h>

#include <cstring>

#include "framework/system/cpu_info.h"

// The two instructions that may fault sit at known addresses, each with a place to resume:
// the vectored handler below moves a faulting thread there, and the routine then reports 0.
extern "C" {
std::int32_t qmxglGuardedCpuid(std::uint32_t leaf, std::uint32_t* out);
std::int32_t qmxglGuardedSseProbe();
extern char qmxglCpuidSite[];
extern char qmxglCpuidResume[];
extern char qmxglSseSite[];
extern char qmxglSseResume[];
}

asm(R"(
    .text
    .globl _qmxglGuardedCpuid
    .globl _qmxglCpuidSite
    .globl _qmxglCpuidResume
_qmxglGuardedCpuid:
    pushl %ebx
    pushl %edi
    movl 12(%esp), %eax
    movl 16(%esp), %edi
    xorl %ecx, %ecx
_qmxglCpuidSite:
    cpuid
    movl %eax, (%edi)
    movl %ebx, 4(%edi)
    movl %ecx, 8(%edi)
    movl %edx, 12(%edi)
    movl $1, %eax
    popl %edi
    popl %ebx
    ret
_qmxglCpuidResume:
    xorl %eax, %eax
    popl %edi
    popl %ebx
    ret

    .globl _qmxglGuardedSseProbe
    .globl _qmxglSseSite
    .globl _qmxglSseResume
_qmxglGuardedSseProbe:
_qmxglSseSite:
    xorps %xmm0, %xmm0
    movl $1, %eax
    ret
_qmxglSseResume:
    xorl %eax, %eax
    ret
)");

namespace pixelops {

std::uint32_t CpuFeatureFlags = 0;

namespace {

LONG CALLBACK ProbeFaultHandler(EXCEPTION_POINTERS* info) {
    const void* at = info->ExceptionRecord->ExceptionAddress;
    if (at == qmxglCpuidSite) {
        info->ContextRecord->Eip = reinterpret_cast<DWORD>(qmxglCpuidResume);
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    if (at == qmxglSseSite) {
        info->ContextRecord->Eip = reinterpret_cast<DWORD>(qmxglSseResume);
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

class ScopedProbeHandler {
public:
    ScopedProbeHandler() : m_handle(AddVectoredExceptionHandler(1, ProbeFaultHandler)) {}
    ~ScopedProbeHandler() {
        if (m_handle) RemoveVectoredExceptionHandler(m_handle);
    }
    ScopedProbeHandler(const ScopedProbeHandler&) = delete;
    ScopedProbeHandler& operator=(const ScopedProbeHandler&) = delete;

private:
    void* m_handle;
};

std::uint32_t VendorCode(std::uint32_t ecx) {
    static const struct {
        char tail[5];
        std::uint32_t code;
    } kVendors[] = {
        {"ntel", kVendorIntel}, {"cAMD", kVendorAmd},     {"TTER", kVendorAmd},
        {"tead", kVendorCyrix}, {"auls", kVendorCentaur}, {"iven", kVendorNexGen},
        {"Rise", kVendorRise},  {"UMC ", kVendorUmc},     {"Mx86", kVendorTransmeta},
    };
    for (const auto& v : kVendors)
        if (std::memcmp(&ecx, v.tail, 4) == 0) return v.code;
    return kVendorNone;
}

}  // namespace

bool HardwareProcessorProbe::FpuPresent() {
    std::uint16_t status = 0xFFFF;
    std::uint16_t control = 0;
    std::uint16_t saved = 0;
    asm volatile(
        "fnstcw %2\n\t"
        "fninit\n\t"
        "fnstsw %0\n\t"
        "fnstcw %1\n\t"
        "fldcw %2"
        : "=m"(status), "=m"(control), "=m"(saved));
    return (status & 0xFF) == 0 && (control & 0x103F) == 0x3F;
}

bool HardwareProcessorProbe::HasCpuid() {
    return EflagsIdBitToggles();
}

bool HardwareProcessorProbe::Cpuid(std::uint32_t leaf, CpuidRegisters& out) {
    std::uint32_t regs[4] = {};
    ScopedProbeHandler handler;
    if (!qmxglGuardedCpuid(leaf, regs)) return false;
    out.eax = regs[0];
    out.ebx = regs[1];
    out.ecx = regs[2];
    out.edx = regs[3];
    return true;
}

bool HardwareProcessorProbe::DivisionKeepsFlags() {
    std::uint32_t flags = 0;
    asm volatile(
        "xorl %%eax, %%eax\n\t"
        "sahf\n\t"
        "movl $5, %%eax\n\t"
        "movb $2, %%cl\n\t"
        "divb %%cl\n\t"
        "lahf\n\t"
        "movzbl %%ah, %0"
        : "=r"(flags)
        :
        : "eax", "ecx", "cc");
    return flags == 2;
}

bool HardwareProcessorProbe::SseInstructionRuns() {
    ScopedProbeHandler handler;
    return qmxglGuardedSseProbe() != 0;
}

bool DetectCpuFeatures(ProcessorProbe& probe, ProcessorIdentity& id) {
    std::memset(&id, 0, sizeof id);
    if (!probe.FpuPresent()) return true;
    std::uint32_t word = kCpuFpu;
    if (!probe.HasCpuid()) {
        word |= (probe.DivisionKeepsFlags() ? kVendorCyrix : kVendorIntel) | 4;
        id.features = word;
        return true;
    }
    CpuidRegisters leaf0, leaf1, ext0;
    if (!probe.Cpuid(0, leaf0)) return false;
    CopyVendorText(leaf0, id.vendor);
    word |= VendorCode(leaf0.ecx);
    if (!probe.Cpuid(1, leaf1)) return false;
    id.signature = leaf1.eax;
    id.leaf1Ebx = leaf1.ebx;
    const std::uint32_t family = (leaf1.eax >> 8) & 15;
    word |= family;
    if (family == 4) {
        id.features = word;
        return true;
    }
    if (!probe.Cpuid(0x80000000, ext0)) return false;
    if (ext0.eax >= 0x80000001) {
        CpuidRegisters ext1;
        if (!probe.Cpuid(0x80000001, ext1)) return false;
        if (CpuidBit(ext1.edx, 31)) word |= kCpu3DNow;
        if (CpuidBit(ext1.edx, 15)) word |= kCpuCmov;
        if (CpuidBit(ext1.edx, 30)) word |= kCpu3DNowExt;
        if (CpuidBit(ext1.edx, 22)) word |= kCpuMmxExt;
    }
    if (CpuidBit(leaf1.edx, 23)) word |= kCpuMmx;
    if (CpuidBit(leaf1.edx, 15)) word |= kCpuCmov;
    if (CpuidBit(leaf1.edx, 25)) word |= kCpuSse | kCpuMmxExt;
    if (CpuidBit(leaf1.edx, 26)) word |= kCpuSse2;
    if (CpuidBit(leaf1.edx, 4)) word |= kCpuTimeStamp;
    if (ext0.eax >= 0x80000004) {
        for (std::uint32_t i = 0; i < 3; ++i) {
            CpuidRegisters b;
            if (!probe.Cpuid(0x80000002 + i, b)) return false;
            CopyBrandText(b, id.brand + 16 * i);
        }
    }
    id.features = word;
    return true;
}

std::uint32_t FeatureBitsOfRecord(const CpuInfoRecord& r) {
    std::uint32_t bits = 0;
    if (r.fpu) bits |= kCpuFpu;
    if (r.mmx) bits |= kCpuMmx;
    if (r.amd3DNow) bits |= kCpu3DNow;
    if (r.sse) bits |= kCpuSse;
    if (r.cmov) bits |= kCpuCmov;
    if (r.amd3DNowExt) bits |= kCpu3DNowExt;
    if (r.mmxExt || r.amdMmxExt) bits |= kCpuMmxExt;
    if (r.sse2) bits |= kCpuSse2;
    if (r.tsc) bits |= kCpuTimeStamp;
    return bits;
}

bool ComposeCpuFeatureFlags(const CpuInfoRecord* record, ProcessorProbe& probe) {
    if (record) {
        CpuFeatureFlags |= FeatureBitsOfRecord(*record);
        return true;
    }
    ProcessorIdentity identity;
    if (!DetectCpuFeatures(probe, identity)) return false;
    if ((identity.features & kCpuSse) && !probe.SseInstructionRuns())
        identity.features &= ~(kCpuSse | kCpuSse2);
    CpuFeatureFlags = identity.features;
    return true;
}

}  // namespace pixelops
