// The real voxtelo.exe beside both simulators: two modem rings from a phone-book number that
// nobody answers, then a Skype call while a modem call is up. Calls.txt holds three missed
// calls, the tray icon carries their count, "Recent calls" lists them, and a chosen call waits
// on the display line for the call key, which dials it.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "core/Messages.h"
#include "sim/modem/control/SimModemControl.h"
#include "sim/skype/SimProcess.h"
#include "tests/e2e/PhoneLayout.h"
#include "tests/support/GuiTest.h"
#include "tests/ui/ScreenCapture.h"

namespace {

constexpr char kChannel[] = "e2e_calllog";
constexpr DWORD kWaitMs = 20000;

std::string Point(POINT at) {
    return std::to_string(at.x) + " " + std::to_string(at.y) + " ";
}

// The lines of Calls.txt after its first, without their start times.
std::vector<std::string> LoggedCalls(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::vector<std::string> calls;
    std::string line;
    std::getline(file, line);
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.size() > 20 && line[0] != '#') {
            calls.push_back(line.substr(20));
        }
    }
    return calls;
}

// Pixels of the badge's red in the tray icon as the screen shows it.
int BadgePixels(HWND icon) {
    RECT at{};
    GetWindowRect(icon, &at);
    const ui::PixelBuffer shown = ui::testing::CaptureScreen(at);
    int count = 0;
    for (int y = 0; y < shown.Height(); ++y) {
        for (int x = 0; x < shown.Width(); ++x) {
            const uint32_t p = shown.At(x, y);
            count += ui::RedOf(p) > 180 && ui::GreenOf(p) < 90 && ui::BlueOf(p) < 90 ? 1 : 0;
        }
    }
    return count;
}

