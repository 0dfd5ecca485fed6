// Call control: the back-ends' events, the carrier the window follows, the user's call
// actions, the phone key and the notice's click. Everything runs on the GUI thread, one
// event at a time, in posting order.
#include "app/VoxteloDlg.h"

#include "app/LedDevice.h"
#include "app/LedRequest.h"
#include "core/DebugLog.h"
#include "core/Messages.h"
#include "framework/CopyData.h"
#include "framework/MessageBox.h"
#include "framework/Text.h"
#include "modem/ModemPhone.h"
#include "popups/TaskbarNotifier.h"
#include "res/resource.h"
#include "skype/SkypeApi.h"

LRESULT CVoxteloDlg::OnInternal(WPARAM recipient, LPARAM code) {
    switch (recipient) {
        case msg::RECIPIENT_WINDOW:
            OnWindowEvent(static_cast<int>(code));
            return 1;
        case msg::RECIPIENT_SKYPE:
            if (skype_) {
                skype_->OnInternalCommand(static_cast<int>(code));
            }
            return 1;
        case msg::RECIPIENT_MODEM:
            TrackModemCode(static_cast<int>(code));
            if (modem_) {
                modem_->OnEvent(static_cast<int>(code));
            }
            return 1;
    }
    // Any program may post this: a flood of them is logged under one box, never a box each.
    fw::ShowReport(Handle(), "#03 Unknown UM_INTERNAL--wParam in UM_INTERNAL in VoxteloDlg");
    return 1;
}

// Unknown codes are ignored.
void CVoxteloDlg::OnWindowEvent(int code) {
    switch (code) {
        case msg::EV_SKYPE_CONTACTS:
            RebuildSkypeList();
            break;
        case msg::EV_BOOK_LOADED:
            RebuildBookList();
            break;
        case msg::EV_SKYPE_PARTNER:
            TrackParty(Carrier::Skype);
            if (activeCarrier_ == Carrier::Skype) {
                PostRepaint();
            }
            break;
        case msg::EV_SYNC_CARRIER:
            SyncCarrier();
            break;
        case msg::EV_SKYPE_STATE:
            OnSkypeStateChanged();
            break;
        case msg::EV_MODEM_STATE:
            OnModemStateChanged();
            break;
        case msg::EV_RING:
            PlayRing(ringPath_, true);
            break;
        case msg::EV_CALLER_INFO:
            OnCallerInfo();
            break;
        case msg::EV_SKYPE_REFUSED:
            TrackRefusedSkypeCalls();
            break;
    }
}

CallState CVoxteloDlg::SkypeState() const {
    return skype_ ? skype_->GetState() : CallState::INIT;
}

CallState CVoxteloDlg::ModemState() const {
    return modem_ ? modem_->GetState() : CallState::INIT;
}

// A call is up, and a back-end reports a call setting up or ringing: a call of its own.
bool CVoxteloDlg::IsSecondCall(CallState backEnd) const {
    return IsCallUp(dialogState_) &&
           (backEnd == CallState::DIALING || backEnd == CallState::RINGING);
}

void CVoxteloDlg::SetDialogState(CallState state) {
    if (state == dialogState_) {
        return;
    }
    dialogState_ = state;
    if (showAfterCall_ && !IsCallUp(state) && !closed_) {
        showAfterCall_ = false;
        ComeForward();
    }
    SyncCarrier();
    SendDebugText(fw::Format("VOXTELO_DIALOG : %s\n", CallStateName(state)));
}

// With no carrier, a ready Skype wins over a ready modem. The LED request goes out on every
// call, changed or not.
void CVoxteloDlg::SyncCarrier() {
    const CallState skype = SkypeState();
    const CallState modem = ModemState();
    if (activeCarrier_ == Carrier::None) {
        if (skype != CallState::INIT) {
            SelectCarrier(Carrier::Skype);
            SetDialogState(skype);
        } else if (modem != CallState::INIT) {
            SelectCarrier(Carrier::Modem);
            SetDialogState(modem);
        }
    }
    if (ledAvailable_) {
        // A failed request changes nothing and is not reported.
        ledLit_ = IsCallUp(dialogState_);
        LedDevice::SetLed(led::kMethodPled, ledLit_ ? 1 : 0);
    }
    PostRepaint();
}

void CVoxteloDlg::OnSkypeStateChanged() {
    TrackState(Carrier::Skype);
    const CallState skype = SkypeState();
    // Every event re-reads the state, so two events handled after one change (or a client
    // repeating a call's status) both show the call the window already follows: that is no
    // second call, and must not hang it up.
    const bool followed = activeCarrier_ == Carrier::Skype && skype == dialogState_;
    if (IsSecondCall(skype) && !followed) {
        // A second call while one is up is ended at once.
        PostToSkype(msg::EV_SKYPE_HANGUP);
        return;
    }
    switch (skype) {
        case CallState::INIT:
            if (activeCarrier_ == Carrier::Skype) {
                SetDialogState(CallState::INIT);
                activeCarrier_ = Carrier::None;
            }
            break;
        case CallState::RINGING:
            // An incoming Skype call takes the carrier, also from the modem.
            SetDialogState(CallState::RINGING);
            SelectCarrier(Carrier::Skype);
            break;
        default:
            if (activeCarrier_ == Carrier::Skype) {
                SetDialogState(skype);
                SelectCarrier(Carrier::Skype);
            }
            break;
    }
    FollowRingingCall();
    SyncCarrier();
}

