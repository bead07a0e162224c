// TgsMessageWindow: the message window of the TGS scenario frame. It keeps a copy of the current
// message, lays it out in two passes (every line measured first, then drawn), runs the in-text
// TGS commands through its frame while doing so, sizes and places itself around its text when it
// has a nine-slice frame, shows the speaker's name in a name box, spreads ruby over a run of
// characters, indents after an opening character, and reveals the text like a typewriter: the
// text is drawn at once into an off-screen layer and uncovered along its lines with a soft
// leading edge, one step per frame (Update).
//
// The frame (TgsMessageFrame) and the name box are borrowed: their owner clears them with
// SetFrame(nullptr) / SetNameBox(nullptr) before they go. The wait cursor is a strip task on the
// window's sprite, queued on the scheduler given to SetWaitCursor; the window cancels it when it
// goes, so that scheduler and the cursor's cell image must outlive the window (or the window's
// Release). Game thread only.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "framework/interfaces/task_scheduling.h"
#include "graphics/compose/gradient_table.h"
#include "graphics/image/image.h"
#include "scenario/animation/random_strip_animation_task.h"
#include "scenario/text/text_window_part.h"

class CellImage;
class TgsMessageFrame;

class TgsMessageWindow : public TextWindowPart {
public:
    // Room of the name copies: 16 and 15 bytes of text and their terminators.
    static constexpr std::size_t kSpeakerNameSize = 17;
    static constexpr std::size_t kSpeakerName2Size = 16;

    enum RevealState : std::uint8_t { kIdle = 0, kPrepared = 1, kRevealing = 2, kFinishing = 3 };
    enum LayoutMode : std::uint8_t { kNormal = 0, kMeasuring = 1, kDrawingLayer = 2, kDrawingInPlace = 3 };

    // One laid-out line: where its pen started, its box (window coordinates while measuring; after
    // the measure pass the box includes the font decoration's room), where its text starts and
    // whether an automatic break began it.
    struct Line {
        std::int32_t penX = 0;
        std::int32_t penY = 0;
        std::int32_t left = 0;
        std::int32_t top = 0;
        std::int32_t right = 0;
        std::int32_t bottom = 0;
        std::int32_t width = 0;
        std::int32_t height = 0;
        std::uint32_t textOffset = 0;
        std::uint8_t autoBreak = 0;
        std::uint8_t hasRuby = 0;
    };

    // A piece of the text layer (layer coordinates).
    struct Piece {
        std::int32_t x = 0;
        std::int32_t y = 0;
        std::int32_t width = 0;
        std::int32_t height = 0;
    };

    TgsMessageWindow();
    ~TgsMessageWindow() override;

    // --- Overridden operations of the text window ---
    // A self-sizing window (one with a nine-slice frame) stays hidden while it has no text; the
    // name box follows.
    void SetVisible(bool visible) override;
    // The typewriter reveal; 0.
    std::int32_t Update(std::uint32_t now) override;
    // Also drops the text and releases the name box.
    void Release() override;
    // Also applied to the name box.
    std::int32_t SetBackground(std::uint8_t frameMode, std::uint32_t colour, std::uint8_t alpha,
                               bool redraw) override;
    // Also homes the name box and clears both names.
    std::int32_t Home(bool clear) override;
    // Follows the layout passes: a new line record while measuring, the next one while drawing.
    bool NewLine() override;

