#include "framework/system/cpu_info.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

CpuInfoRecord g_cpuInfo = {};
bool g_cpuDetected = false;
bool g_cpuClockMeasured = false;

namespace {

// What the model-name rules look at beyond the record itself.
struct Signature {
    std::uint32_t maxBasic = 0;
    std::uint32_t maxExtended = 0;
    std::uint32_t extendedFamily = 0;
    std::uint32_t brandIndex = 0;
    std::uint32_t brandId12 = 0;  // leaf 0x80000001 EBX bits 0-11
    bool multiprocessor = false;  // leaf 0x80000001 EDX bit 19
    bool longMode = false;        // leaf 0x80000001 EDX bit 29
    bool mobile = false;          // leaf 0x80000007 EDX bit 2
};

void StoreIntelDescriptor(std::uint8_t code, CpuInfoRecord& r) {
    switch (code) {
        case 0x06: r.l1CodeKb = 8; break;
        case 0x08:
        case 0x15:
        case 0x77: r.l1CodeKb = 16; break;
        case 0x30: r.l1CodeKb = 32; break;
        case 0x0A:
        case 0x66: r.l1DataKb = 8; break;
        case 0x0C:
        case 0x10:
        case 0x67: r.l1DataKb = 16; break;
        case 0x2C:
        case 0x68: r.l1DataKb = 32; break;
        case 0x70: r.traceCacheKuops = 12; break;
        case 0x71: r.traceCacheKuops = 16; break;
        case 0x72: r.traceCacheKuops = 32; break;
        case 0x1A: r.l2Kb = 96; break;
        case 0x39:
        case 0x3B:
        case 0x41:
        case 0x79:
        case 0x81: r.l2Kb = 128; break;
        case 0x3C:
        case 0x42:
        case 0x7A:
        case 0x7E:
        case 0x82: r.l2Kb = 256; break;
        case 0x43:
        case 0x7B:
        case 0x83:
        case 0x86: r.l2Kb = 512; break;
        case 0x44:
        case 0x7C:
        case 0x84:
        case 0x87: r.l2Kb = 1024; break;
        case 0x45:
        case 0x85: r.l2Kb = 2048; break;
        case 0x22: r.l3Kb = 512; break;
        case 0x23: r.l3Kb = 1024; break;
        case 0x25:
        case 0x88: r.l3Kb = 2048; break;
        case 0x29:
        case 0x89: r.l3Kb = 4096; break;
        case 0x8A: r.l3Kb = 8192; break;
        case 0x8D: r.l3Kb = 3072; break;
        case 0x40:
            if (r.family == 15)
                r.l3Kb = 0;
            else
                r.l2Kb = 0;
            break;
        default: break;
    }
}

void DetectCaches(CpuidSource& source, const Signature& sig, const CpuidRegisters& leaf2,
                  CpuInfoRecord& r) {
    const std::string vendor = r.vendor;
    if (vendor == "GenuineIntel") {
        const std::uint32_t regs[4] = {leaf2.eax, leaf2.ebx, leaf2.ecx, leaf2.edx};
        for (int i = 1; i < 16; ++i) {
            const std::uint8_t code = static_cast<std::uint8_t>(regs[i / 4] >> (8 * (i % 4)));
            if (code != 0) StoreIntelDescriptor(code, r);
        }
        return;
    }
    if (r.family == 5) {
        if (r.model == 4 || r.model == 8) {
            r.l1CodeKb = 16;
            r.l1DataKb = 16;
        } else if (r.model <= 7) {
            r.l1CodeKb = 8;
            r.l1DataKb = 8;
        }
        // The fixed table has no second level; the K6-2+ and K6-III+ names need it, and those
        // processors report it through the extended cache leaf.
        if (sig.maxExtended >= 0x80000006)
            r.l2Kb = static_cast<std::int32_t>(source.Query(0x80000006).ecx >> 16);
        return;
    }
    if (sig.maxExtended >= 0x80000005) {
        const CpuidRegisters l1 = source.Query(0x80000005);
        r.l1CodeKb = static_cast<std::int32_t>(l1.edx >> 24);
        r.l1DataKb = static_cast<std::int32_t>(l1.ecx >> 24);
    }
    if (sig.maxExtended >= 0x80000006) {
        const std::uint32_t ecx = source.Query(0x80000006).ecx;
        if (vendor == "CentaurHauls" && r.family == 6 && (r.model == 7 || r.model == 8)) {
            r.l2Kb = static_cast<std::int32_t>(ecx >> 24);
        } else if (vendor == "AuthenticAMD" && r.family == 6 && r.model == 3 && r.stepping == 0) {
            r.l2Kb = 64;
        } else if (vendor == "AuthenticAMD" && r.family == 6 && r.model == 4 && r.stepping <= 1) {
            r.l2Kb = 256;
        } else {
            r.l2Kb = static_cast<std::int32_t>(ecx >> 16);
        }
    }
}

const char* IntelName(const CpuInfoRecord& r, const Signature& sig) {
    const int model = r.model, type = r.type, l2 = r.l2Kb, brand = static_cast<int>(sig.brandIndex);
    const bool ht = r.hyperThreading != 0;
    switch (r.family) {
        case 3:
            if (model == 0 && type == 0) return "386DX";
            if (model == 0 && type == 2) return "386SX/CX/EX";
            if ((model == 0 || model == 1) && type == 4) return "386SL";
            if (model == 4 && type == 0) return "RapidCAD coprocessor";
            return "";
        case 4:
            switch (model) {
                case 0:
                case 1: return "486DX";
                case 2: return "486SX";
                case 3: return "486DX2";
                case 4: return "486SL";
                case 5: return "SX2";
                case 7: return "LightbackEnhanced DX2";
                case 8: return "DX4";
                case 9: return "486DX4(WB)";
                default: return "486 Family(Unknown)";
            }
        case 5:
            switch (model) {
                case 0:
                case 3: return "Pentium";
                case 1:
                case 2: return type == 1 ? "Pentium ODP" : "Pentium";
                case 4: return type == 1 ? "Pentium MMX ODP" : "Pentium with MMX(P55C)";
                case 5: return "Pentium(DX4 ODP)";
                case 6: return "Pentium(P5 ODP)";
                case 7: return "Mobile Pentium(P54C)";
                case 8: return "Mobile Pentium MMX(low voltage P55)";
                default: return "Pentium Family(Unknown)";
            }
        case 6:
            switch (model) {
                case 0: return "Pentium Pro(A-step sample)";
                case 1: return "Pentium Pro";
                case 3: return type == 1 ? "Pentium MMX ODP" : "Pentium II(Klamath)";
                case 4: return "ODP";
                case 5:
                    if (l2 == 0) return "Celeron(Convington)";
                    if (l2 > 512) return "Pentium II Xeon(Deschutes)";
                    if (l2 == 512)
                        return type == 1 ? "Pentium II OverDrive" : "Pentium II(Deschutes)";
                    return "Celeron(Convinton)";
                case 6:
                    if ((r.stepping == 10 || r.stepping == 13) && l2 == 256)
                        return "Mobile Pentium II(Dixon)";
                    if ((r.stepping == 10 || r.stepping == 13) && l2 == 128)
                        return "Mobile Celeron(Dixon-128K)";
                    return "Celeron(Mendocino)";
                case 7: return brand == 3 ? "Pentium III Xeon(Tanner)" : "Pentium III(Katmai)";
                case 8:
                    if (brand == 3) return "Pentium III Xeon(Cascades)";
                    return l2 == 256 ? "Pentium III(Coppermine)" : "Celeron(Coppermine-128K)";
                case 9: return l2 == 1024 ? "Mobile Pentium M(Banias)" : "Mobile Celeron(Banias)";
                case 10: return "Pentium III Xeon(Cascades)";
                case 11:
                    if (brand == 6) return "Mobile Pentium III-M(Tualatin)";
                    if (brand == 7) return "Mobile Celeron(Tualatin)";
                    if (l2 == 512) return "Pentium III-S(Tualatin)";
                    if (brand == 4) return "Pentium III(Tualatin)";
                    return "Celeron(Tualatin)";
                case 12: return "Mobile Pentium M(Dothan)";
                default: return "P6 Family(Unknown)";
            }
        case 7: return "Itanium(Merced)";
        case 15:
            if (sig.extendedFamily == 1) return "Itanium 2(McKinley)";
            switch (model) {
                case 0:
                case 1:
                    if (brand == 12) return "Xeon MP(Foster MP)";
                    if (brand == 14) return "Xeon(Foster)";
                    return l2 == 512 ? "Pentium 4(Willamette)" : "Celeron(Willamette-128K)";
                case 2:
                    if (brand == 12) return "Xeon MP(Gallatin)";
                    if (brand == 11) return r.l3Kb > 0 ? "Xeon(Gallatin)" : "Xeon(Prestonia)";
                    if (brand == 9) {
                        if (r.l3Kb > 0) return "Pentium 4 Extreme Edition(Gallatin)";
                        return ht ? "Pentium 4 HT(Northwood)" : "Pentium 4(Northwood)";
                    }
                    if (brand == 14)
                        return ht ? "Mobile Pentium 4 HT(Northwood)"
                                  : "Mobile Pentium 4-M(Northwood)";
                    if (l2 == 256) return "Mobile Celeron(Northwood-256K)";
                    if (brand == 15)
                        return l2 == 512 ? "Mobile Pentium 4-M ES(Northwood)"
                                         : "Mobile Celeron(Northwood-128K)";
                    return "Celeron(Northwood-128K)";
                case 3: return "Pentium 4 HT(Prescott)";
                default: return "Pentium 4 Family(Unknown)";
            }
        default: return "Unknown Family";
    }
}

std::string AmdName(const CpuInfoRecord& r, const Signature& sig) {
    const int model = r.model, l2 = r.l2Kb;
    switch (r.family) {
        case 4:
            switch (model) {
                case 3: return "486DX2/DX4 (2xWT)";
                case 7: return "486DX2/DX2 (2xWB)";
                case 8: return "486DX4/5x86 (3xWT)";
                case 9: return "486DX4 SV8B (3xWB)";
                case 14: return "5x86 (4xWT)";
                case 15: return "5x86 (4xWB)";
                default: return "486 Family(Unknown)";
            }
        case 5:
            switch (model) {
                case 0:
                case 1:
                case 2:
                case 3: return "K5";
                case 6:
                case 7: return "K6";
                case 8: return "K6-2(Chompers)";
                case 9: return "K6-III(Sharptooth)";
                case 13:
                    if (l2 == 128) return "K6-2+";
                    if (l2 == 256) return "K6-III+";
                    return "K6 Family(Unknown)";
                default: return "K5/K6 Family(Unknown)";
            }
        case 6:
            switch (model) {
                case 1: return "Athlon(K7)";
                case 2: return "Athlon(K75)";
                case 3: return "Duron(Spitfire)";
                case 4: return "Athlon(ThunderBird)";
                case 6:
                    if (sig.mobile)
                        return l2 >= 256 ? "Mobile Athlon 4(Palomino)" : "Mobile Duron(Palomino)";
                    if (l2 < 256) return "Duron(Palomino)";
                    if (!sig.multiprocessor) return "Athlon XP(Palomino)";
                    return r.stepping <= 2 ? "Athlon XP/MP(Palomino)" : "Athlon MP(Palomino)";
                case 7: return sig.mobile ? "Mobile Duron(Morgan)" : "Duron(Morgan)";
                case 8:
                    if (l2 < 256) return "Duron(Applebred)";
                    if (sig.mobile) return "Mobile Athlon XP-M(Thoroughbred)";
                    return sig.multiprocessor ? "Athlon MP(Thoroughbred)"
                                              : "Athlon XP(Thoroughbred)";
                case 10:
                    if (l2 < 512) return "Athlon XP(Thorton)";
                    if (sig.mobile) return "Mobile Athlon XP-M(Barton)";
                    return sig.multiprocessor ? "Athlon MP(Barton)" : "Athlon XP(Barton)";
                default: return "Athlon Family(Unknown)";
            }
        case 15: {
            if (!sig.longMode) return "Athlon XP(Paris)";
            const unsigned n = sig.brandId12 & 0xFF;
            char number[32] = "";
            std::string name;
            switch (sig.brandId12 >> 8) {
                case 0:
                    name = "Engineering Sample";
                    std::snprintf(number, sizeof number, " %u", n);
                    break;
                case 1:
                    name = "Athlon 64";
                    std::snprintf(number, sizeof number, " %u00+", n + 22);
                    break;
                case 2:
                    name = "Mobile Athlon 64";
                    std::snprintf(number, sizeof number, " %u00+", n + 22);
                    break;
                case 3:
                    name = "Opteron UP 1";
                    std::snprintf(number, sizeof number, "%u", 2 * n + 38);
                    break;
                case 4:
                    name = "Opteron DP 2";
                    std::snprintf(number, sizeof number, "%u", 2 * n + 38);
                    break;
                case 5:
                    name = "Opteron MP 8";
                    std::snprintf(number, sizeof number, "%u", 2 * n + 38);
                    break;
                case 9:
                    name = "Athlon 64 FX-";
                    std::snprintf(number, sizeof number, "%u", n + 24);
                    break;
                default: name = "Hammer"; break;
            }
            name += number;
            if (model < 4)
                name += "(ClawHammer)";
            else if (model == 5)
                name += "(SledgeHammer)";
            else
                name += "(Unknown)";
            return name;
        }
        default: return "Unknown Family";
    }
}

const char* OtherVendorName(const std::string& vendor, const CpuInfoRecord& r) {
    const int family = r.family, model = r.model, stepping = r.stepping;
    if (vendor == "UMC UMC UMC ") {
        if (family != 4) return "Unknown Family";
        if (model == 1) return "U5D (486DX)";
        if (model == 2) return "U5S (486SX)";
        return "486 Family(Unknown)";
    }
    if (vendor == "CyrixInstead") {
        if (family == 4)
            return model == 4 ? "MediaGX/GXm/GXi" : model == 9 ? "5x86" : "5x86 Family(Unknown)";
        if (family == 5) {
            if (model == 0 || model == 2) return "6x86 / 6x86L";
            return model == 4 ? "MediaGX-MMX" : "6x86 Family(Unknown)";
        }
        if (family == 6) {
            if (model == 0) return "6x86MX / M-II";
            return model == 5 ? "VIA Cyrix III(Joshua)" : "6x86MX / M-II Family(Unknown)";
        }
        return "Unknown Family";
    }
    if (vendor == "NexGenDriven") {
        if (family == 5) return "Nx586";
        return family == 6 ? "Nx686" : "Unknown Family";
    }
    if (vendor == "CentaurHauls") {
        if (family == 5) {
            switch (model) {
                case 4: return "WinChip C6";
                case 8:
                    if (stepping >= 7 && stepping <= 9) return "WinChip 2A";
                    if (stepping >= 10) return "WinChip 2B";
                    return "WinChip 2";
                case 9: return "WinChip 3";
                default: return "IDT C6 Family(Unknown)";
            }
        }
        if (family == 6) {
            switch (model) {
                case 6: return "VIA Cyrix III(Samuel)";
                case 7: return stepping <= 7 ? "VIA C3(Samuel2)" : "VIA C3(Ezra)";
                case 8: return "VIA C3(Ezra-T)";
                case 9: return "VIA C3(Nehemiah)";
                default: return "VIA C3 Family(Unknown)";
            }
        }
        return "Unknown Family";
    }
    if (vendor == "RiseRiseRise") {
        if (family != 5) return "Unknown Family";
        if (model == 0 || model == 2) return "mP6(iDragon)";
        return (model == 8 || model == 9) ? "mP6(iDragon II)" : "mP6 Family(Unknown)";
    }
    if (vendor == "SiS SiS SiS ") return family == 5 ? "55x" : "Unknown Family";
    if (vendor == "Geode by NSC") {
        if (family != 4) return "Unknown Family";
        return model == 4 ? "Geode GXM/GXLV/GX1" : "Geode CPU(Unknown)";
    }
    return "";
}

const char* TransmetaName(CpuidSource& source, const CpuInfoRecord& r) {
    if (source.Query(0x80860000).eax < 0x80860001) return "Unknown Family";
    const std::uint32_t revision = source.Query(0x80860001).ebx;
    const int l2 = r.l2Kb;
    switch (revision >> 16) {
        case 0x0101: return "Crusoe TM3200";
        case 0x0102: return "Crusoe TM5400";
        case 0x0103:
            if (((revision >> 8) & 0xFF) == 0) return l2 == 256 ? "Crusoe TM5500" : "Crusoe TM5800";
            return l2 == 256 ? "Crusoe TM5400" : "Crusoe TM5600";
        case 0x0104:
            if (l2 == 256) return "Crusoe TM5500";
            return l2 == 512 ? "Crusoe TM5800" : "";
        case 0x0105: return l2 == 256 ? "Crusoe TM5500" : "Crusoe TM5800";
        default: return l2 == 1024 ? "Efficeon (Astro, TM8000)" : "Unknown Family";
    }
}

const char* SystemTypeName(std::uint32_t type) {
    switch (type) {
        case 103: return "SH3";
        case 104: return "SH4";
        case 386: return "Intel 386";
        case 486: return "Intel 486";
        case 601: return "PowerPC 601";
        case 603: return "PowerPC 603";
        case 604: return "PowerPC 604";
        case 620: return "PowerPC 620";
        case 1824: return "ARM 720";
        case 2000: return "MIPS R2000";
        case 2080: return "ARM 820";
        case 2336: return "ARM 920";
        case 2577: return "StrongARM";
        case 3000: return "MIPS R3000";
        case 4000: return "MIPS R4000";
        case 10003: return "HITACHI SH3";
        case 10004: return "HITACHI SH3E";
        case 10005: return "HITACHI SH4";
        case 21064: return "Alpha 21064";
        case 21066: return "Alpha 21066";
        case 21164: return "Alpha 21164";
        case 70001: return "ARM 7TDMI";
        default: return nullptr;
    }
}

std::string BuildModelName(CpuidSource& source, const Signature& sig, const CpuInfoRecord& r) {
    static const struct {
        const char* vendor;
        const char* prefix;
    } kVendors[] = {
        {"GenuineIntel", "Intel "}, {"AuthenticAMD", "AMD "},       {"UMC UMC UMC ", "UMC "},
        {"CyrixInstead", "Cyrix "}, {"NexGenDriven", "NexGen "},    {"CentaurHauls", "Centaur "},
        {"RiseRiseRise", "Rise "},  {"GenuineTMx86", "Transmeta "}, {"SiS SiS SiS ", "SiS "},
        {"Geode by NSC", "NSC "},
    };
    const std::string vendor = r.vendor;
    std::string name;
    bool bySystemType = true;
    for (const auto& v : kVendors) {
        if (vendor != v.vendor) continue;
        name = v.prefix;
        bySystemType = false;
        if (vendor == "GenuineIntel")
            name += IntelName(r, sig);
        else if (vendor == "AuthenticAMD")
            name += AmdName(r, sig);
        else if (vendor == "GenuineTMx86")
            name += TransmetaName(source, r);
        else
            name += OtherVendorName(vendor, r);
        break;
    }
    if (bySystemType) {
        if (vendor == "Compaq FX!32")
            name = "Alpha";
        else if (vendor == "ConnectixCPU")
            name = "PowerPC";
        if (const char* system = SystemTypeName(source.SystemProcessorType())) name = system;
    }
    if (name.empty()) name = "Unknown";
    return name;
}

void CopyText(char* out, std::size_t size, const std::string& text) {
    const std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

class HardwareClock : public ProcessorClockSource {
public:
    std::uint64_t ReadTimeStamp() override {
        std::uint32_t lo = 0, hi = 0;
        asm volatile("rdtsc" : "=a"(lo), "=d"(hi));
        return (static_cast<std::uint64_t>(hi) << 32) | lo;
    }
    std::int64_t QueryFrequency() override {
        LARGE_INTEGER f = {};
        return QueryPerformanceFrequency(&f) ? f.QuadPart : 0;
    }
    std::int64_t QueryCounter() override {
        LARGE_INTEGER c = {};
        QueryPerformanceCounter(&c);
        return c.QuadPart;
    }
    void Sleep(std::uint32_t ms) override { ::Sleep(ms); }
    std::uint32_t NowMs() override { return GetTickCount(); }
};

}  // namespace

void DetectProcessorFrom(CpuidSource& source, CpuInfoRecord& r) {
    Signature sig;
    CpuidRegisters leaf1, leaf2, ext1;
    char brandChars[48] = {};
    if (source.HasCpuid()) {
        const CpuidRegisters leaf0 = source.Query(0);
        sig.maxBasic = leaf0.eax;
        CopyVendorText(leaf0, r.vendor);
        r.vendor[12] = '\0';
        if (sig.maxBasic != 0) {
            leaf1 = source.Query(1);
            if (sig.maxBasic >= 2) leaf2 = source.Query(2);
            sig.maxExtended = source.Query(0x80000000).eax;
            if (sig.maxExtended >= 0x80000001) {
                ext1 = source.Query(0x80000001);
                sig.brandId12 = ext1.ebx & 0xFFF;
                sig.multiprocessor = CpuidBit(ext1.edx, 19);
                sig.longMode = CpuidBit(ext1.edx, 29);
            }
            if (sig.maxExtended >= 0x80000004) {
                for (std::uint32_t i = 0; i < 3; ++i)
                    CopyBrandText(source.Query(0x80000002 + i), brandChars + 16 * i);
                if (sig.maxExtended >= 0x80000007)
                    sig.mobile = CpuidBit(source.Query(0x80000007).edx, 2);
            }
        }
    }
    r.type = static_cast<std::uint8_t>((leaf1.eax >> 12) & 3);
    r.family = static_cast<std::uint8_t>((leaf1.eax >> 8) & 15);
    r.model = static_cast<std::uint8_t>((leaf1.eax >> 4) & 15);
    r.stepping = static_cast<std::uint8_t>(leaf1.eax & 15);
    sig.extendedFamily = (leaf1.eax >> 20) & 0xFF;
    sig.brandIndex = leaf1.ebx & 0xFF;
    r.hyperThreading = (CpuidBit(leaf1.edx, 28) && ((leaf1.ebx >> 16) & 0xFF) >= 2) ? 1 : 0;

    DetectCaches(source, sig, leaf2, r);
    if (brandChars[0] != 0) {
        int start = 0;
        while (start < 48 && brandChars[start] == ' ') ++start;
        std::memcpy(r.brand, brandChars + start, 48 - start);
        r.brand[48 - start] = '\0';
    }
    CopyText(r.modelName, sizeof r.modelName, BuildModelName(source, sig, r));

    r.fpu = CpuidBit(leaf1.edx, 0);
    r.tsc = CpuidBit(leaf1.edx, 4);
    r.cmov = CpuidBit(leaf1.edx, 15);
    r.mmx = CpuidBit(leaf1.edx, 23);
    r.sse = CpuidBit(leaf1.edx, 25);
    r.sse2 = CpuidBit(leaf1.edx, 26);
    r.sse3 = CpuidBit(leaf1.ecx, 0);
    r.amdMmxExt = CpuidBit(ext1.edx, 22);
    r.amd3DNow = CpuidBit(ext1.edx, 31);
    r.amd3DNowExt = CpuidBit(ext1.edx, 30);
    r.mmxExt = (r.sse || r.amdMmxExt) ? 1 : 0;
}

void DetectProcessor() {
    if (g_cpuDetected) return;
    g_cpuDetected = true;
    HardwareCpuid cpu;
    DetectProcessorFrom(cpu, g_cpuInfo);
}

double MeasureProcessorClockWith(ProcessorClockSource& clock, CpuInfoRecord& record) {
    if (!record.tsc) return 0.0;
    const std::int64_t frequency = clock.QueryFrequency();
    const std::uint64_t t0 = clock.ReadTimeStamp();
    std::int64_t c0 = 0;
    if (frequency != 0) {
        c0 = clock.QueryCounter();
        clock.Sleep(500);
    } else {
        const std::uint32_t start = clock.NowMs();
        while (clock.NowMs() - start < 500) {
        }
    }
    const std::uint64_t t1 = clock.ReadTimeStamp();
    const std::uint32_t cycles = static_cast<std::uint32_t>(t1) - static_cast<std::uint32_t>(t0);
    double mhz = 0.0;
    if (frequency != 0) {
        const std::int64_t c1 = clock.QueryCounter();
        const std::int64_t half = frequency / 2;
        const std::int64_t extra = c1 - c0 - half;
        mhz = static_cast<double>(cycles) /
              (static_cast<double>(extra) * 500000.0 / static_cast<double>(half) + 500000.0);
    } else {
        mhz = static_cast<double>(cycles) * 0.000002;
    }
    record.clockMhz = static_cast<float>(mhz);
    return mhz;
}

double MeasureProcessorClock() {
    if (g_cpuClockMeasured) return g_cpuInfo.clockMhz;
    g_cpuClockMeasured = true;
    HardwareClock clock;
    return MeasureProcessorClockWith(clock, g_cpuInfo);
}
