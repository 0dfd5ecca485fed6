// The line-message dispatch: the message table, the call-state table and their follow-ups.
#include "modem/LineMessageDispatch.h"

#include "core/Messages.h"
#include "modem/ModemEventTables.h"
#include "modem/TapiConstants.h"

namespace {

// The line opens with callback instance 1, so every call on it carries that value.
constexpr uintptr_t kOurCallbackInstance = 1;

void PostIfAny(LineEventSink& sink, int code) {
    if (code != 0) {
        sink.PostCode(code);
    }
}

void DispatchCallInfo(const LineMessage& message, LineEventSink& sink) {
    sink.PostCode(kLineMessageCodes.CodeFor(message.messageId));
    // Only a change of the caller ID alone triggers the fetch, and only once per call.
    if (message.param1 == tapi::LINECALLINFOSTATE_CALLERID && !sink.HasCallerId()) {
        sink.FetchCallerId();
        sink.PostCode(msg::MODEM_EV_CALLERID);
    }
}

void DispatchCallState(const LineMessage& message, LineEventSink& sink) {
    sink.PostCode(kLineMessageCodes.CodeFor(message.messageId));
    const uintptr_t state = message.param1;
    const uintptr_t mode = message.param2;
    const int stateCode = kCallStateCodes.CodeFor(state);
    switch (state) {
        case tapi::LINECALLSTATE_IDLE:
            sink.PostCode(stateCode);
            sink.PostCode(msg::MODEM_EV_CALL_ENDED);
            break;
        case tapi::LINECALLSTATE_BUSY:
            sink.PostCode(stateCode);
            sink.PostCode(kBusyModeCodes.CodeFor(mode));
            break;
        case tapi::LINECALLSTATE_DIALTONE:
            sink.PostCode(stateCode);
            sink.PostCode(kDialToneModeCodes.CodeFor(mode));
            break;
        case tapi::LINECALLSTATE_OFFERING:
            sink.SetCurrentCall(message.device);
            sink.PostCode(stateCode);
            PostIfAny(sink, kOfferingModeCodes.CodeFor(mode));
            sink.PostCode(msg::MODEM_EV_OFFERING);
            break;
        case tapi::LINECALLSTATE_CONNECTED:
            if (message.callbackInstance == kOurCallbackInstance) {
                sink.PostCode(stateCode);
            }
            sink.PostCode(kConnectedModeCodes.CodeFor(mode));
            sink.PostCode(msg::MODEM_EV_CONNECTED);
            break;
        case tapi::LINECALLSTATE_DISCONNECTED:
            sink.PostCode(stateCode);
            sink.ClearCallerId();
            sink.PostCode(kDisconnectModeCodes.CodeFor(mode));
            sink.PostCode(msg::MODEM_EV_CALL_ENDED);
            break;
        default:
            sink.PostCode(stateCode);
            break;
    }
}

void DispatchReply(const LineMessage& message, LineEventSink& sink) {
    sink.PostCode(kLineMessageCodes.CodeFor(message.messageId));
    // TAPI returns a LONG in a DWORD_PTR: only its low 32 bits carry the result.
    const auto result = static_cast<int32_t>(static_cast<uint32_t>(message.param2));
    if (result != 0) {
        sink.KeepFailedReply(static_cast<uint32_t>(message.param1), result);
        sink.PostCode(msg::MODEM_EV_REQUEST_FAILED);
    }
}

bool LosesTheLine(const LineMessage& message, LineEventSink& sink) {
    switch (message.messageId) {
        case tapi::LINE_CLOSE:
            return true;
        case tapi::LINE_REMOVE:
            return sink.IsOpenLineDevice(static_cast<uint32_t>(message.param1));
        case tapi::LINE_LINEDEVSTATE:
            return (message.param1 & tapi::LINEDEVSTATE_REINIT) != 0;
    }
    return false;
}

}  // namespace

void DispatchLineMessage(const LineMessage& message, LineEventSink& sink) {
    switch (message.messageId) {
        case tapi::LINE_CALLINFO:
            DispatchCallInfo(message, sink);
            break;
        case tapi::LINE_CALLSTATE:
            DispatchCallState(message, sink);
            break;
        case tapi::LINE_REPLY:
            DispatchReply(message, sink);
            break;
        default:
            sink.PostCode(kLineMessageCodes.CodeFor(message.messageId));
            if (LosesTheLine(message, sink)) {
                sink.PostCode(msg::MODEM_EV_LINE_LOST);
            }
            break;
    }
}
