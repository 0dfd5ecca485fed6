// The client may answer a command from within our send, so the session is re-entered while
// one of its own sends is under way.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/skype/SkypeSessionFixture.h"

namespace skype::testing {
namespace {

using Strings = std::vector<std::string>;
using Posts = std::vector<Post>;

using NestedRepliesTest = SkypeSessionFixture;

TEST_F(NestedRepliesTest, FriendsListArrivingInsideTheOnlineSearch) {
    host.nestedReplies["SEARCH FRIENDS"] = {"USERS alice, bob"};
    host.Deliver("CONNSTATUS ONLINE");
    EXPECT_EQ(session.GetState(), CallState::NORMAL);
    EXPECT_EQ(session.ConnectionStatus(), "ONLINE");
    EXPECT_EQ(session.ContactCount(), 2u);
    EXPECT_EQ(host.posts, (Posts{kStatePost, kQueryUsersPost}));
}

TEST_F(NestedRepliesTest, DetailsArrivingInsideEachQuery) {
    ListFriends("USERS alice, bob");
    host.nestedReplies["GET USER alice FULLNAME"] = {"USER alice FULLNAME Alice Smith"};
    host.nestedReplies["GET USER bob ONLINESTATUS"] = {"USER bob ONLINESTATUS ONLINE"};
    session.OnInternalCommand(msg::EV_SKYPE_QUERY_USERS);
    host.RunContinuations();
    EXPECT_EQ(host.sent.size(), 14u);
    EXPECT_EQ(session.ContactAt(0)->fullName, "Alice Smith");
    EXPECT_EQ(session.ContactAt(1)->onlineStatus, "ONLINE");
    EXPECT_EQ(host.posts, Posts{kContactsPost});
}

// A new friends list inside the queries destroys the contacts being queried: the queries
// about the old list stop there, and the new list's own run asks about the new contacts, whose
// replies meet the new list.
TEST_F(NestedRepliesTest, FriendsListReplacedWhileQueryingDetails) {
    ListFriends("USERS alice, bob, carol");
    host.nestedReplies["GET USER alice DISPLAYNAME"] = {"USERS bob, dave"};
    host.nestedReplies["GET USER bob FULLNAME"] = {"USER bob FULLNAME Bob van Dijk"};
    host.nestedReplies["GET USER carol ONLINESTATUS"] = {"USER carol ONLINESTATUS ONLINE"};
    session.OnInternalCommand(msg::EV_SKYPE_QUERY_USERS);
    host.RunContinuations();
    EXPECT_EQ(host.sent, (Strings{"GET USER alice FULLNAME", "GET USER alice DISPLAYNAME"}));
    ASSERT_EQ(host.posts, Posts{kQueryUsersPost});

    host.sent.clear();
    session.OnInternalCommand(msg::EV_SKYPE_QUERY_USERS);  // handed back by the window
    host.RunContinuations();
    ASSERT_EQ(host.sent.size(), 14u);
    EXPECT_EQ(host.sent.front(), "GET USER bob FULLNAME");
    EXPECT_EQ(host.sent.back(), "GET USER dave ONLINESTATUS");
    ASSERT_EQ(session.ContactCount(), 2u);
    EXPECT_EQ(session.ContactAt(0)->handle, "bob");
    EXPECT_EQ(session.ContactAt(0)->fullName, "Bob van Dijk");
    EXPECT_EQ(session.ContactAt(1)->handle, "dave");
    EXPECT_EQ(host.posts, Posts{kQueryUsersPost});  // nothing for carol, who is gone
}

TEST_F(NestedRepliesTest, PartnerHandleArrivingInsideThePartnerQuery) {
    GoOnline();
    host.nestedReplies["GET CALL 7 PARTNER_HANDLE"] = {"CALL 7 PARTNER_HANDLE alice"};
    host.Deliver("CALL 7 STATUS ROUTING");
    EXPECT_EQ(session.GetState(), CallState::DIALING);
    EXPECT_EQ(session.PartnerHandle(), "alice");
    EXPECT_EQ(host.posts, (Posts{kStatePost, kPartnerPost}));
}

TEST_F(NestedRepliesTest, CallEndingInsideTheRingingPartnerQuery) {
    GoOnline();
    host.nestedReplies["GET CALL 8 PARTNER_HANDLE"] = {"CALL 8 STATUS MISSED"};
    host.Deliver("CALL 8 STATUS RINGING");
    EXPECT_EQ(session.GetState(), CallState::NORMAL);
    EXPECT_EQ(host.posts, (Posts{kStatePost, kStatePost}));
}

TEST_F(NestedRepliesTest, BrokenNestedReplyEndsOnlyItself) {
    host.nestedReplies["SEARCH FRIENDS"] = {"CALL 3", " USERS x", "USERS alice"};
    host.Deliver("CONNSTATUS ONLINE");
    EXPECT_EQ(host.reportedErrors, 2);
    EXPECT_EQ(session.CurrentCall(), "3");
    EXPECT_EQ(session.ConnectionStatus(), "ONLINE");
    EXPECT_EQ(session.ContactCount(), 1u);
}

// A refused send detaches from within the send; the text that made it still finishes.
TEST_F(NestedRepliesTest, FailedSendDetachesInsideTheText) {
    host.sendsThatSucceed = 0;
    host.Deliver("CONNSTATUS ONLINE");
    EXPECT_EQ(host.sent, Strings{"SEARCH FRIENDS"});
    EXPECT_EQ(host.posts, (Posts{kStatePost, kStatePost}));
    EXPECT_EQ(session.GetState(), CallState::INIT);
    EXPECT_EQ(session.PollCommands().front(), "GET CONNSTATUS");
}

}  // namespace
}  // namespace skype::testing
