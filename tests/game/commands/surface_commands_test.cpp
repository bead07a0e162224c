// The surface and transition commands as script programs on a real screen device (no window,
// no DirectDraw object: the DirectDraw and texture kinds are refused as the device refuses
// them), with the BMP loader in an image host and a transition registry of the test's whose
// transitions count their lives.
#include "game/commands/surface_commands.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "effects/transitions/transition_routines.h"
#include "framework/images/bmp_image_loader.h"
#include "framework/images/image_loader_host.h"
#include "framework/plugins/transition_registry.h"
#include "game/commands/command_services.h"
#include "game/commands/screen_command_services.h"
#include "game/commands/transition_commands.h"
#include "graphics/device/screen_device.h"
#include "graphics/image/image.h"
#include "graphics/interfaces/screen_buffer.h"
#include "graphics/sprites/canvas.h"
#include "graphics/surfaces/direct_draw_image.h"
#include "graphics/surfaces/gdi_screen.h"
#include "tests/game/commands/script_call_program.h"
#include "tests/graphics/poisoning_delete.h"
#include "tests/support/dib_writer.h"
#include "tests/support/file_tree_writer.h"
#include "tests/support/stub_plugin_objects.h"

#include <gtest/gtest.h>

namespace {

using commandtest::CallProgram;
using commandtest::ProgramRun;

std::string Var(int n) { return "var:" + std::to_string(n); }
std::string Num(std::int64_t value) { return std::to_string(static_cast<std::uint32_t>(value)); }

// A screen transition whose lives are counted: made by the registry, deleted once by its last
// holder. Its kind is the entry's create argument; Status answers 1 from the frame given by the
// first parameter word on (0: never).
class CountedTransition final : public testsupport::StubTransition<CountedTransition> {
public:
    explicit CountedTransition(std::uint8_t kind) : m_kind(kind) { ++made; }
    ~CountedTransition() { ++deleted; }
    std::uint8_t XM_METHOD Kind() override { return m_kind; }
    const char* XM_METHOD Name() override { return "counted"; }
    std::int32_t XM_METHOD Setup(ScreenBuffer*, const std::int32_t* params) override {
        m_endAt = params[0];
        return 0;
    }
    std::int32_t XM_METHOD Status() override { return m_endAt > 0 && ++m_frames >= m_endAt ? 1 : 0; }

    static int made;
    static int deleted;

private:
    std::uint8_t m_kind;
    std::int32_t m_endAt = 0;
    std::int32_t m_frames = 0;
};
int CountedTransition::made = 0;
int CountedTransition::deleted = 0;

TransCallback* XM_CDECL CreateCounted(std::int32_t kind) { return new CountedTransition(static_cast<std::uint8_t>(kind)); }

class SurfaceCommands : public ::testing::Test {
protected:
    void SetUp() override {
        AttachCommandScreenDevice(&m_device);
        ScreenServices().transitions = &m_transitions;
        ASSERT_EQ(0, m_transitions.RegisterBuiltin(CreateCounted, "counted0", 0, 0, nullptr, nullptr));
        ASSERT_EQ(0, m_transitions.RegisterBuiltin(CreateCounted, "counted2", 0, 2, nullptr, nullptr));
        CountedTransition::made = 0;
        CountedTransition::deleted = 0;
        ASSERT_EQ(0, m_window.Create(64, 64, 32, kImageDibSection));
        ASSERT_EQ(0, m_images.RegisterBuiltin(new BmpImageLoader, BmpImageLoader::kExtensions,
                                              BmpImageLoader::kTypeString, 1, nullptr, nullptr, nullptr));
        g_imageLoaderHost = &m_images;
    }
    void TearDown() override {
        m_device.DestroyAllObjects();
        AttachCommandScreenDevice(nullptr);
        ScreenServices().transitions = nullptr;
        g_imageLoaderHost = nullptr;
    }

    Surface* SurfaceOf(std::uint32_t word) { return m_device.FindSurface(word); }
    ScreenBuffer* ScreenOf(std::uint32_t word) { return m_device.FindScreenBuffer(word); }
    // One frame of a GDI screen (a transition frame while one runs) into the test's window image.
    std::int32_t Frame(std::uint32_t gdiScreen) {
        return static_cast<GdiScreen*>(SurfaceOf(gdiScreen))->Present(nullptr, m_window.MemoryDc(), nullptr, 0, true);
    }

