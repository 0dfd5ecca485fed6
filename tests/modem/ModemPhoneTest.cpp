// ModemPhone hosted the way the main window hosts it, against the simulated voice modem: the
// state it reports, the events it posts, the lines it logs, and its phone book.
#include "modem/ModemPhone.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <memory>

#include "core/Messages.h"
#include "tests/modem/ModemTestSupport.h"

namespace {

using modemtest::CallsOf;
using test::Ev;
using test::PhoneKey;
using test::WindowEvent;

std::string BookPath() {
    return test::TestProgramFolder() + "Bookmark.ini";
}

void WriteBook(const std::string& text) {
    std::ofstream(BookPath(), std::ios::binary | std::ios::trunc) << text;
}

const char kBook[] =
    "[Alice]\r\nPhone_Home=5551234\r\nPhone_Office=222\r\nPhone_Mobile=333\r\n"
    "[Bob]\r\nPhone_Home=333\r\nPhone_Office=\r\nPhone_Mobile=444\r\n"
    "[Carol]\r\nPhone_Home=\r\nPhone_Office=555\r\nPhone_Mobile=111\r\n";

std::string Line(const std::string& text) {
    return "From Modem : " + text + "\n";
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// A lost line is tried again at once, then every 10 ms, with attempts to spare.
constexpr LineRetryPolicy kQuickRetry{10, 100000};

class ModemPhoneTest : public ::testing::Test {
protected:
    void SetUp() override {
        control.ResetConfiguration();
        control.ClearRecord();
        WriteBook(kBook);
        ASSERT_TRUE(log.CreateModeless(nullptr));
        ASSERT_TRUE(host.CreateModeless(nullptr));
        host.modemEvent = [this](int code) { return phone ? phone->OnEvent(code) : LRESULT{1}; };
    }
    void TearDown() override {
        phone.reset();
        DeleteFileA(BookPath().c_str());
    }

    void Start(LineRetryPolicy retry = kQuickRetry) {
        phone.reset();
        phone = std::make_unique<ModemPhone>(host.Handle(), retry);
        if (phone->GetState() != CallState::INIT) {
            Settle();  // a line is open to take the sentinel
        }
    }

    // Handles everything the line has queued so far: waits for the sentinel's log line
    // wherever it falls, then drains the window's queue. The sentinel's own line goes.
    void Settle() {
        control.Inject(modemtest::kSentinelMessage);
        const std::string sentinel = Line("LINE_GENERATE");
        auto at = [&] { return std::find(log.lines.begin(), log.lines.end(), sentinel); };
        ASSERT_TRUE(modemtest::SettleOn([&] { return at() != log.lines.end(); }));
        log.lines.erase(at());
    }
    // A step that ends in a reset: the reset discards whatever the old line still held, a
    // sentinel too, so the step's marker is the UM_PHONE_KEY that the reset posts.
    void SettleOnReset() {
        ASSERT_TRUE(modemtest::SettleOn([&] {
            return std::find(host.events.begin(), host.events.end(), PhoneKey()) !=
                   host.events.end();
        }));
    }
    // A call dialled and connected (the modem connects as soon as dialling is done).
    void StartACall() {
        phone->Dial("5551234");
        Settle();
        ASSERT_EQ(phone->GetState(), CallState::ANSWERING);
    }
    // A step whose marker is a log line of its own.
    void SettleOnLine(const std::string& line) {
        ASSERT_TRUE(modemtest::SettleOn([&] { return Contains(log.lines, line); })) << line;
    }
    std::vector<WindowEvent> TakeEvents() {
        test::PumpPending();
        return std::exchange(host.events, {});
    }
    std::vector<std::string> TakeLog() { return std::exchange(log.lines, {}); }

    simmodem::Control control;
    test::LogCapture log;
    test::BackendHost host;
    std::unique_ptr<ModemPhone> phone;
};

TEST_F(ModemPhoneTest, OpensTheLineAfterLoadingThePhoneBook) {
    Start();
    EXPECT_EQ(phone->GetState(), CallState::NORMAL);
    EXPECT_EQ(TakeEvents(),
              (std::vector<WindowEvent>{Ev(msg::EV_BOOK_LOADED), Ev(msg::EV_MODEM_STATE)}));
    EXPECT_EQ(TakeLog(), std::vector<std::string>{Line("NORMAL")});
    EXPECT_EQ(phone->GetContactCount(), 3);
    ASSERT_NE(phone->GetContact(2), nullptr);
    EXPECT_EQ(phone->GetContact(2)->name, "Carol");
}

TEST_F(ModemPhoneTest, AFailedLineOpenLeavesTheModemInInitAndIsNotRetriedUntilAReset) {
    control.FailNext("lineOpenA", static_cast<int32_t>(LINEERR_RESOURCEUNAVAIL));
    Start();
    EXPECT_EQ(phone->GetState(), CallState::INIT);
    EXPECT_EQ(TakeEvents(), std::vector<WindowEvent>{Ev(msg::EV_BOOK_LOADED)});
    EXPECT_EQ(TakeLog(), std::vector<std::string>{Line("LINEERR_RESOURCEUNAVAIL")});

    phone->Initialize();  // the failed device is kept: no second attempt
    EXPECT_EQ(CallsOf(control, "lineInitializeExA").size(), 1u);

    phone->Reset();
    EXPECT_EQ(phone->GetState(), CallState::NORMAL);
    EXPECT_EQ(TakeEvents(), (std::vector<WindowEvent>{Ev(msg::EV_MODEM_STATE), PhoneKey()}));
}

TEST_F(ModemPhoneTest, AnOutgoingCallDialsConnectsAndHangsUp) {
    control.SetConnectMode(simmodem::ConnectMode::FarEndAnswers);
    Start();
    TakeEvents();
    TakeLog();

    phone->Dial("5551234");
    EXPECT_EQ(phone->GetState(), CallState::DIALING);
    EXPECT_EQ(phone->GetCallerNumber(), "5551234");
    EXPECT_EQ(phone->GetCallerName(), "Alice");
    Settle();
    EXPECT_EQ(TakeEvents(),
              (std::vector<WindowEvent>{Ev(msg::EV_MODEM_STATE), Ev(msg::EV_CALLER_INFO)}));
    EXPECT_EQ(TakeLog(), (std::vector<std::string>{
                             Line("DIALING"), Line("LINE_REPLY"), Line("LINE_CALLSTATE"),
                             Line("LINECALLSTATE_DIALTONE"), Line("LINEDIALTONEMODE_NORMAL"),
                             Line("LINE_CALLSTATE"), Line("LINECALLSTATE_DIALING"),
                             Line("LINE_CALLSTATE"), Line("LINECALLSTATE_PROCEEDING")}));

    control.AnswerAsFarEnd();
    Settle();
    EXPECT_EQ(phone->GetState(), CallState::ANSWERING);
    EXPECT_EQ(TakeEvents(), std::vector<WindowEvent>{Ev(msg::EV_MODEM_STATE)});
    EXPECT_EQ(TakeLog(), (std::vector<std::string>{
                             Line("LINE_CALLSTATE"), Line("LINECALLSTATE_CONNECTED"),
                             Line("LINECONNECTEDMODE_ACTIVE"), Line("ANSWERING"), Line("")}));
    const auto hook = CallsOf(control, "phoneSetHookSwitch");
    ASSERT_EQ(hook.size(), 1u);
    EXPECT_EQ(hook[0].Number("mode"), 8u);

    // The call-end key: a reset drops the call and opens a fresh line.
    const uint64_t mark = control.LastSeq();
    phone->Reset();
    EXPECT_EQ(phone->GetState(), CallState::NORMAL);
    EXPECT_EQ(phone->GetCallerNumber(), "");
    EXPECT_EQ(TakeEvents(), (std::vector<WindowEvent>{Ev(msg::EV_MODEM_STATE), PhoneKey()}));
    EXPECT_EQ(TakeLog(), std::vector<std::string>{Line("NORMAL")});
    EXPECT_TRUE(control.WaitForDrop(0, mark).has_value());
    EXPECT_TRUE(control.WaitForLineOpen(0, mark).has_value());
}

TEST_F(ModemPhoneTest, AnIncomingCallRingsNamesTheCallerIsAnsweredAndEndsRemotely) {
    Start();
    TakeEvents();
    TakeLog();

    control.Ring("5551234");
    Settle();
    EXPECT_EQ(phone->GetState(), CallState::RINGING);
    EXPECT_EQ(phone->GetCallerNumber(), "5551234");
    EXPECT_EQ(phone->GetCallerName(), "Alice");
    EXPECT_EQ(TakeEvents(), (std::vector<WindowEvent>{Ev(msg::EV_MODEM_STATE), Ev(msg::EV_RING),
                                                      Ev(msg::EV_RING), Ev(msg::EV_CALLER_INFO)}));
    EXPECT_EQ(TakeLog(),
              (std::vector<std::string>{
                  Line("LINE_APPNEWCALL"), Line("LINE_CALLSTATE"), Line("LINECALLSTATE_OFFERING"),
                  Line("LINEOFFERINGMODE_ACTIVE"), Line("RINGING"), Line(""),
                  Line("LINE_LINEDEVSTATE"), Line("LINE_CALLINFO"), Line("")}));

    control.Ring();  // every further ring asks the window to ring again
    Settle();
    EXPECT_EQ(TakeEvents(), std::vector<WindowEvent>{Ev(msg::EV_RING)});
    EXPECT_EQ(TakeLog(), std::vector<std::string>{Line("LINE_LINEDEVSTATE")});

    phone->Answer();
    Settle();
    EXPECT_EQ(phone->GetState(), CallState::ANSWERING);
    EXPECT_EQ(TakeEvents(), std::vector<WindowEvent>{Ev(msg::EV_MODEM_STATE)});
    EXPECT_EQ(TakeLog(),
              (std::vector<std::string>{
                  Line("LINE_REPLY"), Line("LINE_CALLSTATE"), Line("LINECALLSTATE_CONNECTED"),
                  Line("LINECONNECTEDMODE_ACTIVE"), Line("ANSWERING"), Line("")}));

    control.HangUp();
    SettleOnReset();
    EXPECT_EQ(phone->GetState(), CallState::NORMAL);
    EXPECT_EQ(phone->GetCallerNumber(), "");
    EXPECT_EQ(TakeEvents(), (std::vector<WindowEvent>{Ev(msg::EV_MODEM_STATE), PhoneKey()}));
    EXPECT_EQ(TakeLog(), (std::vector<std::string>{
                             Line("LINE_CALLSTATE"), Line("LINECALLSTATE_DISCONNECTED"),
                             Line("LINEDISCONNECTMODE_NORMAL"), Line(""), Line("NORMAL")}));
    EXPECT_EQ(phone->TakeStateChanges(),
              (std::vector<CallState>{CallState::NORMAL, CallState::RINGING, CallState::ANSWERING,
                                      CallState::NORMAL}));
}

TEST_F(ModemPhoneTest, AnEmptyCallerIdIsKeptButNotAnnounced) {
    Start();
    TakeEvents();
    TakeLog();
    control.Ring("", "");
    control.Inject(LINE_CALLINFO, LINECALLINFOSTATE_CALLERID);  // information without a number
    Settle();
    EXPECT_EQ(phone->GetCallerNumber(), "");
    EXPECT_EQ(TakeEvents(), (std::vector<WindowEvent>{Ev(msg::EV_MODEM_STATE), Ev(msg::EV_RING),
                                                      Ev(msg::EV_RING)}));
    // The caller-ID code was handled (its empty log line) without an announcement.
    const std::vector<std::string> lines = TakeLog();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], Line("LINE_CALLINFO"));
    EXPECT_EQ(lines.back(), Line(""));
}

