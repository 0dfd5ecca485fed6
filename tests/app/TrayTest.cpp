// The tray icon of the hosted main window, driven with real X input beside the simulated
// modem: a left click is the phone key in every call state and the tooltip follows the call,
// the menu's commands (the phone book only with the modem), the icon back after the task bar
// restarts, and numbers handed over by links.
#include "app/VoxteloDlg.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/TrayIcon.h"
#include "framework/Encoding.h"
#include "framework/Text.h"
#include "phonebook/BookmarkDlg.h"
#include "res/resource.h"
#include "sim/modem/control/SimModemControl.h"
#include "tests/support/GuiTest.h"

namespace {
constexpr DWORD kWaitMs = 15000;

// Picks an item of the next pop-up menu from a thread of its own, since the menu's loop holds
// the test's thread: records every item's text and whether it is greyed out, then clicks the
// item, or, when it is greyed out, beside the menu, which closes it.
class MenuPicker {
public:
    explicit MenuPicker(std::string pick) : pick_(std::move(pick)), thread_([this] { Watch(); }) {}
    ~MenuPicker() {
        stop_ = true;
        thread_.join();
    }

    bool Done() const { return done_; }
    // The items, one a line: the text, " (greyed)" when greyed out, "-" for a separator.
    std::string Items() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return items_;
    }

private:
    void Watch() {
        while (!stop_ && !done_) {
            HWND window = test::ShownMenuOfProcess(GetCurrentProcessId());
            HMENU menu =
                window ? reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0)) : nullptr;
            if (!menu) {
                Sleep(20);
                continue;
            }
            RECT box{};
            GetWindowRect(window, &box);
            POINT at{box.right + 40, box.bottom + 40};
            std::string items;
            for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                char text[64] = {};
                GetMenuStringA(menu, i, text, 64, MF_BYPOSITION);
                UINT state = GetMenuState(menu, i, MF_BYPOSITION);
                // A submenu's item count stands in the high byte.
                state = (state & MF_POPUP) ? (state & 0xFF) : state;
                const bool greyed = (state & MF_GRAYED) != 0;
                items += (state & MF_SEPARATOR) ? std::string("-")
                                                : text + std::string(greyed ? " (greyed)" : "");
                items += "\n";
                RECT rect{};
                if (text == pick_ && !greyed && GetMenuItemRect(nullptr, menu, i, &rect)) {
                    at = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
                }
            }
            {
                std::lock_guard<std::mutex> lock(mutex_);
                items_ = items;
            }
            test::StartXdotool("mousemove " + std::to_string(at.x) + " " + std::to_string(at.y) +
                               " click 1");
            done_ = true;
        }
    }

    std::string pick_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> done_{false};
    mutable std::mutex mutex_;
    std::string items_;
    std::thread thread_;
};

class Tray : public ::testing::Test {
protected:
    void SetUp() override {
        modem.ResetConfiguration();
        modem.ClearRecord();
        std::ofstream(bookPath, std::ios::trunc)
            << "[Alice]\nPhone_Home=\nPhone_Office=\nPhone_Mobile=5551234\n";
        // Other tests' missed calls would lead the tip.
        DeleteFileA(callsPath.c_str());
    }

    void TearDown() override {
        dialog.reset();
        modem.ResetConfiguration();
        DeleteFileA(bookPath.c_str());
        SetCursorPos(0, 0);  // away from the icon, whose tooltip would cover the next one
    }