    ScreenDevice m_device;
    TransitionRegistry m_transitions;
    ImageLoaderHost m_images;
    Image m_window;
};

// A small 32-bit BMP as the words of a `.word` list.
std::string BmpWords(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> padded = bytes;
    padded.resize((padded.size() + 3) / 4 * 4, 0);
    std::string list;
    for (std::size_t i = 0; i < padded.size(); i += 4) {
        std::uint32_t word;
        std::memcpy(&word, &padded[i], 4);
        list += (list.empty() ? "" : ", ") + std::to_string(word);
    }
    return list;
}

testsupport::DibLayout Picture(std::int32_t bitCount, std::int32_t width, std::int32_t height) {
    testsupport::DibLayout layout;
    layout.bitCount = bitCount;
    layout.width = width;
    for (std::int32_t y = 0; y < height; ++y) {
        std::vector<std::uint32_t> row;
        for (std::int32_t x = 0; x < width; ++x) row.push_back(bitCount == 8 ? (x + y) & 3 : 0x102030u * (x + 1));
        layout.rows.push_back(row);
    }
    if (bitCount == 8) layout.palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    return layout;
}

// Every creation that the device can serve without DirectDraw, each read back by kind and size
// (the size also through 244 and 245).
TEST_F(SurfaceCommands, CreationsMakeSurfacesOfTheirKindAndSize) {
    ProgramRun run(40);
    const std::string bmp = run.File("PIC.BMP");
    const std::string indexed = run.File("IDX.BMP");
    testsupport::WriteFile(bmp, testsupport::BmpFile(Picture(24, 6, 5)));
    testsupport::WriteFile(indexed, testsupport::BmpFile(Picture(8, 7, 3)));
    CallProgram p;
    const std::string inMemory = p.Word(BmpWords(testsupport::BmpFile(Picture(24, 3, 2))));
    const std::string indexedInMemory = p.Word(BmpWords(testsupport::BmpFile(Picture(8, 5, 4))));
    const std::uint32_t bmpSize = static_cast<std::uint32_t>(testsupport::BmpFile(Picture(24, 3, 2)).size());
    const std::uint32_t indexedSize = static_cast<std::uint32_t>(testsupport::BmpFile(Picture(8, 5, 4)).size());
    struct Case {
        const char* what;
        int opcode;
        std::vector<std::string> words;
        SurfaceKind kind;
        std::int32_t width;
        std::int32_t height;
    };
    const std::vector<Case> cases = {
        {"image, 32 bits", 231, {"16", "8", "32", "0"}, kSurfacePixelBuffer, 16, 8},
        {"image, 8 bits, DIB section", 231, {"5", "3", "8", "1"}, kSurfacePixelBuffer, 5, 3},
        {"image from a file", 232, {p.Text(bmp), "0"}, kSurfacePixelBuffer, 6, 5},
        {"indexed image from a file", 233, {p.Text(indexed), "0"}, kSurfacePixelBuffer, 7, 3},
        {"image from memory", 234, {inMemory, Num(bmpSize), "0"}, kSurfacePixelBuffer, 3, 2},
        {"indexed image from memory", 235, {indexedInMemory, Num(indexedSize), "0"}, kSurfacePixelBuffer, 5, 4},
        {"copy of the first image", 237, {"@var:0", "0"}, kSurfacePixelBuffer, 16, 8},
        {"GDI screen", 238, {"20", "10", "32", "2"}, kSurfaceGdiScreen, 20, 10},
        {"memory screen", 239, {"12", "6", "8", "1"}, kSurfaceMemoryScreen, 12, 6},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const int v = static_cast<int>(3 * i);
        p.Call(cases[i].opcode, cases[i].words, Var(v));
        p.Call(244, {"@" + Var(v)}, Var(v + 1));
        p.Call(245, {"@" + Var(v)}, Var(v + 2));
    }
    ASSERT_EQ(kStepEnded, run.Run(p));
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].what);
        const int v = static_cast<int>(3 * i);
        Surface* const made = SurfaceOf(static_cast<std::uint32_t>(run.Var(v)));
        ASSERT_NE(nullptr, made);
        EXPECT_EQ(cases[i].kind, made->Kind());
        EXPECT_EQ(cases[i].width, made->Width());
        EXPECT_EQ(cases[i].height, made->Height());
        EXPECT_EQ(cases[i].width, run.Var(v + 1));
        EXPECT_EQ(cases[i].height, run.Var(v + 2));
    }
    EXPECT_EQ(static_cast<std::int32_t>(cases.size()), m_device.SurfaceCount());
}

