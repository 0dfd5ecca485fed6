// Text operations shared by the windows and the Skype parser.
#include "framework/Text.h"

#include <cstdio>
#include <vector>

#include "framework/InvalidArgumentError.h"

namespace fw {

namespace {

void RequirePosition(std::string_view text, size_t pos, bool endAllowed) {
    const bool inside = endAllowed ? pos <= text.size() : pos < text.size();
    if (!inside) {
        throw InvalidArgumentError("position " + std::to_string(pos) +
                                   " is outside a text of length " + std::to_string(text.size()));
    }
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

}  // namespace

std::string Mid(std::string_view text, size_t pos) {
    RequirePosition(text, pos, true);
    return std::string(text.substr(pos));
}

std::string Mid(std::string_view text, size_t pos, size_t count) {
    RequirePosition(text, pos, true);
    return std::string(text.substr(pos, count));
}

char CharAt(std::string_view text, size_t pos) {
    RequirePosition(text, pos, false);
    return text[pos];
}

std::string Trim(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsSpace(text[begin])) {
        ++begin;
    }
    while (end > begin && IsSpace(text[end - 1])) {
        --end;
    }
    return std::string(text.substr(begin, end - begin));
}

std::string FormatV(const char* format, va_list args) {
    va_list probe;
    va_copy(probe, args);
    const int needed = std::vsnprintf(nullptr, 0, format, probe);
    va_end(probe);
    if (needed <= 0) {
        return std::string();
    }
    std::vector<char> buffer(static_cast<size_t>(needed) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    return std::string(buffer.data(), static_cast<size_t>(needed));
}

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string result = FormatV(format, args);
    va_end(args);
    return result;
}

}  // namespace fw
