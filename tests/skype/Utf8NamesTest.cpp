// Decoding of UTF-8 names into at most 49 UTF-16 units.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "skype/Utf8Names.h"

namespace skype {
namespace {

struct DecodeCase {
    const char* label;
    std::string utf8;
    std::u16string expected;
};

void PrintTo(const DecodeCase& c, std::ostream* out) {
    *out << c.label;
}

class DecodeUtf8NameTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeUtf8NameTest, Decodes) {
    EXPECT_EQ(DecodeUtf8Name(GetParam().utf8), GetParam().expected) << GetParam().label;
}

INSTANTIATE_TEST_SUITE_P(
    WellFormed, DecodeUtf8NameTest,
    ::testing::Values(
        DecodeCase{"ascii", "Bob van Dijk", u"Bob van Dijk"}, DecodeCase{"empty", "", u""},
        DecodeCase{"two-byte", "Zo\xC3\xAB \xC3\x86r\xC3\xB8", u"Zo\u00EB \u00C6r\u00F8"},
        DecodeCase{"three-byte", "\xE7\x8E\x8B\xE5\xB0\x8F\xE6\x98\x8E", u"\u738B\u5C0F\u660E"},
        DecodeCase{"four-byte", "a\xF0\x9F\x98\x80z", u"a\U0001F600z"},
        DecodeCase{"highest", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
        DecodeCase{"nul kept", std::string("a\0b", 3), std::u16string(u"a\0b", 3)}));

// One U+FFFD for each maximal ill-formed subsequence; the byte that breaks a sequence starts
// the next character.
INSTANTIATE_TEST_SUITE_P(
    IllFormed, DecodeUtf8NameTest,
    ::testing::Values(DecodeCase{"lone continuation", "a\x80z", u"a\uFFFDz"},
                      DecodeCase{"cut at the end", "ab\xC3", u"ab\uFFFD"},
                      DecodeCase{"cut by ascii", "\xC3(", u"\uFFFD("},
                      DecodeCase{"cut three-byte",
                                 "\xE2\x82"
                                 "A",
                                 u"\uFFFDA"},
                      DecodeCase{"cut four-byte", "\xF0\x9F\x98z", u"\uFFFDz"},
                      DecodeCase{"cut four-byte at end", "\xF0\x9F\x98", u"\uFFFD"},
                      DecodeCase{"overlong two-byte", "\xC0\xAF", u"\uFFFD\uFFFD"},
                      DecodeCase{"overlong three-byte", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
                      DecodeCase{"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
                      DecodeCase{"beyond U+10FFFF", "\xF4\x90\x80\x80",
                                 u"\uFFFD\uFFFD\uFFFD\uFFFD"},
                      DecodeCase{"invalid lead bytes", "\xF5\xFF\xFE", u"\uFFFD\uFFFD\uFFFD"},
                      DecodeCase{"new lead inside", "\xE2\xC3\xA9", u"\uFFFD\u00E9"}));

TEST(DecodeUtf8NameTruncation, KeepsAtMost49UnitsOfWholeCharacters) {
    const std::string smile = "\xF0\x9F\x98\x80";  // two UTF-16 units
    struct Case {
        const char* label;
        std::string utf8;
        std::u16string expected;
    } cases[] = {
        {"long ascii", std::string(60, 'x'), std::u16string(49, u'x')},
        {"exactly 49", std::string(49, 'x'), std::u16string(49, u'x')},
        {"pair would straddle the cut", std::string(48, 'x') + smile + "y",
         std::u16string(48, u'x')},
        {"pair ends at the cut", std::string(47, 'x') + smile + "y",
         std::u16string(47, u'x') + u"\U0001F600"},
        {"two-byte at the cut", std::string(48, 'x') + "\xC3\xA9\xC3\xA9",
         std::u16string(48, u'x') + u"\u00E9"},
        {"replacement at the cut", std::string(48, 'x') + "\x80\x80",
         std::u16string(48, u'x') + u"\uFFFD"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeUtf8Name(c.utf8), c.expected) << c.label;
    }

    std::string cjk;
    for (int i = 0; i < 60; ++i) {
        cjk += "\xE6\x98\x8E";
    }
    EXPECT_EQ(DecodeUtf8Name(cjk), std::u16string(49, u'\u660E'));

    std::string smiles;
    for (int i = 0; i < 30; ++i) {
        smiles += smile;
    }
    const std::u16string decoded = DecodeUtf8Name(smiles);
    EXPECT_EQ(decoded.size(), 48u);  // 24 whole pairs; the 25th would need a 50th unit
    EXPECT_TRUE(decoded.back() >= 0xDC00 && decoded.back() <= 0xDFFF);
}

}  // namespace
}  // namespace skype
