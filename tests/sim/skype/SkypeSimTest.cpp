// The Skype client simulator's promises that the program's own tests lean on: the attach
// sequences, the command texts and their nested or deferred replies, calls, account events,
// the record, the hang and the abrupt exit.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "framework/Handles.h"
#include "sim/skype/SimProcess.h"
#include "tests/sim/skype/TestClient.h"

namespace {

using skypesim::RecordEntry;
using skypesim::RecordKind;
using skypesim::SimOptions;
using skypesim::SimProcess;

// Generous: the machine may be busy; a met condition ends the wait at once.
constexpr unsigned kWaitMs = 15000;

SimOptions Options(std::vector<std::string> commands, std::vector<std::string> scripts,
                   std::string name) {
    SimOptions options;
    options.commands = std::move(commands);
    options.scripts = std::move(scripts);
    options.name = std::move(name);
    return options;
}

// A simulator and one test program on this thread.
struct Rig {
    explicit Rig(std::vector<std::string> commands = {}, std::vector<std::string> scripts = {},
                 std::string name = "")
        : sim(Options(std::move(commands), std::move(scripts), std::move(name))) {}

    bool Wait(const std::function<bool()>& condition, unsigned ms = kWaitMs) {
        return sim.Control().WaitUntil(condition, ms);
    }
    bool WaitForTexts(size_t count) {
        return Wait([&] { return client.texts.size() >= count; });
    }
    bool WaitForText(const std::string& text) {
        return Wait([&] {
            return std::any_of(client.texts.begin(), client.texts.end(),
                               [&](const TextSeen& seen) { return seen.text == text; });
        });
    }
    ::testing::AssertionResult Attach() {
        const size_t before = client.attaches.size();
        client.Discover();
        // The answer to this discover, not one that came before it.
        if (!Wait([&] { return client.attaches.size() > before; })) {
            return ::testing::AssertionFailure() << "no attach message";
        }
        if (client.attaches.back().status != 0) {
            return ::testing::AssertionFailure()
                   << "attach status " << client.attaches.back().status;
        }
        return ::testing::AssertionSuccess();
    }
    // Sends a command and returns the texts it brought, once `replies` of them are there.
    std::vector<std::string> Ask(const std::string& command, size_t replies = 1) {
        size_t first = client.texts.size();
        EXPECT_EQ(client.Send(command), 1) << command;
        EXPECT_TRUE(WaitForTexts(first + replies)) << command;
        return client.TextsFrom(first);
    }
    // Runs a control command and returns the texts it brought, once `count` are there.
    std::vector<std::string> Trigger(const std::string& command, size_t count) {
        size_t first = client.texts.size();
        sim.Control().Command(command);
        EXPECT_TRUE(WaitForTexts(first + count)) << command;
        return client.TextsFrom(first);
    }

