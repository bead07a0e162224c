#include <algorithm>
#include <cstring>

#include "framework/interfaces/transition_plugin.h"
#include "framework/plugins/transition_registry.h"
#include "graphics/image/image.h"
#include "graphics/interfaces/screen_buffer.h"
#include "graphics/text/font.h"
#include "scenario/text/tgs_message_window.h"
#include "scenario/tgs/tgs_frame.h"

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;
// The history window's shadow; message windows shade in black.
constexpr std::uint32_t kHistoryShadow = 0x543E28;
constexpr std::int32_t kLargeSize = 24;
constexpr std::int32_t kSmallSize = 13;
// A face name fills a LOGFONT's 32 bytes with its terminator.
constexpr std::size_t kFaceNameLimit = 32;

// Copies at most room - 1 bytes, never half of a Shift-JIS pair; null empties.
void CopyCut(char* out, std::size_t room, const char* text) {
    std::size_t n = 0;
    if (text != nullptr) {
        while (text[n] != 0) {
            const bool pair = IsSjisLead(static_cast<std::uint8_t>(text[n])) && text[n + 1] != 0;
            const std::size_t step = pair ? 2 : 1;
            if (n + step > room - 1) break;
            n += step;
        }
        std::memcpy(out, text, n);
    }
    std::memset(out + n, 0, room - n);
}

void SetColour(std::uint8_t rgb[3], std::uint32_t colour) {
    rgb[0] = static_cast<std::uint8_t>(colour >> 16);
    rgb[1] = static_cast<std::uint8_t>(colour >> 8);
    rgb[2] = static_cast<std::uint8_t>(colour);
}

bool Given(const std::uint32_t* operands, std::uint32_t count, std::uint32_t i) {
    return i < count && operands[2 * i] != 0;
}

}  // namespace

void TgsFrame::InstallTextOutputOps() {
    auto text = [](const std::uint32_t* operand) {
        return TgsIsString(operand[0]) ? reinterpret_cast<const char*>(operand[1]) : nullptr;
    };
    auto operand = [](TgsFrame& frame, std::uint32_t* operands, std::uint32_t i) -> const std::uint32_t* {
        static const std::uint32_t kOmitted[2] = {0, 0};
        return i < frame.m_executor.operandCount ? operands + 2 * i : kOmitted;
    };
    SetOpHandler(25, [=](TgsFrame& frame, std::uint32_t* operands) {
        frame.SetSpeaker(text(operand(frame, operands, 0)), text(operand(frame, operands, 1)));
        return 0;
    });
    // Deferred: outside the text the change joins the text output and acts when a window shows it.
    SetOpHandler(28, [](TgsFrame& frame, std::uint32_t* operands) {
        const std::uint32_t count = frame.m_executor.operandCount;
        if (!frame.m_executor.inText) {
            frame.EncodeInstruction(28, operands, count);
        } else {
            frame.ChangeMessageFont(operands, count);
        }
        return 0;
    });
    SetOpHandler(115, [=](TgsFrame& frame, std::uint32_t* operands) {
        return frame.FlashColour(operand(frame, operands, 0)[1], operand(frame, operands, 1)[1]) == -1 ? -1 : 0;
    });
    SetOpHandler(116, [=](TgsFrame& frame, std::uint32_t* operands) {
        const std::int32_t result = frame.FlashToImage(text(operand(frame, operands, 0)), operand(frame, operands, 1)[1],
                                                       operand(frame, operands, 2)[1]);
        return result == -1 ? -1 : 0;
    });
}

void TgsFrame::SetMessageWindow(std::int32_t index, TgsMessageWindow* window) {
    if (index < 0 || index >= kWindowCount) return;
    m_windows[index] = window;
    if (window) window->SetFrame(this);
    if (index == m_currentWindow && !m_historyDrawing) m_activeWindow = window;
}

void TgsFrame::SetHistoryWindow(TgsMessageWindow* window, Font* large, Font* small) {
    m_historyWindow = window;
    if (window) window->SetFrame(this);
    m_historyFonts[0] = large;
    m_historyFonts[1] = small;
}

