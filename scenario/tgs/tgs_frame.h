// TgsFrame: the TGS scenario frame, the interpreter of .TOB scenario modules and (with the later
// parts) the owner of the scenario screen. One frame exists at a time, reachable through
// TgsFrame::Current(); SOB commands 791-794 create it, run scripts on it and destroy it. It
// lives on the game thread and reaches the script machine and the application only through
// TgsHost.
//
// One class, split by concern over several files:
//   tgs_module_host.cpp, tgs_file_readers.cpp, tgs_text_log.cpp, tgs_module_state.cpp (the
//   TgsScript base), tgs_decoding.cpp (operands and linking of SOB blocks), tgs_executor.cpp
//   (instructions and ops 0-11), tgs_sob_code.cpp (SOB code run by the frame),
//   tgs_embedded_commands.cpp (commands inside the text output), tgs_frame.cpp (commands and the
//   run loop), tgs_text_output.cpp (the message hand-over to the windows, speaker and voice, the
//   in-text font change, the screen flashes).
//
// Results of a run (Run, and what command 793 stores in retTgsExp): 0 the text ended (or a
// call, jump or return failed); -1 the game is quitting or SOB code failed; -2 nothing to run;
// -3 the script is damaged (an opcode above 129, a field, jump, skip or label outside the text,
// an array or element outside its table, a full return stack or operand area, a bad fixup, SOB
// code that faults); -4 a handler's result below -1; else a handler's result.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "game/interfaces/tgs_host.h"
#include "graphics/text/font_list.h"
#include "scenario/text/tgs_message_frame.h"
#include "scenario/tgs/text_history_store.h"
#include "scenario/tgs/tgs_executor_state.h"
#include "scenario/tgs/tgs_mode_bytes.h"
#include "scenario/tgs/tgs_scenario_state.h"
#include "scenario/tgs/tgs_script.h"
#include "scenario/tgs/tgs_start_parameters.h"
#include "scenario/tgs/tgs_text_output.h"

class Font;
class Image;
class TgsFrame;
class TgsMessageWindow;
class TransCallback;

// An opcode handler: the frame and the instruction's operands ({type, value} word pairs).
using TgsOpHandler = std::function<std::int32_t(TgsFrame& frame, std::uint32_t* operands)>;

constexpr std::int32_t kTgsDamagedScript = -3;

// A stored operand's type: 0xFF marks a label's text offset (its bit value 2 notwithstanding),
// bit value 2 otherwise a string pointer.
inline bool TgsIsLabel(std::uint32_t type) { return type == 0xFF; }
inline bool TgsIsString(std::uint32_t type) { return type != 0xFF && (type & 2) != 0; }

class TgsFrame : public TgsScript, public TgsMessageFrame {
public:
    static constexpr std::uint32_t kOpcodeCount = 130;
    static constexpr std::uint32_t kSobStackWords = 8192;

    explicit TgsFrame(TgsHost& host);
    ~TgsFrame() override;

    static TgsFrame* Current();

    // ---- commands (tgs_frame.cpp) ----
    // 791: 0; 2 the screen does not bind; 3 TGS_INIT.DAT is damaged; -1 another failure. The
    // caller has checked the screen object (0 = none).
    static std::int32_t CreateFrame(TgsHost& host, std::uint32_t screenObject);
    // 792.
    static std::int32_t DestroyFrame();
    // 793: 0; 1 no frame, or quitting; 2 the script does not load.
    static std::int32_t RunScript(TgsHost& host, std::int32_t start, const char* name);
    // Where the next frames' files come from (null: the virtual file system). Test seam.
    static void SetFileSourceForNewFrames(TgsFileSource source);

    // The run loop.
    std::int32_t Run();
    bool ShowHiddenCursor();
    // Screen hooks, filled by the screen set-up (0: done).
    std::int32_t BindScreen(std::uint32_t screen);
    std::int32_t OpenScreen(bool restore);
    void CloseScreen();
    std::int32_t RefreshScreen();
    void ClearNotice();

    // ---- executor (tgs_executor.cpp) ----
    // `at` is the ' ' of "[ ": the new program counter, or null to end the run.
    std::uint8_t* ExecuteInstruction(std::uint8_t* at);
    std::int32_t RunOpInText(std::uint32_t opcode, std::uint32_t* operands);
    void SetOpHandler(std::uint32_t opcode, TgsOpHandler handler);

