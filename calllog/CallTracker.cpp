#include "calllog/CallTracker.h"

#include <utility>

namespace calllog {

namespace {

Outcome IncomingOutcome(bool connected, bool endedByUser) {
    if (connected) {
        return Outcome::Answered;
    }
    return endedByUser ? Outcome::Declined : Outcome::Missed;
}

Outcome OutgoingOutcome(bool connected, bool endedByUser, EndReason reason) {
    if (connected) {
        return Outcome::Answered;
    }
    if (endedByUser) {
        return Outcome::Cancelled;
    }
    switch (reason) {
        case EndReason::Busy:
            return Outcome::Busy;
        case EndReason::Failed:
            return Outcome::Failed;
        case EndReason::Cancelled:  // in the client's own window
            return Outcome::Cancelled;
        case EndReason::NoAnswer:
        case EndReason::None:
            break;
    }
    return Outcome::NoAnswer;
}

}  // namespace

CallTracker::CallTracker(Sink finished) : finished_(std::move(finished)) {}

std::optional<CallTracker::OpenCall>& CallTracker::Slot(Carrier carrier) {
    return carrier == Carrier::Skype ? skype_ : modem_;
}

bool CallTracker::HasCall(Carrier carrier) const {
    return carrier == Carrier::Skype ? skype_.has_value() : modem_.has_value();
}

void CallTracker::OnState(Carrier carrier, CallState state, const Moment& now) {
    if (carrier != Carrier::Modem && carrier != Carrier::Skype) {
        return;
    }
    std::optional<OpenCall>& slot = Slot(carrier);
    if (!IsCallUp(state)) {
        // A carrier lost in the middle of placing a call could not place it.
        if (slot && state == CallState::INIT && slot->reason == EndReason::None) {
            slot->reason = EndReason::Failed;
        }
        Finish(slot, now);
        return;
    }
    if (!slot) {
        OpenCall call;
        call.record.start = now.wall;
        call.record.carrier = carrier;
        // A call first seen connected was placed here: a call that rings in is seen ringing.
        call.record.direction = state == CallState::RINGING ? Direction::In : Direction::Out;
        slot = std::move(call);
    }
    if (state == CallState::ANSWERING && !slot->connectedMs) {
        slot->connectedMs = now.steadyMs;
    }
}

void CallTracker::OnParty(Carrier carrier, const std::string& number, const std::string& name) {
    if (std::optional<OpenCall>& slot = Slot(carrier)) {
        slot->record.number = number;
        slot->record.name = name;
    }
}

void CallTracker::OnUserEnded(Carrier carrier) {
    if (std::optional<OpenCall>& slot = Slot(carrier)) {
        slot->endedByUser = true;
    }
}

void CallTracker::OnEndReason(Carrier carrier, EndReason reason) {
    if (std::optional<OpenCall>& slot = Slot(carrier)) {
        slot->reason = reason;
    }
}

void CallTracker::OnRefused(Carrier carrier, const std::string& number, const std::string& name,
                            const Moment& now) {
    CallRecord record;
    record.start = now.wall;
    record.carrier = carrier;
    record.direction = Direction::In;
    record.outcome = Outcome::Missed;
    record.number = number;
    record.name = name;
    finished_(record);
}

void CallTracker::EndAll(const Moment& now) {
    Finish(modem_, now);
    Finish(skype_, now);
}

void CallTracker::Finish(std::optional<OpenCall>& slot, const Moment& now) {
    if (!slot) {
        return;
    }
    OpenCall call = std::move(*slot);
    slot.reset();
    const bool connected = call.connectedMs.has_value();
    call.record.outcome = call.record.direction == Direction::In
                              ? IncomingOutcome(connected, call.endedByUser)
                              : OutgoingOutcome(connected, call.endedByUser, call.reason);
    if (connected && now.steadyMs > *call.connectedMs) {
        // To the nearest second: a call of 1.6 s is "2".
        call.record.seconds =
            static_cast<uint32_t>((now.steadyMs - *call.connectedMs + 500) / 1000);
    }
    finished_(call.record);
}

}  // namespace calllog
