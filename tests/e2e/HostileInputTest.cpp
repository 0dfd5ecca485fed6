// The real voxtelo.exe against what a foreign or careless program may do to it: a flood of
// posts with an unknown recipient from another process, and a hand-written phone book that a
// start and a close must leave as it was.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/Messages.h"
#include "tests/phonebook/BookFolder.h"
#include "tests/support/GuiTest.h"

namespace {

constexpr DWORD kWaitMs = 20000;

class HostileInput : public ::testing::Test {
protected:
    void Launch() {
        program = std::make_unique<test::ChildProcess>("voxtelo.exe", "");
        ASSERT_TRUE(program->Started());
        // Start-up is over once the window has taken the modem's first state.
        ASSERT_TRUE(test::WaitUntil(
            [&] {
                main = test::DialogOfProcess("Voxtelo", program->ProcessId());
                debug = test::DialogOfProcess("Debug Window", program->ProcessId());
                return main && debug &&
                       test::DebugLogText(debug).find("VOXTELO_DIALOG : ") != std::string::npos;
            },
            kWaitMs));
    }

    // The phone's message boxes: its dialogs with the program's caption, but for the phone.
    std::vector<HWND> Boxes() const {
        std::vector<HWND> boxes;
        for (HWND window : test::FindDialogWindows("Voxtelo")) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (window != main && owner == program->ProcessId()) {
                boxes.push_back(window);
            }
        }
        return boxes;
    }

    void Close() {
        PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_TRUE(program->WaitForExit(10000));
        main = nullptr;
    }

    void TearDown() override {
        if (program && main && IsWindow(main)) {
            for (HWND box : Boxes()) {
                PostMessageA(box, WM_COMMAND, IDOK, 0);
            }
            Close();
        }
    }

    std::unique_ptr<test::ChildProcess> program;
    HWND main = nullptr;
    HWND debug = nullptr;
};

// Each unknown recipient is reported; before, each report's box handled the next post inside
// its own loop, and a thousand of them nested until the stack ran out.
TEST_F(HostileInput, AFloodOfUnknownRecipientsOpensOneBoxAndThePhoneGoesOnUnderIt) {
    Launch();
    constexpr WPARAM kNoRecipient = 9;
    for (int i = 0; i < 1000; ++i) {
        ASSERT_TRUE(PostMessageA(main, msg::UM_INTERNAL, kNoRecipient, i));
    }
    // Handled after all of them: the idle phone comes forward.
    ASSERT_TRUE(PostMessageA(main, msg::UM_PHONE_KEY, 0, 0));
    ASSERT_TRUE(test::WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, kWaitMs));
    EXPECT_EQ(Boxes().size(), 1u);

    // Two more: should the first empty the full log, the second is seen.
    PostMessageA(main, msg::UM_INTERNAL, kNoRecipient, 0);
    PostMessageA(main, msg::UM_INTERNAL, kNoRecipient, 0);
    EXPECT_TRUE(test::WaitUntil([&] {
        return test::DebugLogText(debug).find(
                   "#03 Unknown UM_INTERNAL--wParam in UM_INTERNAL in VoxteloDlg\n") !=
               std::string::npos;
    }));
    EXPECT_EQ(Boxes().size(), 1u);
}

// Reading never writes: the profile functions would save the whole file again, without its
// blank lines and spacing, and cut each line at a zero byte.
TEST_F(HostileInput, AStartAndACloseLeaveThePhoneBookByteForByte) {
    const std::string path = test::TestProgramFolder() + "Bookmark.ini";
    const char kBook[] =
        "; the family\r\n\r\n[Alice]\r\nPhone_Home = 1111 \r\n\r\n# keep\r\n"
        "[Carol\0 Hidden]\r\nPhone_Mobile=22\0 33\r\n\r\n\r\n[Dan]\n\tPhone_Office=4\n";
    const std::string book(kBook, sizeof kBook - 1);
    booktest::WriteBytes(path, book);
    Launch();
    Close();
    EXPECT_EQ(booktest::ReadBytes(path), book);
    DeleteFileA(path.c_str());
}

}  // namespace