    SimProcess sim;
    TestClient client;
};

using Texts = std::vector<std::string>;

// ---- discover and attach --------------------------------------------------------------

struct AttachStep {
    const char* action;  // "discover", "authorize", "available"
    std::vector<LPARAM> statusesAfter;
};

struct AttachCase {
    const char* setting;
    std::vector<AttachStep> steps;
};

TEST(SkypeSimAttach, AnswersDiscoverWithEachStatusSequence) {
    const AttachCase cases[] = {
        {"success", {{"discover", {0}}}},
        {"refused", {{"discover", {2}}, {"discover", {2, 2}}}},
        {"pending 50", {{"discover", {1, 0}}, {"discover", {1, 0, 0}}}},
        {"pending", {{"discover", {1}}, {"discover", {1, 1}}, {"authorize", {1, 1, 0}}}},
        {"unavailable 50", {{"discover", {3, 0x8001}}, {"discover", {3, 0x8001, 0}}}},
        {"unavailable",
         {{"discover", {3}}, {"available", {3, 0x8001}}, {"discover", {3, 0x8001, 0}}}},
    };
    // One simulator: a new setting starts its sequence afresh, and each case has a program of
    // its own.
    SimProcess sim;
    HWND api = sim.Control().ApiWindow();
    for (const AttachCase& c : cases) {
        SCOPED_TRACE(c.setting);
        sim.Control().Command(std::string("attach ") + c.setting);
        TestClient client;
        for (const AttachStep& step : c.steps) {
            SCOPED_TRACE(step.action);
            if (std::string(step.action) == "discover") {
                client.Discover();
            } else {
                sim.Control().Command(step.action);
            }
            ASSERT_TRUE(sim.Control().WaitUntil(
                [&] { return client.attaches.size() >= step.statusesAfter.size(); }, kWaitMs));
            std::vector<LPARAM> statuses;
            for (const AttachSeen& seen : client.attaches) {
                statuses.push_back(seen.status);
                EXPECT_EQ(seen.skype, api);
            }
            EXPECT_EQ(statuses, step.statusesAfter);
        }
        std::vector<LPARAM> recorded;
        for (const RecordEntry& e : sim.Control().Record()) {
            if (e.kind == RecordKind::Attach &&
                e.window == reinterpret_cast<uintptr_t>(client.Hwnd())) {
                recorded.push_back(e.status);
                EXPECT_TRUE(e.ok);
            }
        }
        EXPECT_EQ(recorded, c.steps.back().statusesAfter);
        // Only a program whose last status was success may send commands.
        LRESULT expected = c.steps.back().statusesAfter.back() == 0 ? 1 : 0;
        EXPECT_EQ(client.Send("PING", kWaitMs, api), expected);
    }
}

TEST(SkypeSimAttach, CountsEveryDiscoverBroadcastWithItsSender) {
    Rig rig({"attach refused"});
    for (int i = 0; i < 3; ++i) {
        rig.client.Discover();
    }
    EXPECT_TRUE(rig.sim.Control().WaitForDiscovers(3, kWaitMs));
    EXPECT_EQ(rig.sim.Control().DiscoverCount(), 3u);
    for (const RecordEntry& e : rig.sim.Control().Record()) {
        if (e.kind == RecordKind::Discover) {
            EXPECT_EQ(e.window, reinterpret_cast<uintptr_t>(rig.client.Hwnd()));
        }
    }
    std::vector<uint64_t> times = rig.sim.Control().DiscoverTimes();
    ASSERT_EQ(times.size(), 3u);
    EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));
}

// ---- command texts ---------------------------------------------------------------------

TEST(SkypeSimTexts, RepliesNestedOrAfterwardsAsConfigured) {
    for (bool nested : {true, false}) {
        SCOPED_TRACE(nested ? "nested" : "deferred");
        Rig rig({nested ? "reply nested" : "reply deferred"});
        ASSERT_TRUE(rig.Attach());
        EXPECT_EQ(rig.client.Send("PING"), 1);
        // Nested: the reply is in before our send returns. Deferred: only once we pump.
        EXPECT_EQ(rig.client.texts.size(), nested ? 1u : 0u);
        ASSERT_TRUE(rig.WaitForTexts(1));
        EXPECT_EQ(rig.client.texts[0].text, "PONG");
        EXPECT_EQ(rig.client.texts[0].nested, nested);
        EXPECT_EQ(rig.client.texts[0].from, rig.client.attaches.back().skype);
    }
}

