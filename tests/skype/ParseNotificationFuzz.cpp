// libFuzzer target for SkypeSession::ParseNotification. The input is a mode byte and then the
// client's texts, one a line; depending on the mode, the session's sends are answered from
// within the send by the following texts, or some sends fail and detach. Besides memory and
// undefined-behaviour faults it checks the invariants the window relies on.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

#include "core/Messages.h"
#include "framework/InvalidArgumentError.h"
#include "skype/SkypeHost.h"
#include "skype/SkypeSession.h"
#include "skype/Utf8Names.h"

namespace {

using skype::SkypeSession;

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

enum Mode : uint8_t {
    MODE_FAILING_SENDS = 1,   // every seventh send is refused
    MODE_NESTED_REPLIES = 2,  // a send is answered, from within, by the next text
    MODE_USER_REQUESTS = 4,   // the window asks for sync, hang-up, answer and search in turn
};

class FuzzHost : public skype::SkypeHost {
public:
    FuzzHost(uint8_t mode, std::deque<std::string>& texts) : mode_(mode), texts_(texts) {}

    void Connect(SkypeSession& session) { session_ = &session; }

    // As the window's WM_COPYDATA handler with the framework's dispatch around it.
    void Deliver(const std::string& text) {
        try {
            session_->ParseNotification(text);
        } catch (const fw::InvalidArgumentError&) {
            // A text lacking a word is abandoned; that is the expected outcome, not a fault.
        }
    }

    bool SendCommand(const std::string& command) override {
        Check(!command.empty(), "an empty command was sent");
        ++sends_;
        if ((mode_ & MODE_FAILING_SENDS) && sends_ % 7 == 3) {
            session_->Detach();
            return false;
        }
        if ((mode_ & MODE_NESTED_REPLIES) && depth_ < 8 && !texts_.empty()) {
            std::string reply = std::move(texts_.front());
            texts_.pop_front();
            ++depth_;
            Deliver(reply);
            --depth_;
        }
        return true;
    }

    void PostInternal(unsigned recipient, int code) override {
        if (recipient == msg::RECIPIENT_SKYPE) {
            Check(code == msg::EV_SKYPE_QUERY_USERS, "unexpected request to the session");
            requests.push_back(code);
            return;
        }
        Check(recipient == msg::RECIPIENT_WINDOW, "post to an unknown recipient");
        Check(code == msg::EV_SKYPE_CONTACTS || code == msg::EV_SKYPE_PARTNER ||
                  code == msg::EV_SYNC_CARRIER || code == msg::EV_SKYPE_STATE ||
                  code == msg::EV_SKYPE_REFUSED,
              "unexpected event for the window");
    }

    // At most one request for the next slice of queries, and one for the sends held back
    // from a nest, is in flight.
    void PostBehindInput(unsigned recipient, int code) override {
        Check(recipient == msg::RECIPIENT_SKYPE &&
                  (code == msg::EV_SKYPE_QUERY_MORE || code == msg::EV_SKYPE_SEND_LATER),
              "unexpected request behind input");
        Check(std::count(requests.begin(), requests.end(), code) == 0,
              "two requests of a kind in flight");
        requests.push_back(code);
    }

    void ShowMessage(const std::string&) override {
        Check(false, "message box for a known request");
    }

    std::string ToAnsi(const std::u16string& text) override {
        Check(text.size() <= skype::kMaxNameUnits, "decoded name too long");
        std::string result;
        for (char16_t unit : text) {
            result.push_back(unit <= 0xFF ? static_cast<char>(unit) : '?');
        }
        return result;
    }

    std::deque<int> requests;

private:
    uint8_t mode_;
    std::deque<std::string>& texts_;
    SkypeSession* session_ = nullptr;
    int depth_ = 0;
    unsigned sends_ = 0;
};

void CheckInvariants(const SkypeSession& session) {
    const CallState state = session.GetState();
    Check(state == CallState::INIT || state == CallState::NORMAL || state == CallState::DIALING ||
              state == CallState::RINGING || state == CallState::ANSWERING,
          "state outside the five");
    const size_t count = session.ContactCount();
    for (size_t i = 0; i < count; ++i) {
        const skype::SkypeContact* contact = session.ContactAt(static_cast<int32_t>(i));
        Check(contact != nullptr && contact->listIndex == static_cast<int32_t>(i),
              "list indices are not 0..n-1");
        Check(contact->fullName.size() <= skype::kMaxNameUnits, "full name too long");
        Check(contact->displayName.size() <= skype::kMaxNameUnits, "display name too long");
    }
    Check(session.ContactAt(static_cast<int32_t>(count)) == nullptr, "contact past the end");
    const std::vector<std::string> poll = session.PollCommands();
    Check(!poll.empty() && poll.back() == "PING", "a poll pass must end with PING");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const uint8_t mode = data[0];
    std::deque<std::string> texts;
    std::string current;
    for (size_t i = 1; i < size; ++i) {
        if (data[i] == '\n') {
            texts.push_back(std::move(current));
            current.clear();
        } else {
            current.push_back(static_cast<char>(data[i]));
        }
    }
    texts.push_back(std::move(current));

    FuzzHost host(mode, texts);
    // One query per slice: every run of them goes through the requests for more.
    SkypeSession session(host, std::chrono::milliseconds(0));
    host.Connect(session);
    const int userRequests[] = {msg::EV_SKYPE_SYNC, msg::EV_SKYPE_HANGUP, msg::EV_SKYPE_ANSWER,
                                msg::EV_SKYPE_SEARCH};
    size_t nextUserRequest = 0;
    while (!texts.empty()) {
        std::string text = std::move(texts.front());
        texts.pop_front();
        host.Deliver(text);
        // What the session posted to itself comes back through the window, in order.
        while (!host.requests.empty()) {
            const int code = host.requests.front();
            host.requests.pop_front();
            Check(session.OnInternalCommand(code) == 1, "internal command result");
        }
        if (mode & MODE_USER_REQUESTS) {
            session.OnInternalCommand(userRequests[nextUserRequest++ % 4]);
        }
        CheckInvariants(session);
    }
    return 0;
}
