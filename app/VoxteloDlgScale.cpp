// The phone at the display's scale: laid out at its window's scale from the start, and again
// when the system moves it to a screen of another scale (WM_DPICHANGED).
#include "app/VoxteloDlg.h"

#include "core/DisplayScale.h"
#include "framework/Dpi.h"
#include "res/resource.h"
#include "ui/LayeredCanvas.h"
#include "ui/PhoneSkin.h"

// The task bar's small icon, drawn at its size for the scale; the one it replaces goes only
// once the window has let it go.
void CVoxteloDlg::SetSmallIcon(int dpi) {
    const int size = fw::SmallIconSize(dpi);
    fw::IconHandle icon(static_cast<HICON>(LoadImageW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, size, size, 0)));
    SendMessageW(Handle(), WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(icon ? icon.Get() : icon_));
    smallIcon_ = std::move(icon);
}

scale::DisplayScale CVoxteloDlg::WindowScale() const {
    return scale::DisplayScale(fw::WindowDpi(Handle()));
}

// The system's suggested rectangle keeps the window's corner; a phone being dragged keeps the
// point under the pointer instead, as a person holding it expects. `suggested` may be null.
void CVoxteloDlg::OnDpiChanged(int dpi, const RECT* suggested) {
    const scale::DisplayScale next(dpi);
    if (!skin_ || next == skin_->Scale()) {
        return;
    }
    const scale::DisplayScale was = skin_->Scale();
    auto canvas =
        std::make_unique<ui::LayeredCanvas>(next.Px(ui::kCanvasWidth), next.Px(ui::kCanvasHeight));
    if (!canvas->Valid()) {
        return;  // no picture at the new size: the phone stays as it is, still whole
    }
    if (!skin_->SetScale(next)) {
        // It has said "UI Error"; without its board the phone cannot work.
        canvas_.reset();
        skin_.reset();
        return;
    }
    canvas_ = std::move(canvas);
    SetSmallIcon(dpi);

    RECT window{};
    GetWindowRect(Handle(), &window);
    POINT pointer{};
    GetCursorPos(&pointer);
    POINT corner{window.left, window.top};
    if (PtInRect(&window, pointer)) {
        corner.x = scale::CornerKeepingPointer(window.left, pointer.x, was, next);
        corner.y = scale::CornerKeepingPointer(window.top, pointer.y, was, next);
    }
    // Only where the phone stays mostly on the screen of the new scale: grown back over the old
    // one, it would change scale again, and again, as it is dragged.
    const RECT kept{corner.x, corner.y, corner.x + skin_->CanvasWidth(),
                    corner.y + skin_->CanvasHeight()};
    if (suggested &&
        (!PtInRect(&window, pointer) || MonitorFromRect(&kept, MONITOR_DEFAULTTONEAREST) !=
                                            MonitorFromRect(suggested, MONITOR_DEFAULTTONEAREST))) {
        corner = POINT{suggested->left, suggested->top};
    }
    SetWindowPos(Handle(), nullptr, corner.x, corner.y, skin_->CanvasWidth(), skin_->CanvasHeight(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // Painted before this returns: until then the larger window would show the smaller
    // picture, and what lies beyond it would let clicks through.
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}
