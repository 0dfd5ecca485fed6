// Word splitting, case folding, numbers and line escaping for the simulator.
#include "sim/skype/SimText.h"

#include <cstdio>

namespace skypesim {

std::vector<std::string> SplitOnSpaces(const std::string& text) {
    std::vector<std::string> words;
    size_t start = 0;
    for (;;) {
        size_t space = text.find(' ', start);
        if (space == std::string::npos) {
            words.push_back(text.substr(start));
            return words;
        }
        words.push_back(text.substr(start, space - start));
        start = space + 1;
    }
}

std::string JoinFrom(const std::vector<std::string>& words, size_t first) {
    std::string joined;
    for (size_t i = first; i < words.size(); ++i) {
        if (i > first) {
            joined += ' ';
        }
        joined += words[i];
    }
    return joined;
}

std::string ToUpperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

bool EqualsNoCase(const std::string& a, const char* b) {
    return ToUpperAscii(a) == ToUpperAscii(b);
}

std::optional<uint64_t> ParseUnsigned(const std::string& text) {
    if (text.empty() || text.size() > 19) {
        return std::nullopt;
    }
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return value;
}

std::string EscapeLine(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20 || c == 0x7f) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\x%02X", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out;
}

static int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string UnescapeLine(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\\' || i + 1 == text.size()) {
            out += c;
            continue;
        }
        char next = text[++i];
        switch (next) {
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'x':
                if (i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
                    HexDigit(text[i + 2]) >= 0) {
                    out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
                    i += 2;
                } else {
                    out += "\\x";
                }
                break;
            default:
                out += next;
                break;
        }
    }
    return out;
}

}  // namespace skypesim
