// The phone-book editor: a skinned, shaped, modeless dialog that lists, edits, creates and
// deletes the entries of Bookmark.ini, and has the modem reload the book after a save.
#pragma once

#include <windows.h>

#include <string>

#include "core/DisplayScale.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/Handles.h"
#include "phonebook/BookmarkStore.h"

class CBookmarkDlg : public fw::Dialog {
public:
    CBookmarkDlg();
    ~CBookmarkDlg() override;

    // The set-up after creation: the book's file beside the program, the pictures, the
    // window's shape and size, and the places of the controls. Always true.
    bool InitSkin();

    // Moves the dialog 50 pixels left of and 50 below `corner` (screen coordinates), as far
    // as the work area allows, keeping its size and z-order, and shows it.
    void ShowBeside(POINT corner);

    // The background picture's size, which is the window's.
    SIZE PictureSize() const { return pictureSize_; }
    // The scale the editor is laid out at: that of the artwork set serving its screen's.
    const scale::DisplayScale& Scale() const { return scale_; }

    static constexpr int kFieldLimit = 22;
    static constexpr COLORREF kShapeKey = RGB(255, 0, 255);

    // Enter and Esc close the editor through CloseAskingToSave.
    bool PreTranslateMessage(MSG& msg) override;

protected:
    bool OnInitDialog() override;
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Set-up, at the skin's scale.
    void FollowScale(int dpi);
    void ApplySkin(const scale::DisplayScale& skinScale);
    void ApplyFont();
    void PlaceControls();
    void PlaceButtons();
    fw::BitmapHandle LoadPicture(int id) const;
    RECT Scaled(const RECT& figures) const;
    void OnDpiChanged(int dpi, const RECT* suggested);

    // Handlers.
    void OnShowWindow(bool show, LPARAM status);
    void OnSelChange();
    void OnPaint();
    void OnNewButton();
    void OnOkButton();
    void OnApplyButton();
    void OnDeleteButton();
    void OnLButtonDown(POINT point);
    bool OnCommand(int id, int notification);

    // The entries and the fields.
    void RefreshList();
    void ShowSelected();
    bool HasChanges() const;
    bool SaveFields();
    void SelectExactly(const std::string& text);
    bool AskSaveChanges();
    void CloseAskingToSave();
    void ReportNotWritten(const char* consequence);
    void PostBookReload() const;

    HICON icon_ = nullptr;  // a shared resource icon: the system frees it
    BookmarkStore store_;
    fw::ListBox list_;
    fw::Edit nameField_;
    fw::Edit homeField_;
    fw::Edit officeField_;
    fw::Edit mobileField_;

    // The entry as last loaded into the fields or last saved.
    std::string savedName_;
    std::string savedHome_;
    std::string savedOffice_;
    std::string savedMobile_;

    scale::DisplayScale scale_;
    HFONT dialogFont_ = nullptr;  // the dialog manager's; it frees it
    fw::FontHandle scaledFont_;   // at a scale other than the dialog font's, else none
    SIZE pictureSize_{0, 0};
    fw::BitmapHandle background_;
    fw::PictureButton newButton_;
    fw::PictureButton deleteButton_;
    fw::PictureButton applyButton_;
    fw::PictureButton okButton_;
    fw::PictureButton cancelButton_;
    fw::PictureButton closeButton_;
};
