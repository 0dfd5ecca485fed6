// The line side of the simulated modem: applications and their message queues, line
// devices, calls placed and answered, call information, and the record of it all.
#include "sim/modem/ModemEngine.h"

#include "sim/modem/TapiNames.h"
#include "sim/modem/VariablePart.h"

#include <cstring>
#include <fstream>

namespace simmodem {
namespace {

constexpr size_t kRecordLimit = 20000;
constexpr DWORD kMaxRecordedParams = 65536;
constexpr DWORD kAllLineDevStates = 0x01FFFFFF;  // LINEDEVSTATE_OTHER .. _REMOVED
constexpr DWORD kAllAddressStates = 0x000001FF;  // LINEADDRESSSTATE_OTHER .. _CAPSCHANGE
constexpr DWORD kSupportedCallStates =
    LINECALLSTATE_IDLE | LINECALLSTATE_OFFERING | LINECALLSTATE_ACCEPTED | LINECALLSTATE_DIALTONE |
    LINECALLSTATE_DIALING | LINECALLSTATE_PROCEEDING | LINECALLSTATE_CONNECTED |
    LINECALLSTATE_DISCONNECTED | LINECALLSTATE_UNKNOWN;

std::string Text(LPCSTR text) {
    return text ? text : "(null)";
}

}  // namespace

ModemEngine& ModemEngine::Instance() {
    static ModemEngine engine;
    return engine;
}

ModemEngine::ModemEngine() {
    const std::string channel = ChannelFromEnvironment();
    if (channel.empty()) {
        settingsProblems_.push_back(std::string(kChannelVariable) +
                                    " is not a valid channel name; no control channel");
        return;
    }
    LoadSettingsFile(ConfigFilePath(channel));
}

void ModemEngine::LoadSettingsFile(const std::string& path) {
    std::ifstream file(path);
    std::lock_guard<std::mutex> lock(mutex_);
    settings_ = Settings::Defaults();
    std::string line;
    int number = 0;
    while (std::getline(file, line)) {
        ++number;
        std::string error = ApplySetting(settings_, line);
        if (!error.empty()) {
            settingsProblems_.push_back(path + ":" + std::to_string(number) + ": " + error);
        }
    }
}

// ---- helpers (mutex_ held) ----

void ModemEngine::Note(Function function, Fields fields, LONG result) {
    RecordEntry entry;
    entry.seq = nextSeq_++;
    entry.function = FunctionName(function);
    entry.fields = std::move(fields);
    entry.fields.emplace_back("result", TapiResultText(result));
    record_.push_back(std::move(entry));
    if (record_.size() > kRecordLimit) {
        record_.erase(record_.begin(), record_.begin() + kRecordLimit / 10);
    }
}

bool ModemEngine::TakeFailure(Function function, Failure* failure) {
    auto found = settings_.failures.find(function);
    if (found == settings_.failures.end()) {
        return false;
    }
    *failure = found->second;
    if (found->second.when == Failure::When::Once) {
        settings_.failures.erase(found);
    }
    return true;
}

std::shared_ptr<ModemEngine::App> ModemEngine::FindApp(DWORD handle, bool phone) {
    auto found = apps_.find(handle);
    if (found == apps_.end() || found->second->phone != phone) {
        return nullptr;
    }
    return found->second;
}

ModemEngine::Line* ModemEngine::FindLine(HLINE handle) {
    auto found = lines_.find(handle);
    return found == lines_.end() ? nullptr : &found->second;
}

ModemEngine::Call* ModemEngine::FindCall(HCALL handle) {
    auto found = calls_.find(handle);
    return found == calls_.end() ? nullptr : &found->second;
}

ModemEngine::Phone* ModemEngine::FindPhone(HPHONE handle) {
    auto found = phones_.find(handle);
    return found == phones_.end() ? nullptr : &found->second;
}

DWORD ModemEngine::NextHandle(DWORD base) {
    handleCounter_ = handleCounter_ % (kHandleRange - 1) + 1;
    return base + handleCounter_;
}

LONG ModemEngine::NextRequestId() {
    const LONG id = nextRequestId_;
    nextRequestId_ = nextRequestId_ == 0x7FFFFFFF ? 1 : nextRequestId_ + 1;
    return id;
}

bool ModemEngine::VersionSupported(DWORD version) const {
    return version >= kLowestApiVersion && version <= settings_.highestApiVersion;
}

void ModemEngine::Post(App& app, DWORD device, DWORD message, DWORD_PTR instance, DWORD_PTR param1,
                       DWORD_PTR param2, DWORD_PTR param3) {
    if (app.shutDown) {
        return;
    }
    LINEMESSAGE queued{};
    queued.hDevice = device;
    queued.dwMessageID = message;
    queued.dwCallbackInstance = instance;
    queued.dwParam1 = param1;
    queued.dwParam2 = param2;
    queued.dwParam3 = param3;
    app.queue.push_back(queued);
    SetEvent(app.ready.Get());
}

void ModemEngine::PostToLine(const Line& line, DWORD device, DWORD message, DWORD_PTR param1,
                             DWORD_PTR param2, DWORD_PTR param3) {
    Post(*line.app, device, message, line.instance, param1, param2, param3);
}

void ModemEngine::SetCallState(Call& call, DWORD state, DWORD mode, DWORD privilege) {
    call.state = state;
    call.mode = mode;
    if (Line* line = FindLine(call.line)) {
        PostToLine(*line, call.handle, LINE_CALLSTATE, state, mode, privilege);
    }
}

// LINE_LINEDEVSTATE goes out only for the states the application asked for.
void ModemEngine::PostLineDevState(const Line& line, DWORD state, DWORD_PTR param2,
                                   DWORD_PTR param3) {
    if (line.lineStates & state) {
        PostToLine(line, line.handle, LINE_LINEDEVSTATE, state, param2, param3);
    }
}

void ModemEngine::DeliverCallerId(Call& call, const std::string& number, const std::string& name) {
    call.callerIdKnown = true;
    call.callerId = number;
    call.callerName = name;
    if (Line* line = FindLine(call.line)) {
        DWORD states = LINECALLINFOSTATE_CALLERID;
        PostToLine(*line, call.handle, LINE_CALLINFO, states, 0, 0);
    }
}

void ModemEngine::RemoveCallsOf(HLINE line) {
    for (auto it = calls_.begin(); it != calls_.end();) {
        it = it->second.line == line ? calls_.erase(it) : std::next(it);
    }
}

void ModemEngine::CloseLineLocked(HLINE line) {
    // The owner going away hangs its calls up; nobody is left to tell.
    RemoveCallsOf(line);
    lines_.erase(line);
}

void ModemEngine::ShutdownApp(const std::shared_ptr<App>& app) {
    app->shutDown = true;
    app->queue.clear();
    ResetEvent(app->ready.Get());
    SetEvent(app->wake.Get());
    if (app->phone) {
        for (auto it = phones_.begin(); it != phones_.end();) {
            it = it->second.app == app ? phones_.erase(it) : std::next(it);
        }
    } else {
        std::vector<HLINE> owned;
        for (const auto& entry : lines_) {
            if (entry.second.app == app) {
                owned.push_back(entry.first);
            }
        }
        for (HLINE line : owned) {
            CloseLineLocked(line);
        }
    }
    apps_.erase(app->handle);
}

// ---- initialisation and messages, shared by the line and phone sides ----

LONG ModemEngine::Initialize(bool phone, DWORD* handle, LPCSTR appName, LPDWORD numDevs,
                             LPDWORD apiVersion, DWORD paramsTotalSize, DWORD paramsOptions,
                             HANDLE* eventOut) {
    const LONG invalPointer = phone ? PHONEERR_INVALPOINTER : LINEERR_INVALPOINTER;
    if (!handle || !numDevs || !apiVersion || !eventOut) {
        return invalPointer;
    }
    // Only the event-handle mechanism is simulated; it is what the program uses.
    const DWORD useEvent = LINEINITIALIZEEXOPTION_USEEVENT;
    if (paramsOptions != useEvent) {
        return phone ? PHONEERR_OPERATIONUNAVAIL : LINEERR_OPERATIONUNAVAIL;
    }
    const DWORD minimum = offsetof(LINEINITIALIZEEXPARAMS, Handles) + sizeof(HANDLE);
    if (paramsTotalSize < minimum) {
        return phone ? PHONEERR_STRUCTURETOOSMALL : LINEERR_STRUCTURETOOSMALL;
    }
    if (*apiVersion < kLowestApiVersion) {
        return phone ? PHONEERR_INCOMPATIBLEAPIVERSION : LINEERR_INCOMPATIBLEAPIVERSION;
    }
    auto app = std::make_shared<App>();
    app->phone = phone;
    app->name = Text(appName);
    app->ready.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    app->wake.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!app->ready || !app->wake) {
        return phone ? PHONEERR_NOMEM : LINEERR_NOMEM;
    }
    app->handle = NextHandle(phone ? kPhoneAppBase : kLineAppBase);
    apps_[app->handle] = app;
    *handle = app->handle;
    *numDevs = static_cast<DWORD>(phone ? settings_.phones.size() : settings_.lines.size());
    *apiVersion = settings_.highestApiVersion;
    *eventOut = app->ready.Get();
    return 0;
}

