#include "scenario/text/tgs_message_window.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "graphics/data/cell_image.h"
#include "graphics/text/antialias_font.h"
#include "graphics/text/font.h"
#include "scenario/text/tgs_message_frame.h"

namespace {

// 0x00 '[', then the length (counted from itself to the block's end), the operation number and
// the argument count.
constexpr std::uint32_t kBlockHeader = 14;
constexpr std::uint32_t kBlockLengthMinimum = 12;

std::uint32_t ReadU32(const char* at) {
    std::uint32_t value = 0;
    std::memcpy(&value, at, 4);
    return value;
}

// Copies at most room - 1 bytes of text, never half of a Shift-JIS pair, and terminates.
void CopyWholeCharacters(char* out, std::size_t room, const char* text) {
    std::size_t n = 0;
    if (text != nullptr) {
        while (text[n] != 0) {
            const bool pair = IsShiftJisLead(static_cast<std::uint8_t>(text[n])) && text[n + 1] != 0;
            const std::size_t step = pair ? 2 : 1;
            if (n + step > room - 1) {
                break;
            }
            n += step;
        }
        std::memcpy(out, text, n);
    }
    std::memset(out + n, 0, room - n);
}

}  // namespace

TgsMessageWindow::TgsMessageWindow() = default;

TgsMessageWindow::~TgsMessageWindow() {
    LeaveGroup();
    StopWaitCursor();
}

// --- Overridden operations ---

void TgsMessageWindow::SetVisible(bool visible) {
    const bool show = visible && !(HasNineSlice() && !m_text);
    TextWindowPart::SetVisible(show);
    if (m_nameBox != nullptr) {
        m_nameBox->SetVisible(show);
    }
}

void TgsMessageWindow::Release() {
    StopWaitCursor();
    ClearText();
    m_layer.Free();
    m_fadeScratch.Free();
    m_fadePieceCount = 0;
    if (m_nameBox != nullptr) {
        m_nameBox->Release();
    }
    TextWindowPart::Release();
}

std::int32_t TgsMessageWindow::SetBackground(std::uint8_t frameMode, std::uint32_t colour,
                                             std::uint8_t alpha, bool redraw) {
    if (m_nameBox != nullptr) {
        m_nameBox->SetBackground(frameMode, colour, alpha, redraw);
    }
    return TextWindowPart::SetBackground(frameMode, colour, alpha, redraw);
}

std::int32_t TgsMessageWindow::Home(bool clear) {
    if (m_nameBox != nullptr) {
        m_nameBox->Home(clear);
    }
    m_speakerName[0] = 0;
    m_speakerName2[0] = 0;
    return TextWindowPart::Home(clear);
}

bool TgsMessageWindow::NewLine() {
    if (m_layoutMode == kMeasuring) {
        const Line& current = m_lines[m_measureLine];
        if (m_vertical) {
            const bool empty = current.right == current.left;
            m_penX -= lineGap + (empty || rubyBand ? m_linePitch
                                                   : m_linePitch - m_lineHeight +
                                                         (current.right - current.left));
            m_penY = m_marginTop + m_indent;
        } else {
            const bool empty = current.right == current.left;
            m_penY += lineGap + (empty || rubyBand ? m_linePitch
                                                   : m_linePitch - m_lineHeight +
                                                         (current.bottom - current.top));
            m_penX = m_marginLeft + m_indent;
        }
        ++m_measureLine;
        NewLineRecord();
        if (m_rubySpanOpen) {
            m_rubySpanStart = m_vertical ? m_penY : m_penX;
        }
        return false;
    }
    if (m_layoutMode == kDrawingLayer || m_layoutMode == kDrawingInPlace) {
        ++m_drawLine;
        if (m_drawLine < static_cast<std::int32_t>(m_lines.size())) {
            const Line& line = m_lines[m_drawLine];
            const bool layer = m_layoutMode == kDrawingLayer;
            m_penX = line.penX - (layer ? m_layerOriginX : 0);
            m_penY = line.penY - (layer ? m_layerOriginY : 0);
        }
        if (m_rubySpanOpen) {
            m_rubySpanStart = m_vertical ? m_penY : m_penX;
        }
        return false;
    }
    return TextWindowPart::NewLine();
}

// --- Text and names ---

std::int32_t TgsMessageWindow::SetText(const char* bytes, std::int32_t length) {
    if (bytes == nullptr || length < 0) {
        return 1;
    }
    std::unique_ptr<char[]> copy(new (std::nothrow) char[static_cast<std::size_t>(length) + 2]);
    if (!copy) {
        return 1;
    }
    ClearText();
    std::memcpy(copy.get(), bytes, static_cast<std::size_t>(length));
    copy[length] = 0;
    copy[length + 1] = 0;
    m_text = std::move(copy);
    m_textSize = length + 2;
    return 0;
}

