// The request travels through DeviceIoControl; its layouts live in LedRequest.
#include "app/LedDevice.h"

#include <windows.h>

#include <array>
#include <cstring>

#include "app/LedRequest.h"
#include "framework/Handles.h"

namespace {

using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);

// Looked up during static initialisation, before the application runs.
const IsWow64ProcessFunction isWow64Process = reinterpret_cast<IsWow64ProcessFunction>(
    reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "IsWow64Process")));

fw::FileHandle device;
bool wow64 = false;

}  // namespace

namespace LedDevice {

bool Open() {
    device.Reset(CreateFileA("\\\\.\\QVXACPI", GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                             nullptr));
    return device.Valid();
}

bool IsOpen() {
    return device.Valid();
}

void DetectWow64() {
    wow64 = false;
    BOOL answer = FALSE;
    if (isWow64Process && isWow64Process(GetCurrentProcess(), &answer)) {
        wow64 = answer != FALSE;
    }
}

bool IsWow64() {
    return wow64;
}

uint32_t SetLed(uint32_t method, uint32_t value) {
    if (!device) {
        return 0;
    }
    const auto record = led::ArgumentRecord(value);
    const led::Layout layout = led::ChooseLayout(sizeof(void*) == 8, wow64);
    const auto address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(record.data()));
    std::vector<uint8_t> request = led::BuildRequest(layout, method, value, address);

    std::array<uint8_t, led::kReplySize> reply{};
    DWORD returned = 0;
    // A failed request changes nothing and is not reported: the reply then stays zero.
    DeviceIoControl(device.Get(), led::kControlCode, request.data(),
                    static_cast<DWORD>(request.size()), reply.data(),
                    static_cast<DWORD>(reply.size()), &returned, nullptr);
    return led::ReplyDataWord(reply.data(), reply.size(), 0).value_or(0);
}

}  // namespace LedDevice
