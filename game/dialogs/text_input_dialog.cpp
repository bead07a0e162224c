#include "game/dialogs/text_input_dialog.h"

#include <imm.h>

namespace {

// The field gives back at most this many characters.
constexpr int kFieldCapacity = 254;

struct TextInputState {
    const DialogHost* host;
    TextInputRequest* request;
    const char* initialText;
};

void Place(HWND dialog, const TextInputRequest& request) {
    RECT rect = {};
    GetWindowRect(dialog, &rect);
    const SIZE window = {rect.right - rect.left, rect.bottom - rect.top};
    HWND parent = GetParent(dialog);
    RECT parentWindow = {};
    POINT parentClient = {0, 0};
    if (parent != nullptr) {
        GetWindowRect(parent, &parentWindow);
        ClientToScreen(parent, &parentClient);
    }
    const SIZE fullScreen = {GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN)};
    const TextInputPlacement place =
        PlaceTextInput(request, window, parent != nullptr, parentWindow, parentClient, fullScreen);
    SetWindowPos(dialog, place.topmost ? HWND_TOPMOST : HWND_NOTOPMOST, place.position.x, place.position.y,
                 place.size.cx, place.size.cy, SWP_NOACTIVATE);
    if (request.width == 0) return;
    for (int id : {kTextInputPrompt, kTextInputField}) {
        HWND item = GetDlgItem(dialog, id);
        RECT itemRect = {};
        GetWindowRect(item, &itemRect);
        SetWindowPos(item, nullptr, 0, 0, request.width - 16, itemRect.bottom - itemRect.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    HWND button = GetDlgItem(dialog, IDOK);
    RECT buttonRect = {};
    GetWindowRect(button, &buttonRect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&buttonRect), 2);
    SetWindowPos(button, nullptr, (request.width - (buttonRect.right - buttonRect.left)) / 2, buttonRect.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK TextInputProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<TextInputState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        state = reinterpret_cast<TextInputState*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        const TextInputRequest& request = *state->request;
        if (!request.title.empty()) SetWindowTextA(dialog, request.title.c_str());
        if (!request.prompt.empty()) SetDlgItemTextA(dialog, kTextInputPrompt, request.prompt.c_str());
        if (state->initialText != nullptr) SetDlgItemTextA(dialog, kTextInputField, state->initialText);
        Place(dialog, request);
        if (request.openIme != 0) {
            HIMC context = ImmGetContext(dialog);
            if (context != nullptr) {
                ImmSetOpenStatus(context, TRUE);
                ImmReleaseContext(dialog, context);
            }
        }
        return TRUE;
    }
    case WM_COMMAND:
        if (state == nullptr) return FALSE;
        if (LOWORD(wParam) == IDOK) {
            char text[kFieldCapacity + 1] = {};
            GetDlgItemTextA(dialog, kTextInputField, text, sizeof(text));
            TextInputRequest& request = *state->request;
            request.result = FilterTextInput(text, request.doubleByteOnly != 0, request.maxLength);
            EndDialog(dialog, 1);
            return TRUE;
        }
        // No cancel: Esc and the close box do nothing.
        return LOWORD(wParam) == IDCANCEL ? TRUE : FALSE;
    case WM_CLOSE: return TRUE;
    default: return FALSE;
    }
}

}  // namespace

std::string FilterTextInput(const std::string& input, bool doubleByteOnly, std::uint8_t maxLength) {
    // Character boundaries: a lead byte takes the byte after it.
    std::size_t kept = input.size();
    std::size_t i = 0;
    while (i < input.size()) {
        const bool lead = IsShiftJisLead(static_cast<std::uint8_t>(input[i]));
        const std::size_t length = lead && i + 1 < input.size() ? 2 : 1;
        if (doubleByteOnly && length != 2) return std::string();
        if (maxLength != 0 && i + length > maxLength && kept == input.size()) kept = i;
        i += length;
    }
    return input.substr(0, kept);
}

TextInputPlacement PlaceTextInput(const TextInputRequest& request, SIZE window, bool hasParent, const RECT& parentWindow,
                                  POINT parentClient, SIZE fullScreen) {
    TextInputPlacement place;
    place.size = {request.width != 0 ? request.width : window.cx, window.cy};
    const bool given = request.x >= 0 && request.y >= 0;
    place.topmost = !hasParent;
    if (given) {
        place.position = hasParent ? POINT{parentClient.x + request.x, parentClient.y + request.y}
                                   : POINT{request.x, request.y};
    } else if (hasParent) {
        place.position = {parentWindow.left + (parentWindow.right - parentWindow.left - place.size.cx) / 2,
                          parentWindow.top + (parentWindow.bottom - parentWindow.top - place.size.cy) / 2};
    } else {
        place.position = {(fullScreen.cx - place.size.cx) / 2, (fullScreen.cy - place.size.cy) / 2};
    }
    return place;
}

bool RunTextInputDialog(const DialogHost& host, HWND owner, TextInputRequest& request, const char* initialText) {
    TextInputState state = {&host, &request, initialText};
    return DialogBoxParamA(host.Instance(), MAKEINTRESOURCEA(kDlgTextInput), owner, TextInputProc,
                           reinterpret_cast<LPARAM>(&state)) != -1;
}
