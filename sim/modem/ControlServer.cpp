// Serves the control channel for as long as the process lives. The DLL is pinned in memory,
// so the thread never outlives its code; it is not joined, because process exit ends it.
#include "sim/modem/ControlServer.h"

#include <windows.h>

#include "framework/Handles.h"
#include "sim/modem/Channel.h"
#include "sim/modem/ModemEngine.h"

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

DWORD WINAPI ServerThread(void* parameter) {
    fw::KernelHandle pipe(parameter);
    for (;;) {
        const BOOL connected = ConnectNamedPipe(pipe.Get(), nullptr);
        if (connected || GetLastError() == ERROR_PIPE_CONNECTED) {
            Serve(pipe.Get());
        } else {
            Report("ConnectNamedPipe failed with error " + std::to_string(GetLastError()));
            Sleep(100);  // a broken instance must not spin the processor
        }
        // The client may already be gone; disconnecting is what readies the next one.
        DisconnectNamedPipe(pipe.Get());
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
    HANDLE pipe = CreateNamedPipeA(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                   PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, kPipeBuffer,
                                   kPipeBuffer, 0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) {
        Report("channel '" + channel + "' is served by another process (error " +
               std::to_string(GetLastError()) + "); this one has no control channel");
        return;
    }
    fw::KernelHandle thread(CreateThread(nullptr, 0, ServerThread, pipe, 0, nullptr));
    if (!thread) {
        CloseHandle(pipe);
        Report("cannot start the control thread");
    }
}

}  // namespace simmodem
