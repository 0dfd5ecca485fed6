// The phone-book editor's window: creation, its skin (pictures, shape, places of the
// controls), the message map, painting, the drag on the background and showing it.
#include "phonebook/BookmarkDlg.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>

#include "core/ExecutableDirectory.h"
#include "framework/Dpi.h"
#include "framework/WindowServices.h"
#include "popups/BitmapShape.h"
#include "res/resource.h"

namespace {

// All places are figures (pixels at 100 %), taken through the skin's scale.

// A painted label and the place of the field it names, in the order of the fields.
struct Label {
    const char* text;
    RECT rect;
    POINT field;
};

const Label kLabels[] = {
    {"Name", {160, 30, 240, 50}, {220, 28}},
    {"Home", {160, 60, 240, 80}, {220, 58}},
    {"Mobile", {160, 90, 240, 110}, {220, 88}},
    {"Office", {160, 120, 240, 140}, {220, 118}},
};
// Every field has the size the picture paints for it (what the template's 58 x 12 dialog
// units came to at 100 %), whatever the dialog font makes of those units at other scales.
constexpr SIZE kFieldSize{87, 18};
// The template's font ("MS Shell Dlg", 8 points): the labels and controls at the skin's scale.
constexpr int kFontPoints = 8;

constexpr COLORREF kLabelColour = RGB(2, 2, 2);
constexpr RECT kListPlace{40, 20, 145, 160};
constexpr POINT kCloseButtonPlace{317, 18};
constexpr POINT kButtonRowStart{34, 169};
constexpr int kShowOffset = 50;

int WidthOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect.right - rect.left;
}

void MoveTo(HWND window, int x, int y) {
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

CBookmarkDlg::CBookmarkDlg()
    : Dialog(IDD_BOOKMARK),
      icon_(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

CBookmarkDlg::~CBookmarkDlg() = default;

fw::BitmapHandle CBookmarkDlg::LoadPicture(int id) const {
    const std::string name = scale::BitmapName(id, scale_.ArtworkPercent());
    return fw::BitmapHandle(static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleW(nullptr), name.c_str(), IMAGE_BITMAP, 0, 0, 0)));
}

RECT CBookmarkDlg::Scaled(const RECT& figures) const {
    return RECT{scale_.Px(figures.left), scale_.Px(figures.top), scale_.Px(figures.right),
                scale_.Px(figures.bottom)};
}

bool CBookmarkDlg::OnInitDialog() {
    list_.Attach(Handle(), IDC_BOOK_LIST);
    nameField_.Attach(Handle(), IDC_BOOK_NAME);
    homeField_.Attach(Handle(), IDC_BOOK_HOME);
    officeField_.Attach(Handle(), IDC_BOOK_OFFICE);
    mobileField_.Attach(Handle(), IDC_BOOK_MOBILE);
    newButton_.Attach(Handle(), IDC_BOOK_NEW);
    deleteButton_.Attach(Handle(), IDC_BOOK_DELETE);
    applyButton_.Attach(Handle(), IDC_BOOK_APPLY);
    okButton_.Attach(Handle(), IDC_BOOK_OK);
    cancelButton_.Attach(Handle(), IDCANCEL);
    closeButton_.Attach(Handle(), IDC_BOOK_CLOSE);
    for (fw::PictureButton* button :
         {&newButton_, &deleteButton_, &applyButton_, &okButton_, &cancelButton_, &closeButton_}) {
        AddOwnerDrawControl(button);
    }

    const LONG style = GetWindowLongW(Handle(), GWL_STYLE);
    SetWindowLongW(Handle(), GWL_STYLE, (style & ~WS_CAPTION) | WS_MINIMIZEBOX);
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    // The editor lays itself out at every scale; the dialog manager must not move or resize
    // its controls or change their fonts.
    fw::KeepDialogLayout(Handle());
    return true;
}

bool CBookmarkDlg::InitSkin() {
    const std::string book = PathBesideThisProgram("\\Bookmark.ini");
    store_.SetFile(book.c_str());
    ApplySkin(scale::DisplayScale(fw::WindowDpi(Handle())).ArtworkScale());
    return true;
}

// The bitmaps are not resampled: the editor is laid out at the scale of the artwork set that
// serves the screen's scale (the screen's own from 100 % to 200 % in quarters).
void CBookmarkDlg::FollowScale(int dpi) {
    const scale::DisplayScale next = scale::DisplayScale(dpi).ArtworkScale();
    if (next != scale_ || !background_) {
        ApplySkin(next);
    }
}

