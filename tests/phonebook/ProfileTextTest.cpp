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
        const char* expected;
    } rows[] = {
        {"blanks around", "  [ Ann ] \r\t k \t=\t 1 2 \032\r\n", " ann\t", " k", "1 2"},
        {"A to Z in any case", "[ANN]\rK=1\r", "ann", "k", "1"},
        {"no other letter", "[\311lise]\nk=1\n", "\351lise", "k", "d"},
        {"first section of a name", "[Bob]\nk=1\n[bob]\nk=2\nm=3\n", "BOB", "m", "d"},
        {"one pair of quotes removed", "[S]\nk=\"'1'\"\n", "S", "k", "'1'"},
        {"a comment is a key", "[S]\n;k=1\n", "S", ";k", "1"},
        {"no '=' reads the default", "[S]\nk\n", "S", "k", "d"},
        {"the last ']' ends the name", "[a]b=c] x]\nk=1\n", "a]b=c] x", "k", "1"},
        {"'[' without ']' is a key", "[S]\n[open=1\n", "S", "[open", "1"},
        {"a zero ends a value", std::string("[S]\nk=1\0002\n", 10), "S", "k", "1"},
        {"keys before any section", "k=1\n[S]\n", "", "k", "1"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Parse(row.file).ReadString(Latin1(row.section), Latin1(row.key), u"d  "),
                  Latin1(row.expected))
            << row.rule;
    }
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
        {"a key added", book + "Phone_Mobile=3\n", {}, {}, true},
        {"a section appended", book + "[Cy]\n", {}, {u"Cy"}, true},
        {"the appended section missing", book, {}, {u"Cy"}, false},
        {"the removed section gone", "[Bob]\nPhone_Home=2\n", {0}, {}, true},
        {"the removed section still there", book, {0}, {}, false},
        {"cut after the first section", "[Ann]\nPhone_Home=1\nNote=x\n", {}, {}, false},
        {"cut inside a section", "[Ann]\nPhone_Home=1\n[Bob]\nPhone_Home=2\n", {}, {}, false},
        {"renamed", "[ann]\nPhone_Home=1\nNote=x\n[Bob]\nPhone_Home=2\n", {}, {}, false},
        // Wine writes the keys of a "[]" section under the section before it.
        {"merged by a rewrite",
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

}  // namespace
