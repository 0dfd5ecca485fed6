// The meaning layer of the Skype link: what the client's texts say about the call, the
// account and the friends list, and the commands that follow from them and from the main
// window's requests. The Win32 SkypeApi owns one session and carries its texts; the session
// reaches the outside only through SkypeHost.
//
// How SkypeApi drives it:
//   attach message          ClassifyAttachStatus(lParam): Attached -> store the client window,
//                           then OnAttached(); Detached -> Detach(); Ignored -> nothing.
//   failed send, foreign    forget the client window, then Detach().
//     WM_COPYDATA
//   WM_COPYDATA from the    ParseNotification(text); it may raise fw::InvalidArgumentError,
//     attached client       which the window dispatch reports (what was applied stays).
//   UM_INTERNAL (2, code)   OnInternalCommand(code).
//   poll pass               no client window: discover; else send PollCommands() in order
//                           (after a failed one the rest fail and detach as well).
//   GetPartnerHandle        while PartnerHandle() is "", wait 100 ms letting messages in, at
//                           most five times; then PartnerHandle().
//   GetState, ContactCount, ContactAt: the session's own.
//
// Threads: ParseNotification, OnInternalCommand, QueryContactDetails, OnAttached, ContactAt,
// CurrentCall and PartnerHandle belong to the main window's thread. GetState, ContactCount,
// PollCommands, the status texts and Detach may also be called from the poll thread; the
// session serialises those. The poll thread must be ended before the session is destroyed.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "core/CallState.h"
#include "skype/SkypeContactList.h"
#include "skype/SkypeHost.h"

namespace skype {

class Words;

// The lParam of the client's attach message.
enum AttachStatus : uint32_t {
    ATTACH_SUCCESS = 0,
    ATTACH_PENDING_AUTHORIZATION = 1,
    ATTACH_REFUSED = 2,
    ATTACH_NOT_AVAILABLE = 3,
    ATTACH_API_AVAILABLE = 0x8001,
};

enum class AttachOutcome { Attached, Detached, Ignored };

struct CallStateChange {
    CallState state;
    std::string endStatus;  // what ended the call ("FINISHED", "BUSY", ...) at NORMAL, else ""
    bool operator==(const CallStateChange& other) const {
        return state == other.state && endStatus == other.endStatus;
    }
};

struct RefusedCall {
    std::string partner;  // "" when the client never named it
    std::chrono::system_clock::time_point at;
};

AttachOutcome ClassifyAttachStatus(uint32_t status);

class SkypeSession {
public:
    // The longest one slice of the detail queries may keep the main window's thread busy.
    static constexpr std::chrono::milliseconds kQuerySlice{15};
    // Sends of the session's own under way inside each other (a text that arrived within a
    // send makes the next) beyond which a command waits for a posted request instead.
    static constexpr size_t kMostNestedSends = 4;

    // `querySlice` 0 sends one query per slice.
    explicit SkypeSession(SkypeHost& host, std::chrono::milliseconds querySlice = kQuerySlice);
    SkypeSession(const SkypeSession&) = delete;
    SkypeSession& operator=(const SkypeSession&) = delete;

    // Applies one text from the client. Raises fw::InvalidArgumentError for a text that
    // begins with a space or lacks a word its form needs; what came before stays applied.
    // May be re-entered from within a SkypeHost::SendCommand it made.
    void ParseNotification(const std::string& text);

    // A request from the main window (the lParam of UM_INTERNAL with wParam 2); returns 1.
    int OnInternalCommand(int code);

    // Asks the client for seven properties of every listed contact, in list order, a slice at
    // a time: each slice that leaves queries over posts (2, EV_SKYPE_QUERY_MORE) behind the
    // waiting input, and that request sends the next. A new friends list ends the run (its own
    // run follows), and so does the first failed send: the link is gone and every later query
    // would fail as well.
    void QueryContactDetails();

    // The client accepted us: state INIT, (1, EV_SKYPE_STATE) posted, status texts emptied,
    // so the next poll pass asks for them.
    void OnAttached();

    // The link is lost: state INIT, (1, EV_SKYPE_STATE) posted, status texts emptied.
    void Detach();

