// UTF-8 to UTF-16 with replacement of ill-formed input and truncation on character bounds.
#include "skype/Utf8Names.h"

#include <cstdint>

namespace skype {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(uint8_t byte) {
    return (byte & 0xC0) == 0x80;
}

// Reads one character at `pos` and advances past it, or past the maximal ill-formed
// subsequence there (then the result is U+FFFD).
char32_t NextCharacter(std::string_view text, size_t& pos) {
    const auto lead = static_cast<uint8_t>(text[pos++]);
    if (lead < 0x80) {
        return lead;
    }
    size_t trailing;
    char32_t value;
    // The second byte's range excludes overlong forms, surrogates and values past U+10FFFF.
    uint8_t secondLow = 0x80;
    uint8_t secondHigh = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        trailing = 1;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        trailing = 2;
        value = lead & 0x0F;
        if (lead == 0xE0) {
            secondLow = 0xA0;
        } else if (lead == 0xED) {
            secondHigh = 0x9F;
        }
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        trailing = 3;
        value = lead & 0x07;
        if (lead == 0xF0) {
            secondLow = 0x90;
        } else if (lead == 0xF4) {
            secondHigh = 0x8F;
        }
    } else {
        return kReplacement;
    }
    for (size_t i = 0; i < trailing; ++i) {
        if (pos >= text.size()) {
            return kReplacement;
        }
        const auto byte = static_cast<uint8_t>(text[pos]);
        const bool fits = i == 0 ? byte >= secondLow && byte <= secondHigh : IsContinuation(byte);
        if (!fits) {
            return kReplacement;  // the offending byte starts the next character
        }
        value = (value << 6) | (byte & 0x3F);
        ++pos;
    }
    return value;
}

}  // namespace

std::u16string DecodeUtf8Name(std::string_view utf8, size_t maxUnits) {
    std::u16string result;
    size_t pos = 0;
    while (pos < utf8.size()) {
        const char32_t ch = NextCharacter(utf8, pos);
        const size_t units = ch >= 0x10000 ? 2 : 1;
        if (result.size() + units > maxUnits) {
            break;
        }
        if (units == 2) {
            const char32_t offset = ch - 0x10000;
            result.push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
            result.push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
        } else {
            result.push_back(static_cast<char16_t>(ch));
        }
    }
    return result;
}

}  // namespace skype