void CBookmarkDlg::ApplySkin(const scale::DisplayScale& skinScale) {
    scale_ = skinScale;
    ApplyFont();
    background_ = LoadPicture(IDB_BOOK_BACKGROUND);
    fw::RegionHandle shape = BuildShape(background_.Get(), kShapeKey, &pictureSize_);
    // Once set, the region belongs to the window.
    if (shape && SetWindowRgn(Handle(), shape.Get(), FALSE)) {
        shape.Release();
    }
    if (pictureSize_.cx > 0 && pictureSize_.cy > 0) {
        SetWindowPos(Handle(), nullptr, 0, 0, pictureSize_.cx, pictureSize_.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    PlaceControls();
    PlaceButtons();
    InvalidateRect(Handle(), nullptr, TRUE);
}

// The dialog's font was made for the scale the window was created at; at another scale the
// labels and controls take one of the template's size at the skin's scale.
void CBookmarkDlg::ApplyFont() {
    HFONT dialogFont = dialogFont_
                           ? dialogFont_
                           : reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0));
    if (!dialogFont_) {
        dialogFont_ = dialogFont;
    }
    LOGFONTW description{};
    if (!dialogFont || !GetObjectW(dialogFont, sizeof(description), &description)) {
        return;
    }
    const LONG height = -MulDiv(kFontPoints, scale_.Dpi(), 72);
    fw::FontHandle made;
    if (std::abs(description.lfHeight) != std::abs(height)) {
        description.lfHeight = height;
        description.lfWidth = 0;
        made.Reset(CreateFontIndirectW(&description));
    }
    HFONT chosen = made ? made.Get() : dialogFont;
    if (reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0)) != chosen) {
        SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(chosen), FALSE);
        for (HWND child = GetWindow(Handle(), GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(chosen), TRUE);
        }
    }
    // The old font goes only once nothing uses it.
    scaledFont_ = std::move(made);
}

// Dragged to a screen of another scale: laid out for it at once, where the system suggests.
void CBookmarkDlg::OnDpiChanged(int dpi, const RECT* suggested) {
    FollowScale(dpi);
    if (suggested) {
        MoveTo(Handle(), suggested->left, suggested->top);
    }
}

void CBookmarkDlg::PlaceControls() {
    const RECT list = Scaled(kListPlace);
    SetWindowPos(list_.Handle(), nullptr, list.left, list.top, list.right - list.left,
                 list.bottom - list.top, SWP_NOZORDER | SWP_NOACTIVATE);
    const fw::Edit* fields[] = {&nameField_, &homeField_, &mobileField_, &officeField_};
    for (size_t i = 0; i < std::size(fields); ++i) {
        SetWindowPos(fields[i]->Handle(), nullptr, scale_.Px(kLabels[i].field.x),
                     scale_.Px(kLabels[i].field.y), scale_.Px(kFieldSize.cx),
                     scale_.Px(kFieldSize.cy), SWP_NOZORDER | SWP_NOACTIVATE);
        fields[i]->SetLimitText(kFieldLimit);
    }
}

void CBookmarkDlg::PlaceButtons() {
    closeButton_.SetPictures(LoadPicture(IDB_BOOK_CLOSE), fw::BitmapHandle());
    closeButton_.SizeToContent();
    MoveTo(closeButton_.Handle(), scale_.Px(kCloseButtonPlace.x), scale_.Px(kCloseButtonPlace.y));

    const struct {
        fw::PictureButton* button;
        int up;
        int pressed;
    } row[] = {
        {&newButton_, IDB_BOOK_NEW, IDB_BOOK_NEW_DOWN},
        {&deleteButton_, IDB_BOOK_DELETE, IDB_BOOK_DELETE_DOWN},
        {&applyButton_, IDB_BOOK_APPLY, IDB_BOOK_APPLY_DOWN},
        {&okButton_, IDB_BOOK_OK, IDB_BOOK_OK_DOWN},
        {&cancelButton_, IDB_BOOK_CANCEL, IDB_BOOK_CANCEL_DOWN},
    };
    // Left to right without gaps, each as wide as its picture.
    int x = scale_.Px(kButtonRowStart.x);
    for (const auto& place : row) {
        place.button->SetPictures(LoadPicture(place.up), LoadPicture(place.pressed));
        place.button->SizeToContent();
        MoveTo(place.button->Handle(), x, scale_.Px(kButtonRowStart.y));
        x += WidthOf(place.button->Handle());
    }
}