LONG ModemEngine::GetMessage(DWORD appHandle, bool phone, LINEMESSAGE* message, DWORD timeout) {
    const LONG invalApp = phone ? PHONEERR_INVALAPPHANDLE : LINEERR_INVALAPPHANDLE;
    std::shared_ptr<App> app;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Failure failure;
        if (TakeFailure(phone ? Function::phoneGetMessage : Function::lineGetMessage, &failure)) {
            return failure.code;
        }
        app = FindApp(appHandle, phone);
        if (!app) {
            return invalApp;
        }
        if (!message) {
            return phone ? PHONEERR_INVALPOINTER : LINEERR_INVALPOINTER;
        }
    }
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (app->shutDown) {
                return invalApp;
            }
            if (!app->queue.empty()) {
                *message = app->queue.front();
                app->queue.pop_front();
                ++app->delivered;
                if (app->queue.empty()) {
                    ResetEvent(app->ready.Get());
                }
                return 0;
            }
        }
        DWORD wait = timeout;
        if (timeout != INFINITE) {
            const ULONGLONG elapsed = GetTickCount64() - start;
            if (elapsed >= timeout) {
                return phone ? PHONEERR_OPERATIONFAILED : LINEERR_OPERATIONFAILED;
            }
            wait = static_cast<DWORD>(timeout - elapsed);
        }
        const HANDLE handles[] = {app->ready.Get(), app->wake.Get()};
        const DWORD woken = WaitForMultipleObjects(2, handles, FALSE, wait);
        if (woken == WAIT_FAILED) {
            return phone ? PHONEERR_OPERATIONFAILED : LINEERR_OPERATIONFAILED;
        }
    }
}

