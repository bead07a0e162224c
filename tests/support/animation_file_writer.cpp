#include "tests/support/animation_file_writer.h"

namespace testsupport {

namespace {

class Writer {
public:
    explicit Writer(AnimationFile& out) : m_out(out) {}
    void Bytes(const void* data, std::size_t size) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        m_out.bytes.insert(m_out.bytes.end(), p, p + size);
        m_out.fieldEnds.push_back(static_cast<std::uint32_t>(m_out.bytes.size()));
    }
    template <class T>
    void Value(T value) {
        std::uint8_t b[sizeof(T)];
        for (std::size_t i = 0; i < sizeof(T); ++i)
            b[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) >> (8 * i));
        Bytes(b, sizeof(T));
    }
    std::uint32_t Size() const { return static_cast<std::uint32_t>(m_out.bytes.size()); }

private:
    AnimationFile& m_out;
};

}  // namespace

AnimationFile WriteQag(std::uint16_t g0, std::uint16_t g1, std::uint16_t sequenceCount,
                       std::uint32_t skip, const std::vector<QagItemSpec>& items,
                       const std::vector<QagImageSpec>& images) {
    AnimationFile out;
    Writer w(out);
    w.Bytes("QAG", 4);
    w.Value<std::uint16_t>(g0);
    w.Value<std::uint16_t>(g1);
    w.Value<std::uint16_t>(0);
    w.Value<std::uint16_t>(sequenceCount);
    w.Value<std::uint32_t>(0);
    w.Value<std::uint32_t>(skip);
    if (skip) w.Bytes(std::vector<std::uint8_t>(skip, 0xEE).data(), skip);
    w.Value<std::int32_t>(static_cast<std::int32_t>(items.size()));
    for (const QagItemSpec& item : items) {
        w.Value<std::int32_t>(item.image);
        w.Value<std::int32_t>(item.time);
        w.Value<std::int16_t>(item.x);
        w.Value<std::int16_t>(item.y);
        w.Value<std::uint32_t>(0);
    }
    w.Value<std::int32_t>(static_cast<std::int32_t>(images.size()));
    std::uint32_t data = w.Size() + 12 * static_cast<std::uint32_t>(images.size());
    for (const QagImageSpec& image : images) {
        w.Value<std::uint32_t>(static_cast<std::uint32_t>(image.file.size()));
        w.Value<std::uint32_t>(data);
        w.Value<std::int16_t>(image.keyX);
        w.Value<std::int16_t>(image.keyY);
        data += static_cast<std::uint32_t>(image.file.size());
    }
    for (const QagImageSpec& image : images) w.Bytes(image.file.data(), image.file.size());
    return out;
}

AnimationFile WriteQad(const std::uint16_t (&header)[6], const std::vector<char>& text,
                       const std::vector<QadFrameSpec>& frames,
                       const std::vector<QadPictureSpec>& pictures) {
    AnimationFile out;
    Writer w(out);
    w.Bytes("QAD", 4);
    for (std::uint16_t word : header) w.Value<std::uint16_t>(word);
    w.Value<std::uint32_t>(static_cast<std::uint32_t>(text.size()));
    if (!text.empty()) w.Bytes(text.data(), text.size());
    w.Value<std::int32_t>(static_cast<std::int32_t>(frames.size()));
    for (const QadFrameSpec& f : frames) {
        w.Value<std::int32_t>(f.picture);
        w.Value<std::int32_t>(f.time);
        w.Value<std::int16_t>(f.x);
        w.Value<std::int16_t>(f.y);
        w.Value<std::uint32_t>(f.textOffset);
    }
    w.Value<std::int32_t>(static_cast<std::int32_t>(pictures.size()));
    for (const QadPictureSpec& p : pictures) {
        w.Value<std::uint16_t>(static_cast<std::uint16_t>(p.file.size()));
        if (!p.file.empty()) w.Bytes(p.file.data(), p.file.size());
        w.Value<std::uint16_t>(p.p0);
        w.Value<std::uint16_t>(p.p1);
    }
    return out;
}

}  // namespace testsupport
