// The conversation over the real transport, with the client's replies nested in our sends (as
// the real client did) and deferred until after them: the friends list and its details, calls
// out and in with the exact commands sent, and the partner wait that lets the reply in.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>

#include "core/Messages.h"
#include "framework/CopyData.h"
#include "framework/Handles.h"
#include "framework/Window.h"
#include "tests/skype/SkypeLinkTest.h"

namespace test {
namespace {

std::string Convert(UINT codePage, const std::wstring& text) {
    const int length = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string converted(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), converted.data(),
                        length, nullptr, nullptr);
    return converted;
}
std::string Utf8(const std::wstring& text) {
    return Convert(CP_UTF8, text);
}
std::string Ansi(const std::wstring& text) {
    return Convert(CP_ACP, text);
}

const std::wstring kAliceName = L"Zo\u00EB \u00C5ngstr\u00F6m";
const std::wstring kAliceShort = L"Zo\u00EB";
// 63 UTF-16 units; only 49 fit the decoded name.
const std::wstring kBobName =
    L"Bartholom\u00E4us Maximilian Fitzgerald-Worthington van der Berg III";

class SkypeConversation : public SkypeLinkTest, public ::testing::WithParamInterface<const char*> {
protected:
    // A client in the reply mode of the test, online with the given friends.
    void StartOnline(std::vector<std::string> commands, size_t friends) {
        commands.insert(commands.begin(), std::string("reply ") + GetParam());
        Start(std::move(commands));
        ASSERT_TRUE(rig->WaitSteadyOnline(friends));
    }
    bool WaitForSent(const std::string& text) {
        return rig->Control().WaitForSent(text, 1, kLinkWaitMs);
    }
    // The texts the client took since `from`, the poll's left out.
    Texts TakenSince(size_t from) {
        Texts texts = rig->TakenTexts();
        texts.erase(texts.begin(), texts.begin() + std::min(from, texts.size()));
        return texts;
    }
};

TEST_P(SkypeConversation, TheFriendsListAndEveryFriendsDetailsArrive) {
    StartOnline({"friend alice ONLINE " + Utf8(kAliceName),
                 "user alice DISPLAYNAME " + Utf8(kAliceShort), "friend bob AWAY " + Utf8(kBobName),
                 "friend carol OFFLINE Carol King", "user carol CITY Amsterdam"},
                3);

    Texts queries;
    for (const char* handle : {"alice", "bob", "carol"}) {
        for (const char* property : {"FULLNAME", "DISPLAYNAME", "HANDLE", "BUDDYSTATUS",
                                     "ISAUTHORIZED", "ISBLOCKED", "ONLINESTATUS"}) {
            queries.push_back(std::string("GET USER ") + handle + " " + property);
        }
    }
    EXPECT_EQ(rig->TakenTexts(), queries);

    struct Expected {
        const char* handle;
        std::string fullName;
        std::string displayName;
        const char* onlineStatus;
    } expected[] = {
        {"alice", Ansi(kAliceName), Ansi(kAliceShort), "ONLINE"},
        {"bob", Ansi(kBobName.substr(0, 49)), "", "AWAY"},
        {"carol", "Carol King", "", "OFFLINE"},
    };
    ASSERT_EQ(rig->Api().ContactCount(), 3u);
    for (int32_t i = 0; i < 3; ++i) {
        const Expected& e = expected[i];
        SCOPED_TRACE(e.handle);
        const skype::SkypeContact* contact = rig->Api().ContactAt(i);
        ASSERT_NE(contact, nullptr);
        EXPECT_EQ(contact->handle, e.handle);
        EXPECT_EQ(contact->fullName, e.fullName);
        EXPECT_EQ(contact->displayName, e.displayName);
        EXPECT_EQ(contact->buddyStatus, "3");
        EXPECT_EQ(contact->isAuthorized, "TRUE");
        EXPECT_EQ(contact->isBlocked, "FALSE");
        EXPECT_EQ(contact->onlineStatus, e.onlineStatus);
        // Never asked for: the client has carol's city, the contact keeps its mark.
        EXPECT_EQ(contact->city, "h");
    }

    // One (1, 18) per online status, after the states of attach and going online.
    const Events events = SettledEvents();
    EXPECT_EQ(std::count(events.begin(), events.end(), Ev(msg::EV_SKYPE_CONTACTS)), 3);
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(Events(events.end() - 3, events.end()), Events(3, Ev(msg::EV_SKYPE_CONTACTS)))
        << Describe(events);
}

TEST_P(SkypeConversation, CallsOutAndInSendExactlyTheirCommandsAndFollowTheClient) {
    StartOnline({"next-call-id 41", "friend alice ONLINE Alice", "friend bob ONLINE Bob"}, 2);
    const WindowEvent state = Ev(msg::EV_SKYPE_STATE);
    const WindowEvent partner = Ev(msg::EV_SKYPE_PARTNER);

    // Out: UNPLACED, ROUTING and RINGING come back; RINGING is the far end's while dialling.
    ClearEvents();
    size_t sent = rig->TakenTexts().size();
    ASSERT_TRUE(rig->Api().SendCommand("CALL alice"));
    ASSERT_TRUE(WaitForEvents(2));
    ASSERT_TRUE(WaitForSent("CALL 41 STATUS RINGING"));
    EXPECT_EQ(SettledEvents(), (Events{state, partner}));
    EXPECT_EQ(rig->Api().GetState(), CallState::DIALING);
    EXPECT_EQ(rig->Api().CurrentCall(), "41");
    EXPECT_EQ(rig->Api().GetPartnerHandle(), "alice");

    rig->Control().Command("answer");
    EXPECT_TRUE(WaitForState(CallState::ANSWERING));
    rig->Control().Command("hangup");
    EXPECT_TRUE(WaitForState(CallState::NORMAL));
    EXPECT_EQ(SettledEvents(), (Events{state, partner, state, state}));
    EXPECT_EQ(TakenSince(sent), (Texts{"CALL alice", "GET CALL 41 PARTNER_HANDLE"}));

    // In: answered and ended by the requests call control posts to the window.
    ClearEvents();
    sent = rig->TakenTexts().size();
    EXPECT_EQ(rig->Control().CallIn("bob"), 42u);
    ASSERT_TRUE(WaitForEvents(2));
    EXPECT_EQ(rig->Api().GetState(), CallState::RINGING);
    EXPECT_EQ(rig->Api().GetPartnerHandle(), "bob");

    rig->PostToSkype(msg::EV_SKYPE_ANSWER);
    EXPECT_TRUE(WaitForState(CallState::ANSWERING));
    rig->PostToSkype(msg::EV_SKYPE_HANGUP);
    EXPECT_TRUE(WaitForState(CallState::NORMAL));
    EXPECT_TRUE(WaitForSent("CALL 42 STATUS FINISHED"));
    EXPECT_EQ(SettledEvents(), (Events{state, partner, state, state}));
    EXPECT_EQ(TakenSince(sent),
              (Texts{"GET CALL 42 PARTNER_HANDLE", "SET CALL 42 STATUS INPROGRESS",
                     "SET CALL 42 STATUS FINISHED"}));
}

TEST_P(SkypeConversation, ThePartnerWaitLetsTheClientsTextsInAndLeavesPostsQueued) {
    StartOnline({"friend bob ONLINE Bob"}, 1);
    ClearEvents();
    rig->Control().CallIn("bob");
    // The ringing and the partner's reply are sent to this thread while it waits.
    EXPECT_EQ(rig->Api().GetPartnerHandle(), "bob");
    EXPECT_EQ(rig->Api().GetState(), CallState::RINGING);
    EXPECT_EQ(rig->Host().events, Events{});
    EXPECT_EQ(SettledEvents(), (Events{Ev(msg::EV_SKYPE_STATE), Ev(msg::EV_SKYPE_PARTNER)}));
}

// A window of the test that notes, at each paint, whether every friend's details were in.
class PaintProbe : public fw::Window {
public:
    explicit PaintProbe(std::function<bool()> detailsIn) : detailsIn_(std::move(detailsIn)) {
        Create({L"VoxteloTestPaintProbe", "paint probe", WS_POPUP, WS_EX_NOACTIVATE, {0, 0, 8, 8}});
        ShowWindow(Handle(), SW_SHOWNA);
    }
    std::vector<bool> paints;  // per paint: were all details in?

protected:
    std::optional<LRESULT> OnMessage(UINT message, WPARAM, LPARAM) override {
        if (message != WM_PAINT) {
            return std::nullopt;
        }
        fw::PaintScope paint(Handle());
        paints.push_back(detailsIn_());
        return 0;
    }

private:
    std::function<bool()> detailsIn_;
};

// The friends' details go out a query per slice here; a repaint asked for during the first
// slice is painted before the last detail is in.
TEST_P(SkypeConversation, TheFriendsDetailsLetAWaitingRepaintIn) {
    RigOptions options;
    options.timing.querySlice = std::chrono::milliseconds(0);
    Start({std::string("reply ") + GetParam(), "offline", "friends generate 20"}, options);
    PaintProbe probe([&] { return rig->AllDetailsIn(); });
    ASSERT_TRUE(rig->Wait([&] { return !probe.paints.empty(); }));  // its first showing
    probe.paints.clear();

    const auto route = rig->Host().copyData;
    bool asked = false;
    rig->Host().copyData = [&](HWND sender, const COPYDATASTRUCT* data) {
        if (!asked && fw::CopyDataText(data).rfind("USER ", 0) == 0) {
            asked = true;
            InvalidateRect(probe.Handle(), nullptr, FALSE);
        }
        return route(sender, data);
    };
    rig->Control().Command("online");
    ASSERT_TRUE(rig->WaitSteadyOnline(20));
    rig->Host().copyData = route;
    ASSERT_TRUE(asked);
    ASSERT_FALSE(probe.paints.empty());
    EXPECT_FALSE(probe.paints.front());
}

INSTANTIATE_TEST_SUITE_P(ReplyMode, SkypeConversation, ::testing::Values("nested", "deferred"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

}  // namespace
}  // namespace test
