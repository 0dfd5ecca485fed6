// The real voxtelo.exe, driven from outside over its public surfaces: found by class and
// title, invisible until the phone key, the debug window, the about box, the quit, a flood of
// posts from another program, and a phone book that a start and a close leave as it was.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Messages.h"
#include "framework/WindowServices.h"
#include "tests/phonebook/BookFolder.h"
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

// Any program may post UM_INTERNAL. Each unknown recipient is reported, but a box's own loop
// handles the next post: a box each would nest until the stack runs out.
TEST_F(RunningProgram, AFloodOfUnknownRecipientsOpensOneBoxAndThePhoneGoesOnUnderIt) {
    Launch("");
    for (int i = 0; i < 1000; ++i) {
        ASSERT_TRUE(PostMessageA(main, msg::UM_INTERNAL, 9, i));
    }
    PostMessageA(main, msg::UM_PHONE_KEY, 0, 0);  // after all of them: the phone comes forward
    ASSERT_TRUE(test::WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 20000));
    const std::vector<HWND> windows = test::FindDialogWindows("Voxtelo");  // the phone, one box
    EXPECT_EQ(windows.size(), 2u);
    // Logged all the same; two more, in case the first empties the full log.
    PostMessageA(main, msg::UM_INTERNAL, 9, 0);
    PostMessageA(main, msg::UM_INTERNAL, 9, 0);
    HWND debug = test::DialogOfProcess("Debug Window", program->ProcessId());
    EXPECT_TRUE(test::WaitUntil([&] {
        return test::DebugLogText(debug).find("#03 Unknown UM_INTERNAL") != std::string::npos;
    }));
    PostMessageA(windows.front() == main ? windows.back() : windows.front(), WM_COMMAND, IDOK, 0);
}

// Reading never writes: the profile functions would save the whole file again, without its
// blank lines and spacing, and cut each line at a zero byte.
TEST_F(RunningProgram, AStartAndACloseLeaveThePhoneBookByteForByte) {
    const std::string path = test::TestProgramFolder() + "Bookmark.ini";
    const char kBook[] =
        "; family\r\n\r\n[Alice]\r\nPhone_Home = 1 \r\n\r\n# keep\r\n"
        "[Carol\0 Hidden]\r\nPhone_Mobile=2\0 3\r\n\r\n[Dan]\n\tPhone_Office=4\n";
    const std::string book(kBook, sizeof kBook - 1);
    booktest::WriteBytes(path, book);
    Launch("");
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program->WaitForExit(10000));
    EXPECT_EQ(booktest::ReadBytes(path), book);
    DeleteFileA(path.c_str());
}

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