TEST(SkypeSimTexts, AnswersInTheClientsTexts) {
    // Over 49 UTF-16 units, with letters outside Latin-1.
    const std::string longName =
        "Zo\xC3\xAB \xC3\x85ngstr\xC3\xB6m-\xC5\x81ukasiewicz \xE6\x9D\x8E\xE5\xB0\x8F\xE9\xBE\x99 "
        "van der Berg-Oppenheimer-Schwarzenegger";
    char path[MAX_PATH];
    ASSERT_NE(GetTempPathA(MAX_PATH, path), 0u);
    std::string script = std::string(path) + SimProcess::UniqueName("script") + ".txt";
    {
        std::ofstream out(script, std::ios::binary);
        out << "# friends of the test\r\nme tester Test Person\r\n"
            << "friend alice ONLINE Alice Liddell\r\nfriend bob AWAY\r\n"
            << "friend zoe ONLINE " << longName << "\r\n\r\nuser bob CITY New York\r\n";
    }
    Rig rig({}, {script});
    std::remove(script.c_str());
    ASSERT_TRUE(rig.Attach());

    struct Row {
        const char* command;
        std::string reply;  // exact, or the start of an ERROR reply
    };
    const Row rows[] = {
        {"PING", "PONG"},
        {"GET CONNSTATUS", "CONNSTATUS ONLINE"},
        {"GET CURRENTUSERHANDLE", "CURRENTUSERHANDLE tester"},
        {"GET USERSTATUS", "USERSTATUS ONLINE"},
        {"SEARCH FRIENDS", "USERS alice, bob, zoe"},
        {"GET USER alice FULLNAME", "USER alice FULLNAME Alice Liddell"},
        {"GET USER zoe FULLNAME", "USER zoe FULLNAME " + longName},
        {"GET USER bob ONLINESTATUS", "USER bob ONLINESTATUS AWAY"},
        {"GET USER bob CITY", "USER bob CITY New York"},
        {"GET USER bob DISPLAYNAME", "USER bob DISPLAYNAME "},
        {"GET USER bob ISAUTHORIZED", "USER bob ISAUTHORIZED TRUE"},
        {"GET USER bob ISBLOCKED", "USER bob ISBLOCKED FALSE"},
        {"GET USER bob BUDDYSTATUS", "USER bob BUDDYSTATUS 3"},
        {"GET USER bob HANDLE", "USER bob HANDLE bob"},
        {"GET USER bob SHOESIZE", "ERROR 10 "},
        {"GET USER  FULLNAME", "ERROR 8 "},
        {"GET CALL 99 STATUS", "ERROR 12 "},
        {"SET CALL  STATUS FINISHED", "ERROR 11 "},
        {"GET NOTHING", "ERROR 7 "},
        {"CALL", "ERROR 4 "},
        {"DANCE", "ERROR 2 "},
        {"", "ERROR 1 "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.command);
        Texts got = rig.Ask(row.command);
        ASSERT_EQ(got.size(), 1u);
        if (row.reply.compare(0, 6, "ERROR ") == 0) {
            EXPECT_EQ(got[0].compare(0, row.reply.size(), row.reply), 0) << got[0];
            EXPECT_GT(got[0].size(), row.reply.size()) << "an error has a text";
        } else {
            EXPECT_EQ(got[0], row.reply);
        }
    }

    rig.sim.Control().Command("friends clear");
    EXPECT_EQ(rig.Ask("SEARCH FRIENDS"), Texts{"USERS"});
    rig.sim.Control().Command("friends generate 500");
    Texts list = rig.Ask("SEARCH FRIENDS");
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].compare(0, 22, "USERS friend001, frien"), 0);
    EXPECT_EQ(list[0].substr(list[0].size() - 11), ", friend500");
    EXPECT_EQ(std::count(list[0].begin(), list[0].end(), ','), 499);
}

TEST(SkypeSimTexts, TakesTextsOnlyFromAttachedProgramsThatItAccepts) {
    Rig rig;
    ASSERT_TRUE(rig.Attach());
    HWND api = rig.client.attaches.back().skype;
    TestClient stranger;
    EXPECT_EQ(stranger.Send("PING", kWaitMs, api), 0);
    rig.sim.Control().Command("refuse-texts on");
    EXPECT_EQ(rig.client.Send("PING"), 0);
    rig.sim.Control().Command("refuse-texts off");
    EXPECT_EQ(rig.client.Send("PING"), 1);

    std::vector<RecordEntry> in = rig.sim.Control().Received();
    ASSERT_EQ(in.size(), 3u);
    EXPECT_EQ(in[0].window, reinterpret_cast<uintptr_t>(stranger.Hwnd()));
    EXPECT_FALSE(in[0].ok);
    EXPECT_FALSE(in[1].ok);
    EXPECT_TRUE(in[2].ok);
    EXPECT_TRUE(rig.WaitForTexts(1));
    EXPECT_EQ(rig.client.TextsFrom(0), Texts{"PONG"});
    EXPECT_TRUE(stranger.texts.empty());
}