void TgsMessageWindow::ClearText() {
    ShowWaitCursor(false);
    m_text.reset();
    m_textSize = 0;
    m_revealState = kIdle;
    m_fadePieceCount = 0;
    m_speakerName[0] = 0;
    m_speakerName2[0] = 0;
}

void TgsMessageWindow::SetSpeakerNames(const char* name, const char* name2) {
    CopyWholeCharacters(m_speakerName, kSpeakerNameSize, name);
    CopyWholeCharacters(m_speakerName2, kSpeakerName2Size, name2);
}

void TgsMessageWindow::SetIndentChars(const char* chars) {
    m_indentChars = chars != nullptr ? chars : "";
}

void TgsMessageWindow::SetAutoPlacement(std::uint8_t anchorMode, std::int32_t anchorX,
                                        std::int32_t anchorY, std::int32_t left,
                                        std::int32_t top, std::int32_t right,
                                        std::int32_t bottom) {
    m_anchorMode = anchorMode;
    m_anchorX = anchorX;
    m_anchorY = anchorY;
    if (left >= 0) {
        m_clampRect = RECT{left, top, right, bottom};
    } else if (left == -1) {
        m_clampRect.left = -1;
    }
}

std::int32_t TgsMessageWindow::SetFadeWidth(std::int32_t width) {
    if (WindowSprite().List() == nullptr) {
        return 1;
    }
    if (width < 0) {
        m_fadeRamp.Free();
        m_fadeScratch.Free();
        m_fadeWidth = 0;
        return 0;
    }
    const std::int32_t size = CharSize();
    if (width < size) {
        return 2;
    }
    if (m_fadeRamp.Count() != width && m_fadeRamp.Build(width, 255, 0, 8) != 0) {
        m_fadeWidth = 0;
        return 3;
    }
    m_fadeWidth = width;
    const std::int32_t w = m_vertical ? size : width;
    const std::int32_t h = m_vertical ? width : size;
    if (m_fadeScratch.Create(w, h, 32, 0) != 0) {
        return 4;
    }
    return 0;
}

// --- Layout ---

TgsMessageWindow::Line& TgsMessageWindow::NewLineRecord() {
    Line line;
    line.penX = line.left = line.right = m_penX;
    line.penY = line.top = line.bottom = m_penY;
    line.textOffset = m_textOffset;
    if (static_cast<std::int32_t>(m_lines.size()) <= m_measureLine) {
        m_lines.push_back(line);
    } else {
        m_lines[m_measureLine] = line;
    }
    return m_lines[m_measureLine];
}

void TgsMessageWindow::ExtendLine(std::int32_t left, std::int32_t top, std::int32_t right,
                                  std::int32_t bottom) {
    Line& line = m_lines[m_measureLine];
    line.left = std::min(line.left, left);
    line.top = std::min(line.top, top);
    line.right = std::max(line.right, right);
    line.bottom = std::max(line.bottom, bottom);
}

void TgsMessageWindow::BeginMeasure() {
    m_layoutMode = kMeasuring;
    m_lines.clear();
    m_measureLine = 0;
    m_textOffset = 0;
    NewLineRecord();
    m_startPenX = m_penX;
    m_startPenY = m_penY;
}

std::int32_t TgsMessageWindow::MeasureChar(const char** text) {
    const GlyphRead read = ReadGlyph(*text);
    if (read.end) {
        *text = read.next;
        return 0;
    }
    std::int32_t result = 0;
    if (BreaksBefore(read)) {
        NewLine();
        m_lines[m_measureLine].autoBreak = 1;
        result = -1;
    }
    *text = read.next;
    m_previousChar[0] = read.character[0];
    m_previousChar[1] = read.character[1];
    std::int32_t x;
    std::int32_t y;
    std::int32_t extent[2];
    std::int32_t advance;
    PlaceGlyph(read, &x, &y, extent, &advance);
    std::int32_t& pen = m_vertical ? m_penY : m_penX;
    if (m_vertical) {
        ExtendLine(x - extent[1], y, x, y + std::max(advance, extent[0]));
    } else {
        ExtendLine(x, y, x + std::max(advance, extent[0]), y + extent[1]);
    }
    if (m_pendingRuby != nullptr && m_rubyFont != nullptr) {
        m_pendingRuby = nullptr;
        const std::int32_t reach = RubySize() + rubyGap + CharSize();
        Line& line = m_lines[m_measureLine];
        line.hasRuby = 1;
        if (m_vertical) {
            line.left = std::min(line.left, line.right - reach);
        } else if (!rubyBand) {
            line.top = std::min(line.top, line.bottom - reach);
        }
    }
    SetLastCharPos(pen);
    pen += letterSpacing + advance;
    return result;
}

