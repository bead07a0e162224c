#include "framework/system/system_info.h"

#include <cstdio>
#include <cstring>

namespace {

// The registry buffer of the DirectX version; one byte more for the terminator the registry
// does not promise.
constexpr DWORD kDirectXTextSize = 260;

// atoi on one dotted part, saturating instead of overflowing.
std::uint32_t ReadNumber(const char*& text) {
    while (*text == ' ' || *text == '\t') ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    std::int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        if (value < 0x7FFFFFFF) value = value * 10 + (*text - '0');
    }
    if (value > 0x7FFFFFFF) value = 0x7FFFFFFF;
    while (*text != '\0' && *text != '.') ++text;
    if (*text == '.') ++text;
    return static_cast<std::uint32_t>(negative ? -value : value);
}

std::string Trim(const char* text, size_t capacity) {
    std::string s(text, strnlen(text, capacity));
    const size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::string ProductTypeSuffix(DWORD type) {
    switch (type) {
        case 1: return " Ultimate";
        case 2: return " Home Basic";
        case 3: return " Home Premium";
        case 4: return " Enterprise";
        case 6: return " Business";
        case 11: return " Starter";
        case 48: return " Professional";
        default: {
            char text[32];
            std::snprintf(text, sizeof(text), " [Edition:0x%02x]", static_cast<unsigned>(type));
            return text;
        }
    }
}

}  // namespace

void ParseDirectXVersion(const char* text, std::uint32_t& high, std::uint32_t& low) {
    std::uint32_t parts[4];
    for (std::uint32_t& part : parts) part = ReadNumber(text);
    high = (parts[0] << 16) | (parts[1] & 0xFFFF);
    low = (parts[2] << 16) | (parts[3] & 0xFFFF);
}

SystemInfo::SystemInfo(SystemSource& source) : m_source(source) {
    OSVERSIONINFOEXA version = {};
    if (!m_source.GetVersion(version)) version = {};
    m_platformId = version.dwPlatformId;
    m_buildNumber = version.dwBuildNumber;
    m_majorVersion = version.dwMajorVersion;
    ReadOsName(version);
    char text[32];
    std::snprintf(text, sizeof(text), "%d.%02d.%04d", static_cast<int>(version.dwMajorVersion),
                  static_cast<int>(version.dwMinorVersion), static_cast<int>(version.dwBuildNumber & 0xFFFF));
    m_versionText = text;
    const std::string servicePack = Trim(version.szCSDVersion, sizeof(version.szCSDVersion));
    if (!servicePack.empty()) m_versionText += " " + servicePack;
    ReadDirectXVersion();
    m_processorCount = static_cast<std::uint8_t>(m_source.ProcessorCount());
    m_hasLanguage = m_source.LanguageName(m_languageName);
    m_memory = m_source.MemoryStatus();
    ReadScreen();
    ReadRefreshRate();
}

