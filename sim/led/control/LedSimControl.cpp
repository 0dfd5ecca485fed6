// The control codes the stand-in answers besides the program's request, over DeviceIoControl.
#include "sim/led/control/LedSimControl.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace ledsim {
namespace {

constexpr DWORD kPollMs = 10;
constexpr uint32_t kReadChunk = 512;  // entries per read

fw::FileHandle OpenDevice() {
    return fw::FileHandle(CreateFileA(LEDSIM_USER_PATH, GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                      nullptr));
}

struct ServiceTraits {
    using Handle = SC_HANDLE;
    static Handle Empty() { return nullptr; }
    static void Free(Handle h) { CloseServiceHandle(h); }
};
using ServiceHandle = fw::UniqueHandle<ServiceTraits>;

}  // namespace

std::string MethodName(uint32_t method) {
    char text[11];
    for (int i = 0; i < 4; ++i) {
        const char c = static_cast<char>(method >> (8 * i));
        if (c < 0x21 || c > 0x7E) {
            std::snprintf(text, sizeof text, "0x%08X", method);
            return text;
        }
        text[i] = c;
    }
    return std::string(text, 4);
}

std::string OutcomeName(uint8_t outcome) {
    static const char* const names[LEDSIM_OUTCOMES] = {
        "answered",     "answered-unparsable",  "failed-on-purpose", "bad-size",       "bad-header",
        "bad-argument", "pointer-out-of-reach", "unknown-method",    "reply-too-small"};
    return outcome < LEDSIM_OUTCOMES ? names[outcome] : "outcome-" + std::to_string(outcome);
}

std::string FormName(uint8_t form) {
    return form == LEDSIM_FORM_INLINE    ? "inline"
           : form == LEDSIM_FORM_POINTER ? "pointer"
                                         : "neither";
}

std::string Describe(const Entry& e) {
    char argument[32];
    if (e.form == LEDSIM_FORM_POINTER) {
        std::snprintf(argument, sizeof argument, "address=0x%08X", e.address);
    } else {
        std::snprintf(argument, sizeof argument, "value=%u", e.value);
    }
    return std::to_string(e.seq) + " pid=" + std::to_string(e.process) + " " +
           MethodName(e.method) + " " + argument + " " + FormName(e.form) + " " +
           std::to_string(e.length) + " " + OutcomeName(e.outcome);
}

Control::Control() : device_(OpenDevice()) {
    if (!device_) {
        throw ControlError(
            std::string("the LED device stand-in is not running (") + LEDSIM_USER_PATH +
            " cannot be opened, error " + std::to_string(GetLastError()) +
            "); tools/wine.sh registers and starts the service " + LEDSIM_SERVICE_NAME);
    }
}

bool Control::IsRunning() {
    return OpenDevice().Valid();
}

bool Control::Start() {
    ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) {
        return false;
    }
    ServiceHandle service(OpenServiceA(manager.Get(), LEDSIM_SERVICE_NAME, SERVICE_START));
    if (!service) {
        return false;
    }
    if (!StartServiceA(service.Get(), 0, nullptr) &&
        GetLastError() != ERROR_SERVICE_ALREADY_RUNNING) {
        return false;
    }
    return IsRunning();
}

void Control::Call(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                   uint32_t* returned) const {
    DWORD bytes = 0;
    if (!DeviceIoControl(device_.Get(), code, const_cast<void*>(in), inSize, out, outSize, &bytes,
                         nullptr)) {
        throw ControlError("the LED device stand-in refused control code " + std::to_string(code) +
                           " (error " + std::to_string(GetLastError()) + ")");
    }
    if (returned) {
        *returned = bytes;
    }
}

Snapshot Control::Read(uint32_t afterSeq) const {
    Snapshot snapshot;
    std::vector<uint8_t> buffer(sizeof(LedSimRecordHeader) + kReadChunk * sizeof(LedSimEntry));
    for (;;) {
        uint32_t returned = 0;
        Call(LEDSIM_IOCTL_READ_RECORD, &afterSeq, sizeof afterSeq, buffer.data(),
             static_cast<uint32_t>(buffer.size()), &returned);
        LedSimRecordHeader header;
        if (returned < sizeof header) {
            throw ControlError("the LED device stand-in sent a short record");
        }
        std::memcpy(&header, buffer.data(), sizeof header);
        if (header.count > (returned - sizeof header) / sizeof(LedSimEntry)) {
            throw ControlError("the LED device stand-in sent a record shorter than it claims");
        }
        snapshot.ledOn = header.led != 0;
        snapshot.lastSeq = header.lastSeq;
        snapshot.replyMode = header.replyMode;
        for (uint32_t i = 0; i < header.count; ++i) {
            LedSimEntry raw;
            std::memcpy(&raw, buffer.data() + sizeof header + i * sizeof raw, sizeof raw);
            snapshot.entries.push_back({raw.seq, raw.process, raw.method, raw.value, raw.address,
                                        raw.length, raw.form, raw.outcome});
            afterSeq = raw.seq;
        }
        if (header.count < kReadChunk) {
            return snapshot;
        }
    }
}

void Control::Clear() {
    Call(LEDSIM_IOCTL_CLEAR_RECORD, nullptr, 0, nullptr, 0, nullptr);
}

void Control::SetReplyMode(uint32_t mode) {
    Call(LEDSIM_IOCTL_SET_REPLY, &mode, sizeof mode, nullptr, 0, nullptr);
}

std::optional<Entry> Control::WaitFor(const std::function<bool(const Entry&)>& match,
                                      uint32_t afterSeq, unsigned timeoutMs) const {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        for (const Entry& entry : Entries(afterSeq)) {
            if (match(entry)) {
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

}  // namespace ledsim
