// Staff-roll layout scripts for tests: keyword lines joined with CR LF.
#pragma once

#include <initializer_list>
#include <string>

namespace testsupport {

inline std::string StaffLayout(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

}  // namespace testsupport
