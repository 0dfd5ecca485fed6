// Record entries to and from their one-line form.
#include "sim/skype/SimRecord.h"

#include <cstdio>
#include <cstdlib>

#include "sim/skype/SimText.h"

namespace skypesim {
namespace {

std::string Hex(uint64_t value) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "0x%llx", static_cast<unsigned long long>(value));
    return buf;
}

std::optional<uint64_t> ParseHex(const std::string& word) {
    if (word.size() < 3 || word.size() > 18 || word[0] != '0' || word[1] != 'x') {
        return std::nullopt;
    }
    char* end = nullptr;
    unsigned long long value = std::strtoull(word.c_str() + 2, &end, 16);
    if (*end != '\0') {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::string FormatRecordEntry(const RecordEntry& e) {
    std::string ms = std::to_string(e.ms);
    switch (e.kind) {
        case RecordKind::Discover:
            return "DISCOVER " + ms + " " + Hex(e.window);
        case RecordKind::Attach:
            return "ATTACH " + ms + " " + Hex(e.window) + " " + Hex(e.status) +
                   (e.ok ? " 1" : " 0");
        case RecordKind::In:
            return "IN " + ms + " " + Hex(e.window) + (e.ok ? " 1 " : " 0 ") +
                   std::to_string(e.size) + " " + EscapeLine(e.text);
        case RecordKind::Out:
            return "OUT " + ms + " " + Hex(e.window) + (e.ok ? " 1 " : " 0 ") + EscapeLine(e.text);
        case RecordKind::Hang:
            return "HANG " + ms + " " + std::to_string(e.size);
    }
    return "";
}

std::optional<RecordEntry> ParseRecordEntry(const std::string& line) {
    // The text is the rest of the line and may hold spaces; cut off only the fixed fields.
    std::vector<std::string> words = SplitOnSpaces(line);
    RecordEntry e;
    size_t fixed = 0;
    if (words[0] == "DISCOVER") {
        e.kind = RecordKind::Discover, fixed = 3;
    } else if (words[0] == "ATTACH") {
        e.kind = RecordKind::Attach, fixed = 5;
    } else if (words[0] == "IN") {
        e.kind = RecordKind::In, fixed = 5;
    } else if (words[0] == "OUT") {
        e.kind = RecordKind::Out, fixed = 4;
    } else if (words[0] == "HANG") {
        e.kind = RecordKind::Hang, fixed = 3;
    } else {
        return std::nullopt;
    }
    bool hasText = e.kind == RecordKind::In || e.kind == RecordKind::Out;
    if (words.size() < fixed + (hasText ? 1 : 0) || (!hasText && words.size() != fixed)) {
        return std::nullopt;
    }
    auto ms = ParseUnsigned(words[1]);
    if (!ms) {
        return std::nullopt;
    }
    e.ms = *ms;
    if (e.kind == RecordKind::Hang) {
        auto duration = ParseUnsigned(words[2]);
        if (!duration) {
            return std::nullopt;
        }
        e.size = *duration;
        return e;
    }
    auto window = ParseHex(words[2]);
    if (!window) {
        return std::nullopt;
    }
    e.window = *window;
    if (e.kind == RecordKind::Attach) {
        auto status = ParseHex(words[3]);
        if (!status) {
            return std::nullopt;
        }
        e.status = static_cast<unsigned>(*status);
        e.ok = words[4] == "1";
    } else if (e.kind == RecordKind::In || e.kind == RecordKind::Out) {
        e.ok = words[3] == "1";
        if (e.kind == RecordKind::In) {
            auto size = ParseUnsigned(words[4]);
            if (!size) {
                return std::nullopt;
            }
            e.size = *size;
        }
        e.text = UnescapeLine(JoinFrom(words, fixed));
    }
    return e;
}

}  // namespace skypesim
