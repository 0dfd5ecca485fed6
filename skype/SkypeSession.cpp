// Parsing of the Skype client's texts into the session's state, and the commands it sends.
#include "skype/SkypeSession.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <utility>

#include "core/Messages.h"
#include "skype/SplitWords.h"
#include "skype/Utf8Names.h"

namespace skype {

namespace {

const char kUnknownInternalCommand[] = "Unknown UM_INTERNAL--lParam in SkypeApi";

// The properties asked for each contact, in the order they are asked.
const char* const kQueriedProperties[] = {
    "FULLNAME", "DISPLAYNAME", "HANDLE", "BUDDYSTATUS", "ISAUTHORIZED", "ISBLOCKED", "ONLINESTATUS",
};

std::string TrimCommas(const std::string& word) {
    const size_t first = word.find_first_not_of(',');
    if (first == std::string::npos) {
        return {};
    }
    return word.substr(first, word.find_last_not_of(',') - first + 1);
}

bool IsOneOf(const std::string& value, std::initializer_list<const char*> candidates) {
    for (const char* candidate : candidates) {
        if (value == candidate) {
            return true;
        }
    }
    return false;
}

}  // namespace

AttachOutcome ClassifyAttachStatus(uint32_t status) {
    switch (status) {
        case ATTACH_SUCCESS:
            return AttachOutcome::Attached;
        case ATTACH_PENDING_AUTHORIZATION:
        case ATTACH_REFUSED:
        case ATTACH_NOT_AVAILABLE:
        case ATTACH_API_AVAILABLE:
            return AttachOutcome::Detached;
        default:
            return AttachOutcome::Ignored;
    }
}

SkypeSession::SkypeSession(SkypeHost& host, std::chrono::milliseconds querySlice)
    : host_(host), querySlice_(querySlice) {}

void SkypeSession::ParseNotification(const std::string& text) {
    const Words words = SplitWords(text);
    const std::string& keyword = words.At(0);
    if (keyword == "USERS") {
        OnUsers(words);
    } else if (keyword == "USER") {
        OnUser(words, text);
    } else if (keyword == "CALL") {
        OnCall(words);
    } else if (keyword == "CONNSTATUS") {
        OnConnectionStatus(words.At(1));
    } else if (keyword == "CURRENTUSERHANDLE") {
        SetStatusText(currentUserHandle_, words.At(1));
    } else if (keyword == "USERSTATUS") {
        OnUserStatus(words.At(1));
    }
    // MESSAGE, CHAT, VOICEMAIL, PONG, error replies and echoed commands carry nothing we keep.
}

void SkypeSession::OnUsers(const Words& words) {
    SkypeContactList fresh;
    for (size_t i = 1; i < words.Count(); ++i) {
        fresh.Append(
            std::make_unique<SkypeContact>(static_cast<int32_t>(i - 1), TrimCommas(words.At(i))));
    }
    const bool noFriends = fresh.Empty();
    EndQueries();  // they ask about the old list; the new one gets its own run
    {
        std::lock_guard<std::mutex> lock(mutex_);
        contacts_.Swap(fresh);
    }
    // The previous contacts die with `fresh`, outside the lock.
    if (noFriends) {
        PostToWindow(msg::EV_SKYPE_CONTACTS);
    } else {
        host_.PostInternal(msg::RECIPIENT_SKYPE, msg::EV_SKYPE_QUERY_USERS);
    }
}

void SkypeSession::OnUser(const Words& words, const std::string& text) {
    if (contacts_.Empty()) {
        return;
    }
    const std::string& handle = words.At(1);
    SkypeContact* contact = contacts_.FindByHandle(handle);
    if (contact == nullptr) {
        return;
    }
    const std::string& property = words.At(2);
    if (property == "FULLNAME" || property == "DISPLAYNAME") {
        // The value is the rest of the text, spaces included.
        const size_t valueStart = words.At(0).size() + handle.size() + property.size() + 3;
        std::string name = host_.ToAnsi(DecodeUtf8Name(TextFrom(text, valueStart)));
        // Found again: no pointer into the list is kept across a call out.
        if ((contact = contacts_.FindByHandle(handle)) != nullptr) {
            *contact->FieldFor(property) = std::move(name);
        }
    } else if (property == "ONLINESTATUS") {
        contact->onlineStatus = words.At(3);
        PostToWindow(msg::EV_SKYPE_CONTACTS);
    } else if (std::string* field = contact->FieldFor(property)) {
        *field = words.At(3);
    }
}

void SkypeSession::OnCall(const Words& words) {
    const std::string& callId = words.At(1);
    const bool refusedBefore = FindRefused(callId) != nullptr;
    if (refusedBefore || IsAnotherCall(callId)) {
        // One call at a time: a second one is refused by its own id, and nothing said of it
        // may end, answer or replace the call that is up. Who it was is asked for the log.
        const std::string& kind = words.At(2);
        const std::string& value = words.At(3);
        if (kind == "STATUS" && IsOneOf(value, {"RINGING", "ROUTING"})) {
            const bool ask = !refusedBefore && value == "RINGING";
            if (ask) {
                NoteRefused(callId);  // before any send: a text within them must find it
            }
            Send("SET CALL " + callId + " STATUS FINISHED");
            if (ask) {
                Send("GET CALL " + callId + " PARTNER_HANDLE");
            }
        } else if (kind == "PARTNER_HANDLE") {
            RefusedAsk* refused = FindRefused(callId);
            if (refused && !refused->named) {
                refused->named = true;
                ReportRefused(value, refused->at);
            }
        }
        return;
    }
    currentCall_ = callId;
    const std::string& kind = words.At(2);
    if (kind == "STATUS") {
        OnCallStatus(callId, words.At(3));
    } else if (kind == "PARTNER_HANDLE") {
        partnerHandle_ = words.At(3);
        PostToWindow(msg::EV_SKYPE_PARTNER);
    }
}

SkypeSession::RefusedAsk* SkypeSession::FindRefused(const std::string& callId) {
    const auto found = std::find_if(refusedCalls_.begin(), refusedCalls_.end(),
                                    [&](const RefusedAsk& ask) { return ask.callId == callId; });
    return found == refusedCalls_.end() ? nullptr : &*found;
}

// A client that never names the partners cannot make the list grow: the oldest goes unnamed.
void SkypeSession::NoteRefused(const std::string& callId) {
    constexpr size_t kRefusedAskedMax = 16;
    if (refusedCalls_.size() >= kRefusedAskedMax) {
        const RefusedAsk oldest = refusedCalls_.front();
        refusedCalls_.erase(refusedCalls_.begin());
        if (!oldest.named) {
            ReportRefused("", oldest.at);
        }
    }
    refusedCalls_.push_back({callId, std::chrono::system_clock::now(), false});
}

void SkypeSession::ReportRefused(const std::string& partner,
                                 std::chrono::system_clock::time_point at) {
    refusedTaken_.push_back({partner, at});
    PostToWindow(msg::EV_SKYPE_REFUSED);
}

void SkypeSession::EndRefusedCalls() {
    for (const RefusedAsk& ask : std::exchange(refusedCalls_, {})) {
        if (!ask.named) {
            ReportRefused("", ask.at);
        }
    }
}

std::vector<RefusedCall> SkypeSession::TakeRefusedCalls() {
    return std::exchange(refusedTaken_, {});
}

std::vector<CallStateChange> SkypeSession::TakeCallStateChanges() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(stateChanges_, {});
}

