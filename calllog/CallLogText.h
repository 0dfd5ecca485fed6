// The text of Calls.txt: its first line, one line per call with seven tab-separated fields,
// and the mark that says how far the person has seen the missed calls.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "calllog/CallRecord.h"

namespace calllog {

constexpr std::string_view kHeaderLine = "# Voxtelo calls 1";
// "# seen <time>": every missed call above the last such line has been seen.
constexpr std::string_view kSeenPrefix = "# seen";

// Nothing from a peer reaches the file unbounded.
constexpr size_t kNumberMax = 64;  // bytes of UTF-8
constexpr size_t kNameMax = 128;
// A longer line is none of ours; it is kept, never parsed.
constexpr size_t kLineMax = 1024;

// `text` fit for one field: tabs, line breaks and other control characters become spaces,
// and it is cut to at most `maxBytes` without splitting a UTF-8 character.
std::string CleanField(std::string_view text, size_t maxBytes);

// One call's line, without its line break; the texts are cleaned on the way.
std::string FormatCallLine(const CallRecord& call);
// A call's line (without its line break), or nothing for a line that is not one.
std::optional<CallRecord> ParseCallLine(std::string_view line);

std::string FormatSeenLine(const LocalTime& when);
bool IsSeenLine(std::string_view line);

}  // namespace calllog
