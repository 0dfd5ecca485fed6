// The call log beside the phone: every call either carrier reports is logged when it ends,
// the tray shows the missed calls not yet seen, and a recent call brings the phone forward
// with its number, ready for the call key. Nothing here dials.
#include "app/VoxteloDlg.h"

#include "app/CallEndReasons.h"
#include "app/PhoneLink.h"
#include "app/TrayIcon.h"
#include "app/TrayModel.h"
#include "calllog/CallLog.h"
#include "calllog/RecentCallsText.h"
#include "core/DisplayScale.h"
#include "core/ExecutableDirectory.h"
#include "framework/Encoding.h"
#include "modem/ModemPhone.h"
#include "skype/SkypeApi.h"
#include "skype/SkypeContact.h"
#include "ui/CountBadge.h"
#include "ui/PhoneSkin.h"

namespace {

// What the phone shows for a Skype partner: its display or full name, once the client told it.
std::string SkypeName(const SkypeApi& skype, const std::string& handle) {
    for (size_t i = 0; i < skype.ContactCount(); ++i) {
        const skype::SkypeContact* contact = skype.ContactAt(static_cast<int32_t>(i));
        if (!contact || contact->handle != handle) {
            continue;
        }
        // One letter is the placeholder of a property not yet answered.
        for (const std::string* name : {&contact->displayName, &contact->fullName}) {
            if (name->size() > 1) {
                return *name;
            }
        }
    }
    return "";
}

}  // namespace

void CVoxteloDlg::CreateCallLog() {
    callLog_ = std::make_unique<calllog::CallLog>(PathBesideThisProgram("\\Calls.txt"));
    callLog_->Load();
    callTracker_ = std::make_unique<calllog::CallTracker>(
        [this](const calllog::CallRecord& call) { OnCallFinished(call); });
}

// Each carrier's own state, followed by the window or not: a call that rings beside another
// is logged too. The states are taken change by change: a short ring, or a burst of the Skype
// client's texts within one send, may have gone past before the window looks.
void CVoxteloDlg::TrackState(Carrier carrier) {
    if (!callTracker_) {
        return;
    }
    if (carrier == Carrier::Modem) {
        if (modem_) {
            for (const CallState state : modem_->TakeStateChanges()) {
                callTracker_->OnState(carrier, state, calllog::Now());
            }
        }
        return;
    }
    if (!skype_) {
        return;
    }
    for (const skype::CallStateChange& change : skype_->TakeCallStateChanges()) {
        if (change.state == CallState::NORMAL) {  // reached only by the status that ended it
            callTracker_->OnEndReason(carrier, SkypeEndReason(change.endStatus));
        }
        callTracker_->OnState(carrier, change.state, calllog::Now());
    }
}

// A Skype call that rang while another call was up, refused at once: missed, with who it was
// where the client said.
void CVoxteloDlg::TrackRefusedSkypeCalls() {
    if (!callTracker_ || !skype_) {
        return;
    }
    for (const skype::RefusedCall& call : skype_->TakeRefusedCalls()) {
        callTracker_->OnRefused(Carrier::Skype, call.partner, SkypeName(*skype_, call.partner),
                                calllog::MomentAt(call.at));
    }
}

void CVoxteloDlg::TrackParty(Carrier carrier) {
    if (!callTracker_) {
        return;
    }
    if (carrier == Carrier::Modem && modem_) {
        callTracker_->OnParty(carrier, calllog::AnsiToUtf8(modem_->GetCallerNumber()),
                              calllog::AnsiToUtf8(modem_->GetCallerName()));
    } else if (carrier == Carrier::Skype && skype_) {
        const std::string handle = skype_->PartnerHandle();
        callTracker_->OnParty(carrier, handle, SkypeName(*skype_, handle));
    }
}

void CVoxteloDlg::TrackUserEnd(Carrier carrier) {
    if (callTracker_ && carrier != Carrier::None) {
        callTracker_->OnUserEnded(carrier);
    }
}

