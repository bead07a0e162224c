#include "configtool/app/modeless_dialog.h"

#include "configtool/app/dialog_registry.h"

ModelessDialog::~ModelessDialog() { UnregisterDialogWindow(); }

std::int32_t ModelessDialog::OnMessage(MessageRecord& record) {
    switch (record.message) {
        case WM_DESTROY:
            if (!m_quitOnDestroy) return 0;
            PostQuitMessage(0);
            return 1;
        case WM_CLOSE:
            DestroyWindow(m_window);
            return 1;
        default:
            return 0;
    }
}

std::int32_t ModelessDialog::Create(HINSTANCE instance, std::int32_t templateId, DialogRegistry* registry,
                                    HWND parent, bool quitOnDestroy) {
    // The flag is settled before the window exists, since a failed initialisation may already
    // destroy it.
    m_quitOnDestroy = quitOnDestroy;
    HWND window = CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), parent, ModelessDialogProc,
                                     reinterpret_cast<LPARAM>(this));
    if (!window) return 1;
    if (registry) {
        m_registry = registry;
        registry->Add(window);
    }
    return 0;
}

void ModelessDialog::Dispatch(MessageRecord& record) {
    std::int32_t handled = 0;
    auto found = m_handlers.find(record.message);
    if (found != m_handlers.end()) handled = found->second->Call(record);
    if (handled == 0) handled = OnMessage(record);
    if (handled != 0) record.result = handled;
}

void ModelessDialog::SetMessageHandler(UINT message, DialogMessageHandler* handler) {
    m_handlers[message].reset(handler);
}

void ModelessDialog::UnregisterDialogWindow() {
    if (m_registry && m_window) m_registry->Remove(m_window);
    m_registry = nullptr;
    if (m_window && IsWindow(m_window)) {
        // The window's messages must not reach this object while it is being torn down.
        SetWindowLongPtrA(m_window, GWLP_USERDATA, 0);
        DestroyWindow(m_window);
    }
    m_handlers.clear();
    m_window = nullptr;
}

INT_PTR CALLBACK ModelessDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<ModelessDialog*>(lParam);
        dialog->m_window = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, lParam);
        dialog->OnInitDialog(window);
        return TRUE;
    }
    auto* dialog = reinterpret_cast<ModelessDialog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!dialog) return FALSE;
    MessageRecord record{dialog, message, wParam, lParam, 0};
    dialog->Dispatch(record);
    if (message == WM_NCDESTROY) {
        // A dialog that destroyed itself leaves the registry with its window.
        if (dialog->m_registry) dialog->m_registry->Remove(window);
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        dialog->m_window = nullptr;
    }
    return record.result;
}
