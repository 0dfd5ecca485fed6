// The LED request layouts byte for byte, and the reply parser's bounds.
#include "app/LedRequest.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

TEST(LedRequest, ThePointerLayoutIs20BytesWithTheRecordAddress) {
    const Bytes request =
        led::BuildRequest(led::Layout::PointerToRecord, led::kMethodPled, 1, 0x00401234);
    const Bytes expected = {
        2,    0,    0,    0,     // request kind
        'P',  'L',  'E',  'D',   // 0x44454C50
        1,    0,    0,    0,     // one argument
        8,    0,    0,    0,     // record size
        0x34, 0x12, 0x40, 0x00,  // the record's address
    };
    EXPECT_EQ(request, expected);
}

TEST(LedRequest, TheInlineLayoutIs24BytesWithTheRecordItself) {
    const Bytes on = led::BuildRequest(led::Layout::RecordInline, led::kMethodPled, 1, 0xDEAD);
    const Bytes expected = {
        2, 0, 0, 0, 'P', 'L', 'E', 'D', 1, 0, 0, 0, 8, 0, 0, 0, 0, 0,  // integer argument
        4, 0,                                                          // four data bytes
        1, 0, 0, 0,                                                    // LED on
    };
    EXPECT_EQ(on, expected);
    const Bytes off = led::BuildRequest(led::Layout::RecordInline, led::kMethodPled, 0, 0);
    EXPECT_EQ(off.size(), 24u);
    EXPECT_EQ(off[20], 0);
}

TEST(LedRequest, OnlyA32BitProcessOnA32BitSystemPassesAPointer) {
    EXPECT_EQ(led::ChooseLayout(false, false), led::Layout::PointerToRecord);
    EXPECT_EQ(led::ChooseLayout(false, true), led::Layout::RecordInline);
    EXPECT_EQ(led::ChooseLayout(true, false), led::Layout::RecordInline);
    EXPECT_EQ(led::ChooseLayout(true, true), led::Layout::RecordInline);
}

class LedReply : public ::testing::Test {
protected:
    void Header(uint32_t count) { Put32(8, count); }
    void Record(size_t at, uint16_t type, uint16_t length, uint32_t data) {
        reply[at] = type & 0xFF;
        reply[at + 1] = type >> 8;
        reply[at + 2] = length & 0xFF;
        reply[at + 3] = length >> 8;
        Put32(at + 4, data);
    }
    void Put32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            reply[at + i] = static_cast<uint8_t>(v >> (8 * i));
        }
    }
    std::optional<uint32_t> Word(uint32_t index) const {
        return led::ReplyDataWord(reply.data(), reply.size(), index);
    }

    std::array<uint8_t, led::kReplySize> reply{};
};

TEST_F(LedReply, RecordZeroWithUpToFourBytesGivesItsDataWord) {
    Header(1);
    Record(12, 0, 4, 0x11223344);
    EXPECT_EQ(Word(0), 0x11223344u);
}

TEST_F(LedReply, LongerRecordsOccupyTheirLengthPlusFour) {
    Header(2);
    Record(12, 2, 10, 0xAAAA0001);  // occupies 14 bytes
    Record(26, 0, 4, 0x00000007);
    EXPECT_EQ(Word(0), 0xAAAA0001u);
    EXPECT_EQ(Word(1), 7u);

    Record(12, 0, 2, 0x5);  // a short record still occupies 8 bytes
    Record(20, 0, 4, 0x9);
    EXPECT_EQ(Word(1), 9u);
}

TEST_F(LedReply, ARecordZeroOverOneHundredBytesIsUnparsable) {
    Header(1);
    Record(12, 2, 96, 1);  // 100 bytes: still fine
    EXPECT_EQ(Word(0), 1u);
    Record(12, 2, 97, 1);  // 101 bytes
    EXPECT_EQ(Word(0), std::nullopt);
}

TEST_F(LedReply, NeverReadsBeyondTheReplyWhateverTheHeaderClaims) {
    Header(0xFFFFFFFF);
    // Every record claims 100 bytes: walking far enough must run out of buffer.
    for (size_t at = 12; at + 8 <= reply.size(); at += 100) {
        Record(at, 2, 96, static_cast<uint32_t>(at));
    }
    EXPECT_EQ(Word(0), 12u);
    EXPECT_EQ(Word(6), 612u);
    EXPECT_EQ(Word(7), std::nullopt);  // starts at 712 but would end at 812, past 768
    EXPECT_EQ(Word(8), std::nullopt);
    EXPECT_EQ(Word(1000), std::nullopt);

    EXPECT_EQ(led::ReplyDataWord(reply.data(), 11, 0), std::nullopt);
    EXPECT_EQ(led::ReplyDataWord(nullptr, 768, 0), std::nullopt);
}

TEST_F(LedReply, AnIndexBeyondTheRecordCountIsRefused) {
    Header(1);
    Record(12, 0, 4, 1);
    Record(20, 0, 4, 2);
    EXPECT_EQ(Word(1), 2u);  // the count bounds the index, not the records below it
    EXPECT_EQ(Word(2), std::nullopt);
}

}  // namespace