// ---- line functions ----

LONG ModemEngine::LineInitializeEx(LPHLINEAPP app, LPCSTR appName, LPDWORD numDevs,
                                   LPDWORD apiVersion, LPLINEINITIALIZEEXPARAMS params) {
    std::lock_guard<std::mutex> lock(mutex_);
    Fields fields = {{"app", Text(appName)},
                     {"version", apiVersion ? Hex(*apiVersion) : "(null)"},
                     {"options", params ? Hex(params->dwOptions) : "(null)"}};
    LONG result;
    Failure failure;
    if (TakeFailure(Function::lineInitializeExA, &failure)) {
        result = failure.code;
    } else if (!params || !app) {
        result = LINEERR_INVALPOINTER;
    } else {
        DWORD handle = 0;
        HANDLE event = nullptr;
        result = Initialize(false, &handle, appName, numDevs, apiVersion, params->dwTotalSize,
                            params->dwOptions, &event);
        if (result == 0) {
            *app = handle;
            params->Handles.hEvent = event;
            params->dwNeededSize = offsetof(LINEINITIALIZEEXPARAMS, Handles) + sizeof(HANDLE);
            params->dwUsedSize = params->dwNeededSize;
            fields.emplace_back("handle", Hex(handle));
            fields.emplace_back("devices", std::to_string(*numDevs));
            fields.emplace_back("returnedVersion", Hex(*apiVersion));
        }
    }
    Note(Function::lineInitializeExA, std::move(fields), result);
    return result;
}

