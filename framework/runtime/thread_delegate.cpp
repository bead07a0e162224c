#include "framework/runtime/thread_delegate.h"

ThreadDelegate::ThreadDelegate(Callable* callable) : m_holder(new Holder{1, callable}) {}

ThreadDelegate::ThreadDelegate(const ThreadDelegate& other) : m_holder(other.m_holder) {
    if (m_holder) InterlockedIncrement(&m_holder->references);
}

ThreadDelegate& ThreadDelegate::operator=(const ThreadDelegate& other) {
    if (m_holder == other.m_holder) return *this;
    if (other.m_holder) InterlockedIncrement(&other.m_holder->references);
    Release();
    m_holder = other.m_holder;
    return *this;
}

void ThreadDelegate::Call() const {
    if (m_holder) m_holder->callable->Call();
}

void ThreadDelegate::Release() {
    Holder* holder = m_holder;
    m_holder = nullptr;
    if (holder && InterlockedDecrement(&holder->references) == 0) {
        delete holder->callable;
        delete holder;
    }
}
