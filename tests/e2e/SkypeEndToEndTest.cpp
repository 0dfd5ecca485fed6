// The real voxtelo.exe with the Skype client simulator: it finds the client, goes online, reads
// the friends list and their details, and carries an incoming call answered and ended by the
// requests call control posts. Its Debug Window, read from here, shows every text the client
// sent except "PONG".
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/Messages.h"
#include "res/resource.h"
#include "sim/skype/SimProcess.h"
#include "tests/support/GuiTest.h"

namespace {

using Lines = std::vector<std::string>;

constexpr unsigned kWaitMs = 20000;

// Whether `wanted` occurs in `lines` in this order, other lines between allowed.
bool InOrder(const Lines& lines, const Lines& wanted) {
    size_t next = 0;
    for (const std::string& line : lines) {
        if (next < wanted.size() && line == wanted[next]) {
            ++next;
        }
    }
    return next == wanted.size();
}

std::string Join(const Lines& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += "  [" + line.substr(0, 80) + "]\n";
    }
    return text;
}

class SkypeWithTheProgram : public ::testing::Test {
protected:
    void SetUp() override {
        skypesim::SimOptions options;
        // Offline until the test has the program attached: it goes online then, told by the
        // client, rather than at a poll pass up to five seconds later.
        options.commands = {"offline", "friend alice ONLINE Alice Adams",
                            "friend bob AWAY Bob Brown", "friend carol OFFLINE Carol Clark",
                            "next-call-id 7001"};
        sim = std::make_unique<skypesim::SimProcess>(options);
        program = std::make_unique<test::ChildProcess>("voxtelo.exe", "");
        ASSERT_TRUE(program->Started());
        ASSERT_TRUE(test::WaitUntil(
            [&] {
                main = test::DialogOfProcess("Voxtelo", program->ProcessId());
                debug = test::DialogOfProcess("Debug Window", program->ProcessId());
                return main && debug;
            },
            kWaitMs));
        ASSERT_TRUE(sim->Control().WaitUntil([&] { return StartUpAnswered(); }, kWaitMs));
        sim->Control().Command("online");  // CONNSTATUS ONLINE, USERSTATUS ONLINE
        sim->Control().Command("send CURRENTUSERHANDLE voxtelo.user");
    }

    // Both start-up broadcasts are answered (or the poll thread's first pass found the client
    // already attached and asked it, ending with PING), so nothing of the start-up lands later.
    bool StartUpAnswered() {
        size_t discovers = 0;
        size_t answers = 0;
        bool pinged = false;  // a PING ends a pass
        for (const skypesim::RecordEntry& entry : sim->Control().Record()) {
            discovers += entry.kind == skypesim::RecordKind::Discover ? 1 : 0;
            answers += entry.kind == skypesim::RecordKind::Attach ? 1 : 0;
            pinged = pinged || (entry.kind == skypesim::RecordKind::In && entry.text == "PING");
        }
        return answers >= discovers && (discovers >= 2 || pinged);
    }

    void TearDown() override {
        if (program && main && IsWindow(main)) {
            PostMessageA(main, WM_CLOSE, 0, 0);
            EXPECT_TRUE(program->WaitForExit(10000));
        }
    }

    // The Debug Window's text box, line by line, read across the process boundary.
    Lines Log() const {
        const std::string text = test::DebugLogText(debug);
        Lines lines;
        size_t start = 0;
        for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
            std::string line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            lines.push_back(line);
        }
        return lines;
    }

    bool WaitForLine(const std::string& wanted) {
        return test::WaitUntil(
            [&] {
                for (const std::string& line : Log()) {
                    if (line == wanted) {
                        return true;
                    }
                }
                return false;
            },
            kWaitMs);
    }

    // The texts the client took from the program, without the poll thread's.
    Lines TakenFromProgram() {
        Lines texts;
        for (const skypesim::RecordEntry& entry : sim->Control().Received()) {
            const bool poll = entry.text == "PING" || entry.text == "SEARCH FRIENDS" ||
                              entry.text == "GET CONNSTATUS" ||
                              entry.text == "GET CURRENTUSERHANDLE" ||
                              entry.text == "GET USERSTATUS";
            if (entry.ok && entry.window == reinterpret_cast<uintptr_t>(main) && !poll) {
                texts.push_back(entry.text);
            }
        }
        return texts;
    }

    void PostToSkype(int code) {
        ASSERT_TRUE(PostMessageA(main, msg::UM_INTERNAL, msg::RECIPIENT_SKYPE, code));
    }

    std::unique_ptr<skypesim::SimProcess> sim;
    std::unique_ptr<test::ChildProcess> program;
    HWND main = nullptr;
    HWND debug = nullptr;
};

