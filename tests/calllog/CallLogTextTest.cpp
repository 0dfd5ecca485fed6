// Calls.txt's lines, its history (marks, rewrites, lines it cannot read) and what the person
// reads of it.
#include <gtest/gtest.h>

#include "calllog/CallHistory.h"
#include "calllog/CallLogText.h"
#include "calllog/RecentCallsText.h"

namespace calllog {
namespace {

const LocalTime kToday{2026, 12, 7, 18, 0, 0};

CallRecord Call(Outcome outcome, std::string name, int minute = 42) {
    return {{2026, 12, 7, 10, minute, 5},
            Carrier::Modem,
            Direction::In,
            outcome,
            "5551234",
            std::move(name),
            0};
}

TEST(CallLogText, OnlyWellFormedLinesAreCalls) {
    const struct {
        std::string line;
        bool readable;
    } cases[] = {
        {"2026-12-07 10:42:05\tskype\tout\tno-answer\t+4420\tA & B\t0", true},
        {"2024-02-29 23:59:60\tmodem\tin\tanswered\t\t\t123456789", true},
        {"2023-02-29 10:00:00\tmodem\tin\tanswered\t\t\t0", false},  // no such day
        {"2026-12-07 10:42\tmodem\tin\tanswered\t\t\t0", false},     // no seconds
        {"2026-12-07 10:42:05\tfax\tin\tanswered\t\t\t0", false},    // carrier
        {"2026-12-07 10:42:05\tmodem\tup\tanswered\t\t\t0", false},  // direction
        {"2026-12-07 10:42:05\tmodem\tin\tlost\t\t\t0", false},      // outcome
        {"2026-12-07 10:42:05\tmodem\tin\tmissed\t\t\t-1", false},   // seconds
        {"2026-12-07 10:42:05\tmodem\tin\tmissed\t\t\t1234567890", false},
        {"2026-12-07 10:42:05\tmodem\tin\tmissed\t\t\t", false},
        {"2026-12-07 10:42:05\tmodem\tin\tmissed\t\t0", false},      // six fields
        {"2026-12-07 10:42:05\tmodem\tin\tmissed\t\t\t0\t", false},  // eight
        {"2026-12-07 10:42:05\tmodem\tin\tmissed\t\t" + std::string(2000, 'x') + "\t0", false},
        {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseCallLine(c.line).has_value(), c.readable) << c.line;
    }
}

// Whatever a peer sends, a call reads back as written, but for the cleaning: one line, seven
// fields, each within its bound and whole UTF-8 characters.
TEST(CallLogText, EveryCallReadsBackAsWrittenCleaned) {
    const std::string names[] = {"",
                                 "Alice Liddell",
                                 "tab\there",
                                 "two\r\nlines",
                                 "\x01zero",
                                 std::string(127, 'a') + "\xC3\xA9",  // cut before the é
                                 std::string(200, 'b'),
                                 "\xE5\xBC\xA0\xE4\xB8\x89"};
    EXPECT_EQ(CleanField(names[5], kNameMax), std::string(127, 'a'));
    for (const std::string& name : names) {
        for (const Outcome outcome : {Outcome::Answered, Outcome::Busy, Outcome::Cancelled}) {
            CallRecord call = Call(outcome, name);
            call.number = name;
            call.seconds = 4294;
            const std::string line = FormatCallLine(call);
            const std::optional<CallRecord> back = ParseCallLine(line);
            ASSERT_TRUE(back) << line;
            EXPECT_EQ(back->name, CleanField(name, kNameMax));
            EXPECT_EQ(back->number, CleanField(name, kNumberMax));
            EXPECT_LE(back->name.size(), kNameMax);
            EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
            call.name = back->name;
            call.number = back->number;
            EXPECT_EQ(*back, call);
        }
    }
}

TEST(CallHistory, KeepsWhatItCannotReadAndCountsWhatIsUnseen) {
    const std::string calls = FormatCallLine(Call(Outcome::Missed, "Old", 1)) + "\r\n" +
                              "garbage \x01\xFF\n" + FormatSeenLine(kToday) + "\n" +
                              FormatCallLine(Call(Outcome::Missed, "Alice", 2)) + "\n" +
                              FormatCallLine(Call(Outcome::Answered, "Bob", 3)) + "\n" +
                              FormatCallLine(Call(Outcome::Missed, "Carol", 4)) + "\n2026-12";
    CallHistory history;
    EXPECT_EQ(history.Load("\xEF\xBB\xBF# Voxtelo calls 1\r\n" + calls), 2u);  // cut mid-line
    EXPECT_EQ(history.CallCount(), 4u);
    EXPECT_EQ(history.UnseenMissed(), 2u);
    EXPECT_EQ(MissedCallsLine(history, kToday), "2 missed calls \xE2\x80\x94 Carol, 10:04");
    EXPECT_EQ(history.Recent(2)[0].name, "Carol");
    EXPECT_FALSE(history.NeedsRewrite());

    const std::string mark = history.MarkSeen(kToday);
    EXPECT_EQ(mark, "# seen 2026-12-07 18:00:00\r\n");
    EXPECT_EQ(history.MarkSeen(kToday), "") << "nothing unseen, nothing appended";
    EXPECT_EQ(history.UnseenMissed(), 0u);
    EXPECT_EQ(MissedCallsLine(history, kToday), "");

    // Rewritten: the header first, the unreadable lines as they were, one mark.
    CallHistory reread;
    reread.Load(history.Text());
    EXPECT_EQ(reread.Text(), history.Text());
    EXPECT_NE(history.Text().find("garbage \x01\xFF\r\n"), std::string::npos);
    EXPECT_EQ(reread.UnreadableCount(), 2u);

    history.Clear();
    EXPECT_EQ(history.CallCount(), 0u);
    EXPECT_EQ(history.Text(), "# Voxtelo calls 1\r\ngarbage \x01\xFF\r\n2026-12\r\n");

    CallHistory headless;
    headless.Load(calls);
    EXPECT_TRUE(headless.NeedsRewrite()) << "a file without the first line is written anew";
}

TEST(CallHistory, OverTheMostTheOldestGoAndTheLastMarkStays) {
    CallHistory history;
    history.Load("junk\n");
    for (int i = 0; i < 1200; ++i) {
        history.Add(Call(i % 2 ? Outcome::Missed : Outcome::Answered, std::to_string(i)));
        if (i == 100 || i == 1150) {
            history.MarkSeen(kToday);
        }
    }
    ASSERT_TRUE(history.NeedsRewrite());
    history.DropOldest();
    EXPECT_EQ(history.CallCount(), CallHistory::kMaxCalls);
    EXPECT_EQ(history.Recent(1000).back().name, "200");
    EXPECT_EQ(history.UnseenMissed(), 25u) << "the missed calls after the mark at 1150";
    CallHistory reread;
    EXPECT_EQ(reread.Load(history.Text()), 1u);
    EXPECT_EQ(reread.UnseenMissed(), 25u);
}

TEST(RecentCallsText, BadgeAndRows) {
    EXPECT_EQ(BadgeText(0), "");
    EXPECT_EQ(BadgeText(9), "9");
    EXPECT_EQ(BadgeText(10), "9+");
    CallRecord call = Call(Outcome::Busy, "A & B");
    call.direction = Direction::Out;
    EXPECT_EQ(RecentCallRow(call, kToday), "\xE2\x86\x92 A && B (busy)\t10:42");
    call.name.clear();
    call.start.day = 6;
    call.outcome = Outcome::Answered;
    EXPECT_EQ(RecentCallRow(call, kToday), "\xE2\x86\x92 5551234\t2026-12-06 10:42");
}

}  // namespace
}  // namespace calllog
