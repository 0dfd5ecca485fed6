// The Skype state as call notifications, connection and user status, attach and detach move
// it, and the commands that go with the moves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/InvalidArgumentError.h"
#include "tests/skype/SkypeSessionFixture.h"

namespace skype::testing {
namespace {

using Strings = std::vector<std::string>;
using Posts = std::vector<Post>;

using CallStateTest = SkypeSessionFixture;

// EnterState's call is 1; call 7 is a new one.
TEST_F(CallStateTest, CallStatusMovesTheState) {
    const Strings partnerQuery{"GET CALL 7 PARTNER_HANDLE"};
    const Strings refusal{"SET CALL 7 STATUS FINISHED"};
    // Who rang is asked for the call log.
    const Strings refusalAsked{"SET CALL 7 STATUS FINISHED", "GET CALL 7 PARTNER_HANDLE"};
    struct Case {
        CallState before;
        const char* call;
        const char* status;
        CallState after;
        Posts posts;
        Strings sent;
        const char* currentAfter;
    } cases[] = {
        {CallState::NORMAL, "7", "ROUTING", CallState::DIALING, {kStatePost}, partnerQuery, "7"},
        {CallState::DIALING, "1", "RINGING", CallState::DIALING, {}, {}, "1"},
        {CallState::NORMAL, "7", "RINGING", CallState::RINGING, {kStatePost}, partnerQuery, "7"},
        {CallState::INIT, "7", "RINGING", CallState::RINGING, {kStatePost}, partnerQuery, "7"},
        {CallState::DIALING, "1", "INPROGRESS", CallState::ANSWERING, {kStatePost}, {}, "1"},
        {CallState::ANSWERING, "1", "INPROGRESS", CallState::ANSWERING, {kStatePost}, {}, "1"},
        {CallState::ANSWERING, "1", "FINISHED", CallState::NORMAL, {kStatePost}, {}, "1"},
        {CallState::DIALING, "1", "FAILED", CallState::NORMAL, {kStatePost}, {}, "1"},
        {CallState::RINGING, "1", "MISSED", CallState::NORMAL, {kStatePost}, {}, "1"},
        {CallState::DIALING, "1", "REFUSED", CallState::NORMAL, {kStatePost}, {}, "1"},
        {CallState::DIALING, "1", "FAILUREREASON", CallState::NORMAL, {kStatePost}, {}, "1"},
        {CallState::DIALING, "1", "BUSY", CallState::NORMAL, {kStatePost}, {}, "1"},
        {CallState::DIALING, "1", "CANCELLED", CallState::NORMAL, {kStatePost}, {}, "1"},
        {CallState::ANSWERING, "1", "ONHOLD", CallState::ANSWERING, {}, {}, "1"},
        {CallState::NORMAL, "7", "finished", CallState::NORMAL, {}, {}, "7"},
        // A second call while one is up is refused by its own id; the first stays the call.
        {CallState::ANSWERING, "7", "RINGING", CallState::ANSWERING, {}, refusalAsked, "1"},
        {CallState::RINGING, "7", "RINGING", CallState::RINGING, {}, refusalAsked, "1"},
        {CallState::DIALING, "7", "ROUTING", CallState::DIALING, {}, refusal, "1"},
        {CallState::ANSWERING, "7", "FINISHED", CallState::ANSWERING, {}, {}, "1"},
        {CallState::RINGING, "7", "INPROGRESS", CallState::RINGING, {}, {}, "1"},
    };
    for (const Case& c : cases) {
        const std::string text = std::string("CALL ") + c.call + " STATUS " + c.status;
        SCOPED_TRACE(text + " from " + CallStateName(c.before));
        host.Deliver("CONNSTATUS OFFLINE");
        EnterState(c.before);
        host.Deliver(text);
        EXPECT_EQ(session.GetState(), c.after);
        EXPECT_EQ(host.posts, c.posts);
        EXPECT_EQ(host.sent, c.sent);
        EXPECT_EQ(session.CurrentCall(), c.currentAfter);
    }
}

std::vector<std::string> Partners(const std::vector<RefusedCall>& calls) {
    std::vector<std::string> partners;
    for (const RefusedCall& call : calls) {
        partners.push_back(call.partner);
    }
    return partners;
}

// For the call log: who each refused call was, once, also when the client never says, and
// every state change in order with what ended the call.
TEST_F(CallStateTest, RefusedCallsAreTakenOnceAndStateChangesInOrder) {
    EnterState(CallState::ANSWERING);
    session.TakeCallStateChanges();
    host.Deliver("CALL 7 STATUS RINGING");
    host.Deliver("CALL 7 STATUS RINGING");  // asked once
    host.Deliver("CALL 7 PARTNER_HANDLE bob");
    host.Deliver("CALL 7 PARTNER_HANDLE bob");
    host.Deliver("CALL 8 STATUS RINGING");  // never named
    EXPECT_EQ(host.sent, (Strings{"SET CALL 7 STATUS FINISHED", "GET CALL 7 PARTNER_HANDLE",
                                  "SET CALL 7 STATUS FINISHED", "SET CALL 8 STATUS FINISHED",
                                  "GET CALL 8 PARTNER_HANDLE"}));
    EXPECT_EQ(Partners(session.TakeRefusedCalls()), Strings{"bob"});
    EXPECT_TRUE(session.TakeRefusedCalls().empty());
    EXPECT_EQ(session.PartnerHandle(), "");
    host.Deliver("CALL 1 STATUS INPROGRESS");
    host.Deliver("CALL 1 STATUS BUSY");
    EXPECT_EQ(Partners(session.TakeRefusedCalls()), Strings{""}) << "unnamed at the call's end";
    host.Deliver("CALL 9 STATUS RINGING");
    host.Deliver("CALL 9 STATUS INPROGRESS");
    EXPECT_EQ(session.TakeCallStateChanges(),
              (std::vector<CallStateChange>{{CallState::ANSWERING, ""},
                                            {CallState::NORMAL, "BUSY"},
                                            {CallState::RINGING, ""},
                                            {CallState::ANSWERING, ""}}));
    EXPECT_TRUE(session.TakeCallStateChanges().empty());
}

TEST_F(CallStateTest, PartnerHandleIsStoredAndKeptAfterTheCall) {
    EnterState(CallState::DIALING);
    host.Deliver("CALL 1 PARTNER_HANDLE alice extra");
    EXPECT_EQ(session.PartnerHandle(), "alice");
    EXPECT_EQ(host.posts, Posts{kPartnerPost});
    host.Deliver("CALL 1 STATUS FINISHED");
    EXPECT_EQ(session.PartnerHandle(), "alice");
    EXPECT_EQ(session.CurrentCall(), "1");
}

// While a call is up, another call's texts change nothing; idle, any call's id is taken.
TEST_F(CallStateTest, OtherCallPropertiesOnlyTakeTheCallIdOfNoOtherCallUp) {
    EnterState(CallState::ANSWERING);
    host.Deliver("CALL 9 DURATION 12");
    host.Deliver("CALL 9 PARTNER_HANDLE mallory");
    EXPECT_EQ(session.CurrentCall(), "1");
    EXPECT_EQ(session.PartnerHandle(), "");
    EXPECT_EQ(session.GetState(), CallState::ANSWERING);
    EXPECT_TRUE(host.posts.empty());
    host.Deliver("CALL 1 STATUS FINISHED");
    host.Deliver("CALL 9 DURATION 12");
    EXPECT_EQ(session.CurrentCall(), "9");
}

TEST_F(CallStateTest, MissingWordStopsTheTextButKeepsWhatWasDone) {
    struct Case {
        const char* text;
        const char* callIdAfter;
    } cases[] = {
        {"CALL", "1"},
        {"CALL 12", "1"},  // another call while one is up is never taken
        {"CALL 12 STATUS", "1"},
        {"CALL 12 PARTNER_HANDLE", "1"},
        {"CALL 1 STATUS", "1"},
        {" CALL 12 STATUS FINISHED", "1"},
        {"CONNSTATUS", "1"},
        {"USERSTATUS", "1"},
        {"CURRENTUSERHANDLE", "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EnterState(CallState::ANSWERING);
        EXPECT_THROW(session.ParseNotification(c.text), fw::InvalidArgumentError);
        EXPECT_EQ(session.CurrentCall(), c.callIdAfter);
        EXPECT_EQ(session.GetState(), CallState::ANSWERING);
        EXPECT_EQ(session.ConnectionStatus(), "ONLINE");
        EXPECT_EQ(session.CurrentUserHandle(), "me");
        EXPECT_EQ(session.UserStatus(), "ONLINE");
        EXPECT_TRUE(host.posts.empty());
        EXPECT_TRUE(host.sent.empty());
    }
}

// The connection and user status: going offline returns to INIT and forgets all three status
// texts before the new value is stored.
TEST_F(CallStateTest, ConnectionAndUserStatus) {
    struct Case {
        const char* text;
        CallState after;
        Strings statusTexts;  // connection, user handle, user status
        Posts posts;
        Strings sent;
    } cases[] = {
        {"CONNSTATUS ONLINE",
         CallState::ANSWERING,
         {"ONLINE", "me", "ONLINE"},
         {},
         {"SEARCH FRIENDS"}},
        {"CONNSTATUS OFFLINE", CallState::INIT, {"OFFLINE", "", ""}, {kStatePost}, {}},
        {"CONNSTATUS CONNECTING", CallState::INIT, {"CONNECTING", "", ""}, {kStatePost}, {}},
        {"CONNSTATUS PAUSING", CallState::INIT, {"PAUSING", "", ""}, {kStatePost}, {}},
        {"CONNSTATUS LOGGEDOUT", CallState::INIT, {"LOGGEDOUT", "", ""}, {kStatePost}, {}},
        {"CONNSTATUS online", CallState::ANSWERING, {"online", "me", "ONLINE"}, {}, {}},
        {"USERSTATUS OFFLINE", CallState::INIT, {"", "", "OFFLINE"}, {kStatePost}, {}},
        {"USERSTATUS LOGGEDOUT", CallState::INIT, {"", "", "LOGGEDOUT"}, {kStatePost}, {}},
        {"USERSTATUS DND", CallState::ANSWERING, {"ONLINE", "me", "DND"}, {}, {}},
        {"CURRENTUSERHANDLE echo123 x",
         CallState::ANSWERING,
         {"ONLINE", "echo123", "ONLINE"},
         {},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EnterState(CallState::ANSWERING);
        host.Deliver(c.text);
        EXPECT_EQ(session.GetState(), c.after);
        EXPECT_EQ((Strings{session.ConnectionStatus(), session.CurrentUserHandle(),
                           session.UserStatus()}),
                  c.statusTexts);
        EXPECT_EQ(host.posts, c.posts);
        EXPECT_EQ(host.sent, c.sent);
    }
}

TEST_F(CallStateTest, TextsWithoutMeaningChangeNothing) {
    EnterState(CallState::ANSWERING);
    ListFriends("USERS alice");
    for (const char* text : {"PONG", "PONGS", "", "MESSAGE 5 STATUS RECEIVED", "CHAT #a/$b;1 x",
                             "VOICEMAIL 3 STATUS PLAYING", "ERROR 2 Unknown command", "users bob",
                             "call 8 STATUS FINISHED", "GET CALL 1 PARTNER_HANDLE", "MESSAGE",
                             "CHAT", "VOICEMAIL", "ERROR"}) {
        host.Deliver(text);
    }
    EXPECT_EQ(host.reportedErrors, 0);
    EXPECT_EQ(session.GetState(), CallState::ANSWERING);
    EXPECT_EQ(session.CurrentCall(), "1");
    EXPECT_EQ(session.ContactCount(), 1u);
    EXPECT_TRUE(host.posts.empty());
    EXPECT_TRUE(host.sent.empty());
}

TEST_F(CallStateTest, InternalCommands) {
    struct Case {
        int code;
        Strings sent;
        Posts posts;
        Strings messages;
    } cases[] = {
        {msg::EV_SKYPE_SYNC, {}, {{msg::RECIPIENT_WINDOW, msg::EV_SYNC_CARRIER}}, {}},
        {msg::EV_SKYPE_HANGUP, {"SET CALL 1 STATUS FINISHED"}, {}, {}},
        {msg::EV_SKYPE_ANSWER, {"SET CALL 1 STATUS INPROGRESS"}, {}, {}},
        {msg::EV_SKYPE_SEARCH, {"SEARCH FRIENDS"}, {}, {}},
        {msg::EV_SKYPE_QUERY_USERS, {}, {}, {}},  // no contacts, no queries
        {msg::EV_SKYPE_QUERY_MORE, {}, {}, {}},   // no queries under way
        {msg::EV_SKYPE_SEND_LATER, {}, {}, {}},   // nothing held back
        {0, {}, {}, {"Unknown UM_INTERNAL--lParam in SkypeApi"}},
        {22, {}, {}, {"Unknown UM_INTERNAL--lParam in SkypeApi"}},
        {38, {}, {}, {"Unknown UM_INTERNAL--lParam in SkypeApi"}},
    };
    EnterState(CallState::RINGING);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        host.ClearRecords();
        EXPECT_EQ(session.OnInternalCommand(c.code), 1);
        EXPECT_EQ(host.sent, c.sent);
        EXPECT_EQ(host.posts, c.posts);
        EXPECT_EQ(host.messages, c.messages);
        EXPECT_EQ(session.GetState(), CallState::RINGING);
    }
}

TEST_F(CallStateTest, HangUpWithoutAnyCallSendsAnEmptyId) {
    session.OnInternalCommand(msg::EV_SKYPE_HANGUP);
    session.OnInternalCommand(msg::EV_SKYPE_ANSWER);
    EXPECT_EQ(host.sent, (Strings{"SET CALL  STATUS FINISHED", "SET CALL  STATUS INPROGRESS"}));
}

TEST_F(CallStateTest, PollPassAsksForWhatIsMissing) {
    const Strings statusQueries{"GET CONNSTATUS", "GET CURRENTUSERHANDLE", "GET USERSTATUS",
                                "PING"};
    EXPECT_EQ(session.PollCommands(), statusQueries);

    host.Deliver("CONNSTATUS ONLINE");
    host.Deliver("CURRENTUSERHANDLE me");
    EXPECT_EQ(session.PollCommands(), statusQueries);
    host.Deliver("USERSTATUS ONLINE");
    EXPECT_EQ(session.PollCommands(), (Strings{"SEARCH FRIENDS", "PING"}));

    host.Deliver("USERS alice");
    EXPECT_EQ(session.PollCommands(), Strings{"PING"});
    host.Deliver("USERS");
    EXPECT_EQ(session.PollCommands(), (Strings{"SEARCH FRIENDS", "PING"}));

    host.Deliver("USERS alice");
    host.Deliver("CONNSTATUS CONNECTING");
    EXPECT_EQ(session.PollCommands(), statusQueries);
    EXPECT_TRUE(host.messages.empty());
}

TEST(AttachStatus, Classification) {
    EXPECT_EQ(ClassifyAttachStatus(0), AttachOutcome::Attached);
    for (uint32_t status : {1u, 2u, 3u, 0x8001u}) {
        EXPECT_EQ(ClassifyAttachStatus(status), AttachOutcome::Detached) << status;
    }
    for (uint32_t status : {4u, 0x8000u, 0x8002u, 0xFFFFFFFFu}) {
        EXPECT_EQ(ClassifyAttachStatus(status), AttachOutcome::Ignored) << status;
    }
}

TEST_F(CallStateTest, AttachAndDetachReturnToInitAndForgetTheStatus) {
    for (void (SkypeSession::*reset)() : {&SkypeSession::OnAttached, &SkypeSession::Detach}) {
        EnterState(CallState::ANSWERING);
        (session.*reset)();
        EXPECT_EQ(session.GetState(), CallState::INIT);
        EXPECT_EQ(host.posts, Posts{kStatePost});
        EXPECT_EQ(session.ConnectionStatus(), "");
        EXPECT_EQ(session.CurrentUserHandle(), "");
        EXPECT_EQ(session.UserStatus(), "");
        EXPECT_EQ(session.PollCommands().size(), 4u);
    }
}

}  // namespace
}  // namespace skype::testing
