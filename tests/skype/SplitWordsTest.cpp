// Word splitting of received texts and checked word access.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "framework/InvalidArgumentError.h"
#include "skype/SplitWords.h"

namespace skype {
namespace {

std::vector<std::string> AllWords(const Words& words) {
    std::vector<std::string> result;
    for (size_t i = 0; i < words.Count(); ++i) {
        result.push_back(words.At(i));
    }
    return result;
}

struct SplitCase {
    const char* text;
    std::vector<std::string> words;
};

void PrintTo(const SplitCase& c, std::ostream* out) {
    *out << '"' << c.text << '"';
}

class SplitWordsTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitWordsTest, CutsAtSingleSpaces) {
    EXPECT_EQ(AllWords(SplitWords(GetParam().text)), GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SplitWordsTest,
    ::testing::Values(SplitCase{"PONG", {"PONG"}}, SplitCase{"", {""}},
                      SplitCase{"CALL 7 STATUS RINGING", {"CALL", "7", "STATUS", "RINGING"}},
                      SplitCase{"USERS ", {"USERS"}}, SplitCase{"a b ", {"a", "b"}},
                      // A space right after a separator starts the next word.
                      SplitCase{"a  b", {"a", " b"}}, SplitCase{"a   b", {"a", " ", "b"}},
                      SplitCase{"a    b", {"a", " ", " b"}}, SplitCase{"a  ", {"a", " "}},
                      SplitCase{"x y", {"x", "y"}}, SplitCase{"x y  ", {"x", "y", " "}}));

TEST(SplitWordsRejects, TextsBeginningWithASpace) {
    for (const char* text : {" ", "  ", " CALL 7", "  USERS a"}) {
        EXPECT_THROW(SplitWords(text), fw::InvalidArgumentError) << '"' << text << '"';
    }
}

TEST(WordAccess, MissingWordRaisesInvalidArgument) {
    const Words words = SplitWords("CALL 12");
    EXPECT_EQ(words.At(1), "12");
    EXPECT_THROW(words.At(2), fw::InvalidArgumentError);
    EXPECT_THROW(SplitWords("USERS ").At(1), fw::InvalidArgumentError);
}

TEST(TextFrom, AllowsTheEndButNotBeyond) {
    EXPECT_EQ(TextFrom("USER b FULLNAME Bob van Dijk", 16), "Bob van Dijk");
    EXPECT_EQ(TextFrom("abc", 3), "");
    EXPECT_THROW(TextFrom("abc", 4), fw::InvalidArgumentError);
}

}  // namespace
}  // namespace skype
