// Writers of the QAG and QAD animation files for the loader tests: the records as the files lay
// them out, with the offsets filled in, and the end of every field noted (for cutting a file at
// each field boundary).
#pragma once

#include <cstdint>
#include <vector>

namespace testsupport {

struct QagItemSpec {
    std::int32_t image;
    std::int32_t time;
    std::int16_t x;
    std::int16_t y;
};
struct QagImageSpec {
    std::vector<std::uint8_t> file;  // a complete image file
    std::int16_t keyX;
    std::int16_t keyY;
};
struct QadFrameSpec {
    std::int32_t picture;
    std::int32_t time;
    std::int16_t x;
    std::int16_t y;
    std::uint32_t textOffset;
};
struct QadPictureSpec {
    std::vector<std::uint8_t> file;
    std::uint16_t p0;
    std::uint16_t p1;
};

struct AnimationFile {
    std::vector<std::uint8_t> bytes;
    // The offset after each field, in file order.
    std::vector<std::uint32_t> fieldEnds;
};

// QAG: header with sequenceCount and skip bytes, the items, the image records, then the image
// data (one block per image, in order).
AnimationFile WriteQag(std::uint16_t g0, std::uint16_t g1, std::uint16_t sequenceCount,
                       std::uint32_t skip, const std::vector<QagItemSpec>& items,
                       const std::vector<QagImageSpec>& images);

// QAD: header words h0..h5 (h[3] the range count), the text block, the frames, the pictures.
AnimationFile WriteQad(const std::uint16_t (&header)[6], const std::vector<char>& text,
                       const std::vector<QadFrameSpec>& frames,
                       const std::vector<QadPictureSpec>& pictures);

}  // namespace testsupport
