#include "graphics/data/qad_animation.h"

#include "graphics/data/animation_file.h"

namespace {

#pragma pack(push, 1)
struct QadFileFrame {
    std::int32_t picture;
    std::int32_t time;
    std::int16_t x;
    std::int16_t y;
    std::uint32_t textOffset;
};
#pragma pack(pop)
static_assert(sizeof(QadFileFrame) == 16, "the file's frame record");

// The smallest picture record: its length, no data, p0 and p1.
constexpr std::uint32_t kSmallestPictureRecord = 6;

}  // namespace

void QadAnimation::Release() {
    for (std::uint16_t& word : m_header) word = 0;
    m_text.clear();
    m_frames.clear();
    m_pictures.clear();
    m_rangeStart.clear();
    m_longestRange = 0;
}

std::int32_t QadAnimation::Load(const char* path) {
    Release();
    const std::int32_t code = ParseWholeFile(
        path, [&](const std::uint8_t* data, std::uint32_t size) { return Parse(data, size); });
    if (code != 0) Release();
    return code;
}

std::int32_t QadAnimation::LoadFromMemory(const std::uint8_t* data, std::uint32_t size) {
    Release();
    const std::int32_t code = data ? Parse(data, size) : 1;
    if (code != 0) Release();
    return code;
}

std::int32_t QadAnimation::Parse(const std::uint8_t* data, std::uint32_t size) {
    ByteCursor in(static_cast<const void*>(data), size);
    char magic[4];
    if (!in.ReadBytes(magic, 4) || magic[0] != 'Q' || magic[1] != 'A' || magic[2] != 'D' || magic[3])
        return 2;
    if (!in.ReadBytes(m_header, sizeof(m_header)) || m_header[3] == 0) return 3;
    const std::uint16_t rangeCount = m_header[3];

    std::uint32_t textSize = 0;
    if (!in.ReadU32(textSize)) return 4;
    const std::uint8_t* text = in.Position();
    if (!in.Skip(textSize)) return 4;
    // Kept with a closing zero, so that every offset inside it names a terminated string.
    m_text.assign(text, text + textSize);
    m_text.push_back('\0');

    std::int32_t frameCount = 0;
    if (!in.ReadI32(frameCount) || !RecordsFit(in, frameCount, sizeof(QadFileFrame))) return 5;
    m_frames.reserve(static_cast<std::uint32_t>(frameCount) + 1);
    for (std::int32_t i = 0; i < frameCount; ++i) {
        QadFileFrame f = {};
        in.ReadBytes(&f, sizeof(f));  // fits: the count was bounded above
        const bool inside = f.textOffset < textSize;
        if (f.picture >= 0 && !inside) return 5;
        m_frames.push_back(
            QadFrame{f.picture, f.time, f.x, f.y, inside ? &m_text[f.textOffset] : nullptr});
    }
    m_frames.push_back(QadFrame{-1, -1, 0, 0, nullptr});

    std::int32_t pictureCount = 0;
    if (!in.ReadI32(pictureCount) || !RecordsFit(in, pictureCount, kSmallestPictureRecord))
        return 6;
    m_pictures.reserve(static_cast<std::uint32_t>(pictureCount));
    for (std::int32_t i = 0; i < pictureCount; ++i) {
        std::uint16_t length = 0;
        if (!in.ReadBytes(&length, 2)) return 6;
        const std::uint8_t* bytes = in.Position();
        if (!in.Skip(length)) return 7;
        QadPicture picture{std::vector<std::uint8_t>(bytes, bytes + length), 0, 0};
        if (!in.ReadBytes(&picture.p0, 2)) return 8;
        if (!in.ReadBytes(&picture.p1, 2)) return 9;
        m_pictures.push_back(std::move(picture));
    }

    m_rangeStart.push_back(0);
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(m_frames.size()); ++i) {
        const QadFrame& f = m_frames[i];
        if (f.picture >= 0 || f.time > 0) continue;
        const std::int32_t records = i - m_rangeStart.back() + 1;
        if (records > m_longestRange) m_longestRange = records;
        if (m_rangeStart.size() == rangeCount) return 0;
        m_rangeStart.push_back(i + 1);
    }
    return 10;
}

std::int32_t QadAnimation::RangeFirstFrame(std::int32_t index) const {
    if (index < 0 || index >= RangeCount()) return -1;
    return m_rangeStart[index];
}

std::int32_t QadAnimation::RangeLastFrame(std::int32_t index) const {
    if (index < 0 || index >= RangeCount()) return -1;
    return index + 1 < RangeCount() ? m_rangeStart[index + 1] - 1 : FrameCount() - 1;
}

std::int32_t QadAnimation::FindRange(std::int32_t frame, std::int32_t* offset) const {
    if (m_rangeStart.empty() || frame < 0 || frame >= FrameCount()) return -1;
    std::int32_t found = 0;
    for (std::int32_t i = 0; i < RangeCount(); ++i)
        if (m_rangeStart[i] <= frame) found = i;
    if (offset) *offset = frame - m_rangeStart[found];
    return found;
}