TEST_F(ModemPhoneTest, DialAndAnswerFailuresResetToNormal) {
    Start();
    TakeEvents();
    TakeLog();

    control.FailNext("lineMakeCallA", static_cast<int32_t>(LINEERR_CALLUNAVAIL));
    const uint64_t mark = control.LastSeq();
    phone->Dial("5551234");
    EXPECT_EQ(phone->GetState(), CallState::NORMAL);
    EXPECT_EQ(TakeEvents(), std::vector<WindowEvent>{PhoneKey()});  // still NORMAL: no state event
    EXPECT_EQ(TakeLog(), std::vector<std::string>{Line("LINEERR_CALLUNAVAIL")});
    EXPECT_TRUE(control.WaitForShutdown(0, mark).has_value());
    EXPECT_TRUE(control.WaitForLineOpen(0, mark).has_value());

    control.Ring("5551234");
    Settle();
    TakeEvents();
    TakeLog();
    control.FailNext("lineAnswer", static_cast<int32_t>(LINEERR_INVALCALLSTATE));
    phone->Answer();
    EXPECT_EQ(phone->GetState(), CallState::NORMAL);
    EXPECT_EQ(TakeEvents(), (std::vector<WindowEvent>{Ev(msg::EV_MODEM_STATE), PhoneKey()}));
    EXPECT_EQ(TakeLog(),
              (std::vector<std::string>{Line("LINEERR_INVALCALLSTATE"), Line("NORMAL")}));
}

