// The main window hosted in the test: start-up, the hidden start, the phone key, the debug
// switch, the system menu and closing.
#include "app/VoxteloDlg.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/Messages.h"
#include "modem/ModemPhone.h"
#include "skype/SkypeApi.h"
#include "framework/WindowServices.h"
#include "popups/DebugDlg.h"
#include "res/resource.h"
#include "tests/support/GuiTest.h"

namespace {

class MainWindow : public ::testing::Test {
protected:
    // Created as the modal run would: the template is visible until the first paint.
    void Start(std::vector<std::string> arguments) {
        dialog = std::make_unique<CVoxteloDlg>(std::move(arguments));
        ASSERT_TRUE(dialog->CreateModeless(nullptr));
        dialog->Show(SW_SHOWNORMAL);
        test::PumpPending();
    }

    std::unique_ptr<CVoxteloDlg> dialog;
};

TEST_F(MainWindow, StartsInvisibleAndStaysSoThroughRepaintsUntilThePhoneKey) {
    Start({"voxtelo.exe"});
    EXPECT_EQ(fw::FindDialogWindow("Voxtelo"), dialog->Handle());
    EXPECT_TRUE(GetWindowLongW(dialog->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_FALSE(dialog->IsVisible());
    // The modem's line opened at start and took the carrier.
    EXPECT_EQ(dialog->DialogState(), CallState::NORMAL);
    EXPECT_EQ(dialog->ActiveCarrier(), Carrier::Modem);

    for (int i = 0; i < 3; ++i) {
        dialog->Show(SW_SHOWNA);  // whatever shows it, the next paint hides it again
        PostMessageA(dialog->Handle(), msg::UM_REPAINT, 0, 0);
        SendMessageA(dialog->Handle(), WM_SETFOCUS, 0, 0);
        test::PumpPending();
        EXPECT_FALSE(dialog->IsVisible());
        EXPECT_TRUE(dialog->IsStartHidden());
    }

    PostMessageA(dialog->Handle(), msg::UM_PHONE_KEY, 0, 0);
    test::PumpPending();
    EXPECT_TRUE(dialog->IsVisible());
    EXPECT_FALSE(dialog->IsStartHidden());

    PostMessageA(dialog->Handle(), msg::UM_REPAINT, 0, 0);
    test::PumpPending();
    EXPECT_TRUE(dialog->IsVisible());  // never hidden-at-start again
}

TEST_F(MainWindow, ShowsTheDebugWindowOnlyWithTheDebugSwitch) {
    Start({"voxtelo.exe", "/Debug"});
    ASSERT_NE(dialog->DebugWindow(), nullptr);
    EXPECT_TRUE(dialog->DebugWindow()->IsVisible());
    EXPECT_EQ(GetWindow(dialog->DebugWindow()->Handle(), GW_OWNER), dialog->Handle());

    // Closed by the user, it comes back with the next paint of the shown phone.
    PostMessageA(dialog->Handle(), msg::UM_PHONE_KEY, 0, 0);
    test::PumpPending();
    SendMessageA(dialog->DebugWindow()->Handle(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(dialog->DebugWindow()->IsVisible());
    PostMessageA(dialog->Handle(), msg::UM_REPAINT, 0, 0);
    test::PumpPending();
    EXPECT_TRUE(dialog->DebugWindow()->IsVisible());
}

TEST_F(MainWindow, KeepsTheDebugWindowHiddenWithoutTheSwitch) {
    Start({"voxtelo.exe", "--debug"});
    ASSERT_NE(dialog->DebugWindow(), nullptr);
    EXPECT_FALSE(dialog->IsDebugEnabled());
    EXPECT_FALSE(dialog->DebugWindow()->IsVisible());
    EXPECT_EQ(fw::FindDialogWindow("Debug Window"), dialog->DebugWindow()->Handle());
}

TEST_F(MainWindow, KnowsItsRingFileAndOpensTheLedDevice) {
    Start({"voxtelo.exe"});
    EXPECT_EQ(dialog->RingPath(), test::TestProgramFolder() + "RING.WAV");
    EXPECT_TRUE(dialog->IsLedAvailable());  // the stand-in driver runs in the test prefix
}

TEST_F(MainWindow, SystemCommands16To31OpenTheAboutBoxAndNoOthers) {
    Start({"voxtelo.exe"});
    for (WPARAM id : {15, 16, 17, 31, 32, 0x0F00}) {
        test::DialogWatcher watcher("Voxtelo", {dialog->Handle()});
        SendMessageA(dialog->Handle(), WM_SYSCOMMAND, id, 0);
        const auto seen = watcher.Seen();
        const bool opens = (id & 0xFFF0) == 16;
        ASSERT_EQ(seen.size(), opens ? 1u : 0u) << "id " << id;
        if (opens) {
            EXPECT_EQ(seen[0].owner, dialog->Handle());
            const auto& texts = seen[0].controlTexts;
            EXPECT_NE(std::find(texts.begin(), texts.end(), L"Voxtelo Version 1.0.0.3"),
                      texts.end());
            EXPECT_NE(std::find(texts.begin(), texts.end(), L"\u78BA\u5B9A"), texts.end());
        }
    }
}

TEST_F(MainWindow, TheSystemMenuCarriesTheAboutEntryInChinese) {
    Start({"voxtelo.exe"});
    HMENU menu = GetSystemMenu(dialog->Handle(), FALSE);
    ASSERT_NE(menu, nullptr);
    wchar_t text[64] = {};
    ASSERT_GT(GetMenuStringW(menu, IDM_ABOUTBOX, text, 64, MF_BYCOMMAND), 0);
    EXPECT_STREQ(text, L"\u95DC\u65BC Voxtelo(&A)...");
}

// Every notice is granted (a refused suspend request would keep the notebook awake), and only
// the suspend notices ask the Skype client to end its call.
TEST_F(MainWindow, PowerNoticesAreGrantedAndOnlySuspendsHangUpSkype) {
    Start({"voxtelo.exe"});
    struct Case {
        WPARAM event;
        bool hangUp;
    } cases[] = {
        {PBT_APMQUERYSUSPEND, true},       {PBT_APMSUSPEND, true},
        {PBT_APMBATTERYLOW, true},         {PBT_APMQUERYSUSPENDFAILED, false},
        {PBT_APMRESUMECRITICAL, false},    {PBT_APMRESUMESUSPEND, false},
        {PBT_APMPOWERSTATUSCHANGE, false}, {PBT_APMRESUMEAUTOMATIC, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.event);
        test::PumpPending();
        EXPECT_EQ(SendMessageA(dialog->Handle(), WM_POWERBROADCAST, c.event, 0), TRUE);
        bool hangUp = false;
        MSG queued;
        while (PeekMessageA(&queued, dialog->Handle(), msg::UM_INTERNAL, msg::UM_INTERNAL,
                            PM_REMOVE)) {
            hangUp = hangUp || (queued.wParam == msg::RECIPIENT_SKYPE &&
                                queued.lParam == msg::EV_SKYPE_HANGUP);
            DispatchMessageA(&queued);
        }
        EXPECT_EQ(hangUp, c.hangUp);
    }
}

// Once the lines sent so far are in: the box takes them in a burst.
std::string DebugText(const CVoxteloDlg& dialog) {
    test::PumpPending();
    return test::DebugLogText(dialog.DebugWindow()->Handle());
}

TEST_F(MainWindow, StartsBothBackEndsAndHandsThemTheirEvents) {
    Start({"voxtelo.exe"});
    ASSERT_NE(dialog->Skype(), nullptr);
    ASSERT_NE(dialog->Modem(), nullptr);
    EXPECT_EQ(dialog->Modem()->GetState(), CallState::NORMAL);
    const std::string started = "From Modem : NORMAL\n\nVOXTELO_DIALOG : NORMAL\n\n";
    EXPECT_EQ(DebugText(*dialog), started);

    // Recipient 3 goes to the modem, which logs a code it does not know with no name.
    PostMessageA(dialog->Handle(), msg::UM_INTERNAL, msg::RECIPIENT_MODEM, 12345);
    test::PumpPending();
    EXPECT_EQ(DebugText(*dialog), started + "From Modem : \n\n");
}

TEST_F(MainWindow, AnUnknownRecipientIsReportedAndDropped) {
    Start({"voxtelo.exe"});
    test::MessageBoxWatcher watcher;
    EXPECT_EQ(SendMessageA(dialog->Handle(), msg::UM_INTERNAL, 9, msg::EV_RING), 1);
    EXPECT_EQ(watcher.Texts(), std::vector<std::string>{
                                   "#03 Unknown UM_INTERNAL--wParam in UM_INTERNAL in VoxteloDlg"});
}

TEST_F(MainWindow, LogsEveryTextFromSkypeButTheKeepAliveAnswer) {
    Start({"voxtelo.exe"});
    const std::string before = DebugText(*dialog);
    for (const char* text : {"PONG", "PONGS", "CONNSTATUS ONLINE"}) {
        COPYDATASTRUCT data{0, static_cast<DWORD>(strlen(text) + 1), const_cast<char*>(text)};
        // From a window that is not the attached client: refused, the link dropped.
        EXPECT_EQ(SendMessageA(dialog->Handle(), WM_COPYDATA,
                               reinterpret_cast<WPARAM>(dialog->DebugWindow()->Handle()),
                               reinterpret_cast<LPARAM>(&data)),
                  0);
    }
    EXPECT_EQ(DebugText(*dialog), before + "PONGS\nCONNSTATUS ONLINE\n");
}

TEST_F(MainWindow, SuspendClosesTheModemLineUntilAResumeOrACancelledSuspend) {
    Start({"voxtelo.exe"});
    for (WPARAM suspend : {PBT_APMQUERYSUSPEND, PBT_APMSUSPEND, PBT_APMBATTERYLOW}) {
        SendMessageA(dialog->Handle(), WM_POWERBROADCAST, suspend, 0);
        EXPECT_FALSE(dialog->Modem()->HasDevice()) << suspend;
        SendMessageA(dialog->Handle(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
        EXPECT_TRUE(dialog->Modem()->HasDevice()) << suspend;
    }
    for (WPARAM back : {PBT_APMRESUMECRITICAL, PBT_APMRESUMESUSPEND, PBT_APMQUERYSUSPENDFAILED}) {
        SendMessageA(dialog->Handle(), WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0);
        SendMessageA(dialog->Handle(), WM_POWERBROADCAST, back, 0);
        EXPECT_TRUE(dialog->Modem()->HasDevice()) << back;
    }

    // With the line closed no call can start: the phone stays on screen, ready.
    SendMessageA(dialog->Handle(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    PostMessageA(dialog->Handle(), msg::UM_PHONE_KEY, 0, 0);
    test::PumpPending();
    dialog->SetDialString("5551234");
    dialog->OnCallStart();
    test::PumpPending();
    EXPECT_TRUE(dialog->IsVisible());
    EXPECT_EQ(dialog->DialogState(), CallState::NORMAL);
}

TEST_F(MainWindow, ClosingEndsTheBackEnds) {
    Start({"voxtelo.exe"});
    SendMessageA(dialog->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(dialog->Skype(), nullptr);
    EXPECT_EQ(dialog->Modem(), nullptr);
}

TEST_F(MainWindow, TheDebugWindowEndsWithTheMainWindow) {
    Start({"voxtelo.exe"});
    HWND debug = dialog->DebugWindow()->Handle();
    dialog.reset();
    EXPECT_FALSE(IsWindow(debug));
    EXPECT_EQ(fw::FindDialogWindow("Debug Window"), nullptr);
}

}  // namespace
