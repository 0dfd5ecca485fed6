// The main window's paint pass and focus.
#include "app/VoxteloDlg.h"

#include "core/Messages.h"
#include "framework/Handles.h"
#include "popups/DebugDlg.h"

void CVoxteloDlg::OnPaint() {
    { fw::PaintScope validate(Handle()); }
    if (debugDlg_) {
        if (debugEnabled_ && !debugDlg_->IsVisible()) {
            debugDlg_->Show(SW_SHOWNA);
        } else if (!debugEnabled_ && debugDlg_->IsVisible()) {
            debugDlg_->Hide();
        }
    }
    if (startHidden_) {
        Hide();
    }
}

void CVoxteloDlg::OnFocusChange(bool focused) {
    hasFocus_ = focused;
    PostMessageA(Handle(), msg::UM_REPAINT, 0, 0);
}