    // --- Own operations ---
    void SetFrame(TgsMessageFrame* frame) { m_frame = frame; }
    void SetNameBox(TextWindowPart* nameBox) { m_nameBox = nameBox; }
    // 1 for no bytes; clears the old text and names, copies the bytes and appends two zeros.
    std::int32_t SetText(const char* bytes, std::int32_t length);
    void ClearText();
    // Copies up to 16 and 15 bytes, cut at a whole Shift-JIS character; null clears.
    void SetSpeakerNames(const char* name, const char* name2);
    // Null or empty removes the set.
    void SetIndentChars(const char* chars);
    // left >= 0 sets the clamp rectangle, left -1 removes it.
    void SetAutoPlacement(std::uint8_t anchorMode, std::int32_t anchorX, std::int32_t anchorY,
                          std::int32_t left, std::int32_t top, std::int32_t right,
                          std::int32_t bottom);
    // 0; 1 without a sprite list; a negative width frees the ramp and the scratch image (0); 2
    // below the character size (the old ramp stays); 3 the ramp or 4 the scratch image cannot
    // be made.
    std::int32_t SetFadeWidth(std::int32_t width);
    // Lays the current text out and shows it: 0; 1 without text or frame; 2 while a reveal runs;
    // 3 an in-text command asked to stop while measuring (nothing drawn); -1 the layout failed.
    std::int32_t Show(bool startNew);
    // State 1 or 2: shows the rest at once, 1; otherwise 0.
    std::int32_t FinishReveal();
    // Texts given here are `size` bytes including two closing zeros, as a window's copy of its
    // message (Text, TextSize) or a history entry holds them.
    // Lines of text (0 no characters, -1 no text, -2 a command asked to stop) and the union of
    // their boxes (window coordinates); nothing is drawn and the pen stays.
    std::int32_t MeasureText(const char* text, std::int32_t size, RECT* outRect, bool runCommands,
                             bool skipWideSpaces);
    // Puts text at margin + (x, y); with runCommands a measure pass comes first (2 when a
    // command stops it). 0; 1 without text.
    std::int32_t DrawTextAt(const char* text, std::int32_t size, std::int32_t x, std::int32_t y,
                            bool runCommands, bool skipWideSpaces);
    // 0; 1 for a missing scheduler or cell image; 2 when the strip task cannot start. Replaces
    // the old cursor; the new one starts hidden. reserve: room kept after the last line of a
    // self-sizing window; followsText: the cursor is placed after the text.
    std::int32_t SetWaitCursor(TaskScheduler* scheduler, CellImage* cells, std::int32_t reserve,
                               bool followsText);
    void StopWaitCursor();
    // Shows (placed after the text when it follows the text) or hides the cursor; hiding puts
    // the background under it back.
    void ShowWaitCursor(bool on);
    void BeginRubySpan();
    // 0; 1 outside a layout pass; 2 without ruby font or text; 3 (vertical) or 4 (horizontal) when
    // the base span is not positive. target null: the layer or the window image.
    std::int32_t DrawRuby(const char* text, Image* target);

    std::int32_t msPerChar = 0;
    std::uint8_t nameAlign = 1;
    // Set by the frame on its current window: the wait cursor shows once a message is shown whole.
    std::uint8_t waitCursorAtEnd = 0;

    const char* Text() const { return m_text ? m_text.get() : nullptr; }
    std::int32_t TextSize() const { return m_textSize; }
    const char* SpeakerName() const { return m_speakerName; }
    const char* SpeakerName2() const { return m_speakerName2; }
    std::uint8_t GetRevealState() const { return m_revealState; }
    std::int32_t RevealDuration() const { return m_revealDuration; }
    std::int32_t RevealLength() const { return m_revealLength; }
    std::int32_t CharsShown() const { return m_charsShown; }
    std::uint8_t GetLayoutMode() const { return m_layoutMode; }
    const std::deque<Line>& Lines() const { return m_lines; }
    Image& Layer() { return m_layer; }
    std::int32_t LayerOriginX() const { return m_layerOriginX; }
    std::int32_t LayerOriginY() const { return m_layerOriginY; }
    const GradientTable& FadeRamp() const { return m_fadeRamp; }
    std::int32_t FadeWidth() const { return m_fadeWidth; }
    std::int32_t FadePieceCount() const { return m_fadePieceCount; }
    const Piece& FadePiece(std::int32_t i) const { return m_fadePieces[i]; }
    std::int32_t RevealedTotal() const { return m_revealedTotal; }
    bool WaitCursorShown() const { return m_waitCursorShown != 0; }
    RandomStripAnimationTask* WaitCursorTask() const { return m_waitCursorTask.Get(); }
    // Moves the reveal's start later (the frame's pause of the window timers).
    void DelayReveal(std::uint32_t ms) { m_revealStart += ms; }

protected:
    // Blends a piece of the text layer over the window image at its place; with a ramp, each
    // pixel's alpha is first scaled by the ramp entry at its distance from rampStart (in the line
    // direction). The reveal's one drawing step.
    virtual void BlendLayerPiece(const Piece& piece, const std::uint8_t* ramp,
                                 std::int32_t rampStart);

private:
    using TextLayoutStep = std::int32_t (TgsMessageWindow::*)(const char** text);

