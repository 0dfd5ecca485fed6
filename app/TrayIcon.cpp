#include "app/TrayIcon.h"

#include <shellapi.h>

#include <algorithm>
#include <memory>

#include "app/PhoneLink.h"
#include "core/Messages.h"
#include "framework/Dpi.h"
#include "framework/MessageBox.h"
#include "framework/WindowServices.h"
#include "ui/CountBadge.h"

namespace {

constexpr UINT_PTR kAddRetryTimer = 1;

UINT TaskbarCreatedMessage() {
    static const UINT message = fw::RegisterMessage("TaskbarCreated");
    return message;
}

struct MenuDeleter {
    void operator()(HMENU__* menu) const { DestroyMenu(menu); }
};
using MenuHandle = std::unique_ptr<HMENU__, MenuDeleter>;

void Run(const std::function<void()>& action) {
    if (action) {
        action();
    }
}

// The shell's tip holds 127 characters; a longer one is cut, never inside a surrogate pair.
void CopyTip(const std::wstring& tip, NOTIFYICONDATAW& data) {
    size_t units = std::min(tip.size(), ARRAYSIZE(data.szTip) - 1);
    if (units < tip.size() && IS_HIGH_SURROGATE(tip[units - 1])) {
        --units;
    }
    tip.copy(data.szTip, units);
    data.szTip[units] = L'\0';
}

// The task bar's tray is on the primary screen, which holds (0, 0); the icon carries an
// image of the tray's size at each scale.
int TrayIconSize() {
    return fw::SmallIconSize(fw::DpiAtPoint(POINT{0, 0}));
}

}  // namespace

CTrayIcon::CTrayIcon(int iconId, Actions actions, TrayAddRetry retry)
    : iconSize_(TrayIconSize()),
      icon_(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconId),
                                          IMAGE_ICON, iconSize_, iconSize_, 0))),
      actions_(std::move(actions)),
      retry_(retry) {}

CTrayIcon::~CTrayIcon() {
    ending_ = true;
    RemoveIcon();
}

bool CTrayIcon::Create(HWND owner, const std::wstring& tip) {
    tip_ = tip;
    CreateParams params{kClassName};
    params.title = "Voxtelo tray";
    params.exStyle = WS_EX_TOOLWINDOW;
    params.parent = owner;
    if (!fw::Window::Create(params)) {
        return false;
    }
    TaskbarCreatedMessage();
    retriesLeft_ = retry_.attempts;
    AddIcon();
    return true;
}

NOTIFYICONDATAW CTrayIcon::IconData(UINT flags) const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = hwnd_;
    data.uID = kIconId;
    data.uFlags = flags;
    data.uCallbackMessage = msg::UM_TRAY_NOTIFY;
    data.hIcon = ShownIcon();
    CopyTip(tip_, data);
    return data;
}

