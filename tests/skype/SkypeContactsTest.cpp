// The friends list and the contact properties as the client's texts build them.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "framework/InvalidArgumentError.h"
#include "tests/skype/SkypeSessionFixture.h"

namespace skype::testing {
namespace {

using ContactsTest = SkypeSessionFixture;

std::vector<std::string> Handles(const SkypeSession& session) {
    std::vector<std::string> handles;
    for (size_t i = 0; i < session.ContactCount(); ++i) {
        const SkypeContact* contact = session.ContactAt(static_cast<int32_t>(i));
        handles.push_back(contact != nullptr ? contact->handle : "<no contact at this index>");
    }
    return handles;
}

TEST_F(ContactsTest, FriendsListBuildsContactsInOrder) {
    struct Case {
        const char* text;
        std::vector<std::string> handles;
        Post post;
    } cases[] = {
        {"USERS", {}, kContactsPost},
        {"USERS ", {}, kContactsPost},
        {"USERS alice", {"alice"}, kQueryUsersPost},
        {"USERS alice, bob, carol", {"alice", "bob", "carol"}, kQueryUsersPost},
        {"USERS ,,alice,, bob,", {"alice", "bob"}, kQueryUsersPost},
    };
    for (const Case& c : cases) {
        host.ClearRecords();
        host.Deliver("USERS old1, old2, old3, old4");
        host.ClearRecords();
        host.Deliver(c.text);
        EXPECT_EQ(Handles(session), c.handles) << c.text;
        EXPECT_EQ(host.posts, std::vector<Post>{c.post}) << c.text;
        EXPECT_TRUE(host.sent.empty()) << c.text;
    }
}

TEST_F(ContactsTest, NewFriendsListStartsFromFreshContacts) {
    ListFriends("USERS alice, bob");
    host.Deliver("USER bob CITY Leiden");
    host.Deliver("USERS bob");
    ASSERT_EQ(session.ContactCount(), 1u);
    EXPECT_EQ(session.ContactAt(0)->handle, "bob");
    EXPECT_EQ(session.ContactAt(0)->city, "h");
    EXPECT_EQ(session.ContactAt(1), nullptr);
    EXPECT_EQ(session.ContactAt(-1), nullptr);
}

std::vector<std::string> DetailQueries(const std::vector<const char*>& handles) {
    std::vector<std::string> queries;
    for (const char* handle : handles) {
        for (const char* property : {"FULLNAME", "DISPLAYNAME", "HANDLE", "BUDDYSTATUS",
                                     "ISAUTHORIZED", "ISBLOCKED", "ONLINESTATUS"}) {
            queries.push_back(std::string("GET USER ") + handle + " " + property);
        }
    }
    return queries;
}

TEST_F(ContactsTest, QueryUsersAsksSevenPropertiesPerContactInListOrder) {
    host.Deliver("USERS alice, bob, carol");
    ASSERT_EQ(host.posts, std::vector<Post>{kQueryUsersPost});
    EXPECT_EQ(session.OnInternalCommand(msg::EV_SKYPE_QUERY_USERS), 1);
    host.RunContinuations();
    EXPECT_EQ(host.sent, DetailQueries({"alice", "bob", "carol"}));
}

// A slice ends once its time is up; what is left waits behind the input for one request in
// flight, which a fresh run takes over rather than doubling.
TEST_F(ContactsTest, DetailQueriesGoOutASliceAtATime) {
    const Post more{msg::RECIPIENT_SKYPE, msg::EV_SKYPE_QUERY_MORE};
    struct Case {
        std::chrono::milliseconds slice;
        size_t firstSlice;  // queries sent before the first request for more
        int requests;       // requests for more until the list is done
    } cases[] = {
        {std::chrono::milliseconds(0), 1, 20},
        {std::chrono::hours(1), 21, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.slice.count());
        FakeSkypeHost sliced;
        SkypeSession slicedSession(sliced, c.slice);
        sliced.Connect(slicedSession);
        sliced.Deliver("USERS alice, bob, carol");

        slicedSession.OnInternalCommand(msg::EV_SKYPE_QUERY_USERS);
        EXPECT_EQ(sliced.sent.size(), c.firstSlice);
        EXPECT_EQ(sliced.continuations, std::vector<Post>(c.requests > 0 ? 1 : 0, more));
        slicedSession.OnInternalCommand(msg::EV_SKYPE_QUERY_USERS);  // starts again from alice
        EXPECT_EQ(sliced.continuations.size(), c.requests > 0 ? 1u : 0u);
        sliced.sent.clear();

        sliced.RunContinuations();
        std::vector<std::string> expected = DetailQueries({"alice", "bob", "carol"});
        expected.erase(expected.begin(), expected.begin() + c.firstSlice);
        EXPECT_EQ(sliced.sent, expected);
        EXPECT_EQ(sliced.continuationsRun, c.requests);
        EXPECT_EQ(sliced.posts, std::vector<Post>{kQueryUsersPost});  // the list's, nothing more
    }
}

TEST_F(ContactsTest, QueriesStopAtTheFirstFailedSend) {
    ListFriends("USERS alice, bob, carol");
    host.sendsThatSucceed = 3;
    session.OnInternalCommand(msg::EV_SKYPE_QUERY_USERS);
    host.RunContinuations();
    EXPECT_EQ(host.sent.size(), 4u);
    EXPECT_EQ(host.posts, std::vector<Post>{kStatePost});  // one detach, not one per query
    EXPECT_EQ(host.continuationsRun, 3);
}

// Each single-word property lands in its own field and nowhere else; the rest of the text
// after the value is dropped.
TEST_F(ContactsTest, SingleWordPropertiesFillTheirField) {
    struct Case {
        const char* property;
        std::string SkypeContact::*field;
        const char* placeholder;
    } cases[] = {
        {"BIRTHDAY", &SkypeContact::birthday, "c"},
        {"SEX", &SkypeContact::sex, "d"},
        {"LANGUAGE", &SkypeContact::language, "e"},
        {"COUNTRY", &SkypeContact::country, "f"},
        {"PROVINCE", &SkypeContact::province, "g"},
        {"CITY", &SkypeContact::city, "h"},
        {"PHONE_HOME", &SkypeContact::homePhone, "i"},
        {"PHONE_OFFICE", &SkypeContact::officePhone, "j"},
        {"PHONE_MOBILE", &SkypeContact::mobilePhone, "k"},
        {"HOMEPAGE", &SkypeContact::homePage, "l"},
        {"ABOUT", &SkypeContact::about, "m"},
        {"HASCALLEQUIPMENT", &SkypeContact::hasCallEquipment, "m"},
        {"BUDDYSTATUS", &SkypeContact::buddyStatus, "o"},
        {"ISAUTHORIZED", &SkypeContact::isAuthorized, "p"},
        {"ISBLOCKED", &SkypeContact::isBlocked, "q"},
        {"ONLINESTATUS", &SkypeContact::onlineStatus, "s"},
        {"LASTONLINETIMESTAMP", &SkypeContact::lastOnlineTimestamp, "t"},
        {"CAN_LEAVE_VM", &SkypeContact::canLeaveVoicemail, "u"},
        {"SPEEDDIAL", &SkypeContact::speedDial, "v"},
        {"RECEIVEDAUTHREQUEST", &SkypeContact::receivedAuthRequest, "w"},
    };
    const SkypeContact untouched(1, "bob");
    EXPECT_EQ(untouched.fullName, "b");
    EXPECT_EQ(untouched.displayName, "r");
    for (const Case& c : cases) {
        ListFriends("USERS alice, bob");
        EXPECT_EQ(untouched.*c.field, c.placeholder) << c.property;

        host.Deliver(std::string("USER bob ") + c.property + " New York");

        SkypeContact expected(1, "bob");
        expected.*c.field = "New";
        const SkypeContact& bob = *session.ContactAt(1);
        for (const Case& other : cases) {
            EXPECT_EQ(bob.*other.field, expected.*other.field)
                << other.property << " after " << c.property;
        }
        EXPECT_EQ(bob.fullName, "b") << c.property;
        EXPECT_EQ(bob.displayName, "r") << c.property;
        EXPECT_EQ(session.ContactAt(0)->*c.field, c.placeholder) << c.property;
    }
}

TEST_F(ContactsTest, HandlePropertyRenamesTheContact) {
    ListFriends("USERS alice, bob");
    host.Deliver("USER bob HANDLE robert");
    EXPECT_EQ(session.ContactAt(1)->handle, "robert");
    host.Deliver("USER bob CITY Delft");  // no longer known by the old name
    EXPECT_EQ(session.ContactAt(1)->city, "h");
}

TEST_F(ContactsTest, NamesKeepTheRestOfTheTextDecoded) {
    struct Case {
        const char* text;
        std::string SkypeContact::*field;
        std::string stored;
    } cases[] = {
        {"USER bob FULLNAME Bob van Dijk", &SkypeContact::fullName, "Bob van Dijk"},
        {"USER bob DISPLAYNAME Bobby  D ", &SkypeContact::displayName, "Bobby  D "},
        {"USER bob FULLNAME  Bob", &SkypeContact::fullName, " Bob"},
        {"USER bob FULLNAME ", &SkypeContact::fullName, ""},
        {"USER bob FULLNAME Zo\xC3\xAB \xC3\x86r\xC3\xB8", &SkypeContact::fullName,
         "Zo\xEB \xC6r\xF8"},  // Latin-1 in the fake code page
        {"USER bob DISPLAYNAME \xE7\x8E\x8B\xE5\xB0\x8F\xE6\x98\x8E x", &SkypeContact::displayName,
         "??? x"},
        {"USER bob FULLNAME a\xF0\x9F\x98\x80\xFF", &SkypeContact::fullName, "a??"},
    };
    for (const Case& c : cases) {
        ListFriends("USERS alice, bob");
        host.Deliver(c.text);
        EXPECT_EQ(session.ContactAt(1)->*c.field, c.stored) << c.text;
        EXPECT_TRUE(host.posts.empty()) << c.text;
    }
}

TEST_F(ContactsTest, LongNamesAreCutAt49Characters) {
    ListFriends("USERS bob");
    host.Deliver("USER bob FULLNAME " + std::string(48, 'x') + "\xC3\xA9\xC3\xA9 tail");
    EXPECT_EQ(session.ContactAt(0)->fullName, std::string(48, 'x') + "\xE9");
    host.Deliver("USER bob DISPLAYNAME " + std::string(48, 'y') + "\xF0\x9F\x98\x80");
    EXPECT_EQ(session.ContactAt(0)->displayName, std::string(48, 'y'));
}

TEST_F(ContactsTest, RepliesAboutUnknownOrNoContactsAreIgnored) {
    for (const char* text : {"USER dave ONLINESTATUS ONLINE", "USER dave", "USER bobby CITY X",
                             "USER bob NICKNAME Bobby", "USER Bob CITY X"}) {
        ListFriends("USERS alice, bob");
        host.Deliver(text);
        EXPECT_EQ(host.reportedErrors, 0) << text;
        EXPECT_TRUE(host.posts.empty()) << text;
        EXPECT_EQ(session.ContactAt(1)->city, "h") << text;
    }
    // Without any contact even a bare USER is dropped.
    ListFriends("USERS");
    EXPECT_NO_THROW(session.ParseNotification("USER"));
    EXPECT_NO_THROW(session.ParseNotification("USER bob ONLINESTATUS"));
}

TEST_F(ContactsTest, FirstContactWithTheHandleGetsTheReply) {
    ListFriends("USERS bob, bob");
    host.Deliver("USER bob ONLINESTATUS ONLINE");
    EXPECT_EQ(session.ContactAt(0)->onlineStatus, "ONLINE");
    EXPECT_EQ(session.ContactAt(1)->onlineStatus, "s");
}

TEST_F(ContactsTest, ReplyMissingItsValueStopsWithoutChanges) {
    for (const char* text :
         {"USER bob", "USER bob CITY", "USER bob ONLINESTATUS", "USER bob FULLNAME"}) {
        ListFriends("USERS alice, bob");
        EXPECT_THROW(session.ParseNotification(text), fw::InvalidArgumentError) << text;
        const SkypeContact& bob = *session.ContactAt(1);
        EXPECT_EQ(bob.city, "h") << text;
        EXPECT_EQ(bob.onlineStatus, "s") << text;
        EXPECT_EQ(bob.fullName, "b") << text;
        EXPECT_TRUE(host.posts.empty()) << text;
    }
}

}  // namespace
}  // namespace skype::testing