    // ---- SOB code (tgs_sob_code.cpp) ----
    // `at` is the 's' of "[s": the position after the block, or null.
    std::uint8_t* RunInlineSystemScript(std::uint8_t* at);
    // 0 finished; 1 no machine, or the system script does not load; 2 it does not load (jump);
    // 3 a jump where none is allowed; -1 quit; -3 the code faulted.
    std::int32_t RunSobCode(bool allowJump, bool alreadyStarted);
    // 0, 1 no machine, 2 the module does not load, else RunSobCode's result.
    std::int32_t RunSystemScript(const char* name);

    // ---- embedded commands (tgs_embedded_commands.cpp) ----
    // Appends a command to the text output: 0; 1 operands missing; 2 it does not fit (dropped).
    std::int32_t EncodeInstruction(std::uint32_t opcode, const std::uint32_t* operands, std::uint32_t count);
    // Reads the command at `cursor` (its 0x00) within `end`: operands into `operands`, whose room
    // is `operandWords` words; strings are copied behind the count's operand pairs in that room.
    // 0, the cursor moved past it; 1 damaged or it does not fit (nothing moves).
    static std::int32_t DecodeInstruction(const std::uint8_t*& cursor, const std::uint8_t* end, std::uint32_t* opcode,
                                          std::uint32_t* operands, std::uint32_t operandWords, std::uint32_t* count);

    // Start-parameter variables: read 0 and skip the write unless the script memory holds a
    // writable word there.
    std::uint32_t ReadStartParameter(int index);
    void WriteStartParameter(int index, std::uint32_t value);

    // ---- text output (tgs_text_output.cpp) ----
    static constexpr std::int32_t kWindowCount = 5;
    static constexpr std::size_t kSpeakerNameSize = 17;
    static constexpr std::size_t kVoiceNameSize = 16;

    // 0; 1 the output is empty; 2 the window cannot take the speaker's frame image, or there is
    // no current window (nothing handed over; the output, name and voice are dropped all the same).
    std::int32_t FlushText();
    void RestoreMessageFont() override;
    // 0.
    std::int32_t NewPage();
    // 0 (out empty when no face of the list is installed); 1 without a list; 2 a name of 32
    // bytes or more. out receives "@" first when vertical.
    std::int32_t ResolveFontFace(std::string* out, const char* faceList, bool vertical);
    // Op 28 inside the text: size, text colour, shadow colour, face ({type, value} pairs; type 0
    // omitted).
    void ChangeMessageFont(const std::uint32_t* operands, std::uint32_t count);
    // Op 25: name and voice for the next text, cut at a whole character to 16 and 15 bytes.
    void SetSpeaker(const char* name, const char* voice);
    // 0 ran to its end; 1 cut short; 2 no transition; 3 it refused to start (released); -1 quit.
    // The transition is the frame's from here on.
    std::int32_t RunScreenTransition(TransCallback* transition, ScreenBuffer* screen,
                                     std::int32_t pageMode, std::uint32_t cutFlags);
    // A "cross" transition of ms on the screen (null: the front screen).
    std::int32_t CrossFade(std::uint32_t ms, std::int32_t pageMode, std::uint32_t cutFlags,
                           ScreenBuffer* screen = nullptr);
    // Op 115: 0 or -1.
    std::int32_t FlashColour(std::uint32_t ms, std::uint32_t colour);
    // Op 116: 0; 2 the image failed to load; -1 quit.
    std::int32_t FlashToImage(const char* name, std::uint32_t ms, std::uint32_t colour);

    // The screen's parts the text output works on (made by the screen set-up; borrowed).
    void SetStage(TgsFrameStage* stage) { m_stage = stage ? stage : &m_noStage; }
    void SetMessageWindow(std::int32_t index, TgsMessageWindow* window);
    void SetHistoryWindow(TgsMessageWindow* window, Font* large, Font* small);
    void SetMessageFonts(Font* large, Font* small);
    void SetFrameImage(std::int32_t index, Image* image);
    void SelectCurrentWindow(std::int32_t index);

    // TgsMessageFrame, for the windows.
    std::int32_t RunTextCommand(const std::uint8_t* block, std::uint32_t size) override;
    std::int32_t RevealMode() override;

