// Dialogs from templates: the modal run and its loop, modeless dialogs, OK/Cancel, the
// self-owned lifetime and the exception boundary of the dispatch.
#include "framework/Dialog.h"

#include <gtest/gtest.h>

#include <vector>

#include "framework/Text.h"
#include "tests/framework/test_dialogs.h"
#include "tests/support/GuiTest.h"

namespace {

constexpr UINT kProbe = WM_APP + 1;
constexpr UINT kFaulty = WM_APP + 2;

// A dialog that records what it sees and can script its own modal run from its start.
class ProbeDialog : public fw::Dialog {
public:
    ProbeDialog() : Dialog(IDD_TEST_PLAIN) {}
    ~ProbeDialog() override { ++destroyed; }

    std::vector<UINT> preTranslated;
    std::vector<WPARAM> handled;
    bool visibleDuringInit = true;
    std::vector<std::pair<UINT, WPARAM>> postAtStart;
    bool consumeKeys = true;
    static int destroyed;

    bool PreTranslateMessage(MSG& msg) override {
        if (msg.message == WM_KEYDOWN && consumeKeys) {
            preTranslated.push_back(msg.message);
            return true;
        }
        return Dialog::PreTranslateMessage(msg);
    }

protected:
    bool OnInitDialog() override {
        visibleDuringInit = IsWindowVisible(Handle()) != FALSE;
        for (const auto& [message, wParam] : postAtStart) {
            PostMessageA(Handle(), message, wParam, 0);
        }
        return true;
    }

    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kProbe || message == WM_KEYDOWN) {
            handled.push_back(wParam);
            return 0;
        }
        if (message == kFaulty) {
            handled.push_back(wParam);
            // A word that is not there: the handler must stop right here.
            fw::Mid("CALL", 10);
            handled.push_back(999);
            return 0;
        }
        return Dialog::OnMessage(message, wParam, lParam);
    }
};

int ProbeDialog::destroyed = 0;

TEST(ModalDialog, InitialisesBeforeShowingAndEndsWithTheButtonPressed) {
    ProbeDialog ok;
    ok.postAtStart = {{kProbe, 1}, {WM_COMMAND, IDOK}};
    EXPECT_EQ(ok.RunModal(nullptr), IDOK);
    EXPECT_FALSE(ok.visibleDuringInit);
    EXPECT_EQ(ok.handled, std::vector<WPARAM>{1});
    EXPECT_EQ(ok.Handle(), nullptr);  // destroyed when the run ends

    ProbeDialog cancel;
    cancel.postAtStart = {{WM_COMMAND, IDCANCEL}};
    EXPECT_EQ(cancel.RunModal(nullptr), IDCANCEL);
}

TEST(ModalDialog, PreTranslationSeesMessagesForTheDialogAndItsControlsFirst) {
    ProbeDialog dialog;
    dialog.postAtStart = {{WM_KEYDOWN, VK_RETURN}, {kProbe, 2}, {WM_COMMAND, IDOK}};
    EXPECT_EQ(dialog.RunModal(nullptr), IDOK);
    EXPECT_EQ(dialog.preTranslated, std::vector<UINT>{WM_KEYDOWN});
    EXPECT_EQ(dialog.handled, std::vector<WPARAM>{2});  // the key never reached the handler
}

TEST(ModalDialog, PostedMessagesArriveInPostingOrder) {
    ProbeDialog dialog;
    for (WPARAM i = 0; i < 40; ++i) {
        dialog.postAtStart.push_back({kProbe, i});
    }
    dialog.postAtStart.push_back({WM_COMMAND, IDOK});
    dialog.RunModal(nullptr);
    ASSERT_EQ(dialog.handled.size(), 40u);
    for (WPARAM i = 0; i < 40; ++i) {
        EXPECT_EQ(dialog.handled[i], i);
    }
}

TEST(ModalDialog, AQuitMessageEndsTheRunAndReachesTheOuterLoops) {
    ProbeDialog dialog;
    dialog.postAtStart = {{kProbe, 1}};
    // Posted before the run: the loop meets it after the probe.
    PostQuitMessage(0);
    EXPECT_EQ(dialog.RunModal(nullptr), -1);
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(dialog.Handle(), nullptr);
}

TEST(ModalDialog, DisablesItsOwnerWhileItRuns) {
    ProbeDialog owner;
    ASSERT_TRUE(owner.CreateModeless(nullptr));

    class Child : public ProbeDialog {
    public:
        HWND owner = nullptr;
        bool ownerEnabledDuringRun = true;

    protected:
        bool OnInitDialog() override {
            PostMessageA(Handle(), kProbe, 0, 0);
            return true;
        }
        std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
            if (message == kProbe) {
                ownerEnabledDuringRun = IsWindowEnabled(owner) != FALSE;
                EndModal(IDOK);
                return 0;
            }
            return ProbeDialog::OnMessage(message, wParam, lParam);
        }
    } child;
    child.owner = owner.Handle();
    EXPECT_EQ(child.RunModal(owner.Handle()), IDOK);
    EXPECT_FALSE(child.ownerEnabledDuringRun);
    EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
}

TEST(ModelessDialog, IsCreatedHiddenAndOkAndCancelOnlyHideIt) {
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    EXPECT_FALSE(dialog.IsVisible());

    for (WPARAM button : {IDOK, IDCANCEL}) {
        dialog.Show();
        EXPECT_TRUE(dialog.IsVisible());
        SendMessageA(dialog.Handle(), WM_COMMAND, button, 0);
        EXPECT_FALSE(dialog.IsVisible());
        EXPECT_TRUE(IsWindow(dialog.Handle()));
    }
}

TEST(ModelessDialog, ASelfOwnedDialogEndsWithItsWindowAndWithItsOwner) {
    ProbeDialog owner;
    ASSERT_TRUE(owner.CreateModeless(nullptr));
    const int before = ProbeDialog::destroyed;

    ProbeDialog* first = fw::Dialog::CreateSelfOwned(std::make_unique<ProbeDialog>(), nullptr);
    ASSERT_NE(first, nullptr);
    DestroyWindow(first->Handle());
    EXPECT_EQ(ProbeDialog::destroyed, before + 1);

    ProbeDialog* owned =
        fw::Dialog::CreateSelfOwned(std::make_unique<ProbeDialog>(), owner.Handle());
    ASSERT_NE(owned, nullptr);
    DestroyWindow(owner.Handle());  // takes its owned windows along
    EXPECT_EQ(ProbeDialog::destroyed, before + 2);
}

TEST(Dispatch, AnInvalidArgumentStopsTheHandlerAndIsReportedWithAMessageBox) {
    ProbeDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    std::vector<std::string> reported;
    {
        test::MessageBoxWatcher watcher;
        SendMessageA(dialog.Handle(), kFaulty, 7, 0);
        reported = watcher.Texts();
    }
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0].rfind("Invalid argument: ", 0), 0u) << reported[0];
    EXPECT_EQ(dialog.handled, std::vector<WPARAM>{7});  // stopped before its last statement

    SendMessageA(dialog.Handle(), kProbe, 8, 0);  // and the window goes on working
    EXPECT_EQ(dialog.handled, (std::vector<WPARAM>{7, 8}));
}

}  // namespace
