// The real voxtelo.exe in a person's hands: real pointer and key input from xdotool on the
// Xvfb screen, at places computed from the phone's layout. Digits typed on the keypad, the
// held down key, the drag of the whole phone, clicks through its transparent part, and F12.
// One program serves the suite, its tests in this order: F12 ends it in the last.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/Messages.h"
#include "sim/modem/control/SimModemControl.h"
#include "tests/e2e/PhoneLayout.h"
#include "tests/support/GuiTest.h"
#include "tests/ui/ScreenCapture.h"

namespace {

constexpr char kChannel[] = "e2e_input";
constexpr DWORD kWaitMs = 20000;
constexpr int kEntries = 10;
// Where each test puts the phone's top-left corner.
constexpr POINT kPhone{100, 100};

using e2e::ItemPoint;
using e2e::kCallStartKey;
using e2e::kDownKey;
using e2e::KeypadKey;
using e2e::kKeypadKey;
using e2e::kPopupCloseKey;

std::string At(POINT point) {
    return std::to_string(kPhone.x + point.x) + " " + std::to_string(kPhone.y + point.y) + " ";
}

// The item drawn at full strength, of the list on screen: unselected items are dimmed alike,
// so the selected one is the icon unlike the others. -1 when none stands apart.
int SelectedOnScreen() {
    const RECT rect{kPhone.x + 45, kPhone.y + 81, kPhone.x + 61, kPhone.y + 81 + 30 * kEntries};
    const ui::PixelBuffer shot = ui::testing::CaptureScreen(rect);
    std::vector<long> sums(kEntries, 0);
    for (int item = 0; item < kEntries; ++item) {
        for (int y = 30 * item; y < 30 * item + 25; ++y) {
            for (int x = 0; x < 16; ++x) {
                const uint32_t pixel = shot.At(x, y);
                sums[item] += ui::RedOf(pixel) + ui::GreenOf(pixel) + ui::BlueOf(pixel);
            }
        }
    }
    std::vector<long> sorted = sums;
    std::nth_element(sorted.begin(), sorted.begin() + kEntries / 2, sorted.end());
    const long usual = sorted[kEntries / 2];
    int selected = -1;
    for (int item = 0; item < kEntries; ++item) {
        if (std::abs(sums[item] - usual) > 16 * 25 * 20) {
            if (selected >= 0) {
                return -1;
            }
            selected = item;
        }
    }
    return selected;
}

// A plain window beneath `above` that notes the presses it receives.
class Probe {
public:
    Probe(RECT bounds, HWND above) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &Probe::Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        windowClass.lpszClassName = L"VoxteloInputProbe";
        RegisterClassW(&windowClass);
        hwnd_ = CreateWindowExW(WS_EX_NOACTIVATE, windowClass.lpszClassName, L"probe",
                                WS_POPUP | WS_VISIBLE, bounds.left, bounds.top,
                                bounds.right - bounds.left, bounds.bottom - bounds.top, nullptr,
                                nullptr, windowClass.hInstance, nullptr);
        SetWindowPos(above, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        presses_ = 0;
    }
    ~Probe() { DestroyWindow(hwnd_); }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    int Presses() const { return presses_; }

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_LBUTTONDOWN) {
            ++presses_;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    HWND hwnd_ = nullptr;
    static int presses_;
};
int Probe::presses_ = 0;

class PhoneInHand : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::ofstream book(BookPath(), std::ios::trunc);
        for (int i = 0; i < kEntries; ++i) {
            book << "[Entry " << i << "]\nPhone_Home=55500" << i << "\n";
        }
        book.close();
        modem = std::make_unique<simmodem::Control>(kChannel);
        modem->ResetConfiguration();
        program = std::make_unique<test::ChildProcess>(
            "voxtelo.exe", "",
            std::map<std::string, std::string>{{"VOXTELO_SIMMODEM_CHANNEL", kChannel}});
    }

    static void TearDownTestSuite() {
        if (main && IsWindow(main)) {
            PostMessageA(main, WM_CLOSE, 0, 0);
            program->WaitForExit(10000);
        }
        program.reset();
        modem.reset();
        main = nullptr;
        DeleteFileA(BookPath().c_str());
        SetCursorPos(0, 0);
    }

    // The phone on screen at its place.
    void SetUp() override {
        ASSERT_TRUE(program && program->Started());
        ASSERT_TRUE(test::WaitUntil(
            [&] { return main || (main = test::DialogOfProcess("Voxtelo", program->ProcessId())); },
            kWaitMs));
        ASSERT_TRUE(modem->WaitForLineOpen(kWaitMs).has_value());
        PostMessageA(main, msg::UM_PHONE_KEY, 0, 0);
        ASSERT_TRUE(test::WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, kWaitMs));
        SetWindowPos(main, nullptr, kPhone.x, kPhone.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }

    static std::string BookPath() { return test::TestProgramFolder() + "Bookmark.ini"; }

    // The number the modem was asked to dial after `mark`.
    std::string DialledAfter(uint64_t mark) {
        const auto dialled = modem->WaitForDial(kWaitMs, mark);
        return dialled ? dialled->Text("number") : "(nothing dialled)";
    }

    static std::unique_ptr<simmodem::Control> modem;
    static std::unique_ptr<test::ChildProcess> program;
    static HWND main;
};
std::unique_ptr<simmodem::Control> PhoneInHand::modem;
std::unique_ptr<test::ChildProcess> PhoneInHand::program;
HWND PhoneInHand::main = nullptr;