    // The window as the modal run creates it, with its icon in the tray.
    void Start(std::vector<std::string> arguments = {"voxtelo.exe"}) {
        dialog.reset();
        CallControlSettings settings;
        settings.noticeAppearMs = 30;
        settings.noticeHideMs = 30;
        dialog = std::make_unique<CVoxteloDlg>(std::move(arguments), settings);
        ASSERT_TRUE(dialog->CreateModeless(nullptr));
        // Away from the tray's own window, which Wine shows at the screen's corner.
        SetWindowPos(dialog->Handle(), nullptr, 400, 120, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        test::PumpPending();
        ASSERT_NE(dialog->TrayIcon(), nullptr);
        ASSERT_TRUE(Wait([] { return test::TrayIconWindows().size() == 1; }));
    }

    // A real click of `button` on the icon. Clicks alternate between two points 10 pixels
    // apart, so that the system never pairs two clicks of the test into a double click.
    void Click(int button, const std::string& extra = "") {
        ASSERT_TRUE(test::WaitForTrayOnScreen());
        const std::vector<HWND> icons = test::TrayIconWindows();
        ASSERT_EQ(icons.size(), 1u);
        RECT icon{};
        GetWindowRect(icons[0], &icon);
        const int x = (icon.left + icon.right) / 2 + (clicks++ % 2 ? 5 : -5);
        ASSERT_TRUE(test::StartXdotool("mousemove " + std::to_string(x) + " " +
                                       std::to_string((icon.top + icon.bottom) / 2) + " click " +
                                       extra + std::to_string(button)));
    }

    bool Wait(const std::function<bool()>& done) { return test::WaitUntil(done, kWaitMs); }
    bool WaitForState(CallState state) {
        return Wait([&] { return dialog->DialogState() == state; });
    }
    bool WaitForTip(const std::string& tip) {
        return Wait([&] { return dialog->TrayIcon()->Tip() == fw::Widen(tip); });
    }
    // The window runs on this thread: it must be pumped while the record is watched.
    size_t ModemCalls(const std::string& function, uint64_t afterSeq) const {
        size_t count = 0;
        for (const simmodem::RecordEntry& entry : modem.Record(afterSeq)) {
            count += entry.function == function;
        }
        return count;
    }
    bool ModemDid(const std::string& function, uint64_t afterSeq) {
        return Wait([&] { return ModemCalls(function, afterSeq) > 0; });
    }

    const std::string bookPath = test::TestProgramFolder() + "Bookmark.ini";
    const std::string callsPath = test::TestProgramFolder() + "Calls.txt";
    simmodem::Control modem;
    std::unique_ptr<CVoxteloDlg> dialog;
    int clicks = 0;
};

TEST_F(Tray, ALeftClickIsThePhoneKeyAndTheTipFollowsTheCall) {
    Start();
    ASSERT_TRUE(WaitForTip("Voxtelo - ready (modem)"));
    ASSERT_FALSE(dialog->IsVisible());
    Click(1);
    EXPECT_TRUE(Wait([&] { return dialog->IsVisible() && !dialog->IsStartHidden(); }));

    // Ringing, a click answers; in the call, a click hangs up.
    modem.Ring("5551234");
    ASSERT_TRUE(WaitForState(CallState::RINGING));
    EXPECT_TRUE(WaitForTip("Voxtelo - ringing (modem)\n5551234 Alice"));
    uint64_t mark = modem.LastSeq();
    Click(1);
    EXPECT_TRUE(ModemDid("lineAnswer", mark));
    ASSERT_TRUE(WaitForState(CallState::ANSWERING));
    EXPECT_TRUE(WaitForTip("Voxtelo - in a call (modem)\n5551234 Alice"));
    mark = modem.LastSeq();
    Click(1);
    EXPECT_TRUE(ModemDid("lineDrop", mark));
    ASSERT_TRUE(WaitForState(CallState::NORMAL));
    EXPECT_TRUE(WaitForTip("Voxtelo - ready (modem)"));
}

// Missed calls stay counted on the icon, in its tip and on the phone-book key, through the
// phone's own return after a call and a restart, until the person brings the phone forward.
TEST_F(Tray, MissedCallsAreCountedUntilThePersonBringsThePhoneForward) {
    const std::string& calls = callsPath;
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const std::string today = fw::Format("%04d-%02d-%02d", now.wYear, now.wMonth, now.wDay);
    std::ofstream(calls, std::ios::binary | std::ios::trunc)
        << "# Voxtelo calls 1\r\n"
        << today << " 09:15:00\tmodem\tin\tmissed\t5550100\t\t0\r\n"
        << today << " 10:42:00\tskype\tin\tmissed\tbob\tBob Brown\t0\r\n";
    const auto counted = [&](const std::string& badge, const std::string& tip) {
        return Wait([&] {
            return dialog->TrayIcon()->Badge() == badge &&
                   dialog->TrayIcon()->Tip().rfind(fw::Widen(tip, CP_UTF8), 0) == 0 &&
                   (badge.empty() || dialog->TrayIcon()->ShownIcon() != nullptr);
        });
    };
    Start();
    EXPECT_TRUE(counted("2", "2 missed calls \xE2\x80\x94 Bob Brown, 10:42\nVoxtelo"));

    // A call nobody answers: the phone comes back by itself, and the count goes on.
    modem.Ring("5551234");
    ASSERT_TRUE(WaitForState(CallState::RINGING));
    modem.HangUp();
    ASSERT_TRUE(Wait([&] { return dialog->IsVisible(); }));
    EXPECT_TRUE(counted("3", "3 missed calls \xE2\x80\x94 Alice, "));

    Start();
    EXPECT_TRUE(counted("3", "3 missed calls")) << "the count is kept in the log";
    Click(1);
    EXPECT_TRUE(Wait([&] { return dialog->IsVisible(); }));
    EXPECT_TRUE(counted("", "Voxtelo - ready"));
    dialog.reset();
    std::ifstream kept(calls, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(kept)), {});
    EXPECT_NE(text.find("\tmodem\tin\tmissed\t5551234\tAlice\t0\r\n# seen "), std::string::npos)
        << text;
    kept.close();
    DeleteFileA(calls.c_str());
}

