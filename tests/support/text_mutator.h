// Damaged copies of a script text, the same for every run: each applies a few edits (inserted,
// deleted, replaced or repeated characters drawn from digits, signs, commas, blanks, "!",
// letters, Shift-JIS lead bytes and long digit runs), and some end in a lone lead byte.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

inline std::vector<std::string> MutatedTexts(const std::string& text, std::uint32_t seed,
                                             int count) {
    std::uint32_t state = seed;
    auto next = [&state](std::uint32_t bound) {
        state = state * 1664525u + 1013904223u;
        return static_cast<std::uint32_t>((static_cast<std::uint64_t>(state >> 8) * bound) >> 24);
    };
    static const char kPieces[] = "0123456789+-,. !<>PpclrudiOZR$%[]^_tAFBSNMLoz";
    auto piece = [&]() -> std::string {
        switch (next(6)) {
        case 0: return std::string(1, static_cast<char>(0x81 + next(0x1F)));  // a lead byte
        case 1: return std::string(30 + next(11), static_cast<char>('1' + next(9)));
        default: return std::string(1, kPieces[next(sizeof(kPieces) - 1)]);
        }
    };
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) {
        std::string copy = text;
        const std::uint32_t edits = 1 + next(4);
        for (std::uint32_t e = 0; e < edits; ++e) {
            const auto size = static_cast<std::uint32_t>(copy.size());
            const std::uint32_t at = next(size + 1);
            switch (next(4)) {
            case 0: copy.insert(at, piece()); break;
            case 1: if (at < size) copy.erase(at, 1 + next(3)); break;
            case 2: if (at < size) copy.replace(at, 1, piece()); break;
            default: if (at < size) copy.insert(at, std::string(1 + next(4), copy[at])); break;
            }
        }
        if (next(8) == 0) copy.push_back(static_cast<char>(0x81 + next(0x1F)));
        out.push_back(std::move(copy));
    }
    return out;
}

}  // namespace testsupport
