#include "framework/system/cpuid.h"

#include <windows.h>

#include <cstring>

bool EflagsIdBitToggles() {
    std::uint32_t before = 0;
    std::uint32_t after = 0;
    asm volatile(
        "pushfl\n\t"
        "popl %0\n\t"
        "movl %0, %1\n\t"
        "xorl $0x200000, %1\n\t"
        "pushl %1\n\t"
        "popfl\n\t"
        "pushfl\n\t"
        "popl %1\n\t"
        "pushl %0\n\t"
        "popfl"
        : "=&r"(before), "=&r"(after)
        :
        : "cc");
    return ((before ^ after) & 0x200000) != 0;
}

bool HardwareCpuid::HasCpuid() {
    return EflagsIdBitToggles();
}

CpuidRegisters HardwareCpuid::Query(std::uint32_t leaf) {
    CpuidRegisters r;
    asm volatile("cpuid" : "=a"(r.eax), "=b"(r.ebx), "=c"(r.ecx), "=d"(r.edx) : "a"(leaf), "c"(0));
    return r;
}

std::uint32_t HardwareCpuid::SystemProcessorType() {
    SYSTEM_INFO info = {};
    GetSystemInfo(&info);
    return info.dwProcessorType;
}

void CopyVendorText(const CpuidRegisters& leaf0, char* out) {
    std::memcpy(out + 0, &leaf0.ebx, 4);
    std::memcpy(out + 4, &leaf0.edx, 4);
    std::memcpy(out + 8, &leaf0.ecx, 4);
}

void CopyBrandText(const CpuidRegisters& leaf, char* out) {
    std::memcpy(out + 0, &leaf.eax, 4);
    std::memcpy(out + 4, &leaf.ebx, 4);
    std::memcpy(out + 8, &leaf.ecx, 4);
    std::memcpy(out + 12, &leaf.edx, 4);
}