LONG ModemEngine::LineNegotiateAPIVersion(HLINEAPP app, DWORD device, DWORD low, DWORD high,
                                          LPDWORD version, LPLINEEXTENSIONID extension) {
    std::lock_guard<std::mutex> lock(mutex_);
    Fields fields = {{"app", Hex(app)},
                     {"device", std::to_string(device)},
                     {"low", Hex(low)},
                     {"high", Hex(high)}};
    LONG result = 0;
    Failure failure;
    if (TakeFailure(Function::lineNegotiateAPIVersion, &failure)) {
        result = failure.code;
    } else if (!FindApp(app, false)) {
        result = LINEERR_INVALAPPHANDLE;
    } else if (device >= settings_.lines.size()) {
        result = LINEERR_BADDEVICEID;
    } else if (!version || !extension) {
        result = LINEERR_INVALPOINTER;
    } else if (low > high || high < kLowestApiVersion || low > settings_.highestApiVersion) {
        result = LINEERR_INCOMPATIBLEAPIVERSION;
    } else {
        *version = high < settings_.highestApiVersion ? high : settings_.highestApiVersion;
        std::memset(extension, 0, sizeof *extension);
        fields.emplace_back("negotiated", Hex(*version));
    }
    Note(Function::lineNegotiateAPIVersion, std::move(fields), result);
    return result;
}

