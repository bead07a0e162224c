#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/framework/app/app_test_fixture.h"

using apptest::AppParts;
using apptest::TestApp;
using apptest::Watchdog;

namespace {

class RecordingReceiver : public TextReceiver {
public:
    std::uint8_t TakeKey(std::uint8_t key) override {
        taken.push_back("key " + std::to_string(key));
        return 7;
    }
    std::uint8_t TakeText(const char* text, std::uint32_t length) override {
        taken.push_back(std::string(text, length));
        return 9;
    }
    std::vector<std::string> taken;
};

// An input context whose composition and clauses the test sets; the sizes it reports are the
// whole of them, as IMM does.
class FakeImm : public ImmApi {
public:
    HIMC GetContext(HWND) override { return reinterpret_cast<HIMC>(0x1234); }
    BOOL ReleaseContext(HWND, HIMC) override {
        ++released;
        return TRUE;
    }
    LONG GetCompositionString(HIMC, DWORD index, void* buffer, DWORD size) override {
        const std::string& data = index == GCS_COMPCLAUSE ? clauses : composition;
        if (index == GCS_CURSORPOS) return 3;
        if (buffer == nullptr || size == 0) return static_cast<LONG>(data.size());
        const DWORD n = size < data.size() ? size : static_cast<DWORD>(data.size());
        std::memcpy(buffer, data.data(), n);
        return static_cast<LONG>(n);
    }
    BOOL SetOpenStatus(HIMC, BOOL open) override {
        openCalls.push_back(open);
        return TRUE;
    }
    int AssociateContextEx(HWND, HIMC, DWORD) override {
        ++associations;
        return 1;
    }
    HIMC AssociateContext(HWND, HIMC) override {
        ++dissociations;
        return reinterpret_cast<HIMC>(0x1234);
    }
    BOOL SetCandidateWindow(HIMC, CANDIDATEFORM* form) override {
        candidate = *form;
        return TRUE;
    }
    void ControlStatusWindow(HWND, bool) override {}

