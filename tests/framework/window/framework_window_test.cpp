#include "framework/window/framework_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/system/display_info.h"
#include "tests/support/fake_display_source.h"
#include "tests/support/win_test_env.h"

using testsupport::DrainMessageQueue;
using testsupport::FakeDisplaySource;

namespace {

// Every window of these tests registers a class of its own: Create reports an already
// registered class as a failure.
std::string FreshClassName() {
    static int counter = 0;
    return "SorahaneWindowTest" + std::to_string(++counter);
}

WindowCreateParams PopupParams(const char* title = "ABCDEFG") {
    WindowCreateParams params;
    params.style = WS_POPUP;
    params.clientWidth = 200;
    params.clientHeight = 100;
    params.placementMode = 0;
    params.x = 10;
    params.y = 20;
    params.className = FreshClassName();
    params.title = title;
    return params;
}

// Records what reaches the default handling and answers for one message as told.
class TestWindow : public AppWindow {
public:
    std::int32_t DefaultHandler(WindowMessage& message) override {
        if (message.message != watched) return FrameworkWindow::DefaultHandler(message);
        ++defaultCalls;
        return defaultResult;
    }

    UINT watched = 0;
    std::int32_t defaultResult = 1;
    int defaultCalls = 0;
};

// A handler that writes a result, answers as told and counts its own destruction.
class CountingHandler : public MessageHandler {
public:
    CountingHandler(std::int32_t answer, int* destroyed, std::int32_t result = 77)
        : m_answer(answer), m_result(result), m_destroyed(destroyed) {}
    ~CountingHandler() override {
        if (m_destroyed != nullptr) ++*m_destroyed;
    }
    std::int32_t Invoke(WindowMessage& message) override {
        ++calls;
        seenHandle = message.window->Handle();
        message.result = m_result;
        if (onInvoke) onInvoke(message);
        return m_answer;
    }

    int calls = 0;
    HWND seenHandle = nullptr;
    void (*onInvoke)(WindowMessage&) = nullptr;

private:
    std::int32_t m_answer;
    std::int32_t m_result;
    int* m_destroyed;
};

struct DispatchCase {
    const char* name;
    bool handler;
    std::int32_t handlerAnswer;
    std::int32_t defaultAnswer;
    bool defaultReached;
    // -1: DefWindowProcA's answer (the title's length).
    std::int32_t expected;
};

void PrintTo(const DispatchCase& c, std::ostream* os) { *os << c.name; }

class WindowDispatch : public ::testing::TestWithParam<DispatchCase> {};

TEST_P(WindowDispatch, ReachesDefWindowProcOnlyWhenBothPassItOn) {
    const DispatchCase& c = GetParam();
    TestWindow window;
    window.watched = WM_GETTEXTLENGTH;
    window.defaultResult = c.defaultAnswer;
    if (c.handler) window.SetMessageHandler(WM_GETTEXTLENGTH, new CountingHandler(c.handlerAnswer, nullptr));
    ASSERT_EQ(0, window.Create(GetModuleHandleA(nullptr), PopupParams("ABCDEFG"), nullptr, false, true));
    const LRESULT result = window.Send(WM_GETTEXTLENGTH, 0, 0);
    EXPECT_EQ(c.expected < 0 ? 7 : c.expected, result);
    EXPECT_EQ(c.defaultReached ? 1 : 0, window.defaultCalls);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WindowDispatch,
    ::testing::Values(DispatchCase{"HandlerStops", true, 0, 1, false, 77},
                      DispatchCase{"HandlerAndDefaultPassOn", true, 1, 1, true, -1},
                      DispatchCase{"DefaultStopsKeepsHandlerResult", true, 5, 0, true, 77},
                      DispatchCase{"NoHandlerDefaultPassesOn", false, 0, 1, true, -1},
                      DispatchCase{"NoHandlerDefaultStops", false, 0, 0, true, 0}),
    [](const ::testing::TestParamInfo<DispatchCase>& info) { return std::string(info.param.name); });

TEST(FrameworkWindow, NullHandlerBehavesAsNoHandler) {
    TestWindow window;
    window.SetMessageHandler(WM_GETTEXTLENGTH, nullptr);
    ASSERT_EQ(0, window.Create(GetModuleHandleA(nullptr), PopupParams("ABCDEFG"), nullptr, false, true));
    EXPECT_EQ(7, window.Send(WM_GETTEXTLENGTH, 0, 0));
}

TEST(FrameworkWindow, DefWindowProcSeesTheParametersAsHandlersLeftThem) {
    static const char kReplaced[] = "REPLACED";
    TestWindow window;
    ASSERT_EQ(0, window.Create(GetModuleHandleA(nullptr), PopupParams("ORIGINAL"), nullptr, false, true));
    auto* handler = new CountingHandler(1, nullptr);
    handler->onInvoke = [](WindowMessage& message) {
        message.lParam = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(kReplaced));
    };
    window.SetMessageHandler(WM_SETTEXT, handler);
    window.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("ASKED"));
    char text[32] = {};
    GetWindowTextA(window.Handle(), text, sizeof(text));
    EXPECT_STREQ(kReplaced, text);
}

