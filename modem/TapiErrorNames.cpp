// The system-text fallback of the TAPI error names.
#include "modem/TapiErrorNames.h"

#include <windows.h>

#include <memory>

#include "modem/TapiNames.h"

namespace {

// FormatMessageA's allocated buffers are released with LocalFree.
struct LocalFreeDeleter {
    void operator()(char* text) const { LocalFree(text); }
};

}  // namespace

std::string SystemMessageText(uint32_t value) {
    char* raw = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
        nullptr, value, 0, reinterpret_cast<char*>(&raw), 0, nullptr);
    std::unique_ptr<char, LocalFreeDeleter> text(raw);
    // No text for the value: the name only goes to the log, where "" serves.
    if (length == 0 || !text) {
        return {};
    }
    return std::string(text.get(), length);
}

std::string LineErrorName(int32_t result) {
    const auto value = static_cast<uint32_t>(result);
    if (const char* name = LineErrorTableName(value)) {
        return name;
    }
    return SystemMessageText(value);
}

std::string PhoneErrorName(int32_t result) {
    const auto value = static_cast<uint32_t>(result);
    if (const char* name = PhoneErrorTableName(value)) {
        return name;
    }
    return SystemMessageText(value);
}