// A shell that is still starting (a phone started at sign-in) may time out and refuse an add
// although its task bar stands, and then sends no "TaskbarCreated": the add is tried again.
bool CTrayIcon::AddIcon() {
    NOTIFYICONDATAW data = IconData(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    added_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
    if (!added_ && retriesLeft_ > 0) {
        --retriesLeft_;
        StartTimer(kAddRetryTimer, retry_.periodMs);
    }
    return added_;
}

// An add that timed out may have been carried out late: the icon is there if it takes a
// change.
void CTrayIcon::OnAddRetry() {
    StopTimer(kAddRetryTimer);
    if (added_ || ending_) {
        return;
    }
    NOTIFYICONDATAW data = IconData(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    added_ = Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
    if (!added_) {
        AddIcon();
    }
}

void CTrayIcon::RemoveIcon() {
    if (!added_) {
        return;
    }
    NOTIFYICONDATAW data = IconData(0);
    Shell_NotifyIconW(NIM_DELETE, &data);
    added_ = false;
}

void CTrayIcon::SetTip(const std::wstring& tip) {
    if (tip == tip_) {
        return;
    }
    tip_ = tip;
    if (!added_ || !hwnd_ || ending_) {
        return;  // the next add carries it
    }
    NOTIFYICONDATAW data = IconData(NIF_TIP);
    // A shell that lost the icon says so here; its restart brings it back with this tip.
    if (!Shell_NotifyIconW(NIM_MODIFY, &data)) {
        added_ = false;
    }
}

void CTrayIcon::SetBadge(const std::string& text) {
    if (text == badge_) {
        return;
    }
    badge_ = text;
    badged_.Reset();
    if (!badge_.empty() && icon_) {
        // Without a badged icon the plain one stays: the tip still tells the count.
        badged_ = ui::MakeBadgedIcon(icon_.Get(), iconSize_, badge_);
    }
    if (!added_ || !hwnd_ || ending_) {
        return;
    }
    NOTIFYICONDATAW data = IconData(NIF_ICON);
    if (!Shell_NotifyIconW(NIM_MODIFY, &data)) {
        added_ = false;
    }
}

std::optional<LRESULT> CTrayIcon::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITMENUPOPUP:
            if (recentMenu_ && reinterpret_cast<HMENU>(wParam) == recentMenu_) {
                Run(actions_.recentOpened);
            }
            return 0;
        case WM_TIMER:
            if (wParam == kAddRetryTimer) {
                OnAddRetry();
                return 0;
            }
            break;
        case msg::UM_TRAY_NOTIFY:
            OnNotify(static_cast<UINT>(LOWORD(lParam)));
            return 0;
        case msg::UM_TRAY_NUMBER:
            ShowNumber();
            return 0;
        case WM_COPYDATA:
            return OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        case WM_DESTROY:
            RemoveIcon();
            return std::nullopt;
    }
    if (message == TaskbarCreatedMessage()) {
        // A new task bar knows no icon of ours.
        added_ = false;
        retriesLeft_ = retry_.attempts;
        AddIcon();
        return 0;
    }
    return std::nullopt;
}

void CTrayIcon::OnNotify(UINT mouseMessage) {
    if (clicks_.IsClick(mouseMessage)) {
        Run(actions_.click);
    } else if (mouseMessage == WM_RBUTTONUP) {
        ShowMenu();
    }
}

void CTrayIcon::ShowMenu() {
    if (menuOpen_) {
        return;
    }
    MenuHandle menu(CreatePopupMenu());
    if (!menu) {
        return;
    }
    const bool phoneBook = actions_.phoneBookAvailable && actions_.phoneBookAvailable();
    AppendMenuW(menu.get(), MF_STRING, CMD_SHOW_PHONE, L"Show phone");
    AppendMenuW(menu.get(), MF_STRING | (phoneBook ? 0 : MF_GRAYED), CMD_PHONE_BOOK, L"Phone book");
    size_t recentRows = 0;
    if (HMENU recent = RecentMenu(recentRows)) {
        // The menu owns its submenu from here on.
        AppendMenuW(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(recent), L"Recent calls");
    }
    AppendMenuW(menu.get(), MF_STRING, CMD_ABOUT, L"About");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING, CMD_QUIT, L"Quit");

    POINT at{};
    GetCursorPos(&at);
    // Without the foreground the menu would not close when the user clicks elsewhere; the
    // message after it lets the menu's end settle (the shell's documented pairing).
    SetForegroundWindow(hwnd_);
    menuOpen_ = true;
    // Notifications on: the opening of "Recent calls" is one. With TPM_RETURNCMD the choice
    // comes back here, never as WM_COMMAND.
    const UINT command = static_cast<UINT>(
        TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_, nullptr));
    menuOpen_ = false;
    recentMenu_ = nullptr;
    PostMessageW(hwnd_, WM_NULL, 0, 0);

    switch (command) {
        case CMD_SHOW_PHONE:
            Run(actions_.showPhone);
            break;
        case CMD_PHONE_BOOK:
            // The carrier may have changed while the menu was open.
            if (actions_.phoneBookAvailable && actions_.phoneBookAvailable()) {
                Run(actions_.showPhoneBook);
            }
            break;
        case CMD_ABOUT:
            Run(actions_.about);
            break;
        case CMD_QUIT:
            Run(actions_.quit);
            break;
        case CMD_CLEAR_RECENT:
            if (fw::ShowMessageBox(hwnd_, "Clear the list of recent calls?",
                                   fw::MessageBoxButtons::YesNo,
                                   fw::MessageBoxIcon::Question) == fw::MessageBoxResult::Yes) {
                Run(actions_.clearRecent);
            }
            break;
        default:
            ChooseRecent(command, recentRows);
            break;
    }
}