// Kept on the work area: beside a phone near the screen's edge, the editor's list would
// otherwise lie off the screen.
void CBookmarkDlg::ShowBeside(POINT corner) {
    // It follows the scale of the screen it comes up on.
    FollowScale(fw::DpiAtPoint(corner));
    RECT window{};
    GetWindowRect(Handle(), &window);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromPoint(corner, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    const int offset = scale_.Px(kShowOffset);
    const int x = std::clamp(corner.x - offset, work.left,
                             std::max(work.left, work.right - (window.right - window.left)));
    const int y = std::clamp(corner.y + offset, work.top,
                             std::max(work.top, work.bottom - (window.bottom - window.top)));
    MoveTo(Handle(), x, y);
    Show(SW_SHOWNORMAL);
}

std::optional<LRESULT> CBookmarkDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SHOWWINDOW:
            OnShowWindow(wParam != FALSE, lParam);
            return std::nullopt;
        case WM_CLOSE:
            CloseAskingToSave();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint covers the whole window
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_LBUTTONDOWN:
            OnLButtonDown(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return std::nullopt;
        case WM_DPICHANGED:
            OnDpiChanged(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_COMMAND:
            if (OnCommand(LOWORD(wParam), HIWORD(wParam))) {
                return 0;
            }
            break;
    }
    return Dialog::OnMessage(message, wParam, lParam);
}

// The dialog manager would turn Enter and Esc into the commands of the OK and Cancel buttons,
// which drop what was typed: both keys ask first.
bool CBookmarkDlg::PreTranslateMessage(MSG& msg) {
    const bool own = msg.hwnd == Handle() || IsChild(Handle(), msg.hwnd);
    if (own && msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) {
        CloseAskingToSave();
        return true;
    }
    return Dialog::PreTranslateMessage(msg);
}

// The Cancel button (IDCANCEL) and the Close button hide the dialog without saving.
bool CBookmarkDlg::OnCommand(int id, int notification) {
    if (id == IDC_BOOK_LIST) {
        if (notification == LBN_SELCHANGE) {
            OnSelChange();
        }
        return true;
    }
    if (notification != BN_CLICKED) {
        return false;
    }
    switch (id) {
        case IDC_BOOK_NEW:
            OnNewButton();
            return true;
        case IDC_BOOK_OK:
            OnOkButton();
            return true;
        case IDC_BOOK_APPLY:
            OnApplyButton();
            return true;
        case IDC_BOOK_DELETE:
            OnDeleteButton();
            return true;
        case IDC_BOOK_CLOSE:
            OnCancel();
            return true;
    }
    return false;
}

void CBookmarkDlg::OnShowWindow(bool show, LPARAM status) {
    // Only an explicit show; the owner coming back from minimised must not drop typed texts.
    if (!show || status != 0) {
        return;
    }
    RefreshList();
    if (list_.GetCount() > 0) {
        list_.SetCurSel(0);
        ShowSelected();
    }
}

void CBookmarkDlg::OnLButtonDown(POINT point) {
    // Non-client messages carry screen coordinates.
    ClientToScreen(Handle(), &point);
    fw::BeginCaptionDrag(Handle(), point);
}

void CBookmarkDlg::OnPaint() {
    fw::PaintScope paint(Handle());
    HDC dc = paint.Dc();
    RECT client{};
    GetClientRect(Handle(), &client);
    if (IsIconic(Handle())) {
        SendMessageW(Handle(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
        DrawIcon(dc, x, y, icon_);
        return;
    }
    const int width = pictureSize_.cx > 0 ? pictureSize_.cx : client.right;
    const int height = pictureSize_.cy > 0 ? pictureSize_.cy : client.bottom;
    // The labels go on a copy: drawn onto the picture itself, their smoothed edges would
    // darken with every paint.
    fw::MemoryDc canvas(CreateCompatibleDC(dc));
    fw::BitmapHandle buffer(CreateCompatibleBitmap(dc, width, height));
    if (!canvas || !buffer) {
        return;
    }
    fw::SelectScope selectBuffer(canvas.Get(), buffer.Get());
    if (background_) {
        fw::MemoryDc picture(CreateCompatibleDC(dc));
        fw::SelectScope selectPicture(picture.Get(), background_.Get());
        BitBlt(canvas.Get(), 0, 0, width, height, picture.Get(), 0, 0, SRCCOPY);
    } else {
        const RECT all{0, 0, width, height};
        FillRect(canvas.Get(), &all, GetSysColorBrush(COLOR_BTNFACE));
    }
    SetBkMode(canvas.Get(), TRANSPARENT);
    SetTextColor(canvas.Get(), kLabelColour);
    auto font = reinterpret_cast<HGDIOBJ>(SendMessageW(Handle(), WM_GETFONT, 0, 0));
    fw::SelectScope selectFont(canvas.Get(), font ? font : GetStockObject(DEFAULT_GUI_FONT));
    for (const Label& label : kLabels) {
        RECT rect = Scaled(label.rect);
        DrawTextA(canvas.Get(), label.text, -1, &rect, 0);
    }
    BitBlt(dc, 0, 0, width, height, canvas.Get(), 0, 0, SRCCOPY);
}
