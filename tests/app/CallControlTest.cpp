// Call control on the real main window, hosted in the test and driven by the simulated modem
// and the Skype client simulator: the carrier it follows, a second call on the other carrier,
// the phone key and the notice's click in each state, dialling and the window's visibility,
// the LED, the ring, and closing.
#include "app/VoxteloDlg.h"

#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/Messages.h"
#include "modem/ModemPhone.h"
#include "popups/DebugDlg.h"
#include "popups/TaskbarNotifier.h"
#include "res/resource.h"
#include "sim/led/control/LedSimControl.h"
#include "sim/modem/control/SimModemControl.h"
#include "sim/skype/SimProcess.h"
#include "skype/SkypeApi.h"
#include "tests/support/GuiTest.h"
#include "ui/PhoneSkin.h"

namespace {

constexpr DWORD kWaitMs = 15000;

// A wave file of silence (8 kHz, 8 bits, mono): long enough to be still playing when a test
// looks.
void WriteSilence(const std::string& path, uint32_t seconds) {
    const uint32_t bytes = 8000 * seconds;
    const uint32_t header[] = {0x46464952, 36 + bytes, 0x45564157, 0x20746D66, 16,   0x00010001,
                               8000,       8000,       0x00080001, 0x61746164, bytes};
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(header), sizeof(header));  // "RIFF" ... "data"
    file << std::string(bytes, '\x80');
}

DWORD MciStatus(unsigned device, DWORD item) {
    MCI_STATUS_PARMS status{};
    status.dwItem = item;
    mciSendCommandA(device, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&status));
    return static_cast<DWORD>(status.dwReturn);
}

class CallControl : public ::testing::Test {
protected:
    void SetUp() override {
        modem.ResetConfiguration();
        modem.ClearRecord();
        WriteSilence(ringPath, 30);  // the null device plays it in about 8 s
        std::ofstream(bookPath, std::ios::trunc)
            << "[Alice]\nPhone_Home=\nPhone_Office=\nPhone_Mobile=5551234\n";
    }

    void TearDown() override {
        dialog.reset();
        skype.reset();
        modem.ResetConfiguration();  // no line setting left for later programs on the channel
        DeleteFileA(bookPath.c_str());
        DeleteFileA(ringPath.c_str());
    }

    // Started before the window, so that it hears the window's discover.
    void StartSkype() {
        skypesim::SimOptions options;
        options.commands = {"friend bob ONLINE Bob Brown"};
        skype = std::make_unique<skypesim::SimProcess>(options);
    }

    // The window as the modal run creates it, its start-up events still queued.
    void Create(const std::string& ringFile = "") {
        dialog.reset();
        CallControlSettings settings;
        settings.noticeAppearMs = 30;
        settings.noticeHideMs = 30;
        settings.ringPath = ringFile.empty() ? ringPath : ringFile;
        dialog = std::make_unique<CVoxteloDlg>(std::vector<std::string>{"voxtelo.exe"}, settings);
        ASSERT_TRUE(dialog->CreateModeless(nullptr));
    }
    void Start(const std::string& ringFile = "") {
        Create(ringFile);
        test::PumpPending();
    }

    // The client tells the account online with every status text, so the link's poll passes
    // only ping from now on and never reset the state in the middle of a call.
    void BringSkypeOnline() {
        ASSERT_TRUE(Wait([&] { return dialog->Skype()->IsAttached(); }));
        skype->Control().Command("send CURRENTUSERHANDLE voxtelo.user");
        skype->Control().Command("online");
        ASSERT_TRUE(Wait([&] { return dialog->Skype()->GetState() == CallState::NORMAL; }));
        test::PumpPending();
    }

