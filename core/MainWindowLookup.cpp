#include "core/MainWindowLookup.h"

#include "framework/WindowServices.h"

HWND FindMainWindow() {
    HWND candidate = nullptr;
    while ((candidate = FindWindowExA(nullptr, candidate, fw::kDialogClass, "Voxtelo")) !=
           nullptr) {
        if (!GetWindow(candidate, GW_OWNER)) {
            return candidate;
        }
    }
    return nullptr;
}