class Target {
public:
    virtual ~Target() = default;
    virtual std::int32_t OnMessage(WindowMessage& message) {
        message.result = 1;
        return 0;
    }
};

class DerivedTarget : public Target {
public:
    std::int32_t OnMessage(WindowMessage& message) override {
        message.result = 2;
        return 9;
    }
};

TEST(MessageDelegate, CallsTheOperationThroughTheObjectsTable) {
    DerivedTarget target;
    std::unique_ptr<MessageDelegate> delegate(BindOperation<&Target::OnMessage>(static_cast<Target*>(&target)));
    WindowMessage message = {nullptr, WM_USER, 0, 0, 0};
    EXPECT_EQ(9, delegate->Invoke(message));
    EXPECT_EQ(2, message.result);
}

TEST(MessageDelegate, WithoutObjectOrMemberAnswersZero) {
    static int called = 0;
    auto member = [](void*, WindowMessage&) -> std::int32_t { return ++called; };
    Target target;
    WindowMessage message = {nullptr, WM_USER, 0, 0, 0};
    EXPECT_EQ(0, MessageDelegate(nullptr, member).Invoke(message));
    EXPECT_EQ(0, MessageDelegate(&target, nullptr).Invoke(message));
    EXPECT_EQ(0, called);

    // Installed in a window it stops the message before DefWindowProcA.
    TestWindow window;
    window.SetMessageHandler(WM_GETTEXTLENGTH, new MessageDelegate(nullptr, nullptr));
    ASSERT_EQ(0, window.Create(GetModuleHandleA(nullptr), PopupParams("ABCDEFG"), nullptr, false, true));
    EXPECT_EQ(0, window.Send(WM_GETTEXTLENGTH, 0, 0));
}

TEST(FrameworkWindow, HandlersInstalledBeforeCreateSeeCreation) {
    TestWindow window;
    auto* nccreate = new CountingHandler(1, nullptr);
    auto* create = new CountingHandler(1, nullptr, 0);
    window.SetMessageHandler(WM_NCCREATE, nccreate);
    window.SetMessageHandler(WM_CREATE, create);
    ASSERT_EQ(0, window.Create(GetModuleHandleA(nullptr), PopupParams(), nullptr, false, true));
    EXPECT_EQ(1, nccreate->calls);
    EXPECT_EQ(1, create->calls);
    // The handle is known from WM_NCCREATE on.
    EXPECT_EQ(window.Handle(), nccreate->seenHandle);
    EXPECT_EQ(window.Handle(), create->seenHandle);
    EXPECT_NE(nullptr, window.Handle());
}