LONG ModemEngine::LineGetDevCaps(HLINEAPP app, DWORD device, DWORD version, DWORD extVersion,
                                 LPLINEDEVCAPS caps) {
    std::lock_guard<std::mutex> lock(mutex_);
    Fields fields = {{"app", Hex(app)},
                     {"device", std::to_string(device)},
                     {"version", Hex(version)},
                     {"total", caps ? std::to_string(caps->dwTotalSize) : "(null)"}};
    LONG result = 0;
    Failure failure;
    const DWORD fixed = LineDevCapsFixedSize(version);
    if (TakeFailure(Function::lineGetDevCapsA, &failure)) {
        result = failure.code;
    } else if (!FindApp(app, false)) {
        result = LINEERR_INVALAPPHANDLE;
    } else if (device >= settings_.lines.size()) {
        result = LINEERR_BADDEVICEID;
    } else if (!VersionSupported(version)) {
        result = LINEERR_INCOMPATIBLEAPIVERSION;
    } else if (extVersion != 0) {
        result = LINEERR_INCOMPATIBLEEXTVERSION;
    } else if (!caps) {
        result = LINEERR_INVALPOINTER;
    } else if (caps->dwTotalSize < fixed) {
        result = LINEERR_STRUCTURETOOSMALL;
    } else {
        const LineDeviceSpec& spec = settings_.lines[device];
        const bool voice = (spec.mediaModes & LINEMEDIAMODE_AUTOMATEDVOICE) != 0;
        std::memset(reinterpret_cast<char*>(caps) + sizeof(DWORD), 0, fixed - sizeof(DWORD));
        caps->dwPermanentLineID = 0x1000 + device;
        caps->dwStringFormat = STRINGFORMAT_ASCII;
        caps->dwAddressModes = LINEADDRESSMODE_ADDRESSID;
        caps->dwNumAddresses = 1;
        caps->dwBearerModes = LINEBEARERMODE_VOICE | LINEBEARERMODE_PASSTHROUGH;
        caps->dwMaxRate = 57600;
        caps->dwMediaModes = spec.mediaModes;
        caps->dwGenerateDigitModes = voice ? LINEDIGITMODE_DTMF : 0;
        caps->dwMonitorDigitModes = voice ? LINEDIGITMODE_DTMF | LINEDIGITMODE_DTMFEND : 0;
        caps->dwDevCapFlags =
            LINEDEVCAPFLAGS_DIALBILLING | LINEDEVCAPFLAGS_DIALQUIET | LINEDEVCAPFLAGS_DIALDIALTONE;
        caps->dwMaxNumActiveCalls = 1;
        caps->dwAnswerMode = LINEANSWERMODE_NONE;
        caps->dwRingModes = 1;
        caps->dwLineStates = LINEDEVSTATE_OTHER | LINEDEVSTATE_RINGING | LINEDEVSTATE_CONNECTED |
                             LINEDEVSTATE_DISCONNECTED | LINEDEVSTATE_OPEN | LINEDEVSTATE_CLOSE |
                             LINEDEVSTATE_REINIT | LINEDEVSTATE_CAPSCHANGE | LINEDEVSTATE_REMOVED;
        caps->dwLineFeatures = LINEFEATURE_MAKECALL;
        static const char kDataClasses[] = "tapi/line\0comm\0comm/datamodem\0";
        static const char kVoiceClasses[] =
            "tapi/line\0comm\0comm/datamodem\0wave/in\0wave/out\0tapi/phone\0";
        VariablePart part(caps, fixed);
        part.AddString(&caps->dwProviderInfoSize, &caps->dwProviderInfoOffset, settings_.provider);
        part.AddString(&caps->dwLineNameSize, &caps->dwLineNameOffset, spec.name);
        // A list of zero-terminated names closed by one more zero.
        if (voice) {
            part.Add(&caps->dwDeviceClassesSize, &caps->dwDeviceClassesOffset, kVoiceClasses,
                     sizeof kVoiceClasses);
        } else {
            part.Add(&caps->dwDeviceClassesSize, &caps->dwDeviceClassesOffset, kDataClasses,
                     sizeof kDataClasses);
        }
        part.Finish();
        fields.emplace_back("needed", std::to_string(caps->dwNeededSize));
        fields.emplace_back("mediaModes", Hex(spec.mediaModes));
    }
    Note(Function::lineGetDevCapsA, std::move(fields), result);
    return result;
}

LONG ModemEngine::LineOpen(HLINEAPP appHandle, DWORD device, LPHLINE line, DWORD version,
                           DWORD extVersion, DWORD_PTR instance, DWORD privileges, DWORD mediaModes,
                           LPLINECALLPARAMS params) {
    std::lock_guard<std::mutex> lock(mutex_);
    Fields fields = {{"app", Hex(appHandle)},
                     {"device", std::to_string(device)},
                     {"version", Hex(version)},
                     {"extVersion", Hex(extVersion)},
                     {"instance", Hex(static_cast<uint32_t>(instance))},
                     {"privileges", Hex(privileges)},
                     {"mediaModes", Hex(mediaModes)},
                     {"params", params ? "yes" : "no"}};
    LONG result = 0;
    Failure failure;
    std::shared_ptr<App> app = FindApp(appHandle, false);
    const DWORD known =
        LINECALLPRIVILEGE_NONE | LINECALLPRIVILEGE_MONITOR | LINECALLPRIVILEGE_OWNER;
    if (TakeFailure(Function::lineOpenA, &failure)) {
        result = failure.code;
    } else if (!app) {
        result = LINEERR_INVALAPPHANDLE;
    } else if (device == LINEMAPPER) {
        result = LINEERR_OPERATIONUNAVAIL;  // the line mapper is not simulated
    } else if (device >= settings_.lines.size()) {
        result = LINEERR_BADDEVICEID;
    } else if (!line) {
        result = LINEERR_INVALPOINTER;
    } else if (!VersionSupported(version)) {
        result = LINEERR_INCOMPATIBLEAPIVERSION;
    } else if (extVersion != 0) {
        result = LINEERR_INCOMPATIBLEEXTVERSION;
    } else if (privileges == 0 || (privileges & ~known) ||
               ((privileges & LINECALLPRIVILEGE_NONE) && privileges != LINECALLPRIVILEGE_NONE)) {
        result = LINEERR_INVALPRIVSELECT;
    } else if ((privileges & LINECALLPRIVILEGE_OWNER) &&
               (mediaModes == 0 || (mediaModes & ~settings_.lines[device].mediaModes))) {
        result = LINEERR_INVALMEDIAMODE;
    } else {
        Line open;
        open.handle = NextHandle(kLineBase);
        open.device = device;
        open.app = app;
        open.instance = instance;
        open.version = version;
        open.privileges = privileges;
        open.mediaModes = mediaModes;
        lines_[open.handle] = open;
        *line = open.handle;
        fields.emplace_back("line", Hex(open.handle));
    }
    Note(Function::lineOpenA, std::move(fields), result);
    return result;
}

