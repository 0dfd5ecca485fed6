// The phone's call log: Calls.txt beside the phone book, read once at start, and one line
// appended for each finished call. It never fails the phone: a missing file is an empty log,
// lines it cannot read are skipped (and kept), and a file it cannot write is reported once in
// the Debug Window while the calls stay listed for this run.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

#include "calllog/CallHistory.h"
#include "calllog/CallTracker.h"

namespace calllog {

class CallLog {
public:
    // A larger file is no log of ours: it is set aside whole, as "<path>.bad".
    static constexpr size_t kMaxFileBytes = 16u << 20;

    explicit CallLog(std::string path);

    void Load();
    // A finished call; its texts in UTF-8.
    void Record(const CallRecord& call);
    // Every missed call so far has been seen.
    void MarkSeen();
    // The person's "Clear recent calls".
    void Clear();

    const CallHistory& History() const { return history_; }
    const std::string& Path() const { return path_; }

private:
    DWORD Append(std::string_view text, bool* begun);
    void Write(DWORD error);

    std::string path_;
    CallHistory history_;
    DWORD diskError_ = 0;   // a file too large that could not be set aside is left alone
    bool failing_ = false;  // a failure is reported once, until a write succeeds again
};

// Now, for the log.
Moment Now();
// A moment of the system clock, for the log.
Moment MomentAt(std::chrono::system_clock::time_point when);
// A text of the program's code page in UTF-8, for the log.
std::string AnsiToUtf8(const std::string& text);

}  // namespace calllog
