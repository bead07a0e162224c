#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/text/text_syntax.h"

namespace {

// Tokens as a compact string: c<hex> characters, p<n> pictures, "/" line breaks.
std::string Tokens(const char* text, bool pictures = true) {
    std::string out;
    for (TextToken t; (t = NextTextToken(&text, pictures)).kind != TextTokenKind::End;) {
        char part[24];
        if (t.kind == TextTokenKind::LineBreak) {
            out += "/";
            continue;
        }
        std::snprintf(part, sizeof(part), "%s%x ", t.kind == TextTokenKind::Picture ? "p" : "c",
                      t.code);
        out += part;
    }
    return out;
}

struct SyntaxCase {
    const char* name;
    const char* text;
    const char* tokens;
    int count;
};

TEST(TextSyntax, ReadsPairsBreaksAndEscapes) {
    const SyntaxCase cases[] = {
        {"plain bytes", "Ab", "c41 c62 ", 2},
        {"shift-jis pair, trail 0x5c", "\x95\x5c" "A", "c955c c41 ", 2},
        {"half-width kana is one byte", "\xb1", "cb1 ", 1},
        {"line break counts as a character", "A\nB", "c41 /c42 ", 3},
        {"double at is an at sign", "@@", "c40 ", 1},
        {"digits then text", "@12x", "pc c78 ", 2},
        {"no digits is picture 0", "@x", "p0 c78 ", 2},
        // Seven digits make the number; the eighth is text again.
        {"at most seven digits", "@12345678", "p12d687 c38 ", 2},
        {"high byte ends the number", "@\x82\xa0", "p0 c82a0 ", 2},
        {"at sign at the end", "@", "p0 ", 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Tokens(c.text), c.tokens) << c.name;
        EXPECT_EQ(CountTextChars(c.text), c.count) << c.name;
    }
}

TEST(TextSyntax, GdiTextHasNoEscapes) {
    EXPECT_EQ(Tokens("@1@@", false), "c40 c31 c40 c40 ");
}

TEST(TextSyntax, LeadByteBeforeTerminatorEndsTheText) {
    // The bytes after the terminator must never be read as part of the text.
    const char text[] = "A\x82\0ZZ";
    EXPECT_EQ(Tokens(text), "c41 ");
    EXPECT_EQ(CountTextChars(text), 1);
    const char* cursor = text;
    NextTextToken(&cursor);
    EXPECT_EQ(NextTextToken(&cursor).kind, TextTokenKind::End);
    EXPECT_EQ(NextTextToken(&cursor).kind, TextTokenKind::End);
    EXPECT_LE(cursor, text + 2);
}

TEST(TextSyntax, NullCountsZero) {
    EXPECT_EQ(CountTextChars(nullptr), 0);
}

}  // namespace