bool SkypeSession::IsAnotherCall(const std::string& callId) const {
    return IsCallUp(GetState()) && !currentCall_.empty() && callId != currentCall_;
}

void SkypeSession::OnCallStatus(const std::string& callId, const std::string& status) {
    const std::string partnerQuery = "GET CALL " + callId + " PARTNER_HANDLE";
    if (status == "ROUTING") {
        SetState(CallState::DIALING);
        Send(partnerQuery);
    } else if (status == "RINGING") {
        bool incoming = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            // While our own call is routed, RINGING is the far end ringing.
            if (state_ != CallState::DIALING) {
                state_ = CallState::RINGING;
                NoteStateChange(state_, "");
                incoming = true;
            }
        }
        if (incoming) {
            PostToWindow(msg::EV_SKYPE_STATE);
            Send(partnerQuery);
        }
    } else if (status == "INPROGRESS") {
        SetState(CallState::ANSWERING);
    } else if (IsOneOf(status, {"FINISHED", "FAILED", "MISSED", "REFUSED", "FAILUREREASON", "BUSY",
                                "CANCELLED"})) {
        SetState(CallState::NORMAL, status);
        EndRefusedCalls();
    }
    // ONHOLD and any other status leave the state alone.
}

void SkypeSession::OnConnectionStatus(const std::string& value) {
    if (value == "ONLINE") {
        // Being online ends no call: a poll pass that asks again while one rings or is up
        // (after an attach) would otherwise lose it.
        if (!IsCallUp(GetState())) {
            SetState(CallState::NORMAL);
        }
        Send("SEARCH FRIENDS");
        SetStatusText(connectionStatus_, value);
    } else if (IsOneOf(value, {"OFFLINE", "CONNECTING", "PAUSING", "LOGGEDOUT"})) {
        EndRefusedCalls();  // gone with the account's calls
        ResetToInit(&connectionStatus_, value);
    } else {
        SetStatusText(connectionStatus_, value);
    }
}

