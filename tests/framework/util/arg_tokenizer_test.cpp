#include "framework/util/arg_tokenizer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct IntegerCase {
    const char* name;
    const char* text;
    std::int32_t result;
    std::int32_t value;
    const char* rest;  // the text left after the cursor
};

TEST(ArgTokenizerTest, ReadIntegerCases) {
    const IntegerCase cases[] = {
        {"hexadecimal", "0x1F,2", 0, 31, ",2"},
        {"hexadecimal capitals", "0xAbZ", 0, 0xAB, "Z"},
        {"binary stops at 2", "0b1012", 0, 5, "2"},
        {"negative decimal", " -12)", 0, -12, ")"},
        {"leading zeros stay decimal", "007", 0, 7, ""},
        {"separators skipped", "( ,\t42 x", 0, 42, " x"},
        {"overflow wraps", "4294967297", 0, 1, ""},
        {"negative hexadecimal", "-0x10", 0, -16, ""},
        {"word is no number", "abc", 2, 99, "abc"},
        {"minus without digit is no number", "-x", 2, 99, "-x"},
        {"minus at the end is no number", " -", 2, 99, "-"},
        {"empty text", "", 2, 99, ""},
    };
    for (const IntegerCase& c : cases) {
        SCOPED_TRACE(c.name);
        ArgTokenizer tokenizer(c.text);
        std::int32_t value = 99;
        EXPECT_EQ(c.result, tokenizer.ReadInteger(&value));
        EXPECT_EQ(c.value, value);
        EXPECT_STREQ(c.rest, tokenizer.Cursor());
    }
}

struct DoubleCase {
    const char* name;
    const char* text;
    std::int32_t result;
    double value;
    const char* rest;
};

TEST(ArgTokenizerTest, ReadDoubleCases) {
    const DoubleCase cases[] = {
        {"negative fraction", "-2.5,", 0, -2.5, ","},
        {"trailing point", "3.x", 0, 3.0, "x"},
        {"no exponent is read", "1.5e3", 0, 1.5, "e3"},
        {"long number is read whole", "123456789012345678901234567890123456.5", 0,
         123456789012345678901234567890123456.5, ""},
        {"leading point is no number", ".5", 2, 7.0, ".5"},
        {"minus point is no number", "-.5", 2, 7.0, "-.5"},
    };
    for (const DoubleCase& c : cases) {
        SCOPED_TRACE(c.name);
        ArgTokenizer tokenizer(c.text);
        double value = 7.0;
        EXPECT_EQ(c.result, tokenizer.ReadDouble(&value));
        EXPECT_DOUBLE_EQ(c.value, value);
        EXPECT_STREQ(c.rest, tokenizer.Cursor());
    }
}

TEST(ArgTokenizerTest, NoTextGivesOneEverywhere) {
    ArgTokenizer tokenizer;
    std::int32_t i = 0;
    double d = 0;
    char buffer[8];
    EXPECT_EQ(1, tokenizer.ReadInteger(&i));
    EXPECT_EQ(1, tokenizer.ReadDouble(&d));
    EXPECT_EQ(1, tokenizer.ReadWord(buffer, sizeof buffer));
    EXPECT_EQ(1, tokenizer.ReadQuotedString(buffer, sizeof buffer, false));
    EXPECT_FALSE(tokenizer.MatchKeyword("A"));
    EXPECT_EQ('\0', tokenizer.SkipSeparators());
    EXPECT_EQ('\0', tokenizer.SkipWord());
}

TEST(ArgTokenizerTest, SkipFamiliesStopAtTheirOwnSeparators) {
    ArgTokenizer tokenizer(" \t,(x");
    EXPECT_EQ('(', tokenizer.SkipBlanksAndCommas());
    tokenizer.SetCursor(" \t,(x");
    EXPECT_EQ(',', tokenizer.SkipBlanks());
    EXPECT_EQ('x', tokenizer.SkipSeparators());
    tokenizer.SetCursor("word(next");
    EXPECT_EQ('(', tokenizer.SkipWord());
}

TEST(ArgTokenizerTest, MatchKeywordNeedsNoWordBoundaryAndRewindsOnMismatch) {
    ArgTokenizer tokenizer(" ONE");
    EXPECT_TRUE(tokenizer.MatchKeyword("ON"));
    EXPECT_STREQ("E", tokenizer.Cursor());

    tokenizer.SetCursor(", OFF");
    EXPECT_FALSE(tokenizer.MatchKeyword("ON"));
    EXPECT_STREQ("OFF", tokenizer.Cursor());
    EXPECT_FALSE(tokenizer.MatchKeyword("OFFSET"));
    EXPECT_STREQ("OFF", tokenizer.Cursor());
}