// Refused creations answer 0 and list nothing: sizes at the edges, a texture code Wine's device
// has no format for, a missing file, data ranges running past their region, the DirectDraw
// kinds without a DirectDraw object, a copy of a word that is no image.
TEST_F(SurfaceCommands, RefusedCreationsAnswerZeroAndListNothing) {
    ProgramRun run(40);
    CallProgram p;
    p.Last("Lend: .word 0\n");
    const std::string missing = p.Text(run.File("NONE.BMP"));
    const std::vector<std::pair<int, std::vector<std::string>>> calls = {
        {231, {"0", "8", "32", "0"}},          {231, {"8", "-1", "32", "0"}},
        {231, {"2147483647", "2147483647", "32", "0"}}, {231, {"8", "8", "16", "0"}},
        {238, {"0", "0", "32", "1"}},          {238, {"-1", "-1", "32", "1"}},
        {238, {"2147483647", "1", "32", "1"}}, {239, {"0", "4", "32", "1"}},
        {239, {"65535", "65535", "32", "1"}},  {222, {"8", "8"}},
        {226, {"8", "8", "32", "1"}},          {230, {"16", "8", "8", "32", "1"}},
        {232, {missing, "0"}},                 {233, {missing, "0"}},
        {223, {missing}},                      {227, {"32", missing}},
        {234, {"Lend", "8", "0"}},             {235, {"Lend+2", "4", "0"}},
        {234, {"Lend", "-1", "0"}},            {224, {"Lend", "5"}},
        {228, {"32", "Lend", "4096"}},         {237, {"Lend", "0"}},
        {225, {"0", "0"}},                     {236, {"Lend+4", "0", "0"}},
    };
    for (std::size_t i = 0; i < calls.size(); ++i) p.Call(calls[i].first, calls[i].second, Var(static_cast<int>(i)));
    // A canary, so that a result left at 0 by a call that never ran does not pass.
    p.Line("mov 7, " + Var(39));
    ASSERT_EQ(kStepEnded, run.Run(p));
    for (std::size_t i = 0; i < calls.size(); ++i)
        EXPECT_EQ(0, run.Var(static_cast<std::uint32_t>(i))) << "call " << i << " (opcode " << calls[i].first << ")";
    EXPECT_EQ(7, run.Var(39));
    EXPECT_EQ(0, m_device.SurfaceCount());
}

// 240-251 on a software image, a GDI screen, a memory screen and words that name nothing.
TEST_F(SurfaceCommands, QueriesKeysAndFillsPerKind) {
    ProgramRun run(40);
    CallProgram p;
    p.Call(231, {"4", "3", "32", "2"}, Var(0));
    p.Call(238, {"6", "5", "32", "1"}, Var(1));
    p.Call(239, {"7", "2", "32", "0"}, Var(2));
    // Fills: 0 for each software kind, -1 for nothing.
    p.Call(251, {"@var:0", "1", "2", "3"}, Var(3));
    p.Call(251, {"@var:1", "4", "5", "6"}, Var(4));
    p.Call(251, {"@var:2", "7", "8", "9"}, Var(5));
    p.Call(251, {"0", "7", "8", "9"}, Var(6));
    p.Call(251, {"12345", "7", "8", "9"}, Var(7));
    // Keys: the image's answers, -1 for nothing.
    p.Call(247, {"@var:0", "1", "2", "3"}, Var(8));
    p.Call(246, {"@var:1", "0", "0"}, Var(9));
    p.Call(248, {"@var:0"}, Var(10));
    p.Call(247, {"0", "1", "2", "3"}, Var(11));
    p.Call(246, {"0", "0", "0"}, Var(12));
    p.Call(248, {"0"}, Var(13));
    // Null surfaces: 0.
    p.Call(244, {"0"}, Var(14));
    p.Call(245, {"99"}, Var(15));
    p.Call(249, {"0"}, Var(16));
    p.Call(250, {"0"}, Var(17));
    // Dirty tracking: off on the image, on the screen word (no software image) 0.
    p.Call(240, {"@var:0", "0"}, Var(18));
    p.Call(240, {"@var:1", "1"}, Var(19));
    p.Line("mov 7, var:39");
    ASSERT_EQ(kStepEnded, run.Run(p));

    EXPECT_EQ(0, run.Var(3));
    EXPECT_EQ(0, run.Var(4));
    EXPECT_EQ(0, run.Var(5));
    EXPECT_EQ(-1, run.Var(6));
    EXPECT_EQ(-1, run.Var(7));
    Image* const image = m_device.FindImage(static_cast<std::uint32_t>(run.Var(0)));
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(0x010203u, image->GetPixel(3, 2) & 0xFFFFFF);
    EXPECT_EQ(0x040506u, ScreenOf(static_cast<std::uint32_t>(run.Var(1)))->GetImage()->GetPixel(5, 4) & 0xFFFFFF);
    EXPECT_EQ(0x070809u, ScreenOf(static_cast<std::uint32_t>(run.Var(2)))->GetImage()->GetPixel(0, 1) & 0xFFFFFF);

    EXPECT_EQ(0, run.Var(8));
    EXPECT_EQ(0, run.Var(9));
    EXPECT_EQ(0, run.Var(10));
    EXPECT_EQ(-1, image->ColourKey()) << "cleared by 248";
    EXPECT_NE(-1, SurfaceOf(static_cast<std::uint32_t>(run.Var(1)))->ColourKey()) << "keyed by 246";
    for (int v = 11; v <= 13; ++v) EXPECT_EQ(-1, run.Var(v)) << v;
    for (int v = 14; v <= 17; ++v) EXPECT_EQ(0, run.Var(v)) << v;
    EXPECT_EQ(1, run.Var(18));
    EXPECT_EQ(nullptr, image->GetDirtyRegion());
    EXPECT_EQ(0, run.Var(19));
    EXPECT_EQ(7, run.Var(39));
}

