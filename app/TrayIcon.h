// The phone's icon in the notification area. A hidden window of its own takes the icon's
// mouse messages, the task bar's restart ("TaskbarCreated") and the numbers that another
// start of the program hands over; what they mean for the phone is the owner's (Actions).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/TrayModel.h"
#include "framework/Handles.h"
#include "framework/Window.h"

// How a refused add of the icon is tried again: every `periodMs`, at most `attempts` times.
struct TrayAddRetry {
    UINT periodMs = 3000;
    int attempts = 40;  // two minutes of a shell that is still starting
};

class CTrayIcon : public fw::Window {
public:
    // What the icon asks of the phone; each runs on the GUI thread, from the window's own
    // queue, never inside another program's call.
    struct Actions {
        std::function<void()> click;  // a left click
        std::function<void()> showPhone;
        std::function<bool()> phoneBookAvailable;  // greys "Phone book" out when false
        std::function<void()> showPhoneBook;
        std::function<void()> about;
        std::function<void()> quit;
        std::function<void(const std::string&)> number;  // a number handed over
        // The "Recent calls" submenu: its rows, newest first; the person opened it, chose
        // the row with this index, or asked to clear the list (and confirmed it).
        std::function<std::vector<std::wstring>()> recentCalls;
        std::function<void()> recentOpened;
        std::function<void(size_t)> chooseRecent;
        std::function<void()> clearRecent;
    };

    // The menu's commands.
    enum Command : UINT {
        CMD_SHOW_PHONE = 1,
        CMD_PHONE_BOOK = 2,
        CMD_ABOUT = 3,
        CMD_QUIT = 4,
        CMD_CLEAR_RECENT = 5,
        CMD_RECENT_FIRST = 100,  // one per row of "Recent calls"
    };
    static constexpr size_t kRecentRows = 10;

    static constexpr wchar_t kClassName[] = L"VoxteloTray";
    static constexpr UINT kIconId = 1;
    // The tag of a WM_COPYDATA that carries a number to show (digits and a leading "+").
    static constexpr ULONG_PTR kNumberTag = 0x564F5854;

    // `iconId` is an icon resource of the program; the tray shows its small size.
    CTrayIcon(int iconId, Actions actions, TrayAddRetry retry = TrayAddRetry());
    ~CTrayIcon() override;

    // Creates the hidden window, owned by `owner` (it goes with the owner's window), and adds
    // the icon with the tip. False only when the window cannot be made; an icon the shell
    // refuses now comes with the task bar's next start.
    bool Create(HWND owner, const std::wstring& tip);

    // The tooltip; the shell is told only when it changed.
    void SetTip(const std::wstring& tip);
    const std::wstring& Tip() const { return tip_; }
    // The count badge on the icon ("" for none), drawn at the size the tray shows.
    void SetBadge(const std::string& text);
    const std::string& Badge() const { return badge_; }
    HICON ShownIcon() const { return badged_ ? badged_.Get() : icon_.Get(); }
    bool IsAdded() const { return added_; }

    // Takes a number to show (digits and a leading "+"); it reaches the owner from the
    // window's own queue. False when it is no such number.
    bool TakeNumber(const std::string& number);

    // The tray window of the process that owns `window`, or null.
    static HWND FindOfProcess(HWND window);
    // Hands a number to the tray window `tray` of a running phone; false when it was refused.
    static bool HandNumber(HWND tray, const std::string& number);

protected:
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    NOTIFYICONDATAW IconData(UINT flags) const;
    bool AddIcon();
    void OnAddRetry();
    void RemoveIcon();
    void OnNotify(UINT mouseMessage);
    void ShowMenu();
    HMENU RecentMenu(size_t& rows);
    void ChooseRecent(UINT command, size_t rows);
    LRESULT OnCopyData(const COPYDATASTRUCT* data);
    void ShowNumber();

    const int iconSize_;  // the badge is drawn at the icon's own size, whatever the scale now
    fw::IconHandle icon_;
    fw::IconHandle badged_;  // the icon with its badge, while there is one
    Actions actions_;
    std::wstring tip_;
    std::string badge_;
    HMENU recentMenu_ = nullptr;  // while the menu is open
    bool added_ = false;
    TrayAddRetry retry_;
    int retriesLeft_ = 0;
    bool ending_ = false;  // the removal in the destructor may let the owner's messages in
    TrayClicks clicks_;
    bool menuOpen_ = false;
    std::string number_;  // handed over, not yet shown
};
