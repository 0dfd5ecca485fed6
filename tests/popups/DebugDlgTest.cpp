// The Debug Window as the log's receiver: what each record appends, the 200-line clear,
// hidden accumulation, texts longer than one record, and the log kept inside its own process
// while another program runs beside it.
#include "popups/DebugDlg.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "core/DebugLog.h"
#include "core/Messages.h"
#include "framework/WindowServices.h"
#include "framework/Controls.h"
#include "framework/Window.h"
#include "res/resource.h"
#include "tests/support/GuiTest.h"

namespace {

class DebugWindow : public ::testing::Test {
protected:
    void SetUp() override {
        dialog = fw::Dialog::CreateSelfOwned(std::make_unique<CDebugDlg>(), nullptr);
        ASSERT_NE(dialog, nullptr);
        box.Attach(dialog->Handle(), IDC_DEBUG_TEXT);
    }
    void TearDown() override {
        if (dialog) {
            DestroyWindow(dialog->Handle());
        }
    }

    LRESULT SendRecord(const char* data, DWORD cbData) {
        return SendDebugRecord(COPYDATASTRUCT{0, cbData, const_cast<char*>(data)});
    }
    // The box once the lines sent so far are in: it takes each burst at once.
    std::string Text() {
        test::PumpPending();
        return box.GetText();
    }

    CDebugDlg* dialog = nullptr;
    fw::MultiLineEdit box;
};

TEST_F(DebugWindow, IsADialogTitledDebugWindowCreatedHidden) {
    EXPECT_EQ(fw::FindDialogWindow("Debug Window"), dialog->Handle());
    EXPECT_FALSE(dialog->IsVisible());
}

TEST_F(DebugWindow, EachRecordAppendsItsTextAndOneLineFeed) {
    EXPECT_EQ(SendRecord("From Modem : NORMAL\n", 21), 1);
    EXPECT_EQ(SendRecord("CONNSTATUS ONLINE", 18), 1);
    // Windows' edit control breaks lines only at CR LF.
    EXPECT_EQ(Text(), "From Modem : NORMAL\r\n\r\nCONNSTATUS ONLINE\r\n");
}

TEST_F(DebugWindow, TakesNoMoreThanCbDataBytes) {
    SendRecord("PONGS and more", 5);
    SendRecord("AB\0CD", 5);  // and stops at a zero inside
    EXPECT_EQ(Text(), "PONGS\r\nAB\r\n");
}

TEST_F(DebugWindow, TheLineThatExceeds200LinesEmptiesTheBox) {
    for (int i = 0; i < 199; ++i) {
        SendRecord("line", 5);
    }
    Text();
    // 199 lines and an empty last one: 200 lines, not more.
    EXPECT_EQ(box.GetLineCount(), 200);
    SendRecord("line 200", 9);
    EXPECT_EQ(Text(), "");  // the new line went with the rest
    SendRecord("fresh", 6);
    EXPECT_EQ(Text(), "fresh\r\n");
}

TEST_F(DebugWindow, TypedTextCountsTowardsTheLimit) {
    box.SetText(std::string(199, '\n'));  // 200 lines, as if typed
    SendRecord("x", 2);
    EXPECT_EQ(Text(), "");
}

// A burst goes in at once, each line counted as if it had come alone: the 200th empties the
// box, and so does the 400th.
TEST_F(DebugWindow, ABurstIsAppendedWholeWhenItIsOver) {
    std::string last;
    for (int i = 1; i <= 450; ++i) {
        const std::string line = std::to_string(i);
        SendRecord(line.c_str(), static_cast<DWORD>(line.size() + 1));
        last += i > 400 ? line + "\r\n" : "";
    }
    EXPECT_EQ(box.GetTextLength(), 0);
    EXPECT_EQ(Text(), last);
}

TEST_F(DebugWindow, AppendsAtTheRealEndBeyond65535Characters) {
    const std::string wide(999, 'w');
    for (int i = 0; i < 70; ++i) {  // 70 000 characters in 70 lines
        SendRecord(wide.c_str(), 1000);
    }
    SendRecord("last", 5);
    const std::string text = Text();
    ASSERT_GT(text.size(), 70000u);
    EXPECT_EQ(text.substr(text.size() - 6), "last\r\n");
}

TEST_F(DebugWindow, LinesAccumulateWhileHidden) {
    SendDebugText("one");
    SendDebugText("two");
    EXPECT_FALSE(dialog->IsVisible());
    dialog->Show(SW_SHOWNA);
    EXPECT_EQ(Text(), "one\r\ntwo\r\n");
}

TEST_F(DebugWindow, ALongTextArrivesWholeInPiecesOfAtMost1023Characters) {
    std::string text;
    for (int i = 0; i < 3000; ++i) {
        text += static_cast<char>('a' + i % 26);
    }
    SendDebugText(text);
    const std::string received = Text();
    // Three records: 1023 + 1023 + 954 characters, each with its own line break.
    EXPECT_EQ(received, text.substr(0, 1023) + "\r\n" + text.substr(1023, 1023) + "\r\n" +
                            text.substr(2046) + "\r\n");
}

TEST_F(DebugWindow, AnEmptyTextIsNotSent) {
    SendDebugText("");
    EXPECT_EQ(Text(), "");
}

std::string Hex(const void* pointer) {
    char text[32];
    std::snprintf(text, sizeof text, "%llx",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(pointer)));
    return text;
}

