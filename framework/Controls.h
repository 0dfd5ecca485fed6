// Wrappers for the dialog controls the program uses. They borrow the control window; the
// dialog owns it.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Handles.h"

namespace fw {

class Control {
public:
    // Binds to the control `id` of `dialog`; false when there is none.
    bool Attach(HWND dialog, int id);
    HWND Handle() const { return hwnd_; }

    std::string GetText() const;
    void SetText(const std::string& text) const;

protected:
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageA(hwnd_, message, wParam, lParam);
    }

    HWND hwnd_ = nullptr;
};

// A list box; whether it sorts is the template's LBS_SORT style.
class ListBox : public Control {
public:
    int AddString(const std::string& text) const;  // the index it landed at, or LB_ERR
    int GetCount() const;
    std::string GetItemText(int index) const;  // "" for an index outside the list
    int GetCurSel() const;                     // LB_ERR when nothing is selected
    void SetCurSel(int index) const;
    int FindStringExact(const std::string& text, int startAfter = -1) const;
    void DeleteString(int index) const;
    void ResetContent() const;
};

// A one-line edit field.
class Edit : public Control {
public:
    void SetLimitText(int characters) const;
    // Only digits can be typed (ES_NUMBER).
    void SetDigitsOnly(bool digitsOnly) const;
};

// A multi-line edit used as a log: its selection can be set, replaced and cleared.
class MultiLineEdit : public Edit {
public:
    void SetSel(int start, int end) const;
    void ReplaceSel(const std::string& text, bool canUndo = false) const;
    void ClearSel() const;  // deletes the selection (WM_CLEAR)
    void ScrollCaret() const;
    int GetLineCount() const;
    int GetTextLength() const;
    // Lifts the default limit of about 32K characters.
    void RemoveTextLimit() const;
};

// An owner-drawn control draws itself when its dialog receives WM_DRAWITEM for it.
class OwnerDrawControl : public Control {
public:
    virtual ~OwnerDrawControl() = default;
    virtual void Draw(const DRAWITEMSTRUCT& item) = 0;
};

// A push button that shows its up picture normally and its pressed picture while pressed.
// The template gives it BS_OWNERDRAW; the dialog registers it with AddOwnerDrawControl.
class PictureButton : public OwnerDrawControl {
public:
    void SetPictures(BitmapHandle up, BitmapHandle pressed);
    // Resizes the button to its up picture.
    void SizeToContent() const;
    void Draw(const DRAWITEMSTRUCT& item) override;

private:
    BitmapHandle up_;
    BitmapHandle pressed_;
};

}  // namespace fw
