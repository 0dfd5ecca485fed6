// Decoding of the UTF-8 names the Skype client sends (full and display names) into a
// bounded UTF-16 text, the form the system's code-page conversion takes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace skype {

// The longest decoded name kept, in UTF-16 units (a 50-unit buffer with its terminator).
constexpr size_t kMaxNameUnits = 49;

// Decodes `utf8` and keeps the longest prefix of whole characters that fits in `maxUnits`
// units, so a surrogate pair is never split. Each maximal ill-formed subsequence becomes one
// U+FFFD, as the system's UTF-8 decoder does.
std::u16string DecodeUtf8Name(std::string_view utf8, size_t maxUnits = kMaxNameUnits);

}  // namespace skype
