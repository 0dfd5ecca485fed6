// The control side of the channel: one pipe connection per request, so any number of
// tests and tools can take turns with a program.
#include "sim/modem/control/SimModemControl.h"

#include <windows.h>

#include "framework/Handles.h"
#include "sim/modem/Channel.h"
#include "sim/modem/Settings.h"
#include "sim/modem/TapiNames.h"

#include <fstream>
#include <sstream>

namespace simmodem {
namespace {

constexpr DWORD kBusyWaitMs = 5000;  // another client's request is short
constexpr DWORD kPollMs = 10;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line)) {
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

}  // namespace

Control::Control() : Control(ChannelFromEnvironment()) {}

Control::Control(std::string channel) : channel_(std::move(channel)) {
    if (!IsValidChannelName(channel_)) {
        throw ControlError("'" + channel_ + "' is not a valid channel name (" + kChannelVariable +
                           ")");
    }
}

bool Control::TryRequest(const std::string& request, std::string* reply) const {
    const std::string name = PipeName(channel_);
    const ULONGLONG start = GetTickCount64();
    fw::FileHandle pipe;
    for (;;) {
        pipe.Reset(CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr));
        if (pipe) {
            break;
        }
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) {
            return false;
        }
        const ULONGLONG waited = GetTickCount64() - start;
        if (error != ERROR_PIPE_BUSY || waited >= kBusyWaitMs) {
            throw ControlError("cannot reach the simulated modem on channel '" + channel_ +
                               "' (error " + std::to_string(error) + ")");
        }
        // The server is between two clients; the outcome is retried either way.
        WaitNamedPipeA(name.c_str(), static_cast<DWORD>(kBusyWaitMs - waited));
    }
    std::string frame;
    if (!WriteFrame(pipe.Get(), request) || !ReadFrame(pipe.Get(), &frame)) {
        throw ControlError("the simulated modem on channel '" + channel_ +
                           "' broke off the request '" + request + "'");
    }
    *reply = frame;
    return true;
}

std::string Control::Request(const std::string& request) const {
    std::string reply;
    if (!TryRequest(request, &reply)) {
        throw ControlError("no program with the simulated modem runs on channel '" + channel_ +
                           "'");
    }
    const size_t newline = reply.find('\n');
    const std::string status = reply.substr(0, newline);
    const std::string payload = newline == std::string::npos ? "" : reply.substr(newline + 1);
    if (status != "ok") {
        throw ControlError(request + ": " + payload);
    }
    return payload;
}

bool Control::IsLive() const {
    std::string reply;
    return TryRequest("ping", &reply);
}

void Control::Configure(const std::string& setting) {
    if (setting.find_first_of("\r\n") != std::string::npos) {
        throw ControlError("a setting is one line");
    }
    Settings check = Settings::Defaults();
    const std::string error = ApplySetting(check, setting);
    if (!error.empty()) {
        throw ControlError("setting '" + setting + "': " + error);
    }
    {
        std::ofstream file(ConfigFilePath(channel_), std::ios::app);
        file << setting << "\n";
        if (!file) {
            throw ControlError("cannot write " + ConfigFilePath(channel_));
        }
    }
    std::string reply;
    if (TryRequest("set " + setting, &reply) && reply.compare(0, 3, "ok\n") != 0) {
        throw ControlError("setting '" + setting + "': " + reply.substr(reply.find('\n') + 1));
    }
}

void Control::ConfigureLive(const std::string& setting) {
    Request("set " + setting);
}

void Control::ResetConfiguration() {
    const std::string path = ConfigFilePath(channel_);
    if (!DeleteFileA(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
        throw ControlError("cannot remove " + path);
    }
    std::string reply;
    TryRequest("set reset", &reply);  // nothing to reset when no program runs
}

std::vector<std::string> Control::SavedConfiguration() const {
    std::ifstream file(ConfigFilePath(channel_));
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(file, line)) {
        lines.push_back(line);
    }
    return lines;
}

void Control::SetLineDevices(const std::vector<LineDevice>& devices) {
    std::string setting = "lines";
    if (devices.empty()) {
        setting += " none";
    }
    for (const LineDevice& device : devices) {
        std::string word = device.kind == LineDevice::Kind::Data    ? "data"
                           : device.kind == LineDevice::Kind::Voice ? "voice"
                                                                    : Hex(device.mediaModes);
        if (!device.name.empty()) {
            word += ":" + device.name;
        }
        setting += " " + QuoteWord(word);
    }
    Configure(setting);
}

void Control::SetPhoneDeviceCount(int count) {
    Configure("phones " + std::to_string(count));
}

void Control::SetConnectMode(ConnectMode mode) {
    Configure(mode == ConnectMode::AfterDialling ? "connect after-dialling" : "connect far-end");
}

void Control::SetHighestApiVersion(uint32_t version) {
    Configure("api-version " + Hex(version));
}

void Control::SetHookSwitchReply(HookSwitchReply reply) {
    Configure(reply == HookSwitchReply::RequestId ? "hookswitch-result request"
                                                  : "hookswitch-result zero");
}

void Control::SetCallInfoPadding(uint32_t bytes) {
    Configure("callinfo-padding " + std::to_string(bytes));
}

void Control::SetCallerIdOffset(std::optional<uint32_t> offset) {
    Configure("callerid-offset " + (offset ? Hex(*offset) : std::string("auto")));
}

void Control::SetCallerIdSize(std::optional<uint32_t> size) {
    Configure("callerid-size " + (size ? Hex(*size) : std::string("auto")));
}

void Control::SetCallInfoNeededSize(std::optional<uint32_t> bytes) {
    Configure("callinfo-needed " + (bytes ? Hex(*bytes) : std::string("auto")));
}

