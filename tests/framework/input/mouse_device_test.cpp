#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "framework/input/async_key_mouse.h"
#include "framework/input/direct_input_mouse.h"
#include "framework/input/message_mouse.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_direct_input.h"
#include "tests/support/fake_input_platform.h"
#include "tests/support/fake_pointer_sprite.h"
#include "tests/support/input_test_window.h"
#include "tests/support/win_test_env.h"

using testsupport::FakeClock;
using testsupport::FakeDirectInput;
using testsupport::FakeDirectInputDevice;
using testsupport::FakeInputPlatform;
using testsupport::FakePointerSprite;

namespace {

WPARAM WheelParam(int delta) { return MAKEWPARAM(0, static_cast<WORD>(static_cast<SHORT>(delta))); }

// Presses buttons and turns the wheel on one mouse kind.
class MouseDriver {
public:
    virtual ~MouseDriver() = default;
    virtual MouseDevice& Device() = 0;
    virtual void Press(int button) = 0;
    virtual void Release(int button) = 0;
    virtual void Wheel(int delta) = 0;
    void Poll() { EXPECT_EQ(0, Device().Poll()); }
};

class AsyncKeyMouseDriver : public MouseDriver {
public:
    AsyncKeyMouseDriver() : m_mouse(m_platform, m_clock) {}
    MouseDevice& Device() override { return m_mouse; }
    void Press(int button) override { m_platform.Press(kKeys[button]); }
    void Release(int button) override { m_platform.Release(kKeys[button]); }
    void Wheel(int delta) override { m_mouse.OnWheelMessage(WheelParam(delta)); }

private:
    static constexpr int kKeys[3] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};
    FakeInputPlatform m_platform;
    FakeClock m_clock;
    AsyncKeyMouse m_mouse;
};

class MessageMouseDriver : public MouseDriver {
public:
    MessageMouseDriver() : m_mouse(m_platform, m_clock) {}
    MouseDevice& Device() override { return m_mouse; }
    void Press(int button) override { m_mouse.OnButtonDown(static_cast<std::uint8_t>(button)); }
    void Release(int button) override { m_mouse.OnButtonUp(static_cast<std::uint8_t>(button)); }
    void Wheel(int delta) override { m_mouse.OnWheelMessage(WheelParam(delta)); }

private:
    FakeInputPlatform m_platform;
    FakeClock m_clock;
    MessageMouse m_mouse;
};

class DirectInputMouseDriver : public MouseDriver {
public:
    DirectInputMouseDriver() : m_mouse(m_platform, m_clock) {
        m_device.SetMouse(0);
        m_input.AddDevice(GUID_SysMouse, &m_device);
        EXPECT_EQ(0, m_mouse.Open(&m_input, nullptr, false));
    }
    MouseDevice& Device() override { return m_mouse; }
    void Press(int button) override { State().rgbButtons[button] = 0x80; }
    void Release(int button) override { State().rgbButtons[button] = 0; }
    // DirectInput reports the wheel movement since the last read.
    void Wheel(int delta) override { State().lZ = delta; }
    void AfterPoll() { State().lZ = 0; }

private:
    DIMOUSESTATE& State() { return *reinterpret_cast<DIMOUSESTATE*>(m_device.state.data()); }
    FakeInputPlatform m_platform;
    FakeClock m_clock;
    FakeDirectInputDevice m_device;
    FakeDirectInput m_input;
    DirectInputMouse m_mouse;
};

struct MouseKindCase {
    const char* name;
    std::function<std::unique_ptr<MouseDriver>()> make;
};

class EveryMouseKind : public ::testing::TestWithParam<MouseKindCase> {
protected:
    void Poll(MouseDriver& driver) {
        driver.Poll();
        if (auto* direct = dynamic_cast<DirectInputMouseDriver*>(&driver)) direct->AfterPoll();
    }
};