std::int32_t TgsMessageWindow::PutLayoutChar(const char** text) {
    if (m_layoutMode == kMeasuring) {
        return MeasureChar(text);
    }
    // The draw pass breaks where the measure pass did.
    const std::int32_t next = m_drawLine + 1;
    if (next < static_cast<std::int32_t>(m_lines.size()) && m_lines[next].autoBreak &&
        m_lines[next].textOffset == m_textOffset) {
        NewLine();
    }
    const char* before = *text;
    const std::int32_t result =
        DrawCharAt(text, m_layoutMode == kDrawingLayer ? &m_layer : nullptr);
    if (*text != before && result <= 0) {
        ++m_charsShown;
    }
    return result;
}

std::int32_t TgsMessageWindow::RunText(const char* text, std::int32_t size, bool runCommands,
                                       bool skipWideSpaces, bool indent) {
    if (text == nullptr || size < 2) {
        return 0;
    }
    const char* const begin = text;
    // The two closing zeros are not part of the message.
    const char* const end = text + size - 2;
    bool first = true;
    for (;;) {
        if (text >= end) {
            return 0;
        }
        m_textOffset = static_cast<std::uint32_t>(text - begin);
        if (*text == 0) {
            const auto left = static_cast<std::uint32_t>(end - text);
            if (left < 2 || text[1] != '[') {
                return 0;
            }
            // A block shorter than its header or reaching past the text ends the text: history
            // text comes from save files.
            if (left < kBlockHeader) {
                return 0;
            }
            const std::uint32_t length = ReadU32(text + 2);
            if (length < kBlockLengthMinimum || length > left - 2) {
                return 0;
            }
            const std::uint32_t size = length + 2;
            if (runCommands && m_frame != nullptr) {
                const std::int32_t result =
                    m_frame->RunTextCommand(reinterpret_cast<const std::uint8_t*>(text), size);
                if (result > 0 && m_layoutMode == kMeasuring) {
                    return -2;
                }
            }
            text += size;
            continue;
        }
        if (skipWideSpaces && static_cast<std::uint8_t>(text[0]) == 0x81 &&
            static_cast<std::uint8_t>(text[1]) == 0x40) {
            text += 2;
            continue;
        }
        const char* const at = text;
        const std::int32_t result = PutLayoutChar(&text);
        if (result > 0) {
            return 1;
        }
        if (first && indent && m_layoutMode == kMeasuring && !m_indentChars.empty()) {
            const std::string character(at, static_cast<std::size_t>(text - at));
            for (std::size_t i = 0; i < m_indentChars.size();) {
                const bool pair = IsShiftJisLead(static_cast<std::uint8_t>(m_indentChars[i])) &&
                                  i + 1 < m_indentChars.size();
                const std::size_t step = pair ? 2 : 1;
                if (m_indentChars.compare(i, step, character) == 0) {
                    SetIndentHere();
                    break;
                }
                i += step;
            }
        }
        first = false;
    }
}