void Control::SetEventHandleValid(bool valid) {
    Configure(valid ? "event-handle valid" : "event-handle invalid");
}

void Control::FailNext(const std::string& function, int32_t code) {
    Configure("fail " + function + " " + TapiResultText(code) + " once");
}

void Control::FailAlways(const std::string& function, int32_t code) {
    Configure("fail " + function + " " + TapiResultText(code) + " always");
}

void Control::FailInReply(const std::string& function, int32_t code) {
    Configure("fail " + function + " " + TapiResultText(code) + " reply");
}

void Control::ClearFailure(const std::string& function) {
    Configure("fail " + function + " off");
}

void Control::Ring(const std::string& number, const std::string& name) {
    std::string request = "ring";
    if (!number.empty()) {
        request += " " + QuoteWord(number);
        if (!name.empty()) {
            request += " " + QuoteWord(name);
        }
    }
    Request(request);
}

void Control::SendCallerId(const std::string& number, const std::string& name) {
    Request("callerid " + QuoteWord(number) + (name.empty() ? "" : " " + QuoteWord(name)));
}

void Control::AnswerAsFarEnd() {
    Request("answer");
}

void Control::HangUp(uint32_t mode, bool thenIdle) {
    Request("hangup " + Hex(mode) + (thenIdle ? " idle" : ""));
}

void Control::Busy() {
    Request("busy");
}

void Control::NoAnswer() {
    Request("noanswer");
}

void Control::CloseLine() {
    Request("close-line");
}

void Control::RemoveLine(std::optional<uint32_t> device) {
    Request("remove-line" + (device ? " " + std::to_string(*device) : std::string()));
}

void Control::Reinit() {
    Request("reinit");
}

void Control::Inject(uint32_t messageId, uint32_t param1, uint32_t param2, uint32_t param3,
                     const std::string& device, std::optional<uint32_t> instance) {
    std::string request = "inject " + Hex(messageId) + " p1=" + Hex(param1) + " p2=" + Hex(param2) +
                          " p3=" + Hex(param3);
    if (!device.empty()) {
        request += " device=" + QuoteWord(device);
    }
    if (instance) {
        request += " instance=" + Hex(*instance);
    }
    Request(request);
}

std::vector<RecordEntry> Control::Record(uint64_t afterSeq) const {
    std::vector<RecordEntry> entries;
    for (const std::string& line : Lines(Request("record " + std::to_string(afterSeq)))) {
        RecordEntry entry;
        if (!ParseEntry(line, &entry)) {
            throw ControlError("unreadable record line '" + line + "'");
        }
        entries.push_back(entry);
    }
    return entries;
}

void Control::ClearRecord() {
    Request("clear-record");
}

std::vector<StatusEntry> Control::Status() const {
    std::vector<StatusEntry> entries;
    for (const std::string& line : Lines(Request("status"))) {
        StatusEntry entry;
        if (!ParseEntry(line, &entry)) {
            throw ControlError("unreadable status line '" + line + "'");
        }
        entries.push_back(entry);
    }
    return entries;
}

uint64_t Control::LastSeq() const {
    const std::vector<RecordEntry> entries = Record();
    return entries.empty() ? 0 : entries.back().seq;
}

std::optional<RecordEntry> Control::WaitFor(const std::string& function, uint32_t timeoutMs,
                                            uint64_t afterSeq) const {
    if (!FunctionByName(function)) {
        throw ControlError("no function '" + function + "' is recorded");
    }
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        for (const RecordEntry& entry : Record(afterSeq)) {
            if (entry.function == function) {
                return entry;
            }
            afterSeq = entry.seq;
        }
        if (GetTickCount64() - start >= timeoutMs) {
            return std::nullopt;
        }
        Sleep(kPollMs);
    }
}

std::optional<RecordEntry> Control::WaitForLineOpen(uint32_t timeoutMs, uint64_t afterSeq) const {
    return WaitFor("lineOpenA", timeoutMs, afterSeq);
}

std::optional<RecordEntry> Control::WaitForDial(uint32_t timeoutMs, uint64_t afterSeq) const {
    return WaitFor("lineMakeCallA", timeoutMs, afterSeq);
}

std::optional<RecordEntry> Control::WaitForAnswer(uint32_t timeoutMs, uint64_t afterSeq) const {
    return WaitFor("lineAnswer", timeoutMs, afterSeq);
}

std::optional<RecordEntry> Control::WaitForDrop(uint32_t timeoutMs, uint64_t afterSeq) const {
    return WaitFor("lineDrop", timeoutMs, afterSeq);
}

std::optional<RecordEntry> Control::WaitForHookSwitch(uint32_t timeoutMs, uint64_t afterSeq) const {
    return WaitFor("phoneSetHookSwitch", timeoutMs, afterSeq);
}

std::optional<RecordEntry> Control::WaitForShutdown(uint32_t timeoutMs, uint64_t afterSeq) const {
    return WaitFor("lineShutdown", timeoutMs, afterSeq);
}

bool Control::WaitForMessagesTaken(uint32_t timeoutMs) const {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        bool pending = false;
        // Phone messages are left out: the program never reads them.
        for (const StatusEntry& entry : Status()) {
            pending = pending ||
                      (entry.function == "lineApp" && entry.Number("pending").value_or(0) != 0);
        }
        if (!pending) {
            return true;
        }
        if (GetTickCount64() - start >= timeoutMs) {
            return false;
        }
        Sleep(kPollMs);
    }
}

bool Control::WaitForLive(uint32_t timeoutMs) const {
    const ULONGLONG start = GetTickCount64();
    while (!IsLive()) {
        if (GetTickCount64() - start >= timeoutMs) {
            return false;
        }
        Sleep(kPollMs);
    }
    return true;
}

}  // namespace simmodem
