#include "framework/archive/lzss_codec.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

enum class Kind { Zeros, Repeated, Text, RandomBlocks, Random };

Bytes MakeInput(Kind kind, std::uint32_t size) {
    Bytes data(size);
    std::mt19937 random(size);
    const char sentence[] = "The wind carried the last petals over the shrine steps. ";
    Bytes block(1000);
    for (auto& b : block) b = static_cast<std::uint8_t>(random());
    for (std::uint32_t i = 0; i < size; ++i) {
        switch (kind) {
            case Kind::Zeros: data[i] = 0; break;
            case Kind::Repeated: data[i] = 0x41; break;
            case Kind::Text: data[i] = static_cast<std::uint8_t>(sentence[i % (sizeof sentence - 1)]); break;
            case Kind::RandomBlocks: data[i] = block[i % block.size()]; break;
            case Kind::Random: data[i] = static_cast<std::uint8_t>(random()); break;
        }
    }
    return data;
}

struct FreeBlock {
    void operator()(std::uint8_t* block) const { std::free(block); }
};
using Block = std::unique_ptr<std::uint8_t, FreeBlock>;

// Each codec holds about 54 KB of state; tests keep it off their small stacks.
std::unique_ptr<LzssCodec> NewCodec() { return std::make_unique<LzssCodec>(); }

struct RoundTripCase {
    const char* what;
    Kind kind;
    // Smallest size of the table from which the input compresses; 0: never (refused with 1).
    // Below it the encoder may refuse, and then the refusal is all that is checked.
    std::uint32_t shrinksFrom;
};

TEST(LzssCodec, RoundTripsEverySizeAboveEightOrRefusesWithOne) {
    const RoundTripCase cases[] = {
        {"zeros, matched against the zeroed ring", Kind::Zeros, 17},
        {"one repeated byte", Kind::Repeated, 17},
        {"text", Kind::Text, 100},
        {"repeated random blocks", Kind::RandomBlocks, 4095},
        {"random", Kind::Random, 0},
    };
    const std::uint32_t sizes[] = {9, 12, 17, 18, 19, 100, 4095, 4096, 4097, 40000};
    for (const RoundTripCase& c : cases) {
        for (std::uint32_t size : sizes) {
            SCOPED_TRACE(std::string(c.what) + ", size " + std::to_string(size));
            Bytes input = MakeInput(c.kind, size);
            std::uint8_t* raw = nullptr;
            std::uint32_t packedSize = 0xDEADBEEF;
            std::int32_t result = NewCodec()->Encode(input.data(), &raw, size, &packedSize, true);
            Block packed(raw);
            if (c.shrinksFrom == 0) {
                EXPECT_EQ(1, result);
            } else if (size >= c.shrinksFrom) {
                ASSERT_EQ(0, result);
            }
            if (result == 1) {
                EXPECT_EQ(nullptr, raw);
                continue;
            }
            ASSERT_EQ(0, result);
            ASSERT_LT(packedSize, size - 8);
            std::uint8_t* out = nullptr;
            ASSERT_EQ(0, NewCodec()->Decode(raw, packedSize, &out, size, true));
            Block unpacked(out);
            EXPECT_EQ(0, std::memcmp(out, input.data(), size));
        }
    }
}

TEST(LzssCodec, RefusesShortInputsWithoutTouchingTheOutputs) {
    for (std::uint32_t size : {0u, 1u, 8u}) {
        SCOPED_TRACE(size);
        Bytes input(8, 0);
        std::uint8_t* raw = nullptr;
        std::uint32_t packedSize = 77;
        EXPECT_EQ(1, NewCodec()->Encode(input.data(), &raw, size, &packedSize, true));
        EXPECT_EQ(nullptr, raw);
        EXPECT_EQ(77u, packedSize);
    }
}

TEST(LzssCodec, OutputMustEndStrictlyBelowSizeMinusEight) {
    // Seven literals and a run of zeros make one group of 1 + 7 + 2 = 10 bytes: refused for an
    // input of 18 bytes (10 = 18 - 8), accepted for 19.
    struct Case {
        std::uint32_t zeros;
        std::int32_t result;
    } cases[] = {{11, 1}, {12, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zeros);
        Bytes input = {1, 2, 3, 4, 5, 6, 7};
        input.resize(input.size() + c.zeros, 0);
        std::uint8_t* raw = nullptr;
        std::uint32_t packedSize = 0;
        EXPECT_EQ(c.result, NewCodec()->Encode(input.data(), &raw, static_cast<std::uint32_t>(input.size()),
                                               &packedSize, true));
        Block packed(raw);
        if (c.result == 0) {
            EXPECT_EQ(10u, packedSize);
        } else {
            EXPECT_EQ(nullptr, raw);
        }
    }
}

