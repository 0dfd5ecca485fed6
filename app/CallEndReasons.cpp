#include "app/CallEndReasons.h"

#include "core/Messages.h"

using calllog::EndReason;

EndReason ModemEndReason(int code) {
    switch (code) {
        case 411:   // LINECALLSTATE_BUSY
        case 4110:  // and its busy modes
        case 4111:
        case 4112:
        case 4113:
        case 4114:
        case 41502:  // LINEDISCONNECTMODE_REJECT
        case 41505:  // LINEDISCONNECTMODE_BUSY
            return EndReason::Busy;
        case 41506:  // LINEDISCONNECTMODE_NOANSWER
            return EndReason::NoAnswer;
        case 41507:  // BADADDRESS, UNREACHABLE, CONGESTION, INCOMPATIBLE,
        case 41508:  // UNAVAIL, NODIALTONE
        case 41509:
        case 41510:
        case 41511:
        case 41512:
        case msg::MODEM_EV_REQUEST_FAILED:
            return EndReason::Failed;
    }
    return EndReason::None;
}

EndReason SkypeEndReason(std::string_view status) {
    if (status == "BUSY" || status == "REFUSED") {
        return EndReason::Busy;
    }
    if (status == "MISSED") {
        return EndReason::NoAnswer;
    }
    if (status == "FAILED" || status == "FAILUREREASON") {
        return EndReason::Failed;
    }
    if (status == "CANCELLED") {
        return EndReason::Cancelled;
    }
    return EndReason::None;
}
