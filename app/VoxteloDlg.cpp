// The main window's life: construction, the start-up sequence, the message map, the system
// menu, power notices and closing.
#include "app/VoxteloDlg.h"

#include <utility>

#include "app/AboutDlg.h"
#include "app/CommandLine.h"
#include "app/ExecutableDirectory.h"
#include "app/LedDevice.h"
#include "app/Messages.h"
#include "framework/Handles.h"
#include "popups/DebugDlg.h"
#include "res/resource.h"

namespace {

constexpr UINT_PTR TIMER_NOTICE = 69;

}  // namespace

CVoxteloDlg::CVoxteloDlg(std::vector<std::string> arguments)
    : Dialog(IDD_VOXTELO_DIALOG),
      icon_(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      arguments_(std::move(arguments)) {}

CVoxteloDlg::~CVoxteloDlg() = default;

bool CVoxteloDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    SetWindowLongW(Handle(), GWL_EXSTYLE, GetWindowLongW(Handle(), GWL_EXSTYLE) | WS_EX_LAYERED);
    AddAboutEntry();
    SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    SetUpMembers();
    ScanCommandLine();
    return true;
}

// Appends the about entry (id 16) to the system menu when there is one and the entry's text
// is known.
void CVoxteloDlg::AddAboutEntry() {
    HMENU systemMenu = GetSystemMenu(Handle(), FALSE);
    if (!systemMenu) {
        return;
    }
    const wchar_t* text = nullptr;
    // Length 0 asks for a read-only pointer to the resource's own UTF-16 text.
    const int length = LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUTBOX,
                                   reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) {
        return;
    }
    const std::wstring entry(text, static_cast<size_t>(length));
    AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, entry.c_str());
}

void CVoxteloDlg::SetUpMembers() {
    debugDlg_ = fw::Dialog::CreateSelfOwned(std::make_unique<CDebugDlg>(), Handle());

    selfHandle_ = Handle();
    dialogState_ = CallState::INIT;
    activeCarrier_ = Carrier::None;

    ledAvailable_ = LedDevice::Open();

    debugEnabled_ = false;
    listBusy_ = false;
    dialString_.clear();
    keypadHidden_ = true;

    SetWindowTextA(Handle(), kTitle);
    ringDevice_ = 0;
    ringPath_ = PathBesideThisProgram("\\RING.WAV");
    startHidden_ = true;
    LedDevice::DetectWow64();
}

void CVoxteloDlg::ScanCommandLine() {
    if (HasDebugSwitch(arguments_)) {
        debugEnabled_ = true;
    }
}

bool CVoxteloDlg::PreTranslateMessage(MSG& msg) {
    if (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP || msg.message == WM_MOUSEWHEEL) {
        SendMessageA(Handle(), msg.message, msg.wParam, msg.lParam);
        return true;
    }
    return false;
}

std::optional<LRESULT> CVoxteloDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SYSCOMMAND:
        return OnSysCommand(wParam, lParam);
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(icon_);
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_SETFOCUS:
        OnFocusChange(true);
        return 0;
    case WM_KILLFOCUS:
        OnFocusChange(false);
        return 0;
    case WM_POWERBROADCAST:
        return OnPowerBroadcast(wParam);
    case msg::UM_REPAINT:
        Invalidate(true);
        return 1;
    case msg::UM_PHONE_KEY:
        return OnPhoneKey();
    }
    return Dialog::OnMessage(message, wParam, lParam);
}

std::optional<LRESULT> CVoxteloDlg::OnSysCommand(WPARAM id, LPARAM) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        OpenAboutBox();
        return 0;
    }
    return std::nullopt;  // the system's own commands
}

void CVoxteloDlg::OpenAboutBox() {
    CAboutDlg about;
    about.RunModal(Handle());
}

void CVoxteloDlg::OnPaint() {
    {
        fw::PaintScope validate(Handle());
    }
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

LRESULT CVoxteloDlg::OnPhoneKey() {
    if (!IsCallUp(dialogState_)) {
        Show(SW_SHOWNORMAL);
        startHidden_ = false;
    }
    return 0;
}

LRESULT CVoxteloDlg::OnPowerBroadcast(WPARAM) {
    return TRUE;
}

void CVoxteloDlg::OnClose() {
    StopTimer(TIMER_NOTICE);
    OnCancel();
}
