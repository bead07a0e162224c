// The system's dictionary compressor: LZSS over a 4096-byte ring, with binary search trees for
// the encoder's longest-match search.
//
// A compressed stream has no header, length or end mark: every user keeps the uncompressed size
// (and the compressed size) beside it. The codec keeps its whole state in the object, which is
// meant to live on the caller's stack for one call; objects share nothing, so any thread may use
// its own.
#pragma once

#include <cstdint>

class LzssCodec {
public:
    static constexpr std::uint32_t kRingSize = 4096;
    static constexpr std::uint32_t kLongestMatch = 18;
    static constexpr std::uint32_t kShortestMatch = 3;

    enum Result : std::int32_t {
        kDone = 0,
        kNotWorthIt = 1,      // encoder: input too short, or it does not shrink enough
        kNothingToDo = 1,     // decoder: output size 0
        kOutOfMemory = 2,
        kTruncated = 3,       // decoder: the compressed data ends before the output is full
    };

    // Compresses `size` bytes. The result must be shorter than size - 8 bytes. With `allocate`
    // the output is a new block of size - 8 bytes (free it with std::free), else *outCompressed
    // must point at a buffer of at least size - 8 bytes. On failure no block is handed out.
    std::int32_t Encode(const std::uint8_t* source, std::uint8_t** outCompressed, std::uint32_t size,
                        std::uint32_t* outCompressedSize, bool allocate);

    // Decodes exactly `outputSize` bytes from at most `compressedSize` input bytes. With
    // `allocate` the output is a new block of outputSize bytes (free it with std::free), else
    // *output must point at a buffer that holds outputSize bytes.
    std::int32_t Decode(const std::uint8_t* compressed, std::uint32_t compressedSize,
                        std::uint8_t** output, std::uint32_t outputSize, bool allocate);

private:
    static constexpr std::uint32_t kNil = kRingSize;
    static constexpr std::uint32_t kMirror = kLongestMatch - 1;
    static constexpr std::uint32_t kFirstWrite = kRingSize - kLongestMatch;

    void InitTree();
    void InsertNode(std::uint32_t r);
    void DeleteNode(std::uint32_t p);

    std::uint8_t m_ring[kRingSize + kMirror];
    std::uint32_t m_parent[kRingSize + 1];
    std::uint32_t m_left[kRingSize + 1];
    std::uint32_t m_right[kRingSize + 257];  // 4097 + b: root of the tree of first byte b
    std::uint32_t m_matchPosition = 0;
    std::uint32_t m_matchLength = 0;
};