std::int32_t TgsMessageWindow::EndMeasure(bool fitWindow, bool toLayer) {
    if (m_lines.size() > 1) {
        Line& last = m_lines.back();
        if (last.right == last.left && last.bottom == last.top) {
            if (m_vertical) {
                last.left = last.right - m_linePitch;
            } else {
                last.bottom = last.top + m_linePitch;
            }
        }
    }
    std::int32_t left = m_lines.front().left;
    std::int32_t top = m_lines.front().top;
    std::int32_t right = m_lines.front().right;
    std::int32_t bottom = m_lines.front().bottom;
    for (const Line& line : m_lines) {
        left = std::min(left, line.left);
        top = std::min(top, line.top);
        right = std::max(right, line.right);
        bottom = std::max(bottom, line.bottom);
    }
    const std::int32_t u = right - left + (m_vertical ? 1 : 0);
    const std::int32_t v = bottom - top;
    // The font decoration's room: a shadow reaches its offset away, an outline its width all
    // round.
    std::int32_t extraWidth = 0;
    std::int32_t extraHeight = 0;
    m_layerOffsetX = 0;
    m_layerOffsetY = 0;
    if (m_font != nullptr && m_font->effect == 1) {
        extraWidth = std::abs(m_font->effectOffsetX);
        extraHeight = std::abs(m_font->effectOffsetY);
        m_layerOffsetX = std::max(-m_font->effectOffsetX, 0);
        m_layerOffsetY = std::max(-m_font->effectOffsetY, 0);
    } else if (m_font != nullptr && m_font->effect == 2) {
        const std::int32_t w = m_font->Kind() == kFontAntialias
                                   ? static_cast<AntialiasFont*>(m_font)->outlineWidth
                                   : 1;
        extraWidth = extraHeight = 2 * w;
        m_layerOffsetX = m_layerOffsetY = w;
    }
    if (fitWindow) {
        const Line& last = m_lines.back();
        bool reserve = true;
        for (std::size_t i = 0; i + 1 < m_lines.size(); ++i) {
            const Line& line = m_lines[i];
            const std::int32_t past =
                m_vertical ? line.bottom - last.bottom : line.right - last.right;
            if (past >= m_waitCursorReserve) {
                reserve = false;
            }
        }
        const std::int32_t room = reserve ? m_waitCursorReserve : 0;
        const std::int32_t oldWidth = m_width;
        if (Resize(m_marginLeft + m_marginRight + u + (m_vertical ? 0 : room),
                   m_marginTop + m_marginBottom + v + (m_vertical ? room : 0), false) != 0) {
            return 3;
        }
        Clear();
        // Vertical lines hang from the right edge, which moved with the width.
        if (m_vertical && m_width != oldWidth) {
            const std::int32_t dx = m_width - oldWidth;
            for (Line& line : m_lines) {
                line.penX += dx;
                line.left += dx;
                line.right += dx;
            }
            left += dx;
            m_startPenX += dx;
        }
    } else {
        m_penX = m_startPenX;
        m_penY = m_startPenY;
    }
    for (Line& line : m_lines) {
        line.width = line.right - line.left + extraWidth;
        line.height = line.bottom - line.top + extraHeight;
    }
    if (toLayer) {
        if (m_layer.Create(u + extraWidth, v + extraHeight, 32, 0) != 0) {
            return 2;
        }
        m_layer.FillValue(0, nullptr);
        m_layerOriginX = left - m_layerOffsetX;
        m_layerOriginY = top - m_layerOffsetY;
        for (Line& line : m_lines) {
            line.left -= left;
            line.top -= top;
            line.right -= left;
            line.bottom -= top;
        }
    } else {
        m_layerOriginX = m_layerOriginY = 0;
    }
    m_layoutMode = toLayer ? kDrawingLayer : kDrawingInPlace;
    m_drawLine = 0;
    m_penX = m_lines.front().penX - m_layerOriginX;
    m_penY = m_lines.front().penY - m_layerOriginY;
    return 0;
}

void TgsMessageWindow::EndDraw() {
    if (m_layoutMode == kDrawingLayer) {
        m_penX += m_layerOriginX;
        m_penY += m_layerOriginY;
    }
    m_layoutMode = kNormal;
}

void TgsMessageWindow::PlaceSelf() {
    std::int32_t x = m_anchorMode == 1   ? m_anchorX
                     : m_anchorMode == 2 ? m_anchorX - m_width
                                         : m_anchorX - m_width / 2;
    std::int32_t y = m_anchorY;
    if (m_clampRect.left >= 0) {
        if (x < m_clampRect.left) {
            x = m_clampRect.left;
        }
        if (x + m_width > m_clampRect.right) {
            x = m_clampRect.right - m_width;
        }
        if (y < m_clampRect.top) {
            y = m_clampRect.top;
        }
        if (y + m_height > m_clampRect.bottom) {
            y = m_clampRect.bottom - m_height;
        }
    }
    SetPosition(x, y);
}

void TgsMessageWindow::DrawName() {
    if (m_nameBox == nullptr || m_speakerName[0] == 0) {
        return;
    }
    if (nameAlign > 3) {
        m_nameBox->DrawSpreadString(
            m_speakerName, TextWindowItemArea{0, 0, m_nameBox->Width(), m_nameBox->Height()});
    } else {
        m_nameBox->DrawAlignedString(m_speakerName, nameAlign);
    }
}

