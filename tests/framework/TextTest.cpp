// Text operations: positions outside the text raise the invalid-argument error.
#include "framework/Text.h"

#include <gtest/gtest.h>

#include "framework/InvalidArgumentError.h"

namespace {

TEST(Text, MidAcceptsEveryPositionUpToTheEnd) {
    EXPECT_EQ(fw::Mid("CALL 7", 5), "7");
    EXPECT_EQ(fw::Mid("CALL 7", 6), "");
    EXPECT_EQ(fw::Mid("CALL 7", 0, 4), "CALL");
    EXPECT_EQ(fw::Mid("CALL 7", 5, 100), "7");
}

TEST(Text, PositionsBeyondTheTextRaiseTheInvalidArgumentError) {
    EXPECT_THROW(fw::Mid("CALL", 5), fw::InvalidArgumentError);
    EXPECT_THROW(fw::Mid("", 1, 0), fw::InvalidArgumentError);
    EXPECT_THROW(fw::CharAt("abc", 3), fw::InvalidArgumentError);
    EXPECT_EQ(fw::CharAt("abc", 2), 'c');
}

TEST(Text, TrimRemovesWhiteSpaceAtBothEndsOnly) {
    EXPECT_EQ(fw::Trim("  bob van dijk \t\r\n"), "bob van dijk");
    EXPECT_EQ(fw::Trim(" \t "), "");
    EXPECT_EQ(fw::Trim("x"), "x");
}

TEST(Text, FormatProducesTextsOfAnyLength) {
    EXPECT_EQ(fw::Format("From Modem : %s\n", "NORMAL"), "From Modem : NORMAL\n");
    const std::string long_text(5000, 'x');
    EXPECT_EQ(fw::Format("%s|%d", long_text.c_str(), 42), long_text + "|42");
    EXPECT_EQ(fw::Format("%.*s", 3, "PONGS"), "PON");
}

}  // namespace