    // Runs the text through the current layout mode: characters and command blocks. 0; -2 a
    // command asked to stop (runCommands set); 1 the page is full (drawing in place).
    // The text is `size` bytes with its two closing zeros.
    std::int32_t RunText(const char* text, std::int32_t size, bool runCommands,
                         bool skipWideSpaces, bool indent);
    void BeginMeasure();
    std::int32_t MeasureChar(const char** text);
    // 0; 2 or 3 the layer cannot be made; 3 resizing fails.
    std::int32_t EndMeasure(bool fitWindow, bool toLayer);
    void EndDraw();
    Line& NewLineRecord();
    void ExtendLine(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
    std::int32_t PutLayoutChar(const char** text);
    void PlaceSelf();
    // Shows the wait cursor when the frame wants it now.
    void ShowWaitCursorAtEnd();
    void DrawName();

    // Reveal.
    void PrepareReveal(std::uint32_t now);
    // The pieces of the reveal positions [from, to) in the layer (at most 4 with `limit`).
    std::int32_t PiecesOf(std::int32_t from, std::int32_t to, Piece* out, std::int32_t limit) const;
    void Uncover(std::int32_t to);
    void RestoreFadePieces();
    void DrawFade(std::int32_t position);
    void DirtyLayerPiece(const Piece& piece);
    std::int32_t LineLength(const Line& line) const;

    TextWindowPart* m_nameBox = nullptr;
    std::uint8_t m_rubySpanOpen = 0;
    std::int32_t m_rubySpanStart = 0;
    Image m_layer;
    std::uint8_t m_layoutMode = kNormal;
    std::int32_t m_measureLine = 0;
    std::deque<Line> m_lines;
    std::int32_t m_startPenX = 0;
    std::int32_t m_startPenY = 0;
    std::int32_t m_layerOffsetX = 0;
    std::int32_t m_layerOffsetY = 0;
    // Where the layer's (0, 0) lies in the window.
    std::int32_t m_layerOriginX = 0;
    std::int32_t m_layerOriginY = 0;
    std::int32_t m_drawLine = 0;
    // Offset of the character being laid out inside the text (line breaks of the draw pass).
    std::uint32_t m_textOffset = 0;
    TgsMessageFrame* m_frame = nullptr;
    std::int32_t m_revealDuration = 0;
    std::uint8_t m_revealState = kIdle;
    std::unique_ptr<char[]> m_text;
    std::int32_t m_textSize = 0;
    std::int32_t m_charsShown = 0;
    char m_speakerName[kSpeakerNameSize] = {};
    char m_speakerName2[kSpeakerName2Size] = {};
    TaskScheduler* m_waitCursorScheduler = nullptr;
    CellImage* m_waitCursorSource = nullptr;
    TaskPointer<RandomStripAnimationTask> m_waitCursorTask;
    std::int32_t m_waitCursorReserve = 0;
    std::uint8_t m_waitCursorFollowsText = 0;
    std::uint8_t m_waitCursorShown = 0;
    std::uint8_t m_anchorMode = 0;
    std::int32_t m_anchorX = 0;
    std::int32_t m_anchorY = 0;
    RECT m_clampRect{-1, 0, 0, 0};
    std::string m_indentChars;
    GradientTable m_fadeRamp;
    std::int32_t m_fadeWidth = 0;
    Image m_fadeScratch;
    Piece m_fadePieces[4];
    std::int32_t m_fadePieceCount = 0;
    std::uint32_t m_revealStart = 0;
    std::int32_t m_revealLength = 0;
    std::int32_t m_revealedLast = -1;
    std::int32_t m_revealedTotal = 0;
    std::int32_t m_revealLine = 0;
    std::int32_t m_revealInLine = 0;
};
