#include "framework/util/arg_tokenizer.h"

#include <cstdlib>
#include <string>

namespace {

bool IsSeparator(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == '(' || c == ')';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Byte length of the character at p: 2 for a Shift-JIS pair, 1 otherwise (also for a lead byte
// that the text ends after, so nothing reads past the terminator).
std::uint32_t CharLength(const char* p) {
    return IsShiftJisLeadByte(static_cast<unsigned char>(p[0])) && p[1] != '\0' ? 2 : 1;
}

// Value of c as a digit of the base, or -1.
int DigitValue(char c, int base) {
    int v = -1;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    return v < base ? v : -1;
}

}  // namespace

char ArgTokenizer::SkipSeparators() {
    if (!m_cursor) return '\0';
    while (IsSeparator(*m_cursor)) ++m_cursor;
    return *m_cursor;
}

char ArgTokenizer::SkipBlanksAndCommas() {
    if (!m_cursor) return '\0';
    while (*m_cursor == ' ' || *m_cursor == '\t' || *m_cursor == ',') ++m_cursor;
    return *m_cursor;
}

char ArgTokenizer::SkipBlanks() {
    if (!m_cursor) return '\0';
    while (*m_cursor == ' ' || *m_cursor == '\t') ++m_cursor;
    return *m_cursor;
}

char ArgTokenizer::SkipWord() {
    if (!m_cursor) return '\0';
    while (*m_cursor != '\0' && !IsSeparator(*m_cursor)) m_cursor += CharLength(m_cursor);
    return *m_cursor;
}

std::int32_t ArgTokenizer::ReadWord(char* buffer, std::uint32_t size) {
    if (!m_cursor || *m_cursor == '\0' || size == 0 || !buffer) return 1;
    std::uint32_t used = 0;
    while (*m_cursor != '\0' && !IsSeparator(*m_cursor)) {
        const std::uint32_t length = CharLength(m_cursor);
        // The terminator's byte must stay free, and a pair is never split.
        if (used + length > size - 1) return 3;
        for (std::uint32_t k = 0; k < length; ++k) buffer[used++] = *m_cursor++;
    }
    buffer[used] = '\0';
    return 0;
}

bool ArgTokenizer::MatchKeyword(const char* text) {
    if (!m_cursor || !text) return false;
    SkipSeparators();
    const char* p = m_cursor;
    for (; *text != '\0'; ++text, ++p) {
        if (*p != *text) return false;
    }
    m_cursor = p;
    return true;
}

std::int32_t ArgTokenizer::StartNumber(const char** outDigits, bool* outNegative) {
    if (!m_cursor) return 1;
    SkipSeparators();
    const char* p = m_cursor;
    *outNegative = *p == '-';
    if (*outNegative) ++p;
    if (!IsDigit(*p)) return 2;
    *outDigits = p;
    return 0;
}

// A '-' that no digit follows is not a number: the result is 2 and the cursor stays on the '-',
// as it does for any other text that is not a number. (Reading it as 0 would consume text that
// the caller may want to read as a word.)
std::int32_t ArgTokenizer::ReadInteger(std::int32_t* out) {
    const char* p = nullptr;
    bool negative = false;
    if (const std::int32_t code = StartNumber(&p, &negative)) return code;
    int base = 10;
    if (p[0] == '0' && p[1] == 'x') {
        base = 16;
        p += 2;
    } else if (p[0] == '0' && p[1] == 'b') {
        base = 2;
        p += 2;
    }
    std::uint32_t value = 0;
    for (int digit; (digit = DigitValue(*p, base)) >= 0; ++p) {
        value = value * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit);
    }
    if (negative) value = 0u - value;
    if (out) *out = static_cast<std::int32_t>(value);
    m_cursor = p;
    return 0;
}

std::int32_t ArgTokenizer::ReadDouble(double* out) {
    const char* p = nullptr;
    bool negative = false;
    if (const std::int32_t code = StartNumber(&p, &negative)) return code;
    // The number's text is collected whole (no length limit), without sign and exponent.
    std::string text;
    while (IsDigit(*p)) text += *p++;
    if (*p == '.') {
        text += *p++;
        while (IsDigit(*p)) text += *p++;
    }
    const double value = std::strtod(text.c_str(), nullptr);
    if (out) *out = negative ? -value : value;
    m_cursor = p;
    return 0;
}

std::int32_t ArgTokenizer::ReadQuotedString(char* buffer, std::uint32_t size, bool keepQuotes) {
    if (!m_cursor || size == 0 || !buffer) return 1;
    SkipSeparators();
    const char* p = m_cursor;
    if (*p != '"') return 2;
    ++p;
    // Room for the text, the terminator and, when kept, both quotes.
    const std::uint32_t reserved = keepQuotes ? 2 : 0;
    if (size < reserved + 1) return 3;
    const std::uint32_t limit = size - 1 - reserved;
    std::uint32_t used = 0;
    if (keepQuotes) buffer[used++] = '"';
    while (*p != '"') {
        if (*p == '\0') return 4;
        const std::uint32_t length = CharLength(p);
        if (used - (keepQuotes ? 1 : 0) + length > limit) return 3;
        for (std::uint32_t k = 0; k < length; ++k) buffer[used++] = *p++;
    }
    ++p;
    if (keepQuotes) buffer[used++] = '"';
    buffer[used] = '\0';
    m_cursor = p;
    return 0;
}