// 241/242 round trip: the game screen is pinned (243 then answers 3); a word of another kind
// leaves it. 243's other answers: 0 released (the variable cleared), 1 null, 2 not listed.
TEST_F(SurfaceCommands, GameScreenRoundTripAndReleaseAnswers) {
    ProgramRun run(40);
    CallProgram p;
    p.Call(238, {"8", "6", "32", "1"}, Var(0));
    p.Call(231, {"3", "3", "32", "0"}, Var(1));
    p.Call(242, {"@var:0"}, Var(2));
    p.Call(241, {}, Var(3));
    p.Call(242, {"@var:1"}, Var(4));
    p.Call(241, {}, Var(5));
    p.Call(243, {"var:0"}, Var(6));
    p.Line("copy var:1, var:10");
    p.Call(243, {"var:1"}, Var(7));
    p.Call(243, {"var:1"}, Var(8));
    p.Call(243, {"var:10"}, Var(9));
    p.Call(243, {"0"}, Var(11));
    p.Line("mov 7, var:39");
    ASSERT_EQ(kStepEnded, run.Run(p));
    const std::uint32_t screen = static_cast<std::uint32_t>(run.Var(0));
    EXPECT_EQ(0, run.Var(2));
    EXPECT_EQ(run.Var(0), run.Var(3));
    EXPECT_EQ(1, run.Var(4));
    EXPECT_EQ(run.Var(0), run.Var(5));
    EXPECT_TRUE(m_device.IsPinned(screen));
    EXPECT_EQ(8, m_device.gameRect.right);
    EXPECT_EQ(3, run.Var(6)) << "the game screen is pinned";
    EXPECT_NE(nullptr, SurfaceOf(screen));
    EXPECT_EQ(0, run.Var(7));
    EXPECT_EQ(0, run.Var(1)) << "the released surface's variable";
    EXPECT_EQ(1, run.Var(8)) << "a variable holding 0";
    EXPECT_EQ(2, run.Var(9)) << "a stale word";
    EXPECT_EQ(1, run.Var(11)) << "no variable";
    EXPECT_EQ(7, run.Var(39));
    EXPECT_EQ(1, m_device.SurfaceCount());
    m_device.AttachGameImage(nullptr);
}

// 252's refusals: routines outside 0..86 compared unsigned, a null or unusable target or
// source. And the image path against the routine driver for the routines 71 to 82, with a
// screen's back buffer on one side.
TEST_F(SurfaceCommands, DrawTransitionRefusalsAndTheImagePath) {
    ProgramRun run(40);
    CallProgram p;
    p.Call(231, {"8", "4", "32", "0"}, Var(0));
    p.Call(238, {"8", "4", "32", "0"}, Var(1));
    p.Call(252, {"87", "@var:0", "@var:1", "128", "0", "0", "0"}, Var(2));
    p.Call(252, {"-1", "@var:0", "@var:1", "128", "0", "0", "0"}, Var(3));
    p.Call(252, {"0x80000000", "@var:0", "@var:1", "128", "0", "0", "0"}, Var(4));
    p.Call(252, {"71", "0", "@var:1", "128", "0", "0", "0"}, Var(5));
    p.Call(252, {"71", "@var:0", "0", "128", "0", "0", "0"}, Var(6));
    p.Call(252, {"71", "@var:0", "555", "128", "0", "0", "0"}, Var(7));
    p.Line("mov 7, var:39");
    ASSERT_EQ(kStepEnded, run.Run(p));
    for (int v = 2; v <= 7; ++v) EXPECT_EQ(-1, run.Var(v)) << v;
    EXPECT_EQ(7, run.Var(39));

    const std::uint32_t imageWord = static_cast<std::uint32_t>(run.Var(0));
    const std::uint32_t screenWord = static_cast<std::uint32_t>(run.Var(1));
    Image* const image = m_device.FindImage(imageWord);
    Image* const back = ScreenOf(screenWord)->GetImage();
    int drawn = 0;
    for (std::int32_t routine = 71; routine <= 82; ++routine) {
        SCOPED_TRACE(routine);
        // The same pictures by hand: a copy of each, drawn by the driver.
        Image expectedDestination;
        Image expectedSource;
        image->FillRect(10, 20, 30, nullptr);
        back->FillRect(200, 100, 50, nullptr);
        const RECT corner = {0, 0, 3, 2};
        back->FillRect(1, 2, 3, &corner);
        ASSERT_EQ(0, expectedDestination.CopyFrom(image, 0));
        ASSERT_EQ(0, expectedSource.CopyFrom(back, 0));
        const std::int32_t expected =
            RunTransitionEffect(routine, &expectedDestination, &expectedSource, 200, 1, 2, 0, nullptr);
        std::uint32_t block[7] = {static_cast<std::uint32_t>(routine), imageWord, screenWord, 200, 1, 2, 0};
        EXPECT_EQ(static_cast<std::uint32_t>(expected), CmdDrawTransition(block));
        for (std::int32_t y = 0; y < 4; ++y)
            for (std::int32_t x = 0; x < 8; ++x)
                ASSERT_EQ(expectedDestination.GetPixel(x, y), image->GetPixel(x, y)) << x << "," << y;
        bool changed = false;
        for (std::int32_t y = 0; y < 4; ++y)
            for (std::int32_t x = 0; x < 8; ++x) changed = changed || (image->GetPixel(x, y) & 0xFFFFFF) != 0x0A141E;
        drawn += changed;
    }
    // The comparison means something only where the routines drew.
    EXPECT_GE(drawn, 6);
}

