// The phone's tray icon: a left click is the phone key, the menu shows the phone or its phone
// book, opens the about box or quits, and the tooltip follows the call. A number handed over
// by a "tel:" or "callto:" link waits on the display line, never dialled on its own.
#include "app/VoxteloDlg.h"

#include "app/PhoneLink.h"
#include "app/TrayIcon.h"
#include "app/TrayModel.h"
#include "core/Messages.h"
#include "calllog/RecentCallsText.h"
#include "phonebook/BookmarkDlg.h"
#include "res/resource.h"
#include "skype/SkypeApi.h"

void CVoxteloDlg::CreateTray() {
    CTrayIcon::Actions actions;
    actions.click = [this] { Post(msg::UM_PHONE_KEY); };
    actions.showPhone = [this] { ShowPhone(); };
    actions.phoneBookAvailable = [this] { return CanShowPhoneBook(); };
    actions.showPhoneBook = [this] { ShowPhoneBook(); };
    actions.about = [this] { ShowAboutFromTray(); };
    // The clean way out, as the system menu's close.
    actions.quit = [this] { Post(WM_CLOSE); };
    actions.number = [this](const std::string& number) { ShowHandedNumber(number); };
    actions.recentCalls = [this] { return RecentCallRows(); };
    actions.recentOpened = [this] { MarkCallsSeen(); };
    actions.chooseRecent = [this](size_t row) { CallBack(row); };
    actions.clearRecent = [this] { ClearRecentCalls(); };
    tray_ = std::make_unique<CTrayIcon>(IDR_MAINFRAME, std::move(actions));
    tray_->Create(Handle(), TrayTip());
    tray_->SetBadge(calllog::BadgeText(UnseenMissedCalls()));

    // Started by a link: once start-up is over, the phone comes forward with its number.
    if (const std::optional<std::string> number = PhoneLinkNumber(arguments_)) {
        tray_->TakeNumber(*number);
    }
}

void CVoxteloDlg::UpdateTray() {
    // Every change of carrier clears the display line, so the number waits for the idle
    // phone on its carrier.
    if (!handedNumber_.empty() && dialogState_ == CallState::NORMAL) {
        SetDialString(handedNumber_);
        handedNumber_.clear();
        PostRepaint();
    }
    if (tray_) {
        tray_->SetTip(TrayTip());
        tray_->SetBadge(calllog::BadgeText(UnseenMissedCalls()));
    }
    UpdateMissedCue();
}

std::string CVoxteloDlg::TrayParty() const {
    if (!IsCallUp(dialogState_)) {
        return "";
    }
    if (activeCarrier_ == Carrier::Skype) {
        return skype_ ? skype_->PartnerHandle() : "";
    }
    if (callerNumber_.empty() || callerName_.empty()) {
        return callerNumber_;
    }
    return callerNumber_ + " " + callerName_;
}

// As the phone key does when idle, but also during a call, which it leaves alone.
void CVoxteloDlg::ShowPhone() {
    if (closed_) {
        return;
    }
    Show(SW_SHOWNORMAL);
    startHidden_ = false;
    SetForegroundWindow(Handle());
    MarkCallsSeen();
    PostRepaint();
}

// As the phone-book key: only while the modem is the carrier.
bool CVoxteloDlg::CanShowPhoneBook() const {
    return !closed_ && activeCarrier_ == Carrier::Modem && bookmarkDlg_;
}

// The about box runs inside this window's own handler, where closing waits for it; one that
// is open already comes to the front instead of a second one.
void CVoxteloDlg::ShowAboutFromTray() {
    if (closed_) {
        return;
    }
    HWND open = nullptr;
    while ((open = FindWindowExA(nullptr, open, "#32770", kTitle)) != nullptr) {
        if (GetWindow(open, GW_OWNER) == Handle() && IsWindowVisible(open)) {
            SetForegroundWindow(open);
            return;
        }
    }
    Post(WM_SYSCOMMAND, IDM_ABOUTBOX);
}

void CVoxteloDlg::ShowHandedNumber(const std::string& number) {
    if (!IsDialableNumber(number)) {
        return;
    }
    handedNumber_ = number;
    ShowPhone();
    UpdateTray();
}
