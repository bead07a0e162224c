// QadAnimation: a "QAD" picture-animation file: pictures stored as embedded image files, timed
// frames with positions grouped into ranges, control records and a text block the frames point
// into. The background-layer animation effect plays its ranges.
#pragma once

#include <cstdint>
#include <vector>

// A frame as kept after loading: the file's offset into the text block has become a pointer.
struct QadFrame {
    std::int32_t picture;  // index into the pictures; negative: a control record
    std::int32_t time;     // milliseconds shown; in a control record the command (<= 0 ends a range)
    std::int16_t x;
    std::int16_t y;
    const char* text;      // into the text block (zero-terminated); null in a control record
                           // whose offset lies outside the block
};

struct QadPicture {
    std::vector<std::uint8_t> data;  // a complete image file
    std::uint16_t p0;
    std::uint16_t p1;
};

class QadAnimation {
public:
    QadAnimation() = default;
    virtual ~QadAnimation() { Release(); }
    QadAnimation(const QadAnimation&) = delete;
    QadAnimation& operator=(const QadAnimation&) = delete;

    // 0 done; 1 cannot open; 2 bad magic; 3 rangeCount 0 (or the header short); 4 the text
    // block is short; 5 the frames are short (a count larger than the bytes left too), or a
    // picture frame's text offset lies outside the text block; 6, 7, 8, 9 a picture record's
    // length (or the picture count), data, p0 or p1 is short; 10 fewer range ends than
    // rangeCount. On failure the object is released.
    std::int32_t Load(const char* path);
    std::int32_t LoadFromMemory(const std::uint8_t* data, std::uint32_t size);
    void Release();

    // -1 when there is no table or index is out of range.
    std::int32_t RangeFirstFrame(std::int32_t index) const;
    // The record that ends range index; for the last range the appended end record.
    std::int32_t RangeLastFrame(std::int32_t index) const;
    // The range holding frame and frame's offset in it; -1 when there is none.
    std::int32_t FindRange(std::int32_t frame, std::int32_t* offset) const;

    std::int32_t refCount = 0;

    std::uint16_t Header(std::int32_t i) const { return m_header[i]; }  // h0 h1 h2 rangeCount h4 h5
    std::int32_t RangeCount() const { return static_cast<std::int32_t>(m_rangeStart.size()); }
    // Including the appended end record.
    std::int32_t FrameCount() const { return static_cast<std::int32_t>(m_frames.size()); }
    const QadFrame& Frame(std::int32_t i) const { return m_frames[i]; }
    std::int32_t PictureCount() const { return static_cast<std::int32_t>(m_pictures.size()); }
    const QadPicture& Picture(std::int32_t i) const { return m_pictures[i]; }
    std::int32_t LongestRange() const { return m_longestRange; }
    // The text block with its closing zero.
    const std::vector<char>& Text() const { return m_text; }

private:
    std::int32_t Parse(const std::uint8_t* data, std::uint32_t size);

    std::uint16_t m_header[6] = {};
    std::vector<char> m_text;
    std::vector<QadFrame> m_frames;
    std::vector<QadPicture> m_pictures;
    std::vector<std::int32_t> m_rangeStart;
    std::int32_t m_longestRange = 0;
};
