// StartupLog: SYS_LOG.TXT, the report of the machine and of what start-up chose, written in
// four parts while start-up runs (machine; input and sound; screen; drives, windows and
// processes) and closed before start-up returns.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/app/app_records.h"
#include "framework/files/file_stream.h"
#include "framework/system/report_values.h"
#include "framework/system/drive_source.h"

class FrameworkApp;

// Where the log reads what the application does not own; the real machine unless replaced.
struct StartupLogSources {
    std::function<SYSTEMTIME()> localTime;
    DriveSource* drives = &RealDriveSource();
    ProcessSource* processes = &RealProcessSource();
    // Titles of the visible top-level windows without owner.
    std::function<std::vector<std::string>()> windowTitles;
    std::function<double()> measureClockMhz;
    // The program's folder; empty: the application's (the base directory when it was made).
    std::string programFolder;
};

StartupLogSources RealStartupLogSources();

class StartupLog {
public:
    explicit StartupLog(FrameworkApp& app) : m_app(app) {}
    // Creates the file; false when it cannot be created.
    bool Open();
    void WriteMachine();
    void WriteDevices();
    void WriteScreen();
    void WriteClosing();

    // The texts of the parts, for the writers above.
    std::string MachineText();
    static std::string DevicesText(const ReportInputValues& input, std::uint8_t inputMethod,
                                   const std::vector<ReportSoundOutput>& outputs);
    static std::string ScreenText(const ReportScreenValues& screen, bool emulated,
                                  const PlayerSettings& settings);
    std::string ClosingText();

private:
    void Put(const std::string& text);

    FrameworkApp& m_app;
    FileStream m_file;
};
