// The other page and the window page of the settings sheet.
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <cstdlib>

#include "game/dialogs/settings_applies.h"
#include "game/dialogs/settings_sheet_pages.h"

namespace O = SettingsOffsets;

namespace settingspages {

namespace {

constexpr int kFieldVolume = 1054;
constexpr int kFieldHintDelay = 1055;
constexpr int kFieldHistory = 1056;

struct OtherPage {
    SettingsSheetContext* context = nullptr;
    // Field changes made while the page fills itself are not the player's.
    bool filling = false;
};

OtherPage* OtherOf(HWND page) { return reinterpret_cast<OtherPage*>(GetWindowLongPtrA(page, DWLP_USER)); }

std::int32_t Clamp(std::int32_t value, std::int32_t low, std::int32_t high) {
    return value < low ? low : (value > high ? high : value);
}

std::int32_t FieldValue(HWND page, int id) {
    char text[32] = {};
    GetDlgItemTextA(page, id, text, sizeof(text));
    return static_cast<std::int32_t>(std::strtol(text, nullptr, 10));
}

void ShowValue(HWND page, int id, std::int32_t value) {
    char text[16];
    std::snprintf(text, sizeof(text), "%d", value);
    SetDlgItemTextA(page, id, text);
}

std::int32_t TrackPosition(HWND page, int id) {
    return static_cast<std::int32_t>(SendDlgItemMessageA(page, id, TBM_GETPOS, 0, 0));
}

void SetTrack(HWND page, int id, std::int32_t position) { SendDlgItemMessageA(page, id, TBM_SETPOS, TRUE, position); }

void SetupTrack(HWND page, int id, std::int32_t high, std::int32_t tick, std::int32_t pageSize, std::int32_t line) {
    SendDlgItemMessageA(page, id, TBM_SETRANGE, TRUE, MAKELPARAM(0, high));
    SendDlgItemMessageA(page, id, TBM_SETTICFREQ, tick, 0);
    SendDlgItemMessageA(page, id, TBM_SETPAGESIZE, 0, pageSize);
    SendDlgItemMessageA(page, id, TBM_SETLINESIZE, 0, line);
}

void EnableMovie(HWND page, bool on) {
    for (int id : {int(kPageMovieWindow), int(kPageTrackVolume), kFieldVolume}) Enable(page, id, on);
}

void EnableHints(HWND page, bool on) {
    for (int id : {int(kPageTrackHintDelay), kFieldHintDelay}) Enable(page, id, on);
}

void MovieVolume(const SettingsSheetContext& context, std::int32_t volume) {
    if (context.setMovieVolume) context.setMovieVolume(volume);
}

void ShowOther(HWND page, bool commentFromText, bool antialias, bool hideFrame, bool confirmWeb, bool movies,
               bool movieWindow, std::int32_t volume, bool hints, std::int32_t delay, std::int32_t history,
               bool saveHistory, bool directShow) {
    Check(page, kPageCommentFromText, commentFromText);
    Check(page, kPageHistoryAntialias, antialias);
    Check(page, kPageHideFrame, hideFrame);
    Check(page, kPageCheck1068, confirmWeb);
    Check(page, kPagePlayMovies, movies);
    Check(page, kPageMovieWindow, movieWindow);
    ShowValue(page, kFieldVolume, volume);
    SetTrack(page, kPageTrackVolume, volume);
    ShowValue(page, kFieldHintDelay, delay);
    SetTrack(page, kPageTrackHintDelay, delay / 10);
    ShowValue(page, kFieldHistory, history);
    SetTrack(page, kPageTrackHistory, history);
    Check(page, kPageCheck1069, saveHistory);
    if (directShow) EnableMovie(page, movies);
    Check(page, kPageShowHints, hints);
    EnableHints(page, hints);
}

void InitOther(HWND page, OtherPage& state) {
    SettingsSheetContext& context = *state.context;
    PrepareSheet(context, page);
    const std::uint8_t* block = context.block;
    state.filling = true;
    SetupTrack(page, kPageTrackVolume, 256, 16, 16, 1);
    SetupTrack(page, kPageTrackHintDelay, 300, 15, 15, 10);
    SetupTrack(page, kPageTrackHistory, 255, 15, 15, 1);
    if (!context.directShowPlugins) {
        Enable(page, kPagePlayMovies, false);
        EnableMovie(page, false);
    }
    ShowOther(page, block[O::kCommentFromText] != 0, block[O::kHistoryAntialias] != 0,
              block[O::kHideFrameAtBottom] != 0, block[O::kConfirmWeb] != 0, block[O::kPlayMovies] != 0,
              block[O::kMovieWindow] != 0, ReadInt32(block, O::kMovieVolume), block[O::kShowHints] != 0,
              ReadInt32(block, O::kHintDelay), block[O::kHistoryPages], block[O::kSaveHistory] != 0,
              context.directShowPlugins);
    state.filling = false;
}

void FieldChanged(HWND page, OtherPage& state, int id) {
    if (state.filling) return;
    const std::int32_t value = FieldValue(page, id);
    switch (id) {
    case kFieldVolume: {
        const std::int32_t volume = Clamp(value, 0, 256);
        SetTrack(page, kPageTrackVolume, volume);
        MovieVolume(*state.context, volume);
        break;
    }
    case kFieldHintDelay: SetTrack(page, kPageTrackHintDelay, Clamp(value, 0, 3000) / 10); break;
    case kFieldHistory: SetTrack(page, kPageTrackHistory, Clamp(value, 0, 255)); break;
    default: break;
    }
}

void FieldLeft(HWND page, int id) {
    switch (id) {
    case kFieldVolume: ShowValue(page, id, TrackPosition(page, kPageTrackVolume)); break;
    case kFieldHintDelay: ShowValue(page, id, TrackPosition(page, kPageTrackHintDelay) * 10); break;
    case kFieldHistory: ShowValue(page, id, TrackPosition(page, kPageTrackHistory)); break;
    default: break;
    }
}

void TrackMoved(HWND page, HWND track) {
    const int id = GetDlgCtrlID(track);
    const std::int32_t position = TrackPosition(page, id);
    switch (id) {
    case kPageTrackVolume: ShowValue(page, kFieldVolume, position); break;
    case kPageTrackHintDelay: ShowValue(page, kFieldHintDelay, position * 10); break;
    case kPageTrackHistory: ShowValue(page, kFieldHistory, position); break;
    default: break;
    }
}

void ApplyOther(HWND page, OtherPage& state) {
    SettingsSheetContext& context = *state.context;
    std::uint8_t* block = context.block;
    block[O::kCommentFromText] = Checked(page, kPageCommentFromText) ? 1 : 0;
    block[O::kHistoryAntialias] = Checked(page, kPageHistoryAntialias) ? 1 : 0;
    block[O::kHideFrameAtBottom] = Checked(page, kPageHideFrame) ? 1 : 0;
    block[O::kConfirmWeb] = Checked(page, kPageCheck1068) ? 1 : 0;
    block[O::kPlayMovies] = Checked(page, kPagePlayMovies) ? 1 : 0;
    block[O::kMovieWindow] = Checked(page, kPageMovieWindow) ? 1 : 0;
    WriteInt32(block, O::kMovieVolume, TrackPosition(page, kPageTrackVolume));
    const std::uint8_t hints = Checked(page, kPageShowHints) ? 1 : 0;
    if (hints != block[O::kShowHints]) context.hintsChanged = true;
    block[O::kShowHints] = hints;
    const std::int32_t delay = TrackPosition(page, kPageTrackHintDelay) * 10;
    if (delay != ReadInt32(block, O::kHintDelay)) context.hintsChanged = true;
    WriteInt32(block, O::kHintDelay, delay);
    block[O::kHistoryPages] = static_cast<std::uint8_t>(TrackPosition(page, kPageTrackHistory));
    block[O::kSaveHistory] = Checked(page, kPageCheck1069) ? 1 : 0;
    context.applied = true;
}

void RestoreOther(HWND page, OtherPage& state) {
    MovieVolume(*state.context, 256);
    state.filling = true;
    ShowOther(page, false, true, false, true, true, true, 256, true, 750, 100, true, state.context->directShowPlugins);
    state.filling = false;
}

// Window page.

void ShowWindowPage(HWND page, bool changeResolution, bool topmost, bool directDraw, int monitor, int method,
                    const bool flags[4], bool windowed, bool savePosition) {
    Check(page, kPageChangeResolution, changeResolution);
    Check(page, kPageChangeResolution + 1, topmost);
    Check(page, kPageChangeResolution + 2, directDraw);
    SendDlgItemMessageA(page, kPageCombo1074, CB_SETCURSEL, monitor, 0);
    SendDlgItemMessageA(page, kPageCombo1075, CB_SETCURSEL, method, 0);
    for (int i = 0; i < 4; ++i) Check(page, kPageChangeResolution + 3 + i, flags[i]);
    Check(page, kPageChangeResolution + 7, windowed);
    Check(page, kPageChangeResolution + 8, savePosition);
}

void InitWindowPage(HWND page, SettingsSheetContext& context) {
    PrepareSheet(context, page);
    const std::uint8_t* block = context.block;
    SendDlgItemMessageA(page, kPageCombo1074, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("ウィンドウがあるモニタ"));
    for (const std::string& name : context.monitors)
        SendDlgItemMessageA(page, kPageCombo1074, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    for (const char* method : {"自動設定", "DirectDraw", "Direct3D"})
        SendDlgItemMessageA(page, kPageCombo1075, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(method));
    bool flags[4];
    for (int i = 0; i < 4; ++i) flags[i] = block[O::kEnlargedFlags + i] != 0;
    ShowWindowPage(page, block[O::kChangeResolution] != 0, block[O::kTopmost] != 0,
                   block[O::kResolutionThroughDirectDraw] == 2, block[O::kMonitor], block[O::kEnlargedMethod] - 1,
                   flags, block[O::kStartWindowed] != 0, block[O::kSaveWindowPosition] != 0);
}

void ApplyWindowPage(HWND page, SettingsSheetContext& context) {
    std::uint8_t* block = context.block;
    block[O::kChangeResolution] = Checked(page, kPageChangeResolution) ? 1 : 0;
    block[O::kTopmost] = Checked(page, kPageChangeResolution + 1) ? 1 : 0;
    block[O::kResolutionThroughDirectDraw] = Checked(page, kPageChangeResolution + 2) ? 2 : 1;
    const LRESULT monitor = SendDlgItemMessageA(page, kPageCombo1074, CB_GETCURSEL, 0, 0);
    block[O::kMonitor] = monitor < 0 ? 0 : static_cast<std::uint8_t>(monitor);
    block[O::kStartWindowed] = Checked(page, kPageChangeResolution + 7) ? 1 : 0;
    block[O::kSaveWindowPosition] = Checked(page, kPageChangeResolution + 8) ? 1 : 0;
    const LRESULT method = SendDlgItemMessageA(page, kPageCombo1075, CB_GETCURSEL, 0, 0);
    block[O::kEnlargedMethod] = static_cast<std::uint8_t>((method < 0 ? 0 : method) + 1);
    for (int i = 0; i < 4; ++i) block[O::kEnlargedFlags + i] = Checked(page, kPageChangeResolution + 3 + i) ? 1 : 0;
    if (context.applyEnlargedDrawing) context.applyEnlargedDrawing(block[O::kEnlargedMethod], block + O::kEnlargedFlags);
    if (context.setFullScreenTopmost) context.setFullScreenTopmost(block[O::kTopmost] != 0);
    context.applied = true;
}

void RestoreWindowPage(HWND page, const SettingsSheetContext& context) {
    const bool flags[4] = {false, true, true, false};
    ShowWindowPage(page, false, true, !context.windowsMajor6, 0, context.windowsMajor6 ? 0 : 1, flags, false, true);
}

}  // namespace

INT_PTR CALLBACK OtherPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    OtherPage* state = OtherOf(page);
    switch (message) {
    case WM_INITDIALOG:
        state = new OtherPage;
        state->context = ContextOf(lParam);
        SetWindowLongPtrA(page, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
        if (state->context != nullptr) InitOther(page, *state);
        return TRUE;
    case WM_DESTROY:
        delete state;
        SetWindowLongPtrA(page, DWLP_USER, 0);
        return FALSE;
    default: break;
    }
    if (state == nullptr || state->context == nullptr) return FALSE;
    switch (message) {
    case WM_COMMAND:
        switch (HIWORD(wParam)) {
        case EN_CHANGE: FieldChanged(page, *state, LOWORD(wParam)); return TRUE;
        case EN_KILLFOCUS: FieldLeft(page, LOWORD(wParam)); return TRUE;
        default: break;
        }
        if (LOWORD(wParam) == kPagePlayMovies) EnableMovie(page, Checked(page, kPagePlayMovies));
        else if (LOWORD(wParam) == kPageShowHints) EnableHints(page, Checked(page, kPageShowHints));
        else return FALSE;
        return TRUE;
    case WM_HSCROLL:
        if (lParam != 0) TrackMoved(page, reinterpret_cast<HWND>(lParam));
        return TRUE;
    case kMsgSettingsPageRestoreDefaults: RestoreOther(page, *state); return TRUE;
    case WM_NOTIFY:
        switch (reinterpret_cast<NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE: state->context->block[O::kLastPage] = 2; return NotifyResult(page, 0);
        case PSN_RESET:
            MovieVolume(*state->context, ReadInt32(state->context->block, O::kMovieVolume));
            return NotifyResult(page, 0);
        case PSN_APPLY: ApplyOther(page, *state); return NotifyResult(page, PSNRET_NOERROR);
        default: return FALSE;
        }
    default: return FALSE;
    }
}

INT_PTR CALLBACK WindowPageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    auto* context = reinterpret_cast<SettingsSheetContext*>(GetWindowLongPtrA(page, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        context = ContextOf(lParam);
        SetWindowLongPtrA(page, DWLP_USER, reinterpret_cast<LONG_PTR>(context));
        if (context != nullptr) InitWindowPage(page, *context);
        return TRUE;
    case kMsgSettingsPageRestoreDefaults:
        if (context != nullptr) RestoreWindowPage(page, *context);
        return TRUE;
    case WM_NOTIFY:
        if (context == nullptr) return FALSE;
        switch (reinterpret_cast<NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE: context->block[O::kLastPage] = 3; return NotifyResult(page, 0);
        case PSN_APPLY: ApplyWindowPage(page, *context); return NotifyResult(page, PSNRET_NOERROR);
        default: return FALSE;
        }
    default: return FALSE;
    }
}

}  // namespace settingspages
