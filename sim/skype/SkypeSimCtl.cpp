// skypesimctl.exe: drives a running Skype client simulator from a shell or a demo script.
#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "sim/skype/CommandLine.h"
#include "sim/skype/SimConnection.h"
#include "sim/skype/SimProcess.h"
#include "sim/skype/SimText.h"

namespace {

using namespace skypesim;

int Usage() {
    std::fputs(
        "usage: skypesimctl [--name NAME] [--timeout MS] COMMAND [ARGS...]\n"
        "  start [--script FILE]... [--exec CMD]...  start a simulator named NAME and leave it\n"
        "  wait-received MS TEXT...                  until the simulator has received TEXT\n"
        "  wait-sent MS TEXT...                      until it has sent TEXT to a program\n"
        "  wait-discovers N MS                       until it has seen N discover broadcasts\n"
        "  wait-attached MS                          until a program is attached\n"
        "  anything else is one control command: call-in bob, answer, hangup, offline, record...\n",
        stderr);
    return 2;
}

unsigned Milliseconds(const std::string& word) {
    auto value = ParseUnsigned(word);
    if (!value || *value > 0x7fffffff) {
        throw SimError("not a number of milliseconds: " + word);
    }
    return static_cast<unsigned>(*value);
}

void Print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
}

int Start(const std::string& name, const std::vector<std::string>& args, size_t first) {
    SimOptions options;
    options.name = name;
    for (size_t i = first; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) {
            return Usage();
        }
        if (args[i] == "--script") {
            options.scripts.push_back(args[i + 1]);
        } else if (args[i] == "--exec") {
            options.commands.push_back(args[i + 1]);
        } else {
            return Usage();
        }
    }
    SimProcess process(options);
    process.Release();
    Print("started " + name);
    return 0;
}

int Wait(SimConnection& sim, const std::string& what, const std::vector<std::string>& rest) {
    // A tool run from a shell owns no windows that need pumping.
    sim.SetPumpWhileWaiting(false);
    bool met = false;
    if (what == "wait-received" || what == "wait-sent") {
        if (rest.size() < 2) {
            return Usage();
        }
        std::string text = JoinFrom(rest, 1);
        met = what == "wait-received" ? sim.WaitForReceived(text, 1, Milliseconds(rest[0]))
                                      : sim.WaitForSent(text, 1, Milliseconds(rest[0]));
    } else if (what == "wait-discovers") {
        if (rest.size() != 2) {
            return Usage();
        }
        auto count = ParseUnsigned(rest[0]);
        if (!count) {
            return Usage();
        }
        met = sim.WaitForDiscovers(static_cast<size_t>(*count), Milliseconds(rest[1]));
    } else {
        if (rest.size() != 1) {
            return Usage();
        }
        met = sim.WaitForAttached(Milliseconds(rest[0]));
    }
    Print(met ? "OK" : "timed out");
    return met ? 0 : 1;
}

}  // namespace

int main() {
    std::vector<std::string> args = Utf8Arguments();
    std::string name = kDefaultName;
    unsigned timeoutMs = 10000;
    size_t i = 1;
    try {
        while (i + 1 < args.size() && (args[i] == "--name" || args[i] == "--timeout")) {
            if (args[i] == "--name") {
                name = args[i + 1];
            } else {
                timeoutMs = Milliseconds(args[i + 1]);
            }
            i += 2;
        }
        if (i >= args.size()) {
            return Usage();
        }
        const std::string& command = args[i];
        if (command == "start") {
            return Start(name, args, i + 1);
        }
        SimConnection sim(name);
        sim.SetRequestTimeout(timeoutMs);
        if (!sim.Connect(0)) {
            std::fprintf(stderr, "skypesimctl: no simulator named \"%s\" is running\n",
                         name.c_str());
            return 2;
        }
        if (command.compare(0, 5, "wait-") == 0) {
            return Wait(sim, command, std::vector<std::string>(args.begin() + i + 1, args.end()));
        }
        std::string reply = sim.Command(JoinFrom(args, i));
        Print(reply.empty() ? "OK" : reply);
        return 0;
    } catch (const SimError& e) {
        std::fprintf(stderr, "skypesimctl: %s\n", e.what());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "skypesimctl: %s\n", e.what());
        return 2;
    }
}
