// How long the real voxtelo.exe takes from WM_CLOSE to the end of its process under Wine, with
// the Skype client simulator attached and the simulated modem's line open: idle, with a modem
// call up and with a Skype call up.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "bench/RunningPhone.h"
#include "core/Messages.h"
#include "sim/skype/SimProcess.h"

namespace {

constexpr char kChannel[] = "close_bench";
constexpr unsigned kWaitMs = bench::kPhoneWaitMs;

using bench::Check;
using bench::RunningPhone;

void PhoneKey(const RunningPhone& program) {
    PostMessageA(program.main, msg::UM_PHONE_KEY, 0, 0);
}

}  // namespace

// One close per run, timed from the post of WM_CLOSE to the process's end.
void Measure(const char* name, int runs, simmodem::Control& modem, skypesim::SimConnection& skype,
             const std::function<void(const RunningPhone&)>& callUp) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        RunningPhone program = bench::StartPhone(modem, skype);
        callUp(program);
        const auto start = std::chrono::steady_clock::now();
        PostMessageA(program.main, WM_CLOSE, 0, 0);
        Check(program.process->WaitForExit(kWaitMs), "voxtelo.exe did not end");
        const auto end = std::chrono::steady_clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-40s median %8.1f ms   (min %.1f, max %.1f, %d runs)\n", name, ms[ms.size() / 2],
                ms.front(), ms.back(), runs);
}

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const std::string book = test::TestProgramFolder() + "Bookmark.ini";
    std::ofstream(book, std::ios::trunc)
        << "[Alice]\nPhone_Home=\nPhone_Office=\nPhone_Mobile=5551234\n";
    simmodem::Control modem(kChannel);
    modem.ResetConfiguration();
    skypesim::SimOptions options;
    options.commands = {"friend bob ONLINE Bob Brown"};
    skypesim::SimProcess sim(options);
    skypesim::SimConnection& skype = sim.Control();

    Measure("WM_CLOSE to exit, idle", runs, modem, skype, [](const RunningPhone&) {});
    Measure("WM_CLOSE to exit, modem call up", runs, modem, skype,
            [&](const RunningPhone& program) {
                const uint64_t mark = modem.LastSeq();
                modem.Ring("5551234");
                HWND debug = test::DialogOfProcess("Debug Window", program.process->ProcessId());
                Check(test::WaitUntil(
                          [&] {
                              return test::DebugLogText(debug).find("VOXTELO_DIALOG : RINGING") !=
                                     std::string::npos;
                          },
                          kWaitMs),
                      "the modem call did not ring");
                PhoneKey(program);  // answers
                Check(modem.WaitForHookSwitch(kWaitMs, mark).has_value(),
                      "the modem call did not connect");
            });
    Measure("WM_CLOSE to exit, Skype call up", runs, modem, skype,
            [&](const RunningPhone& program) {
                const std::string id = std::to_string(skype.CallIn("bob"));
                Check(skype.WaitForReceived("GET CALL " + id + " PARTNER_HANDLE", 1, kWaitMs),
                      "the Skype call did not ring");
                PhoneKey(program);  // answers
                Check(skype.WaitForSent("CALL " + id + " STATUS INPROGRESS", 1, kWaitMs),
                      "the Skype call did not connect");
            });
    DeleteFileA(book.c_str());
    return 0;
}
