#include "calllog/CallLogText.h"

#include <array>

namespace calllog {

namespace {

constexpr size_t kFieldCount = 7;
// Over 30 years of talk: no real call, and it still fits 32 bits.
constexpr size_t kSecondsDigitsMax = 9;

bool IsUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::optional<uint32_t> ParseSeconds(std::string_view text) {
    if (text.empty() || text.size() > kSecondsDigitsMax) {
        return std::nullopt;
    }
    uint32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    return value;
}

}  // namespace

std::string CleanField(std::string_view text, size_t maxBytes) {
    if (text.size() > maxBytes) {
        size_t end = maxBytes;
        while (end > 0 && IsUtf8Continuation(text[end])) {
            --end;
        }
        text = text.substr(0, end);
    }
    std::string clean(text);
    for (char& c : clean) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            c = ' ';
        }
    }
    return clean;
}

std::string FormatCallLine(const CallRecord& call) {
    std::string line = FormatTime(call.start);
    for (const std::string& field :
         {std::string(CarrierWord(call.carrier)), std::string(DirectionWord(call.direction)),
          std::string(OutcomeWord(call.outcome)), CleanField(call.number, kNumberMax),
          CleanField(call.name, kNameMax), std::to_string(call.seconds)}) {
        line += '\t';
        line += field;
    }
    return line;
}

std::optional<CallRecord> ParseCallLine(std::string_view line) {
    if (line.size() > kLineMax) {
        return std::nullopt;
    }
    std::array<std::string_view, kFieldCount> fields;
    size_t count = 0;
    size_t from = 0;
    while (true) {
        const size_t tab = line.find('\t', from);
        if (count == kFieldCount) {
            return std::nullopt;  // more fields than a call has
        }
        fields[count++] = line.substr(from, tab == std::string_view::npos ? tab : tab - from);
        if (tab == std::string_view::npos) {
            break;
        }
        from = tab + 1;
    }
    if (count != kFieldCount) {
        return std::nullopt;
    }
    const std::optional<LocalTime> start = ParseTime(fields[0]);
    const std::optional<Carrier> carrier = CarrierFromWord(fields[1]);
    const std::optional<Direction> direction = DirectionFromWord(fields[2]);
    const std::optional<Outcome> outcome = OutcomeFromWord(fields[3]);
    const std::optional<uint32_t> seconds = ParseSeconds(fields[6]);
    if (!start || !carrier || !direction || !outcome || !seconds) {
        return std::nullopt;
    }
    CallRecord call;
    call.start = *start;
    call.carrier = *carrier;
    call.direction = *direction;
    call.outcome = *outcome;
    call.number = CleanField(fields[4], kNumberMax);
    call.name = CleanField(fields[5], kNameMax);
    call.seconds = *seconds;
    return call;
}

std::string FormatSeenLine(const LocalTime& when) {
    return std::string(kSeenPrefix) + " " + FormatTime(when);
}

bool IsSeenLine(std::string_view line) {
    return line.substr(0, kSeenPrefix.size()) == kSeenPrefix &&
           (line.size() == kSeenPrefix.size() || line[kSeenPrefix.size()] == ' ');
}

}  // namespace calllog
