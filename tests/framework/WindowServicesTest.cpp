// Window services: a handler's result for a sender on another thread, lookup by class and
// title, regions, layered pictures and message boxes.
#include "framework/WindowServices.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "framework/Dialog.h"
#include "framework/Handles.h"
#include "framework/MessageBox.h"
#include "framework/Window.h"
#include "tests/framework/test_dialogs.h"
#include "tests/support/GuiTest.h"

namespace {

constexpr UINT kRecord = WM_APP + 10;

class Recorder : public fw::Dialog {
public:
    Recorder() : Dialog(IDD_TEST_PLAIN) {}

    std::vector<LPARAM> records;
    std::vector<DWORD> threads;

protected:
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kRecord) {
            records.push_back(lParam);
            threads.push_back(GetCurrentThreadId());
            return lParam * 2;
        }
        return Dialog::OnMessage(message, wParam, lParam);
    }
};

TEST(Dispatch, ASendFromAnotherThreadIsHandledOnTheGuiThreadBeforeItReturns) {
    Recorder window;
    ASSERT_TRUE(window.CreateModeless(nullptr));
    LRESULT result = 0;
    std::vector<LPARAM> seenBySender;
    std::thread sender([&] {
        result = SendMessageA(window.Handle(), kRecord, 0, 21);
        seenBySender = window.records;  // the handler ran before the send returned
    });
    ASSERT_TRUE(test::WaitUntil([&] { return !window.records.empty(); }));
    sender.join();
    EXPECT_EQ(result, 42);
    EXPECT_EQ(seenBySender, std::vector<LPARAM>{21});
    EXPECT_EQ(window.threads, std::vector<DWORD>{GetCurrentThreadId()});
}

TEST(WindowLookup, FindsTheFirstDialogWithTheTitleAndNothingElse) {
    EXPECT_EQ(fw::FindDialogWindow("Framework Test"), nullptr);
    Recorder dialog;
    ASSERT_TRUE(dialog.CreateModeless(nullptr));
    EXPECT_EQ(fw::FindDialogWindow("Framework Test"), dialog.Handle());

    // A plain window with a dialog's title is not a dialog.
    HWND plain = CreateWindowExA(0, "STATIC", "Only Static", WS_POPUP, 0, 0, 10, 10, nullptr,
                                 nullptr, nullptr, nullptr);
    EXPECT_EQ(fw::FindDialogWindow("Only Static"), nullptr);
    DestroyWindow(plain);
}

class Plain : public fw::Window {
protected:
    std::optional<LRESULT> OnMessage(UINT, WPARAM, LPARAM) override { return std::nullopt; }
};

TEST(WindowRegion, TheWindowIsExactlyTheUnionOfTheRectangles) {
    Plain window;
    ASSERT_TRUE(window.Create({L"VoxteloTestPlain", "region", WS_POPUP, 0, {0, 0, 100, 100}}));
    ASSERT_TRUE(fw::SetWindowRegion(window.Handle(), {{0, 0, 10, 10}, {20, 0, 40, 5}}, false));

    fw::RegionHandle region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(window.Handle(), region.Get()), ERROR);
    EXPECT_TRUE(PtInRegion(region.Get(), 5, 5));
    EXPECT_TRUE(PtInRegion(region.Get(), 39, 4));
    EXPECT_FALSE(PtInRegion(region.Get(), 15, 5));  // the gap between them
    EXPECT_FALSE(PtInRegion(region.Get(), 30, 5));  // below the second rectangle
}

// The picture gives the window its size; where the window is stays as it was.
TEST(LayeredWindow, TakesThePicturesSizeAndKeepsItsPlace) {
    Plain window;
    ASSERT_TRUE(
        window.Create({L"VoxteloTestPlain", "layered", WS_POPUP, WS_EX_LAYERED, {30, 20, 40, 30}}));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 64;
    info.bmiHeader.biHeight = -48;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    fw::WindowDc screen(nullptr);
    fw::BitmapHandle picture(
        CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    ASSERT_TRUE(picture);
    fw::MemoryDc dc(CreateCompatibleDC(screen.Get()));
    fw::SelectScope select(dc.Get(), picture.Get());
    ASSERT_TRUE(fw::UpdateLayeredPicture(window.Handle(), dc.Get(), {64, 48}, 100));

    RECT bounds{};
    GetWindowRect(window.Handle(), &bounds);
    EXPECT_EQ(bounds.left, 30);
    EXPECT_EQ(bounds.top, 20);
    EXPECT_EQ(bounds.right - bounds.left, 64);
    EXPECT_EQ(bounds.bottom - bounds.top, 48);
}

TEST(MessageBoxes, ReturnTheButtonPressed) {
    {
        test::MessageBoxWatcher watcher(IDNO);
        EXPECT_EQ(fw::ShowMessageBox(nullptr, "Save changes?", fw::MessageBoxButtons::YesNo,
                                     fw::MessageBoxIcon::Question),
                  fw::MessageBoxResult::No);
        EXPECT_EQ(watcher.Texts(), std::vector<std::string>{"Save changes?"});
    }
    {
        test::MessageBoxWatcher watcher(IDYES);
        EXPECT_EQ(
            fw::ShowMessageBox(nullptr, "Delete. Are you sure?", fw::MessageBoxButtons::YesNo),
            fw::MessageBoxResult::Yes);
    }
    {
        test::MessageBoxWatcher watcher(IDOK);
        EXPECT_EQ(fw::ShowMessageBox(nullptr, "#32 Unknown system detected"),
                  fw::MessageBoxResult::Ok);
    }
}

}  // namespace
