// The stand-in's answer to untrusted request bytes, its replies as the program's parser reads
// them, and its record.
#include "sim/led/LedSimDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "app/LedRequest.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Inline(uint32_t value, uint32_t method = led::kMethodPled) {
    return led::BuildRequest(led::Layout::RecordInline, method, value, 0);
}

Bytes With(Bytes bytes, size_t at, uint8_t byte) {
    bytes.at(at) = byte;
    return bytes;
}

Bytes Resized(Bytes bytes, size_t size) {
    bytes.resize(size);
    return bytes;
}

class LedSimDeviceTest : public ::testing::Test {
protected:
    // Each request gets a buffer of exactly its own length, so an over-read trips the sanitizer.
    size_t Send(const Bytes& request, size_t capacity = led::kReplySize) {
        std::unique_ptr<uint8_t[]> copy(new uint8_t[request.size()]);
        std::copy(request.begin(), request.end(), copy.get());
        reply.assign(capacity, 0xEE);
        return LedSimMethod(device.get(), 42, request.empty() ? nullptr : copy.get(),
                            request.size(), capacity ? reply.data() : nullptr, capacity, &entry);
    }

    std::vector<LedSimEntry> Read(uint32_t after, size_t capacity = 1 << 20) {
        Bytes out(capacity);
        const size_t size = LedSimReadRecord(device.get(), after, out.data(), capacity);
        LedSimRecordHeader header{};
        std::memcpy(&header, out.data(), sizeof header);
        EXPECT_EQ(size, sizeof header + header.count * sizeof(LedSimEntry));
        std::vector<LedSimEntry> entries(header.count);
        for (uint32_t i = 0; i < header.count; ++i) {
            std::memcpy(&entries[i], &out[sizeof header + i * sizeof(LedSimEntry)],
                        sizeof(LedSimEntry));
        }
        return entries;
    }

    std::unique_ptr<LedSimDevice> device = std::make_unique<LedSimDevice>();
    Bytes reply;
    LedSimEntry entry{};
};

