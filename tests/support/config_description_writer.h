// Writes the configuration tool's settings description files for tests: descriptions ("CCI0" or
// "CCI2": groups of items) and developer override files ("CCI1").
//
//     testsupport::DescriptionGroup group{"画面", {testsupport::ChoiceItem(3, 0, 1, "VSync", {"自動", "オフ"})}};
//     folder.Write("SCRIPT/CONFIG.DAT", testsupport::BuildConfigDescription({group}));
//
// Strings are stored with a u32 length that counts their NUL. An item's storedNameLength, when
// set, replaces the name's length field (to build broken files).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

struct DescriptionItem {
    std::uint8_t record = 2;
    std::uint8_t treeState = 1;
    std::uint32_t offset = 0;
    std::uint8_t width = 1;
    std::string name = "item";
    std::uint8_t type = 0;
    std::int32_t defaultValue = 0;
    std::vector<std::string> choices;
    std::string description;  // empty: none
    bool zeroNameLength = false;
};

struct DescriptionGroup {
    std::string title;
    std::vector<DescriptionItem> items;
};

DescriptionItem MakeDescriptionItem(std::uint8_t type, std::uint8_t record, std::uint32_t offset,
                                    std::uint8_t width, const std::string& name,
                                    std::vector<std::string> choices = {}, std::int32_t defaultValue = 0);

std::vector<std::uint8_t> BuildConfigDescription(const std::vector<DescriptionGroup>& groups,
                                                 const char* magic = "CCI2");

struct OverrideRecord {
    std::uint8_t record = 2;
    std::uint8_t treeState = 0;
    std::uint32_t offset = 0;
    std::uint8_t width = 1;
    std::uint8_t type = 0;
    std::int32_t value = 0;
    std::string text;  // ConfigText only; empty is stored as length 0
};

std::vector<std::uint8_t> BuildConfigOverrides(const std::vector<OverrideRecord>& records,
                                               const char* magic = "CCI1");

}  // namespace testsupport
