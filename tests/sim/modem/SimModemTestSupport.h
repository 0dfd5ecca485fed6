// Helpers for driving the simulated modem's TAPI side from a test, as a program would.
#pragma once

#include <windows.h>
#include <tapi.h>

#include "sim/modem/control/SimModemControl.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace simmodem::test {

// Each test starts from the modem's defaults and an empty record, and leaves the defaults
// behind for the next one.
class FreshModemTest : public ::testing::Test {
protected:
    void SetUp() override {
        control.ResetConfiguration();
        control.ClearRecord();
    }
    void TearDown() override { control.ResetConfiguration(); }

    Control control;
};

// A TAPI line application initialised for event notification, shut down at the end.
class LineApp {
public:
    LineApp() {
        params_.dwTotalSize = sizeof params_;
        params_.dwOptions = LINEINITIALIZEEXOPTION_USEEVENT;
        returnedVersion = version;
        result = lineInitializeExA(&handle, nullptr, nullptr, "SimTest", &devices, &returnedVersion,
                                   &params_);
    }
    ~LineApp() {
        if (handle != 0) {
            lineShutdown(handle);  // the test may have shut it down already
        }
    }
    LineApp(const LineApp&) = delete;
    LineApp& operator=(const LineApp&) = delete;

    HANDLE Event() const { return params_.Handles.hEvent; }

    // Opens `device` the way the program opens its voice line.
    HLINE OpenVoice(DWORD device, DWORD lineStates = 0x01FFFFFF) {
        HLINE line = 0;
        EXPECT_EQ(0, lineOpenA(handle, device, &line, version, 0, 1,
                               LINECALLPRIVILEGE_MONITOR | LINECALLPRIVILEGE_OWNER,
                               LINEMEDIAMODE_AUTOMATEDVOICE, nullptr));
        EXPECT_EQ(0, lineSetStatusMessages(line, lineStates, 0));
        return line;
    }

    // Every message queued now, without waiting.
    std::vector<LINEMESSAGE> Drain() const {
        std::vector<LINEMESSAGE> messages;
        LINEMESSAGE message{};
        while (lineGetMessage(handle, &message, 0) == 0) {
            messages.push_back(message);
        }
        return messages;
    }

    HLINEAPP handle = 0;
    DWORD devices = 0;
    DWORD version = 0x00020000;  // asked for and used, as the program does: the 2.0 layouts
    DWORD returnedVersion = 0;   // the highest version TAPI answered with
    LONG result = 0;

private:
    LINEINITIALIZEEXPARAMS params_{};
};

// The parts of a LINEMESSAGE a sequence check compares.
struct Msg {
    DWORD id;
    DWORD_PTR param1;
    DWORD_PTR param2;
    bool operator==(const Msg& other) const {
        return id == other.id && param1 == other.param1 && param2 == other.param2;
    }
};
inline void PrintTo(const Msg& m, std::ostream* out) {
    *out << "{id " << m.id << ", p1 0x" << std::hex << m.param1 << ", p2 0x" << m.param2 << std::dec
         << "}";
}
inline std::vector<Msg> Brief(const std::vector<LINEMESSAGE>& messages) {
    std::vector<Msg> brief;
    for (const LINEMESSAGE& m : messages) {
        brief.push_back({m.dwMessageID, m.dwParam1, m.dwParam2});
    }
    return brief;
}

}  // namespace simmodem::test
