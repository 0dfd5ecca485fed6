// The notice's window: its picture, fonts and hover, its clicks, and the Win32 side of the
// slide that NoticeSlide computes.
#include "popups/TaskbarNotifier.h"

#include <cstring>

#include "core/Messages.h"
#include "framework/Dpi.h"
#include "framework/WindowServices.h"

namespace {

constexpr wchar_t kClassName[] = L"VoxteloTaskbarNotifier";
constexpr UINT kMoveFlags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
constexpr UINT kRedrawNow = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW;
constexpr UINT kTextFormat = DT_CENTER | DT_VCENTER | DT_WORDBREAK | DT_END_ELLIPSIS;
constexpr DWORD kHoverMs = 1;

// A font of the face at `size` tenths of a point at `dpi` dots per inch, in the style's
// weight, slant and underline.
HFONT CreateStyledFont(const std::string& face, int size, int dpi, int style) {
    LOGFONTA font{};
    font.lfHeight = -MulDiv(size, dpi, 720);
    font.lfCharSet = DEFAULT_CHARSET;
    strncpy(font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    font.lfWeight = (style & 1) ? FW_BOLD : FW_NORMAL;
    font.lfItalic = (style & 2) ? TRUE : FALSE;
    font.lfUnderline = (style & 4) ? TRUE : FALSE;
    return CreateFontIndirectA(&font);
}

// The work area's screen: where the notice comes up.
int WorkAreaDpi(const RECT& work) {
    return fw::DpiAtPoint(POINT{work.right - 1, work.bottom - 1});
}

RECT WorkArea() {
    RECT work{0, 0, 0, 0};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

}  // namespace

CTaskbarNotifier::CTaskbarNotifier()
    : scale_(scale::DisplayScale(WorkAreaDpi(WorkArea())).ArtworkScale()), slide_(*this) {
    slide_.SetStep(scale_.Px(notice::NoticeSlide::kStep));
}

CTaskbarNotifier::~CTaskbarNotifier() = default;

bool CTaskbarNotifier::Create(HWND parent) {
    parent_ = parent;
    fw::Window::CreateParams params{kClassName};
    params.style = WS_POPUP;
    params.parent = parent;
    return fw::Window::Create(params);
}

bool CTaskbarNotifier::OnCreate() {
    handCursor_ = LoadCursorW(nullptr, MAKEINTRESOURCEW(32649));  // IDC_HAND
    return true;
}

bool CTaskbarNotifier::SetBackground(int bitmapId) {
    backgroundId_ = bitmapId;
    return LoadBackground();
}

bool CTaskbarNotifier::LoadBackground() {
    const std::string name = scale::BitmapName(backgroundId_, scale_.ArtworkPercent());
    return UseBackground(fw::BitmapHandle(static_cast<HBITMAP>(LoadImageA(
        GetModuleHandleW(nullptr), name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))));
}

// A picture made elsewhere has no other scale to load.
bool CTaskbarNotifier::SetBackground(fw::BitmapHandle picture) {
    backgroundId_ = 0;
    return UseBackground(std::move(picture));
}

bool CTaskbarNotifier::UseBackground(fw::BitmapHandle picture) {
    background_ = std::move(picture);
    BITMAP info{};
    if (!background_ || !GetObjectW(background_.Get(), sizeof(info), &info)) {
        background_.Reset();
        slide_.SetSize(0, 0);
        return false;
    }
    slide_.SetSize(info.bmWidth, info.bmHeight);
    textArea_ = {0, 0, info.bmWidth, info.bmHeight};
    textFigures_ = {0, 0, scale_.Figure(info.bmWidth), scale_.Figure(info.bmHeight)};
    return true;
}

void CTaskbarNotifier::SetTextFonts(const char* face, int size, int normalStyle, int hoverStyle) {
    fontFace_ = face ? face : "";
    fontSize_ = size;
    normalStyle_ = normalStyle;
    hoverStyle_ = hoverStyle;
    CreateFonts();
}

void CTaskbarNotifier::CreateFonts() {
    normalFont_.Reset(CreateStyledFont(fontFace_, fontSize_, scale_.Dpi(), normalStyle_));
    hoverFont_.Reset(CreateStyledFont(fontFace_, fontSize_, scale_.Dpi(), hoverStyle_));
}

void CTaskbarNotifier::SetTextColors(COLORREF normal, COLORREF hover) {
    normalColor_ = normal;
    hoverColor_ = hover;
    Redraw();
}

void CTaskbarNotifier::SetTextArea(const RECT& area) {
    textFigures_ = area;
    textArea_ = {scale_.Px(area.left), scale_.Px(area.top), scale_.Px(area.right),
                 scale_.Px(area.bottom)};
}

void CTaskbarNotifier::ApplyScale(int dpi) {
    const scale::DisplayScale next = scale::DisplayScale(dpi).ArtworkScale();
    if (next == scale_) {
        return;
    }
    scale_ = next;
    slide_.SetStep(scale_.Px(notice::NoticeSlide::kStep));
    const RECT text = textFigures_;
    if (backgroundId_ != 0) {
        LoadBackground();
    }
    SetTextArea(text);
    if (fontSize_ != 0) {
        CreateFonts();
    }
}

void CTaskbarNotifier::ShowNotice(const std::string& text, unsigned appearMs, unsigned stayMs,
                                  unsigned hideMs) {
    text_ = text;
    const RECT work = WorkArea();
    if (slide_.State() == notice::SlideState::Hidden) {
        ApplyScale(WorkAreaDpi(work));
    }
    slide_.Show({appearMs, stayMs, hideMs}, {work.left, work.top, work.right, work.bottom});
}

void CTaskbarNotifier::HideNotice() {
    slide_.Hide();
}

void CTaskbarNotifier::StartTimer(unsigned id, unsigned periodMs) {
    fw::WindowBase::StartTimer(id, periodMs);
}

void CTaskbarNotifier::StopTimer(unsigned id) {
    fw::WindowBase::StopTimer(id);
}

// SW_SHOW would activate the notice: the keys the user is typing, in this program or another,
// would go to it.
void CTaskbarNotifier::ShowInPlace() {
    ShowWindow(Handle(), SW_SHOWNOACTIVATE);
}

void CTaskbarNotifier::Move(int left, int top, int width, int height) {
    SetWindowPos(Handle(), nullptr, left, top, width, height, kMoveFlags);
}

void CTaskbarNotifier::Redraw() {
    if (Handle()) {
        RedrawWindow(Handle(), nullptr, nullptr, kRedrawNow);
    }
}

void CTaskbarNotifier::HideAway() {
    MoveWindow(Handle(), 0, 0, 0, 0, TRUE);
    ShowWindow(Handle(), SW_HIDE);
}

std::optional<LRESULT> CTaskbarNotifier::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            OnEraseBackground(reinterpret_cast<HDC>(wParam));
            return TRUE;
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove();
            break;
        case WM_MOUSEHOVER:
            OnHoverChange(true);
            return 0;
        case WM_MOUSELEAVE:
            OnHoverChange(false);
            return 0;
        case WM_SETCURSOR:
            if (OnSetCursor(lParam)) {
                return TRUE;
            }
            break;
        case WM_LBUTTONUP:
            PostMessageA(parent_, msg::UM_NOTIFIER_CLICKED, 0, 0);
            break;
        case WM_TIMER:
            slide_.OnTimer(static_cast<unsigned>(wParam));
            break;
    }
    return std::nullopt;
}

