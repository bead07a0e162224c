#include "game/script/script_engine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/util/little_endian.h"
#include "game/app/settings_records.h"

namespace {

// Every call the stubs receive, in order, as text.
using CallLog = std::vector<std::string>;

class StubPart : public SettingsTextPart {
public:
    StubPart(std::int32_t type, CallLog& log) : m_type(type), m_log(log) {}
    std::int32_t TypeCode() override { return m_type; }
    void SetTextColours(std::uint8_t first, std::uint32_t colour, std::uint8_t second) override {
        m_log.push_back("part " + std::to_string(m_type) + " colours " + std::to_string(first) + " " +
                        std::to_string(colour) + " " + std::to_string(second));
    }
    void SetListOption(std::uint8_t option) override {
        m_log.push_back("part " + std::to_string(m_type) + " option " + std::to_string(option));
    }

private:
    std::int32_t m_type;
    CallLog& m_log;
};

class StubFont : public SettingsFont {
public:
    StubFont(const char* name, bool antialiased, const char* face, std::int32_t weight, CallLog& log)
        : m_name(name), m_antialiased(antialiased), m_face(face), m_weight(weight), m_log(log) {}
    bool IsAntialiased() override { return m_antialiased; }
    void SetDecoration(std::uint8_t mode, std::int32_t dx, std::int32_t dy) override {
        Log("decoration " + std::to_string(mode) + " " + std::to_string(dx) + " " + std::to_string(dy));
    }
    void SetShadow(std::uint8_t setting) override { Log("shadow " + std::to_string(setting)); }
    void SetLevel(std::uint32_t level) override { Log("level " + std::to_string(level)); }
    const char* Face() override { return m_face.c_str(); }
    std::int32_t Weight() override { return m_weight; }
    std::int32_t Size() override { return 26; }
    void SetFont(std::int32_t size, bool bold, const char* face) override {
        Log("font " + std::to_string(size) + (bold ? " bold " : " normal ") + face);
    }

private:
    void Log(const std::string& call) { m_log.push_back(m_name + " " + call); }

    std::string m_name;
    bool m_antialiased;
    std::string m_face;
    std::int32_t m_weight;
    CallLog& m_log;
};

class StubHistory : public SettingsHistory {
public:
    StubHistory(std::uint32_t pages, CallLog& log) : m_pages(pages), m_log(log) {}
    std::uint32_t Pages() override { return m_pages; }
    void SetPages(std::uint32_t pages) override {
        m_pages = pages;
        m_log.push_back("history " + std::to_string(pages));
    }

private:
    std::uint32_t m_pages;
    CallLog& m_log;
};

class StubFrame : public SettingsScenarioFrame {
public:
    explicit StubFrame(CallLog& log) : m_log(log) {}
    std::uint32_t ApplyUserSettings(bool onlyIfChanged, bool clearMark, SettingsTextPart* window,
                                    SettingsTextPart* list, SettingsFont* font, bool applyFont,
                                    bool applyHistory) override {
        m_log.push_back(std::string("frame ") + (onlyIfChanged ? "1" : "0") + (clearMark ? "1" : "0") +
                        (window ? std::to_string(window->TypeCode()) : "-") + " " +
                        (list ? std::to_string(list->TypeCode()) : "-") + " " + (font ? "font" : "-") + " " +
                        (applyFont ? "1" : "0") + (applyHistory ? "1" : "0"));
        return 77;
    }

private:
    CallLog& m_log;
};

class StubTooltips : public SettingsTooltips {
public:
    explicit StubTooltips(CallLog& log) : m_log(log) {}
    void SetTooltipTiming(bool enabled, std::uint32_t delayMs, std::uint32_t durationMs) override {
        m_log.push_back("tooltips " + std::to_string(enabled) + " " + std::to_string(delayMs) + " " +
                        std::to_string(durationMs));
    }

private:
    CallLog& m_log;
};

const char kFace[] = "\x82\x6c\x82\x72 Face";  // a Shift-JIS face name

class ApplyMessageSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::uint8_t* b = m_appCfg.bytes;
        b[4] = 3;
        b[16] = 1;
        LittleEndian::Store32(b + 20, 750);
        b[29] = 40;
        std::memset(b + 36, 0, 32);
        std::memcpy(b + 36, kFace, sizeof kFace);
        b[68] = 1;
        b[69] = 5;
        b[70] = 2;
        b[71] = 1;
        b[73] = 9;
        b[74] = 200;
        LittleEndian::Store32(b + 76, 0xFD95A4);
        ScriptSettingsServices& services = m_engine.SettingsServices();
        services.appCfg = m_appCfg.bytes;
        services.settingsChanged = &m_mark;
        services.defaultFont = &m_defaultFont;
        services.history = &m_history;
        services.tooltips = &m_tooltips;
    }

    CallLog m_log;
    AppCfgBlock m_appCfg;
    std::uint8_t m_mark = 1;
    StubFont m_defaultFont{"default", true, kFace, 700, m_log};
    StubHistory m_history{100, m_log};
    StubTooltips m_tooltips{m_log};
    ScriptEngine m_engine;
};

