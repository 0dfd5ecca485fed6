// What each sequence of carrier states and user actions writes to the log, line for line.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "calllog/CallLogText.h"
#include "calllog/CallTracker.h"

namespace calllog {
namespace {

// A step: "<carrier> <what> <args>", carrier m or s; times in ms from 10:42:00.
//   m RINGING 0 | m party 5551234|Alice | m user | m reason busy | s refused 0 bob|Bob | end 0
std::vector<std::string> Replay(const std::vector<std::string>& steps) {
    std::vector<std::string> lines;
    CallTracker tracker([&](const CallRecord& call) { lines.push_back(FormatCallLine(call)); });
    const auto at = [](uint64_t ms) {
        return Moment{{2026, 12, 7, 10, 42 + int(ms / 60000), int(ms / 1000 % 60)}, ms};
    };
    for (const std::string& step : steps) {
        std::istringstream in(step);
        std::string who, what, arg;
        uint64_t ms = 0;
        in >> who >> what;
        const Carrier carrier = who == "s" ? Carrier::Skype : Carrier::Modem;
        const auto party = [&] {
            std::getline(in >> std::ws, arg);
            const size_t bar = arg.find('|');
            return std::make_pair(arg.substr(0, bar), arg.substr(bar + 1));
        };
        if (who == "end") {
            tracker.EndAll(at(std::stoull(what)));
        } else if (what == "party") {
            const auto [number, name] = party();
            tracker.OnParty(carrier, number, name);
        } else if (what == "user") {
            tracker.OnUserEnded(carrier);
        } else if (what == "reason") {
            in >> arg;
            tracker.OnEndReason(carrier, arg == "busy"        ? EndReason::Busy
                                         : arg == "failed"    ? EndReason::Failed
                                         : arg == "cancelled" ? EndReason::Cancelled
                                                              : EndReason::NoAnswer);
        } else if (what == "refused") {
            in >> ms;
            const auto [number, name] = party();
            tracker.OnRefused(carrier, number, name, at(ms));
        } else {
            const std::map<std::string, CallState> states = {{"INIT", CallState::INIT},
                                                             {"NORMAL", CallState::NORMAL},
                                                             {"DIALING", CallState::DIALING},
                                                             {"RINGING", CallState::RINGING},
                                                             {"ANSWERING", CallState::ANSWERING}};
            in >> ms;
            tracker.OnState(carrier, states.at(what), at(ms));
        }
    }
    return lines;
}

TEST(CallTracker, EachSequenceWritesItsLines) {
    const std::string day = "2026-12-07 10:42:";
    const struct {
        const char* name;
        std::vector<std::string> steps;
        std::vector<std::string> lines;
    } cases[] = {
        {"answered in, talk rounded to the second",
         {"m RINGING 0", "m party 5551234|Alice Liddell", "m RINGING 900", "m ANSWERING 3000",
          "m NORMAL 64600"},
         {day + "00\tmodem\tin\tanswered\t5551234\tAlice Liddell\t62"}},
        {"missed while away, a caller without ID",
         {"m RINGING 0", "m NORMAL 20000"},
         {day + "00\tmodem\tin\tmissed\t\t\t0"}},
        {"declined",
         {"s RINGING 1000", "s party alice|Alice", "s user", "s NORMAL 2000"},
         {day + "01\tskype\tin\tdeclined\talice\tAlice\t0"}},
        {"a modem call that rings while Skype is up and is never followed",
         {"s DIALING 0", "s ANSWERING 2000", "m RINGING 3000", "m party 5551234|Alice",
          "m NORMAL 9000", "s NORMAL 12000"},
         {day + "03\tmodem\tin\tmissed\t5551234\tAlice\t0",
          day + "00\tskype\tout\tanswered\t\t\t10"}},
        {"refused at once for another call",
         {"m ANSWERING 0", "s refused 4000 bob|Bob Dylan", "m NORMAL 5000"},
         {day + "04\tskype\tin\tmissed\tbob\tBob Dylan\t0",
          day + "00\tmodem\tout\tanswered\t\t\t5"}},
        {"busy",
         {"m DIALING 0", "m party 5559|", "m reason busy", "m NORMAL 4000"},
         {day + "00\tmodem\tout\tbusy\t5559\t\t0"}},
        {"no answer by the carrier's word, and without one",
         {"s DIALING 0", "s reason noanswer", "s NORMAL 30000", "m DIALING 31000",
          "m NORMAL 40000"},
         {day + "00\tskype\tout\tno-answer\t\t\t0", day + "31\tmodem\tout\tno-answer\t\t\t0"}},
        {"failed, and a carrier lost while dialling",
         {"s DIALING 0", "s reason failed", "s NORMAL 1000", "m DIALING 2000", "m INIT 3000"},
         {day + "00\tskype\tout\tfailed\t\t\t0", day + "02\tmodem\tout\tfailed\t\t\t0"}},
        {"cancelled here, in the client, and by a caller",
         {"m DIALING 0", "m user", "m NORMAL 1000", "s DIALING 2000", "s reason cancelled",
          "s NORMAL 3000", "s RINGING 4000", "s reason cancelled", "s NORMAL 5000"},
         {day + "00\tmodem\tout\tcancelled\t\t\t0", day + "02\tskype\tout\tcancelled\t\t\t0",
          day + "04\tskype\tin\tmissed\t\t\t0"}},
        {"the user's end of a connected call is still answered",
         {"s RINGING 0", "s ANSWERING 1000", "s user", "s NORMAL 4000"},
         {day + "00\tskype\tin\tanswered\t\t\t3"}},
        {"the program ends during calls",
         {"m ANSWERING 0", "s RINGING 1000", "end 8000"},
         {day + "00\tmodem\tout\tanswered\t\t\t8", day + "01\tskype\tin\tmissed\t\t\t0"}},
        {"nothing without a call", {"m party 1|x", "m user", "m NORMAL 0", "s INIT 0"}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Replay(c.steps), c.lines) << c.name;
    }
}

}  // namespace
}  // namespace calllog
