// Pre-translation walks from the message's window up through its parents to the top-level
// window, as the dialog manager sees them, so a window's hook also sees its controls' messages.
#include "framework/MessageLoop.h"

#include "framework/WindowBase.h"

namespace fw {

namespace {

// The walk ends at a top-level window: its owner (GetParent's answer for an owned window)
// must not take the keys and wheel turns of a modeless dialog it happens to own.
HWND ParentOfChild(HWND hwnd) {
    if (!(GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD)) {
        return nullptr;
    }
    return GetAncestor(hwnd, GA_PARENT);
}

bool PreTranslate(MSG& msg) {
    for (HWND hwnd = msg.hwnd; hwnd; hwnd = ParentOfChild(hwnd)) {
        WindowBase* window = WindowBase::FromHandle(hwnd);
        if (window && window->PreTranslateMessage(msg)) {
            return true;
        }
    }
    return false;
}

}  // namespace

void MessageLoop::Handle(MSG& msg) {
    if (PreTranslate(msg)) {
        return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

bool MessageLoop::PumpOne() {
    MSG msg;
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
    }
    if (got == -1) {
        return false;
    }
    Handle(msg);
    return true;
}

bool MessageLoop::PumpPending() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        Handle(msg);
    }
    return true;
}

}  // namespace fw