std::int32_t TgsMessageWindow::Show(bool startNew) {
    if (!m_text || m_frame == nullptr || m_font == nullptr) {
        return 1;
    }
    if (m_revealState != kIdle) {
        return 2;
    }
    ShowWaitCursor(false);
    if (startNew) {
        TextWindowPart::Home(true);
        if (m_nameBox != nullptr) {
            m_nameBox->Home(true);
            DrawName();
        }
    }
    BeginMeasure();
    const std::int32_t measured = RunText(m_text.get(), m_textSize, true, false, true);
    ClearIndent();
    m_frame->RestoreMessageFont();
    if (measured == -2) {
        m_layoutMode = kNormal;
        m_penX = m_startPenX;
        m_penY = m_startPenY;
        return 3;
    }
    if (EndMeasure(HasNineSlice(), msPerChar != 0) != 0) {
        m_layoutMode = kNormal;
        return -1;
    }
    if (HasNineSlice()) {
        PlaceSelf();
    }
    // Breaks come from the measured lines; the pen of the layer pass is not the window's.
    const std::uint8_t wrap = autoWrap;
    autoWrap = 0;
    m_charsShown = 0;
    RunText(m_text.get(), m_textSize, true, false, false);
    autoWrap = wrap;
    EndDraw();
    m_frame->RestoreMessageFont();
    if (msPerChar != 0) {
        m_revealState = kPrepared;
        m_revealDuration = m_charsShown * msPerChar;
        return 0;
    }
    ShowWaitCursorAtEnd();
    return 0;
}

void TgsMessageWindow::ShowWaitCursorAtEnd() {
    if (waitCursorAtEnd && m_frame != nullptr && m_frame->RevealMode() <= 1) {
        ShowWaitCursor(true);
    }
}

// --- The wait cursor ---

std::int32_t TgsMessageWindow::SetWaitCursor(TaskScheduler* scheduler, CellImage* cells,
                                             std::int32_t reserve, bool followsText) {
    if (scheduler == nullptr || cells == nullptr) {
        return 1;
    }
    StopWaitCursor();
    auto* task = new (std::nothrow) RandomStripAnimationTask;
    if (task == nullptr) {
        return 2;
    }
    if (task->Start(scheduler, cells, &WindowSprite(), 0, 0, 0, false, nullptr) != 0) {
        delete task;
        return 2;
    }
    // Hidden until a message has been shown whole.
    task->RequestPause();
    m_waitCursorTask.Reset(task);
    m_waitCursorScheduler = scheduler;
    m_waitCursorSource = cells;
    m_waitCursorReserve = reserve;
    m_waitCursorFollowsText = followsText ? 1 : 0;
    m_waitCursorShown = 0;
    return 0;
}

void TgsMessageWindow::StopWaitCursor() {
    if (m_waitCursorTask) {
        ShowWaitCursor(false);
        RandomStripAnimationTask* const task = m_waitCursorTask.Get();
        m_waitCursorTask.Reset();
        // The end state may draw a cell: the background goes back over it.
        m_waitCursorScheduler->Cancel(task);
        if (m_waitCursorSource != nullptr && m_waitCursorSource->Scratch() != nullptr &&
            WindowImage().Bits() != nullptr) {
            WindowImage().Blit(m_waitCursorSource->Scratch(), m_waitCursorSource->X(),
                               m_waitCursorSource->Y(), nullptr, false);
        }
    }
    m_waitCursorShown = 0;
}

void TgsMessageWindow::ShowWaitCursor(bool on) {
    RandomStripAnimationTask* const task = m_waitCursorTask.Get();
    if (task == nullptr || m_waitCursorSource == nullptr || on == (m_waitCursorShown != 0)) {
        return;
    }
    CellImage& cells = *m_waitCursorSource;
    if (on) {
        if (m_waitCursorFollowsText && cells.Strip() != nullptr) {
            std::int32_t x = 0;
            std::int32_t y = 0;
            GetCharOrigin(&x, &y, cells.CellWidth(), cells.Strip()->Height());
            task->Move(x, y, false);
        }
        // The window was redrawn since the cursor last showed: what lies under it now is saved.
        SaveStripBackground(cells, &WindowImage());
        task->RequestResume();
        m_waitCursorShown = 1;
        return;
    }
    task->RequestPause();
    if (Image* backup = cells.Scratch()) {
        WindowImage().Blit(backup, cells.X(), cells.Y(), nullptr, false);
        WindowSprite().InvalidateArea(RECT{cells.X(), cells.Y(), cells.X() + backup->Width(),
                                           cells.Y() + backup->Height()});
    }
    m_waitCursorShown = 0;
}

std::int32_t TgsMessageWindow::FinishReveal() {
    if (m_revealState != kPrepared && m_revealState != kRevealing) {
        return 0;
    }
    if (m_revealState == kPrepared) {
        PrepareReveal(m_revealStart);
    }
    m_revealState = kFinishing;
    Update(m_revealStart);
    return 1;
}

