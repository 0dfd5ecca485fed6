// The client's side of the Skype API text protocol: answers the command texts of an attached
// program and turns scripted account events (calls, status changes) into notifications.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>

#include "sim/skype/SimAccount.h"

namespace skypesim {

// Where the session's texts go; the window layer decides whether a reply travels nested in
// the command's own handling or afterwards.
class SimHost {
public:
    virtual ~SimHost() = default;
    // To the program whose command is being handled.
    virtual void Reply(const std::string& text) = 0;
    // To every attached program.
    virtual void Notify(const std::string& text) = 0;
    // Runs `action` on the simulator's thread after `ms` milliseconds.
    virtual void After(unsigned ms, std::function<void()> action) = 0;
};

// A control request the session cannot carry out (unknown call, bad status, ...).
class ScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct SimCall {
    uint64_t id = 0;
    std::string partner;
    bool incoming = false;
    std::string status;
    std::string failureReason = "0";
};

bool IsActiveCallStatus(const std::string& status);

// What the far end does with an outgoing call once it rings: nothing (it keeps ringing until a
// control command decides), or answer / end with a status after a delay.
struct OutgoingPlan {
    std::string outcome;  // "" rings on, "INPROGRESS" answers, else the end status
    unsigned delayMs = 0;
};

class SimSession {
public:
    SimSession(SimAccount& account, SimHost& host) : account_(account), host_(host) {}

    // One command text from an attached program.
    void OnCommand(const std::string& text);

    // Scripted events; each throws ScriptError when it does not apply.
    uint64_t CallIn(const std::string& handle);
    void FarEndAnswer(std::optional<uint64_t> id);
    void FarEndHangUp(std::optional<uint64_t> id);
    void EndCall(std::optional<uint64_t> id, const std::string& status);
    void SetConnStatus(const std::string& status);
    void SetUserStatus(const std::string& status);
    void GoOffline();
    void GoOnline();
    void LogOut();
    void SetUserProperty(const std::string& handle, const std::string& property,
                         const std::string& value);

    void SetOutgoingPlan(const OutgoingPlan& plan) { plan_ = plan; }
    void SetNextCallId(uint64_t id) { nextCallId_ = id; }

    const std::map<uint64_t, SimCall>& Calls() const { return calls_; }
    // The newest call that has not ended, if any.
    const SimCall* LatestActiveCall() const;

private:
    void HandleGet(const std::vector<std::string>& words);
    void HandleSet(const std::vector<std::string>& words);
    void HandleCall(const std::vector<std::string>& words);
    void HandleSetCallStatus(SimCall& call, const std::string& status);
    void Error(int code);
    SimCall* FindCall(const std::string& idWord, int invalidCode, int unknownCode);
    SimCall& CallForScript(std::optional<uint64_t> id);
    void ChangeStatus(SimCall& call, const std::string& status);
    void ApplyPlan(uint64_t id);
    void FailActiveCalls();

    SimAccount& account_;
    SimHost& host_;
    std::map<uint64_t, SimCall> calls_;
    uint64_t nextCallId_ = 1001;
    OutgoingPlan plan_;
};

}  // namespace skypesim
