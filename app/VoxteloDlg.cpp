// The main window's life: construction, the start-up sequence, the message map, the system
// menu, power notices and closing. Calls, the view and painting have files of their own.
#include "app/VoxteloDlg.h"

#include <exception>
#include <utility>

#include "app/AboutDlg.h"
#include "app/CommandLine.h"
#include "app/LedDevice.h"
#include "app/LedRequest.h"
#include "app/MainSkinHost.h"
#include "app/TrayIcon.h"
#include "calllog/CallLog.h"
#include "core/ExecutableDirectory.h"
#include "core/Messages.h"
#include "framework/Dpi.h"
#include "modem/ModemPhone.h"
#include "phonebook/BookmarkDlg.h"
#include "popups/DebugDlg.h"
#include "popups/TaskbarNotifier.h"
#include "res/resource.h"
#include "skype/SkypeApi.h"
#include "ui/GdiplusText.h"
#include "ui/LayeredCanvas.h"
#include "ui/PhoneSkin.h"

CVoxteloDlg::CVoxteloDlg(std::vector<std::string> arguments, CallControlSettings settings)
    : Dialog(IDD_VOXTELO_DIALOG),
      icon_(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      arguments_(std::move(arguments)),
      settings_(std::move(settings)) {}

CVoxteloDlg::~CVoxteloDlg() {
    // The tray goes first, out of reach while it goes: the end of its window hands the
    // activation back to this window, whose handlers would otherwise touch it half destroyed.
    tray_.reset();
    // F12 ends the run without closing.
    TurnLedOff();
    // Ended without a close (F12): the calls still up are logged as they stand.
    EndCallLog();
}

bool CVoxteloDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    // The phone lays itself out at every scale; the dialog manager must not resize it.
    fw::KeepDialogLayout(Handle());
    SetWindowLongW(Handle(), GWL_EXSTYLE, GetWindowLongW(Handle(), GWL_EXSTYLE) | WS_EX_LAYERED);
    AddAboutEntry();
    SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SetSmallIcon(fw::WindowDpi(Handle()));
    SetUpMembers();
    ScanCommandLine();
    if (!BuildSkin()) {
        // "UI Error" has been said; without its board the phone cannot work.
        if (IsModal()) {
            EndModal(IDABORT);
        }
        return true;
    }
    notifier_ = std::make_unique<CTaskbarNotifier>();
    notifier_->Create(Handle());
    skype_ = std::make_unique<SkypeApi>(Handle());
    skype_->Discover();
    modem_ = std::make_unique<ModemPhone>(Handle());
    CreateCallLog();
    CreateTray();
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
    const int length =
        LoadStringW(GetModuleHandleW(nullptr), IDS_ABOUTBOX, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) {
        return;
    }
    const std::wstring entry(text, static_cast<size_t>(length));
    AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, entry.c_str());
}

void CVoxteloDlg::SetUpMembers() {
    debugDlg_ = fw::Dialog::CreateSelfOwned(std::make_unique<CDebugDlg>(), Handle());
    bookmarkDlg_ = fw::Dialog::CreateSelfOwned(std::make_unique<CBookmarkDlg>(), Handle());
    if (bookmarkDlg_) {
        bookmarkDlg_->InitSkin();
    }

    dialogState_ = CallState::INIT;
    activeCarrier_ = Carrier::None;

    ledAvailable_ = LedDevice::Open();

    debugEnabled_ = false;
    SetWindowTextA(Handle(), kTitle);
    ringPath_ =
        settings_.ringPath.empty() ? PathBesideThisProgram("\\RING.WAV") : settings_.ringPath;
    startHidden_ = true;
    LedDevice::DetectWow64();
}

void CVoxteloDlg::ScanCommandLine() {
    if (HasDebugSwitch(arguments_)) {
        debugEnabled_ = true;
    }
}

