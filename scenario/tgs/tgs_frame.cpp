#include "scenario/tgs/tgs_frame.h"

#include <cstring>
#include <new>
#include <string>

#include "game/interfaces/script_memory.h"

namespace {

TgsFrame* g_frame = nullptr;
TgsFileSource& NewFrameFileSource() {
    static TgsFileSource source;
    return source;
}

const char kNoFrame[] = "TGSフレームが初期化されていません。";
const char kLoadFailedHead[] = "TGSスクリプト「";
const char kLoadFailedTail[] = "」のロードに失敗。";
// The load message holds at most this many bytes of the name, cut at a whole character.
constexpr std::size_t kMessageNameBytes = 200;

std::string CutName(const char* name) {
    std::string out;
    for (std::size_t i = 0; name && name[i] && out.size() < kMessageNameBytes;) {
        const bool pair = IsSjisLead(static_cast<std::uint8_t>(name[i])) && name[i + 1] != 0;
        if (pair && out.size() + 2 > kMessageNameBytes) break;
        out.append(name + i, pair ? 2 : 1);
        i += pair ? 2 : 1;
    }
    return out;
}

}  // namespace

TgsFrame::TgsFrame(TgsHost& host) : TgsScript(host), m_machine(host.CreateMachine(kSobStackWords)) {
    if (NewFrameFileSource()) SetFileSource(NewFrameFileSource());
    InstallTextOutputOps();
}

TgsFrame::~TgsFrame() {
    if (g_frame == this) g_frame = nullptr;
    CloseScreen();
    SaveTextLog(nullptr);
}

TgsFrame* TgsFrame::Current() { return g_frame; }

void TgsFrame::SetFileSourceForNewFrames(TgsFileSource source) { NewFrameFileSource() = std::move(source); }

std::int32_t TgsFrame::CreateFrame(TgsHost& host, std::uint32_t screenObject) {
    DestroyFrame();
    std::unique_ptr<TgsFrame> frame(new (std::nothrow) TgsFrame(host));
    if (!frame) return -1;
    if (frame->BindScreen(screenObject) != 0) return 2;
    for (int i = 0; i < 6; ++i) frame->m_start.words[i] = host.StartParameter(i);
    frame->SetScriptFolder("SCRIPT\\");
    if (frame->LoadInitFile("TGS_INIT.DAT") > 1) return 3;
    frame->SetSaveFolder(host.SaveFolder().c_str());
    frame->SetTextLogName("TEXT_LOG.DAT");
    frame->LoadTextLog(nullptr);
    g_frame = frame.release();
    return 0;
}

std::int32_t TgsFrame::DestroyFrame() {
    delete g_frame;
    g_frame = nullptr;
    return 0;
}

std::int32_t TgsFrame::RunScript(TgsHost& host, std::int32_t start, const char* name) {
    TgsFrame* const frame = g_frame;
    if (!frame) {
        host.ShowStopMessage(kNoFrame);
        return 1;
    }
    if (start >= 0 && frame->StartScript(name) != 0) {
        const std::string message = std::string(kLoadFailedHead) + CutName(name) + kLoadFailedTail;
        host.ShowStopMessage(message.c_str());
        return 2;
    }
    std::int32_t result = frame->OpenScreen(start < 0);
    if (result == 0) result = frame->Run();
    if (std::uint32_t* symbol = host.Symbol(0)) *symbol = static_cast<std::uint32_t>(result);
    if (result == -1) {
        if (!host.ReturnToTitlePending()) return 1;
        frame->ClearNotice();
        frame->RefreshScreen();
        frame->CloseScreen();
        return 0;
    }
    if (result <= 0) {
        frame->CloseScreen();
        return 0;
    }
    if (result != 2) frame->ClearNotice();
    frame->RefreshScreen();
    frame->CloseScreen();
    return 0;
}

