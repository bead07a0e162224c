// Writer of "TSND" test sounds (see tsnd_format.h) and of the PCM they decode to.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/support/tsnd_format.h"

namespace testsupport {

struct TsndSound {
    std::uint16_t channels = 1;
    std::uint16_t bits = 16;
    std::uint32_t rate = 22050;
    std::uint32_t frames = 22050;
    std::uint16_t tag = 1;

    std::uint32_t BlockAlign() const { return channels * (bits / 8u); }
    std::uint32_t BytesPerSecond() const { return rate * BlockAlign(); }
    std::uint32_t DataSize() const { return frames * BlockAlign(); }
};

// The PCM bytes of the sound from byte `offset` on, `count` bytes (the data ends earlier).
std::vector<std::uint8_t> TsndPcm(const TsndSound& sound, std::uint32_t offset = 0,
                                  std::uint32_t count = 0xFFFFFFFFu);
// The whole file: header and data.
std::vector<std::uint8_t> MakeTsnd(const TsndSound& sound);

}  // namespace testsupport
