#include "tools/content/content_tool.h"

#include <windows.h>

#include <map>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "tools/content/settings_file_writer.h"

namespace testsupport {

namespace {

struct Line {
    int number;
    std::string name;
    std::string value;
};

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::vector<Line> Parse(const std::string& lines) {
    std::vector<Line> out;
    std::istringstream in(lines);
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        text = Trim(text);
        if (text.empty() || text[0] == '#') continue;
        const std::size_t equals = text.find('=');
        if (equals == std::string::npos)
            throw std::invalid_argument("line " + std::to_string(number) + ": no '='");
        out.push_back({number, Trim(text.substr(0, equals)), Trim(text.substr(equals + 1))});
    }
    return out;
}

[[noreturn]] void Fail(const Line& line, const std::string& what) {
    throw std::invalid_argument("line " + std::to_string(line.number) + ": " + what + " (" + line.name + ")");
}

std::uint32_t Number(const Line& line) {
    try {
        std::size_t used = 0;
        const long long value = std::stoll(line.value, &used, 0);
        if (used != line.value.size()) Fail(line, "not a number");
        return static_cast<std::uint32_t>(value);
    } catch (const std::logic_error&) {
        Fail(line, "not a number");
    }
}

// UTF-8 to Shift-JIS.
std::string ShiftJis(const std::string& text) {
    if (text.empty()) return text;
    const int wide = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring buffer(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &buffer[0], wide);
    const int narrow = WideCharToMultiByte(932, 0, buffer.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(narrow), '\0');
    WideCharToMultiByte(932, 0, buffer.data(), wide, &out[0], narrow, nullptr, nullptr);
    return out;
}

// `@offset[:width]` after the prefix; false when the name has another form.
bool RawField(const Line& line, const std::string& prefix, std::size_t& at, std::size_t& width) {
    if (line.name.compare(0, prefix.size() + 1, prefix + "@") != 0) return false;
    const std::string place = line.name.substr(prefix.size() + 1);
    const std::size_t colon = place.find(':');
    try {
        at = std::stoul(place.substr(0, colon), nullptr, 0);
        width = colon == std::string::npos ? 1 : std::stoul(place.substr(colon + 1), nullptr, 0);
    } catch (const std::logic_error&) {
        Fail(line, "bad field place");
    }
    return true;
}

void Set(const Line& line, std::vector<std::uint8_t>& record, std::size_t at, std::size_t width) {
    try {
        SetField(record, at, width, Number(line));
    } catch (const std::out_of_range&) {
        Fail(line, "field outside the record");
    }
}

std::vector<std::uint8_t> AppSys(const std::vector<Line>& lines) {
    static const std::map<std::string, std::pair<std::size_t, std::size_t>> kFields = {
        {"width", {2, 2}}, {"height", {4, 2}}, {"style", {6, 4}}, {"exstyle", {10, 4}}, {"icon", {14, 2}},
        {"menu", {16, 2}}, {"accelerators", {18, 2}}, {"single_instance", {20, 1}}, {"screen_mode_policy", {21, 1}},
        {"save_folder_switch", {22, 1}}, {"save_folder_mode", {23, 1}}, {"menu_bar_mode", {24, 1}}};
    std::vector<std::uint8_t> record = DefaultAppSysRecord();
    int length = -1;
    for (const Line& line : lines) {
        std::size_t at = 0;
        std::size_t width = 1;
        if (line.name == "length") {
            length = static_cast<int>(Number(line));
            continue;
        }
        const auto named = kFields.find(line.name);
        if (named != kFields.end()) {
            at = named->second.first;
            width = named->second.second;
        } else if (!RawField(line, "", at, width)) {
            Fail(line, "unknown field");
        }
        if (at < 2) Fail(line, "the length is set by `length`");
        Set(line, record, at - 2, width);
    }
    return BuildAppSysFile(record, length);
}

std::vector<std::uint8_t> AppInf(const std::vector<Line>& lines) {
    static const char* const kTexts[] = {"title", "product", "notice", "web", "save_folder"};
    std::uint8_t version[3] = {1, 0, 0};
    std::vector<std::string> texts(5);
    for (const Line& line : lines) {
        if (line.name == "major") version[0] = static_cast<std::uint8_t>(Number(line));
        else if (line.name == "minor") version[1] = static_cast<std::uint8_t>(Number(line));
        else if (line.name == "letter") version[2] = static_cast<std::uint8_t>(Number(line));
        else {
            std::size_t slot = 0;
            while (slot < 5 && line.name != kTexts[slot]) ++slot;
            if (slot == 5) Fail(line, "unknown field");
            texts[slot] = ShiftJis(line.value);
            if (texts[slot].size() > 254) Fail(line, "text longer than 254 bytes");
        }
    }
    return BuildAppInfFile(version[0], version[1], version[2], texts);
}

std::vector<std::uint8_t> UserCfg(const std::vector<Line>& lines) {
    static const std::map<std::string, std::pair<std::size_t, std::size_t>> kFields = {
        {"threaded", {0, 0}}, {"display_canvas", {0, 5}}, {"log", {0, 14}}, {"input", {0, 16}}, {"screen_mode", {1, 0}}};
    UserCfgBlocks content = DefaultUserCfg();
    int lengths[3] = {-1, -1, -1};
    for (const Line& line : lines) {
        if (line.name == "folder") {
            content.folder = ShiftJis(line.value);
            continue;
        }
        if (line.name.size() == 7 && line.name.compare(0, 6, "length") == 0 && line.name[6] >= '1' && line.name[6] <= '3') {
            lengths[line.name[6] - '1'] = static_cast<int>(Number(line));
            continue;
        }
        const auto named = kFields.find(line.name);
        if (named != kFields.end()) {
            Set(line, content.blocks[named->second.first], named->second.second, 1);
            continue;
        }
        bool placed = false;
        for (std::size_t b = 0; b < 3 && !placed; ++b) {
            std::size_t at = 0;
            std::size_t width = 1;
            if (RawField(line, "b" + std::to_string(b + 1), at, width)) {
                Set(line, content.blocks[b], at, width);
                placed = true;
            }
        }
        if (!placed) Fail(line, "unknown field");
    }
    std::vector<std::uint8_t> file = BuildUserCfgFile(content);
    // A stored length other than the block's size is patched in after writing.
    std::size_t at = 0;
    for (std::size_t b = 0; b < 3; ++b) {
        if (lengths[b] >= 0) SetField(file, at, 2, static_cast<std::uint32_t>(lengths[b]));
        at += 2 + content.blocks[b].size();
    }
    return file;
}

std::vector<std::uint8_t> AppCfg(const std::vector<Line>& lines) {
    std::vector<std::uint8_t> block = DefaultAppCfgBlock();
    std::int64_t length = -1;
    for (const Line& line : lines) {
        std::size_t at = 0;
        std::size_t width = 1;
        if (line.name == "length") length = Number(line);
        else if (RawField(line, "", at, width)) Set(line, block, at, width);
        else Fail(line, "unknown field");
    }
    return BuildAppCfgFile(block, length);
}

std::vector<std::uint8_t> SetUp(const std::vector<Line>& lines) {
    std::string key;
    std::uint8_t scope = 0;
    int length = -1;
    for (const Line& line : lines) {
        if (line.name == "key") key = ShiftJis(line.value);
        else if (line.name == "scope") scope = static_cast<std::uint8_t>(Number(line));
        else if (line.name == "length") length = static_cast<int>(Number(line));
        else Fail(line, "unknown field");
    }
    return BuildSetUpFile(key, scope, length);
}

}  // namespace

std::vector<std::uint8_t> BuildSettingsFromLines(const std::string& kind, const std::string& text) {
    const std::vector<Line> lines = Parse(text);
    if (kind == "sys") return AppSys(lines);
    if (kind == "inf") return AppInf(lines);
    if (kind == "user") return UserCfg(lines);
    if (kind == "appcfg") return AppCfg(lines);
    if (kind == "setup") return SetUp(lines);
    throw std::invalid_argument("unknown settings file kind " + kind);
}

}  // namespace testsupport
