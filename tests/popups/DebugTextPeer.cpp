// A second program for the Debug Window's tests: it owns a Debug Window of its own, or hands a
// log record to another program's window the way a foreign sender would.
//   debug_text_peer window               a hidden Debug Window, until the process is ended
//   debug_text_peer send HWND ADDRESS    UM_DEBUG_TEXT with lParam ADDRESS sent to HWND
//   debug_text_peer post HWND ADDRESS    the same, posted
// Exit code 0 when the window was made or the message delivered, 1 when not, 2 for bad usage.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "core/Messages.h"
#include "framework/MessageLoop.h"
#include "popups/DebugDlg.h"

namespace {

uintptr_t Hex(const char* text) {
    return static_cast<uintptr_t>(std::strtoull(text, nullptr, 16));
}

int RunWindow() {
    CDebugDlg dialog;
    if (!dialog.CreateModeless(nullptr)) {
        return 1;
    }
    fw::MessageLoop loop;
    while (loop.PumpOne()) {
    }
    return 0;
}

int Deliver(bool post, HWND target, LPARAM record) {
    if (post) {
        return PostMessageA(target, msg::UM_DEBUG_TEXT, 0, record) ? 0 : 1;
    }
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(target, msg::UM_DEBUG_TEXT, 0, record, SMTO_NORMAL, 10000, &result)
               ? 0
               : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "window") == 0) {
        return RunWindow();
    }
    if (argc == 4 && (std::strcmp(argv[1], "send") == 0 || std::strcmp(argv[1], "post") == 0)) {
        return Deliver(argv[1][0] == 'p', reinterpret_cast<HWND>(Hex(argv[2])),
                       static_cast<LPARAM>(Hex(argv[3])));
    }
    return 2;
}
