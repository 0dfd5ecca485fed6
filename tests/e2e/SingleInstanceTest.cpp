// Two real starts of voxtelo.exe: a later start brings the running phone forward and ends, two
// started together leave one phone, and a start while the phone closes or right after it ended
// (closed, as an update closes it, or killed) is the phone.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/GuiTest.h"

namespace {

constexpr DWORD kWaitMs = 15000;

std::unique_ptr<test::ChildProcess> Start() {
    auto program = std::make_unique<test::ChildProcess>("voxtelo.exe", "debug");
    EXPECT_TRUE(program->Started());
    return program;
}

HWND PhoneOf(const test::ChildProcess& program) {
    return test::DialogOfProcess("Voxtelo", program.ProcessId());
}

// Start-up is over once the window has taken its first state: a phone key posted before that
// would be shown by the template anyway.
bool StartedUp(const test::ChildProcess& program) {
    return test::WaitUntil(
        [&] {
            HWND debug = test::DialogOfProcess("Debug Window", program.ProcessId());
            return PhoneOf(program) && debug &&
                   test::DebugLogText(debug).find("VOXTELO_DIALOG : ") != std::string::npos;
        },
        kWaitMs);
}

bool Running(const test::ChildProcess& program) {
    return !const_cast<test::ChildProcess&>(program).WaitForExit(0);
}

class SingleInstance : public ::testing::Test {
protected:
    void TearDown() override {
        for (HWND window : test::FindDialogWindows("Voxtelo")) {
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
    }
};

TEST_F(SingleInstance, ALaterStartShowsTheRunningPhoneAndEnds) {
    auto phone = Start();
    ASSERT_TRUE(StartedUp(*phone));
    HWND window = PhoneOf(*phone);
    ASSERT_TRUE(test::WaitUntil([&] { return !IsWindowVisible(window); }));

    auto later = Start();
    EXPECT_TRUE(later->WaitForExit(kWaitMs));
    EXPECT_TRUE(test::WaitUntil([&] { return IsWindowVisible(window) != FALSE; }));
    EXPECT_TRUE(Running(*phone));
    EXPECT_EQ(test::FindDialogWindows("Voxtelo").size(), 1u);
}

TEST_F(SingleInstance, TwoStartedTogetherLeaveOnePhoneShown) {
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        std::vector<std::unique_ptr<test::ChildProcess>> starts;
        starts.push_back(Start());
        starts.push_back(Start());
        ASSERT_TRUE(
            test::WaitUntil([&] { return !Running(*starts[0]) || !Running(*starts[1]); }, kWaitMs));
        const size_t kept = Running(*starts[0]) ? 0 : 1;
        ASSERT_TRUE(Running(*starts[kept]));
        ASSERT_TRUE(StartedUp(*starts[kept]));
        HWND window = PhoneOf(*starts[kept]);
        // The start that gave way handed its phone key over.
        EXPECT_TRUE(test::WaitUntil([&] { return IsWindowVisible(window) != FALSE; }));
        EXPECT_EQ(test::FindDialogWindows("Voxtelo").size(), 1u);

        PostMessageA(window, WM_CLOSE, 0, 0);
        ASSERT_TRUE(starts[kept]->WaitForExit(kWaitMs));
    }
}

TEST_F(SingleInstance, AStartAsThePhoneEndsIsThePhone) {
    enum End { Closing, Closed, Killed };
    for (const End end : {Closing, Closed, Killed}) {
        SCOPED_TRACE(end);
        auto phone = Start();
        ASSERT_TRUE(StartedUp(*phone));
        if (end == Killed) {
            phone.reset();  // terminated, its claim abandoned
        } else {
            PostMessageA(PhoneOf(*phone), WM_CLOSE, 0, 0);
            // Closing: the next start may hand over to the phone on its way out.
            ASSERT_TRUE(end == Closing || phone->WaitForExit(kWaitMs));
        }
        auto next = Start();
        if (phone) {
            ASSERT_TRUE(phone->WaitForExit(kWaitMs));
        }
        EXPECT_TRUE(StartedUp(*next));
        EXPECT_TRUE(Running(*next));
        PostMessageA(PhoneOf(*next), WM_CLOSE, 0, 0);
        EXPECT_TRUE(next->WaitForExit(kWaitMs));
    }
}

}  // namespace
