// The real voxtelo.exe's start, idle and close under Wine, beside the simulated modem and the
// Skype client simulator: start to hidden-and-ready (and the CPU time the phone spent on it),
// private bytes, handles and GDI objects after start, the CPU it takes while idle with both
// peers attached, and WM_CLOSE to exit.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/ProcessGauge.h"
#include "bench/RunningPhone.h"
#include "framework/Handles.h"
#include "sim/skype/SimProcess.h"

namespace {

using bench::Check;
using Clock = std::chrono::steady_clock;

constexpr char kChannel[] = "resource_bench";

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Hidden and ready: the first paint has hidden the window, and the window has taken the
// modem's first state (its line is open).
bool HiddenAndReady(const bench::RunningPhone& phone) {
    if (IsWindowVisible(phone.main)) {
        return false;
    }
    HWND debug = test::DialogOfProcess("Debug Window", phone.Id());
    return debug && test::DebugLogText(debug).find("VOXTELO_DIALOG : NORMAL") != std::string::npos;
}

void PrintMedian(const char* name, std::vector<double> values, const char* unit) {
    std::sort(values.begin(), values.end());
    std::printf("%-44s median %9.1f %s   (min %.1f, max %.1f, %zu runs)\n", name,
                values[values.size() / 2], unit, values.front(), values.back(), values.size());
}

fw::KernelHandle OpenForSamples(DWORD id) {
    return fw::KernelHandle(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const int idleSeconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 60;
    const std::string book = test::TestProgramFolder() + "Bookmark.ini";
    {
        std::ofstream file(book, std::ios::trunc);
        for (int i = 0; i < 20; ++i) {
            file << "[Contact " << i << "]\nPhone_Home=0" << 1000000 + i << "\n";
        }
    }
    simmodem::Control modem(kChannel);
    modem.ResetConfiguration();
    skypesim::SimOptions options;
    options.commands = {"friends generate 20"};
    skypesim::SimProcess sim(options);
    skypesim::SimConnection& skype = sim.Control();

    std::vector<double> startMs, startCpuMs, closeMs, privateMiB, handles, gdiObjects, threads;
    for (int run = 0; run < runs; ++run) {
        const Clock::time_point start = Clock::now();
        bench::RunningPhone phone = bench::LaunchPhone(modem);
        Check(test::WaitUntil([&] { return HiddenAndReady(phone); }, bench::kPhoneWaitMs),
              "the phone did not become hidden and ready");
        startMs.push_back(MsSince(start));
        const auto ready = test::SampleProcess(OpenForSamples(phone.Id()).Get());
        Check(ready.has_value(), "the phone cannot be measured");
        startCpuMs.push_back(ready->cpuSeconds * 1000.0);
        bench::WaitForSkypeLink(phone, skype);

        const auto sample = test::SampleProcess(OpenForSamples(phone.Id()).Get());
        Check(sample.has_value(), "the phone cannot be measured");
        privateMiB.push_back(sample->privateBytes / 1048576.0);
        handles.push_back(sample->handles);
        gdiObjects.push_back(sample->gdiObjects);
        threads.push_back(sample->threads);

        const Clock::time_point close = Clock::now();
        bench::ClosePhone(phone);
        closeMs.push_back(MsSince(close));
    }
    PrintMedian("start to hidden and ready", startMs, "ms");
    // Its own share, whatever else the machine and the Wine server are busy with.
    PrintMedian("  CPU time of the phone until then", startCpuMs, "ms");
    PrintMedian("WM_CLOSE to exit, idle", closeMs, "ms");
    PrintMedian("private bytes after start", privateMiB, "MiB");
    PrintMedian("handles after start", handles, "");
    PrintMedian("GDI objects after start", gdiObjects, "");
    PrintMedian("threads after start", threads, "");

    // Idle: both peers attached, the lists built, nothing happening.
    bench::RunningPhone phone = bench::StartPhone(modem, skype);
    Sleep(5000);  // the friends' details have come in
    const fw::KernelHandle process = OpenForSamples(phone.Id());
    const auto before = test::SampleProcess(process.Get());
    const Clock::time_point idleStart = Clock::now();
    Sleep(idleSeconds * 1000);
    const auto after = test::SampleProcess(process.Get());
    const double wallSeconds = MsSince(idleStart) / 1000.0;
    Check(before && after, "the phone cannot be measured");
    std::printf("%-44s %9.3f %% of one core (%.2f s of CPU in %.1f s)\n",
                "idle, both peers attached",
                100.0 * (after->cpuSeconds - before->cpuSeconds) / wallSeconds,
                after->cpuSeconds - before->cpuSeconds, wallSeconds);
    bench::ClosePhone(phone);
    DeleteFileA(book.c_str());
    return 0;
}
