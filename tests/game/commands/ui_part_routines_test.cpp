#include "game/commands/ui_part_routines.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/support/command_doubles.h"

namespace {

using namespace testsupport;

class UiPartRoutines : public ::testing::Test {
protected:
    UiPartRoutines() : m_scope(nullptr, &m_parts, nullptr, nullptr) {}

    // A registered part of the type.
    FakeUiPart& Part(std::int32_t type) {
        m_owned.push_back(std::make_unique<FakeUiPart>(type));
        m_parts.parts.Add(m_owned.back().get());
        return *m_owned.back();
    }

    FakeUiParts m_parts;
    std::vector<std::unique_ptr<FakeUiPart>> m_owned;
    ServicesScope m_scope;
};

constexpr std::int32_t kAllTypes[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 111};

bool Serves(std::initializer_list<std::int32_t> types, std::int32_t type) {
    for (std::int32_t t : types) {
        if (t == type) return true;
    }
    return false;
}

TEST_F(UiPartRoutines, EachRoutineServesItsTypesAndFailsForTheOthers) {
    Sprite sprite, row;
    char text[] = "text";
    char rowText[] = "row";
    for (std::int32_t type : kAllTypes) {
        SCOPED_TRACE(type);
        FakeUiPart& part = Part(type);
        part.sprite = &sprite;
        part.rowObject = &row;
        part.text = text;
        part.rowText = rowText;
        part.value = 42;
        const std::uint32_t word = WordOf(&part);

        Drawable* expectedSprite = nullptr;
        if (type == 6) expectedSprite = &row;
        if (Serves({0, 1, 2, 3, 5, 8, 9, 111}, type)) expectedSprite = &sprite;
        EXPECT_EQ(expectedSprite, GetPartSprite(word, 2));

        char* expectedText = nullptr;
        if (type == 6) expectedText = rowText;
        if (Serves({0, 1, 3, 5, 8, 9, 10, 111}, type)) expectedText = text;
        EXPECT_EQ(expectedText, GetPartText(word, 2));

        const std::int32_t state = GetPartState(word);
        if (type == 1) {
            EXPECT_EQ(0, state);
        } else {
            EXPECT_EQ(Serves({3, 4, 6, 9, 10}, type) ? 42 : -1, state);
        }
        EXPECT_EQ(Serves({0, 1, 4}, type) ? 0 : -1, SetPartFlag(word, 0x100));
        EXPECT_EQ(Serves({1, 3, 5, 6, 10, 111}, type) ? 0 : -1, SetPartInputLock(word, 0));
        if (!Serves({1, 3, 4, 5, 9, 10, 111}, type)) {
            EXPECT_EQ(-1, SetPartContent(word, 1));
        }
    }
}

TEST_F(UiPartRoutines, ListRowsAreTheRowHeaderAndFooter) {
    FakeUiPart& list = Part(kUiList);
    for (std::int32_t row : {4, -1, -2}) {
        GetPartSprite(WordOf(&list), row);
        EXPECT_EQ(row, list.lastRow);
        GetPartText(WordOf(&list), row + 1);
        EXPECT_EQ(row + 1, list.lastRow);
    }
}

TEST_F(UiPartRoutines, CheckStateCountsFromThreeExceptSix) {
    FakeUiPart& check = Part(kUiCheck);
    for (std::int32_t state : {0, 2, 3, 4, 5, 6, 7}) {
        check.checkState = state;
        EXPECT_EQ(state >= 3 && state != 6 ? 1 : 0, GetPartState(WordOf(&check))) << state;
    }
}

TEST_F(UiPartRoutines, ContentGoesToTheTypesSetter) {
    FakeUiPart& check = Part(kUiCheck);
    check.answer = 0xC3;
    EXPECT_EQ(0xC3, SetPartContent(WordOf(&check), 0x200));  // boolean: nonzero
    FakeUiPart& box = Part(kUiTextBox);
    const char text[] = "abc";
    EXPECT_EQ(0, SetPartContent(WordOf(&box), WordOf(text)));
    FakeUiPart& slider = Part(kUiSlider);
    EXPECT_EQ(0, SetPartContent(WordOf(&slider), static_cast<std::uint32_t>(-5)));
    FakeUiPart& select = Part(kUiSelectList);
    EXPECT_EQ(0, SetPartContent(WordOf(&select), 3));
    FakeUiPart& map = Part(kUiHitMap);
    EXPECT_EQ(0, SetPartContent(WordOf(&map), 7));
    EXPECT_EQ("check(1)", check.log);
    EXPECT_EQ("text(abc)", box.log);
    EXPECT_EQ("slider(-5)", slider.log);
    EXPECT_EQ("select(3)", select.log);
    EXPECT_EQ("select(7)", map.log);
}

TEST_F(UiPartRoutines, TextWindowLineBreaks) {
    struct Case {
        const char* text;
        const char* fed;
    };
    const Case cases[] = {
        {"a\r\nb", "a|b"},   // CR LF: one new line
        {"a\n\rb", "a||b"},  // LF CR: two
        {"a\rb\nc", "a|b|c"},
        {"\r\n\r\n", "||"},
        {"ab\r", "ab|"},
    };
    for (std::int32_t type : {kUiTextWindow, kUiSobMessageWindow}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.text);
            FakeUiPart& window = Part(type);
            EXPECT_EQ(0, SetPartContent(WordOf(&window), WordOf(c.text)));
            EXPECT_EQ(c.fed, window.fed);
        }
    }
}

TEST_F(UiPartRoutines, FeedingStopsWhenTheWindowIsFull) {
    FakeUiPart& window = Part(kUiTextWindow);
    window.room = 3;
    EXPECT_EQ(0, SetPartContent(WordOf(&window), WordOf("ab\r\ncdef")));
    EXPECT_EQ("ab|", window.fed);
}

}  // namespace
