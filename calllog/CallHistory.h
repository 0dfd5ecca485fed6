// The call log as Calls.txt holds it: the calls oldest first, the lines that could not be read
// (kept in their places for the next rewrite), and the marks of what the person has seen. Each
// change returns the text to add to the end of the file; the file's owner appends it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "calllog/CallRecord.h"

namespace calllog {

constexpr std::string_view kLineEnd = "\r\n";

class CallHistory {
public:
    // The most calls the file keeps; beyond it the oldest go at the next rewrite.
    static constexpr size_t kMaxCalls = 1000;

    // Replaces the history with the file's whole text; the count of lines it could not read.
    size_t Load(std::string_view text);

    // The text to append for one more call, or for the mark that every missed call so far
    // has been seen ("" when none was unseen, so nothing is appended).
    std::string Add(const CallRecord& call);
    std::string MarkSeen(const LocalTime& now);

    // Calls and marks go; lines that could not be read stay, as they were.
    void Clear();

    // True when the file must be written anew rather than appended to: over the most calls,
    // or a file whose first line is not the log's own.
    bool NeedsRewrite() const;
    // Drops the oldest calls over the most; the whole file's text follows from Text().
    void DropOldest();
    std::string Text() const;

    size_t CallCount() const { return callCount_; }
    size_t UnreadableCount() const;
    // Missed calls after the last mark, and the newest of them (null when none).
    size_t UnseenMissed() const { return unseenMissed_; }
    const CallRecord* NewestUnseenMissed() const;
    // Up to `count` calls, newest first.
    std::vector<CallRecord> Recent(size_t count) const;

private:
    struct Line {
        enum Kind { Call, Seen, Unreadable } kind;
        CallRecord call;   // for a call
        std::string text;  // as read, for a mark or an unreadable line
    };

    void Count();

    std::vector<Line> lines_;
    bool headed_ = true;  // an empty or missing file gets the first line with its first call
    size_t callCount_ = 0;
    size_t unseenMissed_ = 0;
    size_t newestUnseenMissed_ = 0;  // index into lines_, valid while unseenMissed_ > 0
};

}  // namespace calllog
