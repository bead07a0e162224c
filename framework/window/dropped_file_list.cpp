#include "framework/window/dropped_file_list.h"

#include <new>

DroppedFileList::DroppedFileList() : m_accept(0), m_singleFile(false) {}

void DroppedFileList::Accept(HWND window, std::int32_t accept) {
    ScopedLock guard(m_lock);
    m_accept = accept;
    DragAcceptFiles(window, accept);
}

std::int32_t DroppedFileList::OnDropFiles(HDROP drop) {
    ScopedLock guard(m_lock);
    std::int32_t result = -1;
    if (m_names.empty()) {
        result = 0;
        try {
            UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
            if (m_singleFile && count > 1) count = 1;
            for (UINT i = 0; i < count; ++i) {
                const UINT length = DragQueryFileA(drop, i, nullptr, 0);
                // An empty name names no file: a drop of an empty list reads as one (the
                // system counts the list's terminator as a name).
                if (length == 0) continue;
                std::string name(length + 1, '\0');
                if (DragQueryFileA(drop, i, &name[0], length + 1) != length) {
                    result = 2;
                    break;
                }
                name.resize(length);
                m_names.push_back(std::move(name));
            }
        } catch (const std::bad_alloc&) {
            result = 1;
        }
        if (result != 0) m_names.clear();
    }
    DragFinish(drop);
    return result;
}

const char* DroppedFileList::Get(std::uint32_t index) {
    ScopedLock guard(m_lock);
    return index < m_names.size() ? m_names[index].c_str() : nullptr;
}

void DroppedFileList::Clear() {
    ScopedLock guard(m_lock);
    m_names.clear();
}

std::uint32_t DroppedFileList::Count() {
    ScopedLock guard(m_lock);
    return static_cast<std::uint32_t>(m_names.size());
}

std::int32_t DroppedFileList::AcceptFlag() {
    ScopedLock guard(m_lock);
    return m_accept;
}

void DroppedFileList::SetSingleFile(bool single) {
    ScopedLock guard(m_lock);
    m_singleFile = single;
}
