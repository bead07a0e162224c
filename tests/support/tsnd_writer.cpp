#include "tests/support/tsnd_writer.h"

#include <cstring>

namespace testsupport {

std::vector<std::uint8_t> TsndPcm(const TsndSound& sound, std::uint32_t offset,
                                  std::uint32_t count) {
    const std::uint32_t size = sound.DataSize();
    if (offset >= size) return {};
    if (count > size - offset) count = size - offset;
    std::vector<std::uint8_t> pcm(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t at = offset + i;
        if (sound.bits == 8) {
            pcm[i] = tsnd::Sample8(sound.tag, at);
        } else {
            const std::uint16_t sample = tsnd::Sample16(sound.tag, at / 2);
            pcm[i] = static_cast<std::uint8_t>(at % 2 ? sample >> 8 : sample);
        }
    }
    return pcm;
}

std::vector<std::uint8_t> MakeTsnd(const TsndSound& sound) {
    std::vector<std::uint8_t> file(tsnd::kHeaderSize);
    std::memcpy(file.data(), tsnd::kMagic, 4);
    auto put = [&](std::size_t at, std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) file[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    };
    put(4, sound.channels, 2);
    put(6, sound.bits, 2);
    put(8, sound.rate, 4);
    put(12, sound.frames, 4);
    const std::vector<std::uint8_t> pcm = TsndPcm(sound);
    file.insert(file.end(), pcm.begin(), pcm.end());
    return file;
}

}  // namespace testsupport
