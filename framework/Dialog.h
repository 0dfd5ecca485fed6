// Dialogs from .rc templates: modal runs through our own loop (so pre-translation sees every
// message first) and modeless dialogs created hidden. OK and Cancel end a modal dialog and
// hide a modeless one.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <vector>

#include "framework/WindowBase.h"

namespace fw {

class OwnerDrawControl;

class Dialog : public WindowBase {
public:
    explicit Dialog(int templateId) : templateId_(templateId) {}

    int TemplateId() const { return templateId_; }
    bool IsModal() const { return modal_; }

    // Creates the dialog, runs it until EndModal (or a quit message, which is posted again
    // for the loops outside and gives -1), destroys it and returns the result.
    INT_PTR RunModal(HWND owner);

    // Creates the dialog hidden; false when the template cannot be instantiated.
    bool CreateModeless(HWND owner);

    // Creates a modeless dialog that is owned by its own window from then on: the object is
    // destroyed after its window (for example when its owner window goes). Returns the
    // object, borrowed, or null when the window could not be created.
    template <class T>
    static T* CreateSelfOwned(std::unique_ptr<T> dialog, HWND owner) {
        if (!dialog->CreateModeless(owner)) {
            return nullptr;
        }
        T* borrowed = dialog.get();
        AdoptUntilDestroyed(std::move(dialog));
        return borrowed;
    }

    void EndModal(INT_PTR result);

    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

    // Dialog-manager keyboard handling for this dialog's own controls.
    bool PreTranslateMessage(MSG& msg) override;

protected:
    // The initialisation call, before the dialog is first shown. The result is that of
    // WM_INITDIALOG: true lets the system set the focus.
    virtual bool OnInitDialog() { return true; }
    virtual void OnOK();
    virtual void OnCancel();

    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Owner-drawn controls of this dialog draw themselves on WM_DRAWITEM.
    void AddOwnerDrawControl(OwnerDrawControl* control);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR DialogResult(HWND hwnd, UINT message, LRESULT result);
    HWND CreateFromTemplate(HWND owner);

    int templateId_;
    bool modal_ = false;
    bool endRequested_ = false;
    INT_PTR modalResult_ = -1;
    std::vector<OwnerDrawControl*> ownerDrawControls_;
};

}  // namespace fw
