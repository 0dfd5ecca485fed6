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

ModemPhone::ModemPhone(HWND window) : window_(window) {
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
    PostToWindow(msg::EV_MODEM_STATE);
    Log(CallStateName(state_));
}

void ModemPhone::Initialize() {
    if (device_) {
        return;
    }
    device_ = std::make_unique<TapiDevice>();
    const int32_t result = device_->OpenLine(true);
    if (result != 0) {
        Log(LineErrorName(result));
        SetState(CallState::INIT);
    } else {
        SetState(CallState::NORMAL);
    }
}

void ModemPhone::Reset() {
    device_.reset();  // drops a call in progress and closes the line
    Initialize();
    callerNumber_.clear();
    callerName_.clear();
    PostMessageA(window_, msg::UM_PHONE_KEY, 0, 0);
}

void ModemPhone::ReleaseDevice() {
    device_.reset();
}

void ModemPhone::Dial(const std::string& number) {
    if (!device_) {
        Log("no modem line: the call to " + number + " is not placed");
        return;
    }
    const int32_t result = device_->MakeCall(number.c_str());
    if (result != 0) {
        Log(LineErrorName(result));
        Reset();
        return;
    }
    SetState(CallState::DIALING);
    callerNumber_ = number;
    callerName_ = LookupName(number);
    PostToWindow(msg::EV_CALLER_INFO);
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
            Reset();
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
        default:
            Log(TapiEventName(code));
            break;
    }
    return 1;
}

void ModemPhone::OnConnected() {
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
