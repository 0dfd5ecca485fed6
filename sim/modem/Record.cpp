// Text form of record entries. Values are escaped so that any byte survives: \t, \n, \\ and
// \xHH for other control bytes.
#include "sim/modem/Record.h"

#include "sim/modem/TapiNames.h"

#include <cstdio>

namespace simmodem {
namespace {

std::string Escape(const std::string& value) {
    std::string out;
    for (unsigned char c : value) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c == 0x7F) {
            char code[5];
            std::snprintf(code, sizeof code, "\\x%02X", c);
            out += code;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool Unescape(const std::string& text, std::string* value) {
    value->clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            *value += text[i];
            continue;
        }
        if (++i >= text.size()) {
            return false;
        }
        switch (text[i]) {
            case '\\':
                *value += '\\';
                break;
            case 't':
                *value += '\t';
                break;
            case 'n':
                *value += '\n';
                break;
            case 'x': {
                if (i + 2 >= text.size() || HexDigit(text[i + 1]) < 0 ||
                    HexDigit(text[i + 2]) < 0) {
                    return false;
                }
                *value += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
                i += 2;
                break;
            }
            default:
                return false;
        }
    }
    return true;
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        parts.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) {
            return parts;
        }
        start = tab + 1;
    }
}

}  // namespace

bool RecordEntry::Has(const std::string& key) const {
    for (const auto& field : fields) {
        if (field.first == key) {
            return true;
        }
    }
    return false;
}

std::string RecordEntry::Text(const std::string& key) const {
    for (const auto& field : fields) {
        if (field.first == key) {
            return field.second;
        }
    }
    return "";
}

std::optional<uint32_t> RecordEntry::Number(const std::string& key) const {
    if (!Has(key)) {
        return std::nullopt;
    }
    return ParseNumber(Text(key));
}

std::optional<int32_t> RecordEntry::Result() const {
    if (!Has("result")) {
        return std::nullopt;
    }
    return ParseTapiResult(Text("result"));
}

std::vector<uint8_t> RecordEntry::Bytes(const std::string& key) const {
    const std::string hex = Text(key);
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        const int high = HexDigit(hex[i]);
        const int low = HexDigit(hex[i + 1]);
        if (high < 0 || low < 0) {
            return {};
        }
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return bytes;
}

std::string HexBytes(const void* data, size_t size) {
    static const char kDigits[] = "0123456789ABCDEF";
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::string hex;
    hex.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        hex += kDigits[bytes[i] >> 4];
        hex += kDigits[bytes[i] & 0xF];
    }
    return hex;
}

std::string FormatEntry(const RecordEntry& entry) {
    std::string line = std::to_string(entry.seq) + "\t" + entry.function;
    for (const auto& field : entry.fields) {
        line += "\t" + field.first + "=" + Escape(field.second);
    }
    return line;
}

bool ParseEntry(const std::string& line, RecordEntry* entry) {
    const std::vector<std::string> parts = SplitTabs(line);
    if (parts.size() < 2 || parts[0].empty() || parts[1].empty()) {
        return false;
    }
    entry->seq = 0;
    for (char c : parts[0]) {
        if (c < '0' || c > '9') {
            return false;
        }
        entry->seq = entry->seq * 10 + static_cast<uint64_t>(c - '0');
    }
    entry->function = parts[1];
    entry->fields.clear();
    for (size_t i = 2; i < parts.size(); ++i) {
        const size_t equals = parts[i].find('=');
        std::string value;
        if (equals == std::string::npos || !Unescape(parts[i].substr(equals + 1), &value)) {
            return false;
        }
        entry->fields.emplace_back(parts[i].substr(0, equals), value);
    }
    return true;
}

}  // namespace simmodem