LONG ModemEngine::LineSetStatusMessages(HLINE line, DWORD lineStates, DWORD addressStates) {
    std::lock_guard<std::mutex> lock(mutex_);
    Fields fields = {{"line", Hex(line)},
                     {"lineStates", Hex(lineStates)},
                     {"addressStates", Hex(addressStates)}};
    LONG result = 0;
    Failure failure;
    Line* open = FindLine(line);
    if (TakeFailure(Function::lineSetStatusMessages, &failure)) {
        result = failure.code;
    } else if (!open) {
        result = LINEERR_INVALLINEHANDLE;
    } else if (lineStates & ~kAllLineDevStates) {
        result = LINEERR_INVALLINESTATE;
    } else if (addressStates & ~kAllAddressStates) {
        result = LINEERR_INVALADDRESSSTATE;
    } else {
        open->lineStates = lineStates;
        open->addressStates = addressStates;
    }
    Note(Function::lineSetStatusMessages, std::move(fields), result);
    return result;
}

LONG ModemEngine::LineGetMessage(HLINEAPP app, LPLINEMESSAGE message, DWORD timeout) {
    return GetMessage(app, false, message, timeout);
}

LONG ModemEngine::LineMakeCall(HLINE line, LPHCALL call, LPCSTR address, DWORD countryCode,
                               const LINECALLPARAMS* params) {
    std::lock_guard<std::mutex> lock(mutex_);
    Fields fields = {
        {"line", Hex(line)}, {"number", Text(address)}, {"country", std::to_string(countryCode)}};
    if (params) {
        const DWORD recorded =
            params->dwTotalSize < kMaxRecordedParams ? params->dwTotalSize : kMaxRecordedParams;
        fields.emplace_back("paramsSize", std::to_string(params->dwTotalSize));
        fields.emplace_back("params", HexBytes(params, recorded));
    }
    LONG result = 0;
    Failure failure;
    Line* open = FindLine(line);
    const bool failed = TakeFailure(Function::lineMakeCallA, &failure);
    bool busy = false;
    if (open) {
        for (const auto& entry : calls_) {
            busy = busy || (entry.second.device == open->device &&
                            entry.second.state != LINECALLSTATE_IDLE);
        }
    }
    const DWORD fixed = open ? LineCallParamsFixedSize(open->version) : 0;
    auto outside = [&](DWORD offset, DWORD size) {
        return size != 0 && (offset < fixed || offset > params->dwTotalSize ||
                             size > params->dwTotalSize - offset);
    };
    if (failed && !failure.inReply) {
        result = failure.code;
    } else if (!open) {
        result = LINEERR_INVALLINEHANDLE;
    } else if (!call) {
        result = LINEERR_INVALPOINTER;
    } else if (params && params->dwTotalSize < fixed) {
        result = LINEERR_STRUCTURETOOSMALL;
    } else if (params &&
               (outside(params->dwDisplayableAddressOffset, params->dwDisplayableAddressSize) ||
                outside(params->dwOrigAddressOffset, params->dwOrigAddressSize) ||
                outside(params->dwCalledPartyOffset, params->dwCalledPartySize) ||
                outside(params->dwCommentOffset, params->dwCommentSize))) {
        result = LINEERR_INVALCALLPARAMS;
    } else if (params && params->dwBearerMode != 0 &&
               !(params->dwBearerMode & (LINEBEARERMODE_VOICE | LINEBEARERMODE_PASSTHROUGH))) {
        result = LINEERR_INVALBEARERMODE;
    } else if (params && params->dwMediaMode != 0 &&
               (params->dwMediaMode & ~settings_.lines[open->device].mediaModes)) {
        result = LINEERR_INVALMEDIAMODE;
    } else if (busy) {
        result = LINEERR_CALLUNAVAIL;  // one call at a time on a modem line
    } else {
        result = NextRequestId();
        if (failed) {
            PostToLine(*open, 0, LINE_REPLY, static_cast<DWORD_PTR>(result),
                       static_cast<DWORD_PTR>(static_cast<DWORD>(failure.code)), 0);
        } else {
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
            PostToLine(*open, 0, LINE_REPLY, static_cast<DWORD_PTR>(result), 0, 0);
            SetCallState(made, LINECALLSTATE_DIALTONE, LINEDIALTONEMODE_NORMAL);
            if (!made.dialled.empty()) {
                SetCallState(made, LINECALLSTATE_DIALING, 0);
                SetCallState(made, LINECALLSTATE_PROCEEDING, 0);
                if (settings_.connectAfterDialling) {
                    SetCallState(made, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
                }
            }
        }
    }
    Note(Function::lineMakeCallA, std::move(fields), result);
    return result;
}

LONG ModemEngine::LineAnswer(HCALL handle, LPCSTR userUserInfo, DWORD size) {
    std::lock_guard<std::mutex> lock(mutex_);
    Fields fields = {{"call", Hex(handle)},
                     {"userUserInfo", userUserInfo ? std::to_string(size) : "none"}};
    LONG result = 0;
    Failure failure;
    const bool failed = TakeFailure(Function::lineAnswer, &failure);
    Call* call = FindCall(handle);
    Line* open = call ? FindLine(call->line) : nullptr;
    if (failed && !failure.inReply) {
        result = failure.code;
    } else if (!call || !open) {
        result = LINEERR_INVALCALLHANDLE;
    } else if (!(open->privileges & LINECALLPRIVILEGE_OWNER)) {
        result = LINEERR_NOTOWNER;
    } else if (call->state != LINECALLSTATE_OFFERING && call->state != LINECALLSTATE_ACCEPTED) {
        result = LINEERR_INVALCALLSTATE;
    } else if (userUserInfo && size > 0) {
        result = LINEERR_USERUSERINFOTOOBIG;  // a modem line carries none
    } else {
        result = NextRequestId();
        const DWORD replyCode = failed ? static_cast<DWORD>(failure.code) : 0;
        PostToLine(*open, 0, LINE_REPLY, static_cast<DWORD_PTR>(result), replyCode, 0);
        if (!failed) {
            SetCallState(*call, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
        }
    }
    Note(Function::lineAnswer, std::move(fields), result);
    return result;
}

LONG ModemEngine::LineDrop(HCALL handle, LPCSTR userUserInfo, DWORD size) {
    std::lock_guard<std::mutex> lock(mutex_);
    Fields fields = {{"call", Hex(handle)},
                     {"userUserInfo", userUserInfo ? std::to_string(size) : "none"}};
    LONG result = 0;
    Failure failure;
    const bool failed = TakeFailure(Function::lineDrop, &failure);
    Call* call = FindCall(handle);
    Line* open = call ? FindLine(call->line) : nullptr;
    if (failed && !failure.inReply) {
        result = failure.code;
    } else if (!call || !open) {
        result = LINEERR_INVALCALLHANDLE;
    } else if (!(open->privileges & LINECALLPRIVILEGE_OWNER)) {
        result = LINEERR_NOTOWNER;
    } else if (call->state == LINECALLSTATE_IDLE) {
        result = LINEERR_INVALCALLSTATE;
    } else {
        result = NextRequestId();
        const DWORD replyCode = failed ? static_cast<DWORD>(failure.code) : 0;
        PostToLine(*open, 0, LINE_REPLY, static_cast<DWORD_PTR>(result), replyCode, 0);
        if (!failed) {
            SetCallState(*call, LINECALLSTATE_IDLE, 0);
        }
    }
    Note(Function::lineDrop, std::move(fields), result);
    return result;
}

LONG ModemEngine::LineGetCallInfo(HCALL handle, LPLINECALLINFO info) {
    std::lock_guard<std::mutex> lock(mutex_);
    Fields fields = {{"call", Hex(handle)},
                     {"total", info ? std::to_string(info->dwTotalSize) : "(null)"}};
    LONG result = 0;
    Failure failure;
    Call* call = FindCall(handle);
    Line* open = call ? FindLine(call->line) : nullptr;
    const DWORD fixed = open ? LineCallInfoFixedSize(open->version) : 0;
    if (TakeFailure(Function::lineGetCallInfoA, &failure)) {
        result = failure.code;
    } else if (!call || !open) {
        result = LINEERR_INVALCALLHANDLE;
    } else if (!info) {
        result = LINEERR_INVALPOINTER;
    } else if (info->dwTotalSize < fixed) {
        result = LINEERR_STRUCTURETOOSMALL;
    } else {
        std::memset(reinterpret_cast<char*>(info) + sizeof(DWORD), 0, fixed - sizeof(DWORD));
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
        fields.emplace_back("needed", std::to_string(info->dwNeededSize));
        fields.emplace_back("used", std::to_string(info->dwUsedSize));
    }
    Note(Function::lineGetCallInfoA, std::move(fields), result);
    return result;
}

LONG ModemEngine::LineDeallocateCall(HCALL handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    Fields fields = {{"call", Hex(handle)}};
    LONG result = 0;
    Failure failure;
    Call* call = FindCall(handle);
    Line* open = call ? FindLine(call->line) : nullptr;
    if (TakeFailure(Function::lineDeallocateCall, &failure)) {
        result = failure.code;
    } else if (!call) {
        result = LINEERR_INVALCALLHANDLE;
    } else if (open && (open->privileges & LINECALLPRIVILEGE_OWNER) &&
               call->state != LINECALLSTATE_IDLE) {
        result = LINEERR_INVALCALLSTATE;  // the sole owner must drop it first
    } else {
        calls_.erase(handle);
    }
    Note(Function::lineDeallocateCall, std::move(fields), result);
    return result;
}

LONG ModemEngine::LineClose(HLINE line) {
    std::lock_guard<std::mutex> lock(mutex_);
    Fields fields = {{"line", Hex(line)}};
    LONG result = 0;
    Failure failure;
    if (TakeFailure(Function::lineClose, &failure)) {
        result = failure.code;
    } else if (!FindLine(line)) {
        result = LINEERR_INVALLINEHANDLE;
    } else {
        CloseLineLocked(line);
    }
    Note(Function::lineClose, std::move(fields), result);
    return result;
}

LONG ModemEngine::LineShutdown(HLINEAPP appHandle) {
    std::lock_guard<std::mutex> lock(mutex_);
    Fields fields = {{"app", Hex(appHandle)}};
    LONG result = 0;
    Failure failure;
    std::shared_ptr<App> app = FindApp(appHandle, false);
    if (TakeFailure(Function::lineShutdown, &failure)) {
        result = failure.code;
    } else if (!app) {
        result = LINEERR_INVALAPPHANDLE;
    } else {
        ShutdownApp(app);
    }
    Note(Function::lineShutdown, std::move(fields), result);
    return result;
}

}  // namespace simmodem