    bool Wait(const std::function<bool()>& done) { return test::WaitUntil(done, kWaitMs); }
    bool WaitForState(CallState state) {
        return Wait([&] { return dialog->DialogState() == state; });
    }
    // The window runs on this thread: it must be pumped while the record is watched.
    bool ModemDid(const std::string& function, uint64_t afterSeq = 0) {
        return Wait([&] {
            for (const simmodem::RecordEntry& entry : modem.Record(afterSeq)) {
                if (entry.function == function) {
                    return true;
                }
            }
            return false;
        });
    }
    bool SkypeTook(const std::string& text) {
        return skype->Control().WaitForReceived(text, 1, kWaitMs);
    }
    void PhoneKey() { PostMessageA(dialog->Handle(), msg::UM_PHONE_KEY, 0, 0); }
    // As the system delivers them: the pointer's move, then the press and release (and a
    // second press for a double click).
    void Click(POINT at, bool twice = false) {
        const LPARAM point = MAKELPARAM(at.x, at.y);
        PostMessageA(dialog->Handle(), WM_MOUSEMOVE, 0, point);
        PostMessageA(dialog->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, point);
        PostMessageA(dialog->Handle(), WM_LBUTTONUP, 0, point);
        if (twice) {
            PostMessageA(dialog->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, point);
            PostMessageA(dialog->Handle(), WM_LBUTTONUP, 0, point);
        }
        test::PumpPending();
    }
    void Key(UINT key) {
        PostMessageA(dialog->Handle(), WM_KEYDOWN, key, 0);
        test::PumpPending();
    }
    void ClickNotice() {
        HWND notice = dialog->Notifier()->Handle();
        PostMessageA(notice, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(70, 60));
        PostMessageA(notice, WM_LBUTTONUP, 0, MAKELPARAM(70, 60));
    }
    bool NoticeUp() const { return dialog->Notifier()->State() != notice::SlideState::Hidden; }

    void ModemRings() {
        modem.Ring("5551234");
        ASSERT_TRUE(WaitForState(CallState::RINGING));
    }
    void ModemCallUp() {
        ModemRings();
        PhoneKey();
        ASSERT_TRUE(WaitForState(CallState::ANSWERING));
    }
    void SkypeRings() {
        callId = std::to_string(skype->Control().CallIn("bob"));
        ASSERT_TRUE(WaitForState(CallState::RINGING));
        ASSERT_EQ(dialog->ActiveCarrier(), Carrier::Skype);
    }
    void SkypeCallUp() {
        SkypeRings();
        PhoneKey();
        ASSERT_TRUE(WaitForState(CallState::ANSWERING));
    }

    std::string DebugText() const {
        test::PumpPending();  // the box takes the lines sent so far in a burst
        return test::DebugLogText(dialog->DebugWindow()->Handle());
    }

    const std::string bookPath = test::TestProgramFolder() + "Bookmark.ini";
    const std::string ringPath = test::TestProgramFolder() + "call_control_ring.wav";
    simmodem::Control modem;
    std::unique_ptr<skypesim::SimProcess> skype;
    std::unique_ptr<CVoxteloDlg> dialog;
    std::string callId;
};

// Lets only sent messages in (the client's attach and texts): posted events stay queued.
bool WaitLettingOnlySentMessagesIn(const std::function<bool()>& done) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > kWaitMs) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return true;
}

// Centres of the carrier keys and the call-start key, in the window's client coordinates.
constexpr POINT kSkypeKey{65, 55};
constexpr POINT kModemKey{172, 55};
constexpr POINT kCallStartKey{91, 504};

int Count(const std::string& text, const std::string& line) {
    int count = 0;
    for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) {
        ++count;
    }
    return count;
}

TEST_F(CallControl, TheModemsOwnNormalTakesTheCarrierAtStartAndAReadySkypeOnlyAnEmptyOne) {
    // Both ready before the window handles its first event: Skype would be preferred, but
    // the modem's own change to NORMAL selects the modem, and Skype does not take it away.
    StartSkype();
    Create();
    ASSERT_TRUE(WaitLettingOnlySentMessagesIn([&] { return dialog->Skype()->IsAttached(); }));
    skype->Control().Command("send CURRENTUSERHANDLE voxtelo.user");
    skype->Control().Command("online");
    ASSERT_TRUE(WaitLettingOnlySentMessagesIn(
        [&] { return dialog->Skype()->GetState() == CallState::NORMAL; }));
    ASSERT_EQ(dialog->DialogState(), CallState::INIT);
    test::PumpPending();
    EXPECT_EQ(dialog->ActiveCarrier(), Carrier::Modem);
    EXPECT_EQ(dialog->DialogState(), CallState::NORMAL);
    EXPECT_EQ(Count(DebugText(), "VOXTELO_DIALOG : NORMAL\n"), 1) << DebugText();

    // Skype leaving the active carrier hands it to the ready modem.
    SkypeRings();
    skype->Control().Command("hangup");
    ASSERT_TRUE(WaitForState(CallState::NORMAL));
    EXPECT_EQ(dialog->ActiveCarrier(), Carrier::Skype);
    skype->Control().Command("offline");
    ASSERT_TRUE(Wait([&] { return dialog->Skype()->GetState() == CallState::INIT; }));
    test::PumpPending();
    EXPECT_EQ(dialog->ActiveCarrier(), Carrier::Modem);
    EXPECT_EQ(dialog->DialogState(), CallState::NORMAL);

    // With the modem's line down, Skype takes the carrier when it comes online and leaves
    // none behind when it goes.
    modem.Configure("lines none");
    Start();
    EXPECT_EQ(dialog->ActiveCarrier(), Carrier::None);
    EXPECT_EQ(dialog->DialogState(), CallState::INIT);
    BringSkypeOnline();
    EXPECT_EQ(dialog->ActiveCarrier(), Carrier::Skype);
    EXPECT_EQ(dialog->DialogState(), CallState::NORMAL);
    skype->Control().Command("offline");
    ASSERT_TRUE(WaitForState(CallState::INIT));
    EXPECT_EQ(dialog->ActiveCarrier(), Carrier::None);
}