TEST_F(ModemPhoneTest, ASpeakerphoneThatFailsIsLoggedTwiceAndTheCallGoesOn) {
    Start();
    TakeLog();
    control.FailNext("phoneOpen", static_cast<int32_t>(PHONEERR_OPERATIONFAILED));
    phone->Dial("777");
    Settle();
    EXPECT_EQ(phone->GetState(), CallState::DIALING);
    const std::vector<std::string> lines = TakeLog();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], Line("PHONEERR_OPERATIONFAILED"));
    EXPECT_EQ(lines.back(), Line("PHONEERR_OPERATIONFAILED"));
}

TEST_F(ModemPhoneTest, SuspendClosesTheLineKeepingTheStateAndResumeReopensIt) {
    Start();
    StartACall();
    TakeEvents();
    TakeLog();

    const uint64_t mark = control.LastSeq();
    phone->ReleaseDevice();
    EXPECT_FALSE(phone->HasDevice());
    EXPECT_EQ(phone->GetState(), CallState::ANSWERING);
    EXPECT_TRUE(control.WaitForShutdown(0, mark).has_value());

    // Nothing may touch the missing device meanwhile.
    phone->Dial("111");
    phone->Answer();
    phone->OnEvent(msg::MODEM_EV_CONNECTED);
    EXPECT_TRUE(CallsOf(control, "lineMakeCallA").size() == 1u);
    EXPECT_EQ(TakeLog().size(), 3u);  // one line for each, saying so
    EXPECT_TRUE(TakeEvents().empty());

    phone->Initialize();
    EXPECT_TRUE(phone->HasDevice());
    EXPECT_EQ(phone->GetState(), CallState::NORMAL);
    EXPECT_EQ(TakeEvents(), std::vector<WindowEvent>{Ev(msg::EV_MODEM_STATE)});
    EXPECT_EQ(CallsOf(control, "lineOpenA").size(), 2u);
}