TEST(FrameworkWindow, ReplacingAndDestroyingDeleteHandlers) {
    int destroyed = 0;
    {
        TestWindow window;
        window.SetMessageHandler(WM_USER, new CountingHandler(0, &destroyed));
        window.SetMessageHandler(WM_USER, new CountingHandler(0, &destroyed));
        EXPECT_EQ(1, destroyed);
        window.SetMessageHandler(WM_USER + 1, new CountingHandler(0, &destroyed));
        ASSERT_EQ(0, window.Create(GetModuleHandleA(nullptr), PopupParams(), nullptr, false, true));
        window.Destroy();
        EXPECT_EQ(3, destroyed);
        EXPECT_FALSE(window.Exists());
        window.SetMessageHandler(WM_USER, new CountingHandler(0, &destroyed));
    }
    // The window's own destruction deletes what was installed after Destroy.
    EXPECT_EQ(4, destroyed);
}

TEST(FrameworkWindow, HandlerMayDestroyItsWindowWhileRunning) {
    int destroyed = 0;
    TestWindow window;
    auto* close = new CountingHandler(0, &destroyed);
    close->onInvoke = [](WindowMessage& message) { message.window->Destroy(); };
    window.SetMessageHandler(WM_CLOSE, close);
    ASSERT_EQ(0, window.Create(GetModuleHandleA(nullptr), PopupParams(), nullptr, false, true));
    window.Send(WM_CLOSE, 0, 0);
    EXPECT_EQ(1, destroyed);
    EXPECT_FALSE(window.Exists());
    EXPECT_EQ(nullptr, window.Handle());
}

TEST(FrameworkWindow, DestroyPostsQuitOnlyWhenAskedTo) {
    for (bool postQuit : {false, true}) {
        DrainMessageQueue();
        TestWindow window;
        ASSERT_EQ(0, window.Create(GetModuleHandleA(nullptr), PopupParams(), nullptr, postQuit, true));
        EXPECT_EQ(postQuit, window.PostQuitOnDestroy());
        window.Destroy();
        MSG msg;
        EXPECT_EQ(postQuit, PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE);
    }
}

TEST(FrameworkWindow, SendPostAndExistsOnAGoneWindow) {
    TestWindow never;
    EXPECT_FALSE(never.Exists());
    EXPECT_EQ(0, never.Send(WM_GETTEXTLENGTH, 0, 0));
    EXPECT_EQ(0, never.Post(WM_USER, 0, 0));

    TestWindow window;
    ASSERT_EQ(0, window.Create(GetModuleHandleA(nullptr), PopupParams("ABCDEFG"), nullptr, false, true));
    EXPECT_TRUE(window.Exists());
    EXPECT_EQ(7, window.Send(WM_GETTEXTLENGTH, 0, 0));
    EXPECT_NE(0, window.Post(WM_USER, 0, 0));
    DrainMessageQueue();
    // Destroyed behind the object's back.
    DestroyWindow(window.Handle());
    EXPECT_FALSE(window.Exists());
    EXPECT_EQ(0, window.Send(WM_GETTEXTLENGTH, 0, 0));
    EXPECT_EQ(0, window.Post(WM_USER, 0, 0));
}

TEST(FrameworkWindow, CreateReportsRegistrationAndCreationFailures) {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WindowCreateParams params = PopupParams();
    TestWindow first;
    ASSERT_EQ(0, first.Create(instance, params, nullptr, false, true));
    TestWindow second;
    EXPECT_EQ(1, second.Create(instance, params, nullptr, false, true));
    EXPECT_EQ(nullptr, second.Handle());
    // Without registration the class registered by the first window serves.
    EXPECT_EQ(0, second.Create(instance, params, nullptr, false, false));
    second.Destroy();

    TestWindow refused;
    refused.SetMessageHandler(WM_NCCREATE, new CountingHandler(0, nullptr, FALSE));
    EXPECT_EQ(2, refused.Create(instance, PopupParams(), nullptr, false, true));
    EXPECT_EQ(nullptr, refused.Handle());
    EXPECT_FALSE(refused.Exists());
}