TEST_F(CallControl, ASecondCallOnTheOtherCarrierEndsIfSkypeAndRingsBesideIfModem) {
    StartSkype();
    Start();
    BringSkypeOnline();

    // An incoming modem call while a Skype call is up rings and shows its caller, but the
    // window stays with the Skype call. A click on the notice refuses the modem call and,
    // through the phone key it posts, ends the Skype call.
    SkypeCallUp();
    dialog->Notifier()->SetBackground(IDB_NOTICE_CALL);  // as an earlier outgoing call left it
    modem.Ring("5551234");
    ASSERT_TRUE(Wait([&] { return NoticeUp() && !dialog->CallerNumber().empty(); }));
    EXPECT_NE(dialog->RingDevice(), 0u);
    EXPECT_EQ(dialog->Notifier()->Text(), "5551234\nAlice\n");
    // No modem state was followed, yet the notice shows the incoming call's picture.
    EXPECT_EQ(dialog->Notifier()->PictureId(), IDB_NOTICE_INCOMING);
    EXPECT_EQ(dialog->DialogState(), CallState::ANSWERING);
    EXPECT_EQ(dialog->ActiveCarrier(), Carrier::Skype);

    const uint64_t mark = modem.LastSeq();
    ClickNotice();
    EXPECT_TRUE(ModemDid("lineShutdown", mark));  // the modem call is reset
    EXPECT_TRUE(SkypeTook("SET CALL " + callId + " STATUS FINISHED"));
    EXPECT_TRUE(WaitForState(CallState::NORMAL));
    EXPECT_FALSE(NoticeUp());
    EXPECT_TRUE(Wait([&] { return dialog->IsVisible(); }));

    // An incoming Skype call while a modem call is up is refused at once.
    ModemCallUp();
    const std::string refusedId = std::to_string(skype->Control().CallIn("bob"));
    EXPECT_TRUE(SkypeTook("SET CALL " + refusedId + " STATUS FINISHED"));
    test::PumpPending();
    EXPECT_EQ(dialog->DialogState(), CallState::ANSWERING);
    EXPECT_EQ(dialog->ActiveCarrier(), Carrier::Modem);
    modem.HangUp();
    ASSERT_TRUE(WaitForState(CallState::NORMAL));

    // A Skype call whose status the client repeats (or whose state the window reads twice)
    // is the call the window follows, not a second one: incoming, then outgoing.
    for (const char* status : {"RINGING", "ROUTING"}) {
        if (std::string(status) == "RINGING") {
            SkypeRings();
        } else {
            callId = "7001";
            skype->Control().Command("next-call-id " + callId);
            dialog->SetDialString("+5550000");
            dialog->OnCallStart();
            ASSERT_TRUE(WaitForState(CallState::DIALING));
        }
        const std::string query = "GET CALL " + callId + " PARTNER_HANDLE";
        const size_t queries = skype->Control().CountReceived(query);
        skype->Control().Command("send CALL " + callId + " STATUS " + status);
        ASSERT_TRUE(skype->Control().WaitForReceived(query, queries + 1, kWaitMs)) << status;
        test::PumpPending();
        EXPECT_EQ(skype->Control().CountReceived("SET CALL " + callId + " STATUS FINISHED"), 0u)
            << status;
        EXPECT_TRUE(IsCallUp(dialog->DialogState())) << status;
        skype->Control().Command("end FINISHED " + callId);
        ASSERT_TRUE(WaitForState(CallState::NORMAL));
    }
}

