// The real voxtelo.exe, driven from outside over its public surfaces: found by class and
// title, invisible until the phone key, the debug window, the about box, and the quit.
#include <windows.h>

#include <gtest/gtest.h>

#include "core/Messages.h"
#include "framework/WindowServices.h"
#include "tests/support/GuiTest.h"

namespace {

class RunningProgram : public ::testing::Test {
protected:
    void Launch(const std::string& arguments) {
        program = std::make_unique<test::ChildProcess>("voxtelo.exe", arguments);
        ASSERT_TRUE(program->Started());
        ASSERT_TRUE(test::WaitUntil(
            [&] {
                return (main = test::DialogOfProcess("Voxtelo", program->ProcessId())) != nullptr;
            },
            15000));
        // The window exists while it is still being set up, before the template shows it:
        // start-up is over once the window has taken the modem's first state.
        ASSERT_TRUE(test::WaitUntil(
            [&] {
                HWND debug = test::DialogOfProcess("Debug Window", program->ProcessId());
                return debug &&
                       test::DebugLogText(debug).find("VOXTELO_DIALOG : ") != std::string::npos;
            },
            15000));
    }

    void TearDown() override {
        if (program && main && IsWindow(main)) {
            PostMessageA(main, WM_CLOSE, 0, 0);
            EXPECT_TRUE(program->WaitForExit(10000));
        }
    }

    std::unique_ptr<test::ChildProcess> program;
    HWND main = nullptr;
};

TEST_F(RunningProgram, StaysInvisibleUntilThePhoneKeyBringsItForward) {
    Launch("debug");
    // The template is visible; the first paint shows the Debug Window and hides the phone.
    HWND debug = test::DialogOfProcess("Debug Window", program->ProcessId());
    ASSERT_NE(debug, nullptr);
    ASSERT_TRUE(test::WaitUntil([&] { return IsWindowVisible(debug) != FALSE; }));
    ASSERT_TRUE(test::WaitUntil([&] { return !IsWindowVisible(main); }));

    for (int i = 0; i < 5; ++i) {
        PostMessageA(main, msg::UM_REPAINT, 0, 0);
        PostMessageA(main, WM_SETFOCUS, 0, 0);
    }
    // Sampled while those repaints are handled: never visible.
    EXPECT_FALSE(test::WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 1000));

    PostMessageA(main, msg::UM_PHONE_KEY, 0, 0);
    EXPECT_TRUE(test::WaitUntil([&] { return IsWindowVisible(main) != FALSE; }));
    PostMessageA(main, msg::UM_REPAINT, 0, 0);
    EXPECT_FALSE(test::WaitUntil([&] { return !IsWindowVisible(main); }, 500));
}

TEST_F(RunningProgram, WithoutTheSwitchTheDebugWindowExistsHidden) {
    Launch("");
    ASSERT_TRUE(test::WaitUntil([&] { return !IsWindowVisible(main); }));
    HWND debug = test::DialogOfProcess("Debug Window", program->ProcessId());
    ASSERT_NE(debug, nullptr);
    EXPECT_FALSE(IsWindowVisible(debug));
}

TEST_F(RunningProgram, TheAboutEntryOfTheSystemMenuOpensTheAboutBox) {
    Launch("");
    test::DialogWatcher watcher("Voxtelo", {main});
    // Sent from here, the command returns once the about box has been closed.
    DWORD_PTR result = 0;
    ASSERT_TRUE(SendMessageTimeoutA(main, WM_SYSCOMMAND, 16, 0, SMTO_NORMAL, 10000, &result));
    const auto seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].owner, main);
}

TEST_F(RunningProgram, AQuitMessageEndsItAtOnce) {
    Launch("");
    ASSERT_TRUE(PostThreadMessageA(program->ThreadId(), WM_QUIT, 0, 0));
    DWORD exitCode = 1;
    EXPECT_TRUE(program->WaitForExit(10000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    main = nullptr;
}

}  // namespace
