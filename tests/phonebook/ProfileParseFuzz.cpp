// libFuzzer target for the profile reader: any bytes, decoded as their mark says (Latin-1
// standing in for the ANSI code page). Besides memory and undefined-behaviour faults it checks
// what the store relies on: every name addresses what it names, values are read within their
// keys, and a file rewritten the way Wine's profile functions write it passes the store's own
// check that nothing was lost (or every write to such a file would be reported as failed).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "phonebook/ProfileText.h"
#include "phonebook/WriteCheck.h"

namespace {

using profile::Text;
using profile::TextView;

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

Text Decode(std::string_view bytes) {
    const profile::EncodingMark mark = profile::DetectEncoding(bytes);
    const std::string_view body = bytes.substr(mark.length);
    if (mark.encoding == profile::Encoding::Utf16LE ||
        mark.encoding == profile::Encoding::Utf16BE) {
        return profile::DecodeUtf16(body, mark.encoding == profile::Encoding::Utf16BE);
    }
    Text text;
    for (unsigned char c : body) {
        text.push_back(c);
    }
    return text;
}

// Blanks can only end a name or value that a zero byte cut short.
bool Clean(TextView text) {
    return text.find_first_of(u"\r\n\0", 0, 3) == TextView::npos &&
           (text.empty() || !profile::IsSpace(text.front()));
}

// The document as Wine's profile functions save it.
Text Rewrite(const profile::Document& document) {
    Text text;
    for (const profile::Section& section : document.Sections()) {
        if (!section.name.empty()) {
            text += u"[" + section.name + u"]\r\n";
        }
        for (const profile::Key& key : section.keys) {
            text += key.name;
            if (key.value) {
                text += u"=" + *key.value;
            }
            text += u"\r\n";
        }
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const profile::Document document = profile::Document::Parse(Decode(bytes));
    Check(!document.Sections().empty() && document.Sections().front().name.empty(),
          "the lines before any header form the first section");
    for (const profile::Section& section : document.Sections()) {
        Check(Clean(section.name), "a section name without leading blanks or line breaks");
        // A name that ends in blanks (cut short by a zero byte) cannot be asked for.
        const bool reachable = profile::Trim(section.name) == section.name;
        const profile::Section* found = document.FindSection(section.name);
        Check(!reachable || (found != nullptr && profile::NamesMatch(found->name, section.name)),
              "a section's name addresses a section of that name");
        for (const profile::Key& key : section.keys) {
            Check(Clean(key.name) && (!key.value || Clean(*key.value)),
                  "key names and values without leading blanks or line breaks");
            const profile::Key* first = document.FindKey(section.name, key.name);
            Check(found != &section || profile::Trim(key.name) != key.name || first != nullptr,
                  "a key of the first section is found");
            const Text read = document.ReadString(section.name, key.name, u"");
            Check(first == nullptr || !first->value || read.size() <= first->value->size(),
                  "a value reads as itself or less its quotes");
        }
    }
    const profile::Document rewritten = profile::Document::Parse(Rewrite(document));
    Check(profile::KeepsSections(document, rewritten, {}, {}),
          "a rewrite keeps every section and value");
    return 0;
}
