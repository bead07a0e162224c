#include "graphics/text/text_syntax.h"

TextToken NextTextToken(const char** cursor, bool pictures) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(*cursor);
    TextToken token{TextTokenKind::End, 0};
    if (p[0] == 0) {
        return token;
    }
    if (IsShiftJisLead(p[0])) {
        if (p[1] == 0) {
            *cursor = reinterpret_cast<const char*>(p + 1);
            return token;
        }
        token = {TextTokenKind::Character, (static_cast<std::uint32_t>(p[0]) << 8) | p[1]};
        p += 2;
    } else if (p[0] == '\n') {
        token = {TextTokenKind::LineBreak, '\n'};
        p += 1;
    } else if (p[0] == '@' && pictures) {
        if (p[1] == '@') {
            token = {TextTokenKind::Character, '@'};
            p += 2;
        } else {
            std::uint32_t number = 0;
            int digits = 0;
            ++p;
            while (digits < kPictureDigits && *p >= '0' && *p <= '9') {
                number = number * 10 + (*p - '0');
                ++p;
                ++digits;
            }
            token = {TextTokenKind::Picture, number};
        }
    } else {
        token = {TextTokenKind::Character, p[0]};
        p += 1;
    }
    *cursor = reinterpret_cast<const char*>(p);
    return token;
}

std::int32_t CountTextChars(const char* text) {
    if (text == nullptr) {
        return 0;
    }
    std::int32_t count = 0;
    while (NextTextToken(&text).kind != TextTokenKind::End) {
        ++count;
    }
    return count;
}
