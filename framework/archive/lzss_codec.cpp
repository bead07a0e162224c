#include "framework/archive/lzss_codec.h"

#include <cstdlib>

namespace {

void ZeroBytes(std::uint8_t* bytes, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i) bytes[i] = 0;
}

// Where a result goes: a new block of `size` bytes when `allocate` is set, else the caller's
// block; null when there is none.
std::uint8_t* Destination(std::uint8_t* callerBlock, std::uint32_t size, bool allocate) {
    return allocate ? static_cast<std::uint8_t*>(std::malloc(size)) : callerBlock;
}

}  // namespace

void LzssCodec::InitTree() {
    for (std::uint32_t i = kRingSize + 1; i <= kRingSize + 256; ++i) m_right[i] = kNil;
    for (std::uint32_t i = 0; i < kRingSize; ++i) m_parent[i] = kNil;
}

void LzssCodec::InsertNode(std::uint32_t r) {
    const std::uint8_t* key = &m_ring[r];
    int cmp = 1;
    std::uint32_t p = kRingSize + 1 + key[0];
    m_right[r] = m_left[r] = kNil;
    m_matchLength = 0;
    for (;;) {
        if (cmp >= 0) {
            if (m_right[p] == kNil) {
                m_right[p] = r;
                m_parent[r] = p;
                return;
            }
            p = m_right[p];
        } else {
            if (m_left[p] == kNil) {
                m_left[p] = r;
                m_parent[r] = p;
                return;
            }
            p = m_left[p];
        }
        std::uint32_t i = 1;
        for (; i < kLongestMatch; ++i) {
            cmp = static_cast<int>(key[i]) - static_cast<int>(m_ring[p + i]);
            if (cmp != 0) break;
        }
        // Strictly longer only: of two equal matches the older one stays.
        if (i > m_matchLength) {
            m_matchPosition = p;
            m_matchLength = i;
            if (i >= kLongestMatch) break;
        }
    }
    // A full-length match: r replaces p in the tree, which then no longer needs p.
    m_parent[r] = m_parent[p];
    m_left[r] = m_left[p];
    m_right[r] = m_right[p];
    m_parent[m_left[p]] = r;
    m_parent[m_right[p]] = r;
    if (m_right[m_parent[p]] == p)
        m_right[m_parent[p]] = r;
    else
        m_left[m_parent[p]] = r;
    m_parent[p] = kNil;
}

void LzssCodec::DeleteNode(std::uint32_t p) {
    if (m_parent[p] == kNil) return;
    std::uint32_t q;
    if (m_right[p] == kNil) {
        q = m_left[p];
    } else if (m_left[p] == kNil) {
        q = m_right[p];
    } else {
        q = m_left[p];
        if (m_right[q] != kNil) {
            do {
                q = m_right[q];
            } while (m_right[q] != kNil);
            m_right[m_parent[q]] = m_left[q];
            m_parent[m_left[q]] = m_parent[q];
            m_left[q] = m_left[p];
            m_parent[m_left[p]] = q;
        }
        m_right[q] = m_right[p];
        m_parent[m_right[p]] = q;
    }
    m_parent[q] = m_parent[p];
    if (m_right[m_parent[p]] == p)
        m_right[m_parent[p]] = q;
    else
        m_left[m_parent[p]] = q;
    m_parent[p] = kNil;
}

