// The profile (INI) format read the way the system's profile functions read it, so that the
// phone book can be read in one pass instead of one platform call per value.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace profile {

// Texts are UTF-16 code units, as the profile functions hold them. Turning the file's bytes
// into text in the ANSI code page, and names back into bytes, is the platform side's.
using Text = std::u16string;
using TextView = std::u16string_view;

enum class Encoding { Ansi, Utf8, Utf16LE, Utf16BE };

struct EncodingMark {
    Encoding encoding;
    size_t length;  // bytes of the mark, skipped before decoding
};

// A UTF-8 mark, else a UTF-16 one of either byte order, else ANSI without a mark.
EncodingMark DetectEncoding(std::string_view bytes);
// The bytes after the mark as UTF-16 code units; an odd last byte is dropped.
Text DecodeUtf16(std::string_view bytes, bool bigEndian);

// Tab, line feed, vertical tab, form feed, carriage return, space and ^Z (an old end of file).
bool IsSpace(char16_t c);
TextView Trim(TextView text);

// Whether the profile functions take a stored section or key name for the wanted one: equal
// once the wanted one loses its surrounding white space, ignoring the case of A to Z only (as
// Wine's do).
bool NamesMatch(TextView stored, TextView wanted);
// The form in which the profile functions compare names: A to Z made small.
Text FoldCase(TextView name);

struct Key {
    Text name;
    std::optional<Text> value;  // none for a line without '='
};

struct Section {
    Text name;  // "" for the lines before the first header, and for "[]"
    std::vector<Key> keys;
};

class Document {
public:
    Document() = default;

    // Lines end at CR or LF (any run of them) and lose surrounding white space. A line that
    // starts with '[' and has a ']' later on opens a section named by what lies between the
    // '[' and the last ']', trimmed; anything else is a key line, split at its first '='.
    // A name or value ends at a NUL, as the platform's zero-ended texts do.
    static Document Parse(TextView text);

    // Every section in file order, the nameless one first.
    const std::vector<Section>& Sections() const { return sections_; }

    // The section the profile functions address by this name: the first that matches it.
    const Section* FindSection(TextView name) const;
    // The first key of that section that matches this name; null when none.
    const Key* FindKey(TextView section, TextView key) const;

    // What GetPrivateProfileString gives with a buffer large enough: the key's value, else
    // the default without its trailing spaces; either without one pair of enclosing quotes.
    Text ReadString(TextView section, TextView key, TextView defaultValue) const;

private:
    std::vector<Section> sections_;
    std::unordered_map<Text, size_t> firstByName_;  // folded name -> first section
};

}  // namespace profile
