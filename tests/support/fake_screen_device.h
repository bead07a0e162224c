// A screen device for the application's tests: window mode without DirectDraw unless told
// otherwise, every call recorded by name, every result and state settable.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/app/screen_port.h"
#include "framework/system/report_values.h"

namespace testsupport {

class FakeScreenDevice : public ScreenPort {
public:
    bool IsFullScreen() override { return fullScreen; }
    bool IsLetterbox() override { return letterbox; }
    bool ScalesGameArea() override { return letterbox; }
    bool ScalesWindow() override { return scalesWindow; }
    bool HasDirect3DDevice() override { return direct3D; }
    bool HasMovieSurface() override { return movieSurface; }
    bool HasPrimarySurface() override { return primarySurface; }
    bool IsEmulated() override { return emulated; }
    bool HoldsExclusiveLevel() override { return exclusive; }
    bool FullScreenModeHeld() override { return modeHeld; }
    std::uint8_t ScreenMode() override { return fullScreen ? 1 : 2; }
    POINT DisplayOrigin() override { return displayOrigin; }
    SIZE DisplaySize() override { return displaySize; }
    SIZE DisplayModeSize() override { return displayModeSize; }
    SIZE LetterboxDisplaySize() override { return letterboxSize; }
    RECT GameArea() override { return gameArea; }
    SIZE ScaledClientSize() override { return scaledClient; }
    bool LetterboxBars(RECT out[2]) override {
        if (!barsShown) return false;
        out[0] = bars[0];
        out[1] = bars[1];
        return true;
    }
    std::uint32_t FullScreenDepth() override { return 32; }

    void TakeDisplaySettings(const ScreenDisplaySettings& settings) override {
        displaySettings = settings;
        ++displaySettingsTaken;
    }
    std::int32_t EnumerateDisplayModes(std::int32_t, std::int32_t) override {
        return Record("EnumerateDisplayModes", enumerateResult);
    }
    std::int32_t CreateCanvas(std::int32_t, std::int32_t, bool secondKind) override {
        return Record(secondKind ? "CreateCanvas 2" : "CreateCanvas 1", canvasResult);
    }
    void SetGameSize(std::int32_t width, std::int32_t height) override {
        calls.push_back("SetGameSize " + std::to_string(width) + "x" + std::to_string(height));
    }
    std::int32_t ChangeMode(HWND, bool full, std::uint8_t, std::uint8_t) override {
        const std::int32_t result = changeResults.empty() ? 0 : changeResults.front();
        if (!changeResults.empty()) changeResults.erase(changeResults.begin());
        if (result == 0) fullScreen = full;
        return Record(full ? "ChangeMode full" : "ChangeMode window", result);
    }
    std::int32_t SetFullscreenMode(std::int32_t width, std::int32_t height) override {
        modeHeld = setFullscreenResult == 0;
        return Record("SetFullscreenMode " + std::to_string(width) + "x" + std::to_string(height),
                      setFullscreenResult);
    }
    std::int32_t SetWindowedMode() override {
        modeHeld = false;
        return Record("SetWindowedMode", 0);
    }
    void ClearAcceleratedChoices() override { calls.push_back("ClearAcceleratedChoices"); }
    void SetPresentationOption(std::uint8_t option) override {
        calls.push_back("SetPresentationOption " + std::to_string(option));
    }
    void PresentRect(const RECT&) override { calls.push_back("PresentRect"); }
    std::int32_t RestoreLostSurfaces() override { return Record("RestoreLostSurfaces", restoreResult); }
    void BeginGdiOverlay() override { calls.push_back("BeginGdiOverlay"); }
    void EndGdiOverlay() override { calls.push_back("EndGdiOverlay"); }
    void Release() override { calls.push_back("Release"); }
    void FillReportValues(ReportScreenValues& values) override { values = report; }

    bool Called(const std::string& name) const {
        for (const std::string& call : calls)
            if (call == name) return true;
        return false;
    }

    bool fullScreen = false;
    bool letterbox = false;
    bool scalesWindow = false;
    bool direct3D = false;
    bool movieSurface = false;
    bool primarySurface = false;
    bool emulated = false;
    bool exclusive = false;
    bool modeHeld = false;
    bool barsShown = false;
    RECT bars[2] = {};
    POINT displayOrigin = {0, 0};
    SIZE displaySize = {640, 480};
    SIZE displayModeSize = {640, 480};
    SIZE letterboxSize = {800, 600};
    RECT gameArea = {0, 0, 640, 480};
    SIZE scaledClient = {640, 480};
    std::int32_t enumerateResult = 0;
    std::int32_t canvasResult = 0;
    // Results of the next ChangeMode calls, in order; 0 once used up.
    std::vector<std::int32_t> changeResults;
    std::int32_t setFullscreenResult = 0;
    std::int32_t restoreResult = 0;
    ReportScreenValues report;
    ScreenDisplaySettings displaySettings;
    int displaySettingsTaken = 0;
    std::vector<std::string> calls;

private:
    std::int32_t Record(const std::string& name, std::int32_t result) {
        calls.push_back(name);
        return result;
    }
};

}  // namespace testsupport