// "表" is 0x95 0x5C and "ソ" is 0x83 0x5C: a pair cut in two would leave a stray lead byte.
TEST(ArgTokenizerTest, WordsKeepShiftJisPairsWhole) {
    const std::string text = "表ソ,next";
    ArgTokenizer tokenizer(text.c_str());
    char buffer[16];
    ASSERT_EQ(0, tokenizer.ReadWord(buffer, sizeof buffer));
    EXPECT_EQ(std::string("表ソ"), buffer);
    EXPECT_STREQ(",next", tokenizer.Cursor());

    // A pair whose second byte would take the terminator's place does not fit.
    tokenizer.SetCursor(text.c_str());
    char small[4];
    EXPECT_EQ(3, tokenizer.ReadWord(small, sizeof small));
    EXPECT_EQ(text.c_str() + 2, tokenizer.Cursor());

    // A second byte equal to a separator does not end the word either (crafted, as no such
    // character is assigned).
    const char crafted[] = {'\x82', ',', 'a', ' ', 'b', '\0'};
    tokenizer.SetCursor(crafted);
    ASSERT_EQ(0, tokenizer.ReadWord(buffer, sizeof buffer));
    EXPECT_EQ(std::string(crafted, 3), buffer);
    tokenizer.SetCursor(crafted);
    EXPECT_EQ(' ', tokenizer.SkipWord());
}

TEST(ArgTokenizerTest, ReadWordRoomCountsTheTerminator) {
    ArgTokenizer tokenizer("abcd efg");
    char buffer[5];
    ASSERT_EQ(0, tokenizer.ReadWord(buffer, sizeof buffer));
    EXPECT_STREQ("abcd", buffer);
    EXPECT_EQ('e', tokenizer.SkipBlanks());
    EXPECT_EQ(3, tokenizer.ReadWord(buffer, 3));
    EXPECT_EQ(1, tokenizer.ReadWord(buffer, 0));
    // A lead byte that the text ends after is one character, and nothing is read past the end.
    const char truncated[] = {'a', '\x95', '\0', 'z', '\0'};
    tokenizer.SetCursor(truncated);
    ASSERT_EQ(0, tokenizer.ReadWord(buffer, sizeof buffer));
    EXPECT_EQ(std::string("a\x95"), buffer);
    EXPECT_EQ(truncated + 2, tokenizer.Cursor());
}

struct QuotedCase {
    const char* name;
    const char* text;
    std::uint32_t size;
    bool keepQuotes;
    std::int32_t result;
    const char* value;  // expected buffer on success
    const char* rest;
};

TEST(ArgTokenizerTest, ReadQuotedStringCases) {
    const QuotedCase cases[] = {
        {"plain", " \"a b\",x", 16, false, 0, "a b", ",x"},
        {"quotes kept", "\"ab\"", 16, true, 0, "\"ab\"", ""},
        {"exact fit", "\"abc\"", 4, false, 0, "abc", ""},
        {"exact fit with quotes", "\"abc\"", 6, true, 0, "\"abc\"", ""},
        {"one short", "\"abc\"", 3, false, 3, nullptr, "\"abc\""},
        {"kept closing quote does not fit", "\"abc\"", 5, true, 3, nullptr, "\"abc\""},
        {"no opening quote", " abc", 16, false, 2, nullptr, "abc"},
        {"no closing quote", "\"abc", 16, false, 4, nullptr, "\"abc"},
        {"size zero", "\"abc\"", 0, false, 1, nullptr, "\"abc\""},
        {"quote byte inside a pair", "\"\x81\"x\"", 16, false, 0, "\x81\"x", ""},
    };
    for (const QuotedCase& c : cases) {
        SCOPED_TRACE(c.name);
        ArgTokenizer tokenizer(c.text);
        char buffer[16] = "untouched";
        EXPECT_EQ(c.result, tokenizer.ReadQuotedString(buffer, c.size, c.keepQuotes));
        if (c.value) {
            EXPECT_STREQ(c.value, buffer);
        }
        EXPECT_STREQ(c.rest, tokenizer.Cursor());
    }
}

}  // namespace
