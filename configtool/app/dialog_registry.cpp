#include "configtool/app/dialog_registry.h"

DialogRegistry::DialogRegistry() { EnsureSentinel(); }

DialogRegistry::~DialogRegistry() { Clear(); }

void DialogRegistry::EnsureSentinel() {
    if (m_sentinel) return;
    m_sentinel = new Node{nullptr, nullptr, nullptr};
    m_sentinel->previous = m_sentinel;
    m_sentinel->next = m_sentinel;
}

DialogRegistry::Node* DialogRegistry::Find(HWND window) const {
    if (!m_sentinel) return nullptr;
    for (Node* node = m_sentinel->next; node != m_sentinel; node = node->next)
        if (node->window == window) return node;
    return nullptr;
}

std::int32_t DialogRegistry::Add(HWND window) {
    if (!window) return 1;
    if (Find(window)) return 2;
    EnsureSentinel();
    Node* node = new Node{m_sentinel->previous, m_sentinel, window};
    m_sentinel->previous->next = node;
    m_sentinel->previous = node;
    ++m_count;
    return 0;
}

std::int32_t DialogRegistry::Remove(HWND window) {
    if (!window) return 1;
    Node* node = Find(window);
    if (!node) return 2;
    node->previous->next = node->next;
    node->next->previous = node->previous;
    delete node;
    --m_count;
    return 0;
}

void DialogRegistry::Clear() {
    if (!m_sentinel) return;
    Node* node = m_sentinel->next;
    while (node != m_sentinel) {
        Node* next = node->next;
        delete node;
        node = next;
    }
    delete m_sentinel;
    m_sentinel = nullptr;
    m_count = 0;
}

bool DialogRegistry::TakeDialogMessage(MSG* message) const {
    if (!m_sentinel) return false;
    for (Node* node = m_sentinel->next; node != m_sentinel; node = node->next)
        if (IsDialogMessageA(node->window, message)) return true;
    return false;
}