void SkypeSession::OnUserStatus(const std::string& value) {
    if (value == "OFFLINE" || value == "LOGGEDOUT") {
        ResetToInit(&userStatus_, value);
    } else {
        SetStatusText(userStatus_, value);
    }
}

int SkypeSession::OnInternalCommand(int code) {
    switch (code) {
        case msg::EV_SKYPE_QUERY_USERS:
            QueryContactDetails();
            break;
        case msg::EV_SKYPE_SYNC:
            PostToWindow(msg::EV_SYNC_CARRIER);
            break;
        case msg::EV_SKYPE_HANGUP:
            Send("SET CALL " + currentCall_ + " STATUS FINISHED");
            break;
        case msg::EV_SKYPE_ANSWER:
            Send("SET CALL " + currentCall_ + " STATUS INPROGRESS");
            break;
        case msg::EV_SKYPE_SEARCH:
            Send("SEARCH FRIENDS");
            break;
        case msg::EV_SKYPE_QUERY_MORE:
            queryMorePosted_ = false;
            SendQuerySlice();
            break;
        case msg::EV_SKYPE_SEND_LATER:
            SendHeldBack();
            break;
        default:
            host_.ShowMessage(kUnknownInternalCommand);
            break;
    }
    return 1;
}

void SkypeSession::QueryContactDetails() {
    // Replies may arrive within each send and may even replace the list, so the run walks a
    // copy of the handles.
    EndQueries();
    queryHandles_.reserve(contacts_.Count());
    for (size_t i = 0; i < contacts_.Count(); ++i) {
        queryHandles_.push_back(contacts_[i].handle);
    }
    SendQuerySlice();
}

void SkypeSession::SendQuerySlice() {
    constexpr size_t kPerContact = std::size(kQueriedProperties);
    const uint64_t run = queryRun_;
    const size_t total = queryHandles_.size() * kPerContact;
    const auto start = std::chrono::steady_clock::now();
    while (nextQuery_ < total) {
        const size_t query = nextQuery_++;
        const std::string command = "GET USER " + queryHandles_[query / kPerContact] + " " +
                                    kQueriedProperties[query % kPerContact];
        if (!host_.SendCommand(command)) {
            EndQueries();
            return;
        }
        if (run != queryRun_) {
            return;  // a new friends list arrived within the send
        }
        if (std::chrono::steady_clock::now() - start >= querySlice_) {
            break;
        }
    }
    // One request in flight at a time; the one that is already queued sends the next slice.
    if (nextQuery_ < total && !queryMorePosted_) {
        queryMorePosted_ = true;
        host_.PostBehindInput(msg::RECIPIENT_SKYPE, msg::EV_SKYPE_QUERY_MORE);
    }
}

