// What a 500-friend list costs the GUI thread through the real transport under Wine: the time
// from the USERS reply until every friend's seven queried details have been applied, the longest
// stretch the thread spent away from its message loop (a stall: no input, no paint), and the
// longest a repaint requested meanwhile had to wait. SkypeApi is hosted in this process as the
// main window hosts it; the simulator runs in its own. Both reply modes are measured; each
// figure is the median of several runs.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "core/Messages.h"
#include "framework/MessageLoop.h"
#include "framework/Window.h"
#include "tests/skype/SkypeLinkRig.h"
#include "tests/support/GuiTest.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kFriends = 500;
constexpr unsigned kRunTimeoutMs = 120000;
// How often the stand-in for the skin asks for a repaint while the list fills (none with the
// argument "no-repaints": what the slices cost by themselves).
constexpr auto kRepaintEvery = std::chrono::milliseconds(20);
bool repaints = true;

double Ms(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// A window of the GUI thread that another thread invalidates now and then, as a repaint of the
// phone would be asked for; it notes how long each request waited for its WM_PAINT.
class PaintProbe : public fw::Window {
public:
    PaintProbe() {
        if (!Create({L"VoxteloBenchPaintProbe",
                     "paint probe",
                     WS_POPUP,
                     WS_EX_NOACTIVATE,
                     {0, 0, 8, 8}})) {
            throw std::runtime_error("the paint probe window could not be created");
        }
        ShowWindow(Handle(), SW_SHOWNA);
    }

    void Request() {
        Clock::time_point expected{};
        const Clock::time_point now = Clock::now();
        // Only the first request since the last paint counts: later ones join it.
        if (requestedAt_.compare_exchange_strong(expected, now)) {
            InvalidateRect(Handle(), nullptr, FALSE);
        }
    }
    double LongestWaitMs() const { return longestWaitMs_; }
    bool Outstanding() const { return requestedAt_.load() != Clock::time_point{}; }
    void Reset() { longestWaitMs_ = 0; }

protected:
    std::optional<LRESULT> OnMessage(UINT message, WPARAM, LPARAM) override {
        if (message != WM_PAINT) {
            return std::nullopt;
        }
        PAINTSTRUCT ps;
        BeginPaint(Handle(), &ps);
        EndPaint(Handle(), &ps);
        const Clock::time_point requested = requestedAt_.exchange(Clock::time_point{});
        if (requested != Clock::time_point{}) {
            longestWaitMs_ = std::max(longestWaitMs_, Ms(Clock::now() - requested));
        }
        return 0;
    }

private:
    std::atomic<Clock::time_point> requestedAt_{Clock::time_point{}};
    double longestWaitMs_ = 0;
};

struct Run {
    double totalMs;
    double longestStallMs;
    double longestPaintWaitMs;
};

// Pumps this thread until `done`, timing every stretch spent outside the wait for messages:
// the texts the client sends in and the posted messages are handled there.
double PumpTimingStalls(const std::function<bool()>& done, unsigned timeoutMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    double longest = 0;
    while (!done()) {
        if (Clock::now() >= deadline) {
            throw std::runtime_error("the run did not finish");
        }
        const Clock::time_point start = Clock::now();
        MSG msg;
        const bool got = PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE;
        if (got) {
            fw::MessageLoop::Handle(msg);
        }
        longest = std::max(longest, Ms(Clock::now() - start));
        if (!got) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    return longest;
}

// Rebuilds the list `runs` times (each through "SEARCH FRIENDS", as the window's refresh asks).
std::vector<Run> Measure(const char* mode, int runs) {
    test::RigOptions product;
    product.timing = SkypeLinkTiming();  // the product's poll period, bounds and slices
    test::SkypeLinkRig rig(
        {std::string("reply ") + mode, "friends generate " + std::to_string(kFriends)}, product);
    // The first list, at going online, warms everything up and is not counted.
    if (!rig.WaitSteadyOnline(kFriends, kRunTimeoutMs)) {
        throw std::runtime_error("the first friends list did not fill");
    }
    PaintProbe probe;
    test::PumpPending();

    bool measuring = false;
    bool done = false;
    Clock::time_point start;
    Clock::time_point end;
    const auto route = rig.Host().copyData;
    rig.Host().copyData = [&](HWND sender, const COPYDATASTRUCT* data) {
        const char* text = static_cast<const char*>(data->lpData);
        const bool users = text && data->cbData > 6 && std::strncmp(text, "USERS ", 6) == 0;
        if (users) {
            start = Clock::now();
            measuring = true;
        }
        const LRESULT result = route(sender, data);
        // Details are asked in list order, so the last friend's last one comes last.
        const skype::SkypeContact* last = rig.Api().ContactAt(kFriends - 1);
        if (measuring && !users && last && last->onlineStatus != "s") {
            end = Clock::now();
            measuring = false;
            done = true;
        }
        return result;
    };

    std::vector<Run> results;
    for (int run = 0; run < runs; ++run) {
        done = false;
        probe.Reset();
        std::atomic<bool> stop{false};
        std::thread repainter([&] {
            while (repaints && !stop) {
                probe.Request();
                std::this_thread::sleep_for(kRepaintEvery);
            }
        });
        rig.PostToSkype(msg::EV_SKYPE_SEARCH);
        double stall = 0;
        try {
            stall = PumpTimingStalls([&] { return done; }, kRunTimeoutMs);
        } catch (...) {
            stop = true;
            repainter.join();
            throw;
        }
        stop = true;
        repainter.join();
        // A request still waiting at the end counts with the wait it has when it is painted.
        test::WaitUntil([&] { return !probe.Outstanding(); }, kRunTimeoutMs);
        if (rig.Api().ContactCount() != kFriends || !rig.AllDetailsIn()) {
            throw std::runtime_error("run " + std::to_string(run) + " left details missing");
        }
        results.push_back({Ms(end - start), stall, probe.LongestWaitMs()});
    }
    rig.Host().copyData = route;
    return results;
}

void Report(const char* mode, const std::vector<Run>& runs) {
    std::vector<double> totals;
    std::vector<double> stalls;
    std::vector<double> paints;
    std::printf(
        "%-8s %zu friends, %zu queries and replies; runs (total / longest stall / longest "
        "paint wait, ms):",
        mode, kFriends, kFriends * 7);
    for (const Run& run : runs) {
        std::printf(" %.0f/%.0f/%.0f", run.totalMs, run.longestStallMs, run.longestPaintWaitMs);
        totals.push_back(run.totalMs);
        stalls.push_back(run.longestStallMs);
        paints.push_back(run.longestPaintWaitMs);
    }
    std::printf("\n%-8s median: total %.0f ms, longest stall %.1f ms, longest paint wait %.1f ms\n",
                mode, Median(totals), Median(stalls), Median(paints));
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    repaints = !(argc > 2 && std::strcmp(argv[2], "no-repaints") == 0);
    try {
        for (const char* mode : {"nested", "deferred"}) {
            Report(mode, Measure(mode, runs));
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "skype_friends_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
