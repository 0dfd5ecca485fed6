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
// units, so a surrogate pair is never split. Ill-formed input is replaced, not dropped, as the
// system's decoder does: one U+FFFD per maximal ill-formed subsequence (Unicode's practice;
// Wine's decoder counts a few overlong and surrogate forms differently).
std::u16string DecodeUtf8Name(std::string_view utf8, size_t maxUnits = kMaxNameUnits);

}  // namespace skype
