// simmodem: the command-line face of the simulated voice modem's control channel, for the
// demo and for poking at a running Voxtelo by hand.
#include "sim/modem/Channel.h"
#include "sim/modem/Settings.h"
#include "sim/modem/control/SimModemControl.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: simmodem [--channel NAME] COMMAND [ARGUMENTS]\n"
    "\n"
    "The far end (a program with the simulated modem must be running):\n"
    "  ring [NUMBER [NAME]]     a new incoming call, or one more ring; no NUMBER: no caller ID\n"
    "  callerid NUMBER [NAME]   the caller ID of the incoming call\n"
    "  answer                   the far end picks up an outgoing call (connect far-end)\n"
    "  hangup [MODE] [idle]     the far end hangs up (MODE: normal, busy, noanswer, ... or a\n"
    "                           number); idle: report IDLE at once too\n"
    "  busy | noanswer          an outgoing call meets a busy line / nobody answers\n"
    "  inject MESSAGE [device=call|line|N] [p1=X] [p2=X] [p3=X] [instance=N]\n"
    "                           queue one raw line message\n"
    "The modem itself:\n"
    "  close-line               the provider closes the program's line (LINE_CLOSE)\n"
    "  remove-line [DEVICE]     the line device is unplugged (LINE_REMOVE)\n"
    "  reinit                   every application must re-initialise TAPI\n"
    "What the program did:\n"
    "  log [AFTER]              the record, after sequence number AFTER\n"
    "  clear-log                empty the record\n"
    "  status                   applications, open lines and phones, calls, queued messages\n"
    "  wait FUNCTION MS         wait up to MS ms for a call of FUNCTION (e.g. lineMakeCallA)\n"
    "Configuration:\n"
    "  config SETTING...        save for programs started later, and apply to a running one\n"
    "  config reset             back to the defaults (the file is removed)\n"
    "  config show              the saved settings\n"
    "  set SETTING...           apply to the running program only\n"
    "\n"
    "The channel is NAME, else $VOXTELO_SIMMODEM_CHANNEL, else \"voxtelo\".\n"
    "Settings and the message sequences are described in sim/modem/README.md.\n";

std::string JoinQuoted(const std::vector<std::string>& words, size_t from) {
    std::string line;
    for (size_t i = from; i < words.size(); ++i) {
        if (!line.empty()) {
            line += " ";
        }
        line += simmodem::QuoteWord(words[i]);
    }
    return line;
}

int Run(const std::vector<std::string>& args) {
    size_t next = 0;
    std::string channel = simmodem::ChannelFromEnvironment();
    if (args.size() >= 2 && args[0] == "--channel") {
        channel = args[1];
        next = 2;
    }
    if (next >= args.size() || args[next] == "help" || args[next] == "--help") {
        std::fputs(kUsage, next >= args.size() ? stderr : stdout);
        return next >= args.size() ? 2 : 0;
    }
    simmodem::Control control(channel);
    const std::string& command = args[next];
    const std::vector<std::string> words(args.begin() + static_cast<long>(next), args.end());

    if (command == "config") {
        if (words.size() == 2 && words[1] == "reset") {
            control.ResetConfiguration();
        } else if (words.size() == 2 && words[1] == "show") {
            for (const std::string& line : control.SavedConfiguration()) {
                std::printf("%s\n", line.c_str());
            }
        } else if (words.size() >= 2) {
            control.Configure(JoinQuoted(words, 1));
            if (!control.IsLive()) {
                std::printf("saved; no program runs on channel '%s' yet\n", channel.c_str());
            }
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
        return 0;
    }
    if (command == "set" && words.size() >= 2) {
        control.ConfigureLive(JoinQuoted(words, 1));
        return 0;
    }
    if (command == "wait" && words.size() == 3) {
        char* end = nullptr;
        const unsigned long ms = std::strtoul(words[2].c_str(), &end, 10);
        if (*end != '\0') {
            std::fprintf(stderr, "simmodem: '%s' is not a number of milliseconds\n",
                         words[2].c_str());
            return 2;
        }
        if (auto entry = control.WaitFor(words[1], static_cast<uint32_t>(ms))) {
            std::printf("%s\n", simmodem::FormatEntry(*entry).c_str());
            return 0;
        }
        std::fprintf(stderr, "simmodem: no %s within %lu ms\n", words[1].c_str(), ms);
        return 1;
    }
    std::string request;
    if (command == "log") {
        request = "record" + std::string(words.size() > 1 ? " " + words[1] : "");
    } else if (command == "clear-log") {
        request = "clear-record";
    } else {
        request = JoinQuoted(words, 0);
    }
    std::fputs(control.Request(request).c_str(), stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        return Run(args);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "simmodem: %s\n", error.what());
        return 1;
    }
}
