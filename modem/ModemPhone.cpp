#include "modem/ModemPhone.h"

#include <utility>
#include <vector>

#include "core/DebugLog.h"
#include "core/ExecutableDirectory.h"
#include "core/Messages.h"
#include "framework/Text.h"
#include "modem/TapiDevice.h"
#include "modem/TapiErrorNames.h"
#include "modem/TapiNames.h"

ModemPhone::ModemPhone(HWND window, LineRetryPolicy retry)
    : window_(window), retry_(retry), attemptsLeft_(retry.attempts) {
    LoadPhoneBook();
    Initialize();
}

ModemPhone::~ModemPhone() = default;

void ModemPhone::Log(const std::string& text) {
    SendDebugText(fw::Format("From Modem : %s\n", text.c_str()));
}

void ModemPhone::PostToWindow(int code) {
    PostMessageA(window_, msg::UM_INTERNAL, msg::RECIPIENT_WINDOW, code);
}

void ModemPhone::SetState(CallState state) {
    if (state == state_) {
        return;
    }
    state_ = state;
    constexpr size_t kMostStateChanges = 64;  // a window that never takes them
    if (stateChanges_.size() >= kMostStateChanges) {
        stateChanges_.erase(stateChanges_.begin());
    }
    stateChanges_.push_back(state);
    PostToWindow(msg::EV_MODEM_STATE);
    Log(CallStateName(state_));
}

void ModemPhone::Initialize() {
    if (device_) {
        return;
    }
    device_ = std::make_unique<TapiDevice>(window_);
    const int32_t result = device_->OpenLine(true);
    if (result != 0) {
        Log(LineErrorName(result));
        SetState(CallState::INIT);
    } else {
        SetState(CallState::NORMAL);
    }
}

void ModemPhone::Reset(WPARAM phoneKey) {
    retryWait_.Cancel();
    attemptsLeft_ = retry_.attempts;
    device_.reset();  // drops a call in progress and closes the line
    Initialize();
    callerNumber_.clear();
    callerName_.clear();
    PostMessageA(window_, msg::UM_PHONE_KEY, phoneKey, 0);
}

void ModemPhone::ReleaseDevice() {
    retryWait_.Cancel();
    device_.reset();
}

bool ModemPhone::Dial(const std::string& number) {
    if (!device_) {
        Log("no modem line: the call to " + number + " is not placed");
        return false;
    }
    const int32_t result = device_->MakeCall(number.c_str());
    if (result != 0) {
        Log(LineErrorName(result));
        Reset();
        return false;
    }
    SetState(CallState::DIALING);
    callerNumber_ = number;
    callerName_ = LookupName(number);
    PostToWindow(msg::EV_CALLER_INFO);
    return true;
}

void ModemPhone::Answer() {
    if (!device_) {
        Log("no modem line: the call is not answered");
        return;
    }
    const int32_t result = device_->Answer();
    if (result != 0) {
        Log(LineErrorName(result));
        Reset();
    }
}

LRESULT ModemPhone::OnEvent(int code) {
    switch (code) {
        case msg::MODEM_EV_LINEDEVSTATE:
            if (state_ == CallState::RINGING) {
                PostToWindow(msg::EV_RING);
            }
            Log(TapiEventName(code));
            break;
        case msg::MODEM_EV_CONNECTED:
            OnConnected();
            break;
        case msg::MODEM_EV_CALL_ENDED:
            Log("");
            // Not the user's doing: a call on the other carrier must not take it for a press.
            Reset(msg::PHONE_KEY_MODEM_BACK);
            break;
        case msg::MODEM_EV_OFFERING:
            SetState(CallState::RINGING);
            PostToWindow(msg::EV_RING);
            Log("");
            break;
        case msg::MODEM_EV_CALLERID:
            OnCallerId();
            break;
        case msg::EV_BOOK_RELOAD:
            LoadPhoneBook();
            break;
        case msg::MODEM_EV_REQUEST_FAILED:
            OnRequestFailed();
            break;
        case msg::MODEM_EV_LINE_LOST:
            OnLineLost("the modem line is gone");
            break;
        case msg::MODEM_EV_CALLINFO_REFUSED:
            Log(fw::Format("call information of %u bytes refused",
                           device_ ? device_->RefusedCallInfoSize() : 0u));
            break;
        case msg::MODEM_EV_THREAD_ENDED:
            OnLineLost("the line-message thread ended: the modem line went deaf");
            break;
        case msg::MODEM_EV_RETRY_LINE:
            OnRetryLine();
            break;
        default:
            Log(TapiEventName(code));
            break;
    }
    return 1;
}

