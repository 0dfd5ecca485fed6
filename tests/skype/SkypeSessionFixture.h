// A session wired to a recording host, with shortcuts into the states the tests start from.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "core/Messages.h"
#include "skype/SkypeSession.h"
#include "tests/skype/FakeSkypeHost.h"

namespace skype::testing {

inline const Post kStatePost{msg::RECIPIENT_WINDOW, msg::EV_SKYPE_STATE};
inline const Post kContactsPost{msg::RECIPIENT_WINDOW, msg::EV_SKYPE_CONTACTS};
inline const Post kPartnerPost{msg::RECIPIENT_WINDOW, msg::EV_SKYPE_PARTNER};
inline const Post kQueryUsersPost{msg::RECIPIENT_SKYPE, msg::EV_SKYPE_QUERY_USERS};

class SkypeSessionFixture : public ::testing::Test {
protected:
    SkypeSessionFixture() { host.Connect(session); }

    // Online with all three status texts known, records cleared.
    void GoOnline() {
        host.Deliver("CONNSTATUS ONLINE");
        host.Deliver("CURRENTUSERHANDLE me");
        host.Deliver("USERSTATUS ONLINE");
        host.ClearRecords();
    }

    void EnterState(CallState state) {
        if (state != CallState::INIT) {
            GoOnline();
        }
        if (state == CallState::DIALING) {
            host.Deliver("CALL 1 STATUS ROUTING");
        } else if (state == CallState::RINGING) {
            host.Deliver("CALL 1 STATUS RINGING");
        } else if (state == CallState::ANSWERING) {
            host.Deliver("CALL 1 STATUS INPROGRESS");
        }
        ASSERT_EQ(session.GetState(), state);
        host.ClearRecords();
    }

    void ListFriends(const std::string& usersText) {
        host.Deliver(usersText);
        host.ClearRecords();
    }

    FakeSkypeHost host;
    // One detail query per slice, so every run of them goes through the continuations.
    SkypeSession session{host, std::chrono::milliseconds(0)};
};

}  // namespace skype::testing