// Every case starts with the LED on; `word` is what the program's own parser reads from the
// reply (nullopt: no reply, or one it cannot parse).
TEST_F(LedSimDeviceTest, JudgesEveryRequestByItsOwnBytesAndAnswersAsTheReplyModeSays) {
    Bytes pointer = led::BuildRequest(led::Layout::PointerToRecord, led::kMethodPled, 1, 0x401234);
    struct Case {
        const char* name;
        Bytes request;
        size_t capacity;
        uint8_t outcome;
        uint32_t value, address;
        size_t replied;
        std::optional<uint32_t> word;
        uint32_t ledAfter;
        uint32_t mode = LEDSIM_REPLY_NORMAL;
    } cases[] = {
        {"on", Inline(1), 768, LEDSIM_ANSWERED, 1, 0, 20, 1u, 1},
        {"off", Inline(0), 768, LEDSIM_ANSWERED, 0, 0, 20, 0u, 0},
        {"any non-zero value lights it", Inline(7), 20, LEDSIM_ANSWERED, 7, 0, 20, 1u, 1},
        {"pointer form", pointer, 768, LEDSIM_POINTER_OUT_OF_REACH, 0, 0x401234, 0, {}, 1},
        {"empty", {}, 768, LEDSIM_BAD_SIZE, 0, 0, 0, {}, 1},
        {"one byte short", Resized(Inline(0), 23), 768, LEDSIM_BAD_SIZE, 0, 0, 0, {}, 1},
        {"one byte over", Resized(Inline(0), 25), 768, LEDSIM_BAD_SIZE, 0, 0, 0, {}, 1},
        {"huge", Bytes(70000, 0), 768, LEDSIM_BAD_SIZE, 0, 0, 0, {}, 1},
        {"first word not 2", With(Inline(0), 0, 3), 768, LEDSIM_BAD_HEADER, 0, 0, 0, {}, 1},
        {"two arguments", With(Inline(0), 8, 2), 768, LEDSIM_BAD_HEADER, 0, 0, 0, {}, 1},
        {"record size 9", With(Inline(0), 12, 9), 768, LEDSIM_BAD_HEADER, 0, 0, 0, {}, 1},
        {"argument not an integer",
         With(Inline(0), 16, 2),
         768,
         LEDSIM_BAD_ARGUMENT,
         0,
         0,
         0,
         {},
         1},
        {"argument of 8 bytes", With(Inline(0), 18, 8), 768, LEDSIM_BAD_ARGUMENT, 0, 0, 0, {}, 1},
        {"another method", Inline(0, 0x44454C58), 768, LEDSIM_UNKNOWN_METHOD, 0, 0, 0, {}, 1},
        {"reply does not fit", Inline(0), 19, LEDSIM_REPLY_TOO_SMALL, 0, 0, 0, {}, 1},
        {"no reply buffer", Inline(0), 0, LEDSIM_REPLY_TOO_SMALL, 0, 0, 0, {}, 1},
        {"failing", Inline(0), 768, LEDSIM_FAILED_ON_PURPOSE, 0, 0, 0, {}, 1, LEDSIM_REPLY_FAIL},
        {"unparsable",
         Inline(0),
         768,
         LEDSIM_ANSWERED_UNPARSABLE,
         0,
         0,
         216,
         {},
         0,
         LEDSIM_REPLY_UNPARSABLE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        *device = {};
        device->led = 1;
        ASSERT_TRUE(LedSimSetReplyMode(device.get(), c.mode));
        EXPECT_EQ(Send(c.request, c.capacity), c.replied);
        EXPECT_EQ(entry.outcome, c.outcome);
        EXPECT_EQ(entry.value, c.value);
        EXPECT_EQ(entry.address, c.address);
        EXPECT_EQ(entry.process, 42u);
        EXPECT_EQ(entry.length, std::min<size_t>(c.request.size(), 0xFFFF));
        EXPECT_EQ(device->led, c.ledAfter);
        if (c.replied) {
            EXPECT_EQ(led::ReplyDataWord(reply.data(), c.replied, 0), c.word);
        } else if (c.capacity) {
            EXPECT_EQ(reply[0], 0xEE) << "a refused request writes no reply";
        }
        const auto recorded = Read(0);
        ASSERT_EQ(recorded.size(), 1u);
        EXPECT_EQ(std::memcmp(&recorded[0], &entry, sizeof entry), 0);
    }
    EXPECT_FALSE(LedSimSetReplyMode(device.get(), LEDSIM_REPLY_MODES));
}

TEST_F(LedSimDeviceTest, TheRecordKeepsTheLatestEntriesInOrderAcrossPagesAndClearing) {
    *device = {};
    EXPECT_TRUE(Read(0).empty());
    const uint32_t total = LEDSIM_RECORD_CAPACITY + 10;
    for (uint32_t i = 1; i <= total; ++i) {
        Send(Inline(i));
    }
    std::vector<LedSimEntry> all = Read(0);
    ASSERT_EQ(all.size(), LEDSIM_RECORD_CAPACITY);
    EXPECT_EQ(all.front().seq, 11u);  // the ten oldest made room
    EXPECT_EQ(all.back().seq, total);
    for (const LedSimEntry& e : all) {
        EXPECT_EQ(e.value, e.seq);
    }

    // A small buffer gives the oldest entries after the mark that fit; the next page follows.
    const size_t twoEntries = sizeof(LedSimRecordHeader) + 2 * sizeof(LedSimEntry) + 5;
    std::vector<LedSimEntry> page = Read(total - 5, twoEntries);
    ASSERT_EQ(page.size(), 2u);
    EXPECT_EQ(page[0].seq, total - 4);
    EXPECT_EQ(Read(page[1].seq).front().seq, total - 2);
    EXPECT_TRUE(Read(total).empty());
    EXPECT_TRUE(Read(UINT32_MAX).empty());
    uint8_t tooSmall[sizeof(LedSimRecordHeader) - 1];
    EXPECT_EQ(LedSimReadRecord(device.get(), 0, tooSmall, sizeof tooSmall), 0u);

    LedSimClearRecord(device.get());
    EXPECT_TRUE(Read(0).empty());
    Send(Inline(0));
    ASSERT_EQ(Read(0).size(), 1u);
    EXPECT_EQ(Read(0)[0].seq, total + 1);  // the numbering goes on
}

}  // namespace
