// printf into a std::string, for texts assembled piece by piece (reports, logs).
#pragma once

#include <string>

std::string FormatString(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));
// Appends the formatted text to `out`.
void AppendFormat(std::string& out, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