// Orders of events that once lost a call: the other carrier's key while a call rings, a modem
// call ringing beside a Skype call that ends, a dial and a second Skype call during a call.
TEST_F(CallControl, EveryCallStaysAnswerableAndEndableWhateverTheOrderOfEvents) {
    StartSkype();
    Start();
    BringSkypeOnline();
    const auto lineOpens = [&](uint64_t after) {
        int opens = 0;
        for (const simmodem::RecordEntry& entry : modem.Record(after)) {
            opens += entry.function == "lineOpenA" ? 1 : 0;
        }
        return opens;
    };

    // The other carrier's key takes nothing from a ringing call: the call-start key answers
    // the call that rings, once.
    uint64_t mark = modem.LastSeq();
    SkypeRings();
    Click(kModemKey);
    Click(kCallStartKey);
    EXPECT_TRUE(SkypeTook("SET CALL " + callId + " STATUS INPROGRESS"));
    ASSERT_TRUE(WaitForState(CallState::ANSWERING));
    skype->Control().Command("hangup");
    ASSERT_TRUE(WaitForState(CallState::NORMAL));
    EXPECT_EQ(lineOpens(mark), 0);
    ModemRings();
    mark = modem.LastSeq();
    Click(kSkypeKey);
    Click(kCallStartKey);
    EXPECT_TRUE(ModemDid("lineAnswer", mark));
    ASSERT_TRUE(WaitForState(CallState::ANSWERING));
    modem.HangUp();
    ASSERT_TRUE(WaitForState(CallState::NORMAL));

    // A modem call that rang beside a Skype call rings on when that call ends, and the phone
    // key answers it.
    SkypeCallUp();
    modem.Ring("5551234");
    ASSERT_TRUE(Wait([&] { return NoticeUp() && !dialog->CallerNumber().empty(); }));
    skype->Control().Command("hangup");
    ASSERT_TRUE(WaitForState(CallState::RINGING));
    EXPECT_EQ(dialog->ActiveCarrier(), Carrier::Modem);
    EXPECT_TRUE(NoticeUp());
    mark = modem.LastSeq();
    PhoneKey();
    EXPECT_TRUE(ModemDid("lineAnswer", mark));
    ASSERT_TRUE(WaitForState(CallState::ANSWERING));
    modem.HangUp();
    ASSERT_TRUE(WaitForState(CallState::NORMAL));

    // A modem caller who gives up beside a Skype call, ringing or up, neither answers it nor
    // ends it.
    for (const char* phase : {" STATUS INPROGRESS", " STATUS FINISHED"}) {
        std::string(phase) == " STATUS FINISHED" ? SkypeCallUp() : SkypeRings();
        const CallState state = dialog->DialogState();
        modem.Ring("5551234");
        ASSERT_TRUE(Wait([&] { return NoticeUp(); }));
        modem.HangUp();
        ASSERT_TRUE(Wait([&] { return !NoticeUp(); }));
        test::PumpPending();
        EXPECT_EQ(dialog->DialogState(), state) << phase;
        EXPECT_EQ(skype->Control().CountReceived("SET CALL " + callId + phase), 0u);
        skype->Control().Command("hangup");
        ASSERT_TRUE(WaitForState(CallState::NORMAL));
    }

    // During a Skype call, neither Enter nor a double click on the partner calls anyone, and a
    // second incoming call is refused by its own id: the phone key still ends the first.
    Click(kSkypeKey);
    ASSERT_TRUE(Wait([&] { return dialog->Skin()->SkypeListHead() != nullptr; }));
    Key(VK_DOWN);
    SkypeCallUp();
    test::PumpPending();
    Key(VK_RETURN);
    const ui::Rect partner = dialog->Skin()->SkypeListHead()->Bounds();
    Click({(partner.left + partner.right) / 2, (partner.top + partner.bottom) / 2}, true);
    const std::string second = std::to_string(skype->Control().CallIn("bob"));
    EXPECT_TRUE(SkypeTook("SET CALL " + second + " STATUS FINISHED"));
    test::PumpPending();
    EXPECT_EQ(skype->Control().CountReceived("CALL bob"), 0u);
    EXPECT_EQ(dialog->DialogState(), CallState::ANSWERING);
    PhoneKey();
    EXPECT_TRUE(SkypeTook("SET CALL " + callId + " STATUS FINISHED"));
    EXPECT_TRUE(WaitForState(CallState::NORMAL));
}