    TextHistoryStore& History() { return m_history; }
    WindowPlacement& Placement(std::int32_t index) { return m_placements[index]; }
    std::int32_t CurrentWindowIndex() const { return m_currentWindow; }
    const char* SpeakerName() const { return m_speakerName; }
    const char* VoiceName() const { return m_voiceName; }
    const std::string& PendingVoice() const { return m_pendingVoice; }
    std::int32_t PendingVoiceWindow() const { return m_pendingVoiceWindow; }
    void SetPendingVoice(const char* voice, std::int32_t window) {
        m_pendingVoice = voice ? voice : "";
        m_pendingVoiceWindow = window;
    }
    bool PageNumbering() const { return m_pageNumbering != 0; }
    void SetPageNumbering(bool on) { m_pageNumbering = on ? 1 : 0; }
    std::uint8_t PageCounter() const { return m_pageCounter; }
    void SetPageCounter(std::uint8_t page) { m_pageCounter = page; }
    std::uint8_t FontChangedMark() const { return m_fontChanged; }
    bool HistoryDrawing() const { return m_historyDrawing != 0; }
    void SetHistoryDrawing(bool on);
    // Flags the click wait and the choice list keep.
    std::uint8_t choicesShown = 0;

    TgsExecutorState& Executor() { return m_executor; }
    TgsScenarioState& Scenario() { return m_scenario; }
    TgsModeBytes& Modes() { return m_modes; }
    TgsOperandArea& Operands() { return m_operands; }
    TgsModuleSet& ModuleSet() { return m_modules; }
    TgsHost& Host() { return m_host; }

private:
    // ---- run loop ----
    void CopyCharacter(const std::uint8_t*& from, const std::uint8_t* end);
    bool AppendOutput(const void* bytes, std::uint32_t length);

    // ---- decoding and linking ----
    struct CodeBlock {
        std::uint8_t* code = nullptr;
        std::uint32_t codeLength = 0;
        std::uint8_t* mark = nullptr;
        std::uint8_t* fixups = nullptr;  // the first list's count
        std::uint8_t* end = nullptr;     // after the block
        bool wide = false;               // 32-bit lengths and counts ("[s")
    };
    // Reads the block at `at` (its code length) within the text: false when damaged.
    bool ParseBlock(std::uint8_t* at, bool wide, CodeBlock& block);
    // Links on first use: false when a fixup lies outside the code or names no entry (nothing is
    // patched then).
    bool LinkBlock(const CodeBlock& block);
    // Runs an expression block and reads retTgsExp: false when the run must end (the executor's
    // damaged flag or result word says how).
    bool Evaluate(const CodeBlock& block, std::uint32_t& value);
    bool ReadElement(std::uint32_t array, std::uint32_t element, std::uint32_t& value);
    std::uint8_t* Damaged();
    std::uint8_t* TextEnd() const;

    TgsExecutorState m_executor;
    TgsScenarioState m_scenario;
    TgsModeBytes m_modes;
    TgsStartParameters m_start;
    std::unique_ptr<TgsSobMachine> m_machine;
    TgsOpHandler m_handlers[kOpcodeCount];

    // ---- text output ----
    // The handlers of ops 25, 28, 115 and 116.
    void InstallTextOutputOps();
    void ResetOutput();
    // The frame image for the voice: 0 unknown or empty, the character index + 1, at most 7.
    std::int32_t FrameImageForVoice(const char* voice);
    TgsFrameStage m_noStage;
    TgsFrameStage* m_stage = &m_noStage;
    TextHistoryStore m_history;
    TgsMessageWindow* m_windows[kWindowCount] = {};
    WindowPlacement m_placements[kWindowCount];
    std::int32_t m_currentWindow = 0;
    TgsMessageWindow* m_historyWindow = nullptr;
    // The window and fonts in-text commands act on: the current message window, or the history
    // window while the history lays text out.
    TgsMessageWindow* m_activeWindow = nullptr;
    Font* m_messageFonts[2] = {nullptr, nullptr};
    Font* m_historyFonts[2] = {nullptr, nullptr};
    Font* m_currentFonts[2] = {nullptr, nullptr};
    Image* m_frameImages[8] = {};
    char m_speakerName[kSpeakerNameSize] = {};
    char m_voiceName[kVoiceNameSize] = {};
    std::string m_pendingVoice;
    std::int32_t m_pendingVoiceWindow = -1;
    std::uint8_t m_pageNumbering = 0;
    std::uint8_t m_pageCounter = 1;
    // 0 none; 1 size or colours changed; 2 the face changed.
    std::uint8_t m_fontChanged = 0;
    std::uint8_t m_historyDrawing = 0;
    FontList m_fontList;
    bool m_fontListFilled = false;
};

// Command 58's sub-command 9 queries: 0 the read-flag count, 1 the set read flags, 2 whether all
// are set (of the named module, case-blind, or of all with a null name); 3 the two state flags
// (skip mode or the skip setting). 0 without a frame.
std::uint32_t TgsFrameQuery(std::uint32_t query, const char* name);