std::int32_t TgsMessageWindow::MeasureText(const char* text, std::int32_t size, RECT* outRect,
                                           bool runCommands, bool skipWideSpaces) {
    if (text == nullptr || size < 2 || m_font == nullptr) {
        return -1;
    }
    const std::int32_t penX = m_penX;
    const std::int32_t penY = m_penY;
    const std::uint8_t mode = m_layoutMode;
    BeginMeasure();
    const std::int32_t result = RunText(text, size, runCommands, skipWideSpaces, false);
    m_layoutMode = mode;
    m_penX = penX;
    m_penY = penY;
    if (result == -2) {
        return -2;
    }
    std::int32_t lines = 0;
    RECT box{0, 0, 0, 0};
    bool any = false;
    for (const Line& line : m_lines) {
        if (line.right == line.left && line.bottom == line.top) {
            continue;
        }
        ++lines;
        if (!any) {
            box = RECT{line.left, line.top, line.right, line.bottom};
            any = true;
        } else {
            box.left = std::min<LONG>(box.left, line.left);
            box.top = std::min<LONG>(box.top, line.top);
            box.right = std::max<LONG>(box.right, line.right);
            box.bottom = std::max<LONG>(box.bottom, line.bottom);
        }
    }
    if (outRect != nullptr) {
        *outRect = box;
    }
    return lines;
}

std::int32_t TgsMessageWindow::DrawTextAt(const char* text, std::int32_t size, std::int32_t x,
                                          std::int32_t y, bool runCommands, bool skipWideSpaces) {
    if (text == nullptr || size < 2 || m_font == nullptr) {
        return 1;
    }
    m_penX = m_marginLeft + x;
    m_penY = m_marginTop + y;
    if (runCommands) {
        BeginMeasure();
        const std::int32_t measured = RunText(text, size, true, skipWideSpaces, false);
        if (measured == -2) {
            m_layoutMode = kNormal;
            m_penX = m_startPenX;
            m_penY = m_startPenY;
            return 2;
        }
        EndMeasure(false, false);
        const std::uint8_t wrap = autoWrap;
        autoWrap = 0;
        RunText(text, size, true, skipWideSpaces, false);
        autoWrap = wrap;
        EndDraw();
        return 0;
    }
    RunText(text, size, false, skipWideSpaces, false);
    return 0;
}

void TgsMessageWindow::BeginRubySpan() {
    if (m_layoutMode == kNormal) {
        return;
    }
    m_rubySpanOpen = 1;
    m_rubySpanStart = m_vertical ? m_penY : m_penX;
}

std::int32_t TgsMessageWindow::DrawRuby(const char* text, Image* target) {
    if (m_layoutMode == kNormal) {
        return 1;
    }
    if (m_rubyFont == nullptr || text == nullptr) {
        return 2;
    }
    const std::int32_t pen = m_vertical ? m_penY : m_penX;
    const std::int32_t span =
        pen - letterSpacing - (m_rubySpanOpen ? m_rubySpanStart : LastCharPos());
    if (span <= 0) {
        m_rubySpanOpen = 0;
        return m_vertical ? 3 : 4;
    }
    const std::int32_t r = RubySize();
    const std::int32_t s = CharSize();
    if (m_layoutMode == kMeasuring) {
        Line& line = m_lines[m_measureLine];
        line.hasRuby = 1;
        const std::int32_t reach = r + rubyGap + s;
        if (m_vertical) {
            line.left = std::min(line.left, line.right - reach);
        } else if (!rubyBand) {
            line.top = std::min(line.top, line.bottom - reach);
        }
        m_rubySpanOpen = 0;
        return 0;
    }
    Image* into = target != nullptr ? target
                  : m_layoutMode == kDrawingLayer ? &m_layer
                                                  : &WindowImage();
    auto draw = [&](const char* glyphs, std::int32_t x, std::int32_t y) {
        RECT drawn{0, 0, 0, 0};
        if (m_rubyFont->Kind() == kFontAntialias) {
            static_cast<AntialiasFont*>(m_rubyFont)->DrawText(into, x, y, glyphs, &drawn, nullptr);
        } else {
            m_rubyFont->BlendString(into, x, y, glyphs, &drawn, nullptr);
        }
        if (into == &WindowImage() && drawn.right > drawn.left && drawn.bottom > drawn.top) {
            WindowSprite().InvalidateArea(drawn);
        }
    };
    std::int32_t extent[2] = {0, 0};
    m_rubyFont->TextExtent(text, extent, nullptr, nullptr, false, nullptr);
    const std::int32_t rubyLength = extent[0];
    if (!m_rubySpanOpen) {
        const std::int32_t start = LastCharPos();
        if (m_vertical) {
            draw(text, m_penX + rubyGap + r + s - m_lineHeight, start + (span - rubyLength) / 2);
        } else {
            draw(text, start + (span - rubyLength) / 2, m_penY + m_lineHeight - rubyGap - r - s);
        }
        return 0;
    }
    m_rubySpanOpen = 0;
    std::int32_t n = CountTextChars(text);
    const std::int32_t count = n == 0 ? 5 : n;
    const std::int32_t free = span - rubyLength;
    const std::int32_t gap = free / (count + 1);
    std::int32_t at = m_rubySpanStart + (free % (count + 1)) / 2 + gap;
    const std::int32_t step = gap + rubyLength / count;
    for (const char* cursor = text; *cursor != 0;) {
        const char* start = cursor;
        NextTextToken(&cursor);
        char glyph[2 + kPictureDigits + 1];
        const auto length = static_cast<std::size_t>(cursor - start);
        if (length == 0 || length >= sizeof glyph) {
            break;
        }
        std::memcpy(glyph, start, length);
        glyph[length] = 0;
        if (m_vertical) {
            draw(glyph, m_penX + rubyGap + r + s - m_lineHeight, at);
        } else {
            draw(glyph, at, m_penY + m_lineHeight - rubyGap - r - s);
        }
        at += step;
    }
    return 0;
}

