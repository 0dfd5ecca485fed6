// The profile format as the system's profile functions read it (checked against them under
// Wine by the differential test in tests/phonebook).
#include "phonebook/ProfileText.h"

#include <utility>

namespace profile {

namespace {

bool IsLineBreak(char16_t c) {
    return c == u'\r' || c == u'\n';
}

char16_t FoldAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool EqualFolded(TextView a, TextView b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// The platform keeps names and values as zero-ended texts.
TextView CutAtNul(TextView text) {
    const size_t nul = text.find(u'\0');
    return nul == TextView::npos ? text : text.substr(0, nul);
}

TextView TrimLeft(TextView text) {
    size_t start = 0;
    while (start < text.size() && IsSpace(text[start])) {
        ++start;
    }
    return text.substr(start);
}

TextView TrimRight(TextView text) {
    size_t end = text.size();
    while (end > 0 && IsSpace(text[end - 1])) {
        --end;
    }
    return text.substr(0, end);
}

bool IsQuote(char16_t c) {
    return c == u'"' || c == u'\'';
}

}  // namespace

EncodingMark DetectEncoding(std::string_view bytes) {
    const auto at = [&bytes](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) {
        return {Encoding::Utf8, 3};
    }
    if (bytes.size() >= 2 && at(0) == 0xFF && at(1) == 0xFE) {
        return {Encoding::Utf16LE, 2};
    }
    if (bytes.size() >= 2 && at(0) == 0xFE && at(1) == 0xFF) {
        return {Encoding::Utf16BE, 2};
    }
    return {Encoding::Ansi, 0};
}

Text DecodeUtf16(std::string_view bytes, bool bigEndian) {
    Text text(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        const auto first = static_cast<unsigned char>(bytes[2 * i]);
        const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        text[i] = static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    return text;
}

bool IsSpace(char16_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20;
}

TextView Trim(TextView text) {
    return TrimRight(TrimLeft(text));
}

Text FoldCase(TextView name) {
    Text folded(name);
    for (char16_t& c : folded) {
        c = FoldAscii(c);
    }
    return folded;
}

bool NamesMatch(TextView stored, TextView wanted) {
    return EqualFolded(stored, Trim(CutAtNul(wanted)));
}

Document Document::Parse(TextView text) {
    Document document;
    document.sections_.emplace_back();
    // A key line without a name is dropped when the key line before it in the same section
    // had none either.
    bool afterKey = false;
    bool afterNamedKey = false;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = at;
        while (end < text.size() && !IsLineBreak(text[end])) {
            ++end;
        }
        const TextView line = Trim(text.substr(at, end - at));
        while (end < text.size() && IsLineBreak(text[end])) {
            ++end;
        }
        at = end;
        if (line.empty()) {
            continue;
        }
        if (line.front() == u'[') {
            const size_t close = line.rfind(u']');
            if (close != TextView::npos) {
                Section section;
                section.name = Text(CutAtNul(Trim(line.substr(1, close - 1))));
                document.sections_.push_back(std::move(section));
                afterKey = afterNamedKey = false;
                continue;
            }
            // A '[' without a ']' is an ordinary key line.
        }
        TextView name = line;
        std::optional<TextView> value;
        const size_t equals = line.find(u'=');
        if (equals != TextView::npos) {
            name = TrimRight(line.substr(0, equals));
            value = TrimLeft(line.substr(equals + 1));
        }
        if (!name.empty() || !afterKey || afterNamedKey) {
            Key key;
            key.name = Text(CutAtNul(name));
            if (value) {
                key.value = Text(CutAtNul(*value));
            }
            afterKey = true;
            afterNamedKey = !key.name.empty();
            document.sections_.back().keys.push_back(std::move(key));
        }
    }
    for (size_t i = 0; i < document.sections_.size(); ++i) {
        document.firstByName_.emplace(FoldCase(document.sections_[i].name), i);
    }
    return document;
}

const Section* Document::FindSection(TextView name) const {
    const auto found = firstByName_.find(FoldCase(Trim(CutAtNul(name))));
    return found == firstByName_.end() ? nullptr : &sections_[found->second];
}

const Key* Document::FindKey(TextView section, TextView key) const {
    const Section* found = FindSection(section);
    if (found == nullptr) {
        return nullptr;
    }
    for (const Key& candidate : found->keys) {
        if (NamesMatch(candidate.name, key)) {
            return &candidate;
        }
    }
    return nullptr;
}

Text Document::ReadString(TextView section, TextView key, TextView defaultValue) const {
    TextView text = CutAtNul(defaultValue);
    // Trailing spaces go, but never the first character.
    while (text.size() > 1 && text.back() == u' ') {
        text.remove_suffix(1);
    }
    const Key* found = FindKey(section, key);
    if (found != nullptr && found->value) {
        text = *found->value;
    }
    if (text.size() >= 2 && IsQuote(text.front()) && text.back() == text.front()) {
        text = text.substr(1, text.size() - 2);
    }
    return Text(text);
}

}  // namespace profile