// 253-255: partners of the same size only, 254 answers only a memory-screen partner, and the
// three swap modes.
TEST_F(SurfaceCommands, PartnersAndSwaps) {
    ProgramRun run(40);
    CallProgram p;
    p.Call(238, {"8", "4", "32", "1"}, Var(0));
    p.Call(239, {"8", "4", "32", "1"}, Var(1));
    p.Call(238, {"9", "4", "32", "1"}, Var(2));
    p.Call(231, {"8", "4", "32", "0"}, Var(3));
    p.Call(238, {"8", "4", "32", "1"}, Var(4));
    p.Call(254, {"@var:0"}, Var(5));
    p.Call(253, {"@var:0", "@var:2"}, Var(6));
    p.Call(253, {"@var:0", "@var:3"}, Var(7));
    p.Call(253, {"@var:3", "@var:0"}, Var(8));
    p.Call(253, {"@var:0", "@var:1"}, Var(9));
    p.Call(254, {"@var:0"}, Var(10));
    p.Call(253, {"@var:4", "@var:0"}, Var(11));
    p.Call(254, {"@var:4"}, Var(12));
    p.Call(254, {"@var:3"}, Var(13));
    p.Call(255, {"@var:3", "1"}, Var(14));
    p.Line("mov 7, var:39");
    ASSERT_EQ(kStepEnded, run.Run(p));
    EXPECT_EQ(0, run.Var(5)) << "no partner";
    EXPECT_EQ(1, run.Var(6)) << "another width";
    EXPECT_EQ(-1, run.Var(7));
    EXPECT_EQ(-1, run.Var(8));
    EXPECT_EQ(0, run.Var(9));
    EXPECT_EQ(run.Var(1), run.Var(10)) << "a memory screen";
    EXPECT_EQ(0, run.Var(11));
    EXPECT_EQ(0, run.Var(12)) << "a GDI screen partner is not answered";
    EXPECT_EQ(0, run.Var(13));
    EXPECT_EQ(0, run.Var(14));
    EXPECT_EQ(7, run.Var(39));

    // The swaps between screen 0 and its partner, the memory screen.
    const std::uint32_t a = static_cast<std::uint32_t>(run.Var(0));
    const std::uint32_t b = static_cast<std::uint32_t>(run.Var(1));
    Canvas* const canvasA = ScreenOf(a)->GetCanvas();
    Canvas* const canvasB = ScreenOf(b)->GetCanvas();
    canvasA->SetBackgroundColour(0x111111, false);
    canvasB->SetBackgroundColour(0x222222, false);
    struct Case {
        std::uint32_t mode;
        bool canvasesSwapped;
        std::uint32_t colourOfA;  // of the canvas A then has
    };
    const Case cases[] = {{1, false, 0x222222}, {0, true, 0x111111}, {2, true, 0x111111}, {0x101, false, 0x222222}};
    bool swapped = false;
    std::uint32_t colourA = 0x111111;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        std::uint32_t block[2] = {a, c.mode};
        ASSERT_EQ(1u, CmdSwapWithPartner(block));
        swapped = swapped != c.canvasesSwapped;
        colourA = c.colourOfA;
        EXPECT_EQ(swapped ? canvasB : canvasA, ScreenOf(a)->GetCanvas());
        EXPECT_EQ(ScreenOf(a)->GetImage(), ScreenOf(a)->GetCanvas()->Target());
        EXPECT_EQ(ScreenOf(b)->GetImage(), ScreenOf(b)->GetCanvas()->Target());
        EXPECT_EQ(colourA, ScreenOf(a)->GetCanvas()->Colour() & 0xFFFFFF);
    }
}

