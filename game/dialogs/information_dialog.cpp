#include "game/dialogs/information_dialog.h"

#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "framework/dialogs/file_dialog.h"

namespace {

constexpr COLORREF kBackground = RGB(5, 53, 53);
constexpr COLORREF kReportText = RGB(221, 221, 221);
constexpr char kWebQuestion[] = "「PALEHERON」のWebページを表示します。\nよろしいですか？";
constexpr char kCopied[] = "クリップボードにシステム情報をコピーしました。";
constexpr char kNoMemory[] = "メモリの確保に失敗しました。";
constexpr char kSaveFailed[] = "システム情報ファイルの作成に失敗しました。";
constexpr char kSaved[] = "システム情報をファイルに保存しました。";
constexpr char kSaveTitle[] = "ログを保存";
constexpr char kSaveFilter[] = "システム情報ファイル(*.TXT)\0*.txt\0";
constexpr char kSaveName[] = "「%s」システム情報.txt";
constexpr char kContextProp[] = "SorahaneInfoPicture";

struct InformationState {
    InformationDialogContext* context;
    HBRUSH brush = nullptr;
    HFONT versionFont = nullptr;
    HFONT reportFont = nullptr;
    WNDPROC pictureProc = nullptr;
};

std::string EditText(HWND dialog, int id) {
    HWND edit = GetDlgItem(dialog, id);
    const int length = GetWindowTextLengthA(edit);
    std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
    GetWindowTextA(edit, text.data(), length + 1);
    return std::string(text.data());
}

void ShowReport(HWND dialog, InformationState& state, bool detailed) {
    const std::string report = state.context->report ? state.context->report(detailed) : std::string();
    SetDlgItemTextA(dialog, kInfoReport, report.c_str());
}

void Tell(HWND dialog, InformationState& state, const char* text) {
    if (state.context->message) state.context->message(dialog, 0, text, nullptr);
}

LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = static_cast<InformationState*>(GetPropA(window, kContextProp));
    if (state == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_SETCURSOR) {
        HCURSOR cursor = LoadCursorA(state->context->host->Instance(), MAKEINTRESOURCEA(kCursorLink));
        if (cursor != nullptr) {
            SetCursor(cursor);
            return TRUE;
        }
    }
    return CallWindowProcA(state->pictureProc, window, message, wParam, lParam);
}

void OpenWeb(HWND dialog, InformationState& state) {
    InformationDialogContext& context = *state.context;
    bool open = true;
    if (context.confirmWeb != nullptr && *context.confirmWeb != 0) {
        open = context.message && context.message(dialog, 3, kWebQuestion, context.confirmWeb) == 1;
        // A ticked "do not show again" with "はい" turns the question off.
        *context.confirmWeb = *context.confirmWeb != 0 ? 0 : 1;
    }
    if (!open) return;
    if (context.openWeb) context.openWeb(dialog, context.webAddress.c_str());
    else ShellExecuteA(dialog, "open", context.webAddress.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if (context.fullScreen) EndDialog(dialog, 1);
}

void CopyReport(HWND dialog, InformationState& state) {
    const std::string text = EditText(dialog, kInfoReport);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, text.size() + 1);
    if (block == nullptr) {
        Tell(dialog, state, kNoMemory);
        return;
    }
    void* bytes = GlobalLock(block);
    if (bytes != nullptr) {
        std::memcpy(bytes, text.c_str(), text.size() + 1);
        GlobalUnlock(block);
    }
    if (!OpenClipboard(dialog)) {
        GlobalFree(block);
        return;
    }
    EmptyClipboard();
    if (SetClipboardData(CF_TEXT, block) == nullptr) GlobalFree(block);
    CloseClipboard();
    Tell(dialog, state, kCopied);
}

std::string ChooseFile(HWND dialog, const InformationDialogContext& context, const std::string& folder,
                       const std::string& name) {
    if (context.chooseSaveFile) return context.chooseSaveFile(dialog, folder.c_str(), name.c_str());
    char file[FileDialog::kFileCapacity] = {};
    char fileTitle[FileDialog::kFileTitleCapacity] = {};
    std::snprintf(file, sizeof(file), "%s", name.c_str());
    FileDialog chooser;
    if (!chooser.ShowSave(dialog, kSaveTitle, file, fileTitle, folder.c_str(), kSaveFilter, "txt")) return std::string();
    return file;
}

void SaveReport(HWND dialog, InformationState& state) {
    const InformationDialogContext& context = *state.context;
    const std::string folder = context.documentsFolder ? context.documentsFolder() : std::string();
    char name[512] = {};
    std::snprintf(name, sizeof(name), kSaveName, context.host->title.c_str());
    const std::string path = ChooseFile(dialog, context, folder, name);
    if (path.empty()) return;
    const std::string bytes = ReportFileText(EditText(dialog, kInfoReport));
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Tell(dialog, state, kSaveFailed);
        return;
    }
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != bytes.size()) {
        DeleteFileA(path.c_str());
        Tell(dialog, state, kSaveFailed);
        return;
    }
    Tell(dialog, state, kSaved);
}

