#include "framework/app/ime_context.h"

int ImmApi::AssociateContextEx(HWND window, HIMC context, DWORD flags) {
    HMODULE imm = GetModuleHandleA("imm32.dll");
    if (imm == nullptr) return -1;
    using Associate = BOOL(WINAPI*)(HWND, HIMC, DWORD);
    auto associate = reinterpret_cast<Associate>(
        reinterpret_cast<void*>(GetProcAddress(imm, "ImmAssociateContextEx")));
    if (associate == nullptr) return -1;
    return associate(window, context, flags);
}

ImmApi& SystemImmApi() {
    static ImmApi api;
    return api;
}

void ImeContext::Attach(HWND window) {
    Release();
    if (window == nullptr) return;
    m_window = window;
    m_context = m_imm->GetContext(window);
}

void ImeContext::Release() {
    m_scratch.clear();
    m_scratch.shrink_to_fit();
    m_text.clear();
    m_hasText = false;
    if (m_context != nullptr) {
        m_imm->ReleaseContext(m_window, m_context);
        m_context = nullptr;
        m_window = nullptr;
    }
}

std::int32_t ImeContext::SetOpen(bool open) {
    if (m_context == nullptr) return 1;
    return m_imm->SetOpenStatus(m_context, open ? TRUE : FALSE) ? 0 : 2;
}

bool ImeContext::IsOpen() { return m_context != nullptr && m_imm->GetOpenStatus(m_context) != 0; }

void ImeContext::GetConversionStatus(DWORD& conversion, DWORD& sentence) {
    conversion = 0;
    sentence = 0;
    if (m_context != nullptr) m_imm->GetConversionStatus(m_context, &conversion, &sentence);
}

const char* ImeContext::GetCompositionString() {
    // The buffer is sized from what IMM reports, so a composition of any length fits with its
    // terminator.
    LONG needed = m_context ? m_imm->GetCompositionString(m_context, GCS_COMPSTR, nullptr, 0) : 0;
    LONG got = 0;
    if (needed > 0) {
        m_scratch.assign(static_cast<size_t>(needed) + 1, 0);
        got = m_imm->GetCompositionString(m_context, GCS_COMPSTR, m_scratch.data(),
                                          static_cast<DWORD>(needed));
    }
    if (got <= 0 || got > needed) {
        m_text.clear();
        m_hasText = false;
        return nullptr;
    }
    std::string text(m_scratch.data(), static_cast<size_t>(got));
    if (m_hasText && text == m_text) return nullptr;
    m_text = text;
    m_hasText = true;
    return m_text.c_str();
}

std::int32_t ImeContext::GetFirstClauseEnd() {
    if (m_context == nullptr) return 0;
    LONG needed = m_imm->GetCompositionString(m_context, GCS_COMPCLAUSE, nullptr, 0);
    if (needed < static_cast<LONG>(2 * sizeof(DWORD))) return 0;
    std::vector<DWORD> clauses((static_cast<size_t>(needed) + sizeof(DWORD) - 1) / sizeof(DWORD), 0);
    LONG got = m_imm->GetCompositionString(m_context, GCS_COMPCLAUSE, clauses.data(),
                                           static_cast<DWORD>(clauses.size() * sizeof(DWORD)));
    if (got < static_cast<LONG>(2 * sizeof(DWORD))) return 0;
    return static_cast<std::int32_t>(clauses[1]);
}

std::int32_t ImeContext::GetCursorPos() {
    return m_context ? m_imm->GetCompositionString(m_context, GCS_CURSORPOS, nullptr, 0) : 0;
}

std::int32_t ImeContext::GetDeltaStart() {
    return m_context ? m_imm->GetCompositionString(m_context, GCS_DELTASTART, nullptr, 0) : 0;
}