// 256's refusals, each of which leaves no transition alive; then a start that runs to its end
// through the screen's frames, with 258 and 259 on the way.
TEST_F(SurfaceCommands, StartTransitionRefusalsDropTheTransitionAndAStartRunsToItsEnd) {
    ProgramRun run(40);
    CallProgram p;
    p.Call(238, {"8", "4", "32", "1"}, Var(0));   // canvas, partner below
    p.Call(238, {"8", "4", "32", "0"}, Var(1));   // no canvas
    p.Call(238, {"8", "4", "32", "1"}, Var(2));   // canvas, no partner
    p.Call(239, {"8", "4", "32", "0"}, Var(3));   // a partner without canvas
    p.Call(238, {"8", "4", "32", "1"}, Var(4));   // partner with canvas
    p.Call(231, {"8", "4", "32", "0"}, Var(5));
    p.Call(253, {"@var:1", "@var:4"}, "0");
    p.Call(253, {"@var:0", "@var:3"}, "0");
    const std::string counted0 = p.Text("counted0");
    const std::string counted2 = p.Text("counted2");
    p.Call(256, {"@var:5", counted0, "0", "0", "0"}, Var(10));
    p.Call(256, {"@var:0", p.Text("nothing"), "0", "0", "0"}, Var(11));
    p.Call(256, {"@var:1", counted0, "0", "0", "0"}, Var(12));
    p.Call(256, {"@var:2", counted0, "0", "0", "0"}, Var(13));
    p.Call(256, {"@var:0", counted0, "1", "0", "0"}, Var(14));
    p.Call(256, {"@var:0", counted2, "2", "0", "0"}, Var(15));
    p.Call(259, {"@var:0"}, Var(16));
    // The start: kind 0 on the pictures as they are, ending at its third frame.
    p.Call(253, {"@var:0", "@var:4"}, "0");
    p.Call(256, {"@var:0", counted0, "0", "1", "3"}, Var(17));
    p.Call(258, {"@var:0"}, Var(18));
    p.Call(259, {"@var:0"}, Var(19));
    p.Call(258, {"@var:5"}, Var(20));
    p.Line("mov 7, var:39");
    ASSERT_EQ(kStepEnded, run.Run(p));
    EXPECT_EQ(-1, run.Var(10));
    EXPECT_EQ(-2, run.Var(11));
    EXPECT_EQ(1, run.Var(12));
    EXPECT_EQ(2, run.Var(13));
    EXPECT_EQ(3, run.Var(14));
    EXPECT_EQ(4, run.Var(15));
    EXPECT_EQ(0, run.Var(16)) << "no work image before a start";
    EXPECT_EQ(5, CountedTransition::made) << "one for each refusal past the name, one for the start";
    EXPECT_EQ(0, run.Var(17));
    EXPECT_EQ(1, run.Var(18));
    const std::uint32_t screen = static_cast<std::uint32_t>(run.Var(0));
    EXPECT_EQ(static_cast<std::uint32_t>(run.Var(19)),
              static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(static_cast<Surface*>(ScreenOf(screen)->GetTransitionImage()))));
    EXPECT_EQ(0, run.Var(20));
    EXPECT_EQ(7, run.Var(39));
    EXPECT_EQ(4, CountedTransition::deleted) << "every refused transition is gone; the started one lives";

    for (int frame = 0; frame < 3; ++frame) EXPECT_EQ(0, Frame(screen)) << frame;
    EXPECT_FALSE(ScreenOf(screen)->InTransition());
    EXPECT_EQ(5, CountedTransition::deleted);
    std::uint32_t block[1] = {screen};
    EXPECT_EQ(0u, CmdIsScreenTransitionRunning(block));
}

// 257 ends the transition with the flag 256 gave it: on scenes the flag swaps the canvases.
TEST_F(SurfaceCommands, EndTransitionPassesTheStartFlag) {
    for (const char* flag : {"0", "1"}) {
        SCOPED_TRACE(flag);
        ProgramRun run(40);
        CallProgram p;
        p.Call(238, {"8", "4", "32", "1"}, Var(0));
        p.Call(238, {"8", "4", "32", "1"}, Var(1));
        p.Call(253, {"@var:0", "@var:1"}, "0");
        p.Call(256, {"@var:0", p.Text("counted2"), "1", flag, "0"}, Var(2));
        ASSERT_EQ(kStepEnded, run.Run(p));
        ASSERT_EQ(0, run.Var(2));
        const std::uint32_t a = static_cast<std::uint32_t>(run.Var(0));
        const std::uint32_t b = static_cast<std::uint32_t>(run.Var(1));
        Canvas* const canvasA = ScreenOf(a)->GetCanvas();
        Canvas* const canvasB = ScreenOf(b)->GetCanvas();
        std::uint32_t block[1] = {a};
        EXPECT_EQ(1u, CmdEndScreenTransition(block));
        EXPECT_FALSE(ScreenOf(a)->InTransition());
        EXPECT_EQ(flag[0] == '1' ? canvasB : canvasA, ScreenOf(a)->GetCanvas());
        std::uint32_t other[1] = {12345};
        EXPECT_EQ(0u, CmdEndScreenTransition(other));
        EXPECT_EQ(0u, CmdIsScreenTransitionRunning(other));
        EXPECT_EQ(0u, CmdGetTransitionWorkImage(other));
        m_device.DestroyAllObjects();
    }
    EXPECT_EQ(CountedTransition::made, CountedTransition::deleted);
}

