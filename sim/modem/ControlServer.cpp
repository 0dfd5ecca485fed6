// Serves the control channel for as long as the process lives. The DLL is pinned in memory,
// so the thread never outlives its code; it is not joined, because process exit ends it.
#include "sim/modem/ControlServer.h"

#include <windows.h>

#include "framework/Handles.h"
#include "sim/modem/Channel.h"
#include "sim/modem/ModemEngine.h"

#include <memory>
#include <string>

namespace simmodem {
namespace {

constexpr DWORD kPipeBuffer = 64 * 1024;

void Report(const std::string& text) {
    OutputDebugStringA(("simulated modem: " + text + "\n").c_str());
}

void Serve(HANDLE pipe) {
    std::string request;
    while (ReadFrame(pipe, &request)) {
        const std::string reply = ModemEngine::Instance().Execute(request);
        if (!WriteFrame(pipe, reply)) {
            return;
        }
    }
}

HANDLE CreateInstance(const std::string& name, bool first) {
    return CreateNamedPipeA(name.c_str(),
                            PIPE_ACCESS_DUPLEX | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0),
                            PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT,
                            PIPE_UNLIMITED_INSTANCES, kPipeBuffer, kPipeBuffer, 0, nullptr);
}

struct ServerStart {
    std::string name;
    HANDLE firstInstance;
};

DWORD WINAPI ServerThread(void* parameter) {
    std::unique_ptr<ServerStart> start(static_cast<ServerStart*>(parameter));
    fw::FileHandle listening(start->firstInstance);
    for (;;) {
        if (!listening) {
            Report("cannot create a pipe instance, error " + std::to_string(GetLastError()));
            Sleep(100);  // a broken pipe must not spin the processor
            listening.Reset(CreateInstance(start->name, false));
            continue;
        }
        const BOOL connected = ConnectNamedPipe(listening.Get(), nullptr);
        if (!connected && GetLastError() != ERROR_PIPE_CONNECTED) {
            Report("ConnectNamedPipe failed with error " + std::to_string(GetLastError()));
            Sleep(100);
            continue;
        }
        // A fresh instance listens while this client is served: between two clients the
        // pipe never vanishes, so a client never mistakes a busy moment for no program.
        fw::FileHandle serving(listening.Release());
        listening.Reset(CreateInstance(start->name, false));
        Serve(serving.Get());
        DisconnectNamedPipe(serving.Get());
    }
}

}  // namespace

void StartControlServer() {
    const std::string channel = ChannelFromEnvironment();
    if (channel.empty()) {
        Report(std::string(kChannelVariable) + " is not a valid channel name");
        return;
    }
    const std::string name = PipeName(channel);
    HANDLE pipe = CreateInstance(name, true);
    if (pipe == INVALID_HANDLE_VALUE) {
        Report("channel '" + channel + "' is served by another process (error " +
               std::to_string(GetLastError()) + "); this one has no control channel");
        return;
    }
    auto start = std::make_unique<ServerStart>(ServerStart{name, pipe});
    fw::KernelHandle thread(CreateThread(nullptr, 0, ServerThread, start.get(), 0, nullptr));
    if (!thread) {
        CloseHandle(pipe);
        Report("cannot start the control thread");
        return;
    }
    start.release();  // the thread owns it now
}

}  // namespace simmodem