void TgsFrame::SetMessageFonts(Font* large, Font* small) {
    m_messageFonts[0] = large;
    m_messageFonts[1] = small;
    if (!m_historyDrawing) {
        m_currentFonts[0] = large;
        m_currentFonts[1] = small;
    }
}

void TgsFrame::SetFrameImage(std::int32_t index, Image* image) {
    if (index >= 0 && index < 8) m_frameImages[index] = image;
}

void TgsFrame::SelectCurrentWindow(std::int32_t index) {
    if (index < 0 || index >= kWindowCount) return;
    m_currentWindow = index;
    if (!m_historyDrawing) m_activeWindow = m_windows[index];
}

void TgsFrame::SetHistoryDrawing(bool on) {
    m_historyDrawing = on ? 1 : 0;
    m_activeWindow = on ? m_historyWindow : m_windows[m_currentWindow];
    Font* const* fonts = on ? m_historyFonts : m_messageFonts;
    m_currentFonts[0] = fonts[0];
    m_currentFonts[1] = fonts[1];
}

void TgsFrame::SetSpeaker(const char* name, const char* voice) {
    CopyCut(m_speakerName, kSpeakerNameSize, name);
    CopyCut(m_voiceName, kVoiceNameSize, voice);
}

// --- For the windows ---

std::int32_t TgsFrame::RunTextCommand(const std::uint8_t* block, std::uint32_t size) {
    const std::uint8_t* cursor = block;
    std::uint32_t opcode = 0;
    std::uint32_t count = 0;
    const std::uint32_t base = m_operands.top;
    std::uint32_t* const operands = m_operands.words + base;
    // A block the frame cannot read is passed over: the window goes on with the text after it.
    if (DecodeInstruction(cursor, block + size, &opcode, operands, TgsOperandArea::kWords - base,
                          &count) != 0) {
        return 0;
    }
    m_executor.operandCount = count;
    return RunOpInText(opcode, operands);
}

std::int32_t TgsFrame::RevealMode() {
    if (choicesShown) return 2;
    if (m_modes.skipMode || m_modes.settingSkip) return 3;
    return m_modes.autoMode ? 1 : 0;
}

// --- The hand-over ---

std::int32_t TgsFrame::FrameImageForVoice(const char* voice) {
    if (voice == nullptr || voice[0] == 0) return 0;
    // The frame images are one per speaker class, so the look-up is read as the character index
    // of the voice's record (not the record's number, which changes with every line).
    const std::int32_t index = m_stage->VoiceCharacter(voice);
    if (index < 0) return 0;
    return std::min(index + 1, 7);
}

void TgsFrame::ResetOutput() {
    m_executor.outputLength = 0;
    m_speakerName[0] = 0;
    m_voiceName[0] = 0;
}

std::int32_t TgsFrame::FlushText() {
    if (m_executor.outputLength == 0) return 1;
    TgsMessageWindow* const window = m_windows[m_currentWindow];
    if (!window) {
        ResetOutput();
        return 2;
    }
    m_stage->StopWindowEffect(m_currentWindow);
    WindowPlacement& placement = m_placements[m_currentWindow];
    if (placement.frameImage == -1) {
        const std::int32_t image = FrameImageForVoice(m_voiceName);
        if (image != placement.frameImageShown) {
            // Nothing is handed over, and the text must not stay in front of the next message.
            if (!window->Decoration()) {
                ResetOutput();
                return 2;
            }
            if (m_frameImages[image]) window->Decoration()->Blit(m_frameImages[image], 0, 0, nullptr, false);
            window->ComposeFrame(true, true, true);
            placement.frameImageShown = image;
        }
    }
    placement.zoom = 0.0f;
    window->msPerChar = m_stage->CheckSettingSkip();
    window->SetText(m_executor.output, static_cast<std::int32_t>(m_executor.outputLength));
    window->SetSpeakerNames(m_speakerName, m_voiceName);
    window->Show(true);
    if (m_voiceName[0] != 0 && m_pendingVoice.empty()) {
        m_pendingVoice = window->SpeakerName2();
        m_pendingVoiceWindow = m_currentWindow;
    }
    if (m_history.Capacity() > 0 && m_historyWindow && window->Text()) {
        SetHistoryDrawing(true);
        m_historyWindow->Home(false);
        RECT box{0, 0, 0, 0};
        const std::int32_t lines = m_historyWindow->MeasureText(window->Text(), window->TextSize(), &box, true, true);
        SetHistoryDrawing(false);
        if (lines >= 1) {
            m_history.AddTextLine(window->Text(), static_cast<std::uint32_t>(window->TextSize() - 2),
                                  box.bottom - box.top + 4, m_speakerName[0] ? m_speakerName : nullptr,
                                  m_voiceName[0] ? m_voiceName : nullptr, m_pageNumbering ? m_pageCounter : 0);
        }
    }
    ResetOutput();
    return 0;
}

