// What the TGS message window tests share: the text window fixture (real qmxgl, a sprite list),
// a fixed-metric font, a recording frame and a window that records the pieces its reveal blends.
#pragma once

#include <cstring>
#include <map>
#include <vector>

#include "framework/interfaces/task_scheduling.h"
#include "graphics/data/cell_image.h"
#include "scenario/text/tgs_message_frame.h"
#include "scenario/text/tgs_message_window.h"
#include "tests/scenario/text/box_font.h"
#include "tests/scenario/text/text_window_fixture.h"
#include "tests/support/tgs_text_block_writer.h"

namespace texttest {

// The in-text command that breaks the line, as the scenario's op 14 does.
constexpr std::uint32_t kNewLineOp = 14;

class RecordingFrame : public TgsMessageFrame {
public:
    std::int32_t RunTextCommand(const std::uint8_t* block, std::uint32_t size) override {
        std::uint32_t op = 0;
        std::memcpy(&op, block + 6, 4);
        commands.push_back(op);
        sizes.push_back(size);
        if (op == kNewLineOp && window != nullptr) window->NewLine();
        const auto it = results.find(op);
        return it != results.end() ? it->second : 0;
    }
    std::int32_t RevealMode() override { return revealMode; }
    void RestoreMessageFont() override { ++restores; }

    TgsMessageWindow* window = nullptr;
    std::map<std::uint32_t, std::int32_t> results;
    std::vector<std::uint32_t> commands;
    std::vector<std::uint32_t> sizes;
    std::int32_t revealMode = 0;
    std::int32_t restores = 0;
};

// Records every piece the reveal blends: plain (uncovered) or through the ramp (the edge).
class PieceRecordingWindow : public TgsMessageWindow {
public:
    struct Blend {
        Piece piece;
        bool edge;
    };
    std::vector<Blend> blends;

protected:
    void BlendLayerPiece(const Piece& piece, const std::uint8_t* ramp,
                         std::int32_t rampStart) override {
        blends.push_back({piece, ramp != nullptr});
        TgsMessageWindow::BlendLayerPiece(piece, ramp, rampStart);
    }
};

class TgsMessageWindowTest : public TextWindowTest {
protected:
    void TearDown() override {
        message.Release();
        message.ReleaseSkinImages(false);
        TextWindowTest::TearDown();
    }

    // A window of width x height at (0, 0) with the 16-pixel box font, margins 8, line pitch 20.
    void MakeMessage(std::int32_t width, std::int32_t height) {
        ASSERT_EQ(0, message.Create(&list, 10, width, height, 0, 0, &box, nullptr, 0));
        message.SetFrame(&frame);
        frame.window = &message;
    }
    // A self-sizing window: a nine-slice skin of 1 x 1 tiles, no automatic breaks.
    void MakeSelfSizing(Font* font) {
        ASSERT_EQ(0, skin.Create(24, 24, 32, 0));
        skin.FillValue(0xFF204060u, nullptr);
        skin.SetHasAlpha(true);
        ASSERT_TRUE(message.SetNineSlice(9, 9, 1, 1));
        ASSERT_EQ(0, message.SetSkinImagesFrom(&skin, nullptr, nullptr, false));
        ASSERT_EQ(0, message.Create(&list, 10, 1, 1, 0, 0, font, nullptr, 0));
        message.autoWrap = 0;
        message.SetFrame(&frame);
        frame.window = &message;
    }
    void SetMessage(const testsupport::TgsTextWriter& text) {
        ASSERT_EQ(0, message.SetText(text.Data(), text.Size()));
    }

    // A wait cursor of two 8 x 8 cells (green, blue) of 100 ms, blended, with a backup, on the
    // window's image.
    void MakeCursor() {
        ASSERT_EQ(0, cursorStrip.Create(16, 8, 32, 0));
        cursorStrip.FillValueXywh(0, 0, 8, 8, 0xFF00FF00u);
        cursorStrip.FillValueXywh(8, 0, 8, 8, 0xFF0000FFu);
        ASSERT_EQ(0, cursor.Attach(&cursorStrip, 2, 100, nullptr, &message.WindowImage(), 0, 0, 0,
                                   1, 1));
    }

    BoxFont box{16};
    Image skin;
    TaskScheduler scheduler{clock};
    Image cursorStrip;
    CellImage cursor;
    RecordingFrame frame;
    PieceRecordingWindow message;
};

}  // namespace texttest