void SkypeSession::EndQueries() {
    queryHandles_.clear();
    nextQuery_ = 0;
    ++queryRun_;
}

void SkypeSession::OnAttached() {
    EndRefusedCalls();  // a link dropped by the poll thread left them
    ResetToInit();
}

void SkypeSession::Detach() {
    ResetToInit();
}

std::vector<std::string> SkypeSession::PollCommands() const {
    std::vector<std::string> commands;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (connectionStatus_.empty() || currentUserHandle_.empty() || userStatus_.empty()) {
            commands = {"GET CONNSTATUS", "GET CURRENTUSERHANDLE", "GET USERSTATUS"};
        } else if (contacts_.Empty()) {
            commands = {"SEARCH FRIENDS"};
        }
    }
    commands.push_back("PING");
    return commands;
}

CallState SkypeSession::GetState() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return state_;
}

size_t SkypeSession::ContactCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return contacts_.Count();
}

std::string SkypeSession::ConnectionStatus() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return connectionStatus_;
}

std::string SkypeSession::CurrentUserHandle() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return currentUserHandle_;
}

std::string SkypeSession::UserStatus() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return userStatus_;
}

const SkypeContact* SkypeSession::ContactAt(int32_t listIndex) const {
    return contacts_.FindByListIndex(listIndex);
}

void SkypeSession::SetState(CallState state, const std::string& endStatus) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        state_ = state;
        NoteStateChange(state, endStatus);
    }
    PostToWindow(msg::EV_SKYPE_STATE);
}

void SkypeSession::NoteStateChange(CallState state, const std::string& endStatus) {
    constexpr size_t kMostStateChanges = 64;  // a window that never takes them
    if (stateChanges_.size() >= kMostStateChanges) {
        stateChanges_.erase(stateChanges_.begin());
    }
    stateChanges_.push_back({state, endStatus});
}

void SkypeSession::ResetToInit(std::string* statusText, const std::string& value) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        state_ = CallState::INIT;
        NoteStateChange(state_, "");
        connectionStatus_.clear();
        currentUserHandle_.clear();
        userStatus_.clear();
        if (statusText != nullptr) {
            *statusText = value;
        }
    }
    PostToWindow(msg::EV_SKYPE_STATE);
}

void SkypeSession::SetStatusText(std::string& statusText, const std::string& value) {
    std::lock_guard<std::mutex> lock(mutex_);
    statusText = value;
}

void SkypeSession::Send(const std::string& command, bool heldBack) {
    const auto same =
        std::find_if(sendsUnderWay_.begin(), sendsUnderWay_.end(),
                     [&](const SendUnderWay& send) { return send.command == command; });
    if (same != sendsUnderWay_.end() && same->heldBack) {
        return;
    }
    if (same != sendsUnderWay_.end() || sendsUnderWay_.size() >= kMostNestedSends) {
        // The same command twice waiting is one too many: the one reply answers both.
        if (std::find(heldBack_.begin(), heldBack_.end(), command) == heldBack_.end()) {
            heldBack_.push_back(command);
        }
        if (!heldBackPosted_) {
            heldBackPosted_ = true;
            host_.PostBehindInput(msg::RECIPIENT_SKYPE, msg::EV_SKYPE_SEND_LATER);
        }
        return;
    }
    sendsUnderWay_.push_back({command, heldBack});
    struct UnderWay {
        std::vector<SendUnderWay>& sends;
        ~UnderWay() { sends.pop_back(); }
    } underWay{sendsUnderWay_};
    // A failed send has detached the link already; the text that caused it goes on.
    static_cast<void>(host_.SendCommand(command));
}

void SkypeSession::SendHeldBack() {
    heldBackPosted_ = false;
    std::vector<std::string> commands;
    commands.swap(heldBack_);
    for (const std::string& command : commands) {
        Send(command, true);
    }
}

void SkypeSession::PostToWindow(int code) {
    host_.PostInternal(msg::RECIPIENT_WINDOW, code);
}

}  // namespace skype