// Releasing a screen that is another's partner mid-transition: the other ends its transition
// and drops the partner, so its frames never read the freed screen (every freed block is
// poisoned and kept, so a read of the partner would find 0xDD).
TEST_F(SurfaceCommands, ReleasingAPartnerMidTransitionLeavesSafeFrames) {
    testsupport::PoisonFreedMemory poison;
    ProgramRun run(40);
    CallProgram p;
    p.Call(238, {"8", "4", "32", "1"}, Var(0));
    p.Call(238, {"8", "4", "32", "1"}, Var(1));
    p.Call(253, {"@var:0", "@var:1"}, "0");
    p.Call(256, {"@var:0", p.Text("counted0"), "1", "1", "0"}, Var(2));
    p.Call(258, {"@var:0"}, Var(3));
    p.Call(243, {"var:1"}, Var(4));
    p.Call(258, {"@var:0"}, Var(5));
    p.Call(254, {"@var:0"}, Var(6));
    ASSERT_EQ(kStepEnded, run.Run(p));
    EXPECT_EQ(0, run.Var(2));
    EXPECT_EQ(1, run.Var(3));
    EXPECT_EQ(0, run.Var(4));
    EXPECT_EQ(0, run.Var(5)) << "the transition ended with its partner";
    EXPECT_EQ(0, run.Var(6));
    const std::uint32_t screen = static_cast<std::uint32_t>(run.Var(0));
    EXPECT_EQ(nullptr, ScreenOf(screen)->GetAlternate());
    EXPECT_EQ(1, CountedTransition::deleted);
    for (int frame = 0; frame < 3; ++frame) Frame(screen);
    // A new start finds no partner.
    std::uint32_t block[5] = {screen, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>("counted0")), 0, 0, 0};
    EXPECT_EQ(2u, CmdStartScreenTransition(block));
    EXPECT_EQ(2, CountedTransition::deleted);
}

}  // namespace

// A device destroyed while attached, its screens mid-transition: the partner made first goes
// first, and the screen that runs a scenes transition against it ends that transition while the
// partner is still whole (ending a scenes transition touches the partner's canvas).
TEST(SurfaceCommandsDeviceEnd, ScreensDeletedLastLetGoOfTheirPartners) {
    testsupport::PoisonFreedMemory poison;
    TransitionRegistry transitions;
    ASSERT_EQ(0, transitions.RegisterBuiltin(CreateCounted, "counted0", 0, 0, nullptr, nullptr));
    ScreenServices().transitions = &transitions;
    CountedTransition::made = 0;
    CountedTransition::deleted = 0;
    {
        auto device = std::make_unique<ScreenDevice>();
        AttachCommandScreenDevice(device.get());
        ProgramRun run(8);
        CallProgram p;
        p.Call(238, {"8", "4", "32", "1"}, Var(0));
        p.Call(238, {"8", "4", "32", "1"}, Var(1));
        p.Call(253, {"@var:1", "@var:0"}, "0");
        p.Call(256, {"@var:1", p.Text("counted0"), "1", "0", "0"}, Var(2));
        ASSERT_EQ(kStepEnded, run.Run(p));
        ASSERT_EQ(0, run.Var(2));
        device.reset();
        // The device is gone: only the services are cleared.
        ScreenServices().device = nullptr;
        DeviceServices().screen = nullptr;
        Services().graphics = nullptr;
    }
    ScreenServices().transitions = nullptr;
    EXPECT_EQ(1, CountedTransition::deleted);
}

namespace {

// The same device with Wine's DirectDraw at the normal level (a 32-bit display) and a Direct3D
// device of Wine's on a 3D-capable off-screen surface, for the kinds that live in DirectDraw
// surfaces and textures.
class SurfaceCommandsOnDirectDraw : public SurfaceCommands {
protected:
    void SetUp() override {
        SurfaceCommands::SetUp();
        ASSERT_EQ(0, m_device.CreateDirectDraw(false, true, nullptr, nullptr, 0, false, 0, 0, false, true, false));
        ASSERT_EQ(0, m_device.SetWindowedMode(false));
        m_device.m_displayDepth = 32;
        DDSURFACEDESC2 desc = {};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = desc.dwHeight = 32;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
        ASSERT_EQ(DD_OK, m_device.DirectDraw()->CreateSurface(&desc, &m_target, nullptr));
        ASSERT_EQ(0, m_device.CreateDevice(m_target, nullptr, false));
        m_savedCurrent = CurrentDirectDrawDevice;
        CurrentDirectDrawDevice = &m_device;
        CurrentDirect3DDevice = &m_device;
    }
    void TearDown() override {
        SurfaceCommands::TearDown();
        CurrentDirect3DDevice = nullptr;
        CurrentDirectDrawDevice = m_savedCurrent;
        m_device.ReleaseDevice();
        if (m_target) m_target->Release();
        m_device.ReleaseDirectDraw();
    }

