// Finding the client and being attached, against the simulator: the discover broadcasts while
// nobody answers, the attach statuses that keep the link down until the client agrees, and the
// first poll pass after it does.
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

TEST_F(SkypeDiscovery, WithNoClientBroadcastsTwiceAtStartThenEveryFiveSecondsAndSendsNothing) {
    Start({}, /*hearAttach=*/false);
    ASSERT_TRUE(rig->Control().WaitForDiscovers(4, 30000));

    const std::vector<RecordEntry> discovers = EntriesOf(rig->Control(), RecordKind::Discover);
    ASSERT_GE(discovers.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(discovers[i].window, reinterpret_cast<uintptr_t>(rig->HostWindow()));
    }
    // The poll thread's first pass and the host's call go out together; then one pass every
    // five seconds. The bounds leave room for a loaded machine, not for an extra or a lost pass.
    const auto at = [&](size_t i) { return static_cast<int64_t>(discovers[i].ms); };
    EXPECT_LT(at(1) - at(0), 2500);
    for (size_t i : {2, 3}) {
        const int64_t gap = at(i) - at(i == 2 ? 0 : i - 1);
        EXPECT_GE(gap, 4000) << "broadcast " << i;
        EXPECT_LE(gap, 9000) << "broadcast " << i;
    }

    EXPECT_TRUE(EntriesOf(rig->Control(), RecordKind::In).empty());
    EXPECT_EQ(rig->Api().GetState(), CallState::INIT);
    EXPECT_FALSE(rig->Api().IsAttached());
    EXPECT_EQ(SettledEvents(), Events{});
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

        rig->Control().Command(c.relent);
        ASSERT_TRUE(rig->Wait([&] { return rig->Api().IsAttached(); }));
        EXPECT_EQ(rig->Api().GetState(), CallState::INIT);
        EXPECT_EQ(rig->Host().events.back(), Ev(msg::EV_SKYPE_STATE));

        // The first pass after the attach; the account is still connecting.
        ASSERT_TRUE(rig->Control().WaitForReceived("PING", 1, kLinkWaitMs));
        EXPECT_EQ(rig->TakenTexts(false),
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
