// Calls.txt on disk. An append is one write, flushed before it returns, so a crash or a power
// loss costs at most the call being written; a rewrite goes to a new file beside the old one,
// which then takes the old one's place in one step.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace calllog {

struct FileRead {
    enum Status { Read, Missing, TooLarge, Failed } status = Missing;
    std::string bytes;
    DWORD error = 0;  // with Failed
};

// The whole file, unless it is over `maxBytes`.
FileRead ReadLogFile(const std::string& path, size_t maxBytes);

// Appends `text` in one write: after the log's first line when the file is new or empty (then
// `*begun`, if given, is set), and after a line break when the file ends inside a line (a
// write cut short). 0, or the system's error code.
DWORD AppendToLogFile(const std::string& path, std::string_view text, bool* begun = nullptr);

// Writes `text` to "<path>.new", flushed, and moves it into `path`'s place. 0, or the
// system's error code (the old file is then untouched).
DWORD ReplaceLogFile(const std::string& path, std::string_view text);

}  // namespace calllog
