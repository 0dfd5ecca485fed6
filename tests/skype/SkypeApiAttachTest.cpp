// Finding the client and being attached, against the simulator: the discover broadcasts while
// nobody answers, the attach statuses that keep the link down until the client agrees, and the
// first poll pass after it does. The poll passes come faster than the product's.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/Messages.h"
#include "tests/skype/SkypeLinkTest.h"

namespace test {
namespace {

using skypesim::RecordEntry;
using skypesim::RecordKind;

std::vector<RecordEntry> EntriesOf(skypesim::SimConnection& control, RecordKind kind) {
    std::vector<RecordEntry> entries;
    for (const RecordEntry& entry : control.Record()) {
        if (entry.kind == kind) {
            entries.push_back(entry);
        }
    }
    return entries;
}

bool AllStateEvents(const Events& events) {
    return std::all_of(events.begin(), events.end(),
                       [](const WindowEvent& event) { return event == Ev(msg::EV_SKYPE_STATE); });
}

using SkypeDiscovery = SkypeLinkTest;

// The host's own call and the poll thread's first pass broadcast at once; every later pass
// broadcasts again while nobody answers.
TEST_F(SkypeDiscovery, WithNoClientBroadcastsAtOnceAndOnEveryPassAndSendsNothing) {
    struct Case {
        const char* polling;
        SkypeLinkTiming timing;
        size_t discovers;
    } cases[] = {
        {"no pass after the first", NoPolling(), 2},
        {"a pass every 100 ms", FastPolling(), 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.polling);
        RigOptions options;
        options.hearAttach = false;
        options.timing = c.timing;
        Start({}, options);
        ASSERT_TRUE(rig->Control().WaitForDiscovers(c.discovers, kLinkWaitMs));

        for (const RecordEntry& discover : EntriesOf(rig->Control(), RecordKind::Discover)) {
            EXPECT_EQ(discover.window, reinterpret_cast<uintptr_t>(rig->HostWindow()));
        }
        EXPECT_TRUE(EntriesOf(rig->Control(), RecordKind::In).empty());
        EXPECT_EQ(rig->Api().GetState(), CallState::INIT);
        EXPECT_FALSE(rig->Api().IsAttached());
        EXPECT_EQ(SettledEvents(), Events{});
    }
}

TEST_F(SkypeDiscovery, AClientThatMakesUsWaitAttachesLaterAndTheFirstPassAsksForTheStatus) {
    struct Case {
        const char* setting;  // the client's answer at first
        const char* relent;   // what makes it accept us
    } cases[] = {
        {"pending", "authorize"},      // 1 until the user allows; then 0
        {"unavailable", "available"},  // 3, then 0x8001, and the next discover gets 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setting);
        Start({std::string("attach ") + c.setting, "connstatus CONNECTING"});

        // The start-up broadcasts and one pass: every answer drops the link again.
        ASSERT_TRUE(rig->Wait([&] {
            return EntriesOf(rig->Control(), RecordKind::Attach).size() >= 3 &&
                   rig->Host().events.size() >= 3;
        }));
        EXPECT_FALSE(rig->Api().IsAttached());
        EXPECT_EQ(rig->Api().GetState(), CallState::INIT);
        EXPECT_TRUE(AllStateEvents(SettledEvents())) << Describe(rig->Host().events);
        EXPECT_TRUE(EntriesOf(rig->Control(), RecordKind::In).empty());

        ClearEvents();
        rig->Control().Command(c.relent);
        ASSERT_TRUE(rig->Wait([&] { return rig->Api().IsAttached(); }));
        EXPECT_EQ(rig->Api().GetState(), CallState::INIT);
        // The attach tells the window; so may a first pass already, the account connecting.
        const Events afterAttach = SettledEvents();
        EXPECT_FALSE(afterAttach.empty());
        EXPECT_TRUE(AllStateEvents(afterAttach)) << Describe(afterAttach);

        // The first pass after the attach; the account is still connecting.
        ASSERT_TRUE(rig->Control().WaitForReceived("PING", 1, kLinkWaitMs));
        Texts taken = rig->TakenTexts(false);
        taken.resize(std::min<size_t>(taken.size(), 4));  // later passes may follow
        EXPECT_EQ(taken,
                  (Texts{"GET CONNSTATUS", "GET CURRENTUSERHANDLE", "GET USERSTATUS", "PING"}));
        EXPECT_EQ(rig->Api().GetState(), CallState::INIT);
        EXPECT_TRUE(AllStateEvents(SettledEvents())) << Describe(rig->Host().events);

        rig->Control().Command("connstatus ONLINE");
        EXPECT_TRUE(WaitForState(CallState::NORMAL));
        EXPECT_TRUE(rig->Control().WaitForReceived("SEARCH FRIENDS", 1, kLinkWaitMs));
    }
}

}  // namespace
}  // namespace test