TEST_P(EveryMouseKind, ButtonsAroundPolls) {
    auto driver = GetParam().make();
    MouseDevice& mouse = driver->Device();
    driver->Press(1);
    Poll(*driver);
    EXPECT_TRUE(mouse.IsDown(1));
    EXPECT_TRUE(mouse.IsTriggered(1));
    EXPECT_EQ(1, mouse.FirstDown());
    EXPECT_EQ(1, mouse.FirstTriggered());
    driver->Press(0);
    Poll(*driver);
    EXPECT_TRUE(mouse.IsDown(1));
    EXPECT_FALSE(mouse.IsTriggered(1));
    EXPECT_EQ(0, mouse.FirstDown());
    EXPECT_EQ(0, mouse.FirstTriggered());
    driver->Release(0);
    driver->Release(1);
    Poll(*driver);
    EXPECT_FALSE(mouse.IsDown(0));
    EXPECT_EQ(-1, mouse.FirstDown());
    EXPECT_EQ(-1, mouse.FirstTriggered());
    EXPECT_FALSE(mouse.IsDown(5));
    EXPECT_FALSE(mouse.IsTriggered(200));
}

TEST_P(EveryMouseKind, AWheelNotchIsDownForExactlyOnePoll) {
    auto driver = GetParam().make();
    MouseDevice& mouse = driver->Device();
    Poll(*driver);
    driver->Wheel(120);
    Poll(*driver);
    EXPECT_TRUE(mouse.IsDown(3));
    EXPECT_TRUE(mouse.IsTriggered(3));
    EXPECT_FALSE(mouse.IsDown(4));
    EXPECT_EQ(120, mouse.GetWheel());
    EXPECT_EQ(3, mouse.FirstDown());
    EXPECT_EQ(3, mouse.FirstTriggered());
    Poll(*driver);
    EXPECT_FALSE(mouse.IsDown(3));
    EXPECT_EQ(0, mouse.GetWheel());
    EXPECT_EQ(-1, mouse.FirstDown());

    driver->Wheel(-240);
    Poll(*driver);
    EXPECT_TRUE(mouse.IsDown(4));
    EXPECT_TRUE(mouse.IsTriggered(4));
    EXPECT_EQ(4, mouse.FirstDown());
    // Turning on: the wheel was not at rest the poll before, so this is no new press.
    driver->Wheel(-120);
    Poll(*driver);
    EXPECT_TRUE(mouse.IsDown(4));
    EXPECT_FALSE(mouse.IsTriggered(4));
    EXPECT_EQ(-1, mouse.FirstTriggered());
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, EveryMouseKind,
    ::testing::Values(
        MouseKindCase{"DirectInput", [] { return std::unique_ptr<MouseDriver>(new DirectInputMouseDriver); }},
        MouseKindCase{"WindowsApi", [] { return std::unique_ptr<MouseDriver>(new AsyncKeyMouseDriver); }},
        MouseKindCase{"WindowMessages", [] { return std::unique_ptr<MouseDriver>(new MessageMouseDriver); }}),
    [](const ::testing::TestParamInfo<MouseKindCase>& info) { return std::string(info.param.name); });

TEST(MessageMouse, TwoNotchesBeforeAPollCountOnceWithTheLastDelta) {
    FakeInputPlatform platform;
    FakeClock clock;
    MessageMouse mouse(platform, clock);
    EXPECT_TRUE(mouse.OnWheelMessage(WheelParam(120)));
    EXPECT_TRUE(mouse.OnWheelMessage(WheelParam(-120)));
    mouse.Poll();
    EXPECT_EQ(-120, mouse.GetWheel());
    EXPECT_TRUE(mouse.IsDown(4));
    EXPECT_FALSE(mouse.IsDown(3));
    mouse.Poll();
    EXPECT_FALSE(mouse.IsDown(4));
}

TEST(MessageMouse, AClickBetweenPollsIsTriggeredForOnePollAndNeverDown) {
    FakeInputPlatform platform;
    FakeClock clock;
    MessageMouse mouse(platform, clock);
    mouse.Poll();
    mouse.OnButtonDown(2);
    mouse.OnButtonUp(2);
    mouse.OnButtonDown(7);
    mouse.Poll();
    EXPECT_TRUE(mouse.IsTriggered(2));
    EXPECT_FALSE(mouse.IsDown(2));
    EXPECT_EQ(2, mouse.FirstTriggered());
    mouse.Poll();
    EXPECT_FALSE(mouse.IsTriggered(2));
}