TEST_F(ApplyMessageSettingsTest, OnlyIfChangedWithTheMarkClearDoesNothing) {
    m_mark = 0;
    StubPart window(5, m_log);
    StubPart list(6, m_log);
    EXPECT_EQ(0u, m_engine.ApplyMessageSettings(true, true, &window, &list, nullptr, true, true));
    EXPECT_EQ(CallLog{}, m_log);
    EXPECT_EQ(0, m_mark);
}

TEST_F(ApplyMessageSettingsTest, PartsOfTheirTypesTakeTheColoursAndListsTheirOption) {
    struct Case {
        std::int32_t windowType;  // -1: none
        std::int32_t listType;
        CallLog calls;
    };
    const std::string colours = " colours 9 16618916 200";
    const Case cases[] = {
        {5, 6, {"part 5" + colours, "part 6" + colours, "part 6 option 3"}},
        {111, -1, {"part 111" + colours}},
        {-1, 6, {"part 6" + colours, "part 6 option 3"}},
        // A part of another type as the window or as the list is left alone.
        {6, 5, {}},
        {0, 111, {}},
        {-1, -1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.windowType) + " " + std::to_string(c.listType));
        m_log.clear();
        m_mark = 1;
        StubPart window(c.windowType, m_log);
        StubPart list(c.listType, m_log);
        EXPECT_EQ(1u, m_engine.ApplyMessageSettings(true, false, c.windowType < 0 ? nullptr : &window,
                                                    c.listType < 0 ? nullptr : &list, nullptr, false, false));
        EXPECT_EQ(c.calls, m_log);
    }
}

