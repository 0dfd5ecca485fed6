#include "calllog/RecentCallsText.h"

#include <cstdio>

#include "calllog/CallLogText.h"

namespace calllog {

namespace {

constexpr char kEmDash[] = "\xE2\x80\x94";
constexpr char kArrowIn[] = "\xE2\x86\x90";   // U+2190
constexpr char kArrowOut[] = "\xE2\x86\x92";  // U+2192
// Room for a name in the tooltip, whose whole text the shell cuts at 127 characters.
constexpr size_t kTipPartyMax = 48;
constexpr size_t kMenuPartyMax = 64;

const char* OutcomeNote(Outcome outcome) {
    switch (outcome) {
        case Outcome::Answered:
            return "";
        case Outcome::Missed:
            return " (missed)";
        case Outcome::Declined:
            return " (declined)";
        case Outcome::NoAnswer:
            return " (no answer)";
        case Outcome::Busy:
            return " (busy)";
        case Outcome::Failed:
            return " (failed)";
        case Outcome::Cancelled:
            return " (cancelled)";
    }
    return "";
}

}  // namespace

std::string BadgeText(size_t count) {
    if (count == 0) {
        return "";
    }
    return count > 9 ? "9+" : std::to_string(count);
}

std::string WhenText(const LocalTime& when, const LocalTime& today) {
    char text[32];
    if (when.year == today.year && when.month == today.month && when.day == today.day) {
        std::snprintf(text, sizeof text, "%02d:%02d", when.hour, when.minute);
    } else {
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", when.year, when.month,
                      when.day, when.hour, when.minute);
    }
    return text;
}

std::string PartyText(const CallRecord& call, size_t maxBytes) {
    const std::string& who = !call.name.empty() ? call.name : call.number;
    return who.empty() ? "Unknown" : CleanField(who, maxBytes);
}

std::string MissedCallsLine(const CallHistory& history, const LocalTime& today) {
    const CallRecord* newest = history.NewestUnseenMissed();
    if (!newest) {
        return "";
    }
    const size_t count = history.UnseenMissed();
    return std::to_string(count) + (count == 1 ? " missed call " : " missed calls ") + kEmDash +
           " " + PartyText(*newest, kTipPartyMax) + ", " + WhenText(newest->start, today);
}

std::string RecentCallRow(const CallRecord& call, const LocalTime& today) {
    // A menu takes "&" for the mark of its access key; "&&" shows one.
    std::string party;
    for (const char c : PartyText(call, kMenuPartyMax)) {
        party += c == '&' ? "&&" : std::string(1, c);
    }
    return std::string(call.direction == Direction::In ? kArrowIn : kArrowOut) + " " + party +
           OutcomeNote(call.outcome) + "\t" + WhenText(call.start, today);
}

}  // namespace calllog