    DirectDrawDevice* m_savedCurrent = nullptr;
    IDirectDrawSurface7* m_target = nullptr;
};

TEST_F(SurfaceCommandsOnDirectDraw, DirectDrawKindsAreMadeFilledAndDrawnOn) {
    Font* font = nullptr;
    ASSERT_EQ(0, m_device.CreateGdiFont(&font, "MS Gothic", 16));
    ProgramRun run(40);
    const std::string bmp = run.File("DD.BMP");
    testsupport::WriteFile(bmp, testsupport::BmpFile(Picture(24, 6, 5)));
    CallProgram p;
    const std::vector<std::uint8_t> inMemory = testsupport::BmpFile(Picture(24, 3, 2));
    const std::string data = p.Word(BmpWords(inMemory));
    p.Call(222, {"8", "6"}, Var(0));
    p.Call(223, {p.Text(bmp)}, Var(1));
    p.Call(224, {data, Num(inMemory.size())}, Var(2));
    p.Call(225, {p.Text("AB"), Num(reinterpret_cast<std::uintptr_t>(font))}, Var(3));
    p.Call(226, {"10", "4", "32", "1"}, Var(4));
    p.Call(227, {"32", p.Text(bmp)}, Var(5));
    p.Call(228, {"32", data, Num(inMemory.size())}, Var(6));
    p.Call(230, {"32", "16", "8", "32", "1"}, Var(7));
    p.Call(227, {"16", p.Text(bmp)}, Var(8));
    p.Call(229, {p.Text("AB"), Num(reinterpret_cast<std::uintptr_t>(font)), "32"}, Var(11));
    p.Call(251, {"@var:0", "1", "2", "3"}, Var(9));
    p.Call(251, {"@var:4", "1", "2", "3"}, Var(10));
    p.Line("mov 7, var:39");
    ASSERT_EQ(kStepEnded, run.Run(p));
    EXPECT_EQ(7, run.Var(39));
    struct Expected {
        int variable;
        SurfaceKind kind;
        std::int32_t width;
        std::int32_t height;
    };
    const Expected made[] = {
        {0, kSurfaceDirectDrawImage, 8, 6},   {1, kSurfaceDirectDrawImage, 6, 5},
        {2, kSurfaceDirectDrawImage, 3, 2},   {4, kSurfaceDirectDrawScreen, 10, 4},
        {5, kSurfaceTextureImage, 6, 5},      {6, kSurfaceTextureImage, 3, 2},
        {7, kSurfaceTextureScreen, 16, 8},
    };
    for (const Expected& e : made) {
        SCOPED_TRACE(e.variable);
        Surface* const surface = SurfaceOf(static_cast<std::uint32_t>(run.Var(e.variable)));
        ASSERT_NE(nullptr, surface);
        EXPECT_EQ(e.kind, surface->Kind());
        EXPECT_EQ(e.width, surface->Width());
        EXPECT_EQ(e.height, surface->Height());
    }
    Surface* const text = SurfaceOf(static_cast<std::uint32_t>(run.Var(3)));
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(kSurfaceTextBitmapImage, text->Kind());
    EXPECT_GT(text->Width(), 0);
    // Textures are answered by their texture face.
    for (int v : {5, 6, 7, 11}) EXPECT_NE(nullptr, m_device.FindTexture(static_cast<std::uint32_t>(run.Var(v)))) << v;
    Surface* const textureText = SurfaceOf(static_cast<std::uint32_t>(run.Var(11)));
    ASSERT_NE(nullptr, textureText);
    EXPECT_EQ(kSurfaceTextureText, textureText->Kind());
    EXPECT_EQ(0, run.Var(8)) << "Wine's device has no 16-colour texture format";
    EXPECT_EQ(0, run.Var(9));
    EXPECT_EQ(0, run.Var(10));

    EXPECT_EQ(0x010203, static_cast<DirectDrawImage*>(SurfaceOf(static_cast<std::uint32_t>(run.Var(0))))->FillColourValue() & 0xFFFFFF);

    // 252 on a DirectDraw target: the routine draws in DirectDraw mode onto the device's display;
    // the source word is not read.
    const std::uint32_t target = static_cast<std::uint32_t>(run.Var(0));
    const std::int32_t expected = RunTransitionEffect(5, nullptr, SurfaceOf(target), 128, 0, 0, 0, &m_device);
    for (std::uint32_t source : {0u, 12345u, static_cast<std::uint32_t>(run.Var(4))}) {
        std::uint32_t block[7] = {5, source, target, 128, 0, 0, 1};
        EXPECT_EQ(static_cast<std::uint32_t>(expected), CmdDrawTransition(block)) << source;
    }
}

}  // namespace