void ModemPhone::OnConnected() {
    if (state_ != CallState::DIALING && state_ != CallState::RINGING) {
        // From a line a reset has since replaced, or a repeat for a call already up: opening
        // the speakerphone now would take the modem off-hook with no call.
        Log("connected, but no call is being set up: ignored");
        return;
    }
    if (!device_) {
        // A code the closed line posted before it went: nothing is connected any more.
        Log("no modem line: the connected call is gone");
        return;
    }
    const int32_t result = device_->OpenPhone();
    if (result != 0) {
        const std::string name = PhoneErrorName(result);
        Log(name);
        Log(name);
        return;
    }
    SetState(CallState::ANSWERING);
    Log("");
}

void ModemPhone::OnRequestFailed() {
    const int32_t error = device_ ? device_->TakeCallRequestFailure() : 0;
    if (error == 0) {
        Log("a request other than the call failed in its reply: ignored");
        return;
    }
    // The dial or answer was refused after all: that call is over.
    Log(LineErrorName(error));
    Reset(msg::PHONE_KEY_MODEM_BACK);
}

void ModemPhone::OnLineLost(const std::string& why) {
    Log(why);
    const bool callWasUp = IsCallUp(state_);
    device_.reset();
    callerNumber_.clear();
    callerName_.clear();
    SetState(CallState::INIT);
    // Within a period of the last attempt, the end of that period opens it: a line that
    // keeps failing is never opened more often than once a period.
    if (!retryWait_.Pending()) {
        ReopenLostLine();
    }
    if (callWasUp) {
        // The window comes back, as after a call.
        PostMessageA(window_, msg::UM_PHONE_KEY, msg::PHONE_KEY_MODEM_BACK, 0);
    }
}

void ModemPhone::ReopenLostLine() {
    if (attemptsLeft_ <= 0) {
        Log(fw::Format("the modem line stays closed after %d attempts", retry_.attempts));
        return;
    }
    --attemptsLeft_;
    Log(fw::Format("opening the modem line again (%d of %d)", retry_.attempts - attemptsLeft_,
                   retry_.attempts));
    device_.reset();  // a device that failed to open is kept otherwise
    Initialize();
    // Also when the line opened: should it go again soon, the period must pass first.
    retryWait_.Start(window_, retry_.periodMs, msg::RECIPIENT_MODEM, msg::MODEM_EV_RETRY_LINE);
}

void ModemPhone::OnRetryLine() {
    if (!retryWait_.Pending()) {
        return;  // posted just before its wait was cancelled
    }
    retryWait_.Cancel();
    if (state_ == CallState::INIT) {
        ReopenLostLine();
    }
}

void ModemPhone::OnCallerId() {
    callerNumber_ = device_ ? device_->GetCallerId() : std::string();
    if (!callerNumber_.empty()) {
        callerName_ = LookupName(callerNumber_);
        PostToWindow(msg::EV_CALLER_INFO);
    }
    Log("");
}

void ModemPhone::LoadPhoneBook() {
    const std::string path = PathBesideThisProgram("\\Bookmark.ini");
    store_.SetFile(path.c_str());
    // One reading of the file: a value at a time through the profile functions took seconds
    // for a large book under Wine.
    std::vector<BookmarkEntry> book = store_.ReadEntries();
    contacts_.Clear();
    for (size_t i = 0; i < book.size(); ++i) {
        ContactEntry entry;
        entry.index = static_cast<int>(i);
        entry.name = std::move(book[i].name);
        entry.home = std::move(book[i].home);
        entry.office = std::move(book[i].office);
        entry.mobile = std::move(book[i].mobile);
        contacts_.Add(std::move(entry));
    }
    PostToWindow(msg::EV_BOOK_LOADED);
}

std::string ModemPhone::LookupName(const std::string& number) const {
    return contacts_.LookupName(number);
}
