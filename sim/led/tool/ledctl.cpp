// ledctl: reads and steers the LED device stand-in from a shell (sim/led/README.md).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sim/led/control/LedSimControl.h"

namespace {

int Usage() {
    std::fputs(
        "usage: ledctl status                  the LED, the last request number, the reply mode\n"
        "       ledctl log [AFTER]             the record, one request a line\n"
        "       ledctl clear                   forgets the record\n"
        "       ledctl reply normal|fail|unparsable\n"
        "       ledctl wait on|off MS [AFTER]  waits for an answered PLED request\n"
        "       ledctl start                   starts the registered driver service\n",
        stderr);
    return 2;
}

bool ParseNumber(const char* text, uint32_t* out) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (!*text || *end || value > UINT32_MAX) {
        return false;
    }
    *out = static_cast<uint32_t>(value);
    return true;
}

const char* const kModes[LEDSIM_REPLY_MODES] = {"normal", "fail", "unparsable"};

int Run(int argc, char** argv) {
    const std::string command = argv[1];
    if (command == "start") {
        if (!ledsim::Control::Start()) {
            std::fprintf(stderr, "ledctl: the service %s cannot be started\n", LEDSIM_SERVICE_NAME);
            return 1;
        }
        return 0;
    }
    ledsim::Control control;
    if (command == "status" && argc == 2) {
        const ledsim::Snapshot s = control.Read(UINT32_MAX);
        std::printf("led %s\nlastSeq %u\nreply %s\n", s.ledOn ? "on" : "off", s.lastSeq,
                    s.replyMode < LEDSIM_REPLY_MODES ? kModes[s.replyMode] : "?");
        return 0;
    }
    if (command == "log" && argc <= 3) {
        uint32_t after = 0;
        if (argc == 3 && !ParseNumber(argv[2], &after)) {
            return Usage();
        }
        for (const ledsim::Entry& entry : control.Entries(after)) {
            std::printf("%s\n", ledsim::Describe(entry).c_str());
        }
        return 0;
    }
    if (command == "clear" && argc == 2) {
        control.Clear();
        return 0;
    }
    if (command == "reply" && argc == 3) {
        for (uint32_t mode = 0; mode < LEDSIM_REPLY_MODES; ++mode) {
            if (std::strcmp(argv[2], kModes[mode]) == 0) {
                control.SetReplyMode(mode);
                return 0;
            }
        }
        return Usage();
    }
    if (command == "wait" && (argc == 4 || argc == 5)) {
        const bool on = std::strcmp(argv[2], "on") == 0;
        uint32_t ms = 0;
        uint32_t after = 0;
        if ((!on && std::strcmp(argv[2], "off") != 0) || !ParseNumber(argv[3], &ms) ||
            (argc == 5 && !ParseNumber(argv[4], &after))) {
            return Usage();
        }
        const auto entry = control.WaitForLed(on ? 1 : 0, after, ms);
        if (!entry) {
            std::fprintf(stderr, "ledctl: no PLED %s request within %u ms\n", argv[2], ms);
            return 1;
        }
        std::printf("%s\n", ledsim::Describe(*entry).c_str());
        return 0;
    }
    return Usage();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return Usage();
    }
    try {
        return Run(argc, argv);
    } catch (const ledsim::ControlError& error) {
        std::fprintf(stderr, "ledctl: %s\n", error.what());
        return 1;
    }
}
