// Plain (non-dialog) windows of a class registered by the framework, with the same
// dispatch, exception boundary and lifetime rules as dialogs.
#pragma once

#include <windows.h>

#include "framework/WindowBase.h"

namespace fw {

class Window : public WindowBase {
public:
    struct CreateParams {
        const wchar_t* className;  // registered on first use, with CS_DBLCLKS
        const char* title = "";
        DWORD style = WS_POPUP;
        DWORD exStyle = 0;
        RECT bounds{0, 0, 0, 0};
        HWND parent = nullptr;
        HCURSOR cursor = nullptr;  // null: the arrow
    };

    // Creates the window; false when the system refuses.
    bool Create(const CreateParams& params);

protected:
    // Called from WM_CREATE; false makes the creation fail.
    virtual bool OnCreate() { return true; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace fw
