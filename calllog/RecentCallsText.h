// What the person reads of the call log: the count on the badge, the tooltip's line of missed
// calls and the rows of the "Recent calls" menu. UTF-8 texts.
#pragma once

#include <cstddef>
#include <string>

#include "calllog/CallHistory.h"
#include "calllog/CallRecord.h"

namespace calllog {

// "" for none, "1" to "9", then "9+".
std::string BadgeText(size_t count);

// The time of a call: "10:42" on `today`'s date, else "2026-12-06 10:42".
std::string WhenText(const LocalTime& when, const LocalTime& today);

// Who a call was with: the name, else the number, else "Unknown"; at most `maxBytes`.
std::string PartyText(const CallRecord& call, size_t maxBytes);

// "2 missed calls \u2014 Alice Liddell, 10:42", or "" when none is unseen.
std::string MissedCallsLine(const CallHistory& history, const LocalTime& today);

// One row of the menu: a mark of direction ("<-" in, "->" out as arrows), who, the outcome
// when the call did not connect, and after a tab the time, which menus set flush right.
std::string RecentCallRow(const CallRecord& call, const LocalTime& today);

}  // namespace calllog
