// Writer of the text history's saved records, field by field as the save format lays them out,
// for the store's byte fixtures: an entry count, then per entry its kind and fields.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace testsupport {

class TextHistoryWriter {
public:
    struct Choice {
        std::uint8_t flag;
        std::string text;
    };
    struct Slot {
        std::string name;
        std::int32_t x;
        std::int32_t y;
        std::vector<std::uint8_t> fields;  // 28 bytes
    };

    // Kind 0. A null name or voice is written as absent.
    TextHistoryWriter& TextLine(const char* name, const char* voice, const std::string& message,
                                std::int32_t height, std::uint8_t page) {
        ++m_count;
        U8(0);
        Name(name);
        Name(voice);
        U32(static_cast<std::uint32_t>(message.size() + 2));
        m_body.insert(m_body.end(), message.begin(), message.end());
        U8(0);
        U8(0);
        U32(static_cast<std::uint32_t>(height));
        U8(page);
        return *this;
    }
    // Kind 1.
    TextHistoryWriter& ChoiceList(std::int32_t taken, const std::vector<Choice>& choices) {
        ++m_count;
        U8(1);
        U32(static_cast<std::uint32_t>(choices.size()));
        U32(static_cast<std::uint32_t>(taken));
        for (const Choice& c : choices) {
            U8(static_cast<std::uint8_t>(c.text.size() + 2));
            U8(c.flag);
            Text(c.text);
        }
        return *this;
    }
    // Kind 2: layer is the 44 bytes of layer fields.
    TextHistoryWriter& Snapshot(const char* background, const std::vector<std::uint8_t>& layer,
                                const std::vector<Slot>& slots) {
        ++m_count;
        U8(2);
        Name(background);
        m_body.insert(m_body.end(), layer.begin(), layer.end());
        U8(static_cast<std::uint8_t>(slots.size()));
        for (const Slot& s : slots) {
            Name(s.name.c_str());
            U32(static_cast<std::uint32_t>(s.x));
            U32(static_cast<std::uint32_t>(s.y));
            m_body.insert(m_body.end(), s.fields.begin(), s.fields.end());
        }
        return *this;
    }
    // Any bytes, for damaged records (the count is not changed).
    TextHistoryWriter& Raw(const std::vector<std::uint8_t>& bytes) {
        m_body.insert(m_body.end(), bytes.begin(), bytes.end());
        return *this;
    }
    TextHistoryWriter& CountOneMore() {
        ++m_count;
        return *this;
    }

    // The count, then the records.
    std::vector<std::uint8_t> Bytes() const {
        std::vector<std::uint8_t> out;
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(m_count >> (8 * i)));
        out.insert(out.end(), m_body.begin(), m_body.end());
        return out;
    }

    // Little-endian helpers, also for building field images.
    static void PutU32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }

private:
    void U8(std::uint8_t v) { m_body.push_back(v); }
    void U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) m_body.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void Text(const std::string& text) {
        m_body.insert(m_body.end(), text.begin(), text.end());
        U8(0);
    }
    void Name(const char* name) {
        if (!name) {
            U8(0);
            return;
        }
        U8(static_cast<std::uint8_t>(std::strlen(name) + 1));
        Text(name);
    }

    std::uint32_t m_count = 0;
    std::vector<std::uint8_t> m_body;
};

}  // namespace testsupport