// The window thread feeds clicks and wheel notches while the game thread polls and queries
// after each poll; every one must be seen, and seen once. The poll count is read after each
// feed: the poll then under way may have taken its events before the feed, but the one after
// it begins later, so a feed not seen once the count has moved on by two is lost, whatever the
// threads' speeds.
TEST(MessageMouse, NoClickIsLostWhileAnotherThreadPolls) {
    FakeInputPlatform platform;
    FakeClock clock;
    MessageMouse mouse(platform, clock);
    // Mouse codes 0-2 (buttons, counted while triggered) and 3-4 (wheel, counted while down).
    std::atomic<int> seen[5] = {};
    std::atomic<int> polls{0};
    std::atomic<bool> stop{false};
    std::thread poller([&] {
        while (!stop.load()) {
            mouse.Poll();
            for (std::uint8_t button = 0; button < 3; ++button) {
                if (mouse.IsTriggered(button)) seen[button].fetch_add(1);
            }
            if (mouse.IsDown(3)) seen[3].fetch_add(1);
            if (mouse.IsDown(4)) seen[4].fetch_add(1);
            polls.fetch_add(1);
        }
    });
    const int kRounds = 400;
    int fed[5] = {};
    std::string lost;
    for (int round = 0; round < kRounds && lost.empty(); ++round) {
        for (int code = 0; code < 5 && lost.empty(); ++code) {
            if (code < 3) {
                mouse.OnButtonDown(static_cast<std::uint8_t>(code));
                mouse.OnButtonUp(static_cast<std::uint8_t>(code));
            } else {
                mouse.OnWheelMessage(WheelParam(code == 3 ? 120 : -120));
            }
            ++fed[code];
            const int after = polls.load();
            for (;;) {
                const int polled = polls.load();
                if (seen[code].load() >= fed[code]) break;
                if (polled >= after + 2) {
                    lost = "code " + std::to_string(code) + " in round " + std::to_string(round);
                    break;
                }
                std::this_thread::yield();
            }
        }
    }
    stop.store(true);
    poller.join();
    EXPECT_EQ("", lost) << "a feed was never seen";
    for (int code = 0; code < 5; ++code) EXPECT_EQ(fed[code], seen[code].load()) << "code " << code;
}

TEST(DirectInputMouse, TakesNoWheelMessages) {
    FakeInputPlatform platform;
    FakeClock clock;
    DirectInputMouse mouse(platform, clock);
    EXPECT_FALSE(mouse.OnWheelMessage(WheelParam(120)));
}

TEST(MouseDevice, OutsideTheGameAreaEveryQueryReportsNothing) {
    FakeInputPlatform platform;
    FakeClock clock;
    MessageMouse mouse(platform, clock);
    POINT point = {100, 100};
    mouse.SetGamePoint(&point);
    mouse.OnButtonDown(0);
    mouse.OnWheelMessage(WheelParam(120));
    mouse.Poll();
    struct Case {
        POINT point;
        bool inside;
    } cases[] = {
        {{100, 100}, true}, {{-1, 100}, false}, {{100, -1}, false}, {{-1, -1}, false},
        {{-2, 100}, true},  {{100, -2}, true},  {{-2, -1}, true},   {{0, 0}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.point.x << ", " << c.point.y);
        point = c.point;
        EXPECT_EQ(c.inside, mouse.IsDown(0));
        EXPECT_EQ(c.inside, mouse.IsTriggered(0));
        EXPECT_EQ(c.inside, mouse.IsDown(3));
        EXPECT_EQ(c.inside, mouse.IsTriggered(3));
        EXPECT_EQ(c.inside ? 0 : -1, mouse.FirstDown());
        EXPECT_EQ(c.inside ? 0 : -1, mouse.FirstTriggered());
        EXPECT_EQ(c.inside ? 120 : 0, mouse.GetWheel());
    }
}

