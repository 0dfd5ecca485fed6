// The real voxtelo.exe on the Xvfb screen: the phone key brings the painted phone forward,
// and it turns fainter when another window takes the focus.
#include <windows.h>

#include <gtest/gtest.h>

#include "core/Messages.h"
#include "framework/GdiplusSession.h"
#include "tests/support/GuiTest.h"
#include "tests/ui/ScreenCapture.h"

namespace {

using ui::testing::TitleBandMismatch;

TEST(RunningPhone, ThePhoneKeyShowsThePaintedPhoneWhichFadesWithoutTheFocus) {
    fw::GdiplusSession gdiplus;  // the frame's picture is decoded here to compare with
    test::ChildProcess program("voxtelo.exe", "");
    ASSERT_TRUE(program.Started());
    HWND main = nullptr;
    ASSERT_TRUE(test::WaitUntil(
        [&] { return (main = test::DialogOfProcess("Voxtelo", program.ProcessId())) != nullptr; },
        15000));
    EXPECT_GT(TitleBandMismatch(main, 255), 20) << "nothing on screen before the phone key";

    PostMessageA(main, msg::UM_PHONE_KEY, 0, 0);
    ASSERT_TRUE(test::WaitUntil([&] { return IsWindowVisible(main) != FALSE; }));
    SetForegroundWindow(main);
    EXPECT_TRUE(test::WaitUntil([&] { return TitleBandMismatch(main, 255) <= 2; }))
        << TitleBandMismatch(main, 255);

    HWND other = CreateWindowExW(0, L"STATIC", L"elsewhere", WS_POPUP | WS_VISIBLE, 700, 700, 40,
                                 40, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(other);
    EXPECT_TRUE(test::WaitUntil([&] { return TitleBandMismatch(main, 100) <= 2; }))
        << TitleBandMismatch(main, 100);
    DestroyWindow(other);

    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitForExit(10000));
}

}  // namespace
