// Shared set-up for tests that drive the modem classes against the simulated voice modem in
// this process: a host window titled "Voxtelo", the simulator's control, and the codes the
// line-message thread posts.
#pragma once

#include <windows.h>
#include <tapi.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "sim/modem/control/SimModemControl.h"
#include "tests/support/BackendHost.h"
#include "tests/support/GuiTest.h"

namespace modemtest {

// The sentinel message: its code (LINE_GENERATE gives 10) shows that every message queued
// before it has been turned into codes.
constexpr uint32_t kSentinelMessage = 7;  // LINE_GENERATE
constexpr int kSentinelCode = 10;

// The longest one step may take on a loaded machine: a bound, never a wait that passes.
constexpr DWORD kSettleMs = 20000;

// Waits until the step's own marker has arrived, wherever it falls among what came in, then
// handles everything already queued for the window. Never asks for the marker to be last.
inline bool SettleOn(const std::function<bool()>& markerArrived) {
    const bool arrived = test::WaitUntil(markerArrived, kSettleMs);
    test::PumpPending();
    return arrived;
}

inline std::vector<simmodem::RecordEntry> CallsOf(const simmodem::Control& control,
                                                  const std::string& function) {
    std::vector<simmodem::RecordEntry> calls;
    for (const auto& entry : control.Record()) {
        if (entry.function == function) {
            calls.push_back(entry);
        }
    }
    return calls;
}

inline std::vector<std::string> FunctionsCalled(const simmodem::Control& control) {
    std::vector<std::string> functions;
    for (const auto& entry : control.Record()) {
        functions.push_back(entry.function);
    }
    return functions;
}

inline std::string Join(const std::vector<int>& codes) {
    std::string text;
    for (int code : codes) {
        text += std::to_string(code) + " ";
    }
    return text;
}

}  // namespace modemtest
