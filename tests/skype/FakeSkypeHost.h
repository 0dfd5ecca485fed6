// A SkypeHost that records what the session asks of the outside and can answer commands the
// way the real client may: from within the send, or by refusing it.
#pragma once

#include <chrono>
#include <cstddef>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "framework/InvalidArgumentError.h"
#include "skype/SkypeHost.h"
#include "skype/SkypeSession.h"

namespace skype::testing {

struct Post {
    unsigned recipient;
    int code;
    bool operator==(const Post& other) const {
        return recipient == other.recipient && code == other.code;
    }
};

inline std::ostream& operator<<(std::ostream& out, const Post& post) {
    return out << "(" << post.recipient << ", " << post.code << ")";
}

class FakeSkypeHost : public SkypeHost {
public:
    void Connect(SkypeSession& session) { session_ = &session; }

    // Parses a text as the window's WM_COPYDATA handler would: a missing word is reported by
    // the dispatch and ends only that text.
    void Deliver(const std::string& text) {
        try {
            session_->ParseNotification(text);
        } catch (const fw::InvalidArgumentError&) {
            ++reportedErrors;
        }
    }

    bool SendCommand(const std::string& command) override {
        ProbeFromPollThread("SendCommand");
        sent.push_back(command);
        if (sent.size() > sendsThatSucceed) {
            session_->Detach();  // what the transport does with a failed send
            return false;
        }
        const auto answer = nestedReplies.find(command);
        if (answer != nestedReplies.end()) {
            const std::vector<std::string> texts = answer->second;  // a reply may change the map
            for (const std::string& text : texts) {
                Deliver(text);
            }
        }
        return true;
    }

    void PostInternal(unsigned recipient, int code) override {
        ProbeFromPollThread("PostInternal");
        posts.push_back({recipient, code});
    }

    // Kept apart from `posts`: RunContinuations hands them back as the window would.
    void PostBehindInput(unsigned recipient, int code) override {
        ProbeFromPollThread("PostBehindInput");
        continuations.push_back({recipient, code});
    }

    // Hands each request posted behind input to the session, in order, until none is left.
    void RunContinuations() {
        while (!continuations.empty()) {
            const Post next = continuations.front();
            continuations.erase(continuations.begin());
            ++continuationsRun;
            session_->OnInternalCommand(next.code);
        }
    }

    void ShowMessage(const std::string& text) override {
        ProbeFromPollThread("ShowMessage");
        messages.push_back(text);
    }

    // Latin-1 stands in for the ANSI code page: other characters become one '?' each.
    std::string ToAnsi(const std::u16string& text) override {
        ProbeFromPollThread("ToAnsi");
        std::string result;
        for (size_t i = 0; i < text.size(); ++i) {
            const char16_t unit = text[i];
            if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size()) {
                ++i;  // the pair is one character
            }
            result.push_back(unit <= 0xFF ? static_cast<char>(unit) : '?');
        }
        return result;
    }

    void ClearRecords() {
        sent.clear();
        posts.clear();
        messages.clear();
    }

    std::vector<std::string> sent;
    std::vector<Post> posts;
    std::vector<Post> continuations;  // posted behind input, not handed back yet
    int continuationsRun = 0;
    std::vector<std::string> messages;
    int reportedErrors = 0;
    // Commands answered from within the send, with the texts the client sends back.
    std::map<std::string, std::vector<std::string>> nestedReplies;
    // Sends beyond this count are refused.
    size_t sendsThatSucceed = std::numeric_limits<size_t>::max();
    // When set, each call out lets another thread do what the poll thread does; a read that
    // cannot finish meanwhile means the session called out holding its lock.
    bool probeFromPollThread = false;
    int blockedProbes = 0;
    std::set<std::string> probedCallOuts;  // which of the calls above were probed

private:
    // Stands in for the poll thread: one thread for the fake's life, reading when asked. (A
    // thread per probe sometimes did not start within seconds under Wine on a busy machine.)
    class Prober {
    public:
        explicit Prober(SkypeSession& session) : thread_([this, &session] { Run(session); }) {}
        ~Prober() {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                stop_ = true;
            }
            changed_.notify_all();
            thread_.join();
        }
        // Has the thread read the session's shared state; false when that took 10 s.
        bool Probe() {
            std::unique_lock<std::mutex> lock(mutex_);
            const unsigned asked = ++asked_;
            changed_.notify_all();
            return changed_.wait_for(lock, std::chrono::seconds(10),
                                     [&] { return answered_ >= asked; });
        }

    private:
        void Run(SkypeSession& session) {
            std::unique_lock<std::mutex> lock(mutex_);
            for (;;) {
                changed_.wait(lock, [&] { return stop_ || answered_ < asked_; });
                if (stop_) {
                    return;
                }
                const unsigned asked = asked_;
                lock.unlock();
                session.GetState();
                session.ContactCount();
                session.PollCommands();
                lock.lock();
                answered_ = asked;
                changed_.notify_all();
            }
        }

        std::mutex mutex_;
        std::condition_variable changed_;
        unsigned asked_ = 0;
        unsigned answered_ = 0;
        bool stop_ = false;
        std::thread thread_;
    };

    void ProbeFromPollThread(const char* callOut) {
        if (!probeFromPollThread || blockedProbes > 0) {
            return;
        }
        probedCallOuts.insert(callOut);
        if (!prober_) {
            prober_ = std::make_unique<Prober>(*session_);
        }
        // If the session held its lock, the read could only finish after this call out.
        if (!prober_->Probe()) {
            ++blockedProbes;
        }
    }

    SkypeSession* session_ = nullptr;
    std::unique_ptr<Prober> prober_;  // goes first: its thread reads the session
};

}  // namespace skype::testing
