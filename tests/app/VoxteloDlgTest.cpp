// The main window hosted in the test: start-up, the hidden start, the phone key, the debug
// switch, the system menu and closing.
#include "app/VoxteloDlg.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/Messages.h"
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
    EXPECT_EQ(dialog->DialogState(), CallState::INIT);
    EXPECT_EQ(dialog->ActiveCarrier(), Carrier::None);

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

TEST_F(MainWindow, KnowsItsRingFileAndHasNoLedOnThisMachine) {
    Start({"voxtelo.exe"});
    EXPECT_EQ(dialog->RingPath(), test::TestProgramFolder() + "RING.WAV");
    EXPECT_FALSE(dialog->IsLedAvailable());  // no maker's ACPI driver under Wine
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

TEST_F(MainWindow, PowerNoticesAreAlwaysGranted) {
    Start({"voxtelo.exe"});
    for (WPARAM event : {0, 4, 6, 7, 9, 10, 18}) {
        EXPECT_EQ(SendMessageA(dialog->Handle(), WM_POWERBROADCAST, event, 0), TRUE);
    }
}

TEST_F(MainWindow, TheDebugWindowEndsWithTheMainWindow) {
    Start({"voxtelo.exe"});
    HWND debug = dialog->DebugWindow()->Handle();
    dialog.reset();
    EXPECT_FALSE(IsWindow(debug));
    EXPECT_EQ(fw::FindDialogWindow("Debug Window"), nullptr);
}

}  // namespace
