// ModelessDialog: a modeless dialog box whose messages go first to handlers installed per message
// id, then to its own OnMessage.
//
// The dialog procedure finds the object through the window's user data. A handler belongs to the
// dialog from its installation: installing another for the same id deletes it, and so does the
// teardown. A handler or OnMessage that returns 0 has not handled the message.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>

class DialogRegistry;
class ModelessDialog;

struct MessageRecord {
    ModelessDialog* dialog;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
};

// A dialog's handler. Unlike a framework window's MessageHandler (0 = handled), a nonzero
// answer means handled and becomes the dialog procedure's result, as dialog procedures report.
class DialogMessageHandler {
public:
    virtual ~DialogMessageHandler() = default;
    virtual std::int32_t Call(MessageRecord& record) = 0;
};

// Calls a member function of an object.
template <class Target>
class MemberDialogHandler final : public DialogMessageHandler {
public:
    using Function = std::int32_t (Target::*)(MessageRecord&);
    MemberDialogHandler(Target* target, Function function) : m_target(target), m_function(function) {}
    std::int32_t Call(MessageRecord& record) override { return (m_target->*m_function)(record); }

private:
    Target* m_target;
    Function m_function;
};

class ModelessDialog {
public:
    ModelessDialog() = default;
    virtual ~ModelessDialog();
    ModelessDialog(const ModelessDialog&) = delete;
    ModelessDialog& operator=(const ModelessDialog&) = delete;

    virtual void OnInitDialog(HWND window) {}
    virtual std::int32_t OnMessage(MessageRecord& record);

    // 0, or 1 when no window was created. WM_INITDIALOG runs inside this call.
    std::int32_t Create(HINSTANCE instance, std::int32_t templateId, DialogRegistry* registry, HWND parent,
                        bool quitOnDestroy);
    void Dispatch(MessageRecord& record);
    // Installs the handler for a message id, deleting the one it replaces.
    void SetMessageHandler(UINT message, DialogMessageHandler* handler);
    // Leaves the registry, destroys the window and deletes every handler.
    void UnregisterDialogWindow();

    HWND Window() const { return m_window; }

private:
    friend INT_PTR CALLBACK ModelessDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
    std::map<UINT, std::unique_ptr<DialogMessageHandler>> m_handlers;
    DialogRegistry* m_registry = nullptr;
    bool m_quitOnDestroy = false;
};

INT_PTR CALLBACK ModelessDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
