#include "tests/support/config_description_writer.h"

#include "tools/content/byte_words.h"

namespace testsupport {

namespace {

void AppendText(std::vector<std::uint8_t>& out, const std::string& text) {
    AppendWord(out, static_cast<std::uint32_t>(text.size() + 1));
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
}

void AppendMagic(std::vector<std::uint8_t>& out, const char* magic) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(magic[i]));
}

}  // namespace

DescriptionItem MakeDescriptionItem(std::uint8_t type, std::uint8_t record, std::uint32_t offset,
                                    std::uint8_t width, const std::string& name, std::vector<std::string> choices,
                                    std::int32_t defaultValue) {
    DescriptionItem item;
    item.type = type;
    item.record = record;
    item.offset = offset;
    item.width = width;
    item.name = name;
    item.choices = std::move(choices);
    item.defaultValue = defaultValue;
    return item;
}

std::vector<std::uint8_t> BuildConfigDescription(const std::vector<DescriptionGroup>& groups, const char* magic) {
    std::vector<std::uint8_t> out;
    AppendMagic(out, magic);
    AppendWord(out, static_cast<std::uint32_t>(groups.size()));
    for (const DescriptionGroup& group : groups) {
        AppendText(out, group.title);
        AppendWord(out, static_cast<std::uint32_t>(group.items.size()));
        for (const DescriptionItem& item : group.items) {
            out.push_back(item.record);
            out.push_back(item.treeState);
            AppendWord(out, item.offset);
            out.push_back(item.width);
            if (item.zeroNameLength) {
                AppendWord(out, 0);
            } else {
                AppendText(out, item.name);
            }
            out.push_back(item.type);
            AppendWord(out, static_cast<std::uint32_t>(item.defaultValue));
            AppendWord(out, static_cast<std::uint32_t>(item.choices.size()));
            for (const std::string& choice : item.choices) AppendText(out, choice);
            if (item.description.empty()) {
                AppendWord(out, 0);
            } else {
                AppendText(out, item.description);
            }
        }
    }
    return out;
}

std::vector<std::uint8_t> BuildConfigOverrides(const std::vector<OverrideRecord>& records, const char* magic) {
    std::vector<std::uint8_t> out;
    AppendMagic(out, magic);
    AppendWord(out, static_cast<std::uint32_t>(records.size()));
    for (const OverrideRecord& record : records) {
        out.push_back(record.record);
        out.push_back(record.treeState);
        AppendWord(out, record.offset);
        out.push_back(record.width);
        out.push_back(record.type);
        AppendWord(out, static_cast<std::uint32_t>(record.value));
        if (record.type != 3) continue;
        if (record.text.empty()) {
            AppendWord(out, 0);
        } else {
            AppendText(out, record.text);
        }
    }
    return out;
}

}  // namespace testsupport
