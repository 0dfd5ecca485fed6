// The real voxtelo.exe for a benchmark: started from the benchmark's folder beside the
// simulated modem, found by its window, and attached to the Skype client simulator, online.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "sim/modem/control/SimModemControl.h"
#include "sim/skype/SimConnection.h"
#include "tests/support/GuiTest.h"

namespace bench {

constexpr unsigned kPhoneWaitMs = 20000;

// Benchmarks measure; when the program does not do what a figure needs, they stop with the
// reason.
void Check(bool ok, const char* what);

struct RunningPhone {
    std::unique_ptr<test::ChildProcess> process;
    HWND main = nullptr;

    DWORD Id() const { return process->ProcessId(); }
};

// Started on the modem's channel, with its main window found; nothing else waited for.
RunningPhone LaunchPhone(const simmodem::Control& modem, const std::string& arguments = "");

// Attached to the client and online, every status text the attach asked for answered.
void WaitForSkypeLink(const RunningPhone& phone, skypesim::SimConnection& skype);

// Both at once: launched, its modem line open, the Skype link settled.
RunningPhone StartPhone(simmodem::Control& modem, skypesim::SimConnection& skype);

// WM_CLOSE, then the end of the process.
void ClosePhone(RunningPhone& phone);

}  // namespace bench