    // The commands one poll pass sends while a client is attached, in order.
    std::vector<std::string> PollCommands() const;

    CallState GetState() const;
    size_t ContactCount() const;
    std::string ConnectionStatus() const;
    std::string CurrentUserHandle() const;
    std::string UserStatus() const;

    // The contact with this list index, or null. Valid until the next friends list, which may
    // arrive within any send the session makes.
    const SkypeContact* ContactAt(int32_t listIndex) const;
    std::string CurrentCall() const { return currentCall_; }
    std::string PartnerHandle() const { return partnerHandle_; }
    // The call state's changes since the last take, in the order the client's texts made them:
    // a burst of texts within one send is handled before the window sees the state, which by
    // then shows only the last of them. Each is taken once.
    std::vector<CallStateChange> TakeCallStateChanges();
    // The calls refused because another was up, each taken once: with the partner as soon as
    // the client names it, without one once the call that was up has ended unnamed.
    std::vector<RefusedCall> TakeRefusedCalls();

private:
    void OnUsers(const Words& words);
    void OnUser(const Words& words, const std::string& text);
    void OnCall(const Words& words);
    // A call is up and the text names a different one.
    bool IsAnotherCall(const std::string& callId) const;
    struct RefusedAsk {
        std::string callId;
        std::chrono::system_clock::time_point at;
        bool named = false;
    };
    RefusedAsk* FindRefused(const std::string& callId);
    void NoteRefused(const std::string& callId);
    void ReportRefused(const std::string& partner, std::chrono::system_clock::time_point at);
    // The refused calls still unnamed are reported as they are; the list starts afresh.
    void EndRefusedCalls();
    void OnCallStatus(const std::string& callId, const std::string& status);
    void OnConnectionStatus(const std::string& value);
    void OnUserStatus(const std::string& value);

    void SendQuerySlice();
    void EndQueries();

    void SetState(CallState state, const std::string& endStatus = {});
    void NoteStateChange(CallState state, const std::string& endStatus);  // under mutex_
    // State INIT and the status texts emptied; then, if given, `statusText` := `value`.
    void ResetToInit(std::string* statusText = nullptr, const std::string& value = {});
    void SetStatusText(std::string& statusText, const std::string& value);
    // A command made while a text that arrived within the same command's send is handled, or
    // nested too deep, goes out later from a request posted behind input: a client answering
    // every "SEARCH FRIENDS" with "CONNSTATUS ONLINE" from within the send would otherwise make
    // the sends nest until the stack runs out. Asked for again from within that later send,
    // the command is dropped: the send under way is the answer, and holding it back once more
    // would loop for as long as the client plays.
    void Send(const std::string& command, bool heldBack = false);
    void SendHeldBack();
    void PostToWindow(int code);

    SkypeHost& host_;

    // Shared with the poll thread: the state, the status texts and the list's size.
    mutable std::mutex mutex_;
    CallState state_ = CallState::INIT;
    std::vector<CallStateChange> stateChanges_;  // bounded: the oldest go
    SkypeContactList contacts_;  // resized only under mutex_, read freely on the GUI thread
    std::string connectionStatus_;
    std::string currentUserHandle_;
    std::string userStatus_;

    // The main window's thread only.
    std::string currentCall_;
    std::string partnerHandle_;
    // Refused while the current call is up, and those not yet taken by the window.
    std::vector<RefusedAsk> refusedCalls_;
    std::vector<RefusedCall> refusedTaken_;

    // The run of detail queries under way: the handles it asks about, the next query (handle
    // and property in one count), and which run it is, so a send that ended it is noticed.
    const std::chrono::milliseconds querySlice_;
    std::vector<std::string> queryHandles_;
    size_t nextQuery_ = 0;
    uint64_t queryRun_ = 0;
    bool queryMorePosted_ = false;

    // The session's own sends under way, the outermost first, and the commands held back.
    struct SendUnderWay {
        std::string command;
        bool heldBack;
    };
    std::vector<SendUnderWay> sendsUnderWay_;
    std::vector<std::string> heldBack_;
    bool heldBackPosted_ = false;
};

}  // namespace skype