void SystemInfo::ReadOsName(const OSVERSIONINFOEXA& version) {
    const DWORD major = version.dwMajorVersion;
    const DWORD minor = version.dwMinorVersion;
    const char* servicePack = version.szCSDVersion;
    const size_t servicePackLength = strnlen(servicePack, sizeof(version.szCSDVersion));
    std::string name = "Windows ";
    switch (version.dwPlatformId) {
        case VER_PLATFORM_WIN32s:
            m_osName = "Win32s";
            return;
        case VER_PLATFORM_WIN32_WINDOWS:
            if (minor == 0) {
                name += "95";
                m_windows95 = true;
            } else if (minor <= 10) {
                name += servicePackLength > 1 && servicePack[1] == 'A' ? "98 Second Edition" : "98";
            } else if (minor <= 90) {
                name += "Me";
            } else {
                name += "Me以降";
            }
            break;
        case VER_PLATFORM_WIN32_NT:
            m_ntFamily = true;
            m_nt5OrLater = true;
            if (major <= 4) {
                name += "NT";
                if (servicePackLength > 13 && servicePack[13] >= '3') {
                    name += " 4.0";
                    m_nt4Sp3OrLater = true;
                }
                m_nt5OrLater = false;
            } else if (major == 5) {
                const WORD suite = version.wSuiteMask;
                if (minor == 0) {
                    name += "2000";
                    if (suite & VER_SUITE_DATACENTER) {
                        name += " Datacenter Server";
                    } else if (suite & VER_SUITE_ENTERPRISE) {
                        name += " Advanced Server";
                    }
                } else if (minor == 1) {
                    name += "XP";
                    m_xpOrLater = true;
                    name += suite & VER_SUITE_PERSONAL ? " Home Edition" : " Professional";
                } else if (minor == 2) {
                    name += "Server 2003";
                    if (suite & VER_SUITE_DATACENTER) {
                        name += " Datacenter Edition";
                    } else if (suite & VER_SUITE_ENTERPRISE) {
                        name += " Enterprise Edition";
                    } else if (suite == VER_SUITE_BLADE) {
                        name += " Web Edition";
                    } else {
                        name += " Standard Edition";
                    }
                } else {
                    name += "Server 2003以降";
                }
            } else {
                m_xpOrLater = true;
                m_vistaOrLater = true;
                if (major == 6) {
                    name += minor == 0 ? "Vista" : minor == 1 ? "7" : "NT6.x(unknown)";
                    DWORD type = 0;
                    if (m_source.GetProductInfo(major, minor, version.wServicePackMajor,
                                                version.wServicePackMinor, type)) {
                        name += ProductTypeSuffix(type);
                    }
                } else {
                    name += "Vista以降";
                }
            }
            break;
        default:
            m_osName = "Unknown Windows";
            return;
    }
    m_osName = name;
}

void SystemInfo::ReadDirectXVersion() {
    char text[kDirectXTextSize + 1] = {};
    DWORD size = kDirectXTextSize;
    if (!m_source.ReadDirectXVersion(text, size)) return;
    text[size < kDirectXTextSize ? size : kDirectXTextSize] = '\0';
    ParseDirectXVersion(text, m_directXHigh, m_directXLow);
}

void SystemInfo::ReadScreen() {
    const SIZE size = m_source.ScreenSize();
    m_screenWidth = static_cast<std::uint16_t>(size.cx);
    m_screenHeight = static_cast<std::uint16_t>(size.cy);
    m_bitsPerPixel = static_cast<std::uint8_t>(m_source.ScreenCaps(BITSPIXEL));
}

void SystemInfo::ReadRefreshRate() {
    m_refreshRate = 0;
    if (!m_ntFamily) return;
    const int refresh = m_source.ScreenCaps(VREFRESH);
    if (refresh > 1) m_refreshRate = static_cast<std::uint16_t>(refresh);
}

void SystemInfo::SetScreen(std::uint16_t width, std::uint16_t height, std::uint8_t bitsPerPixel) {
    m_screenWidth = width;
    m_screenHeight = height;
    m_bitsPerPixel = bitsPerPixel;
}

bool SystemInfo::GetDiskSpace(const char* root, std::uint64_t& available, std::uint64_t& total,
                              DriveSource& drives) const {
    const bool exCallExpected =
        m_ntFamily || (m_platformId == VER_PLATFORM_WIN32_WINDOWS && (m_buildNumber & 0xFFFF) > 1000);
    if (exCallExpected && drives.HasDiskFreeSpaceEx() && drives.DiskFreeSpaceEx(root, available, total)) {
        return true;
    }
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, totalClusters;
    if (!drives.DiskFreeSpace(root, sectorsPerCluster, bytesPerSector, freeClusters, totalClusters)) return false;
    const std::uint64_t cluster = static_cast<std::uint64_t>(sectorsPerCluster) * bytesPerSector;
    available = cluster * freeClusters;
    total = cluster * totalClusters;
    return true;
}
