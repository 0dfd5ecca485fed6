// How long a 500-friend list takes to fill through the real transport under Wine: from the
// arrival of the USERS reply until every friend's seven queried details have been applied.
// SkypeApi is hosted in this process as the main window hosts it; the simulator runs in its
// own. Both reply modes of the simulator are measured; the median of several runs is printed.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/Messages.h"
#include "tests/skype/SkypeLinkRig.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kFriends = 500;
constexpr unsigned kRunTimeoutMs = 120000;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Rebuilds the list `runs` times (each through "SEARCH FRIENDS", as the window's refresh asks)
// and returns each run's time in milliseconds.
std::vector<double> Measure(const char* mode, int runs) {
    test::SkypeLinkRig rig(
        {std::string("reply ") + mode, "friends generate " + std::to_string(kFriends)});
    // The first list, at going online, warms everything up and is not counted.
    if (!rig.WaitSteadyOnline(kFriends, kRunTimeoutMs)) {
        throw std::runtime_error("the first friends list did not fill");
    }

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

    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        done = false;
        rig.PostToSkype(msg::EV_SKYPE_SEARCH);
        if (!rig.Wait([&] { return done; }, kRunTimeoutMs)) {
            throw std::runtime_error("run " + std::to_string(run) + " did not finish");
        }
        if (rig.Api().ContactCount() != kFriends || !rig.AllDetailsIn()) {
            throw std::runtime_error("run " + std::to_string(run) + " left details missing");
        }
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    rig.Host().copyData = route;
    return times;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    try {
        for (const char* mode : {"nested", "deferred"}) {
            const std::vector<double> times = Measure(mode, runs);
            std::printf("%-8s %zu friends, %zu queries and replies; runs (ms):", mode, kFriends,
                        kFriends * 7);
            for (double time : times) {
                std::printf(" %.0f", time);
            }
            const double median = Median(times);
            std::printf("\n%-8s median %.1f ms, %.0f query/reply pairs per second\n", mode, median,
                        kFriends * 7 / (median / 1000));
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "skype_friends_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
