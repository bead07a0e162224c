#include "scenario/text/line_break_tables.h"

// The sources are UTF-8 and the compiler writes the strings in code page 932, so each full-width
// character below becomes its lead-trail pair and each half-width katakana one byte.
const char kNoLineStartClosingOneByte[] = "%),:;]}｡｣ﾞﾟ";
const char kNoLineStartClosingTwoByte[] =
    "。，、．：；゛゜ヽヾゝゞ々’”）〕］｝〉》」』】°′″℃￠％‰";
const char kNoLineStartSmallOneByte[] = "!.?､･ｧｨｩｪｫｬｭｮｯｰ";
const char kNoLineStartSmallTwoByte[] =
    "・？！ーぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮヵヶ";
const char kNoLineEndOpeningOneByte[] = "\\$([{｢";
const char kNoLineEndOpeningTwoByte[] = "‘“（〔［｛〈《「『【￥＄￡";

bool InOneByteTable(const char* table, std::uint8_t c) {
    if (c == 0) {
        return false;
    }
    for (const auto* p = reinterpret_cast<const std::uint8_t*>(table); *p != 0; ++p) {
        if (*p == c) {
            return true;
        }
    }
    return false;
}

bool InTwoByteTable(const char* table, std::uint16_t pair) {
    if (pair == 0) {
        return false;
    }
    for (const auto* p = reinterpret_cast<const std::uint8_t*>(table); p[0] != 0 && p[1] != 0;
         p += 2) {
        if ((p[0] | (p[1] << 8)) == pair) {
            return true;
        }
    }
    return false;
}
