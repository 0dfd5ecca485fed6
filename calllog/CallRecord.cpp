#include "calllog/CallRecord.h"

#include <cstdio>
#include <utility>

namespace calllog {

namespace {

constexpr std::pair<Carrier, const char*> kCarriers[] = {
    {Carrier::Modem, "modem"},
    {Carrier::Skype, "skype"},
};

constexpr std::pair<Direction, const char*> kDirections[] = {
    {Direction::In, "in"},
    {Direction::Out, "out"},
};

constexpr std::pair<Outcome, const char*> kOutcomes[] = {
    {Outcome::Answered, "answered"},   {Outcome::Missed, "missed"}, {Outcome::Declined, "declined"},
    {Outcome::NoAnswer, "no-answer"},  {Outcome::Busy, "busy"},     {Outcome::Failed, "failed"},
    {Outcome::Cancelled, "cancelled"},
};

template <typename T, size_t N>
const char* WordOf(const std::pair<T, const char*> (&table)[N], T value) {
    for (const auto& [key, word] : table) {
        if (key == value) {
            return word;
        }
    }
    return "";
}

template <typename T, size_t N>
std::optional<T> ValueOf(const std::pair<T, const char*> (&table)[N], std::string_view word) {
    for (const auto& [key, name] : table) {
        if (word == name) {
            return key;
        }
    }
    return std::nullopt;
}

// Exactly `width` decimal digits at `pos`.
bool ReadDigits(std::string_view text, size_t pos, size_t width, int& value) {
    value = 0;
    for (size_t i = 0; i < width; ++i) {
        const char c = text[pos + i];
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    return true;
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

bool LocalTime::operator==(const LocalTime& other) const {
    return year == other.year && month == other.month && day == other.day && hour == other.hour &&
           minute == other.minute && second == other.second;
}

bool CallRecord::operator==(const CallRecord& other) const {
    return start == other.start && carrier == other.carrier && direction == other.direction &&
           outcome == other.outcome && number == other.number && name == other.name &&
           seconds == other.seconds;
}

const char* CarrierWord(Carrier carrier) {
    return WordOf(kCarriers, carrier);
}

const char* DirectionWord(Direction direction) {
    return WordOf(kDirections, direction);
}

const char* OutcomeWord(Outcome outcome) {
    return WordOf(kOutcomes, outcome);
}

std::optional<Carrier> CarrierFromWord(std::string_view word) {
    return ValueOf(kCarriers, word);
}

std::optional<Direction> DirectionFromWord(std::string_view word) {
    return ValueOf(kDirections, word);
}

std::optional<Outcome> OutcomeFromWord(std::string_view word) {
    return ValueOf(kOutcomes, word);
}

std::string FormatTime(const LocalTime& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", time.year, time.month,
                  time.day, time.hour, time.minute, time.second);
    return text;
}

std::optional<LocalTime> ParseTime(std::string_view text) {
    // 0123456789012345678
    // YYYY-MM-DD hh:mm:ss
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' ||
        text[13] != ':' || text[16] != ':') {
        return std::nullopt;
    }
    LocalTime time;
    if (!ReadDigits(text, 0, 4, time.year) || !ReadDigits(text, 5, 2, time.month) ||
        !ReadDigits(text, 8, 2, time.day) || !ReadDigits(text, 11, 2, time.hour) ||
        !ReadDigits(text, 14, 2, time.minute) || !ReadDigits(text, 17, 2, time.second)) {
        return std::nullopt;
    }
    // A leap second may be stamped as :60.
    if (time.month < 1 || time.month > 12 || time.day < 1 ||
        time.day > DaysInMonth(time.year, time.month) || time.hour > 23 || time.minute > 59 ||
        time.second > 60) {
        return std::nullopt;
    }
    return time;
}

}  // namespace calllog
