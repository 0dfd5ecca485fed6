// skypesim.exe: a stand-in for the Skype desktop client's side of the window-message API.
//   skypesim.exe [--name NAME] [--script FILE]... [--exec "COMMAND"]...
#include <windows.h>

#include <cstdio>
#include <exception>
#include <memory>

#include "framework/Handles.h"
#include "sim/skype/CommandLine.h"
#include "sim/skype/ControlCommands.h"
#include "sim/skype/ControlProtocol.h"
#include "sim/skype/SimApp.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: skypesim.exe [--name NAME] [--script FILE]... [--exec \"COMMAND\"]...\n");
    return 2;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace skypesim;
    std::vector<std::string> args = Utf8Arguments();
    std::string name = kDefaultName;
    std::vector<std::string> commands;
    try {
        for (size_t i = 1; i < args.size(); ++i) {
            if (i + 1 >= args.size()) {
                return Usage();
            }
            const std::string& option = args[i];
            const std::string& value = args[++i];
            if (option == "--name" && !value.empty()) {
                name = value;
            } else if (option == "--script") {
                for (std::string& line : ReadScript(value)) {
                    commands.push_back(std::move(line));
                }
            } else if (option == "--exec") {
                commands.push_back(value);
            } else {
                return Usage();
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "skypesim: %s\n", e.what());
        return 2;
    }

    // Two simulators of one name would share a control channel; the mutex is held for life.
    fw::KernelHandle nameLock(CreateMutexA(nullptr, FALSE, ("VoxteloSkypeSim." + name).c_str()));
    if (!nameLock) {
        std::fprintf(stderr, "skypesim: cannot use the name \"%s\" (error %lu)\n", name.c_str(),
                     GetLastError());
        return 2;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        std::fprintf(stderr, "skypesim: a simulator named \"%s\" is already running\n",
                     name.c_str());
        return 2;
    }
    auto app = std::make_unique<SimApp>(name);
    if (!app->Create()) {
        std::fprintf(stderr, "skypesim: cannot create its windows (error %lu)\n", GetLastError());
        return 1;
    }
    for (const std::string& command : commands) {
        std::string reply = RunControlCommand(*app, command);
        if (reply.compare(0, 3, "ERR") == 0) {
            std::fprintf(stderr, "skypesim: \"%s\": %s\n", command.c_str(), reply.c_str());
            return 2;
        }
        app->RunAfterReply();
    }
    app->OpenControlChannel();

    MSG msg;
    BOOL got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) {
            std::fprintf(stderr, "skypesim: GetMessage failed (error %lu)\n", GetLastError());
            return 1;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
