// The simulator's record of what happened on the API: discover broadcasts seen, attach
// statuses sent, texts received and sent. One entry per line when read over the control
// channel; the control library parses the lines back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace skypesim {

enum class RecordKind { Discover, Attach, In, Out, Hang };

struct RecordEntry {
    RecordKind kind = RecordKind::In;
    uint64_t ms = 0;      // since the simulator started
    uint64_t window = 0;  // the program's window (not for HANG)
    unsigned status = 0;  // ATTACH: the status sent
    bool ok = false;      // ATTACH, OUT: delivered (non-zero result); IN: taken
    uint64_t size = 0;    // IN: cbData as it arrived; HANG: how long, in ms
    std::string text;     // IN, OUT: the text up to its first zero byte
};

//   DISCOVER <ms> <window>
//   ATTACH <ms> <window> <status> <ok>
//   IN <ms> <window> <ok> <cbData> <text>
//   OUT <ms> <window> <ok> <text>
//   HANG <ms> <duration>
// Windows and statuses in hex with 0x, the text escaped so that the entry stays on one line.
std::string FormatRecordEntry(const RecordEntry& entry);
std::optional<RecordEntry> ParseRecordEntry(const std::string& line);

}  // namespace skypesim
