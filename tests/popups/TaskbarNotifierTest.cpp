// The call notice as a window under Wine: where it stands when risen and when sunk, its text in
// the hover colour under the mouse, and its click passed to the parent once.
#include "popups/TaskbarNotifier.h"

#include <gtest/gtest.h>

#include "core/Messages.h"
#include "framework/Window.h"
#include "tests/support/GuiTest.h"

namespace {

// Counts the clicks the notice passes on.
class Parent : public fw::Window {
public:
    int clicks = 0;

protected:
    std::optional<LRESULT> OnMessage(UINT message, WPARAM, LPARAM) override {
        if (message == msg::UM_NOTIFIER_CLICKED) {
            ++clicks;
            return 0;
        }
        return std::nullopt;
    }
};

// A plain white picture of the program's notice size.
fw::BitmapHandle WhitePicture(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap) {
        memset(bits, 0xFF, static_cast<size_t>(width) * height * 4);
    }
    return fw::BitmapHandle(bitmap);
}

RECT WorkArea() {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

class Notice : public ::testing::Test {
protected:
    void SetUp() override {
        // The display is shared with other tests: the pointer must not rest where the notice
        // rises, or the notice would be hovered.
        SetCursorPos(0, 0);
        ASSERT_TRUE(parent.Create({L"VoxteloNoticeTestParent"}));
        ASSERT_TRUE(notifier.Create(parent.Handle()));
        ASSERT_TRUE(notifier.SetBackground(WhitePicture(147, 121)));
        notifier.SetTextFonts("Arial", 90, 0, 4);
        notifier.SetTextColors(RGB(0, 0, 0), RGB(0, 0, 200));
        notifier.SetTextArea({36, 36, 125, 71});
    }

    bool WaitForState(notice::SlideState state) {
        return test::WaitUntil([&] { return notifier.State() == state; }, 20000);
    }

    // Pixels of the text area in exactly this colour.
    int TextPixels(COLORREF color) {
        fw::WindowDc dc(notifier.Handle());
        int count = 0;
        for (int y = 36; y < 71; ++y) {
            for (int x = 36; x < 125; ++x) {
                count += GetPixel(dc.Get(), x, y) == color ? 1 : 0;
            }
        }
        return count;
    }

    Parent parent;
    CTaskbarNotifier notifier;
};

TEST_F(Notice, RisesToTheWorkAreasCornerShowsItsTextInTheHoverColourAndSinksOutOfSight) {
    const RECT work = WorkArea();
    parent.Show();  // the window the user works in keeps the keyboard
    // Short periods: the slide's steps, not its timing, are under test.
    notifier.ShowNotice("5551234\nAlice", 30, 400, 30);
    ASSERT_TRUE(WaitForState(notice::SlideState::Waiting));
    EXPECT_EQ(GetActiveWindow(), parent.Handle());
    RECT risen{};
    GetWindowRect(notifier.Handle(), &risen);
    EXPECT_TRUE(IsWindowVisible(notifier.Handle()));
    EXPECT_EQ(risen.left, work.right - 147);
    EXPECT_EQ(risen.top, work.bottom - 122);
    EXPECT_EQ(risen.right, work.right);
    EXPECT_EQ(risen.bottom, work.bottom - 1);

    notifier.ShowNotice("5551234\nAlice", 30, 5000, 30);  // long enough to look at
    test::PumpPending();
    EXPECT_GT(TextPixels(RGB(0, 0, 0)), 0);
    EXPECT_EQ(TextPixels(RGB(0, 0, 200)), 0);
    SendMessageA(notifier.Handle(), WM_MOUSEHOVER, 0, MAKELPARAM(60, 50));
    test::PumpPending();
    EXPECT_GT(TextPixels(RGB(0, 0, 200)), 0);
    SendMessageA(notifier.Handle(), WM_MOUSELEAVE, 0, 0);
    test::PumpPending();
    EXPECT_EQ(TextPixels(RGB(0, 0, 200)), 0);

    notifier.ShowNotice("5551234\nAlice", 30, 50, 30);
    ASSERT_TRUE(WaitForState(notice::SlideState::Hidden));
    RECT sunk{};
    GetWindowRect(notifier.Handle(), &sunk);
    EXPECT_FALSE(IsWindowVisible(notifier.Handle()));
    EXPECT_EQ(sunk.left, work.right - 147);
    EXPECT_GE(sunk.top, work.bottom);
}

TEST_F(Notice, AClickIsPassedToTheParentOnceAndLeavesTheNoticeUp) {
    notifier.ShowNotice("5551234\nAlice", 30, 5000, 30);
    ASSERT_TRUE(WaitForState(notice::SlideState::Appearing));
    PostMessageA(notifier.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(70, 60));
    PostMessageA(notifier.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(70, 60));
    ASSERT_TRUE(test::WaitUntil([&] { return parent.clicks > 0; }));
    test::PumpPending();
    EXPECT_EQ(parent.clicks, 1);
    EXPECT_NE(notifier.State(), notice::SlideState::Hidden);
    EXPECT_TRUE(IsWindowVisible(notifier.Handle()));
}

}  // namespace