TEST(SkypeSimTexts, RecordsEveryTextInOrderWithSenderAndSize) {
    Rig rig({"reply deferred"});
    ASSERT_TRUE(rig.Attach());
    std::string longest(1023, 'x');
    longest.replace(0, 4, "GET ");
    const std::string sent[] = {"GET CONNSTATUS", longest, "PING"};
    for (const std::string& text : sent) {
        EXPECT_EQ(rig.client.Send(text), 1);
    }
    ASSERT_TRUE(rig.sim.Control().WaitForSent("PONG", 1, kWaitMs));
    std::vector<RecordEntry> in = rig.sim.Control().Received();
    ASSERT_EQ(in.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(in[i].text, sent[i]);
        EXPECT_EQ(in[i].size, sent[i].size() + 1);
        EXPECT_EQ(in[i].window, reinterpret_cast<uintptr_t>(rig.client.Hwnd()));
        EXPECT_TRUE(in[i].ok);
    }
    EXPECT_EQ(rig.sim.Control().CountReceived(longest), 1u);
    EXPECT_EQ(rig.sim.Control().CountSent("CONNSTATUS ONLINE"), 1u);

    // The whole record: discover and attach first, then each reply after its command. The
    // deferred replies may go out between two commands, so only each stream's order is fixed.
    std::vector<RecordEntry> record = rig.sim.Control().Record();
    ASSERT_EQ(record.size(), 8u);
    EXPECT_EQ(record[0].kind, RecordKind::Discover);
    EXPECT_EQ(record[1].kind, RecordKind::Attach);
    const char* const replies[] = {"CONNSTATUS ONLINE", "ERROR 7 ", "PONG"};
    size_t inSeen = 0;
    size_t outSeen = 0;
    for (size_t i = 2; i < record.size(); ++i) {
        if (record[i].kind == RecordKind::In) {
            EXPECT_EQ(record[i].text, sent[inSeen++]);
        } else {
            ASSERT_EQ(record[i].kind, RecordKind::Out);
            ASSERT_LT(outSeen, inSeen) << "a reply before its command";
            EXPECT_EQ(record[i].text.rfind(replies[outSeen++], 0), 0u) << record[i].text;
            EXPECT_TRUE(record[i].ok);
        }
    }
}

// ---- calls -------------------------------------------------------------------------------

TEST(SkypeSimCalls, OutgoingCallRunsThroughItsStatuses) {
    Rig rig({"friend bob ONLINE Bob", "next-call-id 70"});
    ASSERT_TRUE(rig.Attach());
    EXPECT_EQ(rig.Ask("CALL bob", 3), (Texts{"CALL 70 STATUS UNPLACED", "CALL 70 STATUS ROUTING",
                                             "CALL 70 STATUS RINGING"}));
    EXPECT_EQ(rig.Ask("GET CALL 70 PARTNER_HANDLE"), Texts{"CALL 70 PARTNER_HANDLE bob"});
    EXPECT_EQ(rig.Trigger("answer", 1), Texts{"CALL 70 STATUS INPROGRESS"});
    EXPECT_EQ(rig.Ask("SET CALL 70 STATUS FINISHED"), Texts{"CALL 70 STATUS FINISHED"});
    Texts again = rig.Ask("SET CALL 70 STATUS FINISHED");
    EXPECT_EQ(again[0].compare(0, 9, "ERROR 24 "), 0) << again[0];
    EXPECT_EQ(rig.Ask("CALL echo123", 3).back(), "CALL 71 STATUS RINGING");
}

