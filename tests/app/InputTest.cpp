// The user's input on the real main window, hosted in the test beside the simulated voice
// modem, with mouse, wheel and key messages posted as the system delivers them: the display
// line, Escape, clicks and double clicks on the skin, the wheel, the held scroll key, the
// phone-book key, and the modeless windows that keep their own keys and wheel.
#include "app/VoxteloDlg.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "core/Messages.h"
#include "phonebook/BookmarkDlg.h"
#include "popups/DebugDlg.h"
#include "res/resource.h"
#include "sim/modem/control/SimModemControl.h"
#include "tests/support/GuiTest.h"
#include "ui/PhoneSkin.h"

namespace {

constexpr DWORD kWaitMs = 15000;

// Centres of skin widgets, in the window's client coordinates (keypad folded away).
constexpr POINT kDownKey{207, 430};
constexpr POINT kBookKey{210, 503};
// The first number of the open pop-up: its icon.
constexpr POINT kFirstNumber{150, 140};

// The list's items stand 30 pixels apart from y 81 once the head has settled.
POINT ItemPoint(int index) {
    return POINT{53, 81 + 30 * index + 12};
}

class Input : public ::testing::Test {
protected:
    void SetUp() override {
        // Real pointer moves must not meet the window while messages are posted to it.
        SetCursorPos(1270, 5);
        modem.ResetConfiguration();
        modem.ClearRecord();
    }

    void TearDown() override {
        dialog.reset();
        modem.ResetConfiguration();
        DeleteFileA(bookPath.c_str());
    }

    // `entries` phone-book entries with one home number each, "555000", "555001", ...
    void WriteBook(int entries) {
        std::ofstream book(bookPath, std::ios::trunc);
        for (int i = 0; i < entries; ++i) {
            book << "[Entry " << i << "]\nPhone_Home=5550" << (i < 10 ? "0" : "") << i
                 << "\nPhone_Office=\nPhone_Mobile=0912" << i << "\n";
        }
    }

    // The phone on screen with the modem chosen and its book listed in place.
    void Start(int entries) {
        WriteBook(entries);
        dialog = std::make_unique<CVoxteloDlg>(std::vector<std::string>{"voxtelo.exe"});
        ASSERT_TRUE(dialog->CreateModeless(nullptr));
        ASSERT_TRUE(test::WaitUntil(
            [&] {
                return dialog->ActiveCarrier() == Carrier::Modem && Skin().BookListHead() &&
                       dialog->DialogState() == CallState::NORMAL;
            },
            kWaitMs));
        PostMessageA(Handle(), msg::UM_PHONE_KEY, 0, 0);
        ASSERT_TRUE(test::WaitUntil(
            [&] { return dialog->IsVisible() && Skin().BookListHead()->Bounds().top == 81; },
            kWaitMs));
    }

    HWND Handle() const { return dialog->Handle(); }
    ui::PhoneSkin& Skin() const { return *dialog->Skin(); }

    ui::ContactItem* Item(int index) const {
        ui::ContactItem* item = Skin().BookListHead();
        for (int i = 0; i < index && item; ++i) {
            item = item->Next();
        }
        return item;
    }

    int SelectedIndex() const {
        int index = 0;
        for (const ui::ContactItem* item = Skin().BookListHead(); item;
             item = item->Next(), ++index) {
            if (item == Skin().SelectedBookItem()) {
                return index;
            }
        }
        return -1;
    }

