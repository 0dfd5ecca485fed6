// Command texts in, reply and notification texts out, the way the desktop client talks.
#include "sim/skype/SimSession.h"

#include <set>

#include "sim/skype/SimText.h"

namespace skypesim {
namespace {

// Error codes follow the client's documented numbering; the sentences are the simulator's.
const std::map<int, const char*> kErrors = {
    {1, "Command text is empty or malformed"},
    {2, "Command not recognised"},
    {3, "SEARCH target not recognised"},
    {4, "CALL needs a target"},
    {7, "GET target not recognised"},
    {8, "User handle missing or invalid"},
    {10, "User property not recognised"},
    {11, "Call id is not a number"},
    {12, "No such call"},
    {13, "Call property not recognised"},
    {21, "Call status cannot be set to that value"},
    {22, "Only a call in progress can be put on hold"},
    {23, "This call cannot be answered or resumed now"},
    {24, "The call has already ended"},
    {28, "User status not recognised"},
};

const std::set<std::string> kEndStatuses = {"FINISHED", "REFUSED", "MISSED",
                                            "FAILED",   "BUSY",    "CANCELLED"};
const std::set<std::string> kUserStatuses = {"ONLINE", "OFFLINE",   "AWAY",   "NA",
                                             "DND",    "INVISIBLE", "SKYPEME"};

}  // namespace

bool IsActiveCallStatus(const std::string& status) {
    return status == "UNPLACED" || status == "ROUTING" || status == "RINGING" ||
           status == "EARLYMEDIA" || status == "INPROGRESS" || status == "ONHOLD";
}

void SimSession::Error(int code) {
    host_.Reply("ERROR " + std::to_string(code) + " " + kErrors.at(code));
}

void SimSession::OnCommand(const std::string& text) {
    std::vector<std::string> words = SplitOnSpaces(text);
    if (words[0].empty()) {
        Error(1);
        return;
    }
    std::string keyword = ToUpperAscii(words[0]);
    if (keyword == "PING") {
        host_.Reply("PONG");
    } else if (keyword == "GET") {
        HandleGet(words);
    } else if (keyword == "SET") {
        HandleSet(words);
    } else if (keyword == "SEARCH") {
        if (words.size() >= 2 && EqualsNoCase(words[1], "FRIENDS")) {
            host_.Reply(account_.FriendsReply());
        } else {
            Error(3);
        }
    } else if (keyword == "CALL") {
        HandleCall(words);
    } else if (keyword == "PROTOCOL") {
        auto version = words.size() >= 2 ? ParseUnsigned(words[1]) : std::nullopt;
        if (!version) {
            Error(1);
            return;
        }
        // The client speaks the highest version it knows that the program asked for.
        host_.Reply("PROTOCOL " + std::to_string(*version < 8 ? *version : 8));
    } else if (keyword == "NAME") {
        host_.Reply("OK");
    } else {
        Error(2);
    }
}

void SimSession::HandleGet(const std::vector<std::string>& words) {
    std::string what = words.size() >= 2 ? ToUpperAscii(words[1]) : "";
    if (what == "CONNSTATUS") {
        host_.Reply("CONNSTATUS " + account_.ConnStatus());
    } else if (what == "USERSTATUS") {
        host_.Reply("USERSTATUS " + account_.UserStatus());
    } else if (what == "CURRENTUSERHANDLE") {
        host_.Reply("CURRENTUSERHANDLE " + account_.Me().handle);
    } else if (what == "USER") {
        if (words.size() < 3 || words[2].empty()) {
            Error(8);
            return;
        }
        std::string property = words.size() >= 4 ? ToUpperAscii(words[3]) : "";
        auto value = account_.UserProperty(words[2], property);
        if (!value) {
            Error(10);
            return;
        }
        // The space before the value is there even when the value is empty.
        host_.Reply("USER " + words[2] + " " + property + " " + *value);
    } else if (what == "CALL") {
        SimCall* call = FindCall(words.size() >= 3 ? words[2] : "", 11, 12);
        if (!call) {
            return;
        }
        std::string property = words.size() >= 4 ? ToUpperAscii(words[3]) : "";
        std::string value;
        if (property == "STATUS") {
            value = call->status;
        } else if (property == "PARTNER_HANDLE") {
            value = call->partner;
        } else if (property == "PARTNER_DISPNAME") {
            const SkypeUser* user = account_.FindFriend(call->partner);
            value = user ? user->properties.at("DISPLAYNAME") : "";
        } else if (property == "TYPE") {
            value = call->incoming ? "INCOMING_P2P" : "OUTGOING_P2P";
        } else if (property == "FAILUREREASON") {
            value = call->failureReason;
        } else {
            Error(13);
            return;
        }
        host_.Reply("CALL " + std::to_string(call->id) + " " + property + " " + value);
    } else {
        Error(7);
    }
}

void SimSession::HandleSet(const std::vector<std::string>& words) {
    std::string what = words.size() >= 2 ? ToUpperAscii(words[1]) : "";
    if (what == "CALL") {
        SimCall* call = FindCall(words.size() >= 3 ? words[2] : "", 11, 12);
        if (!call) {
            return;
        }
        if (words.size() < 5 || !EqualsNoCase(words[3], "STATUS")) {
            Error(21);
            return;
        }
        HandleSetCallStatus(*call, ToUpperAscii(words[4]));
    } else if (what == "USERSTATUS") {
        std::string status = words.size() >= 3 ? ToUpperAscii(words[2]) : "";
        if (!kUserStatuses.count(status)) {
            Error(28);
            return;
        }
        account_.SetUserStatus(status);
        host_.Reply("USERSTATUS " + status);
    } else {
        Error(2);
    }
}

void SimSession::HandleSetCallStatus(SimCall& call, const std::string& status) {
    if (!IsActiveCallStatus(call.status)) {
        Error(24);
        return;
    }
    if (status == "INPROGRESS") {
        bool answerable = call.incoming && call.status == "RINGING";
        if (!answerable && call.status != "ONHOLD") {
            Error(23);
            return;
        }
    } else if (status == "ONHOLD") {
        if (call.status != "INPROGRESS") {
            Error(22);
            return;
        }
    } else if (status != "FINISHED") {
        Error(21);
        return;
    }
    call.status = status;
    host_.Reply("CALL " + std::to_string(call.id) + " STATUS " + status);
}

void SimSession::HandleCall(const std::vector<std::string>& words) {
    std::string target = JoinFrom(words, 1);
    if (target.empty()) {
        Error(4);
        return;
    }
    SimCall& call = calls_[nextCallId_];
    call.id = nextCallId_++;
    call.partner = target;
    call.status = "UNPLACED";
    std::string prefix = "CALL " + std::to_string(call.id);
    host_.Reply(prefix + " STATUS UNPLACED");
    if (account_.ConnStatus() != "ONLINE") {
        call.failureReason = "1";
        host_.Notify(prefix + " FAILUREREASON 1");
        ChangeStatus(call, "FAILED");
        return;
    }
    // A nested reply lets the program act in between (hang up, for one); each step goes on
    // only from the status the previous one left.
    ChangeStatus(call, "ROUTING");
    if (call.status != "ROUTING") {
        return;
    }
    ChangeStatus(call, "RINGING");
    if (call.status != "RINGING" || plan_.outcome.empty()) {
        return;
    }
    uint64_t id = call.id;
    if (plan_.delayMs == 0) {
        ApplyPlan(id);
    } else {
        host_.After(plan_.delayMs, [this, id] { ApplyPlan(id); });
    }
}

void SimSession::ApplyPlan(uint64_t id) {
    auto it = calls_.find(id);
    // The program may have hung up meanwhile; then the far end has nothing left to do.
    if (it == calls_.end() || it->second.status != "RINGING") {
        return;
    }
    ChangeStatus(it->second, plan_.outcome);
}

SimCall* SimSession::FindCall(const std::string& idWord, int invalidCode, int unknownCode) {
    auto id = ParseUnsigned(idWord);
    if (!id) {
        Error(invalidCode);
        return nullptr;
    }
    auto it = calls_.find(*id);
    if (it == calls_.end()) {
        Error(unknownCode);
        return nullptr;
    }
    return &it->second;
}

void SimSession::ChangeStatus(SimCall& call, const std::string& status) {
    call.status = status;
    host_.Notify("CALL " + std::to_string(call.id) + " STATUS " + status);
}

const SimCall* SimSession::LatestActiveCall() const {
    for (auto it = calls_.rbegin(); it != calls_.rend(); ++it) {
        if (IsActiveCallStatus(it->second.status)) {
            return &it->second;
        }
    }
    return nullptr;
}

SimCall& SimSession::CallForScript(std::optional<uint64_t> id) {
    if (!id) {
        const SimCall* latest = LatestActiveCall();
        if (!latest) {
            throw ScriptError("no active call");
        }
        id = latest->id;
    }
    auto it = calls_.find(*id);
    if (it == calls_.end()) {
        throw ScriptError("no call " + std::to_string(*id));
    }
    if (!IsActiveCallStatus(it->second.status)) {
        throw ScriptError("call " + std::to_string(*id) + " has ended");
    }
    return it->second;
}

uint64_t SimSession::CallIn(const std::string& handle) {
    if (handle.empty() || handle.find(' ') != std::string::npos) {
        throw ScriptError("call-in needs one handle");
    }
    if (account_.ConnStatus() != "ONLINE") {
        throw ScriptError("the account is not online");
    }
    SimCall& call = calls_[nextCallId_];
    call.id = nextCallId_++;
    call.partner = handle;
    call.incoming = true;
    ChangeStatus(call, "RINGING");
    return call.id;
}

void SimSession::FarEndAnswer(std::optional<uint64_t> id) {
    SimCall& call = CallForScript(id);
    if (call.incoming || (call.status != "RINGING" && call.status != "ROUTING")) {
        throw ScriptError("only a ringing outgoing call can be answered by the far end");
    }
    ChangeStatus(call, "INPROGRESS");
}

void SimSession::FarEndHangUp(std::optional<uint64_t> id) {
    SimCall& call = CallForScript(id);
    if (call.status == "INPROGRESS" || call.status == "ONHOLD") {
        ChangeStatus(call, "FINISHED");
    } else if (call.incoming) {
        ChangeStatus(call, "MISSED");  // the caller gave up before it was answered
    } else {
        ChangeStatus(call, "REFUSED");
    }
}

void SimSession::EndCall(std::optional<uint64_t> id, const std::string& status) {
    std::string upper = ToUpperAscii(status);
    if (!kEndStatuses.count(upper)) {
        throw ScriptError("not an end status: " + status);
    }
    SimCall& call = CallForScript(id);
    if (upper == "FAILED") {
        call.failureReason = "1";
        host_.Notify("CALL " + std::to_string(call.id) + " FAILUREREASON 1");
    }
    ChangeStatus(call, upper);
}

void SimSession::FailActiveCalls() {
    for (auto& [id, call] : calls_) {
        if (IsActiveCallStatus(call.status)) {
            call.failureReason = "1";
            host_.Notify("CALL " + std::to_string(id) + " FAILUREREASON 1");
            ChangeStatus(call, "FAILED");
        }
    }
}

void SimSession::SetConnStatus(const std::string& status) {
    std::string upper = ToUpperAscii(status);
    if (upper.empty()) {
        throw ScriptError("connstatus needs a value");
    }
    if (upper == "OFFLINE" || upper == "LOGGEDOUT") {
        FailActiveCalls();
    }
    account_.SetConnStatus(upper);
    host_.Notify("CONNSTATUS " + upper);
}

void SimSession::SetUserStatus(const std::string& status) {
    std::string upper = ToUpperAscii(status);
    if (upper.empty()) {
        throw ScriptError("userstatus needs a value");
    }
    account_.SetUserStatus(upper);
    host_.Notify("USERSTATUS " + upper);
}

void SimSession::GoOffline() {
    SetUserStatus("OFFLINE");
    SetConnStatus("OFFLINE");
}

void SimSession::GoOnline() {
    SetConnStatus("ONLINE");
    SetUserStatus("ONLINE");
}

void SimSession::LogOut() {
    SetUserStatus("LOGGEDOUT");
    SetConnStatus("LOGGEDOUT");
}

void SimSession::SetUserProperty(const std::string& handle, const std::string& property,
                                 const std::string& value) {
    std::string upper = ToUpperAscii(property);
    if (!IsUserProperty(upper) || upper == "HANDLE") {
        throw ScriptError("not a settable user property: " + property);
    }
    SkypeUser* user = account_.FindFriend(handle);
    if (!user) {
        throw ScriptError("no friend " + handle);
    }
    user->properties[upper] = value;
    if (upper == "ONLINESTATUS") {
        host_.Notify("USER " + handle + " ONLINESTATUS " + value);
    }
}

}  // namespace skypesim