TEST(MouseDevice, CursorShapes) {
    FakeInputPlatform platform;
    FakeClock clock;
    AsyncKeyMouse mouse(platform, clock);
    auto standard = [](LPCSTR id) { return reinterpret_cast<HCURSOR>(0x10000 + reinterpret_cast<ULONG_PTR>(id)); };
    EXPECT_EQ(0, mouse.SetCursorShape(0, nullptr, 0));
    EXPECT_EQ(standard(IDC_ARROW), mouse.CursorHandle());
    // The pointer is put where it is, so that Windows applies the shape.
    EXPECT_EQ(1, platform.getCursorPosCalls);
    EXPECT_EQ(1, platform.setCursorPosCalls);
    EXPECT_EQ(10, platform.cursor.x);
    EXPECT_EQ(20, platform.cursor.y);
    const LPCSTR table[] = {IDC_ARROW,  IDC_CROSS,    IDC_HELP,   IDC_IBEAM,   IDC_NO,
                            IDC_SIZEALL, IDC_SIZENESW, IDC_SIZENS, IDC_SIZENWSE, IDC_SIZEWE,
                            IDC_UPARROW, IDC_APPSTARTING, IDC_WAIT};
    for (std::uint32_t shape = 0; shape < 13; ++shape) {
        EXPECT_EQ(0, mouse.SetCursorShape(shape, nullptr, 0));
        EXPECT_EQ(standard(table[shape]), mouse.CursorHandle()) << shape;
    }

    const int placed = platform.setCursorPosCalls;
    EXPECT_EQ(1, mouse.SetCursorShape(13, nullptr, 0));
    EXPECT_EQ(nullptr, mouse.CursorHandle());
    EXPECT_EQ(placed, platform.setCursorPosCalls);

    // A resource id wins over the shape.
    const HINSTANCE program = GetModuleHandleA(nullptr);
    platform.resourceInstance = program;
    platform.resourceId = 120;
    EXPECT_EQ(0, mouse.SetCursorShape(13, program, 120));
    EXPECT_EQ(reinterpret_cast<HCURSOR>(0x20000 + 120), mouse.CursorHandle());
    EXPECT_EQ(1, mouse.SetCursorShape(0, program, 121));
    EXPECT_EQ(nullptr, mouse.CursorHandle());
}

TEST(MouseDevice, ShowSystemCursorMovesTheDisplayCounterJustFarEnough) {
    FakeInputPlatform platform;
    FakeClock clock;
    AsyncKeyMouse mouse(platform, clock);
    platform.displayCounter = -3;
    mouse.ShowSystemCursor(true);
    EXPECT_EQ(3, platform.showCursorCalls);
    EXPECT_EQ(0, platform.displayCounter);
    EXPECT_TRUE(mouse.SystemCursorShown());
    platform.showCursorCalls = 0;
    mouse.ShowSystemCursor(true);
    EXPECT_EQ(1, platform.showCursorCalls);
    EXPECT_EQ(1, platform.displayCounter);
    platform.showCursorCalls = 0;
    mouse.ShowSystemCursor(false);
    EXPECT_EQ(2, platform.showCursorCalls);
    EXPECT_EQ(-1, platform.displayCounter);
    EXPECT_FALSE(mouse.SystemCursorShown());
}

TEST(MouseDevice, SendCursorMessageReachesTheWindowThroughItsPrivateMessage) {
    const UINT kCursorMessage = 0x9000;
    FakeInputPlatform platform;
    FakeClock clock;
    AsyncKeyMouse mouse(platform, clock);
    testsupport::InputTestWindow window(false);
    std::vector<WPARAM> received;
    window.OnMessage(kCursorMessage, [&](WPARAM wParam, LPARAM) -> LRESULT {
        received.push_back(wParam);
        mouse.ShowSystemCursor(wParam != 0);
        return 77;
    });
    platform.displayCounter = 0;
    EXPECT_EQ(77, mouse.SendCursorMessage(false, window.Handle(), kCursorMessage));
    EXPECT_EQ(std::vector<WPARAM>{0}, received);
    EXPECT_FALSE(mouse.CursorMessageState());
    EXPECT_FALSE(mouse.SystemCursorShown());
    EXPECT_EQ(-1, platform.displayCounter);

    EXPECT_EQ(77, mouse.SendCursorMessage(true, window.Handle(), kCursorMessage));
    EXPECT_EQ((std::vector<WPARAM>{0, 1}), received);
    EXPECT_TRUE(mouse.CursorMessageState());
    EXPECT_EQ(0, platform.displayCounter);

    // Message 0: done directly, no window needed.
    EXPECT_EQ(0, mouse.SendCursorMessage(false, nullptr, 0));
    EXPECT_EQ(2u, received.size());
    EXPECT_EQ(-1, platform.displayCounter);
    EXPECT_FALSE(mouse.CursorMessageState());
}