TEST_F(Tray, TheMenuShowsThePhoneItsPhoneBookTheAboutBoxAndQuitsTheCleanWay) {
    const auto menu = [](bool phoneBook) {
        return std::string("Show phone\nPhone book") + (phoneBook ? "" : " (greyed)") +
               "\nRecent calls\nAbout\n-\nQuit\n";
    };
    struct Case {
        const char* pick;
        const char* lines;  // the modem's line devices
        std::function<bool(CVoxteloDlg&)> done;
    };
    const auto bookShown = [](CVoxteloDlg& phone) {
        RECT main{}, book{};
        GetWindowRect(phone.Handle(), &main);
        GetWindowRect(phone.BookmarkDialog()->Handle(), &book);
        return phone.BookmarkDialog()->IsVisible() && book.left == main.left - 50 &&
               book.top == main.top + 50;
    };
    const Case cases[] = {
        {"Show phone", "lines data voice",
         [](CVoxteloDlg& phone) { return phone.IsVisible() && !phone.IsStartHidden(); }},
        {"Phone book", "lines data voice", bookShown},
        // Without the modem's line there is no carrier: the phone book stays shut.
        {"Phone book", "lines none",
         [](CVoxteloDlg& phone) { return !phone.BookmarkDialog()->IsVisible(); }},
        {"About", "lines data voice", nullptr},
        // The clean close ends the back-ends.
        {"Quit", "lines data voice",
         [](CVoxteloDlg& phone) { return phone.Modem() == nullptr && phone.Skype() == nullptr; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lines << " / " << c.pick);
        modem.Configure(c.lines);
        Start();
        const bool modemReady = std::string(c.lines) != "lines none";
        if (modemReady) {
            ASSERT_TRUE(WaitForState(CallState::NORMAL));
        }
        test::DialogWatcher about("Voxtelo", {dialog->Handle()});
        MenuPicker picker(c.pick);
        Click(3);
        ASSERT_TRUE(Wait([&] { return picker.Done(); }));
        EXPECT_EQ(picker.Items(), menu(modemReady));
        if (c.done) {
            EXPECT_TRUE(Wait([&] { return c.done(*dialog); }));
        } else {
            ASSERT_TRUE(Wait([&] { return about.Seen().size() == 1; }));
            EXPECT_EQ(about.Seen()[0].owner, dialog->Handle());
        }
    }
}

TEST_F(Tray, TheIconComesBackWhenTheTaskBarRestarts) {
    Start();
    // The shell forgets the icon, as a task bar that ends does.
    NOTIFYICONDATAW lost{};
    lost.cbSize = sizeof(lost);
    lost.hWnd = dialog->TrayIcon()->Handle();
    lost.uID = CTrayIcon::kIconId;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &lost));
    ASSERT_TRUE(Wait([] { return test::TrayIconWindows().empty(); }));

    SendNotifyMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    ASSERT_TRUE(Wait([] { return test::TrayIconWindows().size() == 1; }));
    Click(1);
    EXPECT_TRUE(Wait([&] { return dialog->IsVisible(); }));
}

// Refused here as a duplicate, as an add that timed out at sign-in and came late would be.
TEST_F(Tray, ARefusedAddIsTriedAgainUntilTheIconIsThere) {
    CTrayIcon icon(IDR_MAINFRAME, {}, TrayAddRetry{10, 5});
    ASSERT_TRUE(icon.Create(nullptr, L"Voxtelo") && icon.IsAdded());
    SendMessageW(icon.Handle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_FALSE(icon.IsAdded());
    EXPECT_TRUE(Wait([&] { return icon.IsAdded(); }));
}

TEST_F(Tray, ANumberHandedOverWaitsOnTheDisplayLineForTheIdlePhoneAndIsNeverDialled) {
    // Started by a link, the phone comes forward with the link's number once it is ready.
    Start({"voxtelo.exe", "tel:+1-555-0100"});
    EXPECT_TRUE(dialog->IsVisible());
    ASSERT_TRUE(WaitForState(CallState::NORMAL));
    EXPECT_TRUE(Wait([&] { return dialog->DialString() == "+15550100"; })) << dialog->DialString();

    HWND tray = CTrayIcon::FindOfProcess(dialog->Handle());
    ASSERT_EQ(tray, dialog->TrayIcon()->Handle());
    // Only plain numbers are taken; what another program hands over is checked again.
    for (const char* refused : {"", "+", "12a4", "1+2", "555 1234", "123456789012345678901234"}) {
        EXPECT_FALSE(CTrayIcon::HandNumber(tray, refused)) << refused;
    }
    test::PumpPending();
    EXPECT_EQ(dialog->DialString(), "+15550100");

    // During a call the number waits; it neither answers nor hangs up, and is never dialled.
    dialog->Hide();
    modem.Ring("5551234");
    ASSERT_TRUE(WaitForState(CallState::RINGING));
    const uint64_t mark = modem.LastSeq();
    ASSERT_TRUE(CTrayIcon::HandNumber(tray, "5550123"));
    EXPECT_TRUE(Wait([&] { return dialog->IsVisible(); }));
    EXPECT_EQ(dialog->DialogState(), CallState::RINGING);
    modem.HangUp();
    ASSERT_TRUE(WaitForState(CallState::NORMAL));
    EXPECT_TRUE(Wait([&] { return dialog->DialString() == "5550123"; }));
    for (const char* function : {"lineAnswer", "lineMakeCall"}) {
        EXPECT_EQ(ModemCalls(function, mark), 0u) << function;
    }
}

}  // namespace