TEST(CallLogEndToEnd, MissedCallsAreLoggedCountedListedAndCalledBackFromTheTray) {
    const std::string folder = test::TestProgramFolder();
    const std::string book = folder + "Bookmark.ini";
    const std::string calls = folder + "Calls.txt";
    std::ofstream(book, std::ios::trunc)
        << "[Alice Liddell]\nPhone_Home=5551234\nPhone_Office=\nPhone_Mobile=\n";
    DeleteFileA(calls.c_str());
    simmodem::Control modem(kChannel);
    modem.ResetConfiguration();
    skypesim::SimOptions options;
    options.commands = {"offline", "friend bob ONLINE Bob Brown"};
    skypesim::SimProcess skype(options);

    test::ChildProcess program("voxtelo.exe", "debug", {{"VOXTELO_SIMMODEM_CHANNEL", kChannel}});
    ASSERT_TRUE(program.Started());
    HWND main = nullptr;
    HWND debug = nullptr;
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            main = test::DialogOfProcess("Voxtelo", program.ProcessId());
            debug = test::DialogOfProcess("Debug Window", program.ProcessId());
            return main && debug;
        },
        kWaitMs));
    // Away from the tray's own window, which Wine shows at the screen's corner.
    SetWindowPos(main, nullptr, 400, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(modem.WaitForLineOpen(kWaitMs).has_value());
    ASSERT_TRUE(skype.Control().WaitUntil([&] { return skype.Control().AnyAttached(); }, kWaitMs));
    skype.Control().Command("online");
    // Waits for the `nth` time the Debug Window shows `text`.
    const auto logged = [&](const std::string& text, size_t nth = 1) {
        return test::WaitUntil(
            [&] {
                const std::string log = test::DebugLogText(debug);
                size_t count = 0;
                for (size_t at = log.find(text); at != std::string::npos;
                     at = log.find(text, at + 1)) {
                    ++count;
                }
                return count >= nth;
            },
            kWaitMs);
    };
    ASSERT_TRUE(logged("USER bob FULLNAME Bob Brown"));

    // Twice a caller from the phone book gives up while nobody is there.
    for (size_t missed = 1; missed <= 2; ++missed) {
        modem.Ring("5551234");
        ASSERT_TRUE(logged("VOXTELO_DIALOG : RINGING", missed));
        modem.HangUp();
        ASSERT_TRUE(test::WaitUntil([&] { return LoggedCalls(calls).size() == missed; }, kWaitMs));
    }
    // A Skype call while a modem call is up is ended at once: missed as well.
    uint64_t mark = modem.LastSeq();
    modem.Ring("5551234");
    ASSERT_TRUE(logged("VOXTELO_DIALOG : RINGING", 3));
    PostMessageA(main, msg::UM_PHONE_KEY, 0, 0);
    ASSERT_TRUE(modem.WaitForAnswer(kWaitMs, mark).has_value());
    ASSERT_TRUE(logged("VOXTELO_DIALOG : ANSWERING"));
    skype.Control().CallIn("bob");
    ASSERT_TRUE(test::WaitUntil([&] { return LoggedCalls(calls).size() == 3; }, kWaitMs));
    modem.HangUp();
    ASSERT_TRUE(test::WaitUntil([&] { return LoggedCalls(calls).size() == 4; }, kWaitMs));

    const std::vector<std::string> lines = LoggedCalls(calls);
    EXPECT_EQ(lines[0], "modem\tin\tmissed\t5551234\tAlice Liddell\t0");
    EXPECT_EQ(lines[1], "modem\tin\tmissed\t5551234\tAlice Liddell\t0");
    EXPECT_EQ(lines[2], "skype\tin\tmissed\tbob\tBob Brown\t0");
    EXPECT_EQ(lines[3].substr(0, 40), "modem\tin\tanswered\t5551234\tAlice Liddell\t");

    // The phone came back by itself after each modem call: that is no look at it.
    ASSERT_TRUE(test::WaitForTrayOnScreen());
    const std::vector<HWND> icons = test::TrayIconWindows();
    ASSERT_EQ(icons.size(), 1u);
    EXPECT_TRUE(test::WaitUntil([&] { return BadgePixels(icons[0]) > 12; }, kWaitMs));

    // "Recent calls", the third item of the icon's menu; its first row is the newest call.
    RECT icon{};
    GetWindowRect(icons[0], &icon);
    ASSERT_TRUE(test::RunXdotool("mousemove " + Point({(icon.left + icon.right) / 2,
                                                         (icon.top + icon.bottom) / 2}) +
                                   "click 3"));
    HWND menu = nullptr;
    ASSERT_TRUE(test::WaitUntil(
        [&] { return (menu = test::ShownMenuOfProcess(program.ProcessId())) != nullptr; },
        kWaitMs));
    RECT items{};
    GetWindowRect(menu, &items);
    const int pitch = (items.bottom - items.top - 12) / 5;  // five items and a separator
    ASSERT_TRUE(test::RunXdotool("mousemove " +
                                   Point({items.left + 30, items.top + 8 + 2 * pitch})));
    HWND rows = nullptr;
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            HWND found = nullptr;
            while ((found = FindWindowExA(nullptr, found, "#32768", nullptr)) != nullptr) {
                DWORD owner = 0;
                GetWindowThreadProcessId(found, &owner);
                if (found != menu && owner == program.ProcessId() && IsWindowVisible(found)) {
                    rows = found;
                    return true;
                }
            }
            return false;
        },
        kWaitMs));
    EXPECT_TRUE(test::WaitUntil([&] { return BadgePixels(icons[0]) == 0; }, kWaitMs))
        << "opening Recent calls marks the missed calls seen";
    RECT list{};
    GetWindowRect(rows, &list);
    mark = modem.LastSeq();
    ASSERT_TRUE(test::RunXdotool("mousemove " + Point({list.left + 30, list.top + 8}) +
                                   "click 1"));
    ASSERT_TRUE(test::WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, kWaitMs));
    const auto dials = [&] {
        size_t count = 0;
        for (const simmodem::RecordEntry& entry : modem.Record(mark)) {
            count += entry.function == "lineMakeCallA" ? 1 : 0;
        }
        return count;
    };
    EXPECT_EQ(dials(), 0u) << "a recent call is never dialled";

    // The call key dials the number the display line shows.
    RECT phone{};
    GetWindowRect(main, &phone);
    ASSERT_TRUE(test::RunXdotool(
        "mousemove " +
        Point({phone.left + e2e::kCallStartKey.x, phone.top + e2e::kCallStartKey.y}) +
        "click 1"));
    const auto dialled = modem.WaitForDial(kWaitMs, mark);
    ASSERT_TRUE(dialled.has_value());
    EXPECT_EQ(dialled->Text("number"), "5551234");
    EXPECT_EQ(dials(), 1u);

    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitForExit(10000));
    DeleteFileA(book.c_str());
    DeleteFileA(calls.c_str());
}

}  // namespace
