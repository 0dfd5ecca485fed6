// The byte layouts of the LED request to the notebook's ACPI control device and the parser
// of its reply. Little-endian, as the driver reads them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace led {

constexpr uint32_t kControlCode = 0x222404;   // device 0x22, function 0x901, buffered, any access
constexpr uint32_t kMethodPled = 0x44454C50;  // "PLED" packed little-endian
constexpr size_t kRecordSize = 8;             // type, length, one 32-bit integer
constexpr size_t kReplySize = 768;
constexpr size_t kReplyHeaderSize = 12;
constexpr size_t kMaxRecordSize = 100;  // a larger record 0 makes the reply unparsable

enum class Layout {
    PointerToRecord,  // 20 bytes: the argument record is passed by its 32-bit address
    RecordInline,     // 24 bytes: the argument record follows the header
};

// A 64-bit process cannot pass its record by a 32-bit address, and its driver is 64-bit like
// the process, so it always sends the record inline; a 32-bit process sends it inline only
// when it runs on a 64-bit system.
Layout ChooseLayout(bool process64Bit, bool isWow64);

// The 8-byte argument record: integer type 0, data length 4, the value.
std::array<uint8_t, kRecordSize> ArgumentRecord(uint32_t value);

// The input buffer for one method call with one integer argument. `recordAddress` is used by
// the pointer layout only.
std::vector<uint8_t> BuildRequest(Layout layout, uint32_t method, uint32_t value,
                                  uint32_t recordAddress);

// The 32-bit data word of record `index` of a reply, walking the records after the header;
// empty when the reply is unparsable: a record larger than kMaxRecordSize, a record or
// index beyond the records the header counts, or anything outside the `size` bytes.
std::optional<uint32_t> ReplyDataWord(const uint8_t* reply, size_t size, uint32_t index);

}  // namespace led
