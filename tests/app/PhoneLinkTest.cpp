// The number a "tel:" or "callto:" link hands to the display line: digits and one leading "+"
// only, within the line's limit, and nothing at all from a link that carries no plain number.
#include "app/PhoneLink.h"

#include <gtest/gtest.h>

namespace {

TEST(PhoneLink, GivesOnlyDigitsAndALeadingPlusOrNothing) {
    struct Case {
        const char* link;
        std::optional<std::string> number;
    };
    const Case cases[] = {
        {"tel:5551234", "5551234"},
        {"TEL:+1-555-123-4567", "+15551234567"},
        {"tel:+1 (555) 123.4567", "+15551234567"},
        {"callto:+15551234", "+15551234"},
        {"callto://+44%2020%207946%200000", "+442079460000"},
        {"tel:%2B4930123", "+4930123"},
        {"tel:5551234;ext=12", "5551234"},
        {"tel:5551234?call", "5551234"},
        {"tel://5551234#x", "5551234"},
        // Cut to the line's limit, as typing is.
        {"tel:123456789012345678901234567890", "12345678901234567890123"},
        {"tel:+123456789012345678901234", "+1234567890123456789012"},
        // No plain number: a Skype name, letters, service codes, a second plus, a broken
        // escape, an escaped control character, nothing at all.
        {"callto:echo123", std::nullopt},
        {"tel:1-800-FLOWERS", std::nullopt},
        {"tel:*31#5551234", std::nullopt},
        {"tel:+1+2", std::nullopt},
        {"tel:1++2", std::nullopt},
        {"tel:555%2", std::nullopt},
        {"tel:555%zz1", std::nullopt},
        {"tel:555%001", std::nullopt},
        {"tel:+", std::nullopt},
        {"tel:", std::nullopt},
        {"tel:;ext=1", std::nullopt},
        {"tel:555\x80"
         "1",
         std::nullopt},
        // Not a link.
        {"5551234", std::nullopt},
        {"telephone:5551234", std::nullopt},
        {"mailto:tel:5551234", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NumberOfPhoneLink(c.link), c.number) << c.link;
        if (c.number) {
            EXPECT_TRUE(IsDialableNumber(*c.number)) << c.link;
        }
    }
    // The first link among the arguments counts, whether it carries a number or not.
    EXPECT_EQ(PhoneLinkNumber({"voxtelo.exe", "debug", "tel:555", "tel:666"}), "555");
    EXPECT_EQ(PhoneLinkNumber({"voxtelo.exe", "callto:bob", "tel:666"}), std::nullopt);
    EXPECT_EQ(PhoneLinkNumber({"voxtelo.exe", "debug"}), std::nullopt);
}

}  // namespace
