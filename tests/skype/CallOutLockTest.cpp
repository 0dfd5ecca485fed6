// The poll thread must never wait for a send, a post or a message box of the main window's
// thread: the session releases its lock before every call out.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/skype/SkypeSessionFixture.h"

namespace skype::testing {
namespace {

using CallOutLockTest = SkypeSessionFixture;

TEST_F(CallOutLockTest, PollThreadReadsWhileTheSessionCallsOut) {
    host.probeFromPollThread = true;
    host.nestedReplies["SEARCH FRIENDS"] = {"USERS alice, bob"};
    host.nestedReplies["GET USER alice FULLNAME"] = {"USER alice FULLNAME Alice Smith"};
    host.nestedReplies["GET USER bob ONLINESTATUS"] = {"USER bob ONLINESTATUS ONLINE"};
    host.nestedReplies["GET CALL 7 PARTNER_HANDLE"] = {"CALL 7 PARTNER_HANDLE alice"};

    session.OnAttached();
    host.Deliver("CONNSTATUS ONLINE");
    host.Deliver("CURRENTUSERHANDLE me");
    host.Deliver("USERSTATUS ONLINE");
    session.OnInternalCommand(msg::EV_SKYPE_QUERY_USERS);
    host.RunContinuations();
    host.Deliver("CALL 7 STATUS ROUTING");
    host.Deliver("CALL 7 STATUS INPROGRESS");
    session.OnInternalCommand(msg::EV_SKYPE_HANGUP);
    host.Deliver("CALL 7 STATUS FINISHED");
    host.Deliver("CALL 8 STATUS RINGING");
    session.OnInternalCommand(msg::EV_SKYPE_SYNC);
    session.OnInternalCommand(99);
    host.Deliver("USERS");
    host.Deliver("USERSTATUS LOGGEDOUT");
    host.sendsThatSucceed = 0;
    session.OnInternalCommand(msg::EV_SKYPE_SEARCH);

    EXPECT_EQ(host.blockedProbes, 0);
    // The scenario reached every road out of the session, so each was probed.
    EXPECT_EQ(host.probedCallOuts, (std::set<std::string>{"PostBehindInput", "PostInternal",
                                                          "SendCommand", "ShowMessage", "ToAnsi"}));
    EXPECT_EQ(session.ContactAt(0), nullptr);
    EXPECT_EQ(host.messages.size(), 1u);
}

}  // namespace
}  // namespace skype::testing