void CVoxteloDlg::TrackModemCode(int code) {
    const calllog::EndReason reason = ModemEndReason(code);
    if (callTracker_ && reason != calllog::EndReason::None) {
        callTracker_->OnEndReason(Carrier::Modem, reason);
    }
}

void CVoxteloDlg::EndCallLog() {
    if (callTracker_) {
        callTracker_->EndAll(calllog::Now());
    }
}

void CVoxteloDlg::OnCallFinished(const calllog::CallRecord& call) {
    if (callLog_) {
        callLog_->Record(call);
    }
    UpdateTray();
}

void CVoxteloDlg::MarkCallsSeen() {
    if (callLog_ && callLog_->History().UnseenMissed() > 0) {
        callLog_->MarkSeen();
        UpdateTray();
        PostRepaint();
    }
}

size_t CVoxteloDlg::UnseenMissedCalls() const {
    return callLog_ ? callLog_->History().UnseenMissed() : 0;
}

std::wstring CVoxteloDlg::TrayTip() const {
    std::wstring tip = fw::Widen(TrayTipText(dialogState_, activeCarrier_, TrayParty()));
    if (callLog_) {
        const std::string missed =
            calllog::MissedCallsLine(callLog_->History(), calllog::Now().wall);
        if (!missed.empty()) {
            tip = fw::Widen(missed, CP_UTF8) + L"\n" + tip;
        }
    }
    return tip;
}

std::vector<std::wstring> CVoxteloDlg::RecentCallRows() {
    recentShown_.clear();
    std::vector<std::wstring> rows;
    if (!callLog_) {
        return rows;
    }
    recentShown_ = callLog_->History().Recent(CTrayIcon::kRecentRows);
    const calllog::LocalTime today = calllog::Now().wall;
    for (const calllog::CallRecord& call : recentShown_) {
        rows.push_back(fw::Widen(calllog::RecentCallRow(call, today), CP_UTF8));
    }
    return rows;
}

// The phone comes forward on the call's carrier with its number waiting on the display line;
// a Skype partner who is a contact is selected in the list instead.
void CVoxteloDlg::CallBack(size_t row) {
    if (row >= recentShown_.size() || closed_) {
        return;
    }
    const calllog::CallRecord call = recentShown_[row];
    const std::string number = fw::Narrow(fw::Widen(call.number, CP_UTF8));
    const CallState carrierState = call.carrier == Carrier::Skype ? SkypeState() : ModemState();
    if (dialogState_ == CallState::NORMAL && carrierState == CallState::NORMAL &&
        activeCarrier_ != call.carrier) {
        SelectCarrier(call.carrier);
    }
    if (call.carrier == Carrier::Skype && skin_ && skin_->SelectSkypeContact(call.number)) {
        ShowPhone();
    } else if (IsDialableNumber(number)) {
        ShowHandedNumber(number);
    } else {
        ShowPhone();
    }
}

void CVoxteloDlg::ClearRecentCalls() {
    if (callLog_) {
        callLog_->Clear();
        UpdateTray();
        PostRepaint();
    }
}

// The one cue on the phone itself: the count on the phone-book key's corner, drawn by the
// skin over the key and the frame, so that nothing else moves.
void CVoxteloDlg::UpdateMissedCue() {
    if (!skin_) {
        return;
    }
    const std::string text = calllog::BadgeText(UnseenMissedCalls());
    const int height = WindowScale().Px(kMissedCueHeight);
    if (text == missedCueText_ && height == missedCueHeight_ && skin_.get() == missedCueSkin_) {
        return;
    }
    missedCueText_ = text;
    missedCueHeight_ = height;
    missedCueSkin_ = skin_.get();
    missedCue_ = ui::RenderCountBadge(text, height);
    skin_->SetBookKeyCue(text.empty() ? nullptr : &missedCue_);
    PostRepaint();
}
