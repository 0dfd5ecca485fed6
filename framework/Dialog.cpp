// Dialog creation, the modal run and the default dialog messages.
#include "framework/Dialog.h"

#include "framework/Controls.h"
#include "framework/MessageLoop.h"

namespace fw {

HWND Dialog::CreateFromTemplate(HWND owner) {
    // The wide creation keeps the templates' non-ASCII texts intact whatever the code page.
    return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner,
                              &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR Dialog::RunModal(HWND owner) {
    modal_ = true;
    endRequested_ = false;
    modalResult_ = -1;
    HWND hwnd = CreateFromTemplate(owner);
    if (!hwnd) {
        modal_ = false;
        return -1;
    }
    const bool disableOwner = owner && IsWindowEnabled(owner);
    if (disableOwner) {
        EnableWindow(owner, FALSE);
    }
    if (!endRequested_ && !(GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE)) {
        ShowWindow(hwnd, SW_SHOWNORMAL);
    }

    MessageLoop loop;
    while (!endRequested_) {
        if (!loop.PumpOne()) {
            modalResult_ = -1;
            break;
        }
    }

    if (disableOwner) {
        EnableWindow(owner, TRUE);
    }
    if (owner && GetActiveWindow() == hwnd) {
        SetActiveWindow(owner);
    }
    if (hwnd_ == hwnd) {
        DestroyWindow(hwnd);
    }
    modal_ = false;
    return modalResult_;
}

bool Dialog::CreateModeless(HWND owner) {
    modal_ = false;
    HWND hwnd = CreateFromTemplate(owner);
    if (!hwnd) {
        return false;
    }
    ShowWindow(hwnd, SW_HIDE);
    return true;
}

void Dialog::EndModal(INT_PTR result) {
    modalResult_ = result;
    endRequested_ = true;
    // Wakes the loop when the request came from outside its own dispatch.
    if (hwnd_) {
        PostMessageW(hwnd_, WM_NULL, 0, 0);
    }
}

void Dialog::OnOK() {
    if (modal_) {
        EndModal(IDOK);
    } else {
        Hide();
    }
}

void Dialog::OnCancel() {
    if (modal_) {
        EndModal(IDCANCEL);
    } else {
        Hide();
    }
}

bool Dialog::PreTranslateMessage(MSG& msg) {
    const bool keyboard = msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST;
    if (!keyboard || !hwnd_) {
        return false;
    }
    if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) {
        return false;
    }
    return IsDialogMessageW(hwnd_, &msg) != FALSE;
}

void Dialog::AddOwnerDrawControl(OwnerDrawControl* control) {
    ownerDrawControls_.push_back(control);
}

std::optional<LRESULT> Dialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog() ? TRUE : FALSE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                OnOK();
                return 0;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                OnCancel();
                return 0;
            }
            break;
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            for (OwnerDrawControl* control : ownerDrawControls_) {
                if (control->Handle() == item->hwndItem) {
                    control->Draw(*item);
                    return TRUE;
                }
            }
            break;
        }
    }
    return std::nullopt;
}

INT_PTR Dialog::DialogResult(HWND hwnd, UINT message, LRESULT result) {
    switch (message) {
        // These return their value directly instead of through DWLP_MSGRESULT.
        case WM_INITDIALOG:
        case WM_CHARTOITEM:
        case WM_COMPAREITEM:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORMSGBOX:
        case WM_QUERYDRAGICON:
        case WM_VKEYTOITEM:
            return static_cast<INT_PTR>(result);
        default:
            SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
            return TRUE;
    }
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->Bind(hwnd);
    } else {
        self = static_cast<Dialog*>(FromHandle(hwnd));
    }
    if (!self) {
        return FALSE;
    }
    std::optional<LRESULT> result = self->Dispatch(message, wParam, lParam);
    FinishDispatch(self);  // may end the object
    if (!result) {
        return FALSE;
    }
    return DialogResult(hwnd, message, *result);
}

}  // namespace fw
