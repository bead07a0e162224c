// ImeContext: the input context of the window that draws a composition itself, and ImmApi, the
// IMM calls behind one interface so that any composition can be faked.
#pragma once

#include <windows.h>
#include <imm.h>

#include <cstdint>
#include <string>
#include <vector>

class ImmApi {
public:
    virtual ~ImmApi() = default;
    virtual HIMC GetContext(HWND window) { return ImmGetContext(window); }
    virtual BOOL ReleaseContext(HWND window, HIMC context) { return ImmReleaseContext(window, context); }
    // With a null buffer or size 0, the bytes needed.
    virtual LONG GetCompositionString(HIMC context, DWORD index, void* buffer, DWORD size) {
        return ImmGetCompositionStringA(context, index, buffer, size);
    }
    virtual BOOL SetOpenStatus(HIMC context, BOOL open) { return ImmSetOpenStatus(context, open); }
    virtual BOOL GetOpenStatus(HIMC context) { return ImmGetOpenStatus(context); }
    virtual BOOL GetConversionStatus(HIMC context, DWORD* conversion, DWORD* sentence) {
        return ImmGetConversionStatus(context, conversion, sentence);
    }
    virtual BOOL SetCandidateWindow(HIMC context, CANDIDATEFORM* form) {
        return ImmSetCandidateWindow(context, form);
    }
    // -1 when imm32 has no ImmAssociateContextEx; else its result.
    virtual int AssociateContextEx(HWND window, HIMC context, DWORD flags);
    virtual HIMC AssociateContext(HWND window, HIMC context) { return ImmAssociateContext(window, context); }
    // Opens or closes the IME status window of `window`.
    virtual void ControlStatusWindow(HWND window, bool open) {
        HWND ime = ImmGetDefaultIMEWnd(window);
        if (ime != nullptr)
            SendMessageA(ime, WM_IME_CONTROL, open ? IMC_OPENSTATUSWINDOW : IMC_CLOSESTATUSWINDOW, 0);
    }
};

ImmApi& SystemImmApi();

class ImeContext {
public:
    explicit ImeContext(ImmApi& imm) : m_imm(&imm) {}
    ~ImeContext() { Release(); }
    ImeContext(const ImeContext&) = delete;
    ImeContext& operator=(const ImeContext&) = delete;

    void Attach(HWND window);
    void Release();
    // 0, 1 no context, 2 refused.
    std::int32_t SetOpen(bool open);
    bool IsOpen();
    void GetConversionStatus(DWORD& conversion, DWORD& sentence);
    // The composition when it changed since the last call, else null.
    const char* GetCompositionString();
    // The composition the last GetCompositionString read, or null when it was empty.
    const char* CurrentComposition() const { return m_hasText ? m_text.c_str() : nullptr; }
    std::int32_t GetFirstClauseEnd();
    std::int32_t GetCursorPos();
    std::int32_t GetDeltaStart();
    void SetCompositionPos(std::int32_t x, std::int32_t y) { m_x = x; m_y = y; }

    HWND Window() const { return m_window; }
    HIMC Context() const { return m_context; }
    bool candidateOpen = false;
    std::int32_t X() const { return m_x; }
    std::int32_t Y() const { return m_y; }

private:
    ImmApi* m_imm;
    HWND m_window = nullptr;
    HIMC m_context = nullptr;
    std::vector<char> m_scratch;
    bool m_hasText = false;
    std::string m_text;
    std::int32_t m_x = 0;
    std::int32_t m_y = 0;
};