// --- The typewriter reveal ---

std::int32_t TgsMessageWindow::LineLength(const Line& line) const {
    return m_vertical ? line.height : line.width;
}

void TgsMessageWindow::PrepareReveal(std::uint32_t now) {
    std::int32_t total = 0;
    std::int32_t tallest = 0;
    for (const Line& line : m_lines) {
        total += LineLength(line);
        tallest = std::max(tallest, m_vertical ? line.width : line.height);
    }
    m_revealLength = total + m_fadeWidth;
    if (m_fadeWidth > 0) {
        const std::int32_t w = m_vertical ? tallest : m_fadeWidth;
        const std::int32_t h = m_vertical ? m_fadeWidth : tallest;
        if (w > 0 && h > 0 && (m_fadeScratch.Width() != w || m_fadeScratch.Height() != h)) {
            m_fadeScratch.Create(w, h, 32, 0);
        }
    }
    m_fadePieceCount = 0;
    m_revealedTotal = 0;
    m_revealLine = 0;
    m_revealInLine = 0;
    m_revealedLast = -1;
    m_revealStart = now;
    m_revealState = kRevealing;
}

std::int32_t TgsMessageWindow::PiecesOf(std::int32_t from, std::int32_t to, Piece* out,
                                        std::int32_t limit) const {
    std::int32_t count = 0;
    std::int32_t at = 0;
    for (const Line& line : m_lines) {
        const std::int32_t length = LineLength(line);
        const std::int32_t a = std::max(from, at);
        const std::int32_t b = std::min(to, at + length);
        if (a < b) {
            if (count == limit) {
                break;
            }
            Piece& piece = out[count++];
            if (m_vertical) {
                piece = Piece{line.left, line.top + (a - at), line.width, b - a};
            } else {
                piece = Piece{line.left + (a - at), line.top, b - a, line.height};
            }
        }
        at += length;
        if (at >= to) {
            break;
        }
    }
    return count;
}

void TgsMessageWindow::DirtyLayerPiece(const Piece& piece) {
    const RECT rect{m_layerOriginX + piece.x, m_layerOriginY + piece.y,
                    m_layerOriginX + piece.x + piece.width, m_layerOriginY + piece.y + piece.height};
    WindowSprite().InvalidateArea(rect);
}

void TgsMessageWindow::BlendLayerPiece(const Piece& piece, const std::uint8_t* ramp,
                                       std::int32_t rampStart) {
    const RECT source{piece.x, piece.y, piece.x + piece.width, piece.y + piece.height};
    const std::int32_t x = m_layerOriginX + piece.x;
    const std::int32_t y = m_layerOriginY + piece.y;
    if (ramp == nullptr) {
        WindowImage().BlendRect(&m_layer, 3, 255, 0, x, y, &source);
    } else {
        Image faded;
        if (faded.Create(piece.width, piece.height, 32, 0) != 0) {
            return;
        }
        for (std::int32_t j = 0; j < piece.height; ++j) {
            const auto* from = reinterpret_cast<const std::uint32_t*>(m_layer.Row(piece.y + j)) + piece.x;
            auto* to = reinterpret_cast<std::uint32_t*>(faded.Row(j));
            for (std::int32_t i = 0; i < piece.width; ++i) {
                const std::uint32_t pixel = from[i];
                const std::uint32_t scale = ramp[rampStart + (m_vertical ? j : i)];
                const std::uint32_t alpha = (pixel >> 24) * scale / 255;
                to[i] = (pixel & 0xFFFFFFu) | (alpha << 24);
            }
        }
        WindowImage().BlendRect(&faded, 3, 255, 0, x, y, nullptr);
    }
    DirtyLayerPiece(piece);
}