std::int32_t TgsFrame::BindScreen(std::uint32_t) { return 0; }
std::int32_t TgsFrame::OpenScreen(bool) { return 0; }
void TgsFrame::CloseScreen() { ReleaseModules(); }
std::int32_t TgsFrame::RefreshScreen() { return 0; }
void TgsFrame::ClearNotice() {}

bool TgsFrame::ShowHiddenCursor() {
    if (!m_modes.cursorHidden) return false;
    m_modes.cursorHidden = 0;
    return true;
}

std::uint32_t TgsFrame::ReadStartParameter(int index) {
    if (index < 0 || index >= 6) return 0;
    void* word = m_host.Memory().WritableBytes(m_start.words[index], 4);
    std::uint32_t value = 0;
    if (word) std::memcpy(&value, word, 4);
    return value;
}

void TgsFrame::WriteStartParameter(int index, std::uint32_t value) {
    if (index < 0 || index >= 6) return;
    if (void* word = m_host.Memory().WritableBytes(m_start.words[index], 4)) std::memcpy(word, &value, 4);
}

bool TgsFrame::AppendOutput(const void* bytes, std::uint32_t length) {
    if (length > TgsExecutorState::kOutputSize - m_executor.outputLength) return false;
    std::memcpy(m_executor.output + m_executor.outputLength, bytes, length);
    m_executor.outputLength += length;
    return true;
}

void TgsFrame::CopyCharacter(const std::uint8_t*& from, const std::uint8_t* end) {
    std::uint32_t length = 1;
    if (IsSjisLead(from[0]) && (!end || end - from > 1) && from[1] != 0) length = 2;
    AppendOutput(from, length);
    from += length;
}

std::int32_t TgsFrame::Run() {
    // A state saved after a jump into a resident module has no call-loaded module but does have
    // a current one: that is enough to run.
    if (!m_modules.current || !m_modules.pc) return -2;
    m_executor.damaged = false;
    for (;;) {
        if (m_executor.pendingText) {
            const std::uint8_t* text = reinterpret_cast<const std::uint8_t*>(m_executor.pendingText);
            if (*text != 0) {
                CopyCharacter(text, nullptr);
                m_executor.pendingText = reinterpret_cast<const char*>(text);
                continue;
            }
            m_executor.pendingText = nullptr;
        }
        std::uint8_t* const pc = m_modules.pc;
        const std::uint8_t* const end = m_modules.current->TextEnd();
        if (pc < m_modules.current->Text() || pc >= end) return kTgsDamagedScript;
        if (*pc == 0) return 0;
        if (*pc != '[') {
            const std::uint8_t* from = pc;
            CopyCharacter(from, end);
            m_modules.pc = const_cast<std::uint8_t*>(from);
            continue;
        }
        // The text ends with 0, so the byte after a '[' exists.
        if (pc[1] == ' ') {
            std::uint8_t* next = ExecuteInstruction(pc + 1);
            if (!next) {
                if (m_executor.damaged) return kTgsDamagedScript;
                const std::int32_t result = m_executor.result;
                if (result == 0x7FFFFFFF) return 0;
                return result < -1 ? -4 : result;
            }
            m_modules.pc = next;
        } else if (pc[1] == 's') {
            std::uint8_t* next = RunInlineSystemScript(pc + 1);
            if (!next) return m_executor.damaged ? kTgsDamagedScript : -1;
            m_modules.pc = next;
        } else {
            const std::uint8_t* from = pc + 1;
            if (*from != 0) CopyCharacter(from, end);
            m_modules.pc = const_cast<std::uint8_t*>(from);
        }
    }
}

std::uint32_t TgsFrameQuery(std::uint32_t query, const char* name) {
    TgsFrame* const frame = TgsFrame::Current();
    if (!frame) return 0;
    switch (query) {
    case 0: return frame->FlagTotal(name);
    case 1: return frame->FlagSetCount(name);
    case 2: return frame->AllFlagsSet(name) ? 1 : 0;
    case 3: return frame->Modes().skipMode || frame->Modes().settingSkip ? 1 : 0;
    default: return 0;
    }
}
