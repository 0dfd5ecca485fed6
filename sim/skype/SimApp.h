// The simulated Skype client process: its API window (discover, attach, command texts), its
// control window, the account and call session behind them, the outgoing texts and the record.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/skype/AttachPolicy.h"
#include "sim/skype/SimAccount.h"
#include "sim/skype/SimRecord.h"
#include "sim/skype/SimSession.h"
#include "sim/skype/SimWindow.h"

namespace skypesim {

// Private messages of the simulator's own windows.
constexpr UINT UM_FLUSH = WM_APP + 1;  // API window: send the queued texts and attach statuses

enum class ReplyMode { Nested, Deferred };

class SimApp;

class ApiWindow : public SimWindow {
public:
    explicit ApiWindow(SimApp& app) : app_(app) {}

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    SimApp& app_;
};

class ControlWindow : public SimWindow {
public:
    explicit ControlWindow(SimApp& app) : app_(app) {}

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnRequest(HWND replyTo, const COPYDATASTRUCT& data);
    SimApp& app_;
};

class SimApp : private SimHost, private AttachHost {
public:
    explicit SimApp(std::string name);
    ~SimApp() override;

    // Creates both windows; false when that fails.
    bool Create();
    // Makes the control window findable by its title: the simulator is ready.
    void OpenControlChannel();
    const std::string& Name() const { return name_; }
    HWND ApiHwnd() const { return api_.Hwnd(); }
    UINT DiscoverMessage() const { return discoverMessage_; }

    // Handlers reached from the windows.
    void OnDiscover(HWND client);
    LRESULT OnClientText(HWND sender, const COPYDATASTRUCT& data);
    void OnFlush();
    void OnTimer(UINT_PTR id);
    void OnClose();

    // What the control commands work on.
    SimAccount& Account() { return account_; }
    SimSession& Session() { return session_; }
    AttachPolicy& Attach() { return attach_; }
    ReplyMode GetReplyMode() const { return replyMode_; }
    void SetReplyMode(ReplyMode mode) { replyMode_ = mode; }
    bool RefusesTexts() const { return refuseTexts_; }
    void SetRefuseTexts(bool refuse) { refuseTexts_ = refuse; }
    // Texts sent to the sender from inside the handling of one exact command, before its reply.
    void AnswerInside(const std::string& command, const std::string& text) {
        answersInside_.emplace(command, text);
    }
    void ClearAnswersInside() { answersInside_.clear(); }
    // The deepest program commands have been handled inside each other.
    int DeepestNesting() const { return deepestNesting_; }
    // The next program text is held this long, then refused: a client on its way out.
    void HoldNextText(unsigned ms) { holdNextMs_ = ms; }
    const std::vector<RecordEntry>& Record() const { return record_; }
    void ClearRecord() { record_.clear(); }
    // Texts and attach messages queued to go out once the current message is handled.
    size_t PendingSends() const { return queue_.size(); }
    // A text of the client's own, to every attached program.
    void SendToAll(const std::string& text) { Notify(text); }
    void LogOut();
    void LogIn();
    // Hang and crash happen once the control request that asked for them has its reply.
    void RequestHang(unsigned ms) { afterReply_ = {AfterReply::Hang, ms}; }
    void RequestCrash() { afterReply_ = {AfterReply::Crash, 0}; }
    void RequestQuit();
    // Carries out what the last control request left for after its reply.
    void RunAfterReply();

private:
    enum class AfterReply { Nothing, Hang, Crash };
    struct PendingAction {
        AfterReply what;
        unsigned ms;
    };

    // Stops pumping messages, really: the thread sleeps.
    void Hang(unsigned ms);

    struct Outgoing {
        HWND client;
        bool attach;
        unsigned status;
        std::string text;
    };

    // SimHost
    void Reply(const std::string& text) override;
    void Notify(const std::string& text) override;
    void After(unsigned ms, std::function<void()> action) override;
    // AttachHost
    void SendAttach(ClientId client, unsigned status) override;

    void Send(Outgoing item);
    void Deliver(const Outgoing& item);
    uint64_t Now() const;
    void AddRecord(RecordEntry entry);

    std::string name_;
    ULONGLONG startTick_;
    UINT discoverMessage_;
    UINT attachMessage_;
    ApiWindow api_{*this};
    ControlWindow control_{*this};
    SimAccount account_;
    SimSession session_{account_, *this};
    AttachPolicy attach_{*this};
    ReplyMode replyMode_ = ReplyMode::Nested;
    bool refuseTexts_ = false;
    std::vector<RecordEntry> record_;
    std::deque<Outgoing> queue_;
    bool flushPosted_ = false;
    int commandDepth_ = 0;  // > 0 while a program's command is being handled
    int deepestNesting_ = 0;
    std::multimap<std::string, std::string> answersInside_;
    unsigned holdNextMs_ = 0;
    HWND currentSender_ = nullptr;
    std::map<UINT_PTR, std::function<void()>> timers_;
    UINT_PTR nextTimerId_ = 1;
    PendingAction afterReply_{AfterReply::Nothing, 0};
};

}  // namespace skypesim