std::int32_t LzssCodec::Encode(const std::uint8_t* source, std::uint8_t** outCompressed,
                               std::uint32_t size, std::uint32_t* outCompressedSize,
                               bool allocate) {
    if (size <= 8) return kNotWorthIt;
    const std::uint32_t limit = size - 8;
    InitTree();
    // The whole ring and its mirror start zeroed, so that the output depends on the input alone
    // (short inputs leave part of the look-ahead unwritten, and matches compare into it).
    ZeroBytes(m_ring, sizeof m_ring);

    std::uint8_t group[1 + 8 * 2];
    std::uint32_t groupLength = 1;
    std::uint8_t mask = 1;
    group[0] = 0;
    std::uint32_t s = 0;
    std::uint32_t r = kFirstWrite;

    std::uint32_t length = size < kLongestMatch ? size : kLongestMatch;
    for (std::uint32_t i = 0; i < length; ++i) m_ring[r + i] = source[i];
    std::uint32_t consumed = length;
    for (std::uint32_t i = 1; i <= kLongestMatch; ++i) InsertNode(r - i);
    InsertNode(r);

    *outCompressedSize = 0;
    std::uint8_t* output = Destination(*outCompressed, limit, allocate);
    if (!output) return kOutOfMemory;
    std::uint32_t written = 0;
    bool overflow = false;
    // Appends the finished group; false when the output would reach the input's size less 8.
    auto appendGroup = [&]() {
        if (written + groupLength >= limit) return false;
        for (std::uint32_t i = 0; i < groupLength; ++i) output[written + i] = group[i];
        written += groupLength;
        return true;
    };

    while (length > 0) {
        if (m_matchLength > length) m_matchLength = length;
        if (m_matchLength < kShortestMatch) {
            m_matchLength = 1;
            group[0] |= mask;
            group[groupLength++] = m_ring[r];
        } else {
            group[groupLength++] = static_cast<std::uint8_t>(m_matchPosition);
            group[groupLength++] = static_cast<std::uint8_t>(((m_matchPosition >> 4) & 0xF0) |
                                                             (m_matchLength - kShortestMatch));
        }
        mask = static_cast<std::uint8_t>(mask << 1);
        if (mask == 0) {
            if (!appendGroup()) {
                overflow = true;
                break;
            }
            group[0] = 0;
            groupLength = 1;
            mask = 1;
        }
        const std::uint32_t last = m_matchLength;
        std::uint32_t i = 0;
        for (; i < last && consumed < size; ++i) {
            std::uint8_t c = source[consumed++];
            DeleteNode(s);
            m_ring[s] = c;
            if (s < kMirror) m_ring[s + kRingSize] = c;
            s = (s + 1) & (kRingSize - 1);
            r = (r + 1) & (kRingSize - 1);
            InsertNode(r);
        }
        for (; i < last; ++i) {
            DeleteNode(s);
            s = (s + 1) & (kRingSize - 1);
            r = (r + 1) & (kRingSize - 1);
            if (--length) InsertNode(r);
        }
    }
    if (!overflow && groupLength > 1 && !appendGroup()) overflow = true;
    if (overflow) {
        if (allocate) std::free(output);
        return kNotWorthIt;
    }
    *outCompressedSize = written;
    if (allocate) *outCompressed = output;
    return kDone;
}

std::int32_t LzssCodec::Decode(const std::uint8_t* compressed, std::uint32_t compressedSize,
                               std::uint8_t** output, std::uint32_t outputSize, bool allocate) {
    if (outputSize == 0) return kNothingToDo;
    std::uint8_t* out = Destination(*output, outputSize, allocate);
    if (!out) return kOutOfMemory;
    ZeroBytes(m_ring, kRingSize);
    std::uint32_t r = kFirstWrite;
    std::uint32_t flags = 0;
    std::uint32_t in = 0;
    std::uint32_t produced = 0;
    // Puts one byte out and into the ring.
    auto emit = [&](std::uint8_t c) {
        out[produced++] = c;
        m_ring[r] = c;
        r = (r + 1) & (kRingSize - 1);
    };
    while (produced < outputSize) {
        flags >>= 1;
        if (!(flags & 0x100)) {
            if (in >= compressedSize) break;
            flags = compressed[in++] | 0xFF00u;
        }
        if (flags & 1) {
            if (in >= compressedSize) break;
            emit(compressed[in++]);
        } else {
            if (compressedSize - in < 2) break;
            std::uint32_t b0 = compressed[in++];
            std::uint32_t b1 = compressed[in++];
            std::uint32_t position = b0 | ((b1 & 0xF0) << 4);
            std::uint32_t count = (b1 & 0x0F) + kShortestMatch;
            for (std::uint32_t k = 0; k < count && produced < outputSize; ++k) {
                emit(m_ring[(position + k) & (kRingSize - 1)]);
            }
        }
    }
    if (produced == outputSize) {
        if (allocate) *output = out;
        return kDone;
    }
    if (allocate) std::free(out);
    return kTruncated;
}