// Only this window's own messages and its children's: a modeless dialog it owns (the Debug
// Window, the phone-book editor) keeps its keys and wheel turns.
bool CVoxteloDlg::PreTranslateMessage(MSG& msg) {
    if (msg.hwnd != Handle() && !IsChild(Handle(), msg.hwnd)) {
        return false;
    }
    if (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP || msg.message == WM_MOUSEWHEEL) {
        SendMessageA(Handle(), msg.message, msg.wParam, msg.lParam);
        return true;
    }
    return false;
}

std::optional<LRESULT> CVoxteloDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (closed_) {
        return Dialog::OnMessage(message, wParam, lParam);
    }
    ++handlerDepth_;
    std::optional<LRESULT> result;
    std::exception_ptr error;
    try {
        result = Route(message, wParam, lParam);
    } catch (...) {
        error = std::current_exception();
    }
    --handlerDepth_;
    if (handlerDepth_ == 0 && closePending_) {
        closePending_ = false;
        CloseNow();
    }
    if (handlerDepth_ == 0 && !closed_) {
        WatchCall();
        UpdateTray();
    }
    if (error) {
        std::rethrow_exception(error);  // the framework's boundary reports it
    }
    return result;
}

std::optional<LRESULT> CVoxteloDlg::Route(UINT message, WPARAM wParam, LPARAM lParam) {
    if (std::optional<LRESULT> input = OnInputMessage(message, wParam, lParam)) {
        return input;
    }
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
        case WM_ENDSESSION:
            // The process may be stopped without a close once this returns: what a close must
            // not leave undone is done now.
            if (wParam) {
                EndCallLog();
                TurnLedOff();
            }
            return 0;
        case WM_TIMER:
            OnTimer(wParam);
            return 0;
        case WM_DPICHANGED:
            OnDpiChanged(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return 0;
        case msg::UM_REPAINT:
            Invalidate(true);
            return 1;
        case msg::UM_PHONE_KEY:
            return OnPhoneKey(wParam);
        case msg::UM_INTERNAL:
            return OnInternal(wParam, lParam);
        case msg::UM_NOTIFIER_CLICKED:
            return OnNotifierClicked();
        case WM_COPYDATA:
            return OnCopyData(reinterpret_cast<HWND>(wParam),
                              reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    }
    if (message == SkypeApi::AttachMessage()) {
        return OnSkypeAttach(wParam, lParam);
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

LRESULT CVoxteloDlg::OnPowerBroadcast(WPARAM event) {
    switch (event) {
        case PBT_APMQUERYSUSPEND:
        case PBT_APMSUSPEND:
        case PBT_APMBATTERYLOW:
            PostMessageA(Handle(), msg::UM_INTERNAL, msg::RECIPIENT_SKYPE, msg::EV_SKYPE_HANGUP);
            if (modem_) {
                // Skype is told above: the key the reset posts must not end a call again,
                // which would open the line the suspend is closing.
                modem_->Reset(msg::PHONE_KEY_MODEM_BACK);
                modem_->ReleaseDevice();
            }
            break;
        case PBT_APMRESUMECRITICAL:
        case PBT_APMRESUMESUSPEND:
        case PBT_APMRESUMEAUTOMATIC:
        case PBT_APMQUERYSUSPENDFAILED:  // the system stays up: so must the line
            if (modem_) {
                modem_->Initialize();
            }
            break;
    }
    return TRUE;
}

// A close that arrives inside a nested loop of one of this window's handlers (a message box,
// a nested Skype reply) waits until that handler has returned.
void CVoxteloDlg::OnClose() {
    if (handlerDepth_ > 1) {
        closePending_ = true;
        return;
    }
    CloseNow();
}

void CVoxteloDlg::CloseNow() {
    if (closed_) {
        return;
    }
    closed_ = true;
    EndCallLog();
    HideCallNotice();
    skin_.reset();  // every widget, then the board, then the pictures
    skype_.reset();
    modem_.reset();  // closes the modem line
    TurnLedOff();
    OnCancel();
}

// The LED belongs to the notebook, not to the process: a phone that ends with a call up must
// not leave it lit.
void CVoxteloDlg::TurnLedOff() {
    if (ledLit_) {
        LedDevice::SetLed(led::kMethodPled, 0);
        ledLit_ = false;
    }
}
