// Class registration and the window procedure shared by every plain window.
#include "framework/Window.h"

#include <set>
#include <string>

namespace fw {

namespace {

bool EnsureClass(const wchar_t* className, HCURSOR cursor, WNDPROC proc) {
    static std::set<std::wstring> registered;
    if (registered.count(className)) {
        return true;
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = cursor ? cursor : LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.lpszClassName = className;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return false;
    }
    registered.insert(className);
    return true;
}

}  // namespace

bool Window::Create(const CreateParams& params) {
    if (!EnsureClass(params.className, params.cursor, &Window::WindowProc)) {
        return false;
    }
    const RECT& r = params.bounds;
    HWND hwnd = CreateWindowExW(params.exStyle, params.className, nullptr, params.style, r.left,
                                r.top, r.right - r.left, r.bottom - r.top, params.parent, nullptr,
                                GetModuleHandleW(nullptr), this);
    if (!hwnd) {
        return false;
    }
    // Titles are ANSI texts like every other text of the program.
    SetWindowTextA(hwnd, params.title);
    return true;
}

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->Bind(hwnd);
    } else {
        self = static_cast<Window*>(FromHandle(hwnd));
    }
    if (!self) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    std::optional<LRESULT> result;
    if (message == WM_CREATE) {
        result = self->OnCreate() ? 0 : -1;
    } else {
        result = self->Dispatch(message, wParam, lParam);
    }
    FinishDispatch(self);  // may end the object
    if (result) {
        return *result;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace fw