std::int32_t TgsFrame::NewPage() {
    if (m_pageNumbering) {
        m_pageNumbering = 0;
        m_pageCounter = m_pageCounter == 255 ? 1 : static_cast<std::uint8_t>(m_pageCounter + 1);
    }
    m_pendingVoiceWindow = -1;
    return 0;
}

// --- Fonts ---

void TgsFrame::RestoreMessageFont() {
    if (m_fontChanged == 0) return;
    for (Font* font : m_currentFonts) {
        if (!font) continue;
        SetColour(font->colour, kWhite);
        SetColour(font->effectColour, m_historyDrawing ? kHistoryShadow : 0);
    }
    Font* const large = m_currentFonts[0];
    Font* const small = m_currentFonts[1];
    if (m_fontChanged == 2) {
        const char* face = m_stage->PlayerFace();
        const bool bold = m_stage->PlayerFontBold();
        if (large) large->SetFont(kLargeSize, bold, 0, face);
        if (small) small->SetFont(kSmallSize, bold, 0, face);
    } else if (large) {
        large->SetSize(kLargeSize);
    }
    m_fontChanged = 0;
}

void TgsFrame::ChangeMessageFont(const std::uint32_t* operands, std::uint32_t count) {
    Font* const large = m_currentFonts[0];
    Font* const small = m_currentFonts[1];
    const bool history = m_historyDrawing != 0;
    std::int32_t size = 0;
    if (Given(operands, count, 0)) {
        size = static_cast<std::int32_t>(operands[1]);
        if (size < 1) size = kLargeSize;
    }
    if (Given(operands, count, 1)) {
        const std::uint32_t colour = operands[3] == 0xFFFFFFFFu ? kWhite : operands[3];
        for (Font* font : m_currentFonts)
            if (font) SetColour(font->colour, colour);
    }
    if (Given(operands, count, 2)) {
        const std::uint32_t colour = operands[5] == 0xFFFFFFFFu ? (history ? kHistoryShadow : 0) : operands[5];
        for (Font* font : m_currentFonts)
            if (font) SetColour(font->effectColour, colour);
    }
    bool newFace = false;
    if (Given(operands, count, 3) && !history && TgsIsString(operands[6]) && operands[7] != 0) {
        const char* list = reinterpret_cast<const char*>(operands[7]);
        if (std::strcmp(list, "user") == 0) list = m_stage->PlayerFace();
        std::string face;
        const bool vertical = m_activeWindow && m_activeWindow->Vertical();
        if (ResolveFontFace(&face, list, vertical) == 0 && !face.empty() && large) {
            const std::int32_t s = size != 0 ? size : std::abs(large->logFont.lfHeight);
            large->SetFont(s, large->logFont.lfWeight >= FW_BOLD, large->logFont.lfItalic, face.c_str());
            if (small) small->SetFace(face.c_str());
            newFace = true;
        }
    }
    if (!newFace && size != 0 && large) large->SetSize(size);
    if (newFace) {
        m_fontChanged = 2;
    } else if (m_fontChanged == 0) {
        m_fontChanged = 1;
    }
}