TEST_F(CallControl, ThePhoneKeyAndTheNoticeAnswerWhileRingingAndHangUpDuringACall) {
    StartSkype();
    Start();
    BringSkypeOnline();
    const std::function<void()> phoneKey = [&] { PhoneKey(); };
    const std::function<void()> click = [&] { ClickNotice(); };
    struct Case {
        const char* name;
        const std::function<void()>& action;
    };
    for (const Case& c : {Case{"phone key", phoneKey}, Case{"notice", click}}) {
        SCOPED_TRACE(c.name);
        ModemRings();
        uint64_t mark = modem.LastSeq();
        c.action();
        EXPECT_TRUE(ModemDid("lineAnswer", mark));
        ASSERT_TRUE(WaitForState(CallState::ANSWERING));

        mark = modem.LastSeq();
        c.action();
        EXPECT_TRUE(ModemDid("lineDrop", mark));
        ASSERT_TRUE(WaitForState(CallState::NORMAL));
        EXPECT_FALSE(NoticeUp());
    }

    // An outgoing modem call not yet answered by the far end.
    modem.SetConnectMode(simmodem::ConnectMode::FarEndAnswers);
    dialog->SetDialString("5550000");
    dialog->OnCallStart();
    ASSERT_TRUE(WaitForState(CallState::DIALING));
    uint64_t mark = modem.LastSeq();
    PhoneKey();
    EXPECT_TRUE(ModemDid("lineDrop", mark));
    ASSERT_TRUE(WaitForState(CallState::NORMAL));

    // Skype, ringing and in a call.
    SkypeRings();
    PhoneKey();
    EXPECT_TRUE(SkypeTook("SET CALL " + callId + " STATUS INPROGRESS"));
    ASSERT_TRUE(WaitForState(CallState::ANSWERING));
    PhoneKey();
    EXPECT_TRUE(SkypeTook("SET CALL " + callId + " STATUS FINISHED"));
    ASSERT_TRUE(WaitForState(CallState::NORMAL));
    // The modem's reset after the end is no second press: the client is told once, and the
    // window comes back.
    test::PumpPending();
    EXPECT_FALSE(skype->Control().WaitForReceived("SET CALL " + callId + " STATUS FINISHED", 2, 0));
    EXPECT_TRUE(dialog->IsVisible());

    // Idle: the key only brings the window forward, also with no carrier at all.
    for (const char* lines : {"lines data voice", "lines none"}) {
        modem.Configure(lines);
        skype->Control().Command("offline");
        Start();
        ASSERT_FALSE(dialog->IsVisible());
        PhoneKey();
        test::PumpPending();
        EXPECT_TRUE(dialog->IsVisible()) << lines;
        EXPECT_FALSE(dialog->IsStartHidden()) << lines;
        EXPECT_FALSE(IsCallUp(dialog->DialogState())) << lines;
    }
}

