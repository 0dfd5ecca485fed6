#include "app/LedRequest.h"

#include <cstring>

namespace led {

namespace {

void Put32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

uint32_t Get32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

uint16_t Get16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}

// A record occupies 8 bytes when its data fits in 4, else its data length plus 4.
size_t OccupiedSize(uint16_t dataLength) {
    return dataLength <= 4 ? kRecordSize : static_cast<size_t>(dataLength) + 4;
}

}  // namespace

Layout ChooseLayout(bool process64Bit, bool isWow64) {
    return process64Bit || isWow64 ? Layout::RecordInline : Layout::PointerToRecord;
}

std::array<uint8_t, kRecordSize> ArgumentRecord(uint32_t value) {
    return {0,
            0,
            4,
            0,
            static_cast<uint8_t>(value),
            static_cast<uint8_t>(value >> 8),
            static_cast<uint8_t>(value >> 16),
            static_cast<uint8_t>(value >> 24)};
}

std::vector<uint8_t> BuildRequest(Layout layout, uint32_t method, uint32_t value,
                                  uint32_t recordAddress) {
    std::vector<uint8_t> request;
    Put32(request, 2);
    Put32(request, method);
    Put32(request, 1);  // one argument
    Put32(request, kRecordSize);
    if (layout == Layout::PointerToRecord) {
        Put32(request, recordAddress);
    } else {
        const auto record = ArgumentRecord(value);
        request.insert(request.end(), record.begin(), record.end());
    }
    return request;
}

std::optional<uint32_t> ReplyDataWord(const uint8_t* reply, size_t size, uint32_t index) {
    if (!reply || size < kReplyHeaderSize) {
        return std::nullopt;
    }
    const uint32_t count = Get32(reply + 8);
    if (index > count) {
        return std::nullopt;
    }
    size_t offset = kReplyHeaderSize;
    for (uint32_t i = 0;; ++i) {
        if (size - offset < 4) {
            return std::nullopt;
        }
        const size_t occupied = OccupiedSize(Get16(reply + offset + 2));
        if (occupied > kMaxRecordSize || occupied > size - offset) {
            return std::nullopt;
        }
        if (i == index) {
            return Get32(reply + offset + 4);
        }
        offset += occupied;
    }
}

}  // namespace led
