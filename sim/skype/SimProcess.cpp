// Launching and ending the simulator process.
#include "sim/skype/SimProcess.h"

#include <atomic>

namespace skypesim {
namespace {

std::wstring Widen(const std::string& utf8) {
    int size = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(size > 0 ? size : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), size);
    wide.resize(wide.size() - 1);
    return wide;
}

// Quotes one argument the way CommandLineToArgvW reads it back.
std::wstring Quote(const std::wstring& arg) {
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') {
            out.append(backslashes * 2 + 1, L'\\');
        } else {
            out.append(backslashes, L'\\');
        }
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    out += L'"';
    return out;
}

}  // namespace

std::string SimProcess::UniqueName(const char* prefix) {
    static std::atomic<unsigned> counter{0};
    return std::string(prefix) + "-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++counter);
}

std::string SimProcess::ProgramDirectory() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH) {
        throw SimError("cannot tell where the running program lives");
    }
    std::string directory(path, length);
    return directory.substr(0, directory.find_last_of("\\/"));
}

SimProcess::SimProcess(SimOptions options)
    : name_(options.name.empty() ? UniqueName() : options.name) {
    std::string exe =
        options.exePath.empty() ? ProgramDirectory() + "\\skypesim.exe" : options.exePath;
    std::wstring commandLine = Quote(Widen(exe)) + L" --name " + Quote(Widen(name_));
    for (const std::string& script : options.scripts) {
        commandLine += L" --script " + Quote(Widen(script));
    }
    for (const std::string& command : options.commands) {
        commandLine += L" --exec " + Quote(Widen(command));
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        throw SimError("cannot start " + exe + " (error " + std::to_string(GetLastError()) + ")");
    }
    process_.Reset(info.hProcess);
    fw::KernelHandle thread(info.hThread);
    processId_ = info.dwProcessId;
    try {
        connection_ = std::make_unique<SimConnection>(name_);
        WaitForControlWindow(options.startTimeoutMs);
    } catch (...) {
        // No owner will be left to end it.
        TerminateProcess(process_.Get(), 9);
        throw;
    }
}

void SimProcess::WaitForControlWindow(unsigned timeoutMs) {
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!connection_->Connect(0, processId_)) {
        if (!Running()) {
            DWORD code = 0;
            GetExitCodeProcess(process_.Get(), &code);
            throw SimError("skypesim \"" + name_ + "\" ended at start (exit code " +
                           std::to_string(code) + ")");
        }
        if (GetTickCount64() >= deadline) {
            throw SimError("skypesim \"" + name_ + "\" did not start in time");
        }
        Sleep(20);
    }
}

SimProcess::~SimProcess() {
    if (!Running()) {
        return;
    }
    if (!Quit(5000)) {
        Kill();
    }
}

bool SimProcess::Running() const {
    return process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

void SimProcess::Kill() {
    if (!Running()) {
        return;
    }
    if (!TerminateProcess(process_.Get(), 9)) {
        throw SimError("cannot end skypesim \"" + name_ + "\"");
    }
    WaitForSingleObject(process_.Get(), 10000);
}

bool SimProcess::Quit(unsigned timeoutMs) {
    if (!Running()) {
        return true;
    }
    connection_->SetRequestTimeout(timeoutMs);
    try {
        connection_->Command("quit");
    } catch (const SimError&) {
        return false;  // hung or already going: the caller ends it by force
    }
    return WaitForSingleObject(process_.Get(), timeoutMs) == WAIT_OBJECT_0;
}

}  // namespace skypesim
