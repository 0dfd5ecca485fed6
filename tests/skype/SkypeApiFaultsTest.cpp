// The link when things go wrong: the client quits mid-call, strangers send texts, the client or
// some other window hangs, and commands at and beyond the size of the send buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/Messages.h"
#include "framework/CopyData.h"
#include "framework/Handles.h"
#include "tests/skype/SkypeLinkTest.h"

namespace test {
namespace {

using skypesim::RecordEntry;

// A plain window of the test, destroyed with its owner.
struct WindowTraits {
    using Handle = HWND;
    static Handle Empty() { return nullptr; }
    static void Free(Handle h) { DestroyWindow(h); }
};
using OwnedWindow = fw::UniqueHandle<WindowTraits>;

const std::vector<std::string> kOneFriend{"friend bob ONLINE Bob"};

bool OnlyStateEvents(const Events& events) {
    return !events.empty() && std::all_of(events.begin(), events.end(), [](const WindowEvent& e) {
        return e == Ev(msg::EV_SKYPE_STATE);
    });
}

// True while the simulator handles no message: a control request is not taken in time.
bool StillHung(skypesim::SimConnection& control) {
    control.SetRequestTimeout(300);
    try {
        control.Command("status");
        return false;
    } catch (const skypesim::SimError&) {
        return true;
    }
}

// Ticks of a 50 ms timer of this thread: they only come while its message loop runs.
class LoopTicks {
public:
    LoopTicks() : id_(SetTimer(nullptr, 0, 50, &LoopTicks::OnTick)) { ticks_ = 0; }
    ~LoopTicks() { KillTimer(nullptr, id_); }
    LoopTicks(const LoopTicks&) = delete;
    LoopTicks& operator=(const LoopTicks&) = delete;
    int Count() const { return ticks_; }

private:
    static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) { ++ticks_; }
    static inline int ticks_ = 0;
    UINT_PTR id_;
};

// A topmost window whose thread stops handling messages until released or `hangMs` has
// passed: every broadcast meets it before the simulator's windows.
class HungWindow {
public:
    explicit HungWindow(DWORD hangMs)
        : created_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          released_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        thread_ = std::thread([this, hangMs] {
            HWND hwnd = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "hung window", WS_POPUP, 0, 0, 10,
                                        10, nullptr, nullptr, nullptr, nullptr);
            SetEvent(created_.Get());
            // A plain wait: nothing sent to the window is handled meanwhile.
            over_ = WaitForSingleObject(released_.Get(), hangMs) == WAIT_TIMEOUT;
            if (hwnd) {
                DestroyWindow(hwnd);
            }
        });
        WaitForSingleObject(created_.Get(), 10000);
    }
    ~HungWindow() {
        SetEvent(released_.Get());
        thread_.join();
    }
    HungWindow(const HungWindow&) = delete;
    HungWindow& operator=(const HungWindow&) = delete;
    // Whether the hang ran its full time.
    bool Over() const { return over_; }

private:
    fw::KernelHandle created_;
    fw::KernelHandle released_;
    std::atomic<bool> over_{false};
    std::thread thread_;
};

using SkypeFaults = SkypeLinkTest;

TEST_F(SkypeFaults, AClientQuittingMidCallDropsTheLinkAtTheNextSendAndIsFoundAgain) {
    Start(kOneFriend);
    ASSERT_TRUE(rig->WaitSteadyOnline(1));
    const uint64_t call = rig->Control().CallIn("bob");
    ASSERT_TRUE(WaitForState(CallState::RINGING));
    rig->PostToSkype(msg::EV_SKYPE_ANSWER);
    ASSERT_TRUE(WaitForState(CallState::ANSWERING));

    rig->Sim().Kill();
    ClearEvents();
    // The window is gone, whether this thread or the poll thread finds out first.
    EXPECT_FALSE(rig->Api().SendCommand("SET CALL " + std::to_string(call) + " STATUS FINISHED"));
    EXPECT_FALSE(rig->Api().IsAttached());
    EXPECT_EQ(rig->Api().GetState(), CallState::INIT);
    EXPECT_TRUE(OnlyStateEvents(SettledEvents())) << Describe(rig->Host().events);

    rig->StartSimulator(kOneFriend);
    ASSERT_TRUE(rig->WaitSteadyOnline(1));
    EXPECT_TRUE(rig->Api().IsAttached());
    EXPECT_GE(rig->Control().DiscoverCount(), 1u);
}