TEST_F(ModemPhoneTest, LooksNumbersUpByHomeThenMobileThenOfficeExactly) {
    Start();
    struct Case {
        const char* number;
        const char* name;
    };
    const Case cases[] = {
        {"5551234", "Alice"},  // home
        {"333", "Alice"},      // Alice's mobile comes before Bob's home: file order first
        {"444", "Bob"},        // mobile
        {"555", "Carol"},      // office
        {"111", "Carol"},     {"+5551234", ""},  // no normalisation of any kind
        {"555 1234", ""},     {"5551234 ", ""}, {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(phone->LookupName(c.number), c.name) << "'" << c.number << "'";
    }
}

TEST_F(ModemPhoneTest, ReloadsThePhoneBookOnRequestWithoutALogLine) {
    Start();
    TakeEvents();
    TakeLog();
    WriteBook("[Dave]\r\nPhone_Mobile=999\r\n");
    phone->OnEvent(msg::EV_BOOK_RELOAD);
    EXPECT_EQ(TakeEvents(), std::vector<WindowEvent>{Ev(msg::EV_BOOK_LOADED)});
    EXPECT_TRUE(TakeLog().empty());
    EXPECT_EQ(phone->GetContactCount(), 1);
    EXPECT_EQ(phone->LookupName("999"), "Dave");
    EXPECT_EQ(phone->LookupName("5551234"), "");

    DeleteFileA(BookPath().c_str());  // a missing book is an empty one
    phone->OnEvent(msg::EV_BOOK_RELOAD);
    EXPECT_EQ(phone->GetContactCount(), 0);
}

TEST_F(ModemPhoneTest, LogsEveryCodeItDoesNotActOnByName) {
    Start();
    TakeLog();
    TakeEvents();
    EXPECT_EQ(phone->OnEvent(12345), 1);                       // unknown to the name table
    EXPECT_EQ(phone->OnEvent(msg::MODEM_EV_LINEDEVSTATE), 1);  // not ringing: no ring
    EXPECT_EQ(phone->OnEvent(4111), 1);
    EXPECT_EQ(TakeLog(), (std::vector<std::string>{Line(""), Line("LINE_LINEDEVSTATE"),
                                                   Line("LINEBUSYMODE_TRUNK")}));
    EXPECT_TRUE(TakeEvents().empty());
}

TEST_F(ModemPhoneTest, AConnectedNoticeFromALineSinceResetIsIgnored) {
    control.SetConnectMode(simmodem::ConnectMode::FarEndAnswers);
    Start();
    phone->Dial("5551234");
    Settle();
    TakeEvents();
    TakeLog();

    // The far end picks up as the user hangs up: the line-message thread has posted the
    // connected codes before the reset stops it, so they arrive after the reset.
    control.AnswerAsFarEnd();
    ASSERT_TRUE(control.WaitForMessagesTaken(modemtest::kSettleMs));
    const uint64_t mark = control.LastSeq();
    phone->Reset();
    SettleOnLine(Line("LINECONNECTEDMODE_ACTIVE"));
    EXPECT_EQ(phone->GetState(), CallState::NORMAL);
    EXPECT_EQ(TakeEvents(), (std::vector<WindowEvent>{Ev(msg::EV_MODEM_STATE), PhoneKey()}));
    EXPECT_EQ(TakeLog().back(), Line("connected, but no call is being set up: ignored"));
    EXPECT_TRUE(CallsOf(control, "phoneOpen").empty()) << "the speakerphone stays on-hook";
    EXPECT_FALSE(control.WaitFor("phoneInitializeExA", 0, mark).has_value());
}

TEST_F(ModemPhoneTest, ADialOrAnswerRefusedInItsReplyEndsThatCall) {
    struct Case {
        const char* function;
        std::function<void()> request;
        CallState whileWaiting;
        std::vector<WindowEvent> events;  // from the request on
    };
    const Case cases[] = {
        {"lineMakeCallA",
         [&] { phone->Dial("5551234"); },
         CallState::DIALING,
         {Ev(msg::EV_MODEM_STATE), Ev(msg::EV_CALLER_INFO), Ev(msg::EV_MODEM_STATE), PhoneKey()}},
        {"lineAnswer",
         [&] {
             control.Ring("5551234");
             Settle();
             TakeEvents();
             phone->Answer();
         },
         CallState::RINGING,
         {Ev(msg::EV_MODEM_STATE), PhoneKey()}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.function);
        Start();
        TakeEvents();
        control.FailInReply(c.function, static_cast<int32_t>(LINEERR_OPERATIONFAILED));
        const uint64_t mark = control.LastSeq();
        c.request();
        EXPECT_EQ(phone->GetState(), c.whileWaiting);  // accepted at first
        SettleOnReset();
        EXPECT_EQ(phone->GetState(), CallState::NORMAL);
        EXPECT_EQ(TakeEvents(), c.events);
        EXPECT_TRUE(Contains(TakeLog(), Line("LINEERR_OPERATIONFAILED")));
        EXPECT_TRUE(control.WaitForLineOpen(0, mark).has_value()) << "a fresh line";
    }
}

TEST_F(ModemPhoneTest, ALostLineGoesToInitAndIsOpenedAgain) {
    struct Case {
        const char* what;
        std::function<void()> loseIt;
        bool callUp;
        std::function<void()> bringBack;  // the line stays away until this runs
    };
    const Case cases[] = {
        {"closed by the provider during a call", [&] { control.CloseLine(); }, true, nullptr},
        {"re-initialise notice", [&] { control.Reinit(); }, false, nullptr},
        {"modem unplugged and plugged in again", [&] { control.RemoveLine(); }, false,
         [&] {
             control.SetLineDevices({{simmodem::LineDevice::Kind::Data, 0, ""},
                                     {simmodem::LineDevice::Kind::Voice, 0, ""}});
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Start();
        if (c.callUp) {
            StartACall();
        }
        TakeEvents();
        TakeLog();
        const uint64_t mark = control.LastSeq();
        c.loseIt();
        if (c.bringBack) {
            SettleOnLine(Line("LINEERR_BADDEVICEID"));  // the first attempt finds no modem
            EXPECT_EQ(phone->GetState(), CallState::INIT);
            c.bringBack();
        }
        SettleOnLine(Line("NORMAL"));
        EXPECT_EQ(phone->GetState(), CallState::NORMAL);
        EXPECT_EQ(phone->GetCallerNumber(), "");
        std::vector<WindowEvent> expected = {Ev(msg::EV_MODEM_STATE), Ev(msg::EV_MODEM_STATE)};
        if (c.callUp) {
            expected.push_back(PhoneKey());  // the window comes back, as after any call
        }
        EXPECT_EQ(TakeEvents(), expected);
        const std::vector<std::string> lines = TakeLog();
        EXPECT_TRUE(Contains(lines, Line("the modem line is gone")));
        EXPECT_TRUE(Contains(lines, Line("INIT")));
        const auto shutdown = control.WaitForShutdown(0, mark);
        ASSERT_TRUE(shutdown.has_value());
        EXPECT_TRUE(control.WaitForLineOpen(0, shutdown->seq).has_value());
    }
}

TEST_F(ModemPhoneTest, ADeafLineIsReportedAndTriedOnlyABoundedNumberOfTimes) {
    control.SetEventHandleValid(false);  // every line-message thread ends at once
    phone = std::make_unique<ModemPhone>(host.Handle(), LineRetryPolicy{1, 3});
    SettleOnLine(Line("the modem line stays closed after 3 attempts"));
    EXPECT_EQ(phone->GetState(), CallState::INIT);
    const std::vector<std::string> lines = TakeLog();
    EXPECT_EQ(std::count(lines.begin(), lines.end(),
                         Line("the line-message thread ended: the modem line went deaf")),
              4);
    EXPECT_EQ(CallsOf(control, "lineInitializeExA").size(), 4u) << "the first open and three more";
}

TEST_F(ModemPhoneTest, CallInformationClaimingAHugeSizeIsRefusedAndTheCallRingsOn) {
    control.SetCallInfoNeededSize(0xFFFFFFF0u);
    Start();
    TakeEvents();
    TakeLog();
    control.Ring("5551234");
    Settle();
    EXPECT_EQ(phone->GetState(), CallState::RINGING);
    EXPECT_TRUE(Contains(TakeLog(), Line("call information of 4294967280 bytes refused")));
    const auto fetches = CallsOf(control, "lineGetCallInfoA");
    ASSERT_EQ(fetches.size(), 1u) << "never a second fetch of that size";
    EXPECT_EQ(fetches[0].Number("total"), 1348u);
}

}  // namespace