void Init(HWND dialog, InformationState& state) {
    InformationDialogContext& context = *state.context;
    if (context.icon != nullptr) SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(context.icon));
    state.brush = CreateSolidBrush(kBackground);
    state.versionFont = CreateFontA(16, 0, 0, 0, FW_NORMAL, TRUE, TRUE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "ＭＳ Ｐ明朝");
    if (state.versionFont != nullptr)
        SendDlgItemMessageA(dialog, kInfoVersion, WM_SETFONT, reinterpret_cast<WPARAM>(state.versionFont), FALSE);
    SetDlgItemTextA(dialog, kInfoVersion, VersionText(context.major, context.minor, context.build).c_str());
    state.reportFont = CreateFontA(12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "ＭＳ ゴシック");
    if (state.reportFont != nullptr)
        SendDlgItemMessageA(dialog, kInfoReport, WM_SETFONT, reinterpret_cast<WPARAM>(state.reportFont), FALSE);
    const bool detailed = context.detailed != nullptr && *context.detailed != 0;
    CheckDlgButton(dialog, kInfoDetails, detailed ? BST_CHECKED : BST_UNCHECKED);
    ShowReport(dialog, state, detailed);
    HWND picture = GetDlgItem(dialog, kInfoPicture);
    if (picture != nullptr) {
        SetPropA(picture, kContextProp, &state);
        state.pictureProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(picture, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PictureProc)));
    }
    context.host->Center(dialog);
    if (context.host->placeCursor) {
        RECT button = {};
        GetWindowRect(GetDlgItem(dialog, IDOK), &button);
        SetCursorPos(button.left + 52, button.top + 8);
    }
}

void Destroy(HWND dialog, InformationState& state) {
    HWND picture = GetDlgItem(dialog, kInfoPicture);
    if (picture != nullptr && state.pictureProc != nullptr) {
        SetWindowLongPtrA(picture, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(state.pictureProc));
        RemovePropA(picture, kContextProp);
    }
    if (state.brush != nullptr) DeleteObject(state.brush);
    if (state.versionFont != nullptr) DeleteObject(state.versionFont);
    if (state.reportFont != nullptr) DeleteObject(state.reportFont);
    state.brush = nullptr;
    state.versionFont = state.reportFont = nullptr;
}

INT_PTR CALLBACK InformationProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<InformationState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        state = reinterpret_cast<InformationState*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        Init(dialog, *state);
        return TRUE;
    case WM_COMMAND:
        if (state == nullptr) return FALSE;
        switch (LOWORD(wParam)) {
        case kInfoPicture:
            if (HIWORD(wParam) == STN_CLICKED) OpenWeb(dialog, *state);
            return TRUE;
        case kInfoDetails: {
            const bool detailed = IsDlgButtonChecked(dialog, kInfoDetails) == BST_CHECKED;
            ShowReport(dialog, *state, detailed);
            if (state->context->detailed != nullptr) *state->context->detailed = detailed ? 1 : 0;
            return TRUE;
        }
        case kInfoCopy: CopyReport(dialog, *state); return TRUE;
        case kInfoSave: SaveReport(dialog, *state); return TRUE;
        case IDOK:
        case IDCANCEL: EndDialog(dialog, 1); return TRUE;
        default: return FALSE;
        }
    case WM_CTLCOLORSTATIC:
        if (state == nullptr || reinterpret_cast<HWND>(lParam) != GetDlgItem(dialog, kInfoReport)) return FALSE;
        SetTextColor(reinterpret_cast<HDC>(wParam), kReportText);
        SetBkColor(reinterpret_cast<HDC>(wParam), kBackground);
        return reinterpret_cast<INT_PTR>(state->brush);
    case WM_CLOSE: EndDialog(dialog, 1); return TRUE;
    case WM_DESTROY:
        if (state != nullptr) Destroy(dialog, *state);
        return FALSE;
    default: return FALSE;
    }
}

}  // namespace

std::string VersionText(std::uint8_t major, std::uint8_t minor, std::uint8_t build) {
    char text[64];
    int length = std::snprintf(text, sizeof(text), "Version %d.%02d", major, minor);
    if (build != 0) std::snprintf(text + length, sizeof(text) - length, "%x ", build);
    else std::snprintf(text + length, sizeof(text) - length, " ");
    return text;
}

std::string ReportFileText(const std::string& shown) {
    std::string bytes;
    bytes.reserve(shown.size() + 2);
    std::size_t start = 0;
    while (start < shown.size()) {
        std::size_t end = shown.find('\n', start);
        std::size_t next = end == std::string::npos ? shown.size() : end + 1;
        if (end == std::string::npos) end = shown.size();
        std::size_t lineEnd = end;
        if (lineEnd > start && shown[lineEnd - 1] == '\r') --lineEnd;
        bytes.append(shown, start, lineEnd - start);
        bytes += "\r\n";
        start = next;
    }
    return bytes;
}

bool RunInformationDialog(InformationDialogContext& context, HWND owner) {
    InformationState state;
    state.context = &context;
    return DialogBoxParamA(context.host->Instance(), MAKEINTRESOURCEA(kDlgVersion), owner, InformationProc,
                           reinterpret_cast<LPARAM>(&state)) != -1;
}
