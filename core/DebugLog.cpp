#include "core/DebugLog.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "core/Messages.h"
#include "framework/WindowServices.h"

namespace {

// Only this process's Debug Window: another program's, even another copy of this one, would
// read the record's address in its own memory, and a hung one would keep us waiting.
HWND FindOwnDebugWindow() {
    const DWORD self = GetCurrentProcessId();
    HWND candidate = nullptr;
    while ((candidate = FindWindowExA(nullptr, candidate, fw::kDialogClass, "Debug Window")) !=
           nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(candidate, &owner);
        if (owner == self) {
            return candidate;
        }
    }
    return nullptr;
}

}  // namespace

void SendDebugText(std::string_view text) {
    if (text.empty()) {
        return;
    }
    HWND debugWindow = FindOwnDebugWindow();
    if (!debugWindow) {
        return;
    }
    std::array<char, kDebugTextPieceMax + 1> staging;
    for (size_t offset = 0; offset < text.size(); offset += kDebugTextPieceMax) {
        const size_t length = std::min(kDebugTextPieceMax, text.size() - offset);
        std::memcpy(staging.data(), text.data() + offset, length);
        staging[length] = '\0';
        COPYDATASTRUCT record{0, static_cast<DWORD>(length + 1), staging.data()};
        SendMessageA(debugWindow, msg::UM_DEBUG_TEXT, 0, reinterpret_cast<LPARAM>(&record));
    }
}
