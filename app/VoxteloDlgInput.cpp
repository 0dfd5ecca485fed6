// The user's hands on the phone: the pointer's widget, presses with the window drag and the
// held scroll keys, clicks, double clicks, the wheel and the keys. The window has no controls:
// every target is a skin widget, known by its id.
#include "app/VoxteloDlg.h"

#include <windowsx.h>

#include "framework/Text.h"
#include "framework/WindowServices.h"
#include "phonebook/BookmarkDlg.h"
#include "ui/PhoneSkin.h"
#include "ui/WidgetIds.h"

namespace {

POINT PointOf(LPARAM lParam) {
    return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

// The digit of a key on the main row or the numeric pad, or 0.
char DigitOfKey(UINT key) {
    if (key >= '0' && key <= '9') {
        return static_cast<char>(key);
    }
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) {
        return static_cast<char>('0' + (key - VK_NUMPAD0));
    }
    return 0;
}

}  // namespace

std::optional<LRESULT> CVoxteloDlg::OnInputMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEMOVE:
            OnMouseMove(PointOf(lParam));
            return 0;
        case WM_LBUTTONDOWN:
            OnLButtonDown(PointOf(lParam));
            return 0;
        case WM_LBUTTONUP:
            OnLButtonUp(PointOf(lParam));
            return 0;
        case WM_LBUTTONDBLCLK:
            OnLButtonDblClk(PointOf(lParam));
            return 0;
        case WM_CAPTURECHANGED:
            // Another window took the mouse (a message box, a switch of windows): the held
            // key is let go.
            StopRepeat();
            return 0;
        case WM_MOUSEWHEEL:
            OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam));
            return 0;
        case WM_KEYDOWN:
            if (OnKeyDown(static_cast<UINT>(wParam))) {
                return 0;
            }
            return std::nullopt;
    }
    return std::nullopt;
}

void CVoxteloDlg::OnMouseMove(POINT point) {
    if (skin_) {
        skin_->SetHoverWidget(skin_->HitTest(point.x, point.y));
    }
}

void CVoxteloDlg::OnLButtonDown(POINT point) {
    StopRepeat();
    ui::SkinWidget* hover = skin_ ? skin_->HoverWidget() : nullptr;
    if (!hover) {
        // An empty spot of the skin moves the whole window, as its caption would.
        ClientToScreen(Handle(), &point);
        fw::BeginCaptionDrag(Handle(), point);
        return;
    }
    if (hover->Id() == ui::WID_UP || hover->Id() == ui::WID_DOWN) {
        StartTimer(hover->Id() == ui::WID_UP ? TIMER_REPEAT_UP : TIMER_REPEAT_DOWN, kRepeatMs);
        // The release then comes here wherever it happens, and ends the repeat.
        SetCapture(Handle());
    }
}

void CVoxteloDlg::StopRepeat() {
    StopTimer(TIMER_REPEAT_UP);
    StopTimer(TIMER_REPEAT_DOWN);
}

void CVoxteloDlg::OnLButtonUp(POINT point) {
    StopRepeat();
    if (GetCapture() == Handle()) {
        ReleaseCapture();
    }
    ui::SkinWidget* hover = skin_ ? skin_->HoverWidget() : nullptr;
    if (!hover) {
        return;
    }
    OnClick(*hover, point);
    PostRepaint();
}

void CVoxteloDlg::OnClick(ui::SkinWidget& widget, POINT point) {
    const int id = widget.Id();
    if (id >= ui::WID_KEY_1 && id <= ui::WID_KEY_0) {
        // The keys 1 to 9, then the 0.
        const char digit = id == ui::WID_KEY_0 ? '0' : static_cast<char>('1' + id - ui::WID_KEY_1);
        const char text[] = {digit, '\0'};
        AppendDialChar(text);
        return;
    }
    switch (id) {
        case ui::WID_SKYPE_CONTACT:
        case ui::WID_BOOK_CONTACT:
            skin_->ClickItem(widget, point.x, point.y);
            return;
        case ui::WID_KEY_BACK:
            RemoveLastDialChar();
            return;
        case ui::WID_KEY_CLR:
            dialString_.clear();
            return;
        case ui::WID_CLOSE:
            Hide();  // the program keeps running
            return;
        // As the arrow keys: a carrier is chosen only while no call is up, or the call keys
        // would act on a carrier that has no call.
        case ui::WID_SKYPE:
            if (dialogState_ == CallState::NORMAL && SkypeState() == CallState::NORMAL) {
                SelectCarrier(Carrier::Skype);
            }
            return;
        case ui::WID_MODEM:
            if (dialogState_ == CallState::NORMAL && ModemState() == CallState::NORMAL) {
                SelectCarrier(Carrier::Modem);
            }
            return;
        case ui::WID_CALL_START:
        case ui::WID_CALL_END:
            PressCallKey(id);
            return;
        case ui::WID_BOOKMARK:
            ShowPhoneBook();
            return;
        case ui::WID_KEYPAD:
            keypadHidden_ = !keypadHidden_;
            ToggleKeypad();
            return;
        case ui::WID_UP:
            SelectPrevious();
            return;
        case ui::WID_DOWN:
            SelectNext();
            return;
        case ui::WID_NUMBER:
            SetWidgetState(&widget, true);
            return;
        case ui::WID_POPUP_CLOSE:
            ClosePopup();
            return;
    }
}

