// The modeless dialogs that the message loop offers each message to, in the order they were
// added: a circular doubly linked list of window handles behind a sentinel node.
#pragma once

#include <windows.h>

#include <cstdint>

class DialogRegistry {
public:
    DialogRegistry();
    ~DialogRegistry();
    DialogRegistry(const DialogRegistry&) = delete;
    DialogRegistry& operator=(const DialogRegistry&) = delete;

    // 0 added, 1 null handle, 2 already registered.
    std::int32_t Add(HWND window);
    // 0 removed, 1 null handle, 2 not registered.
    std::int32_t Remove(HWND window);
    // Frees every node and the sentinel; the registry is empty but usable afterwards.
    void Clear();
    std::int32_t Count() const { return m_count; }

    // Offers the message to IsDialogMessageA of each dialog in order; true when one took it.
    bool TakeDialogMessage(MSG* message) const;

private:
    struct Node {
        Node* previous;
        Node* next;
        HWND window;
    };
    Node* Find(HWND window) const;
    void EnsureSentinel();

    Node* m_sentinel = nullptr;
    std::int32_t m_count = 0;
};
