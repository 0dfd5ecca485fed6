// The simulator windows' shared procedure.

#include "sim/skype/SimWindow.h"

#include <cstdio>
#include <exception>

namespace skypesim {

SimWindow::~SimWindow() {
    if (hwnd_) {
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

bool SimWindow::Create(const char* className, const std::string& title) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    if (!GetClassInfoExA(instance, className, &wc)) {
        wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &SimWindow::Procedure;
        wc.hInstance = instance;
        wc.lpszClassName = className;
        if (!RegisterClassExA(&wc)) {
            return false;
        }
    }
    return CreateWindowExA(0, className, title.c_str(), WS_OVERLAPPED, 0, 0, 200, 100, nullptr,
                           nullptr, instance, this) != nullptr;
}

LRESULT CALLBACK SimWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<SimWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<SimWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (const std::exception& e) {
        // A failing handler must not take the simulator down with it: report and go on.
        std::fprintf(stderr, "skypesim: message 0x%x failed: %s\n", message, e.what());
        return 0;
    }
}

}  // namespace skypesim