// The system has delivered the button-up first, so the click on the same widget has run.
// A list item out of view is no more a target for a double click than for a click: it
// would call a contact, or open the numbers of an entry, that nobody can see. A contact or a
// number is called only while no call is up, as Enter does.
void CVoxteloDlg::OnLButtonDblClk(POINT point) {
    ui::SkinWidget* hover = skin_ ? skin_->HoverWidget() : nullptr;
    if (!hover) {
        return;
    }
    const bool listItem =
        hover->Id() == ui::WID_SKYPE_CONTACT || hover->Id() == ui::WID_BOOK_CONTACT;
    if (listItem && !skin_->IsInListView(point.x, point.y)) {
        return;
    }
    const bool calls = hover->Id() == ui::WID_SKYPE_CONTACT || hover->Id() == ui::WID_NUMBER;
    if (calls && dialogState_ != CallState::NORMAL) {
        return;
    }
    switch (hover->Id()) {
        case ui::WID_SKYPE_CONTACT: {
            const std::string handle = fw::Trim(static_cast<ui::ContactItem*>(hover)->Name());
            if (handle.empty()) {
                PostRepaint();
            } else {
                StartSkypeCall(handle);
            }
            break;
        }
        case ui::WID_BOOK_CONTACT:
            ShowNumbers(static_cast<ui::ContactItem*>(hover));
            break;
        case ui::WID_CALL_START:
        case ui::WID_CALL_END:
            PressCallKey(hover->Id());
            break;
        case ui::WID_NUMBER: {
            // A copy: closing the pop-up deletes the number's widget.
            const std::string number = hover->Label();
            DialModem(number);
            break;
        }
        case ui::WID_POPUP_CLOSE:
            ClosePopup();
            break;
    }
}

// Clicked or double-clicked alike; no carrier ready, no call to start or end.
void CVoxteloDlg::PressCallKey(int id) {
    if (dialogState_ == CallState::INIT) {
        return;
    }
    if (id == ui::WID_CALL_START) {
        OnCallStart();
    } else {
        OnCallEnd();
    }
}

// The wheel scrolls the list only while no call is up.
void CVoxteloDlg::OnMouseWheel(int delta) {
    if (dialogState_ != CallState::NORMAL) {
        return;
    }
    if (delta > 0) {
        SelectPrevious();
    } else {
        SelectNext();
    }
    PostRepaint();
}

// False leaves the key to the default processing.
bool CVoxteloDlg::OnKeyDown(UINT key) {
    bool handled = true;
    if (const char digit = DigitOfKey(key)) {
        const char text[] = {digit, '\0'};
        AppendDialChar(text);
    } else {
        switch (key) {
            case VK_BACK:
                RemoveLastDialChar();
                break;
            case VK_RETURN:
                DialSelection();
                break;
            case VK_ESCAPE:
                if (IsPopupOpen()) {
                    ClosePopup();
                } else {
                    Hide();
                }
                break;
            case VK_PRIOR:
                PageUp();
                break;
            case VK_NEXT:
                PageDown();
                break;
            case VK_END:
                SelectLast();
                break;
            case VK_HOME:
                SelectFirst();
                break;
            case VK_LEFT:
                SelectSkypeSide();
                break;
            case VK_UP:
                SelectPrevious();
                break;
            case VK_RIGHT:
                SelectModemSide();
                break;
            case VK_DOWN:
                SelectNext();
                break;
            case VK_DELETE:
                dialString_.clear();
                break;
            case VK_F2:
                OpenAboutBox();
                break;
            case VK_F12:
                // Ends at once, without the clean-up of closing.
                PostQuitMessage(0);
                break;
            case VK_OEM_PLUS:
                // "+" leads an international number; the shift state is not looked at.
                if (dialString_.empty()) {
                    AppendDialChar("+");
                }
                break;
            default:
                handled = false;
                break;
        }
    }
    PostRepaint();
    return handled;
}

void CVoxteloDlg::AppendDialChar(const char* text) {
    if (dialString_.size() <= kDialStringRoom) {
        dialString_ += text;
        dialStringTyped_ = true;
    }
}

void CVoxteloDlg::RemoveLastDialChar() {
    if (!dialString_.empty()) {
        dialString_.pop_back();
        dialStringTyped_ = true;
    }
}

// On the modem side only: the editor opens 50 pixels left of and 50 below the phone's
// top-left corner.
void CVoxteloDlg::ShowPhoneBook() {
    if (activeCarrier_ != Carrier::Modem || !bookmarkDlg_) {
        return;
    }
    RECT phone{};
    GetWindowRect(Handle(), &phone);
    bookmarkDlg_->ShowBeside(POINT{phone.left, phone.top});
}

void CVoxteloDlg::SelectPrevious() {
    if (skin_) {
        skin_->SelectPrevious();
    }
}

void CVoxteloDlg::SelectNext() {
    if (skin_) {
        skin_->SelectNext();
    }
}

void CVoxteloDlg::SelectFirst() {
    if (skin_) {
        skin_->SelectFirst();
    }
}

void CVoxteloDlg::SelectLast() {
    if (skin_) {
        skin_->SelectLast();
    }
}

void CVoxteloDlg::PageUp() {
    if (skin_) {
        skin_->PageUp();
    }
}

void CVoxteloDlg::PageDown() {
    if (skin_) {
        skin_->PageDown();
    }
}

void CVoxteloDlg::SelectSkypeSide() {
    if (skin_) {
        skin_->SelectSkypeSide();
    }
}

void CVoxteloDlg::SelectModemSide() {
    if (skin_) {
        skin_->SelectModemSide();
    }
}