TEST_F(ApplyMessageSettingsTest, TheAntialiasedFontTakesItsSettingsAndIsSetAgainOnlyWhenFaceOrBoldDiffer) {
    struct Case {
        const char* name;
        const char* face;
        std::int32_t weight;
        std::uint8_t bold;  // byte 71
        bool setAgain;
    };
    const Case cases[] = {
        {"same face, bold 700", kFace, 700, 1, false},
        {"same face, weight 699 is not bold", kFace, 699, 1, true},
        {"same face, normal 400", kFace, 400, 0, false},
        {"same face, bold font but normal wanted", kFace, 700, 0, true},
        {"another face", "Other", 700, 1, true},
        {"the face differs in case only", "\x82\x6c\x82\x72 face", 700, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_log.clear();
        m_appCfg.bytes[71] = c.bold;
        StubFont font("given", true, c.face, c.weight, m_log);
        m_engine.ApplyMessageSettings(false, false, nullptr, nullptr, &font, true, false);
        CallLog expected = {"given decoration 2 2 2", "given shadow 5", "given level 2"};
        if (c.setAgain) expected.push_back(std::string("given font 26") + (c.bold ? " bold " : " normal ") + kFace);
        EXPECT_EQ(expected, m_log);
    }
}

TEST_F(ApplyMessageSettingsTest, WithoutAGivenFontTheGlobalOneAndNeverAGdiFont) {
    m_appCfg.bytes[68] = 2;
    EXPECT_EQ(1u, m_engine.ApplyMessageSettings(false, false, nullptr, nullptr, nullptr, true, false));
    EXPECT_EQ((CallLog{"default decoration 2 2 2", "default shadow 5", "default level 4"}), m_log);

    m_log.clear();
    StubFont gdi("gdi", false, "Other", 400, m_log);
    m_engine.ApplyMessageSettings(false, false, nullptr, nullptr, &gdi, true, false);
    EXPECT_EQ(CallLog{}, m_log) << "a GDI font given: neither it nor the global one";

    m_engine.SettingsServices().defaultFont = nullptr;
    m_engine.ApplyMessageSettings(false, false, nullptr, nullptr, nullptr, true, false);
    EXPECT_EQ(CallLog{}, m_log);

    StubFont font("given", true, kFace, 700, m_log);
    m_engine.ApplyMessageSettings(false, false, nullptr, nullptr, &font, false, false);
    EXPECT_EQ(CallLog{}, m_log) << "applyFont not set";
}

TEST_F(ApplyMessageSettingsTest, AFaceFieldWithoutItsTerminatorEndsAtTheField) {
    std::memset(m_appCfg.bytes + 36, 'F', 32);
    // The bytes after the field are no part of the face.
    StubFont font("given", true, "x", 700, m_log);
    m_engine.ApplyMessageSettings(false, false, nullptr, nullptr, &font, true, false);
    ASSERT_EQ(4u, m_log.size());
    EXPECT_EQ("given font 26 bold " + std::string(32, 'F'), m_log[3]);
}

TEST_F(ApplyMessageSettingsTest, TheHistoryKeepsThePagesPlusOneSetOnlyWhenDifferent) {
    struct Case {
        std::uint8_t pages;  // byte 29
        std::uint32_t current;
        CallLog calls;
    };
    const Case cases[] = {
        {40, 100, {"history 41"}},
        {40, 41, {}},
        {0, 5, {"history 0"}},
        {0, 0, {}},
        {255, 0, {"history 256"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.pages) + " over " + std::to_string(c.current));
        m_log.clear();
        m_appCfg.bytes[29] = c.pages;
        StubHistory history(c.current, m_log);
        m_engine.SettingsServices().history = &history;
        m_engine.ApplyMessageSettings(false, false, nullptr, nullptr, nullptr, false, true);
        EXPECT_EQ(c.calls, m_log);
    }
    m_log.clear();
    m_engine.ApplyMessageSettings(false, false, nullptr, nullptr, nullptr, false, false);
    EXPECT_EQ(CallLog{}, m_log) << "applyHistory not set";
}

TEST_F(ApplyMessageSettingsTest, TheMarkIsAnsweredAsItWasAndClearedOnlyWithClearMark) {
    struct Case {
        bool onlyIfChanged;
        bool clearMark;
        std::uint8_t mark;
        std::uint32_t result;
        std::uint8_t markAfter;
    };
    const Case cases[] = {
        {true, false, 1, 1, 1},
        {true, true, 1, 1, 0},
        {false, false, 0, 0, 0},
        {false, true, 0, 0, 0},
        {false, true, 1, 1, 0},
        {true, true, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.onlyIfChanged) + std::to_string(c.clearMark) + std::to_string(c.mark));
        m_mark = c.mark;
        StubPart window(5, m_log);
        EXPECT_EQ(c.result, m_engine.ApplyMessageSettings(c.onlyIfChanged, c.clearMark, &window, nullptr, nullptr,
                                                          false, false));
        EXPECT_EQ(c.markAfter, m_mark);
    }
}

TEST_F(ApplyMessageSettingsTest, AScenarioFrameAppliesEverythingItself) {
    StubFrame frame(m_log);
    m_engine.SettingsServices().scenarioFrame = &frame;
    StubPart window(111, m_log);
    StubPart list(6, m_log);
    StubFont font("given", true, kFace, 700, m_log);
    EXPECT_EQ(77u, m_engine.ApplyMessageSettings(true, true, &window, &list, &font, true, false));
    EXPECT_EQ(CallLog{"frame 11111 6 font 10"}, m_log);
    EXPECT_EQ(1, m_mark) << "the frame's business";
}

TEST_F(ApplyMessageSettingsTest, HintSettingsGoToThePartGroup) {
    m_engine.ApplyHintSettings();
    m_appCfg.bytes[16] = 0;
    LittleEndian::Store32(m_appCfg.bytes + 20, 0x12345678);
    m_engine.ApplyHintSettings();
    EXPECT_EQ((CallLog{"tooltips 1 750 0", "tooltips 0 305419896 0"}), m_log);
}

}  // namespace
