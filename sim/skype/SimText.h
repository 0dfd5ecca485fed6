// Small text helpers of the Skype client simulator: cutting command lines into words, case
// folding of keywords, numbers, and the escaping that keeps one record entry on one line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace skypesim {

// Splits on every single space; two spaces in a row give an empty word between them, so a
// command with an empty argument ("SET CALL  STATUS FINISHED") keeps its shape.
std::vector<std::string> SplitOnSpaces(const std::string& text);

// The words from index `first` on, joined with single spaces ("" when there are none).
std::string JoinFrom(const std::vector<std::string>& words, size_t first);

std::string ToUpperAscii(std::string text);
bool EqualsNoCase(const std::string& a, const char* b);

// A decimal number without sign that fits in 64 bits; nothing for anything else.
std::optional<uint64_t> ParseUnsigned(const std::string& text);

// Backslash, line ends and other control bytes become escapes; bytes >= 0x80 stay as they are.
std::string EscapeLine(const std::string& text);
std::string UnescapeLine(const std::string& text);

}  // namespace skypesim