TEST_F(PhoneInHand, HoldingTheDownKeyMovesTheSelectionUntilItIsLetGo) {
    // The keypad folded away, the whole book in view, settled. The first item is selected
    // (its numbers' pop-up closed again) and the down key held.
    ASSERT_TRUE(test::WaitUntil([&] { return SelectedOnScreen() >= 0; }, kWaitMs));
    ASSERT_TRUE(test::StartXdotool("mousemove " + At(ItemPoint(0)) + "click 1 mousemove " +
                                   At(kPopupCloseKey) + "click 1 mousemove " + At(kDownKey) +
                                   "mousedown 1"));
    // What the screen showed from the first item on.
    std::vector<int> seen;
    auto look = [&] {
        const int selected = SelectedOnScreen();
        if (selected >= 0 && (seen.empty() ? selected == 0 : seen.back() != selected)) {
            seen.push_back(selected);
        }
    };
    EXPECT_TRUE(test::WaitUntil(
        [&] {
            look();
            return !seen.empty() && seen.back() >= 3;
        },
        kWaitMs));
    ASSERT_TRUE(test::StartXdotool("mouseup 1"));
    EXPECT_TRUE(test::WaitUntil(
        [&] {
            look();
            return (GetAsyncKeyState(VK_LBUTTON) & 0x8000) == 0;
        },
        kWaitMs));

    // Enter dials the selected entry's number: the selection the screen showed last.
    const uint64_t mark = modem->LastSeq();
    ASSERT_TRUE(test::StartXdotool("key Return"));
    std::string dialled;
    EXPECT_TRUE(test::WaitUntil(
        [&] {
            look();
            for (const simmodem::RecordEntry& entry : modem->Record(mark)) {
                if (entry.function == "lineMakeCallA") {
                    dialled = entry.Text("number");
                }
            }
            return !dialled.empty();
        },
        kWaitMs));
    std::vector<int> inOrder(seen.size());
    for (size_t i = 0; i < inOrder.size(); ++i) {
        inOrder[i] = static_cast<int>(i);
    }
    EXPECT_EQ(seen, inOrder) << "one item at a time, downwards";
    EXPECT_GE(seen.size(), 3u) << "moved more than once";
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(dialled, "55500" + std::to_string(seen.back()));

    modem->HangUp();
    EXPECT_TRUE(test::WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, kWaitMs));
}

TEST_F(PhoneInHand, APressOnAnEmptyPartOfTheSkinDragsThePhone) {
    const POINT press = e2e::kTitleBand;
    const POINT to{press.x + 60, press.y + 40};
    ASSERT_TRUE(test::StartXdotool("mousemove " + At(press) + "mousedown 1 sleep 0.2 mousemove " +
                                   At({press.x + 30, press.y + 20}) + "sleep 0.1 mousemove " +
                                   At(to) + "sleep 0.2 mouseup 1"));
    RECT moved{};
    EXPECT_TRUE(test::WaitUntil(
        [&] {
            // Over once the system's move has ended, at the place the pointer left it.
            GUITHREADINFO thread{};
            thread.cbSize = sizeof(thread);
            GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &thread);
            GetWindowRect(main, &moved);
            return !(thread.flags & GUI_INMOVESIZE) && thread.hwndCapture == nullptr &&
                   moved.left == kPhone.x + 60 && moved.top == kPhone.y + 40;
        },
        kWaitMs))
        << moved.left << ", " << moved.top;
}

TEST_F(PhoneInHand, ClicksOnFullyTransparentPixelsReachTheWindowBeneath) {
    // Right of the phone's body, with the pop-up closed, the canvas is fully transparent.
    Probe beneath(RECT{kPhone.x + 250, kPhone.y + 150, kPhone.x + 350, kPhone.y + 350}, main);
    const POINT click{300, 250};
    const RECT spot{kPhone.x + click.x, kPhone.y + click.y, kPhone.x + click.x + 1,
                    kPhone.y + click.y + 1};
    ASSERT_TRUE(test::WaitUntil(
        [&] { return ui::testing::CaptureScreen(spot).At(0, 0) == 0xFFFFFFFF; }, kWaitMs))
        << "the window beneath shows through";
    ASSERT_TRUE(test::StartXdotool("mousemove " + At(click) + "click 1"));
    EXPECT_TRUE(test::WaitUntil([&] { return beneath.Presses() == 1; }, kWaitMs));
}

TEST_F(PhoneInHand, ClickedDigitKeysFillTheDisplayLine) {
    // The keypad comes out; CLR empties the line; the call-start key dials what it shows.
    std::string clicks = "mousemove " + At(kKeypadKey) + "click 1 ";
    for (char key : std::string("C5551234")) {
        clicks += "mousemove " + At(KeypadKey(key)) + "click 1 ";
    }
    const uint64_t mark = modem->LastSeq();
    ASSERT_TRUE(test::StartXdotool(clicks + "mousemove " + At(kCallStartKey) + "click 1"));
    EXPECT_EQ(DialledAfter(mark), "5551234");

    modem->HangUp();
    EXPECT_TRUE(test::WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, kWaitMs));
}

// Last: it ends the suite's program.
TEST_F(PhoneInHand, F12EndsTheProgram) {
    // A press on the up key gives the phone the keyboard. With no window manager on the
    // display, X's keyboard focus stays where it was (the tray's window takes it when it
    // shows), so it is handed to the phone's window as a window manager would on the press.
    ASSERT_TRUE(test::StartXdotool("mousemove " + At(e2e::kUpKey) +
                                   "click 1 sleep 0.2 search --name ^Voxtelo$ windowfocus --sync "
                                   "%1 key F12"));
    DWORD exitCode = 1;
    EXPECT_TRUE(program->WaitForExit(kWaitMs, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    main = nullptr;
}

}  // namespace