void CTaskbarNotifier::OnEraseBackground(HDC dc) {
    if (!background_) {
        RECT client;
        GetClientRect(Handle(), &client);
        FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
        return;
    }
    fw::MemoryDc memory(CreateCompatibleDC(dc));
    fw::SelectScope select(memory.Get(), background_.Get());
    BitBlt(dc, 0, 0, slide_.Width(), slide_.Height(), memory.Get(), 0, 0, SRCCOPY);
}

void CTaskbarNotifier::OnPaint() {
    fw::PaintScope paint(Handle());
    HDC dc = paint.Dc();
    SetTextColor(dc, hovered_ ? hoverColor_ : normalColor_);
    HFONT font = hovered_ ? hoverFont_.Get() : normalFont_.Get();
    HGDIOBJ previous = font ? SelectObject(dc, font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    RECT area = textArea_;
    DrawTextA(dc, text_.c_str(), static_cast<int>(text_.size()), &area, kTextFormat);
    if (previous) {
        SelectObject(dc, previous);
    }
}

void CTaskbarNotifier::OnMouseMove() {
    fw::TrackMouse(Handle(), true, true, kHoverMs);
}

void CTaskbarNotifier::OnHoverChange(bool hovered) {
    if (hovered_ == hovered) {
        return;
    }
    hovered_ = hovered;
    Redraw();
}

bool CTaskbarNotifier::OnSetCursor(LPARAM hitAndMessage) {
    if (LOWORD(hitAndMessage) != HTCLIENT || !handCursor_) {
        return false;
    }
    SetCursor(handCursor_);
    return true;
}
