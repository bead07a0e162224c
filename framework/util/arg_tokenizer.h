// ArgTokenizer: reads the definition lines of the program's text data files and markup
// (words, integers, decimal numbers, quoted strings, keywords). Separators are blank, tab,
// comma, '(' and ')'; a Shift-JIS character is always kept whole, so its second byte is never
// taken for a separator or a quote. The tokenizer does not own the text.
//
// Every Read operation returns 0 on success; on failure the cursor stays at the start of the
// item that failed (ReadWord alone may stop inside a word that did not fit).
#pragma once

#include <cstdint>

#include "framework/files/shift_jis.h"

class ArgTokenizer {
public:
    explicit ArgTokenizer(const char* text = nullptr) : m_cursor(text) {}
    virtual ~ArgTokenizer() = default;

    void SetCursor(const char* p) { m_cursor = p; }
    const char* Cursor() const { return m_cursor; }

    // Each returns the character at the cursor after skipping (NUL at the end or without text).
    char SkipSeparators();
    char SkipBlanksAndCommas();
    char SkipBlanks();
    // Moves to the next separator or the end and returns the character found there.
    char SkipWord();

    // 0; 1 no text, empty text or size 0; 3 buffer too small. Does not skip separators first.
    std::int32_t ReadWord(char* buffer, std::uint32_t size);
    // Skips separators; when `text` follows (no word boundary needed after it) moves past it and
    // returns true, else the cursor stays after the separators.
    bool MatchKeyword(const char* text);
    // 0; 1 no text; 2 no number at the cursor ('-' without a digit after it is no number).
    // "0x" starts hexadecimal, "0b" binary digits; the value wraps in 32 bits.
    std::int32_t ReadInteger(std::int32_t* out);
    // Digits, an optional '.' and digits after it (no exponent); a leading '.' is no number.
    std::int32_t ReadDouble(double* out);
    // 0; 1 no text or size 0; 2 no opening quote; 3 buffer too small; 4 no closing quote.
    std::int32_t ReadQuotedString(char* buffer, std::uint32_t size, bool keepQuotes);

private:
    // Skips to the next argument and past a leading '-': 0 with its first digit in *outDigits;
    // 1 no text; 2 the argument does not start with a digit (the cursor is then on it).
    std::int32_t StartNumber(const char** outDigits, bool* outNegative);

    const char* m_cursor;
};
