// Text operations on 8-bit strings. A position outside the text raises InvalidArgumentError,
// which the window dispatch reports; nothing reads or writes outside the text.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

namespace fw {

// The characters from `pos` to the end; `pos` may equal the length (gives "").
std::string Mid(std::string_view text, size_t pos);
// At most `count` characters from `pos`.
std::string Mid(std::string_view text, size_t pos, size_t count);
// The character at `pos`, which must lie inside the text.
char CharAt(std::string_view text, size_t pos);

// Leading and trailing white space (space, tab, CR, LF, VT, FF) removed.
std::string Trim(std::string_view text);

// printf-style formatting into a std::string of any length.
std::string Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
std::string FormatV(const char* format, va_list args);

}  // namespace fw