TEST(SkypeSimCalls, FarEndPlanDecidesHowAnOutgoingCallGoesOn) {
    struct Case {
        const char* plan;
        const char* last;  // the status the far end gives the call
    };
    const Case cases[] = {
        {"outgoing answer", "INPROGRESS"},    {"outgoing answer 50", "INPROGRESS"},
        {"outgoing end BUSY 50", "BUSY"},     {"outgoing end REFUSED", "REFUSED"},
        {"outgoing end MISSED 50", "MISSED"},
    };
    Rig rig;
    ASSERT_TRUE(rig.Attach());
    uint64_t id = 1001;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.plan);
        rig.sim.Control().Command(c.plan);
        const std::string call = "CALL " + std::to_string(id++);
        Texts got = rig.Ask("CALL bob", 4);
        ASSERT_EQ(got.size(), 4u);
        EXPECT_EQ(got[2], call + " STATUS RINGING");
        EXPECT_EQ(got[3], call + " STATUS " + c.last);
    }
    // Without a plan the call rings until the far end is told what to do.
    rig.sim.Control().Command("outgoing ring");
    const std::string call = "CALL " + std::to_string(id);
    EXPECT_EQ(rig.Ask("CALL bob", 3).back(), call + " STATUS RINGING");
    EXPECT_EQ(rig.Trigger("refuse", 1), Texts{call + " STATUS REFUSED"});
    EXPECT_THROW(rig.sim.Control().Command("answer"), skypesim::SimError);
}

TEST(SkypeSimCalls, IncomingCallIsAnsweredEndedOrMissed) {
    Rig rig({"friend alice ONLINE Alice"});
    ASSERT_TRUE(rig.Attach());
    uint64_t id = rig.sim.Control().CallIn("alice");
    std::string call = "CALL " + std::to_string(id);
    ASSERT_TRUE(rig.WaitForTexts(1));
    EXPECT_EQ(rig.client.TextsFrom(0), Texts{call + " STATUS RINGING"});
    EXPECT_FALSE(rig.client.texts[0].nested);
    EXPECT_EQ(rig.Ask("GET " + call + " PARTNER_HANDLE"), Texts{call + " PARTNER_HANDLE alice"});
    EXPECT_EQ(rig.Ask("GET " + call + " TYPE"), Texts{call + " TYPE INCOMING_P2P"});
    EXPECT_EQ(rig.Ask("SET " + call + " STATUS INPROGRESS"), Texts{call + " STATUS INPROGRESS"});
    EXPECT_EQ(rig.Trigger("hangup", 1), Texts{call + " STATUS FINISHED"});

    std::string missed = "CALL " + std::to_string(rig.sim.Control().CallIn("alice"));
    ASSERT_TRUE(rig.WaitForText(missed + " STATUS RINGING"));
    EXPECT_EQ(rig.Trigger("hangup", 1), Texts{missed + " STATUS MISSED"});

    std::string refused = "CALL " + std::to_string(rig.sim.Control().CallIn("alice"));
    ASSERT_TRUE(rig.WaitForText(refused + " STATUS RINGING"));
    EXPECT_EQ(rig.Ask("SET " + refused + " STATUS FINISHED"), Texts{refused + " STATUS FINISHED"});
}

TEST(SkypeSimCalls, ProgramHangingUpInsideANestedNotificationStopsTheCall) {
    Rig rig({"reply nested", "outgoing answer"});
    ASSERT_TRUE(rig.Attach());
    rig.client.onText = [&](const std::string& text) {
        if (text == "CALL 1001 STATUS ROUTING") {
            rig.client.Send("SET CALL 1001 STATUS FINISHED");
        }
    };
    EXPECT_EQ(rig.client.Send("CALL bob"), 1);
    EXPECT_EQ(rig.client.TextsFrom(0),
              (Texts{"CALL 1001 STATUS UNPLACED", "CALL 1001 STATUS ROUTING",
                     "CALL 1001 STATUS FINISHED"}));
    EXPECT_TRUE(rig.client.texts[2].nested);
}