TEST_F(SkypeFaults, AClientRefusingATextDropsTheLink) {
    Start(kOneFriend);
    ASSERT_TRUE(rig->WaitSteadyOnline(1));
    rig->Control().Command("refuse-texts on");
    ClearEvents();
    EXPECT_FALSE(rig->Api().SendCommand("GET USERSTATUS"));
    const std::vector<RecordEntry> received = rig->Control().Received();
    const auto refused = std::find_if(received.rbegin(), received.rend(), [](const RecordEntry& e) {
        return e.text == "GET USERSTATUS";
    });
    ASSERT_NE(refused, received.rend());
    EXPECT_FALSE(refused->ok);
    EXPECT_FALSE(rig->Api().IsAttached());
    EXPECT_EQ(rig->Api().GetState(), CallState::INIT);
    EXPECT_TRUE(OnlyStateEvents(SettledEvents())) << Describe(rig->Host().events);
}

TEST_F(SkypeFaults, TextsFromAnyWindowButTheAttachedClientAreRefusedAndDropTheLink) {
    OwnedWindow stranger(CreateWindowExA(0, "STATIC", "stranger", WS_POPUP, 0, 0, 10, 10, nullptr,
                                         nullptr, nullptr, nullptr));
    ASSERT_TRUE(stranger);
    const auto deliver = [&](HWND sender) {
        char text[] = "CALL 77 STATUS RINGING";
        COPYDATASTRUCT data{0, sizeof text, text};
        return SendMessageA(rig->HostWindow(), WM_COPYDATA, reinterpret_cast<WPARAM>(sender),
                            reinterpret_cast<LPARAM>(&data));
    };
    const auto simWindow = [&](const char* className, const std::string& title) {
        return FindWindowA(className, (title + rig->Sim().Name()).c_str());
    };

    struct Case {
        const char* what;
        bool attached;
        std::function<HWND()> sender;
    } cases[] = {
        {"a stranger", true, [&] { return stranger.Get(); }},
        {"the client's control window", true,
         [&] { return simWindow("VoxteloSkypeSimControl", "Skype simulator control: "); }},
        {"a stranger, not attached", false, [&] { return stranger.Get(); }},
        {"a client we never heard attach us", false,
         [&] { return simWindow("VoxteloSkypeSimApi", "Skype API simulator: "); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // No pass after the first: nothing rediscovers the client behind the test's back.
        RigOptions options;
        options.hearAttach = c.attached;
        options.timing = NoPolling();
        Start(kOneFriend, options);
        if (c.attached) {
            ASSERT_TRUE(rig->GoOnlineUnasked(1));
        } else {
            ASSERT_TRUE(rig->Control().WaitForAttached(kLinkWaitMs));  // the client thinks so
        }
        HWND sender = c.sender();
        ASSERT_NE(sender, nullptr);
        ClearEvents();

        EXPECT_EQ(deliver(sender), 0);
        EXPECT_FALSE(rig->Api().IsAttached());
        EXPECT_EQ(rig->Api().GetState(), CallState::INIT);
        EXPECT_NE(rig->Api().CurrentCall(), "77");
        EXPECT_EQ(SettledEvents(), Events{Ev(msg::EV_SKYPE_STATE)});
    }
}

TEST_F(SkypeFaults, TheClientHangingDropsTheLinkAtThePollWhileTheHostKeepsRunning) {
    RigOptions options;
    options.timing.pollSendTimeoutMs = 1000;
    Start(kOneFriend, options);
    ASSERT_TRUE(rig->WaitSteadyOnline(1));
    ClearEvents();
    LoopTicks ticks;

    rig->Control().Command("hang 20000");
    // The next pass's PING cannot get through; the link drops long before the hang ends.
    ASSERT_TRUE(rig->Wait([&] { return !rig->Api().IsAttached(); }, kLinkWaitMs));
    EXPECT_TRUE(StillHung(rig->Control()));
    EXPECT_GT(ticks.Count(), 0);
    EXPECT_EQ(rig->Api().GetState(), CallState::INIT);
    EXPECT_TRUE(OnlyStateEvents(SettledEvents())) << Describe(rig->Host().events);
    rig->Sim().Kill();
}

TEST_F(SkypeFaults, ASendFromTheHostToAHungClientFailsWithinTheBoundAndTheLinkComesBack) {
    RigOptions options;
    options.timing.sendTimeoutMs = 800;
    Start(kOneFriend, options);
    ASSERT_TRUE(rig->WaitSteadyOnline(1));
    ClearEvents();

    rig->Control().Command("hang 2500");
    EXPECT_FALSE(rig->Api().SendCommand("GET USERSTATUS"));
    EXPECT_TRUE(StillHung(rig->Control()));
    EXPECT_FALSE(rig->Api().IsAttached());
    EXPECT_EQ(rig->Api().GetState(), CallState::INIT);

    // Once the client answers again, the poll thread finds it and takes the account online.
    rig->Control().SetRequestTimeout(15000);
    EXPECT_TRUE(rig->Wait(
        [&] { return rig->Api().IsAttached() && rig->Api().GetState() == CallState::NORMAL; },
        3 * kLinkWaitMs));
}

TEST_F(SkypeFaults, ABroadcastStillReachesTheClientPastAHungWindow) {
    HungWindow hung(20000);
    RigOptions options;
    options.timing.sendTimeoutMs = 500;  // what the hung window costs each broadcast
    Start(kOneFriend, options);
    EXPECT_TRUE(rig->Wait([&] { return rig->Api().IsAttached(); }));
    EXPECT_FALSE(hung.Over());
    EXPECT_GE(rig->Control().DiscoverCount(), 1u);
}

TEST_F(SkypeFaults, CommandsGoWholeAtAndBeyondTheBufferSizeAndAnEmptyOneNotAtAll) {
    Start(kOneFriend);
    ASSERT_TRUE(rig->WaitSteadyOnline(1));
    ClearEvents();

    for (size_t length : {1023u, 4000u}) {
        SCOPED_TRACE(length);
        const std::string command = "GET USER " + std::string(length - 18, 'h') + " FULLNAME";
        ASSERT_EQ(command.size(), length);
        EXPECT_TRUE(rig->Api().SendCommand(command));
        const std::vector<RecordEntry> received = rig->Control().Received();
        const auto entry = std::find_if(received.begin(), received.end(),
                                        [&](const RecordEntry& e) { return e.text == command; });
        ASSERT_NE(entry, received.end());
        EXPECT_TRUE(entry->ok);
        EXPECT_EQ(entry->size, length + 1);
    }

    const size_t before = rig->Control().Received().size();
    EXPECT_FALSE(rig->Api().SendCommand(""));
    EXPECT_EQ(rig->Control().Received().size(), before);
    EXPECT_TRUE(rig->Api().IsAttached());
    EXPECT_EQ(SettledEvents(), Events{});
}

}  // namespace
}  // namespace test

