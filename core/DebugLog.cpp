#include "core/DebugLog.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/Messages.h"
#include "framework/WindowServices.h"

namespace {

constexpr char kDebugTitle[] = "Debug Window";

// Only this process's Debug Window: another program's, even another copy of this one, would
// read the record's address in its own memory, and a hung one would keep us waiting. The one
// found last is kept while it is a window of this process (the Debug Window lives as long as
// the program): a search walks every top-level window of the desktop, which under Wine costs
// more than the line itself, and every client text is a line.
HWND FindOwnDebugWindow() {
    thread_local HWND found = nullptr;
    const DWORD self = GetCurrentProcessId();
    DWORD owner = 0;
    if (found && IsWindow(found) && GetWindowThreadProcessId(found, &owner) != 0 && owner == self) {
        return found;
    }
    found = nullptr;
    HWND candidate = nullptr;
    while ((candidate = FindWindowExA(nullptr, candidate, fw::kDialogClass, kDebugTitle)) !=
           nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(candidate, &owner);
        if (owner == self) {
            return found = candidate;
        }
    }
    return nullptr;
}

// The record this thread's writer is sending; the Debug Window is on this thread and handles
// the send before it returns.
thread_local const COPYDATASTRUCT* recordBeingSent = nullptr;

LRESULT SendTo(HWND debugWindow, const COPYDATASTRUCT& record) {
    const COPYDATASTRUCT* outer = recordBeingSent;
    recordBeingSent = &record;
    const LRESULT result =
        SendMessageA(debugWindow, msg::UM_DEBUG_TEXT, 0, reinterpret_cast<LPARAM>(&record));
    recordBeingSent = outer;
    return result;
}

}  // namespace

bool IsDebugRecordBeingSent(const COPYDATASTRUCT* record) {
    return record != nullptr && record == recordBeingSent;
}

LRESULT SendDebugRecord(const COPYDATASTRUCT& record) {
    HWND debugWindow = FindOwnDebugWindow();
    return debugWindow ? SendTo(debugWindow, record) : 0;
}

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
        SendTo(debugWindow, COPYDATASTRUCT{0, static_cast<DWORD>(length + 1), staging.data()});
    }
}