// The last calls, newest first, then "Clear recent calls"; null without a call log.
HMENU CTrayIcon::RecentMenu(size_t& rows) {
    rows = 0;
    if (!actions_.recentCalls) {
        return nullptr;
    }
    HMENU recent = CreatePopupMenu();
    if (!recent) {
        return nullptr;
    }
    const std::vector<std::wstring> calls = actions_.recentCalls();
    rows = std::min(calls.size(), kRecentRows);
    for (size_t i = 0; i < rows; ++i) {
        AppendMenuW(recent, MF_STRING, CMD_RECENT_FIRST + i, calls[i].c_str());
    }
    if (rows == 0) {
        AppendMenuW(recent, MF_STRING | MF_GRAYED, 0, L"No recent calls");
    }
    AppendMenuW(recent, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(recent, MF_STRING | (rows ? 0 : MF_GRAYED), CMD_CLEAR_RECENT,
                L"Clear recent calls");
    recentMenu_ = recent;
    return recent;
}

void CTrayIcon::ChooseRecent(UINT command, size_t rows) {
    if (command >= CMD_RECENT_FIRST && command < CMD_RECENT_FIRST + rows && actions_.chooseRecent) {
        actions_.chooseRecent(command - CMD_RECENT_FIRST);
    }
}

// Sent from another process, the number waits for this window's own queue, so the phone
// never takes it in the middle of one of its own calls.
LRESULT CTrayIcon::OnCopyData(const COPYDATASTRUCT* data) {
    if (!data || data->dwData != kNumberTag || !data->lpData) {
        return 0;
    }
    std::string number(static_cast<const char*>(data->lpData), data->cbData);
    if (const size_t end = number.find('\0'); end != std::string::npos) {
        number.resize(end);
    }
    return TakeNumber(number) ? 1 : 0;
}

bool CTrayIcon::TakeNumber(const std::string& number) {
    if (!hwnd_ || !IsDialableNumber(number)) {
        return false;
    }
    number_ = number;
    return PostMessageW(hwnd_, msg::UM_TRAY_NUMBER, 0, 0) != FALSE;
}

void CTrayIcon::ShowNumber() {
    if (number_.empty()) {
        return;
    }
    const std::string number = std::move(number_);
    number_.clear();
    if (actions_.number) {
        actions_.number(number);
    }
}

HWND CTrayIcon::FindOfProcess(HWND window) {
    DWORD process = 0;
    if (!window || !GetWindowThreadProcessId(window, &process)) {
        return nullptr;
    }
    HWND candidate = nullptr;
    while ((candidate = FindWindowExW(nullptr, candidate, kClassName, nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(candidate, &owner);
        if (owner == process) {
            return candidate;
        }
    }
    return nullptr;
}

bool CTrayIcon::HandNumber(HWND tray, const std::string& number) {
    COPYDATASTRUCT data{kNumberTag, static_cast<DWORD>(number.size() + 1),
                        const_cast<char*>(number.c_str())};
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(tray, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                               SMTO_ABORTIFHUNG, 5000, &result) &&
           result == 1;
}