namespace test {
namespace {

// The poll thread's send to the old client fails while the window's thread attaches to a new
// one: the fresh link stays, and the rest of the pass goes to the new client.
TEST_F(SkypeFaults, APollSendFailingAtTheOldClientLeavesAFreshAttachAlone) {
    RigOptions options;
    options.hearAttach = false;  // the test attaches the host itself
    Start({}, options);
    skypesim::SimProcess fresh{skypesim::SimOptions{}};
    ASSERT_TRUE(fresh.Control().WaitUntil([&] { return fresh.Control().AnyAttached(); },
                                          kLinkWaitMs));  // it heard a broadcast and answered
    // The old client holds the pass's first query, and then refuses it.
    rig->Control().Command("hold-next 1000");
    rig->Api().OnAttach(reinterpret_cast<WPARAM>(rig->Control().ApiWindow()),
                        skype::ATTACH_SUCCESS);
    ASSERT_TRUE(rig->Wait([&] { return StillHung(rig->Control()); }));

    rig->Api().OnAttach(reinterpret_cast<WPARAM>(fresh.Control().ApiWindow()),
                        skype::ATTACH_SUCCESS);
    // The rest of that pass, to its last query.
    EXPECT_TRUE(fresh.Control().WaitForReceived("PING", 1, kLinkWaitMs));
    EXPECT_TRUE(rig->Api().IsAttached());
    rig->Control().SetRequestTimeout(10000);
    const std::vector<RecordEntry> old = rig->Control().Received();
    ASSERT_EQ(old.size(), 1u);
    EXPECT_EQ(old[0].text, "GET CONNSTATUS");
    EXPECT_FALSE(old[0].ok);
    EXPECT_EQ(fresh.Control().CountReceived("GET CURRENTUSERHANDLE"), 1u);
}

// Anyone may send the attach message. One naming a window of this process (the host itself
// above all: the link would talk to itself) or no window is refused, and the real client's
// next call still comes through.
TEST_F(SkypeFaults, AnAttachNamingAWindowOfOursOrNoWindowIsRefused) {
    Start(kOneFriend);
    ASSERT_TRUE(rig->WaitSteadyOnline(1));
    OwnedWindow ours(CreateWindowExA(0, "STATIC", "ours", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                     nullptr, nullptr));
    const HWND spoofs[] = {rig->HostWindow(), ours.Get(), reinterpret_cast<HWND>(0x4242), nullptr};
    for (HWND spoof : spoofs) {
        SCOPED_TRACE(spoof == rig->HostWindow() ? "the host" : "another window or none");
        SendMessageA(rig->HostWindow(), SkypeApi::AttachMessage(), reinterpret_cast<WPARAM>(spoof),
                     skype::ATTACH_SUCCESS);
        rig->Control().CallIn("bob");
        EXPECT_TRUE(WaitForState(CallState::RINGING));
        rig->Control().Command("hangup");
        EXPECT_TRUE(WaitForState(CallState::NORMAL));
    }
    EXPECT_TRUE(rig->Api().IsAttached());
}

// A client that answers every "SEARCH FRIENDS" from inside the send with "CONNSTATUS ONLINE",
// which asks for the search again: the second search waits for a posted request instead of
// nesting inside the first, and is not asked for a third time from inside itself.
TEST_F(SkypeFaults, ASearchAnsweredFromInsideItsOwnSendNeverNests) {
    RigOptions options;
    options.timing = NoPolling();  // no pass sends a search of its own
    Start({"offline", "friend bob ONLINE Bob", "answer-inside SEARCH FRIENDS -> CONNSTATUS ONLINE"},
          options);
    ASSERT_TRUE(rig->Wait([&] { return rig->Api().IsAttached(); }));
    rig->Control().Command("online");
    ASSERT_TRUE(rig->Control().WaitForReceived("SEARCH FRIENDS", 2, kLinkWaitMs));
    ASSERT_TRUE(rig->Wait([&] { return rig->Api().ContactCount() == 1 && rig->AllDetailsIn(); }));
    SettledEvents();
    EXPECT_EQ(rig->Control().CountReceived("SEARCH FRIENDS"), 2u);
    EXPECT_EQ(rig->Control().Command("nesting"), "1");
}

// A client that is only busy answers the poll thread's send later than the window's thread
// would wait, and keeps the link, in the middle of a call as anywhere.
TEST_F(SkypeFaults, ABusyClientKeepsTheLinkThroughAPollSendThatOutlastsTheWindowsBound) {
    RigOptions options;
    options.timing.sendTimeoutMs = 500;
    Start(kOneFriend, options);
    ASSERT_TRUE(rig->WaitSteadyOnline(1));
    rig->Control().CallIn("bob");
    ASSERT_TRUE(WaitForState(CallState::RINGING));
    rig->PostToSkype(msg::EV_SKYPE_ANSWER);
    ASSERT_TRUE(WaitForState(CallState::ANSWERING));
    ClearEvents();

    rig->Control().Command("clear-record");
    rig->Control().Command("hang 1500");  // busy, not hung: that takes 5 s without a message
    // A pass's PING waits for the client; the first text it takes after the hang is one.
    ASSERT_TRUE(rig->Wait([&] { return !rig->Control().Received().empty(); }));
    EXPECT_EQ(rig->Control().Received().front().text, "PING");

    EXPECT_TRUE(rig->Api().IsAttached());
    EXPECT_EQ(rig->Api().GetState(), CallState::ANSWERING);
    EXPECT_EQ(SettledEvents(), Events{});
}

}  // namespace
}  // namespace test