void TgsMessageWindow::Uncover(std::int32_t to) {
    const std::int32_t total = m_revealLength - m_fadeWidth;
    to = std::min(to, total);
    if (to <= m_revealedTotal) {
        return;
    }
    std::int32_t at = 0;
    for (const Line& line : m_lines) {
        const std::int32_t length = LineLength(line);
        Piece piece;
        if (PiecesOf(std::max(m_revealedTotal, at), std::min(to, at + length), &piece, 1) == 1) {
            BlendLayerPiece(piece, nullptr, 0);
        }
        at += length;
        if (at >= to) {
            break;
        }
    }
    m_revealedTotal = to;
    at = 0;
    m_revealLine = 0;
    for (const Line& line : m_lines) {
        if (to < at + LineLength(line)) {
            break;
        }
        at += LineLength(line);
        ++m_revealLine;
    }
    m_revealInLine = to - at;
}

void TgsMessageWindow::RestoreFadePieces() {
    std::int32_t at = 0;
    for (std::int32_t i = 0; i < m_fadePieceCount; ++i) {
        const Piece& piece = m_fadePieces[i];
        const RECT saved = m_vertical ? RECT{0, at, piece.width, at + piece.height}
                                      : RECT{at, 0, at + piece.width, piece.height};
        WindowImage().Blit(&m_fadeScratch, m_layerOriginX + piece.x, m_layerOriginY + piece.y,
                           &saved, false);
        DirtyLayerPiece(piece);
        at += m_vertical ? piece.height : piece.width;
    }
    m_fadePieceCount = 0;
}

void TgsMessageWindow::DrawFade(std::int32_t position) {
    const std::int32_t total = m_revealLength - m_fadeWidth;
    const std::int32_t start = position - m_fadeWidth;
    if (m_fadeWidth <= 0 || !m_fadeScratch.Bits()) {
        return;
    }
    m_fadePieceCount = PiecesOf(std::max(start, 0), std::min(position, total), m_fadePieces, 4);
    const auto* ramp = static_cast<const std::uint8_t*>(m_fadeRamp.Entries());
    std::int32_t at = 0;
    std::int32_t distance = std::max(start, 0) - start;
    for (std::int32_t i = 0; i < m_fadePieceCount; ++i) {
        const Piece& piece = m_fadePieces[i];
        const RECT under{m_layerOriginX + piece.x, m_layerOriginY + piece.y,
                         m_layerOriginX + piece.x + piece.width,
                         m_layerOriginY + piece.y + piece.height};
        // Saved first: the blend does not undo, the next frame puts these pixels back.
        if (m_vertical) {
            m_fadeScratch.Blit(&WindowImage(), 0, at, &under, false);
        } else {
            m_fadeScratch.Blit(&WindowImage(), at, 0, &under, false);
        }
        if (ramp != nullptr) {
            BlendLayerPiece(piece, ramp, distance);
        }
        const std::int32_t length = m_vertical ? piece.height : piece.width;
        at += length;
        distance += length;
    }
}

std::int32_t TgsMessageWindow::Update(std::uint32_t now) {
    if (m_revealState == kPrepared) {
        PrepareReveal(now);
    }
    if (m_revealState != kRevealing && m_revealState != kFinishing) {
        return 0;
    }
    const auto elapsed = static_cast<std::int32_t>(now - m_revealStart);
    if (m_revealState == kFinishing || elapsed >= m_revealDuration) {
        RestoreFadePieces();
        Uncover(m_revealLength - m_fadeWidth);
        m_revealState = kIdle;
        ShowWaitCursorAtEnd();
        return 0;
    }
    const std::int32_t position =
        elapsed <= 0 ? 0
                     : static_cast<std::int32_t>(static_cast<double>(elapsed) /
                                                 m_revealDuration * m_revealLength);
    if (position != m_revealedLast) {
        RestoreFadePieces();
        Uncover(position - m_fadeWidth);
        DrawFade(position);
        m_revealedLast = position;
    }
    return 0;
}