std::int32_t TgsFrame::ResolveFontFace(std::string* out, const char* faceList, bool vertical) {
    if (out) out->clear();
    if (!faceList || !out) return 1;
    if (!m_fontListFilled) {
        m_stage->FillFontList(m_fontList);
        m_fontListFilled = true;
    }
    const char* p = faceList;
    while (*p) {
        std::string name;
        while (*p && *p != ',') {
            const bool pair = IsSjisLead(static_cast<std::uint8_t>(*p)) && p[1] != 0;
            name.append(p, pair ? 2 : 1);
            p += pair ? 2 : 1;
        }
        if (*p == ',') {
            ++p;
            while (*p == ' ' || *p == '\t') ++p;
        }
        if (name.size() >= kFaceNameLimit) return 2;
        const std::string bare = !name.empty() && name[0] == '@' ? name.substr(1) : name;
        if (bare.empty()) continue;
        for (std::int32_t i = 0; i < m_fontList.Count(); ++i) {
            if (bare == m_fontList.At(i).lfFaceName) {
                *out = (vertical ? "@" : "") + bare;
                return 0;
            }
        }
    }
    return 0;
}

// --- Transitions and flashes ---

std::int32_t TgsFrame::RunScreenTransition(TransCallback* transition, ScreenBuffer* screen, std::int32_t pageMode,
                                           std::uint32_t cutFlags) {
    if (!transition || !screen) {
        ReleaseObject(transition);
        return 2;
    }
    if (screen->BeginTransition(transition, kTransitionPictures, false, false) != 0) {
        ReleaseObject(transition);
        return 3;
    }
    // A skipped frame would show the transition in jumps.
    const bool skipping = m_stage->FrameSkipping();
    if (skipping) m_stage->SetFrameSkipping(false);
    std::int32_t result = 0;
    while (screen->InTransition()) {
        if (cutFlags != 0 && m_stage->IsSkipRequested(cutFlags)) {
            screen->EndTransition(false);
            result = 1;
            break;
        }
        if (m_host.RunFrame() == 0) {
            result = -1;
            break;
        }
    }
    if (skipping) m_stage->SetFrameSkipping(true);
    if (result == -1) return -1;
    if (pageMode != 0) {
        m_stage->FinishPageChange();
        if (pageMode == 1) m_stage->ExchangePages();
    }
    return result;
}

std::int32_t TgsFrame::CrossFade(std::uint32_t ms, std::int32_t pageMode, std::uint32_t cutFlags,
                                 ScreenBuffer* screen) {
    if (!screen) screen = m_stage->FrontScreen();
    TransitionRegistry* const registry = m_stage->Transitions();
    if (!screen || !registry) return 2;
    const std::int32_t params[1] = {static_cast<std::int32_t>(ms)};
    TransCallback* const cross = registry->CreateByNameAndSetupV(screen, "cross", params);
    return RunScreenTransition(cross, screen, pageMode, cutFlags);
}

std::int32_t TgsFrame::FlashColour(std::uint32_t ms, std::uint32_t colour) {
    m_stage->ClearPage(true, colour);
    if (m_stage->IsSkipRequested(2) || m_modes.skipMode || m_modes.settingSkip) return 0;
    const std::uint32_t d = (ms > 5 ? ms : 600) / 6;
    if (CrossFade(4 * d, 1, 3) == -1) return -1;
    if (CrossFade(2 * d, 1, 3) == -1) return -1;
    return 0;
}

std::int32_t TgsFrame::FlashToImage(const char* name, std::uint32_t ms, std::uint32_t colour) {
    if (m_stage->IsSkipRequested(2) || m_modes.skipMode || m_modes.settingSkip) {
        m_stage->ClearPage(false, colour);
        m_stage->ClearSlots();
        const bool loaded = m_stage->SetBackPageBackground(name);
        m_stage->FinishPageChange();
        return loaded ? 0 : 2;
    }
    m_stage->ClearPage(true, colour);
    const std::uint32_t d = ms < 8 ? 100 : ms / 8;
    if (CrossFade(5 * d, 1, 3) == -1) return -1;
    const bool loaded = m_stage->SetBackPageBackground(name);
    if (CrossFade(3 * d, 1, 3) == -1) return -1;
    return loaded ? 0 : 2;
}
