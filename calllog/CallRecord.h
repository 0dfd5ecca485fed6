// One call as the call log keeps it, and the words by which Calls.txt names its fields.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/CallState.h"

namespace calllog {

// A wall-clock time of the notebook's own zone, to the second.
struct LocalTime {
    int year = 0;
    int month = 0;  // 1-12
    int day = 0;    // 1-31
    int hour = 0;
    int minute = 0;
    int second = 0;

    bool operator==(const LocalTime& other) const;
};

enum class Direction { In, Out };

enum class Outcome {
    Answered,   // connected, either way
    Missed,     // rang in and ended unanswered here, also when refused for another call
    Declined,   // the person ended it while it rang
    NoAnswer,   // outgoing, never connected: nobody took it
    Busy,       // outgoing, never connected: the far end was busy or refused
    Failed,     // outgoing, never connected: the carrier could not place it
    Cancelled,  // outgoing, ended by the person before it connected
};

struct CallRecord {
    LocalTime start;
    Carrier carrier = Carrier::Modem;  // Modem or Skype
    Direction direction = Direction::In;
    Outcome outcome = Outcome::Missed;
    std::string number;    // UTF-8: the dialled or caller-ID number, or the Skype handle
    std::string name;      // UTF-8: what the phone showed, may be empty
    uint32_t seconds = 0;  // talk time

    bool operator==(const CallRecord& other) const;
};

// The words of the file, and back; the back ways are empty for any other word.
const char* CarrierWord(Carrier carrier);
const char* DirectionWord(Direction direction);
const char* OutcomeWord(Outcome outcome);
std::optional<Carrier> CarrierFromWord(std::string_view word);
std::optional<Direction> DirectionFromWord(std::string_view word);
std::optional<Outcome> OutcomeFromWord(std::string_view word);

// "YYYY-MM-DD hh:mm:ss", and back for exactly that form of a real date and time.
std::string FormatTime(const LocalTime& time);
std::optional<LocalTime> ParseTime(std::string_view text);

}  // namespace calllog
