// The profile format and the write checks on texts, natively and under the sanitizers. What
// the profile functions themselves give is checked under Wine (ProfileReaderTest).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "phonebook/ProfileText.h"
#include "phonebook/WriteCheck.h"

namespace {

using profile::Document;
using profile::Text;

// Latin-1 stands in for the ANSI code page here.
Text Latin1(const std::string& bytes) {
    Text text;
    for (unsigned char c : bytes) {
        text.push_back(c);
    }
    return text;
}

Document Parse(const std::string& bytes) {
    return Document::Parse(Latin1(bytes));
}

TEST(ProfileText, ReadsEachValueAsTheProfileFunctionsDo) {
    const struct {
        const char* rule;
        std::string file;
        const char* section;
        const char* key;
        const char* fallback;
        const char* expected;
    } rows[] = {
        {"blanks around", "  [ Ann ] \r\n\t Phone_Home \t=\t 1 2 \x1A\r\n", "Ann", "Phone_Home", "",
         "1 2"},
        {"blanks asked for", "[Ann]\nk=1\n", " Ann\t", " k ", "", "1"},
        {"A to Z in any case", "[ANN]\rPHONE_HOME=1\r", "ann", "phone_home", "", "1"},
        {"no other letter", "[\xC9lise]\nk=1\n", "\xE9lise", "k", "d", "d"},
        {"first section of a name", "[Bob]\nk=1\n[bob]\nk=2\nm=3\n", "BOB", "m", "d", "d"},
        {"first key of a name", "[Bob]\nk=1\nK=2\n", "Bob", "k", "", "1"},
        {"quotes removed once", "[S]\nk=\"'1'\"\n", "S", "k", "", "'1'"},
        {"lone quote kept", "[S]\nk=\"\n", "S", "k", "", "\""},
        {"unmatched quotes kept", "[S]\nk='1\"\n", "S", "k", "", "'1\""},
        {"comment is a key", "[S]\n;k=1\n", "S", ";k", "", "1"},
        {"no '=' reads the default", "[S]\nk\n", "S", "k", "d", "d"},
        {"last ']' ends the name", "[a]b] x]\nk=1\n", "a]b] x", "k", "", "1"},
        {"'=' in a name", "[a=b]\nk=1\n", "a=b", "k", "", "1"},
        {"'[' without ']' is a key", "[S]\n[open=1\n", "S", "[open", "", "1"},
        {"first '=' splits", "[S]\nk = a=b\n", "S", "k", "", "a=b"},
        {"zero ends a value", std::string("[S]\nk=1\0002\n", 10), "S", "k", "", "1"},
        {"keys before any section", "k=1\n[S]\n", "", "k", "", "1"},
        {"default loses trailing spaces", "", "S", "k", "'d'  ", "d"},
        {"but never its first", "", "S", "k", "  ", " "},
    };
    for (const auto& row : rows) {
        const Document document = Parse(row.file);
        EXPECT_EQ(document.ReadString(Latin1(row.section), Latin1(row.key), Latin1(row.fallback)),
                  Latin1(row.expected))
            << row.rule;
    }
}

TEST(ProfileText, ListsNamedSectionsInFileOrderWhateverTheLineEnds) {
    const Document document = Parse("k=0\r[A]\n\n\r\n[]\r\r\n[ B ]\n=1\n=2\n[A]");
    std::vector<Text> names;
    for (const profile::Section& section : document.Sections()) {
        names.push_back(section.name);
    }
    EXPECT_EQ(names, (std::vector<Text>{u"", u"A", u"", u"B", u"A"}));
    // A key line without a name right after another one is dropped.
    EXPECT_EQ(document.Sections()[3].keys.size(), 1u);
}

TEST(ProfileText, EncodingMarksDecideTheDecoding) {
    const struct {
        std::string bytes;
        profile::Encoding encoding;
        size_t length;
    } rows[] = {
        {"\xEF\xBB\xBF[A]", profile::Encoding::Utf8, 3},
        {"\xFF\xFE[\0", profile::Encoding::Utf16LE, 2},
        {"\xFE\xFF\0[", profile::Encoding::Utf16BE, 2},
        {"\xFF", profile::Encoding::Ansi, 0},
        {"\xEF\xBB", profile::Encoding::Ansi, 0},
        {"[A]", profile::Encoding::Ansi, 0},
    };
    for (const auto& row : rows) {
        const profile::EncodingMark mark = profile::DetectEncoding(row.bytes);
        EXPECT_EQ(mark.encoding, row.encoding) << row.bytes;
        EXPECT_EQ(mark.length, row.length) << row.bytes;
    }
    EXPECT_EQ(profile::DecodeUtf16(std::string("[\0\xA9\x03!", 5), false), u"[\u03A9");
    EXPECT_EQ(profile::DecodeUtf16(std::string("\0[\x03\xA9", 4), true), u"[\u03A9");
}

TEST(WriteCheck, AWriteCountsOnlyWhenTheFileReadsBackWithNothingElseLost) {
    const std::string book = "[Ann]\nPhone_Home=1\nNote=x\n[Bob]\nPhone_Home=2\n";
    const struct {
        const char* what;
        std::string after;
        profile::Positions removed;
        std::vector<Text> appended;
        bool kept;
    } rows[] = {
        {"unchanged", book, {}, {}, true},
        {"a key added", book + "Phone_Mobile=3\n", {}, {}, true},
        {"a section appended", book + "[Cy]\n", {}, {u"Cy"}, true},
        {"the appended section missing", book, {}, {u"Cy"}, false},
        {"an extra section", book + "[Cy]\n", {}, {}, false},
        {"the removed section gone", "[Bob]\nPhone_Home=2\n", {0}, {}, true},
        {"the removed section still there", book, {0}, {}, false},
        {"cut after the first section", "[Ann]\nPhone_Home=1\nNote=x\n", {}, {}, false},
        {"cut inside a section", "[Ann]\nPhone_Home=1\n[Bob]\nPhone_Home=2\n", {}, {}, false},
        {"emptied", "", {}, {}, false},
        {"reordered", "[Bob]\nPhone_Home=2\n[Ann]\nPhone_Home=1\nNote=x\n", {}, {}, false},
        {"renamed", "[ann]\nPhone_Home=1\nNote=x\n[Bob]\nPhone_Home=2\n", {}, {}, false},
        // Wine writes the keys of a "[]" section under the section before it.
        {"merged by the rewrite",
         "[Ann]\nPhone_Home=1\nNote=x\nk=4\n[Bob]\nPhone_Home=2\n",
         {},
         {},
         true},
    };
    const Document before = Parse(book + "[]\nk=4\n");
    for (const auto& row : rows) {
        EXPECT_EQ(profile::KeepsSections(before, Parse(row.after), row.removed, row.appended),
                  row.kept)
            << row.what;
    }
}

TEST(WriteCheck, AValueReadsBackAsItsWriteLeavesIt) {
    const Document after = Parse("[Ann]\nPhone_Home=1 2\nPhone_Office=\nPhone_Mobile=\"3\"\n");
    const struct {
        const char* key;
        const char16_t* written;
        bool held;
    } rows[] = {
        {"Phone_Home", u"1 2", true},        {"Phone_Home", u"  1 2\t", true},
        {"Phone_Home", u"1 2\r\nx=y", true}, {"Phone_Home", u"12", false},
        {"Phone_Office", u"", true},         {"Phone_Mobile", u"\"3\"", true},
        {"Phone_Mobile", u"3", false},       {"Phone_Fax", u"", false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(profile::HoldsWrittenValue(after, u"ann", Latin1(row.key), row.written), row.held)
            << row.key;
    }
}

}  // namespace
