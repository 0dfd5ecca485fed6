// Starts skypesim.exe for a test and owns it: the process is ended when the object goes.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "sim/skype/SimConnection.h"

namespace skypesim {

struct SimOptions {
    std::string name;                   // empty: a name unique to this process
    std::vector<std::string> commands;  // control commands run before the first message
    std::vector<std::string> scripts;   // script files, run before `commands`
    std::string exePath;                // empty: skypesim.exe beside the running program
    unsigned startTimeoutMs = 15000;
};

class SimProcess {
public:
    // Starts the simulator and waits until its control window is there; throws SimError when
    // it does not start or ends at once (a bad script, a name in use).
    explicit SimProcess(SimOptions options = {});
    // Asks the simulator to quit; ends it by force when it does not within a few seconds.
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    SimConnection& Control() { return *connection_; }
    const std::string& Name() const { return name_; }
    DWORD ProcessId() const { return processId_; }
    bool Running() const;
    HANDLE ProcessHandle() const { return process_.Get(); }

    // Ends the process at once: no text or attach status goes out (a client that quits
    // abruptly). Returns when the process is gone.
    void Kill();
    // Asks it to quit and waits at most `timeoutMs`; true when it has ended.
    bool Quit(unsigned timeoutMs);
    // Gives the process up: it keeps running after this object goes (the control tool's start).
    void Release() { process_.Reset(); }

    static std::string UniqueName(const char* prefix = "sim");
    // The folder of the running program, with no trailing backslash.
    static std::string ProgramDirectory();

private:
    void WaitForControlWindow(unsigned timeoutMs);

    std::string name_;
    fw::KernelHandle process_;
    DWORD processId_ = 0;
    std::unique_ptr<SimConnection> connection_;
};

}  // namespace skypesim