TEST(LzssCodec, EncoderOutputDoesNotDependOnLeftoverState) {
    // Short inputs leave the end of the look-ahead and the ring's mirror unwritten, and the
    // match search compares into them: a codec built over dirty memory or reused after another
    // input must still encode this input the same way.
    const Bytes input = {0, 0, 0, 0, 1, 0, 1, 0, 0xFF, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};
    const std::uint32_t size = static_cast<std::uint32_t>(input.size());
    Bytes expected;
    for (int fill : {0x00, 0xFF, 0x5A}) {
        for (bool reused : {false, true}) {
            SCOPED_TRACE(std::to_string(fill) + (reused ? " reused" : " fresh"));
            auto storage = std::make_unique<unsigned char[]>(sizeof(LzssCodec));
            std::memset(storage.get(), fill, sizeof(LzssCodec));
            LzssCodec* codec = new (storage.get()) LzssCodec;
            if (reused) {
                Bytes other = MakeInput(Kind::RandomBlocks, 5000);
                std::uint8_t* ignored = nullptr;
                std::uint32_t ignoredSize = 0;
                codec->Encode(other.data(), &ignored, 5000, &ignoredSize, true);
                std::free(ignored);
            }
            std::uint8_t* raw = nullptr;
            std::uint32_t packedSize = 0;
            ASSERT_EQ(0, codec->Encode(input.data(), &raw, size, &packedSize, true));
            Bytes packed(raw, raw + packedSize);
            std::free(raw);
            if (expected.empty()) expected = packed;
            EXPECT_EQ(expected, packed);
            std::uint8_t* out = nullptr;
            ASSERT_EQ(0, NewCodec()->Decode(packed.data(), packedSize, &out, size, true));
            Block unpacked(out);
            EXPECT_EQ(input, Bytes(out, out + size));
        }
    }
}

// A hand-made stream: literals 'a', 'b', then a pair that copies 8 bytes from the first write
// position 4078 while writing right behind it, so it repeats what it has just produced.
const Bytes kOverlapStream = {0x03, 'a', 'b', 0xEE, 0xF5};

struct DecodeCase {
    const char* what;
    Bytes stream;
    std::uint32_t outputSize;
    std::int32_t result;
    std::string output;
};

TEST(LzssCodec, DecodesHandMadeStreamsAndStopsAtTheRequestedSize) {
    const DecodeCase cases[] = {
        {"overlapping pair repeats the run", kOverlapStream, 10, 0, "ababababab"},
        {"stops inside a pair", kOverlapStream, 5, 0, "ababa"},
        {"stops after a literal, ignoring the rest", kOverlapStream, 1, 0, "a"},
        {"pair into the zeroed ring", {0x00, 0x00, 0x02}, 5, 0, std::string(5, '\0')},
        {"data ends before the output is full", kOverlapStream, 11, 3, ""},
        {"data ends inside a pair", {0x01, 'a', 0xEE}, 2, 3, ""},
        {"data ends after the flag byte", {0x01}, 1, 3, ""},
        {"no data", {}, 1, 3, ""},
    };
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.what);
        // The stream lies at the end of its own block, so a read past it would be noticed.
        std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[c.stream.size() + 1]);
        std::memcpy(exact.get(), c.stream.data(), c.stream.size());
        std::uint8_t* out = nullptr;
        std::int32_t result = NewCodec()->Decode(exact.get(), static_cast<std::uint32_t>(c.stream.size()),
                                                 &out, c.outputSize, true);
        Block unpacked(out);
        EXPECT_EQ(c.result, result);
        if (c.result == 0) {
            ASSERT_NE(nullptr, out);
            EXPECT_EQ(c.output, std::string(reinterpret_cast<char*>(out), c.outputSize));
        } else {
            EXPECT_EQ(nullptr, out);
        }
    }
}

TEST(LzssCodec, DecodesIntoTheCallersBufferUpToItsSizeOnly) {
    char buffer[12];
    std::memset(buffer, '#', sizeof buffer);
    std::uint8_t* out = reinterpret_cast<std::uint8_t*>(buffer);
    ASSERT_EQ(0, NewCodec()->Decode(kOverlapStream.data(), 5, &out, 7, false));
    EXPECT_EQ(std::string("abababa#####"), std::string(buffer, sizeof buffer));
    EXPECT_EQ(reinterpret_cast<std::uint8_t*>(buffer), out);
}

TEST(LzssCodec, DecodingNothingAllocatesNothing) {
    std::uint8_t* out = nullptr;
    EXPECT_EQ(1, NewCodec()->Decode(kOverlapStream.data(), 5, &out, 0, true));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(2, NewCodec()->Decode(kOverlapStream.data(), 5, &out, 4, false));
}

}  // namespace