TEST(MouseDevice, SetCursorVisibleShowsTheSpriteWhenThereIsOne) {
    FakeInputPlatform platform;
    FakeClock clock;
    AsyncKeyMouse mouse(platform, clock);
    platform.displayCounter = 0;
    mouse.SetCursorVisible(false, nullptr, 0);
    EXPECT_EQ(-1, platform.displayCounter);
    EXPECT_FALSE(mouse.PointerWanted());

    FakePointerSprite sprite;
    ASSERT_EQ(0, mouse.SetCursorSprite(&sprite, 0, 0, false, 0, 0));
    // A new sprite takes the wanted visibility.
    EXPECT_FALSE(sprite.enabled);
    EXPECT_FALSE(mouse.SpriteShown());
    platform.showCursorCalls = 0;
    mouse.SetCursorVisible(true, nullptr, 0);
    EXPECT_TRUE(sprite.enabled);
    EXPECT_TRUE(mouse.SpriteShown());
    EXPECT_EQ(0, platform.showCursorCalls);
    EXPECT_TRUE(mouse.PointerWanted());
}

TEST(MouseDevice, SetCursorSpriteCodes) {
    FakeInputPlatform platform;
    FakeClock clock;
    AsyncKeyMouse mouse(platform, clock);
    FakePointerSprite first(PointerSprite::kSurfaceSprite);
    ASSERT_EQ(0, mouse.SetCursorSprite(&first, 0, 0, false, 0, 0));
    EXPECT_TRUE(first.enabled);

    struct Case {
        const char* what;
        std::uint8_t kind;
        bool usable;
        std::int32_t code;
        bool keepsOld;
    } cases[] = {
        {"surface sprite without a surface", PointerSprite::kSurfaceSprite, false, 1, true},
        {"textured quad without a surface", PointerSprite::kTexturedQuad, false, 2, true},
        {"primitive movie", 3, true, 3, false},
        {"kind 1", 1, true, 3, false},
        {"kind 3 without a surface", 3, false, 3, false},
        {"textured quad", PointerSprite::kTexturedQuad, true, 0, false},
        {"surface sprite", PointerSprite::kSurfaceSprite, true, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(0, mouse.SetCursorSprite(&first, 0, 0, false, 0, 0));
        first.enabled = true;
        FakePointerSprite candidate(c.kind);
        candidate.usable = c.usable;
        EXPECT_EQ(c.code, mouse.SetCursorSprite(&candidate, 0, 0, false, 0, 0));
        if (c.keepsOld) {
            EXPECT_EQ(&first, mouse.CursorSprite());
            EXPECT_TRUE(first.enabled);
        }
        if (c.code == 3) {
            // The old sprite is hidden and forgotten.
            EXPECT_EQ(nullptr, mouse.CursorSprite());
            EXPECT_FALSE(first.enabled);
        }
        if (c.code == 0) {
            // The new sprite takes over; the old drawable is the script's again, untouched.
            EXPECT_EQ(&candidate, mouse.CursorSprite());
            EXPECT_TRUE(candidate.enabled);
            EXPECT_TRUE(first.enabled);
        }
        mouse.SetCursorSprite(nullptr, 0, 0, false, 0, 0);
    }
    EXPECT_EQ(nullptr, mouse.CursorSprite());
}

// A mouse with an animated pointer, a game point and a clock the test moves.
class PointerAnimation : public ::testing::Test {
protected:
    PointerAnimation() : mouse(platform, clock) {
        mouse.SetGamePoint(&point);
        sprite.sourceOffset = {kFirstX, 8};
    }

    // The frame the sprite shows after an update at `ms` since the sprite was set.
    int FrameAt(std::uint32_t ms) {
        clock.SetMs(kStart + ms);
        mouse.UpdateCursorSprite();
        return sprite.LastFrame(kFirstX);
    }

    static constexpr std::uint32_t kStart = 5000;
    static constexpr std::int32_t kFirstX = 64;
    FakeInputPlatform platform;
    FakeClock clock{kStart};
    AsyncKeyMouse mouse;
    POINT point = {200, 150};
    FakePointerSprite sprite;
};

TEST_F(PointerAnimation, FourFramesForwardRestartAt400) {
    sprite.sourceWidth = 16;
    ASSERT_EQ(0, mouse.SetCursorSprite(&sprite, 4, 100, false, 3, 5));
    const struct {
        std::uint32_t ms;
        int frame;
    } steps[] = {{0, 0}, {99, 0}, {100, 1}, {250, 2}, {399, 3}, {400, 0}, {450, 0}, {500, 1}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.ms);
        EXPECT_EQ(step.frame, FrameAt(step.ms));
    }
    EXPECT_EQ(8, sprite.offsetCalls.back().y);
    EXPECT_FALSE(sprite.offsetCalls.back().texturedQuad);
}

