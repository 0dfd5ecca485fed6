// The real voxtelo.exe beside both simulators and the LED device stand-in, driven with real X
// input: a modem call rings and lights the LED, its notice rises in the work area's corner, a
// click on the notice answers, the far end hangs up, the phone comes back on screen and the
// LED goes out.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "sim/led/control/LedSimControl.h"
#include "sim/modem/control/SimModemControl.h"
#include "sim/skype/SimProcess.h"
#include "tests/e2e/CallNotice.h"
#include "tests/support/GuiTest.h"

namespace {

constexpr char kChannel[] = "e2e_call";
constexpr DWORD kWaitMs = 20000;

using e2e::NoticeOf;

TEST(CallEndToEnd, AModemCallLightsTheLedItsNoticeAnswersAClickAndTheEndBringsThePhoneBack) {
    const std::string book = test::TestProgramFolder() + "Bookmark.ini";
    std::ofstream(book, std::ios::trunc)
        << "[Alice]\nPhone_Home=\nPhone_Office=\nPhone_Mobile=5551234\n";
    simmodem::Control modem(kChannel);
    modem.ResetConfiguration();
    skypesim::SimOptions options;
    options.commands = {"friend bob ONLINE Bob Brown"};
    skypesim::SimProcess skype(options);

    test::ChildProcess program("voxtelo.exe", "", {{"VOXTELO_SIMMODEM_CHANNEL", kChannel}});
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(modem.WaitForLive(kWaitMs));
    ASSERT_TRUE(modem.WaitForLineOpen(kWaitMs).has_value());
    HWND main = nullptr;
    ASSERT_TRUE(test::WaitUntil(
        [&] { return (main = test::DialogOfProcess("Voxtelo", program.ProcessId())); }, kWaitMs));
    ASSERT_TRUE(test::WaitUntil([&] { return !IsWindowVisible(main); }, kWaitMs));

    ledsim::Control led;
    const uint32_t ledMark = led.LastSeq();
    modem.Ring("5551234");
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    HWND notice = nullptr;
    RECT risen{};
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            notice = NoticeOf(program.ProcessId());
            return notice && IsWindowVisible(notice) && GetWindowRect(notice, &risen) &&
                   risen.top == work.bottom - 122;
        },
        kWaitMs));
    EXPECT_EQ(risen.right, work.right);

    const uint64_t mark = modem.LastSeq();
    const int x = (risen.left + risen.right) / 2;
    const int y = (risen.top + risen.bottom) / 2;
    ASSERT_TRUE(test::StartXdotool("mousemove " + std::to_string(x) + " " + std::to_string(y) +
                                   " click 1"));
    EXPECT_TRUE(modem.WaitForAnswer(kWaitMs, mark).has_value());
    const auto on = led.WaitForLed(1, ledMark, kWaitMs, program.ProcessId());
    ASSERT_TRUE(on.has_value());
    SetCursorPos(0, 0);  // out of the way of the notices of the tests to come

    modem.HangUp();
    EXPECT_TRUE(modem.WaitForDrop(kWaitMs, mark).has_value());
    EXPECT_TRUE(test::WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, kWaitMs));
    EXPECT_TRUE(test::WaitUntil([&] { return !IsWindowVisible(notice); }, kWaitMs));
    EXPECT_TRUE(led.WaitForLed(0, on->seq, kWaitMs, program.ProcessId()).has_value());

    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitForExit(10000));
    DeleteFileA(book.c_str());
}

}  // namespace