// While a call is up the window ignores the modem's call states: a modem call is not
// rejected, but it does not take the window over either.
void CVoxteloDlg::OnModemStateChanged() {
    TrackState(Carrier::Modem);
    const CallState modem = ModemState();
    if (IsSecondCall(modem)) {
        return;
    }
    // A modem call that rang beside a Skype call and is gone takes its notice with it, but not
    // the window: the Skype call is still up, and only its own end may leave it.
    const bool besideSkypeCall = activeCarrier_ == Carrier::Skype && IsCallUp(dialogState_);
    switch (modem) {
        case CallState::INIT:
            callerName_.clear();
            callerNumber_.clear();
            HideCallNotice();
            if (activeCarrier_ == Carrier::Modem) {
                SetDialogState(CallState::INIT);
                activeCarrier_ = Carrier::None;
            }
            break;
        case CallState::NORMAL:
            if (!besideSkypeCall) {
                SetDialogState(CallState::NORMAL);
                SelectCarrier(Carrier::Modem);
            }
            callerName_.clear();
            callerNumber_.clear();
            HideCallNotice();
            break;
        case CallState::DIALING:
        case CallState::ANSWERING:
            SetDialogState(modem);
            SelectCarrier(Carrier::Modem);
            ShowCallNotice(NoticeText("%s\n%s"), IDB_NOTICE_CALL);
            break;
        case CallState::RINGING:
            FollowModemRinging();
            break;
    }
    FollowRingingCall();
    SyncCarrier();
}

void CVoxteloDlg::FollowModemRinging() {
    SetDialogState(CallState::RINGING);
    SelectCarrier(Carrier::Modem);
    ShowCallNotice(NoticeText("%s\n%s"), IDB_NOTICE_INCOMING);
}

// Out of a call (the one it followed has ended, or its carrier is lost), the window takes up a
// call still ringing on either back-end, as if it had rung just now: otherwise the phone key,
// the notice and the call-start key would never answer it.
void CVoxteloDlg::FollowRingingCall() {
    if (IsCallUp(dialogState_)) {
        return;
    }
    if (ModemState() == CallState::RINGING) {
        FollowModemRinging();
    } else if (SkypeState() == CallState::RINGING) {
        SetDialogState(CallState::RINGING);
        SelectCarrier(Carrier::Skype);
    }
}

// The one place where the window sees a call begin and end: after every message, the carrier
// of the call it follows is compared with the one before. A call handed from one carrier to
// the other ends on the first and begins on the second.
void CVoxteloDlg::WatchCall() {
    const Carrier now = IsCallUp(dialogState_) ? activeCarrier_ : Carrier::None;
    if (now == callCarrier_) {
        return;
    }
    if (callCarrier_ != Carrier::None) {
        SendDebugText(fw::Format("VOXTELO_CALL : ends on %s\n", CarrierName(callCarrier_)));
    }
    if (now != Carrier::None) {
        SendDebugText(fw::Format("VOXTELO_CALL : begins on %s, %s\n", CarrierName(now),
                                 dialogState_ == CallState::RINGING ? "incoming" : "outgoing"));
    }
    callCarrier_ = now;
}

// The notice keeps its picture, which the state change just before set. A modem call that
// rings while a Skype call is up had no state change the window followed, so its notice
// still has the picture of an earlier call, or none: a ringing call always shows the
// incoming picture, and any other call one at all.
void CVoxteloDlg::OnCallerInfo() {
    if (!modem_) {
        return;
    }
    callerNumber_ = modem_->GetCallerNumber();
    callerName_ = modem_->GetCallerName();
    TrackParty(Carrier::Modem);
    int background = 0;
    if (ModemState() == CallState::RINGING) {
        background = IDB_NOTICE_INCOMING;
    } else if (notifier_ && !notifier_->HasPicture()) {
        background = IDB_NOTICE_CALL;
    }
    ShowCallNotice(NoticeText("%s\n%s\n"), background);
}