// ---- the account -----------------------------------------------------------------------

TEST(SkypeSimAccount, StatusChangesReachAttachedPrograms) {
    Rig rig({"friend bob ONLINE Bob", "reply deferred"});
    ASSERT_TRUE(rig.Attach());
    EXPECT_EQ(rig.Trigger("user bob ONLINESTATUS DND", 1), Texts{"USER bob ONLINESTATUS DND"});
    rig.Ask("CALL bob", 3);
    EXPECT_EQ(rig.Trigger("offline", 4), (Texts{"USERSTATUS OFFLINE", "CALL 1001 FAILUREREASON 1",
                                                "CALL 1001 STATUS FAILED", "CONNSTATUS OFFLINE"}));
    Texts refusedCall = rig.Ask("CALL bob", 3);
    EXPECT_EQ(refusedCall.back(), "CALL 1002 STATUS FAILED");
    EXPECT_EQ(rig.Ask("GET CONNSTATUS"), Texts{"CONNSTATUS OFFLINE"});
    EXPECT_EQ(rig.Trigger("online", 2), (Texts{"CONNSTATUS ONLINE", "USERSTATUS ONLINE"}));
    EXPECT_EQ(rig.Trigger("connstatus connecting", 1), Texts{"CONNSTATUS CONNECTING"});
}

TEST(SkypeSimAccount, LogoutEndsTheAttachmentUntilLogin) {
    Rig rig;
    ASSERT_TRUE(rig.Attach());
    EXPECT_EQ(rig.Trigger("logout", 2), (Texts{"USERSTATUS LOGGEDOUT", "CONNSTATUS LOGGEDOUT"}));
    EXPECT_EQ(rig.client.Send("PING"), 0);
    rig.client.Discover();
    ASSERT_TRUE(rig.Wait([&] { return rig.client.attaches.size() == 2; }));
    EXPECT_EQ(rig.client.attaches[1].status, 3);
    rig.sim.Control().Command("login");
    ASSERT_TRUE(rig.Wait([&] { return rig.client.attaches.size() == 3; }));
    EXPECT_EQ(rig.client.attaches[2].status, 0x8001);
    EXPECT_EQ(rig.client.Send("PING"), 0);
    ASSERT_TRUE(rig.Attach());
    EXPECT_EQ(rig.Ask("GET USERSTATUS"), Texts{"USERSTATUS ONLINE"});
}

// ---- the process -----------------------------------------------------------------------

TEST(SkypeSimProcess, HangStopsPumpingUntilItEnds) {
    Rig rig;
    ASSERT_TRUE(rig.Attach());
    HWND api = rig.client.attaches.back().skype;
    rig.sim.Control().Command("hang 1200");
    bool sent = true;
    // The simulator's thread sleeps: the send gives up instead of being answered.
    EXPECT_EQ(rig.client.Send("PING", 300, api, &sent), 0);
    EXPECT_FALSE(sent);
    EXPECT_TRUE(rig.Wait([&] { return rig.client.Send("GET USERSTATUS", 500) == 1; }, 10000));
    bool hangRecorded = false;
    for (const RecordEntry& e : rig.sim.Control().Record()) {
        hangRecorded |= e.kind == RecordKind::Hang && e.size == 1200;
    }
    EXPECT_TRUE(hangRecorded);
}