TEST_F(CallControl, PlacingACallHidesTheWindowWhichAModemCallsEndBringsBack) {
    // Over the modem the typed number is dialled as it stands.
    Start();
    PhoneKey();
    test::PumpPending();
    ASSERT_TRUE(dialog->IsVisible());
    dialog->SetDialString("0123");
    dialog->OnCallStart();
    EXPECT_FALSE(dialog->IsVisible());
    const auto dialled = modem.WaitForDial(kWaitMs);
    ASSERT_TRUE(dialled.has_value());
    EXPECT_EQ(dialled->Text("number"), "0123");
    ASSERT_TRUE(WaitForState(CallState::ANSWERING));
    EXPECT_FALSE(dialog->IsVisible());
    modem.HangUp();
    ASSERT_TRUE(WaitForState(CallState::NORMAL));
    EXPECT_TRUE(Wait([&] { return dialog->IsVisible(); }));

    // Skype dials numbers in international form; a call the far end ends leaves the window
    // hidden.
    StartSkype();
    modem.Configure("lines none");
    Start();
    BringSkypeOnline();
    // The carrier follows the back-ends' posts, which may still be on their way.
    ASSERT_TRUE(Wait([&] { return dialog->ActiveCarrier() == Carrier::Skype; }));
    PhoneKey();
    test::PumpPending();
    const struct {
        const char* typed;
        const char* sent;
    } numbers[] = {{"0123", "+0123"}, {"+4420", "+4420"}};
    for (const auto& n : numbers) {
        dialog->SetDialString(n.typed);
        dialog->OnCallStart();
        EXPECT_EQ(dialog->DialString(), n.sent);
        EXPECT_EQ(dialog->CallerNumber(), n.sent);
        EXPECT_FALSE(dialog->IsVisible());
        EXPECT_TRUE(SkypeTook(std::string("CALL ") + n.sent)) << n.typed;
        ASSERT_TRUE(WaitForState(CallState::DIALING));
        skype->Control().Command("hangup");
        ASSERT_TRUE(WaitForState(CallState::NORMAL));
        test::PumpPending();
        EXPECT_FALSE(dialog->IsVisible()) << n.typed;
    }
}

// Through the LED device stand-in, whose record other test programs share.
TEST_F(CallControl, TheLedIsLitExactlyWhileACallIsUpAndAskedOnEverySync) {
    ledsim::Control led;
    uint32_t mark = led.LastSeq();
    // The LED values this process asked for since `mark`.
    auto values = [&] {
        std::vector<uint32_t> asked;
        for (const ledsim::Entry& entry : led.Entries(mark)) {
            if (entry.process == GetCurrentProcessId() && entry.IsPled(entry.value)) {
                asked.push_back(entry.value);
            }
        }
        return asked;
    };
    const std::function<void()> startIdle = [&] { Start(); };
    const std::function<void()> ring = [&] { modem.Ring("5551234"); };
    const std::function<void()> phoneKey = [&] { PhoneKey(); };
    const std::function<void()> hangUp = [&] { modem.HangUp(); };
    const std::function<void()> dial = [&] {
        modem.SetConnectMode(simmodem::ConnectMode::FarEndAnswers);
        dialog->SetDialString("5550000");
        dialog->OnCallStart();
    };
    const std::function<void()> startWithoutLine = [&] {
        modem.Configure("lines none");
        Start();
        // Skype's carrier sync: the window's only event while nothing is ready.
        PostMessageA(dialog->Handle(), msg::UM_INTERNAL, msg::RECIPIENT_SKYPE, msg::EV_SKYPE_SYNC);
    };
    const struct {
        const char* step;
        const std::function<void()>& action;
        CallState state;
    } steps[] = {
        {"start", startIdle, CallState::NORMAL},
        {"ring", ring, CallState::RINGING},
        {"answer", phoneKey, CallState::ANSWERING},
        {"far end hangs up", hangUp, CallState::NORMAL},
        {"dial", dial, CallState::DIALING},
        {"hang up", phoneKey, CallState::NORMAL},
        {"no line", startWithoutLine, CallState::INIT},
    };
    for (const auto& s : steps) {
        mark = led.LastSeq();
        s.action();
        ASSERT_TRUE(WaitForState(s.state)) << s.step;
        ASSERT_TRUE(Wait([&] { return !values().empty(); })) << s.step;
        EXPECT_EQ(values().back(), IsCallUp(s.state) ? 1u : 0u) << s.step;
    }

    // Every carrier sync asks again, the value unchanged.
    mark = led.LastSeq();
    PostMessageA(dialog->Handle(), msg::UM_INTERNAL, msg::RECIPIENT_SKYPE, msg::EV_SKYPE_SYNC);
    ASSERT_TRUE(Wait([&] { return !values().empty(); }));
    test::PumpPending();
    EXPECT_EQ(values(), std::vector<uint32_t>{0});
}