void CVoxteloDlg::OnCallStart() {
    if (dialogState_ == CallState::RINGING) {
        // Only a back-end that rings is answered: a failed answer resets the modem, whose
        // phone key would otherwise answer again, and again.
        if (activeCarrier_ == Carrier::Skype && SkypeState() == CallState::RINGING) {
            PostToSkype(msg::EV_SKYPE_ANSWER);
        } else if (activeCarrier_ == Carrier::Modem && ModemState() == CallState::RINGING) {
            modem_->Answer();
        }
        return;
    }
    if (dialogState_ != CallState::NORMAL) {
        return;
    }
    if (activeCarrier_ == Carrier::Skype) {
        if (!dialString_.empty()) {
            // Skype dials numbers in international form; the display shows the change.
            if (dialString_[0] != '+') {
                dialString_.insert(0, "+");
            }
            callerNumber_ = dialString_;
            StartSkypeCall(dialString_);
        } else if (const std::optional<std::string> selected = SelectedSkypeHandle()) {
            const std::string handle = fw::Trim(*selected);
            if (handle.empty()) {
                PostRepaint();
            } else {
                StartSkypeCall(handle);
            }
        }
    } else if (activeCarrier_ == Carrier::Modem) {
        if (!dialString_.empty()) {
            DialModem(dialString_);
        } else if (ui::ContactItem* item = SelectedBookItem()) {
            ShowNumbers(item);
        }
    }
}

// Both carriers are told to hang up; only the call the window follows was the person's to end
// (a modem call ringing beside a Skype call goes with it, missed). The key the modem's reset
// posts is no second press: while the client has not yet said the call is over, a press would
// end it again, or answer a call being declined, and so on for as long as the client is silent.
void CVoxteloDlg::OnCallEnd() {
    TrackUserEnd(activeCarrier_);
    PostToSkype(msg::EV_SKYPE_HANGUP);
    if (modem_) {
        modem_->Reset(msg::PHONE_KEY_MODEM_BACK);
    }
}

// Enter: dials what is selected while no call is up.
void CVoxteloDlg::DialSelection() {
    if (dialogState_ != CallState::NORMAL) {
        return;
    }
    if (activeCarrier_ == Carrier::Skype) {
        const std::optional<std::string> selected = SelectedSkypeHandle();
        if (selected && !fw::Trim(*selected).empty()) {
            StartSkypeCall(fw::Trim(*selected));
        }
    } else if (activeCarrier_ == Carrier::Modem) {
        if (!dialString_.empty()) {
            DialModem(dialString_);
        } else if (!IsPopupOpen()) {
            if (ui::ContactItem* item = SelectedBookItem()) {
                ShowNumbers(item);
            }
        } else if (const std::string* number = SelectedPopupNumber()) {
            DialModem(*number);
        }
    }
}

// A call that cannot start leaves the phone on screen, where the user still is.
void CVoxteloDlg::StartSkypeCall(const std::string& target) {
    if (skype_ && skype_->SendCommand("CALL " + target)) {
        Hide();
    }
    PostRepaint();
}

void CVoxteloDlg::DialModem(const std::string& number) {
    if (modem_ && modem_->Dial(number)) {
        ClosePopup();
        Hide();
    }
    PostRepaint();
}

void CVoxteloDlg::ComeForward() {
    Show(SW_SHOWNORMAL);
    // Shown, the phone still needs the foreground for the keys; the system grants it when the
    // sender of the key passed it on (LetPhoneComeForward).
    SetForegroundWindow(Handle());
    startHidden_ = false;
}

LRESULT CVoxteloDlg::OnPhoneKey(WPARAM origin) {
    // A modem call that ended on its own brings the window back, but it is no press of the
    // key: it must not answer or end a call on the other carrier, nor count as the person
    // looking at the missed calls.
    const bool pressed = origin != msg::PHONE_KEY_MODEM_BACK;
    if (!pressed && IsCallUp(dialogState_)) {
        showAfterCall_ = true;  // once the call the window follows is over
        return 0;
    }
    switch (dialogState_) {
        case CallState::DIALING:
        case CallState::ANSWERING:
            OnCallEnd();
            break;
        case CallState::RINGING:
            OnCallStart();
            break;
        default:
            ComeForward();
            if (pressed) {
                MarkCallsSeen();
            }
            break;
    }
    return 0;
}

// During a call the phone key that follows ends a Skype call still up, or shows the window.
LRESULT CVoxteloDlg::OnNotifierClicked() {
    if (dialogState_ == CallState::RINGING) {
        OnCallStart();
        return 0;
    }
    TrackUserEnd(Carrier::Modem);
    if (modem_) {
        modem_->Reset(msg::PHONE_KEY_MODEM_BACK);  // the key posted here is the one press
    }
    HideCallNotice();
    Post(msg::UM_PHONE_KEY);
    return 0;
}

void CVoxteloDlg::PostToSkype(int code) {
    Post(msg::UM_INTERNAL, msg::RECIPIENT_SKYPE, code);
}

void CVoxteloDlg::PostRepaint() {
    Post(msg::UM_REPAINT);
}

// Every text from the Skype client is logged as it came, but the keep-alive answer.
LRESULT CVoxteloDlg::OnCopyData(HWND sender, const COPYDATASTRUCT* data) {
    if (!data) {
        return 0;
    }
    const std::string_view text = fw::CopyDataText(data);
    if (text != "PONG") {
        SendDebugText(text);
    }
    return skype_ ? skype_->OnCopyData(sender, data) : 0;
}

LRESULT CVoxteloDlg::OnSkypeAttach(WPARAM skypeWindow, LPARAM status) {
    return skype_ ? skype_->OnAttach(skypeWindow, status) : 1;
}