    void Post(UINT message, WPARAM wParam, POINT point) {
        PostMessageA(Handle(), message, wParam, MAKELPARAM(point.x, point.y));
    }
    // As the system delivers them: a key goes down and up; a click is a move, a press and a
    // release; a double click adds the second press as WM_LBUTTONDBLCLK.
    static void PostKey(HWND target, UINT key) {
        const LPARAM scanCode = static_cast<LPARAM>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)) << 16;
        PostMessageA(target, WM_KEYDOWN, key, scanCode | 1);
        PostMessageA(target, WM_KEYUP, key, scanCode | 0xC0000001);
    }
    void Key(UINT key) {
        PostKey(Handle(), key);
        test::PumpPending();
    }
    void Click(POINT point) {
        Post(WM_MOUSEMOVE, 0, point);
        Post(WM_LBUTTONDOWN, MK_LBUTTON, point);
        Post(WM_LBUTTONUP, 0, point);
        test::PumpPending();
    }
    void DoubleClick(POINT point) {
        Post(WM_MOUSEMOVE, 0, point);
        Post(WM_LBUTTONDOWN, MK_LBUTTON, point);
        Post(WM_LBUTTONUP, 0, point);
        Post(WM_LBUTTONDBLCLK, MK_LBUTTON, point);
        Post(WM_LBUTTONUP, 0, point);
        test::PumpPending();
    }
    void Wheel(short delta) {
        PostMessageA(Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)),
                     MAKELPARAM(60, 200));
        test::PumpPending();
    }

    const std::string bookPath = test::TestProgramFolder() + "Bookmark.ini";
    simmodem::Control modem;
    std::unique_ptr<CVoxteloDlg> dialog;
};

TEST_F(Input, TheDisplayLineTakesDigitsAndOneLeadingPlusUpTo23Characters) {
    struct Case {
        const char* what;
        std::vector<UINT> keys;
        std::string shown;
    } cases[] = {
        {"30 digits keep the first 23",
         {'1', '2', '3', '4', '5', '6', '7', '8', '9', '0', '1', '2', '3', '4', '5',
          '6', '7', '8', '9', '0', '1', '2', '3', '4', '5', '6', '7', '8', '9', '0'},
         "12345678901234567890123"},
        {"a plus first", {VK_OEM_PLUS, '4', '9'}, "+49"},
        {"a plus after a digit is ignored", {'4', VK_OEM_PLUS, '9'}, "49"},
        {"a second plus is ignored", {VK_OEM_PLUS, VK_OEM_PLUS}, "+"},
        {"the numeric pad", {VK_NUMPAD0, VK_NUMPAD9}, "09"},
        {"backspace takes the last", {'1', '2', VK_BACK, '3'}, "13"},
    };
    Start(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Key(VK_DELETE);
        ASSERT_EQ(dialog->DialString(), "");
        for (UINT key : c.keys) {
            Key(key);
        }
        EXPECT_EQ(dialog->DialString(), c.shown);
    }
}

TEST_F(Input, EscapeClosesThePopupFirstAndThenHidesThePhone) {
    Start(2);
    Click(ItemPoint(1));
    ASSERT_TRUE(Skin().IsPopupOpen());
    Key(VK_ESCAPE);
    EXPECT_FALSE(Skin().IsPopupOpen());
    EXPECT_TRUE(dialog->IsVisible());
    Key(VK_ESCAPE);
    EXPECT_FALSE(dialog->IsVisible());
}

TEST_F(Input, ClicksAndDoubleClicksActOnAnItemOnlyInsideTheListsViewport) {
    // Fourteen entries: the last lies under the frame below the display panel, where it is
    // still hit but not in view.
    struct Case {
        const char* what;
        int item;
        bool twice;
        int selected;
        bool popup;
    } cases[] = {
        {"a click out of view", 13, false, 0, false},
        {"a double click out of view", 13, true, 0, false},
        {"a click in view", 2, false, 2, true},
    };
    Start(14);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(Skin().HitTest(ItemPoint(c.item).x, ItemPoint(c.item).y), Item(c.item));
        if (c.twice) {
            DoubleClick(ItemPoint(c.item));
        } else {
            Click(ItemPoint(c.item));
        }
        EXPECT_EQ(SelectedIndex(), c.selected);
        EXPECT_EQ(Skin().IsPopupOpen(), c.popup);
    }
}

TEST_F(Input, ADoubleClickOnAPopupNumberDialsItOverTheModem) {
    Start(3);
    Click(ItemPoint(2));
    ASSERT_TRUE(Skin().IsPopupOpen());
    const uint64_t mark = modem.LastSeq();
    DoubleClick(kFirstNumber);
    const auto dialled = modem.WaitForDial(kWaitMs, mark);
    ASSERT_TRUE(dialled.has_value());
    EXPECT_EQ(dialled->Text("number"), "555002");
    EXPECT_FALSE(Skin().IsPopupOpen());
    EXPECT_FALSE(dialog->IsVisible());
}

