// The real voxtelo.exe with the simulated voice modem: the line opens at start-up, a remote
// ring with caller ID, the remote hang-up and a line the provider closes, all as its Debug
// Window shows them.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

#include "sim/modem/control/SimModemControl.h"
#include "tests/support/GuiTest.h"

namespace {

constexpr char kChannel[] = "e2e_modem";

// Occurrences of `line` as a whole line of the log.
int Count(const std::string& log, const std::string& line) {
    int count = 0;
    for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) {
        count += (at == 0 || log[at - 1] == '\n') ? 1 : 0;
    }
    return count;
}

TEST(ModemEndToEnd, TheDebugWindowShowsTheLineARemoteRingTheRemoteHangUpAndALostLine) {
    const std::string book = test::TestProgramFolder() + "Bookmark.ini";
    std::ofstream(book, std::ios::trunc)
        << "[Alice]\nPhone_Home=\nPhone_Office=\nPhone_Mobile=5551234\n";
    simmodem::Control control(kChannel);
    control.ResetConfiguration();

    test::ChildProcess program("voxtelo.exe", "debug", {{"VOXTELO_SIMMODEM_CHANNEL", kChannel}});
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(control.WaitForLive(15000));
    HWND debug = nullptr;
    ASSERT_TRUE(test::WaitUntil(
        [&] { return (debug = test::DialogOfProcess("Debug Window", program.ProcessId())); }));
    auto logShows = [&](const std::string& line, int times) {
        return test::WaitUntil([&] { return Count(test::DebugLogText(debug), line) >= times; });
    };
    ASSERT_TRUE(logShows("From Modem : NORMAL\n\n", 1)) << test::DebugLogText(debug);

    control.Ring("5551234");
    EXPECT_TRUE(logShows("From Modem : RINGING\n\n", 1)) << test::DebugLogText(debug);
    EXPECT_TRUE(logShows("From Modem : LINE_CALLINFO\n\n", 1)) << test::DebugLogText(debug);
    EXPECT_TRUE(control.WaitForMessagesTaken(5000));

    control.HangUp();
    EXPECT_TRUE(logShows("From Modem : LINEDISCONNECTMODE_NORMAL\n\n", 1))
        << test::DebugLogText(debug);
    EXPECT_TRUE(logShows("From Modem : NORMAL\n\n", 2)) << test::DebugLogText(debug);
    // The reset dropped the call and opened a fresh line, whatever came after.
    const auto drop = control.WaitForDrop(5000);
    ASSERT_TRUE(drop.has_value());
    const auto reopened = control.WaitForLineOpen(5000, drop->seq);
    ASSERT_TRUE(reopened.has_value());
    EXPECT_TRUE(control.WaitFor("lineSetStatusMessages", 5000, reopened->seq).has_value());

    // The provider takes the line away: the program notices and opens it again.
    control.CloseLine();
    EXPECT_TRUE(logShows("From Modem : the modem line is gone\n\n", 1))
        << test::DebugLogText(debug);
    EXPECT_TRUE(logShows("From Modem : NORMAL\n\n", 3)) << test::DebugLogText(debug);

    HWND main = FindWindowA("#32770", "Voxtelo");
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitForExit(10000));
    DeleteFileA(book.c_str());
}

}  // namespace
