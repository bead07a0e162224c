#include "framework/util/string_format.h"

#include <cstdarg>
#include <cstdio>

namespace {

void AppendFormatV(std::string& out, const char* format, va_list arguments) {
    va_list copy;
    va_copy(copy, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length <= 0) return;
    const size_t start = out.size();
    out.resize(start + static_cast<size_t>(length) + 1);
    std::vsnprintf(&out[start], static_cast<size_t>(length) + 1, format, arguments);
    out.resize(start + static_cast<size_t>(length));
}

}  // namespace

std::string FormatString(const char* format, ...) {
    std::string out;
    va_list arguments;
    va_start(arguments, format);
    AppendFormatV(out, format, arguments);
    va_end(arguments);
    return out;
}

void AppendFormat(std::string& out, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    AppendFormatV(out, format, arguments);
    va_end(arguments);
}
