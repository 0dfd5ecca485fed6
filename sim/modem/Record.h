// One entry of the record of what the program asked of the modem, and its one-line text
// form on the control channel: seq, function, then key=value fields, tab-separated.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace simmodem {

struct RecordEntry {
    uint64_t seq = 0;      // 1, 2, 3, ... in the order the calls were made
    std::string function;  // "lineMakeCallA"
    std::vector<std::pair<std::string, std::string>> fields;

    bool Has(const std::string& key) const;
    std::string Text(const std::string& key) const;  // "" when absent
    // Numeric fields (decimal or 0x-hex); nullopt when absent or not a number.
    std::optional<uint32_t> Number(const std::string& key) const;
    // The function's return value as the program saw it.
    std::optional<int32_t> Result() const;
    // A hex-encoded byte field (the LINECALLPARAMS block as received).
    std::vector<uint8_t> Bytes(const std::string& key) const;
};

std::string FormatEntry(const RecordEntry& entry);
bool ParseEntry(const std::string& line, RecordEntry* entry);

std::string HexBytes(const void* data, size_t size);

}  // namespace simmodem
