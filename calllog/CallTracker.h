// Turns what the two carriers report into finished calls for the log: each carrier's own call
// states (whether the window follows that carrier or not), the party the phone shows, what the
// person did, and why a carrier ended a call it placed.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "calllog/CallRecord.h"
#include "core/CallState.h"

namespace calllog {

// When something happened: the wall clock for the log, a steady count for talk time.
struct Moment {
    LocalTime wall;
    uint64_t steadyMs = 0;
};

// Why a carrier ended an outgoing call that never connected, as far as it tells.
enum class EndReason { None, Busy, NoAnswer, Failed, Cancelled };

class CallTracker {
public:
    using Sink = std::function<void(const CallRecord&)>;

    explicit CallTracker(Sink finished);

    // A carrier's call state as it stands now; repeats change nothing. DIALING or RINGING
    // from no call starts one, ANSWERING connects it, NORMAL or INIT ends it.
    void OnState(Carrier carrier, CallState state, const Moment& now);
    // The number and name the phone shows for the carrier's call (ignored without one).
    void OnParty(Carrier carrier, const std::string& number, const std::string& name);
    // The person ended the carrier's call (the call-end key, the phone key, the notice).
    void OnUserEnded(Carrier carrier);
    // The carrier's reason for ending the call it was placing.
    void OnEndReason(Carrier carrier, EndReason reason);
    // A call that rang in and was refused at once, because another call was up.
    void OnRefused(Carrier carrier, const std::string& number, const std::string& name,
                   const Moment& now);
    // The program ends: every call still open is logged as it stands.
    void EndAll(const Moment& now);

    bool HasCall(Carrier carrier) const;

private:
    struct OpenCall {
        CallRecord record;
        std::optional<uint64_t> connectedMs;
        bool endedByUser = false;
        EndReason reason = EndReason::None;
    };

    std::optional<OpenCall>& Slot(Carrier carrier);
    void Finish(std::optional<OpenCall>& slot, const Moment& now);

    Sink finished_;
    std::optional<OpenCall> modem_;
    std::optional<OpenCall> skype_;
};

}  // namespace calllog
