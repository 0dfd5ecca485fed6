// Control wrappers over their window messages.
#include "framework/Controls.h"

#include <vector>

namespace fw {

bool Control::Attach(HWND dialog, int id) {
    hwnd_ = GetDlgItem(dialog, id);
    return hwnd_ != nullptr;
}

std::string Control::GetText() const {
    const int length = GetWindowTextLengthA(hwnd_);
    if (length <= 0) {
        return std::string();
    }
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    const int copied = GetWindowTextA(hwnd_, buffer.data(), length + 1);
    return std::string(buffer.data(), static_cast<size_t>(copied > 0 ? copied : 0));
}

void Control::SetText(const std::string& text) const {
    SetWindowTextA(hwnd_, text.c_str());
}

int ListBox::AddString(const std::string& text) const {
    return static_cast<int>(Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

int ListBox::GetCount() const {
    return static_cast<int>(Send(LB_GETCOUNT));
}

std::string ListBox::GetItemText(int index) const {
    const LRESULT length = Send(LB_GETTEXTLEN, static_cast<WPARAM>(index));
    if (length == LB_ERR || length < 0) {
        return std::string();
    }
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    const LRESULT copied =
        Send(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    if (copied == LB_ERR || copied < 0) {
        return std::string();
    }
    return std::string(buffer.data(), static_cast<size_t>(copied));
}

int ListBox::GetCurSel() const {
    return static_cast<int>(Send(LB_GETCURSEL));
}

void ListBox::SetCurSel(int index) const {
    Send(LB_SETCURSEL, static_cast<WPARAM>(index));
}

int ListBox::FindStringExact(const std::string& text, int startAfter) const {
    return static_cast<int>(Send(LB_FINDSTRINGEXACT, static_cast<WPARAM>(startAfter),
                                 reinterpret_cast<LPARAM>(text.c_str())));
}

void ListBox::DeleteString(int index) const {
    Send(LB_DELETESTRING, static_cast<WPARAM>(index));
}

void ListBox::ResetContent() const {
    Send(LB_RESETCONTENT);
}

void Edit::SetLimitText(int characters) const {
    Send(EM_SETLIMITTEXT, static_cast<WPARAM>(characters));
}

void Edit::SetDigitsOnly(bool digitsOnly) const {
    LONG style = GetWindowLongA(hwnd_, GWL_STYLE);
    style = digitsOnly ? (style | ES_NUMBER) : (style & ~ES_NUMBER);
    SetWindowLongA(hwnd_, GWL_STYLE, style);
}

void MultiLineEdit::SetSel(int start, int end) const {
    Send(EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
}

void MultiLineEdit::ReplaceSel(const std::string& text, bool canUndo) const {
    Send(EM_REPLACESEL, canUndo ? TRUE : FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void MultiLineEdit::ClearSel() const {
    Send(WM_CLEAR);
}

void MultiLineEdit::ScrollCaret() const {
    Send(EM_SCROLLCARET);
}

int MultiLineEdit::GetLineCount() const {
    return static_cast<int>(Send(EM_GETLINECOUNT));
}

int MultiLineEdit::GetTextLength() const {
    return GetWindowTextLengthA(hwnd_);
}

void MultiLineEdit::RemoveTextLimit() const {
    Send(EM_SETLIMITTEXT, 0);
}

void PictureButton::SetPictures(BitmapHandle up, BitmapHandle pressed) {
    up_ = std::move(up);
    pressed_ = std::move(pressed);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void PictureButton::SizeToContent() const {
    BITMAP info{};
    if (!up_ || !GetObjectW(up_.Get(), sizeof(info), &info)) {
        return;
    }
    SetWindowPos(hwnd_, nullptr, 0, 0, info.bmWidth, info.bmHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PictureButton::Draw(const DRAWITEMSTRUCT& item) {
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    HBITMAP picture = pressed && pressed_ ? pressed_.Get() : up_.Get();
    if (!picture) {
        return;
    }
    BITMAP info{};
    GetObjectW(picture, sizeof(info), &info);
    MemoryDc source(CreateCompatibleDC(item.hDC));
    if (!source) {
        return;
    }
    SelectScope select(source.Get(), picture);
    BitBlt(item.hDC, item.rcItem.left, item.rcItem.top, info.bmWidth, info.bmHeight, source.Get(),
           0, 0, SRCCOPY);
}

}  // namespace fw
