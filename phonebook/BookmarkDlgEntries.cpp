// The phone-book editor's entries: the list from the file, the fields, saving, New, Apply,
// OK, Delete and closing. A write that fails is reported and never taken for a save; every
// change written reaches the modem's copy of the book.
#include "phonebook/BookmarkDlg.h"

#include "core/MainWindowLookup.h"
#include "core/Messages.h"
#include "framework/MessageBox.h"
#include "framework/Text.h"
#include "res/resource.h"

namespace {

std::string LoadText(UINT id) {
    char text[256] = {};
    LoadStringA(GetModuleHandleW(nullptr), id, text, sizeof(text));
    return text;
}

}  // namespace

void CBookmarkDlg::RefreshList() {
    const std::vector<std::string> names = store_.ListNames();
    list_.ResetContent();
    for (const std::string& name : names) {
        list_.AddString(name);  // the list box sorts
    }
}

void CBookmarkDlg::ShowSelected() {
    if (list_.GetCount() == 0) {
        savedName_.clear();
        savedHome_.clear();
        savedOffice_.clear();
        savedMobile_.clear();
    } else {
        savedName_ = list_.GetItemText(list_.GetCurSel());
        const char* section = savedName_.c_str();
        savedHome_ = store_.ReadValue(section, BookmarkStore::kHomeKey);
        savedOffice_ = store_.ReadValue(section, BookmarkStore::kOfficeKey);
        savedMobile_ = store_.ReadValue(section, BookmarkStore::kMobileKey);
    }
    nameField_.SetText(savedName_);
    homeField_.SetText(savedHome_);
    officeField_.SetText(savedOffice_);
    mobileField_.SetText(savedMobile_);
}

// Exact, case-sensitive comparisons: a new letter case counts as a change.
bool CBookmarkDlg::HasChanges() const {
    const std::string name = nameField_.GetText();
    if (name.empty()) {
        return false;
    }
    return name != savedName_ || homeField_.GetText() != savedHome_ ||
           officeField_.GetText() != savedOffice_ || mobileField_.GetText() != savedMobile_;
}

bool CBookmarkDlg::SaveFields() {
    const std::string name = nameField_.GetText();
    const std::string home = homeField_.GetText();
    const std::string office = officeField_.GetText();
    const std::string mobile = mobileField_.GetText();
    if (fw::Trim(name).empty()) {
        savedName_.clear();
        savedHome_ = home;
        savedOffice_ = office;
        savedMobile_ = mobile;
        return true;  // nothing to write
    }
    // The store is given the name as typed; the saved copy is trimmed.
    if (!store_.SaveEntry(name.c_str(), home.c_str(), office.c_str(), mobile.c_str())) {
        // The saved texts stay as they were, so what was typed still counts as a change.
        if (store_.LastWriteError() == ERROR_INVALID_NAME) {
            fw::ShowMessageBox(Handle(),
                               "The phone book cannot keep an entry named \"" + fw::Trim(name) +
                                   "\".\n\nThe entry is not saved.",
                               fw::MessageBoxButtons::Ok, fw::MessageBoxIcon::Error);
        } else {
            ReportNotWritten("The entry is not saved.");
        }
        return false;
    }
    savedName_ = fw::Trim(name);
    savedHome_ = home;
    savedOffice_ = office;
    savedMobile_ = mobile;
    return true;
}

void CBookmarkDlg::ReportNotWritten(const char* consequence) {
    const std::optional<std::string>& file = store_.File();
    fw::ShowMessageBox(Handle(),
                       "Cannot write the phone book file\n" + (file ? *file : std::string()) +
                           "\n\n" + consequence,
                       fw::MessageBoxButtons::Ok, fw::MessageBoxIcon::Error);
}

bool CBookmarkDlg::AskSaveChanges() {
    return fw::ShowMessageBox(Handle(), LoadText(IDS_SAVE_CHANGES), fw::MessageBoxButtons::YesNo,
                              fw::MessageBoxIcon::Error) == fw::MessageBoxResult::Yes;
}

void CBookmarkDlg::PostBookReload() const {
    if (HWND main = FindMainWindow()) {
        PostMessageA(main, msg::UM_INTERNAL, msg::RECIPIENT_MODEM, msg::EV_BOOK_RELOAD);
    }
}

void CBookmarkDlg::SelectExactly(const std::string& text) {
    for (int i = 0; i < list_.GetCount(); ++i) {
        if (list_.GetItemText(i) == text) {
            list_.SetCurSel(i);
            return;
        }
    }
    list_.SetCurSel(-1);
}

void CBookmarkDlg::OnApplyButton() {
    SaveFields();
    RefreshList();
    PostBookReload();
}

void CBookmarkDlg::OnOkButton() {
    const bool saved = SaveFields();
    RefreshList();
    PostBookReload();
    if (saved) {
        OnOK();  // hides the dialog
    }
}

void CBookmarkDlg::OnNewButton() {
    if (HasChanges() && AskSaveChanges()) {
        if (!SaveFields()) {
            return;  // the typed entry stays in the fields
        }
        RefreshList();
        PostBookReload();
    }
    nameField_.SetText("");
    homeField_.SetText("");
    officeField_.SetText("");
    mobileField_.SetText("");
    // The fields no longer show the entry selected before.
    list_.SetCurSel(-1);
}

// The list's selection has already moved to the clicked item.
void CBookmarkDlg::OnSelChange() {
    if (HasChanges() && AskSaveChanges()) {
        const std::string clicked = list_.GetItemText(list_.GetCurSel());
        if (!SaveFields()) {
            // The fields keep the unsaved entry; the list points back at it, if listed.
            SelectExactly(savedName_);
            return;
        }
        RefreshList();
        SelectExactly(clicked);
        PostBookReload();
    }
    ShowSelected();
}

// Enter, Esc and Alt+F4 close the editor as Cancel does, but typed changes are not dropped
// without a word.
void CBookmarkDlg::CloseAskingToSave() {
    if (HasChanges() && AskSaveChanges()) {
        if (!SaveFields()) {
            return;  // reported; the typed entry stays in the open editor
        }
        PostBookReload();
    }
    OnCancel();
}

void CBookmarkDlg::OnDeleteButton() {
    const int selected = list_.GetCurSel();
    if (selected == LB_ERR) {
        fw::ShowMessageBox(Handle(), "Choose one to delete");
        return;
    }
    if (fw::ShowMessageBox(Handle(), LoadText(IDS_DELETE_CONFIRM), fw::MessageBoxButtons::YesNo,
                           fw::MessageBoxIcon::Error) != fw::MessageBoxResult::Yes) {
        return;
    }
    if (!store_.DeleteSection(list_.GetItemText(selected).c_str())) {
        ReportNotWritten("The entry is not deleted.");
        return;
    }
    PostBookReload();
    RefreshList();
    if (list_.GetCount() > 0) {
        list_.SetCurSel(0);
    }
    ShowSelected();
}