    std::string composition;
    std::string clauses;
    int released = 0;
    int associations = 0;
    int dissociations = 0;
    std::vector<BOOL> openCalls;
    CANDIDATEFORM candidate = {};
};

struct CaptureApp {
    AppParts parts;
    FakeImm imm;
    Watchdog watchdog{120000};
    std::unique_ptr<TestApp> app;
    CaptureApp() {
        app = std::make_unique<TestApp>(parts, &imm);
        EXPECT_EQ(0, app->Initialize());
    }
    ~CaptureApp() { app->Exit(0); }
    HWND Window() { return app->MainWindow().Handle(); }
    void Type(const std::string& bytes) {
        for (unsigned char c : bytes) SendMessageA(Window(), WM_CHAR, c, 0);
    }
};

TEST(FrameworkAppTextCapture, CharactersAreCollectedOncePerFrame) {
    struct TypeCase {
        const char* name;
        std::string typed;
        // What each of two collections hands over ("" nothing).
        std::string first;
        std::string second;
    };
    const std::string forty(40, 'a');
    const std::string thirtyOne(31, 'b');
    const TypeCase cases[] = {
        {"forty single bytes keep 32", forty, std::string(32, 'a'), ""},
        {"a lead byte as the 32nd is dropped whole", thirtyOne + "\x82\xa0", thirtyOne, ""},
        {"a pair fits", "x\x82\xa0", "x\x82\xa0", ""},
    };
    CaptureApp c;
    ASSERT_EQ(0, c.app->AttachTextCapture(c.Window()));
    for (const TypeCase& t : cases) {
        SCOPED_TRACE(t.name);
        RecordingReceiver receiver;
        c.Type(t.typed);
        c.app->DeliverCapturedText(&receiver);
        c.app->DeliverCapturedText(&receiver);
        std::vector<std::string> expected;
        if (!t.first.empty()) expected.push_back(t.first);
        if (!t.second.empty()) expected.push_back(t.second);
        EXPECT_EQ(expected, receiver.taken);
    }

    // Nothing goes out while a lead byte waits; the pair goes with the next collection.
    RecordingReceiver receiver;
    c.Type("k\x82");
    EXPECT_EQ(0, c.app->DeliverCapturedText(&receiver));
    EXPECT_TRUE(receiver.taken.empty());
    c.Type("\xa0");
    EXPECT_EQ(9, c.app->DeliverCapturedText(&receiver));
    EXPECT_EQ(std::vector<std::string>{"k\x82\xa0"}, receiver.taken);

    // A key and a text in one frame: the key first, the text at the next collection.
    receiver.taken.clear();
    SendMessageA(c.Window(), WM_KEYDOWN, VK_RETURN, 0);
    c.Type("z");
    EXPECT_EQ(7, c.app->DeliverCapturedText(&receiver));
    c.app->DeliverCapturedText(&receiver);
    EXPECT_EQ((std::vector<std::string>{"key 13", "z"}), receiver.taken);

    ASSERT_TRUE(c.app->SendTextCaptureValue(1));
    EXPECT_EQ(std::vector<BOOL>{TRUE}, c.imm.openCalls);
    c.app->AttachTextCapture(nullptr);
    EXPECT_FALSE(c.app->SendTextCaptureValue(1));
}

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(FrameworkAppTextCapture, DestroyingTheCapturedWindowEndsTheCapture) {
    CaptureApp c;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &PlainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "SorahaneCaptureProbe";
    RegisterClassA(&wc);
    HWND edit = CreateWindowA("SorahaneCaptureProbe", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, edit);
    c.app->AttachTextCapture(edit);
    EXPECT_NE(reinterpret_cast<LONG_PTR>(&PlainProc), GetWindowLongPtrA(edit, GWLP_WNDPROC));
    EXPECT_EQ(edit, c.app->Ime().Window());
    // While it is destroyed the procedure is put back and the context released.
    DestroyWindow(edit);
    EXPECT_EQ(1, c.imm.released);
    EXPECT_EQ(nullptr, c.app->Ime().Context());
    EXPECT_FALSE(c.app->SendTextCaptureValue(0));
}

TEST(FrameworkAppTextCapture, CompositionReadsAreSizedByWhatImmReports) {
    FakeImm imm;
    ImeContext ime(imm);
    ime.Attach(reinterpret_cast<HWND>(1));
    imm.composition = std::string(127, 'c');
    const char* text = ime.GetCompositionString();
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(std::string(127, 'c'), text);
    // The same composition comes back once.
    EXPECT_EQ(nullptr, ime.GetCompositionString());
    imm.composition = std::string(300, 'd');
    const char* longer = ime.GetCompositionString();
    ASSERT_NE(nullptr, longer);
    EXPECT_EQ(std::string(300, 'd'), longer);
    imm.composition.clear();
    EXPECT_EQ(nullptr, ime.GetCompositionString());

    // Five clauses: six boundaries.
    const DWORD boundaries[6] = {0, 4, 8, 12, 16, 20};
    imm.clauses.assign(reinterpret_cast<const char*>(boundaries), sizeof(boundaries));
    EXPECT_EQ(4, ime.GetFirstClauseEnd());
    imm.clauses.clear();
    EXPECT_EQ(0, ime.GetFirstClauseEnd());
    EXPECT_EQ(3, ime.GetCursorPos());
}

TEST(FrameworkAppTextCapture, ImeMessagesOfTheMainWindow) {
    struct ImeCase {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool fullScreen;
        // -1: handled here; else passed on with this lParam.
        long long passedLParam;
    };
    const ImeCase cases[] = {
        {WM_IME_STARTCOMPOSITION, 0, 0, false, -1},
        {WM_IME_ENDCOMPOSITION, 0, 0, false, -1},
        {WM_IME_COMPOSITION, 0, GCS_COMPSTR, false, -1},
        {WM_IME_COMPOSITION, 0, GCS_RESULTSTR | GCS_COMPSTR, false, GCS_RESULTSTR | GCS_COMPSTR},
        {WM_IME_SETCONTEXT, 1, static_cast<LPARAM>(0xC000000F), false, 0},
        {WM_IME_SETCONTEXT, 1, static_cast<LPARAM>(0xFFFFFFFF), false, 0x3FFFFFF0},
        {WM_IME_NOTIFY, IMN_OPENSTATUSWINDOW, 0, true, -1},
        {WM_IME_NOTIFY, IMN_OPENSTATUSWINDOW, 0, false, 0},
        {WM_IME_NOTIFY, IMN_CLOSECANDIDATE, 5, false, 5},
        {WM_IME_NOTIFY, IMN_OPENCANDIDATE, 1, true, 1},
        {WM_IME_NOTIFY, IMN_SETCONVERSIONMODE, 2, false, 2},
    };
    AppParts parts;
    FakeImm imm;
    TestApp app(parts, &imm);
    app.Ime().Attach(reinterpret_cast<HWND>(1));
    app.Ime().SetCompositionPos(30, 40);
    for (const ImeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "0x" << std::hex << c.message << " " << c.wParam);
        app.Settings().screenMode = c.fullScreen ? 1 : 2;
        WindowMessage m = {&app.MainWindow(), c.message, static_cast<std::uint32_t>(c.wParam),
                           static_cast<std::uint32_t>(c.lParam), 0};
        const std::int32_t onward = app.MainWindow().DefaultHandler(m);
        if (c.passedLParam < 0) {
            EXPECT_EQ(0, onward);
        } else {
            EXPECT_NE(0, onward);
            EXPECT_EQ(static_cast<std::uint32_t>(c.passedLParam), m.lParam);
        }
    }
    EXPECT_TRUE(app.Ime().candidateOpen);
    EXPECT_EQ(DWORD(CFS_EXCLUDE), imm.candidate.dwStyle);
    EXPECT_EQ(30, imm.candidate.ptCurrentPos.x);
    EXPECT_EQ(40, imm.candidate.rcArea.bottom);
}

}  // namespace
