#include "core/DebugLog.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "core/Messages.h"
#include "framework/WindowServices.h"

void SendDebugText(std::string_view text) {
    if (text.empty()) {
        return;
    }
    HWND debugWindow = fw::FindDialogWindow("Debug Window");
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
