// SystemInfo: what the program reports about the machine, collected once: the Windows name,
// edition and version, DirectX's version from the registry, the processor count, the system
// language, the memory status and the primary screen.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/system/drive_source.h"
#include "framework/system/system_source.h"

class SystemInfo {
public:
    explicit SystemInfo(SystemSource& source = RealSystemSource());
    virtual ~SystemInfo() = default;

    // Screen size and depth of the desktop.
    void ReadScreen();
    // The screen's refresh rate on the NT family when above 1, else 0.
    void ReadRefreshRate();
    // Bytes of the drive available to the program and its total; true when known.
    bool GetDiskSpace(const char* root, std::uint64_t& available, std::uint64_t& total,
                      DriveSource& drives = RealDriveSource()) const;

    std::uint32_t PlatformId() const { return m_platformId; }
    std::uint32_t BuildNumber() const { return m_buildNumber; }
    std::uint32_t MajorVersion() const { return m_majorVersion; }
    // "Windows XP Professional" and the like; at most 63 bytes.
    const std::string& OsName() const { return m_osName; }
    // "%d.%02d.%04d", then a blank and the service pack when there is one.
    const std::string& VersionText() const { return m_versionText; }
    const MEMORYSTATUS& Memory() const { return m_memory; }
    bool IsNtFamily() const { return m_ntFamily; }
    bool IsNt5OrLater() const { return m_nt5OrLater; }
    bool IsWindows95() const { return m_windows95; }
    bool IsNt4Sp3OrLater() const { return m_nt4Sp3OrLater; }
    bool IsXpOrLater() const { return m_xpOrLater; }
    bool IsVistaOrLater() const { return m_vistaOrLater; }
    // (first << 16) | second and (third << 16) | fourth of the registry's dotted version;
    // both 0 without a version.
    std::uint32_t DirectXVersionHigh() const { return m_directXHigh; }
    std::uint32_t DirectXVersionLow() const { return m_directXLow; }
    std::uint16_t ScreenWidth() const { return m_screenWidth; }
    std::uint16_t ScreenHeight() const { return m_screenHeight; }
    std::uint8_t BitsPerPixel() const { return m_bitsPerPixel; }
    std::uint8_t ProcessorCount() const { return m_processorCount; }
    std::uint16_t RefreshRate() const { return m_refreshRate; }
    // Null when the system did not name its language.
    const char* LanguageName() const { return m_hasLanguage ? m_languageName.c_str() : nullptr; }

    // What WM_DISPLAYCHANGE reports.
    void SetScreen(std::uint16_t width, std::uint16_t height, std::uint8_t bitsPerPixel);

private:
    void ReadOsName(const OSVERSIONINFOEXA& version);
    void ReadDirectXVersion();

    SystemSource& m_source;
    std::uint32_t m_platformId = 0;
    std::uint32_t m_buildNumber = 0;
    std::uint32_t m_majorVersion = 0;
    std::string m_osName;
    std::string m_versionText;
    MEMORYSTATUS m_memory = {};
    bool m_ntFamily = false;
    bool m_nt5OrLater = false;
    bool m_windows95 = false;
    bool m_nt4Sp3OrLater = false;
    bool m_xpOrLater = false;
    bool m_vistaOrLater = false;
    std::uint32_t m_directXHigh = 0;
    std::uint32_t m_directXLow = 0;
    std::uint16_t m_screenWidth = 0;
    std::uint16_t m_screenHeight = 0;
    std::uint8_t m_bitsPerPixel = 0;
    std::uint8_t m_processorCount = 0;
    std::uint16_t m_refreshRate = 0;
    bool m_hasLanguage = false;
    std::string m_languageName;
};

// The registry's dotted DirectX version ("4.09.00.0904") as its two words; missing parts
// count as 0.
void ParseDirectXVersion(const char* text, std::uint32_t& high, std::uint32_t& low);