TEST_F(PointerAnimation, PingPongOfThreeGoesBackAndStartsAgain) {
    ASSERT_EQ(0, mouse.SetCursorSprite(&sprite, 3, 100, true, 0, 0));
    std::vector<int> frames;
    for (std::uint32_t ms = 0; ms <= 600; ms += 100) frames.push_back(FrameAt(ms));
    EXPECT_EQ((std::vector<int>{0, 1, 2, 1, 0, 0, 1}), frames);
}

TEST_F(PointerAnimation, OnlyAChangedFrameMovesTheSource) {
    ASSERT_EQ(0, mouse.SetCursorSprite(&sprite, 4, 100, false, 0, 0));
    FrameAt(0);
    FrameAt(10);
    FrameAt(20);
    EXPECT_EQ(1u, sprite.offsetCalls.size());
}

TEST_F(PointerAnimation, TheSourceOffsetCallFollowsTheKind) {
    FakePointerSprite quad(PointerSprite::kTexturedQuad);
    quad.sourceWidth = 10;
    ASSERT_EQ(0, mouse.SetCursorSprite(&quad, 2, 50, false, 0, 0));
    clock.SetMs(kStart + 60);
    mouse.UpdateCursorSprite();
    ASSERT_EQ(1u, quad.offsetCalls.size());
    EXPECT_TRUE(quad.offsetCalls[0].texturedQuad);
    EXPECT_EQ(10, quad.offsetCalls[0].x);
}

TEST_F(PointerAnimation, AFrameTimeOfZeroStaysOnTheFirstFrame) {
    ASSERT_EQ(0, mouse.SetCursorSprite(&sprite, 4, 0, false, 0, 0));
    for (std::uint32_t ms : {0u, 1u, 100u, 5000u}) EXPECT_EQ(0, FrameAt(ms));
    ASSERT_EQ(0, mouse.SetCursorSprite(&sprite, 4, 0, true, 0, 0));
    for (std::uint32_t ms : {0u, 7u, 100000u}) EXPECT_EQ(0, FrameAt(ms));
}

TEST_F(PointerAnimation, PlacedAtTheGamePointMinusTheHotSpotAndHiddenOutside) {
    ASSERT_EQ(0, mouse.SetCursorSprite(&sprite, 0, 0, false, 7, 9));
    mouse.UpdateCursorSprite();
    EXPECT_TRUE(sprite.enabled);
    EXPECT_EQ(193, sprite.position.x);
    EXPECT_EQ(141, sprite.position.y);
    EXPECT_TRUE(sprite.offsetCalls.empty());
    for (POINT outside : {POINT{-1, 10}, POINT{10, -1}, POINT{-2, 10}}) {
        point = outside;
        mouse.UpdateCursorSprite();
        EXPECT_FALSE(sprite.enabled);
    }
    point = {0, 0};
    mouse.UpdateCursorSprite();
    EXPECT_TRUE(sprite.enabled);
    EXPECT_EQ(-7, sprite.position.x);
    // A hidden sprite is left alone.
    mouse.ShowCursorSprite(false);
    const int placed = sprite.positionCalls;
    mouse.UpdateCursorSprite();
    EXPECT_FALSE(sprite.enabled);
    EXPECT_EQ(placed, sprite.positionCalls);
}

TEST_F(PointerAnimation, NothingHappensWithoutAGamePoint) {
    AsyncKeyMouse bare(platform, clock);
    ASSERT_EQ(0, bare.SetCursorSprite(&sprite, 0, 0, false, 0, 0));
    bare.UpdateCursorSprite();
    EXPECT_EQ(0, sprite.positionCalls);
}

TEST_F(PointerAnimation, HugeScriptValuesDoNotBreakTheCycle) {
    sprite.sourceWidth = 1;
    ASSERT_EQ(0, mouse.SetCursorSprite(&sprite, 0x80000000u, 0x40000000u, true, 0, 0));
    EXPECT_EQ(0, FrameAt(0));
    EXPECT_EQ(3, FrameAt(0xC0000000u));
}

}  // namespace