TEST_F(Input, TheWheelMovesTheSelectionOnlyWhileNoCallIsUp) {
    Start(4);
    Wheel(-WHEEL_DELTA);
    Wheel(-WHEEL_DELTA);
    EXPECT_EQ(SelectedIndex(), 2);
    Wheel(WHEEL_DELTA);
    EXPECT_EQ(SelectedIndex(), 1);

    modem.Ring("5550100");
    ASSERT_TRUE(
        test::WaitUntil([&] { return dialog->DialogState() == CallState::RINGING; }, kWaitMs));
    Wheel(-WHEEL_DELTA);
    Wheel(WHEEL_DELTA);
    Wheel(WHEEL_DELTA);
    EXPECT_EQ(SelectedIndex(), 1);
}

TEST_F(Input, TheHeldDownKeyHoldsTheMouseAndStopsRepeatingWhereverItIsLetGo) {
    // The release on the key is one more click; a release off the phone (where the held
    // mouse still reports it) is none.
    struct Case {
        const char* what;
        POINT release;
        int moves;
    } cases[] = {
        {"released on the key", kDownKey, 1},
        {"released off the phone", POINT{-300, 700}, 0},
    };
    Start(10);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Post(WM_MOUSEMOVE, 0, kDownKey);
        Post(WM_LBUTTONDOWN, MK_LBUTTON, kDownKey);
        test::PumpPending();
        EXPECT_EQ(GetCapture(), Handle());
        const int held = SelectedIndex();
        Post(WM_MOUSEMOVE, MK_LBUTTON, c.release);
        Post(WM_LBUTTONUP, 0, c.release);
        test::PumpPending();
        EXPECT_EQ(SelectedIndex(), held + c.moves);
        EXPECT_EQ(GetCapture(), nullptr);
        EXPECT_FALSE(KillTimer(Handle(), CVoxteloDlg::TIMER_REPEAT_DOWN)) << "still repeating";
    }
}

TEST_F(Input, ThePhoneBookKeyOpensTheEditorBesideThePhoneWithinTheWorkArea) {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    struct Case {
        const char* what;
        POINT phone;
        POINT editor;
    } cases[] = {
        {"50 left and 50 below", {400, 300}, {350, 350}},
        {"not past the bottom right",
         {work.right - 100, work.bottom - 120},
         {work.right - 360, work.bottom - 200}},
    };
    Start(2);
    const HWND editor = dialog->BookmarkDialog()->Handle();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ShowWindow(editor, SW_HIDE);
        SetWindowPos(Handle(), nullptr, c.phone.x, c.phone.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        Click(kBookKey);
        EXPECT_TRUE(IsWindowVisible(editor));
        RECT placed{};
        GetWindowRect(editor, &placed);
        EXPECT_EQ(placed.left, c.editor.x);
        EXPECT_EQ(placed.top, c.editor.y);
    }
}

TEST_F(Input, TheDebugWindowAndTheEditorKeepTheirKeysAndTheirWheel) {
    Start(3);
    const HWND debugBox = GetDlgItem(dialog->DebugWindow()->Handle(), IDC_DEBUG_TEXT);
    const HWND nameField = GetDlgItem(dialog->BookmarkDialog()->Handle(), IDC_BOOK_NAME);
    std::string lines;
    for (int i = 0; i < 60; ++i) {
        lines += "line " + std::to_string(i) + "\r\n";
    }
    const std::string shown = dialog->DialString();
    for (HWND target : {debugBox, nameField}) {
        SCOPED_TRACE(target == debugBox ? "the Debug Window's box" : "the editor's name field");
        SetWindowTextA(target, "");
        PostKey(target, '7');
        test::PumpPending();
        EXPECT_EQ(test::WindowTextA(target), "7");
        EXPECT_EQ(dialog->DialString(), shown) << "the phone took the key";
    }

    SetWindowTextA(debugBox, lines.c_str());
    SendMessageA(debugBox, EM_SETSEL, 0, 0);
    SendMessageA(debugBox, EM_SCROLLCARET, 0, 0);
    PostMessageA(debugBox, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)),
                 MAKELPARAM(100, 100));
    test::PumpPending();
    EXPECT_GT(SendMessageA(debugBox, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    EXPECT_EQ(SelectedIndex(), 0) << "the phone took the wheel";
}

}  // namespace