TEST(FrameworkWindow, SystemClassesAreNotRegistered) {
    WindowCreateParams params = PopupParams("text");
    params.className = "EDIT";
    TestWindow edit;
    ASSERT_EQ(0, edit.Create(GetModuleHandleA(nullptr), params, nullptr, false, true));
    char className[16] = {};
    GetClassNameA(edit.Handle(), className, sizeof(className));
    EXPECT_STREQ("Edit", className);
}

TEST(IsSystemWindowClass, ComparesWithCase) {
    for (const char* name : {"BUTTON", "COMBOBOX", "EDIT", "LISTBOX", "MDICLIENT", "SCROLLBAR", "STATIC"}) {
        EXPECT_TRUE(IsSystemWindowClass(name)) << name;
    }
    for (const char* name : {"button", "Edit", "STATIC2", "", "ORV DX Application"}) {
        EXPECT_FALSE(IsSystemWindowClass(name)) << name;
    }
    EXPECT_FALSE(IsSystemWindowClass(nullptr));
}

RECT Adjusted(DWORD style, bool menu, std::int32_t w, std::int32_t h) {
    RECT r = {0, 0, w, h};
    AdjustWindowRectEx(&r, style, menu, 0);
    return r;
}

void ExpectRect(const RECT& expected, const RECT& actual) {
    EXPECT_EQ(expected.left, actual.left);
    EXPECT_EQ(expected.top, actual.top);
    EXPECT_EQ(expected.right, actual.right);
    EXPECT_EQ(expected.bottom, actual.bottom);
}

TEST(ComputeWindowRect, MenuBarCountsOnlyWithSystemMenu) {
    TestWindow window;
    RECT out;
    const DWORD overlapped = WS_OVERLAPPEDWINDOW;
    const DWORD captionOnly = WS_POPUP | WS_CAPTION;
    // The menu bar makes the difference these rows look for.
    ASSERT_NE(Adjusted(overlapped, true, 320, 240).top, Adjusted(overlapped, false, 320, 240).top);

    window.ComputeWindowRect(out, 320, 240, overlapped, 0, true, false, 0, 0);
    ExpectRect(Adjusted(overlapped, true, 320, 240), out);
    window.ComputeWindowRect(out, 320, 240, overlapped, 0, false, false, 0, 0);
    ExpectRect(Adjusted(overlapped & ~WS_SYSMENU, false, 320, 240), out);
    window.ComputeWindowRect(out, 320, 240, captionOnly, 0, true, false, 0, 0);
    ExpectRect(Adjusted(captionOnly, false, 320, 240), out);

    // An existing window with a menu counts it without the has-menu argument.
    WindowCreateParams params = PopupParams();
    params.style = overlapped;
    ASSERT_EQ(0, window.Create(GetModuleHandleA(nullptr), params, nullptr, false, true));
    HMENU menu = CreateMenu();
    AppendMenuA(menu, MF_STRING, 1, "File");
    ASSERT_TRUE(SetMenu(window.Handle(), menu));
    window.ComputeWindowRect(out, 320, 240, overlapped, 0, false, false, 0, 0);
    ExpectRect(Adjusted(overlapped, true, 320, 240), out);
}

struct PlacementCase {
    const char* name;
    std::uint8_t mode;
    std::int32_t width;
    std::int32_t height;
    std::int32_t x;
    std::int32_t y;
    std::int32_t left;
    std::int32_t top;
};

void PrintTo(const PlacementCase& c, std::ostream* os) { *os << c.name; }

class SingleMonitorPlacement : public ::testing::TestWithParam<PlacementCase> {};

