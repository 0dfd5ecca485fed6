// The calls on the simulated modem's lines: placing one, answering and dropping it, its
// states as the application hears them, its call information, and freeing its handle.
#include "sim/modem/ModemEngine.h"

#include "sim/modem/TapiNames.h"
#include "sim/modem/VariablePart.h"

namespace simmodem {
namespace {

constexpr DWORD kMaxRecordedParams = 65536;
constexpr DWORD kSupportedCallStates =
    LINECALLSTATE_IDLE | LINECALLSTATE_OFFERING | LINECALLSTATE_ACCEPTED | LINECALLSTATE_DIALTONE |
    LINECALLSTATE_DIALING | LINECALLSTATE_PROCEEDING | LINECALLSTATE_CONNECTED |
    LINECALLSTATE_DISCONNECTED | LINECALLSTATE_UNKNOWN;

}  // namespace

void ModemEngine::SetCallState(Call& call, DWORD state, DWORD mode, DWORD privilege) {
    call.state = state;
    call.mode = mode;
    if (Line* line = FindLine(call.line)) {
        PostTo(*line, call.handle, LINE_CALLSTATE, state, mode, privilege);
    }
}

// LINE_LINEDEVSTATE goes out only for the states the application asked for.
void ModemEngine::PostLineDevState(const Line& line, DWORD state, DWORD_PTR param2,
                                   DWORD_PTR param3) {
    if (line.lineStates & state) {
        PostTo(line, line.handle, LINE_LINEDEVSTATE, state, param2, param3);
    }
}

void ModemEngine::DeliverCallerId(Call& call, const std::string& number, const std::string& name) {
    call.callerIdKnown = true;
    call.callerId = number;
    call.callerName = name;
    if (Line* line = FindLine(call.line)) {
        PostTo(*line, call.handle, LINE_CALLINFO, LINECALLINFOSTATE_CALLERID, 0, 0);
    }
}

LONG ModemEngine::LineMakeCall(HLINE line, LPHCALL call, LPCSTR address, DWORD countryCode,
                               const LINECALLPARAMS* params) {
    Fields fields = {
        {"line", Hex(line)}, {"number", Text(address)}, {"country", std::to_string(countryCode)}};
    if (params) {
        const DWORD recorded =
            params->dwTotalSize < kMaxRecordedParams ? params->dwTotalSize : kMaxRecordedParams;
        fields.emplace_back("paramsSize", std::to_string(params->dwTotalSize));
        fields.emplace_back("params", HexBytes(params, recorded));
    }
    auto body = [&](Fields& fields, const Failure* inReply) -> LONG {
        Line* open = FindLine(line);
        if (!open) {
            return LINEERR_INVALLINEHANDLE;
        }
        if (!call) {
            return LINEERR_INVALPOINTER;
        }
        const DWORD fixed = LineCallParamsFixedSize(open->version);
        auto outside = [&](DWORD offset, DWORD size) {
            return size != 0 && (offset < fixed || offset > params->dwTotalSize ||
                                 size > params->dwTotalSize - offset);
        };
        if (params && params->dwTotalSize < fixed) {
            return LINEERR_STRUCTURETOOSMALL;
        }
        if (params &&
            (outside(params->dwDisplayableAddressOffset, params->dwDisplayableAddressSize) ||
             outside(params->dwOrigAddressOffset, params->dwOrigAddressSize) ||
             outside(params->dwCalledPartyOffset, params->dwCalledPartySize) ||
             outside(params->dwCommentOffset, params->dwCommentSize))) {
            return LINEERR_INVALCALLPARAMS;
        }
        if (params && params->dwBearerMode != 0 &&
            !(params->dwBearerMode & (LINEBEARERMODE_VOICE | LINEBEARERMODE_PASSTHROUGH))) {
            return LINEERR_INVALBEARERMODE;
        }
        if (params && params->dwMediaMode != 0 &&
            (params->dwMediaMode & ~settings_.lines[open->device].mediaModes)) {
            return LINEERR_INVALMEDIAMODE;
        }
        for (const auto& entry : calls_) {
            if (entry.second.device == open->device && entry.second.state != LINECALLSTATE_IDLE) {
                return LINEERR_CALLUNAVAIL;  // one call at a time on a modem line
            }
        }
        const LONG request = NextRequestId();
        if (inReply) {
            PostReply(*open, request, inReply);
            return request;
        }
        Call placed;
        placed.handle = NextHandle(kCallBase);
        placed.line = line;
        placed.device = open->device;
        placed.incoming = false;
        placed.callId = nextCallId_++;
        placed.dialled = address ? address : "";
        if (params && params->dwMediaMode != 0) {
            placed.mediaMode = params->dwMediaMode;
        }
        Call& made = calls_[placed.handle] = placed;
        // Written at once rather than at the reply: the program may keep it right away.
        *call = made.handle;
        fields.emplace_back("call", Hex(made.handle));
        PostReply(*open, request, nullptr);
        SetCallState(made, LINECALLSTATE_DIALTONE, LINEDIALTONEMODE_NORMAL);
        if (!made.dialled.empty()) {
            SetCallState(made, LINECALLSTATE_DIALING, 0);
            SetCallState(made, LINECALLSTATE_PROCEEDING, 0);
            if (settings_.connectAfterDialling) {
                SetCallState(made, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
            }
        }
        return request;
    };
    return RecordedRequest(Function::lineMakeCallA, std::move(fields), body);
}

LONG ModemEngine::RequestCallState(Function function, HCALL handle, LPCSTR userUserInfo, DWORD size,
                                   bool (*allowedFrom)(DWORD state), LONG refusal, DWORD state,
                                   DWORD mode) {
    Fields fields = {{"call", Hex(handle)},
                     {"userUserInfo", userUserInfo ? std::to_string(size) : "none"}};
    auto body = [&](Fields&, const Failure* inReply) -> LONG {
        Call* call = FindCall(handle);
        Line* open = call ? FindLine(call->line) : nullptr;
        if (!call || !open) {
            return LINEERR_INVALCALLHANDLE;
        }
        if (!(open->privileges & LINECALLPRIVILEGE_OWNER)) {
            return LINEERR_NOTOWNER;
        }
        if (!allowedFrom(call->state)) {
            return LINEERR_INVALCALLSTATE;
        }
        if (refusal != 0) {
            return refusal;
        }
        const LONG request = NextRequestId();
        PostReply(*open, request, inReply);
        if (!inReply) {
            SetCallState(*call, state, mode);
        }
        return request;
    };
    return RecordedRequest(function, std::move(fields), body);
}

LONG ModemEngine::LineAnswer(HCALL call, LPCSTR userUserInfo, DWORD size) {
    auto answerable = [](DWORD state) {
        return state == LINECALLSTATE_OFFERING || state == LINECALLSTATE_ACCEPTED;
    };
    // A modem line carries no user-user information.
    const LONG refusal = userUserInfo && size > 0 ? LINEERR_USERUSERINFOTOOBIG : 0;
    return RequestCallState(Function::lineAnswer, call, userUserInfo, size, answerable, refusal,
                            LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
}

LONG ModemEngine::LineDrop(HCALL call, LPCSTR userUserInfo, DWORD size) {
    auto notIdle = [](DWORD state) { return state != LINECALLSTATE_IDLE; };
    return RequestCallState(Function::lineDrop, call, userUserInfo, size, notIdle, 0,
                            LINECALLSTATE_IDLE, 0);
}

LONG ModemEngine::LineGetCallInfo(HCALL handle, LPLINECALLINFO info) {
    Fields fields = {{"call", Hex(handle)},
                     {"total", info ? std::to_string(info->dwTotalSize) : "(null)"}};
    return Recorded(Function::lineGetCallInfoA, std::move(fields), [&](Fields& fields) -> LONG {
        Call* call = FindCall(handle);
        Line* open = call ? FindLine(call->line) : nullptr;
        if (!call || !open) {
            return LINEERR_INVALCALLHANDLE;
        }
        if (!info) {
            return LINEERR_INVALPOINTER;
        }
        const DWORD fixed = LineCallInfoFixedSize(open->version);
        if (info->dwTotalSize < fixed) {
            return LINEERR_STRUCTURETOOSMALL;
        }
        ClearFixedPart(info, fixed);
        info->hLine = call->line;
        info->dwLineDeviceID = call->device;
        info->dwAddressID = 0;
        info->dwBearerMode = LINEBEARERMODE_VOICE;
        info->dwMediaMode = call->mediaMode;
        info->dwCallID = call->callId;
        info->dwCallStates = kSupportedCallStates;
        info->dwOrigin = call->incoming ? LINECALLORIGIN_INBOUND : LINECALLORIGIN_OUTBOUND;
        info->dwReason = LINECALLREASON_DIRECT;
        info->dwNumOwners = 1;
        info->dwTrunk = 0xFFFFFFFF;  // unknown
        if (call->incoming) {
            info->dwCallerIDFlags = LINECALLPARTYID_UNKNOWN;
            if (call->callerIdKnown) {
                info->dwCallerIDFlags = call->callerId.empty() ? LINECALLPARTYID_BLOCKED : 0;
                if (!call->callerId.empty())
                    info->dwCallerIDFlags |= LINECALLPARTYID_ADDRESS;
                if (!call->callerName.empty())
                    info->dwCallerIDFlags |= LINECALLPARTYID_NAME;
            }
            info->dwCalledIDFlags = LINECALLPARTYID_UNKNOWN;
        } else {
            info->dwCallerIDFlags = LINECALLPARTYID_UNAVAIL;
            info->dwCalledIDFlags =
                call->dialled.empty() ? LINECALLPARTYID_UNKNOWN : LINECALLPARTYID_ADDRESS;
        }
        info->dwConnectedIDFlags = LINECALLPARTYID_UNKNOWN;
        info->dwRedirectionIDFlags = LINECALLPARTYID_UNKNOWN;
        info->dwRedirectingIDFlags = LINECALLPARTYID_UNKNOWN;
        VariablePart part(info, fixed);
        // The padding goes first, so that a caller ID behind it needs the bigger buffer.
        std::vector<char> padding(settings_.callInfoPadding, 'P');
        if (!padding.empty()) {
            part.Add(&info->dwDevSpecificSize, &info->dwDevSpecificOffset, padding.data(),
                     padding.size());
        }
        if (call->incoming && !call->callerId.empty()) {
            part.AddString(&info->dwCallerIDSize, &info->dwCallerIDOffset, call->callerId);
        }
        if (call->incoming && !call->callerName.empty()) {
            part.AddString(&info->dwCallerIDNameSize, &info->dwCallerIDNameOffset,
                           call->callerName);
        }
        if (!call->incoming && !call->dialled.empty()) {
            part.AddString(&info->dwCalledIDSize, &info->dwCalledIDOffset, call->dialled);
        }
        part.Finish();
        if (call->incoming && !call->callerId.empty()) {
            if (settings_.callerIdOffset)
                info->dwCallerIDOffset = *settings_.callerIdOffset;
            if (settings_.callerIdSize)
                info->dwCallerIDSize = *settings_.callerIdSize;
        }
        if (settings_.callInfoNeeded) {
            info->dwNeededSize = *settings_.callInfoNeeded;
        }
        fields.emplace_back("needed", std::to_string(info->dwNeededSize));
        fields.emplace_back("used", std::to_string(info->dwUsedSize));
        return 0;
    });
}

LONG ModemEngine::LineDeallocateCall(HCALL handle) {
    return Recorded(Function::lineDeallocateCall, {{"call", Hex(handle)}}, [&](Fields&) -> LONG {
        Call* call = FindCall(handle);
        if (!call) {
            return LINEERR_INVALCALLHANDLE;
        }
        Line* open = FindLine(call->line);
        if (open && (open->privileges & LINECALLPRIVILEGE_OWNER) &&
            call->state != LINECALLSTATE_IDLE) {
            return LINEERR_INVALCALLSTATE;  // the sole owner must drop it first
        }
        calls_.erase(handle);
        return 0;
    });
}

}  // namespace simmodem
