#include "framework/system/display_info.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/fake_display_source.h"

using testsupport::FakeDisplaySource;

namespace {

TEST(DisplayInfo, RecordsEveryMonitorAndDeletesItsDcs) {
    FakeDisplaySource source;
    source.AddMonitor(RECT{0, 0, 1024, 768}, "Adapter A");
    source.AddMonitor(RECT{1024, 0, 2304, 1024}, "Adapter B");
    source.monitors[0].work = RECT{0, 0, 1024, 740};
    source.monitors[1].depth = 16;
    source.monitors[1].refresh = 75;
    DisplayInfo display(source);
    ASSERT_EQ(2u, display.Monitors().size());
    const MonitorRecord& first = display.Monitors()[0];
    const MonitorRecord& second = display.Monitors()[1];
    EXPECT_EQ(FakeDisplaySource::Handle(0), first.monitor);
    EXPECT_EQ(740, first.work.bottom);
    EXPECT_STREQ("\\\\.\\DISPLAY1", first.deviceName);
    EXPECT_STREQ("Adapter A", first.adapter);
    EXPECT_TRUE(first.primary);
    EXPECT_EQ(32, first.depth);
    EXPECT_EQ(60, first.refresh);
    EXPECT_STREQ("Adapter B", second.adapter);
    EXPECT_FALSE(second.primary);
    EXPECT_EQ(16, second.depth);
    EXPECT_EQ(75, second.refresh);
    EXPECT_EQ(2304, second.rect.right);
    EXPECT_EQ(2, source.dcsCreated);
    EXPECT_EQ(source.dcsCreated, source.dcsDeleted);

    // Every refresh gives its DCs back.
    display.Refresh();
    EXPECT_EQ(4, source.dcsCreated);
    EXPECT_EQ(source.dcsCreated, source.dcsDeleted);
}

TEST(DisplayInfo, RefreshOfOneOrLessAndMissingDcStoreZero) {
    FakeDisplaySource source;
    for (int i = 0; i < 4; ++i) source.AddMonitor(RECT{i * 640, 0, i * 640 + 640, 480});
    source.monitors[0].refresh = 1;
    source.monitors[1].refresh = 0;
    source.monitors[2].refresh = 2;
    source.monitors[3].noDc = true;
    DisplayInfo display(source);
    EXPECT_EQ(0, display.Monitors()[0].refresh);
    EXPECT_EQ(0, display.Monitors()[1].refresh);
    EXPECT_EQ(2, display.Monitors()[2].refresh);
    EXPECT_EQ(0, display.Monitors()[3].refresh);
    EXPECT_EQ(0, display.Monitors()[3].depth);
    EXPECT_EQ(3, source.dcsDeleted);
}

// GetMonitorInfoA fails for the second monitor: its record keeps only what the enumeration
// gave, inherits nothing of the monitor read before it, and no DC is made for it.
TEST(DisplayInfo, AMonitorWithoutInfoKeepsOnlyItsRectangle) {
    FakeDisplaySource source;
    source.AddMonitor(RECT{0, 0, 1024, 768}, "Readable");
    source.AddMonitor(RECT{1024, 0, 2048, 768}, "Unreadable");
    source.AddMonitor(RECT{2048, 0, 2848, 600}, "Also readable");
    source.monitors[0].work = RECT{0, 0, 1024, 740};
    source.monitors[1].noInfo = true;
    DisplayInfo display(source);
    ASSERT_EQ(3u, display.Monitors().size());
    const MonitorRecord& unread = display.Monitors()[1];
    EXPECT_EQ(FakeDisplaySource::Handle(1), unread.monitor);
    EXPECT_EQ(1024, unread.rect.left);
    EXPECT_EQ(2048, unread.rect.right);
    EXPECT_EQ(0, unread.work.right);
    EXPECT_EQ(0, unread.work.bottom);
    EXPECT_STREQ("", unread.deviceName);
    EXPECT_STREQ("", unread.adapter);
    EXPECT_EQ(0, unread.depth);
    EXPECT_EQ(0, unread.refresh);
    EXPECT_STREQ("Also readable", display.Monitors()[2].adapter);
    EXPECT_EQ(600, display.Monitors()[2].work.bottom);
    EXPECT_EQ(2, source.dcsCreated);
    EXPECT_EQ(2, source.dcsDeleted);

    // A window nearest to it is not put into its empty work area but on the first monitor
    // that holds it.
    std::int32_t x = 1100, y = 100;
    EXPECT_EQ(1, display.PlaceRect(x, y, 200, 100, 1, true));
    EXPECT_EQ(512 - 100, x);
    EXPECT_EQ(370 - 50, y);
}

TEST(DisplayInfo, AdapterNamesComeOnlyFromDevicesOnTheDesktop) {
    FakeDisplaySource source;
    source.AddMonitor(RECT{0, 0, 800, 600}, "Attached");
    source.devices[0].stateFlags = DISPLAY_DEVICE_PRIMARY_DEVICE | 0x08000000;
    source.devices.insert(source.devices.begin(),
                          testsupport::FakeDisplayDevice{"\\\\.\\DISPLAY1", "Mirror", DISPLAY_DEVICE_PRIMARY_DEVICE});
    {
        DisplayInfo display(source);
        EXPECT_STREQ("", display.Monitors()[0].adapter);
        EXPECT_FALSE(display.Monitors()[0].primary);
    }
    source.devices[1].stateFlags |= DISPLAY_DEVICE_ATTACHED_TO_DESKTOP;
    DisplayInfo display(source);
    EXPECT_STREQ("Attached", display.Monitors()[0].adapter);
    EXPECT_TRUE(display.Monitors()[0].primary);
    EXPECT_TRUE(display.Monitors()[0].modesPruned);
}

struct NumberingCase {
    const char* name;
    std::vector<std::string> adapters;
    std::vector<std::string> expected;
    std::vector<int> numbers;
};

void PrintTo(const NumberingCase& c, std::ostream* os) { *os << c.name; }

class DisplayNumbering : public ::testing::TestWithParam<NumberingCase> {};

TEST_P(DisplayNumbering, NumbersOnlyEqualDescriptions) {
    const NumberingCase& c = GetParam();
    FakeDisplaySource source;
    for (size_t i = 0; i < c.adapters.size(); ++i) {
        source.AddMonitor(RECT{static_cast<LONG>(i) * 100, 0, static_cast<LONG>(i) * 100 + 100, 100}, c.adapters[i]);
    }
    DisplayInfo display(source);
    ASSERT_EQ(c.expected.size(), display.Monitors().size());
    for (size_t i = 0; i < c.expected.size(); ++i) {
        EXPECT_EQ(c.expected[i], display.Monitors()[i].adapter) << i;
        EXPECT_EQ(c.numbers[i], display.Monitors()[i].number) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DisplayNumbering,
    ::testing::Values(NumberingCase{"Single", {"Card"}, {"Card"}, {255}},
                      NumberingCase{"Distinct", {"Card A", "Card B"}, {"Card A", "Card B"}, {255, 255}},
                      NumberingCase{"TwoEqual", {"Card", "Card"}, {"Card[1]", "Card[2]"}, {1, 2}},
                      NumberingCase{"ThreeEqual", {"Card", "Card", "Card"}, {"Card[1]", "Card[2]", "Card[3]"}, {1, 2, 3}},
                      NumberingCase{"TwoPairs",
                                    {"A", "B", "A", "B"},
                                    {"A[1]", "B[1]", "A[2]", "B[2]"},
                                    {1, 1, 2, 2}}),
    [](const ::testing::TestParamInfo<NumberingCase>& info) { return std::string(info.param.name); });

TEST(DisplayInfo, NumberFitsAfterALongDescription) {
    // 127 bytes fill the field; the number must still fit with its terminator.
    const std::string longName(127, 'N');
    FakeDisplaySource source;
    for (int i = 0; i < 11; ++i) source.AddMonitor(RECT{i * 100, 0, i * 100 + 100, 100}, longName);
    DisplayInfo display(source);
    for (int i = 0; i < 11; ++i) {
        const std::string number = "[" + std::to_string(i + 1) + "]";
        const std::string adapter = display.Monitors()[i].adapter;
        EXPECT_EQ(127u, adapter.size()) << i;
        EXPECT_EQ(longName.substr(0, 127 - number.size()) + number, adapter) << i;
        EXPECT_EQ(i + 1, display.Monitors()[i].number);
    }
}

TEST(DisplayInfo, CutKeepsTwoByteCharactersWhole) {
    // 62 two-byte characters and three blanks: the cut for "[2]" falls inside a character.
    std::string name = "ABC";
    while (name.size() < 127) name += "表";
    ASSERT_EQ(127u, name.size());
    FakeDisplaySource source;
    source.AddMonitor(RECT{0, 0, 100, 100}, name);
    source.AddMonitor(RECT{100, 0, 200, 100}, name);
    DisplayInfo display(source);
    const std::string adapter = display.Monitors()[1].adapter;
    EXPECT_EQ(name.substr(0, 123) + "[2]", adapter);
}

TEST(DisplayInfo, ScreenSizeAndWorkAreaFallBackWithoutARecord) {
    FakeDisplaySource source;
    source.AddMonitor(RECT{0, 0, 1024, 768});
    source.monitors[0].work = RECT{0, 0, 1024, 740};
    source.screenSize = SIZE{800, 600};
    source.workArea = RECT{10, 20, 790, 580};
    DisplayInfo display(source);
    RECT out;
    EXPECT_EQ(0, display.GetScreenSize(out, FakeDisplaySource::Handle(0)));
    EXPECT_EQ(1024, out.right);
    EXPECT_EQ(0, display.GetWorkArea(out, FakeDisplaySource::Handle(0)));
    EXPECT_EQ(740, out.bottom);
    EXPECT_EQ(1, display.GetScreenSize(out, FakeDisplaySource::Handle(7)));
    EXPECT_EQ(0, out.left);
    EXPECT_EQ(800, out.right);
    EXPECT_EQ(600, out.bottom);
    EXPECT_EQ(1, display.GetWorkArea(out, nullptr));
    EXPECT_EQ(10, out.left);
    EXPECT_EQ(580, out.bottom);
}

TEST(DisplayInfo, FindMonitorForTakesTheFirstBigEnough) {
    FakeDisplaySource source;
    source.AddMonitor(RECT{0, 0, 800, 600});
    source.AddMonitor(RECT{800, 0, 2720, 1080});
    source.AddMonitor(RECT{2720, 0, 5280, 1440});
    DisplayInfo display(source);
    EXPECT_EQ(FakeDisplaySource::Handle(0), display.FindMonitorFor(800, 600));
    EXPECT_EQ(FakeDisplaySource::Handle(1), display.FindMonitorFor(801, 600));
    EXPECT_EQ(FakeDisplaySource::Handle(2), display.FindMonitorFor(1920, 1081));
    EXPECT_EQ(nullptr, display.FindMonitorFor(2561, 100));
    EXPECT_EQ(nullptr, display.FindMonitorFor(0, 100));
    EXPECT_EQ(nullptr, display.FindMonitorFor(100, -1));

    FakeDisplaySource empty;
    EXPECT_EQ(nullptr, DisplayInfo(empty).FindMonitorFor(1, 1));
}

struct PlaceCase {
    const char* name;
    std::int32_t x, y, w, h, mode;
    bool centre;
    std::int32_t result, left, top;
};

void PrintTo(const PlaceCase& c, std::ostream* os) { *os << c.name; }

class PlaceRect : public ::testing::TestWithParam<PlaceCase> {};

// Monitor 1: 0..1024 x 0..768, work area 0..1024 x 0..738 (a task bar below).
// Monitor 2: 1024..2304 x -100..924 (1280 x 1024), work area the whole monitor.
// Monitor 3: -800..0 x 0..600 (800 x 600).
TEST_P(PlaceRect, FindsAWorkArea) {
    const PlaceCase& c = GetParam();
    FakeDisplaySource source;
    source.AddMonitor(RECT{0, 0, 1024, 768});
    source.AddMonitor(RECT{1024, -100, 2304, 924});
    source.AddMonitor(RECT{-800, 0, 0, 600});
    source.monitors[0].work = RECT{0, 0, 1024, 738};
    DisplayInfo display(source);
    std::int32_t x = c.x, y = c.y;
    EXPECT_EQ(c.result, display.PlaceRect(x, y, c.w, c.h, c.mode, c.centre));
    EXPECT_EQ(c.left, x);
    EXPECT_EQ(c.top, y);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlaceRect,
    ::testing::Values(
        PlaceCase{"Mode0InsideStays", 100, 100, 640, 480, 0, true, 0, 100, 100},
        PlaceCase{"Mode0InsideAnotherMonitorStays", 1100, -50, 640, 480, 0, true, 0, 1100, -50},
        PlaceCase{"Mode0TouchingTheEdgesStays", 384, 258, 640, 480, 0, true, 0, 384, 258},
        PlaceCase{"Mode0OverTheTaskBarIsCentred", 384, 259, 640, 480, 0, true, 1, 192, 129},
        PlaceCase{"Mode1InsideIsCentred", 100, 100, 640, 480, 1, true, 1, 192, 129},
        PlaceCase{"NearestMonitorIsTaken", 2000, 800, 640, 480, 1, true, 1, 1024 + 320, -100 + 272},
        PlaceCase{"WithoutCentringTopLeft", 2000, 800, 640, 480, 1, false, 1, 1024, -100},
        PlaceCase{"LeftMonitor", -700, 10, 400, 300, 1, true, 1, -800 + 200, 150},
        PlaceCase{"TooLargeForNearestTakesFirstBigEnough", -700, 10, 1200, 900, 1, true, 1, 1024 + 40, -100 + 62},
        PlaceCase{"NoCentringWhenHalvesDoNotFit", 10, 10, 1024, 740, 1, true, 1, 0, 0},
        PlaceCase{"TooLargeEverywhereNearestTopLeft", 10, 10, 1300, 1100, 1, true, 1, 0, 0},
        PlaceCase{"EmptyWidth", 5, 6, 0, 100, 1, true, -1, 5, 6},
        PlaceCase{"EmptyHeight", 5, 6, 100, -3, 0, true, -1, 5, 6}),
    [](const ::testing::TestParamInfo<PlaceCase>& info) { return std::string(info.param.name); });

TEST(DisplayInfo, PlaceRectWithoutRecords) {
    FakeDisplaySource source;
    DisplayInfo display(source);
    EXPECT_EQ(1, display.ReadAdapterNames());
    std::int32_t x = 3, y = 4;
    EXPECT_EQ(-1, display.PlaceRect(x, y, 100, 100, 1, true));
    EXPECT_EQ(3, x);
    EXPECT_EQ(4, y);
}

TEST(DisplayInfo, NearestMonitorWithoutRecordUsesTheFirst) {
    FakeDisplaySource source;
    source.AddMonitor(RECT{0, 0, 800, 600});
    source.AddMonitor(RECT{800, 0, 1600, 600});
    DisplayInfo display(source);
    // The system now reports a third monitor that the records do not know yet.
    source.AddMonitor(RECT{1600, 0, 2400, 600});
    std::int32_t x = 1700, y = 100;
    EXPECT_EQ(1, display.PlaceRect(x, y, 200, 100, 1, true));
    EXPECT_EQ(300, x);
    EXPECT_EQ(250, y);
}

TEST(DisplayInfo, RealDisplayHasItsScreen) {
    DisplayInfo display;
    ASSERT_FALSE(display.Monitors().empty());
    const MonitorRecord& first = display.Monitors()[0];
    EXPECT_GT(first.rect.right - first.rect.left, 0);
    EXPECT_GT(first.rect.bottom - first.rect.top, 0);
    EXPECT_GT(first.work.right - first.work.left, 0);
    EXPECT_NE('\0', first.deviceName[0]);
    EXPECT_GT(first.depth, 0);
    RECT size;
    EXPECT_EQ(0, display.GetScreenSize(size, first.monitor));
    EXPECT_EQ(first.rect.right, size.right);
    EXPECT_NE(nullptr, display.FindMonitorFor(1, 1));
}

}  // namespace
