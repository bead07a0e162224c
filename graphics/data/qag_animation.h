// QagAnimation: a "QAG" frame-animation file: pictures and timed items grouped into sequences.
// The cel-animation tasks play a sequence on a sprite, showing each item's picture at the
// item's offset for the item's time. Loaded once (also on the preload thread), then only read;
// the playing tasks share it through refCount.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/image/image.h"

#pragma pack(push, 1)
struct QagItem {
    std::int32_t image;  // index into the images; negative ends a sequence
    std::int32_t time;   // milliseconds shown
    std::int16_t x;
    std::int16_t y;
    std::uint32_t unused;
};
#pragma pack(pop)
static_assert(sizeof(QagItem) == 16, "the file's item record");

class QagAnimation {
public:
    QagAnimation() = default;
    virtual ~QagAnimation() { Release(); }
    QagAnimation(const QagAnimation&) = delete;
    QagAnimation& operator=(const QagAnimation&) = delete;

    // 0 done; 1 the file cannot be opened; 2 bad magic or sequenceCount 0; 3 a read came up
    // short (also a count or size larger than the bytes left); 4 a seek past the end; 5 a
    // picture cannot be decoded; 6 fewer sequence ends than sequenceCount. On failure the object
    // is released. indexed: pictures as 8-bit palette images.
    std::int32_t Load(const char* path, bool indexed);
    // The same from a file already in memory.
    std::int32_t LoadFromMemory(const std::uint8_t* data, std::uint32_t size, bool indexed);
    void Release();

    std::int32_t refCount = 0;

    std::uint16_t G0() const { return m_g0; }
    std::uint16_t G1() const { return m_g1; }
    std::int32_t SequenceCount() const { return static_cast<std::int32_t>(m_sequenceStart.size()); }
    // Including the end item that loading appends.
    std::int32_t ItemCount() const { return static_cast<std::int32_t>(m_items.size()); }
    const QagItem& Item(std::int32_t i) const { return m_items[i]; }
    std::int32_t SequenceStart(std::int32_t i) const { return m_sequenceStart[i]; }
    std::int32_t ImageCount() const { return static_cast<std::int32_t>(m_images.size()); }
    Image& ImageAt(std::int32_t i) { return *m_images[i]; }

private:
    std::int32_t Parse(const std::uint8_t* data, std::uint32_t size, bool indexed);

    std::uint16_t m_g0 = 0;
    std::uint16_t m_g1 = 0;
    std::vector<QagItem> m_items;
    std::vector<std::int32_t> m_sequenceStart;
    std::vector<std::unique_ptr<Image>> m_images;
};