// Closed, or ended without closing (F12), during a call: the LED goes out with the phone.
TEST_F(CallControl, EveryWayOutTurnsALitLedOff) {
    ledsim::Control led;
    const std::function<void()> close = [&] { SendMessageA(dialog->Handle(), WM_CLOSE, 0, 0); };
    const std::function<void()> end = [&] { dialog.reset(); };
    const std::function<void()> logOff = [&] {
        SendMessageA(dialog->Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    };
    for (const auto* way : {&close, &end, &logOff}) {
        Start();
        ModemCallUp();
        const uint32_t mark = led.LastSeq();
        (*way)();
        EXPECT_TRUE(led.WaitForLed(0, mark, kWaitMs, GetCurrentProcessId()).has_value())
            << (way == &close ? "close"
                : way == &end ? "end"
                              : "log off");
        dialog.reset();
        modem.ResetConfiguration();
    }
}

TEST_F(CallControl, EachRingRewindsAndPlaysTheOpenFileAndAMissingFileIsSilent) {
    Start();
    ModemRings();
    ASSERT_TRUE(Wait([&] { return dialog->RingDevice() != 0; }));
    const unsigned device = dialog->RingDevice();
    EXPECT_EQ(MciStatus(device, MCI_STATUS_MODE), static_cast<DWORD>(MCI_MODE_PLAY));

    for (int i = 0; i < 2; ++i) {
        // Wound to its end, the file only plays again if the ring rewinds it.
        MCI_SEEK_PARMS seek{};
        mciSendCommandA(device, MCI_SEEK, MCI_SEEK_TO_END, reinterpret_cast<DWORD_PTR>(&seek));
        ASSERT_NE(MciStatus(device, MCI_STATUS_MODE), static_cast<DWORD>(MCI_MODE_PLAY));
        modem.Ring();
        EXPECT_TRUE(Wait([&] {
            return MciStatus(device, MCI_STATUS_MODE) == static_cast<DWORD>(MCI_MODE_PLAY);
        })) << "ring "
            << i;
        EXPECT_EQ(dialog->RingDevice(), device) << "ring " << i;
    }
    PhoneKey();
    ASSERT_TRUE(WaitForState(CallState::ANSWERING));
    EXPECT_EQ(dialog->RingDevice(), device);  // answering does not stop it

    // No file: no sound and no message; the next ring tries again.
    const std::string missing = test::TestProgramFolder() + "call_control_missing.wav";
    DeleteFileA(missing.c_str());
    test::MessageBoxWatcher boxes;
    modem.HangUp();
    ASSERT_TRUE(WaitForState(CallState::NORMAL));
    Start(missing);
    ModemRings();
    test::PumpPending();
    EXPECT_EQ(dialog->RingDevice(), 0u);
    WriteSilence(missing, 10);
    modem.Ring();
    EXPECT_TRUE(Wait([&] { return dialog->RingDevice() != 0; }));
    EXPECT_TRUE(boxes.Texts().empty());
    dialog.reset();
    DeleteFileA(missing.c_str());
}

// A close inside a message box of a back-end's own handler waits until that handler is done.
TEST_F(CallControl, ACloseInsideANestedLoopWaitsForItAndClosingEndsACallInProgress) {
    Start();
    bool lineOpenInsideBox = false;
    std::thread watcher([&] {
        HWND box = nullptr;
        for (int i = 0; i < 500 && !box; ++i) {
            Sleep(20);
            for (HWND candidate : test::FindDialogWindows("Voxtelo")) {
                // A message box has a text of id 0xFFFF; the phone has none.
                if (IsWindowVisible(candidate) && GetDlgItem(candidate, 0xFFFF)) {
                    box = candidate;
                }
            }
        }
        if (!box) {
            return;
        }
        SendMessageA(dialog->Handle(), WM_CLOSE, 0, 0);  // handled inside the box's loop
        simmodem::Control control;
        for (const simmodem::StatusEntry& row : control.Status()) {
            lineOpenInsideBox = lineOpenInsideBox || row.function == "line";
        }
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    // An unknown request makes the Skype link show a message box from within its handler.
    SendMessageA(dialog->Handle(), msg::UM_INTERNAL, msg::RECIPIENT_SKYPE, 99);
    watcher.join();
    EXPECT_TRUE(lineOpenInsideBox);
    EXPECT_EQ(dialog->Modem(), nullptr);
    EXPECT_EQ(dialog->Skype(), nullptr);
    EXPECT_TRUE(ModemDid("lineShutdown"));

    Start();
    ModemCallUp();
    const uint64_t mark = modem.LastSeq();
    SendMessageA(dialog->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(dialog->Modem(), nullptr);
    EXPECT_TRUE(ModemDid("lineDrop", mark));
    EXPECT_FALSE(NoticeUp());
}

}  // namespace
