#include "graphics/data/qag_animation.h"

#include <new>

#include "graphics/data/animation_file.h"

namespace {

constexpr std::uint32_t kImageRecordSize = 12;

#pragma pack(push, 1)
struct QagHeader {
    std::uint16_t g0;
    std::uint16_t g1;
    std::uint16_t unused0;
    std::uint16_t sequenceCount;
    std::uint32_t unused1;
    std::uint32_t skip;
};
struct QagImageRecord {
    std::uint32_t size;
    std::uint32_t offset;
    std::int16_t keyX;
    std::int16_t keyY;
};
#pragma pack(pop)

}  // namespace

void QagAnimation::Release() {
    m_items.clear();
    m_sequenceStart.clear();
    m_images.clear();
    m_g0 = m_g1 = 0;
}

std::int32_t QagAnimation::Load(const char* path, bool indexed) {
    Release();
    const std::int32_t code = ParseWholeFile(path, [&](const std::uint8_t* data, std::uint32_t size) {
        return Parse(data, size, indexed);
    });
    if (code != 0) Release();
    return code;
}

std::int32_t QagAnimation::LoadFromMemory(const std::uint8_t* data, std::uint32_t size,
                                          bool indexed) {
    Release();
    const std::int32_t code = data ? Parse(data, size, indexed) : 1;
    if (code != 0) Release();
    return code;
}

std::int32_t QagAnimation::Parse(const std::uint8_t* data, std::uint32_t size, bool indexed) {
    ByteCursor in(static_cast<const void*>(data), size);
    char magic[4];
    if (!in.ReadBytes(magic, 4) || magic[0] != 'Q' || magic[1] != 'A' || magic[2] != 'G' || magic[3])
        return 2;
    QagHeader header;
    if (!in.ReadBytes(&header, sizeof(header))) return 3;
    if (header.sequenceCount == 0) return 2;
    if (!in.Skip(header.skip)) return 4;

    std::int32_t itemCount = 0;
    if (!in.ReadI32(itemCount) || !RecordsFit(in, itemCount, sizeof(QagItem))) return 3;
    m_items.resize(static_cast<std::uint32_t>(itemCount) + 1);
    in.ReadBytes(m_items.data(), static_cast<std::uint32_t>(itemCount) * sizeof(QagItem));
    m_items.back() = QagItem{-1, 0, 0, 0, 0};

    std::int32_t imageCount = 0;
    if (!in.ReadI32(imageCount) || !RecordsFit(in, imageCount, kImageRecordSize)) return 3;
    m_images.reserve(static_cast<std::uint32_t>(imageCount));
    for (std::int32_t i = 0; i < imageCount; ++i) {
        QagImageRecord record;
        if (!in.ReadBytes(&record, sizeof(record))) return 3;
        // The picture's bytes, reached from the start of the file.
        ByteCursor at(static_cast<const void*>(data), size);
        if (!at.Skip(record.offset)) return 4;
        const std::uint8_t* bytes = at.Position();
        if (!at.Skip(record.size)) return 3;
        std::unique_ptr<Image> image(new (std::nothrow) Image());
        if (!image) return -1;
        const std::int32_t decoded =
            indexed ? image->LoadIndexed(nullptr, bytes, static_cast<std::int32_t>(record.size), 0)
                    : image->Load(nullptr, bytes, static_cast<std::int32_t>(record.size), 0);
        if (decoded != 0 || !image->Bits()) return 5;
        if (record.keyX >= 0)
            image->SetColourKeyFromPixel(record.keyX, record.keyY);
        else
            image->SetHasAlpha(record.keyX == -2);
        m_images.push_back(std::move(image));
    }

    m_g0 = header.g0;
    m_g1 = header.g1;
    m_sequenceStart.push_back(0);
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(m_items.size()); ++i) {
        if (m_items[i].image >= 0) continue;
        if (m_sequenceStart.size() == header.sequenceCount) return 0;
        m_sequenceStart.push_back(i + 1);
    }
    return 6;
}