TEST(SkypeSimProcess, QuittingAbruptlyLeavesNothingBehind) {
    std::string name = SimProcess::UniqueName("abrupt");
    {
        Rig rig({}, {}, name);
        ASSERT_TRUE(rig.Attach());
        HWND api = rig.client.attaches.back().skype;
        rig.Ask("CALL bob", 3);
        size_t textsBefore = rig.client.texts.size();
        rig.sim.Kill();
        EXPECT_FALSE(rig.sim.Running());
        EXPECT_FALSE(IsWindow(api));
        EXPECT_EQ(rig.client.Send("PING", 1000, api), 0);
        EXPECT_EQ(rig.client.texts.size(), textsBefore) << "no goodbye";
    }
    // The name is free again at once, and "crash" through the channel ends it the same way.
    SimProcess again(Options({}, {}, name));
    HWND api = again.Control().ApiWindow();
    EXPECT_EQ(again.Control().Command("crash"), "");
    EXPECT_EQ(WaitForSingleObject(again.ProcessHandle(), kWaitMs), WAIT_OBJECT_0);
    EXPECT_FALSE(IsWindow(api));
}

TEST(SkypeSimProcess, RefusesToStartWithABadCommandOrATakenName) {
    EXPECT_THROW(SimProcess(Options({"attach sometimes"}, {}, "")), skypesim::SimError);
    EXPECT_THROW(SimProcess(Options({}, {"no-such-script.txt"}, "")), skypesim::SimError);
    SimProcess first;
    EXPECT_THROW(SimProcess(Options({}, {}, first.Name())), skypesim::SimError);
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(first.Control().Command("friends"), "0");
}

// ---- the command-line tool -------------------------------------------------------------

struct ToolRun {
    DWORD exitCode;
    std::string output;
};

// Runs skypesimctl.exe with `args`, keeping this thread's windows served while it runs.
ToolRun RunTool(Rig& rig, const std::string& args) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        ADD_FAILURE() << "CreatePipe failed";
        return {999, ""};
    }
    fw::KernelHandle reader(readEnd);
    fw::KernelHandle writer(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::string commandLine = "\"" + SimProcess::ProgramDirectory() + "\\skypesimctl.exe\" " + args;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &info)) {
        ADD_FAILURE() << "cannot start skypesimctl.exe";
        return {999, ""};
    }
    fw::KernelHandle process(info.hProcess);
    fw::KernelHandle thread(info.hThread);
    writer.Reset();  // the child holds the only write end now: its exit ends the pipe
    EXPECT_TRUE(rig.Wait([&] { return WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0; }));
    ToolRun run{0, ""};
    GetExitCodeProcess(process.Get(), &run.exitCode);
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(reader.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
        run.output.append(buffer, read);
    }
    run.output.erase(std::remove(run.output.begin(), run.output.end(), '\r'), run.output.end());
    return run;
}

TEST(SkypeSimTool, DrivesARunningSimulatorByName) {
    Rig rig({"friend bob ONLINE Bob"});
    ASSERT_TRUE(rig.Attach());
    std::string name = "--name " + rig.sim.Name() + " ";

    ToolRun callIn = RunTool(rig, name + "call-in bob");
    EXPECT_EQ(callIn.exitCode, 0u);
    EXPECT_EQ(callIn.output, "1001\n");
    EXPECT_TRUE(rig.WaitForText("CALL 1001 STATUS RINGING"));
    EXPECT_EQ(RunTool(rig, name + "hangup").output, "OK\n");
    EXPECT_TRUE(rig.WaitForText("CALL 1001 STATUS MISSED"));

    ToolRun refused = RunTool(rig, name + "answer");
    EXPECT_EQ(refused.exitCode, 1u);
    EXPECT_NE(refused.output.find("no active call"), std::string::npos) << refused.output;

    EXPECT_EQ(rig.client.Send("PING"), 1);
    EXPECT_EQ(RunTool(rig, name + "wait-received 5000 PING").exitCode, 0u);
    EXPECT_EQ(RunTool(rig, name + "wait-received 200 NEVER SENT").exitCode, 1u);
    EXPECT_EQ(RunTool(rig, "--name no-such-simulator status").exitCode, 2u);
}

}  // namespace