// Another program with a Debug Window of its own, created after ours, so a lookup by title
// alone meets it first.
class PeerWithDebugWindow {
public:
    PeerWithDebugWindow() : process_("debug_text_peer.exe", "window") {
        test::WaitUntil(
            [&] { return (window_ = test::DialogOfProcess("Debug Window", process_.ProcessId())); },
            10000);
    }
    HWND Window() const { return window_; }
    bool Alive() { return !process_.WaitForExit(0); }

private:
    test::ChildProcess process_;
    HWND window_ = nullptr;
};

TEST(DebugLog, ReachesOnlyTheDebugWindowOfItsOwnProcess) {
    for (bool ownWindow : {true, false}) {
        SCOPED_TRACE(ownWindow ? "with a Debug Window of its own" : "without one");
        CDebugDlg* own = ownWindow
                             ? fw::Dialog::CreateSelfOwned(std::make_unique<CDebugDlg>(), nullptr)
                             : nullptr;
        PeerWithDebugWindow peer;
        ASSERT_NE(peer.Window(), nullptr);
        ASSERT_EQ(fw::FindDialogWindow("Debug Window"), peer.Window());

        SendDebugText("for this process only");

        EXPECT_TRUE(peer.Alive());
        EXPECT_EQ(test::DebugLogText(peer.Window()), "");
        if (own) {
            fw::MultiLineEdit box;
            box.Attach(own->Handle(), IDC_DEBUG_TEXT);
            test::PumpPending();
            EXPECT_EQ(box.GetText(), "for this process only\r\n");
            DestroyWindow(own->Handle());
        }
    }
}

// A window of the test whose handler writes a line, as the main window writes the texts the
// Skype client sends it from another program.
class Relay : public fw::Window {
public:
    Relay() { Create({L"VoxteloTestLogRelay", "log relay"}); }

protected:
    std::optional<LRESULT> OnMessage(UINT message, WPARAM, LPARAM) override {
        if (message != WM_APP) {
            return std::nullopt;
        }
        SendDebugText("relayed");
        return 1;
    }
};

// Every writer is on the Debug Window's own thread and sends, also while that thread handles a
// message from elsewhere. A record that another thread sends, or that anyone posts, holds an
// address that means nothing here (or, as with this decoy, something that is not a line).
TEST_F(DebugWindow, TakesOnlyTheRecordsOfItsOwnThreadsWriters) {
    static const char kDecoy[] = "decoy";
    const COPYDATASTRUCT decoy{0, sizeof kDecoy, const_cast<char*>(kDecoy)};
    const std::string address = Hex(&decoy);
    const std::string window = Hex(dialog->Handle());
    Relay relay;
    const auto fromAnotherThread = [&](HWND target, UINT message, LPARAM lParam) {
        std::atomic<bool> sent{false};
        std::thread sender([&] {
            SendMessageA(target, message, 0, lParam);
            sent = true;
        });
        const bool done = test::WaitUntil([&] { return sent.load(); }, 10000);
        sender.join();
        return done;
    };

    struct Case {
        const char* what;
        std::function<bool()> deliver;  // true once the record has been handed over
        std::string text;               // what the box holds afterwards
    } cases[] = {
        {"another program sends it",
         [&] {
             test::ChildProcess peer("debug_text_peer.exe", "send " + window + " " + address);
             DWORD exitCode = 1;
             return test::WaitUntil([&] { return peer.WaitForExit(0, &exitCode); }, 10000) &&
                    exitCode == 0;
         },
         ""},
        {"another program posts it",
         [&] {
             test::ChildProcess peer("debug_text_peer.exe", "post " + window + " " + address);
             DWORD exitCode = 1;
             return peer.WaitForExit(10000, &exitCode) && exitCode == 0;
         },
         ""},
        {"another thread sends it",
         [&] {
             return fromAnotherThread(dialog->Handle(), msg::UM_DEBUG_TEXT,
                                      reinterpret_cast<LPARAM>(&decoy));
         },
         ""},
        {"this thread writes while handling another thread's message",
         [&] { return fromAnotherThread(relay.Handle(), WM_APP, 0); }, "relayed\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        box.SetText("");
        ASSERT_TRUE(c.deliver());
        test::PumpPending();  // a posted record is in the queue by now
        EXPECT_EQ(box.GetText(), c.text);
    }
}

}  // namespace
