// Writes image-set files for tests: the magic, the background name, the count and entries of
// either form, every field given by the test; Raw appends bytes as they are (a wrong name
// length, a count larger than the entries, trailing bytes).
//
//     auto file = testsupport::QgmFile().Background("BG.ELG")
//                     .Sprite({"A.ELG", 0, 5, -3, 200, 1}).Sprite({"B.ELG", 1, 0, 0, 255, 1, 4, 2, 7})
//                     .Bytes();
//
// The count is the number of entries added unless Count() sets it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// A sprite-set entry: 8 + n bytes when sized is 0, 13 + n otherwise.
struct QgmSpriteEntry {
    std::string name;
    std::uint8_t sized = 0;
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::uint8_t alpha = 255;
    std::uint8_t visible = 1;
    std::int16_t width = 0;
    std::int16_t height = 0;
    std::uint8_t flag = 0;
};

// A part-set entry: always 13 + n bytes.
struct QgmPartEntry {
    std::string name;
    std::uint8_t kind = 1;
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::uint8_t b5 = 0;
    std::uint8_t visible = 1;
    std::int16_t width = 0;
    std::int16_t height = 0;
    std::uint8_t b11 = 0;
};

class QgmFile {
public:
    QgmFile& Magic(const std::string& four) {
        m_magic = four;
        return *this;
    }
    QgmFile& Background(const std::string& name) {
        m_background = name;
        return *this;
    }
    QgmFile& Count(std::uint16_t count) {
        m_count = count;
        m_countSet = true;
        return *this;
    }
    QgmFile& Sprite(const QgmSpriteEntry& e) {
        Name(m_entries, e.name);
        m_entries.push_back(e.sized);
        I16(m_entries, e.x);
        I16(m_entries, e.y);
        m_entries.push_back(e.alpha);
        m_entries.push_back(e.visible);
        if (e.sized) {
            I16(m_entries, e.width);
            I16(m_entries, e.height);
            m_entries.push_back(e.flag);
        }
        ++m_added;
        return *this;
    }
    QgmFile& Part(const QgmPartEntry& e) {
        Name(m_entries, e.name);
        m_entries.push_back(e.kind);
        I16(m_entries, e.x);
        I16(m_entries, e.y);
        m_entries.push_back(e.b5);
        m_entries.push_back(e.visible);
        I16(m_entries, e.width);
        I16(m_entries, e.height);
        m_entries.push_back(e.b11);
        ++m_added;
        return *this;
    }
    QgmFile& Raw(const std::vector<std::uint8_t>& bytes) {
        m_entries.insert(m_entries.end(), bytes.begin(), bytes.end());
        return *this;
    }

    std::vector<std::uint8_t> Bytes() const {
        std::vector<std::uint8_t> out(m_magic.begin(), m_magic.end());
        Name(out, m_background);
        const std::uint16_t count = m_countSet ? m_count : static_cast<std::uint16_t>(m_added);
        out.push_back(static_cast<std::uint8_t>(count));
        out.push_back(static_cast<std::uint8_t>(count >> 8));
        out.insert(out.end(), m_entries.begin(), m_entries.end());
        return out;
    }

private:
    static void Name(std::vector<std::uint8_t>& out, const std::string& name) {
        out.push_back(static_cast<std::uint8_t>(name.size()));
        out.insert(out.end(), name.begin(), name.end());
    }
    static void I16(std::vector<std::uint8_t>& out, std::int16_t value) {
        out.push_back(static_cast<std::uint8_t>(value));
        out.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(value) >> 8));
    }

    std::string m_magic = std::string("QGM\0", 4);
    std::string m_background;
    std::vector<std::uint8_t> m_entries;
    std::uint16_t m_count = 0;
    bool m_countSet = false;
    std::uint32_t m_added = 0;
};

}  // namespace testsupport
