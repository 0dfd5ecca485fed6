// The main window's paint pass and focus: the skin brings its widgets in line with the call
// state and composes the whole canvas, which becomes the layered window's picture.
#include "app/VoxteloDlg.h"

#include "core/Messages.h"
#include "framework/Handles.h"
#include "popups/DebugDlg.h"
#include "ui/LayeredCanvas.h"
#include "ui/PhoneSkin.h"

void CVoxteloDlg::OnPaint() {
    if (IsIconic(Handle())) {
        PaintMinimised();
        return;
    }
    { fw::PaintScope validate(Handle()); }  // the default paint only validates
    ShowDebugWindowIfEnabled();
    // Hidden before its picture arrives, a phone that starts hidden never flashes up.
    if (startHidden_) {
        Hide();
    }
    if (skin_ && canvas_) {
        // Viewport and list scroll, the active carrier's view, the call keys, relayout.
        skin_->PrepareForPaint();
        // The board and the display line; while a list is being rebuilt the window keeps
        // its previous picture.
        if (skin_->Compose(canvas_->View())) {
            // Refused, the window keeps its previous picture: nothing else to do.
            canvas_->Present(Handle(), hasFocus_ ? kFocusedAlpha : kUnfocusedAlpha);
        }
    }
}

void CVoxteloDlg::PaintMinimised() {
    fw::PaintScope paint(Handle());
    SendMessageA(Handle(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.Dc()), 0);
    RECT client{};
    GetClientRect(Handle(), &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(paint.Dc(), x, y, icon_);
}

void CVoxteloDlg::ShowDebugWindowIfEnabled() {
    if (!debugDlg_) {
        return;
    }
    if (debugEnabled_ && !debugDlg_->IsVisible()) {
        debugDlg_->Show(SW_SHOWNA);
    } else if (!debugEnabled_ && debugDlg_->IsVisible()) {
        debugDlg_->Hide();
    }
}

void CVoxteloDlg::OnFocusChange(bool focused) {
    hasFocus_ = focused;
    PostMessageA(Handle(), msg::UM_REPAINT, 0, 0);
}