TEST_F(SkypeWithTheProgram, GoesOnlineReadsTheFriendsAndAnswersAndEndsAnIncomingCall) {
    // The friends' details come last; carol's online status is the last of them.
    ASSERT_TRUE(WaitForLine("USER carol ONLINESTATUS OFFLINE")) << Join(Log());

    Lines queries;
    Lines replies{"CONNSTATUS ONLINE", "USERS alice, bob, carol"};
    const struct {
        const char* handle;
        const char* fullName;
        const char* onlineStatus;
    } friends[] = {{"alice", "Alice Adams", "ONLINE"},
                   {"bob", "Bob Brown", "AWAY"},
                   {"carol", "Carol Clark", "OFFLINE"}};
    for (const auto& f : friends) {
        const std::string user = std::string("USER ") + f.handle + " ";
        for (const char* property : {"FULLNAME", "DISPLAYNAME", "HANDLE", "BUDDYSTATUS",
                                     "ISAUTHORIZED", "ISBLOCKED", "ONLINESTATUS"}) {
            queries.push_back(std::string("GET ") + user + property);
        }
        replies.insert(replies.end(), {user + "FULLNAME " + f.fullName, user + "DISPLAYNAME ",
                                       user + "HANDLE " + f.handle, user + "BUDDYSTATUS 3",
                                       user + "ISAUTHORIZED TRUE", user + "ISBLOCKED FALSE",
                                       user + "ONLINESTATUS " + f.onlineStatus});
    }
    const Lines log = Log();
    EXPECT_TRUE(InOrder(log, replies)) << Join(log);
    EXPECT_TRUE(InOrder(log, {"CURRENTUSERHANDLE voxtelo.user"})) << Join(log);
    EXPECT_TRUE(InOrder(log, {"USERSTATUS ONLINE"})) << Join(log);
    EXPECT_EQ(TakenFromProgram(), queries);

    EXPECT_EQ(sim->Control().CallIn("bob"), 7001u);
    ASSERT_TRUE(WaitForLine("CALL 7001 PARTNER_HANDLE bob")) << Join(Log());
    PostToSkype(msg::EV_SKYPE_ANSWER);
    ASSERT_TRUE(WaitForLine("CALL 7001 STATUS INPROGRESS")) << Join(Log());
    PostToSkype(msg::EV_SKYPE_HANGUP);
    ASSERT_TRUE(WaitForLine("CALL 7001 STATUS FINISHED")) << Join(Log());

    EXPECT_TRUE(InOrder(Log(), {"CALL 7001 STATUS RINGING", "CALL 7001 PARTNER_HANDLE bob",
                                "CALL 7001 STATUS INPROGRESS", "CALL 7001 STATUS FINISHED"}))
        << Join(Log());
    const Lines taken = TakenFromProgram();
    ASSERT_GE(taken.size(), queries.size());
    EXPECT_EQ(Lines(taken.begin() + queries.size(), taken.end()),
              (Lines{"GET CALL 7001 PARTNER_HANDLE", "SET CALL 7001 STATUS INPROGRESS",
                     "SET CALL 7001 STATUS FINISHED"}));
}

TEST_F(SkypeWithTheProgram, TheDebugWindowShowsEveryClientTextButExactlyPong) {
    ASSERT_TRUE(WaitForLine("USER carol ONLINESTATUS OFFLINE")) << Join(Log());
    // Longer than one log record holds: it arrives in pieces, nothing lost.
    const std::string longText = "MESSAGE " + std::string(1500, 'x');
    for (const std::string& text : {std::string("PONG"), std::string("PONGS"), longText,
                                    std::string("PONG"), std::string("END")}) {
        sim->Control().Command("send " + text);
    }
    ASSERT_TRUE(WaitForLine("END")) << Join(Log());
    EXPECT_GE(sim->Control().CountSent("PONG"), 2u);

    const Lines log = Log();
    for (const std::string& line : log) {
        EXPECT_NE(line, "PONG");
    }
    EXPECT_TRUE(InOrder(log, {"PONGS", longText.substr(0, 1023), longText.substr(1023), "END"}))
        << Join(log);
}

}  // namespace
