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

#include "core/Messages.h"
#include "sim/modem/control/SimModemControl.h"
#include "sim/skype/SimProcess.h"
#include "tests/support/GuiTest.h"

namespace {

constexpr char kChannel[] = "close_bench";
constexpr unsigned kWaitMs = 20000;

struct Program {
    std::unique_ptr<test::ChildProcess> process;
    HWND main = nullptr;
};

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "close_bench: %s\n", what);
        std::exit(1);
    }
}

// Started, with its modem line open and attached to the Skype client, online.
Program Launch(simmodem::Control& modem, skypesim::SimConnection& skype) {
    Program program;
    program.process = std::make_unique<test::ChildProcess>(
        "voxtelo.exe", "",
        std::map<std::string, std::string>{{"VOXTELO_SIMMODEM_CHANNEL", kChannel}});
    Check(program.process->Started(), "voxtelo.exe did not start");
    Check(modem.WaitForLive(kWaitMs) && modem.WaitForLineOpen(kWaitMs).has_value(),
          "the modem line did not open");
    Check(test::WaitUntil(
              [&] {
                  return (program.main =
                              test::DialogOfProcess("Voxtelo", program.process->ProcessId()));
              },
              kWaitMs),
          "no main window");
    // Attached programs of earlier runs may still count as attached: wait for this one's.
    const auto window = reinterpret_cast<uintptr_t>(program.main);
    Check(skype.WaitUntil(
              [&] {
                  for (const skypesim::RecordEntry& entry : skype.Record()) {
                      if (entry.kind == skypesim::RecordKind::Attach && entry.window == window &&
                          entry.status == 0 && entry.ok) {
                          return true;
                      }
                  }
                  return false;
              },
              kWaitMs),
          "Skype did not attach");
    skype.Command("send CURRENTUSERHANDLE voxtelo.user");
    skype.Command("online");
    // A poll pass that ran before the status texts were all known asked for them again; its
    // answers, the account ONLINE once more, would end a call that rang meanwhile.
    auto count = [&](skypesim::RecordKind kind, const std::string& text) {
        size_t n = 0;
        for (const skypesim::RecordEntry& entry : skype.Record()) {
            n += entry.kind == kind && entry.window == window && entry.text == text ? 1 : 0;
        }
        return n;
    };
    Check(skype.WaitUntil(
              [&] {
                  const size_t asked = count(skypesim::RecordKind::In, "GET CONNSTATUS");
                  return asked == count(skypesim::RecordKind::In, "GET USERSTATUS") &&
                         count(skypesim::RecordKind::Out, "USERSTATUS ONLINE") == asked + 1;
              },
              kWaitMs),
          "the Skype link did not settle");
    return program;
}

void PhoneKey(const Program& program) {
    PostMessageA(program.main, msg::UM_PHONE_KEY, 0, 0);
}

}  // namespace

// One close per run, timed from the post of WM_CLOSE to the process's end.
void Measure(const char* name, int runs, simmodem::Control& modem, skypesim::SimConnection& skype,
             const std::function<void(const Program&)>& callUp) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        Program program = Launch(modem, skype);
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

    Measure("WM_CLOSE to exit, idle", runs, modem, skype, [](const Program&) {});
    Measure("WM_CLOSE to exit, modem call up", runs, modem, skype, [&](const Program& program) {
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
        Check(modem.WaitForHookSwitch(kWaitMs, mark).has_value(), "the modem call did not connect");
    });
    Measure("WM_CLOSE to exit, Skype call up", runs, modem, skype, [&](const Program& program) {
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