// A work area of 800 x 600 whose origin is not (0, 0); a popup window's outer size is its
// client size.
TEST_P(SingleMonitorPlacement, UsesTheWorkAreasSize) {
    const PlacementCase& c = GetParam();
    FakeDisplaySource display;
    display.workArea = RECT{100, 50, 900, 650};
    TestWindow window;
    window.SetDisplaySource(display);
    window.SetPlacementMode(c.mode);
    RECT out;
    window.ComputeWindowRect(out, c.width, c.height, WS_POPUP, 0, false, true, c.x, c.y);
    ExpectRect(RECT{c.left, c.top, c.width, c.height}, out);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SingleMonitorPlacement,
    ::testing::Values(PlacementCase{"Mode0KeepsAnyPoint", 0, 200, 100, -50, 700, -50, 700},
                      PlacementCase{"Mode1KeepsAFittingPoint", 1, 200, 100, 600, 500, 600, 500},
                      PlacementCase{"Mode1CentresPastTheRight", 1, 200, 100, 601, 20, 300, 250},
                      PlacementCase{"Mode1CentresPastTheBottom", 1, 200, 100, 10, 501, 300, 250},
                      PlacementCase{"Mode1CentresANegativePoint", 1, 200, 100, -1, 20, 300, 250},
                      PlacementCase{"Mode1TooWideCentresBelowZeroGoesToZero", 1, 1000, 100, 10, 20, 0, 0},
                      PlacementCase{"Mode2Centres", 2, 200, 100, 10, 20, 300, 250},
                      PlacementCase{"Mode2TooWideGoesToZero", 2, 1000, 100, 10, 20, 0, 0},
                      PlacementCase{"Mode2TooHighGoesToZero", 2, 200, 700, 10, 20, 0, 0},
                      PlacementCase{"Mode3KeepsThePoint", 3, 200, 100, 700, -20, 700, -20}),
    [](const ::testing::TestParamInfo<PlacementCase>& info) { return std::string(info.param.name); });

// Publishes a DisplayInfo for the test's duration.
class PublishedDisplay {
public:
    explicit PublishedDisplay(DisplayInfo& display) : m_previous(g_displayInfo) { g_displayInfo = &display; }
    ~PublishedDisplay() { g_displayInfo = m_previous; }

private:
    DisplayInfo* m_previous;
};

TEST(ComputeWindowRect, SeveralMonitorsPlaceThroughDisplayInfo) {
    FakeDisplaySource source;
    source.AddMonitor(RECT{0, 0, 1024, 768});
    source.AddMonitor(RECT{1024, 0, 2304, 1024});
    DisplayInfo display(source);
    PublishedDisplay published(display);
    TestWindow window;
    RECT out;

    // Mode 1 keeps a point that fits on the second monitor.
    window.SetPlacementMode(1);
    window.ComputeWindowRect(out, 200, 100, WS_POPUP, 0, false, true, 1100, 40);
    ExpectRect(RECT{1100, 40, 200, 100}, out);
    // Mode 2 centres on the monitor nearest to the point.
    window.SetPlacementMode(2);
    window.ComputeWindowRect(out, 200, 100, WS_POPUP, 0, false, true, 1100, 40);
    ExpectRect(RECT{1024 + 640 - 100, 512 - 50, 200, 100}, out);
    // Mode 3, which keeps the point on one monitor, moves it here.
    window.SetPlacementMode(3);
    window.ComputeWindowRect(out, 200, 100, WS_POPUP, 0, false, true, 10, 10);
    ExpectRect(RECT{512 - 100, 384 - 50, 200, 100}, out);
    // Mode 0 still keeps the point.
    window.SetPlacementMode(0);
    window.ComputeWindowRect(out, 200, 100, WS_POPUP, 0, false, true, -500, -500);
    ExpectRect(RECT{-500, -500, 200, 100}, out);
}

TEST(FrameworkWindow, CreatePlacesTheWindowOnTheRealScreen) {
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    WindowCreateParams params = PopupParams();
    params.placementMode = 2;
    TestWindow window;
    ASSERT_EQ(0, window.Create(GetModuleHandleA(nullptr), params, nullptr, false, true));
    EXPECT_EQ(2, window.PlacementMode());
    RECT placed;
    GetWindowRect(window.Handle(), &placed);
    EXPECT_EQ(((work.right - work.left) >> 1) - 100, placed.left);
    EXPECT_EQ(((work.bottom - work.top) >> 1) - 50, placed.top);
    EXPECT_EQ(200, placed.right - placed.left);
    EXPECT_EQ(100, placed.bottom - placed.top);
}

}  // namespace
