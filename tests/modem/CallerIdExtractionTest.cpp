// Caller-ID extraction from returned LINECALLINFO bytes, and when a second fetch is due.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "modem/CallerIdExtraction.h"

namespace {

// The fetch buffer's size, and where the tests place the text (past the fixed part).
constexpr uint32_t kBufferSize = 1348;
constexpr uint32_t kTextAt = 296;

// A zeroed buffer with text (no terminator added) at offset.
std::vector<unsigned char> BufferWith(uint32_t size, uint32_t offset, const std::string& text) {
    std::vector<unsigned char> buffer(size, 0);
    std::memcpy(buffer.data() + offset, text.data(), text.size());
    return buffer;
}

TEST(CallerIdExtraction, TakesTheTextOnlyWhenItLiesInsideTheFilledStructure) {
    struct Row {
        const char* what;
        uint32_t used;
        uint32_t offset;
        uint32_t size;
        const char* expected;
    };
    const Row rows[] = {
        {"terminated text", 320, kTextAt, 8, "5551234"},
        {"ends exactly at the used size", kTextAt + 8, kTextAt, 8, "5551234"},
        {"no caller ID", 320, kTextAt, 0, ""},
        {"one byte past the used size", kTextAt + 7, kTextAt, 8, ""},
        {"offset past the used size", 320, 400, 8, ""},
        {"offset past the buffer", 2000, 5000, 8, ""},
        {"size reaching past the buffer", 2000, kTextAt, 2000, ""},
        {"offset + size wrapping 32 bits", 2000, 0xFFFFFFF8, 0x10, ""},
        {"huge size", 2000, kTextAt, 0xFFFFFFFF, ""},
        {"nothing filled", 0, kTextAt, 8, ""},
    };
    const auto buffer = BufferWith(kBufferSize, kTextAt, std::string("5551234\0", 8));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const CallInfoSizes sizes{kBufferSize, row.used, row.used, row.size, row.offset};
        EXPECT_EQ(ExtractCallerId(buffer.data(), buffer.size(), sizes), row.expected);
    }
}

TEST(CallerIdExtraction, TheTextStopsAtItsFirstZeroOrAtItsSize) {
    struct Row {
        std::string stored;
        uint32_t size;
        std::string expected;
    };
    const Row rows[] = {
        {std::string("0123\0"
                     "999",
                     8),
         8, "0123"},
        // Unterminated: the size bounds it, not the bytes that follow.
        {"5551234XYZ", 7, "5551234"},
        {"5551234", 7, "5551234"},
        {std::string("\0"
                     "555",
                     4),
         4, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        const auto buffer = BufferWith(kBufferSize, kTextAt, row.stored);
        const CallInfoSizes sizes{kBufferSize, 400, 400, row.size, kTextAt};
        EXPECT_EQ(ExtractCallerId(buffer.data(), buffer.size(), sizes), row.expected);
    }
}

TEST(CallerIdExtraction, NeverReadsBeyondTheBytesActuallyHeld) {
    // The structure claims more than the caller holds: the held bytes bound the read.
    const auto buffer = BufferWith(320, 300, "12345678901234567890");
    const CallInfoSizes sizes{kBufferSize, kBufferSize, kBufferSize, 40, 300};
    EXPECT_EQ(ExtractCallerId(buffer.data(), buffer.size(), sizes), "");
    EXPECT_EQ(ExtractCallerId(nullptr, 0, sizes), "");
    // A used size beyond the declared total is bounded by the total.
    const auto large = BufferWith(2000, 1344, "5551234");
    const CallInfoSizes overclaimed{kBufferSize, kBufferSize, 2000, 8, 1344};
    EXPECT_EQ(ExtractCallerId(large.data(), large.size(), overclaimed), "");
}

TEST(CallerIdExtraction, ASecondFetchIsDueOnlyWhenMoreWasNeededThanDeclared) {
    EXPECT_FALSE(NeedsSecondFetch(CallInfoSizes{kBufferSize, 400, 400, 0, 0}));
    EXPECT_FALSE(NeedsSecondFetch(CallInfoSizes{kBufferSize, kBufferSize, kBufferSize, 0, 0}));
    EXPECT_TRUE(NeedsSecondFetch(CallInfoSizes{kBufferSize, kBufferSize + 1, kBufferSize, 0, 0}));
    EXPECT_TRUE(NeedsSecondFetch(CallInfoSizes{kBufferSize, 4096, kBufferSize, 0, 0}));
}

}  // namespace
