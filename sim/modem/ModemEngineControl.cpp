// The control commands of the simulated modem: the far end's actions on the line, raw
// message injection, the record and the status. Each command finishes its work, queueing
// every resulting message, before its reply goes back.
#include "sim/modem/ModemEngine.h"

#include "sim/modem/TapiNames.h"

namespace simmodem {
namespace {

std::string Ok(const std::string& payload = "") {
    return "ok\n" + payload;
}
std::string Error(const std::string& text) {
    return "error\n" + text;
}

bool IsCallMessage(DWORD message) {
    return message == LINE_CALLSTATE || message == LINE_CALLINFO || message == LINE_GATHERDIGITS ||
           message == LINE_GENERATE || message == LINE_MONITORDIGITS ||
           message == LINE_MONITORMEDIA || message == LINE_MONITORTONE;
}

}  // namespace

// The call the far end acts on: the one call that is not idle on the first line an
// application holds as owner.
ModemEngine::Call* ModemEngine::ActiveCallOnOwnedLine(std::string* error) {
    for (auto& entry : lines_) {
        if (!(entry.second.privileges & LINECALLPRIVILEGE_OWNER)) {
            continue;
        }
        for (auto& call : calls_) {
            if (call.second.line == entry.first && call.second.state != LINECALLSTATE_IDLE) {
                return &call.second;
            }
        }
        *error = "there is no call on the line";
        return nullptr;
    }
    *error = "no program has a line open as owner";
    return nullptr;
}

std::string ModemEngine::Execute(const std::string& request) {
    std::vector<std::string> words;
    if (!SplitWords(request, &words) || words.empty()) {
        return Error("unreadable request '" + request + "'");
    }
    const std::string& command = words[0];
    std::lock_guard<std::mutex> lock(mutex_);
    if (command == "ping") {
        return Ok(std::to_string(GetCurrentProcessId()));
    }
    if (command == "set") {
        const size_t start = request.find("set") + 3;
        std::string error = ApplySetting(settings_, request.substr(start));
        return error.empty() ? Ok() : Error(error);
    }
    if (command == "ring" && words.size() <= 3) {
        return CommandRing(words);
    }
    if (command == "callerid" && (words.size() == 2 || words.size() == 3)) {
        return CommandCallerId(words);
    }
    if (command == "answer" && words.size() == 1) {
        return CommandFarEndAnswer();
    }
    if (command == "hangup" && words.size() <= 3) {
        DWORD mode = LINEDISCONNECTMODE_NORMAL;
        bool thenIdle = false;
        for (size_t i = 1; i < words.size(); ++i) {
            if (words[i] == "idle") {
                thenIdle = true;
            } else if (auto parsed = ParseDisconnectMode(words[i])) {
                mode = *parsed;
            } else {
                return Error("hangup takes a disconnect mode and 'idle', not '" + words[i] + "'");
            }
        }
        return CommandDisconnect(mode, thenIdle, false);
    }
    if (command == "busy" && words.size() == 1) {
        return CommandDisconnect(LINEDISCONNECTMODE_BUSY, false, true);
    }
    if (command == "noanswer" && words.size() == 1) {
        return CommandDisconnect(LINEDISCONNECTMODE_NOANSWER, false, true);
    }
    if (command == "inject" && words.size() >= 2) {
        return CommandInject(words);
    }
    if (command == "close-line" && words.size() == 1) {
        return CommandCloseLine();
    }
    if (command == "remove-line" && words.size() <= 2) {
        return CommandRemoveLine(words);
    }
    if (command == "reinit" && words.size() == 1) {
        return CommandReinit();
    }
    if (command == "record" && words.size() <= 2) {
        return CommandRecord(words);
    }
    if (command == "clear-record" && words.size() == 1) {
        record_.clear();
        return Ok();
    }
    if (command == "status" && words.size() == 1) {
        return CommandStatus();
    }
    return Error("unknown command or wrong arguments: '" + request + "'");
}

std::string ModemEngine::CommandRing(const std::vector<std::string>& words) {
    const std::string number = words.size() > 1 ? words[1] : "";
    const std::string name = words.size() > 2 ? words[2] : "";
    std::string error;
    if (Call* call = ActiveCallOnOwnedLine(&error)) {
        if (!call->incoming || call->state != LINECALLSTATE_OFFERING) {
            return Error("the line has a call in state " + CallStateText(call->state) +
                         "; hang it up first");
        }
        ++call->rings;
        PostLineDevState(*FindLine(call->line), LINEDEVSTATE_RINGING, 1, call->rings - 1);
        if (!number.empty() && !call->callerIdKnown) {
            DeliverCallerId(*call, number, name);
        }
        return Ok("call=" + Hex(call->handle) + "\trings=" + std::to_string(call->rings));
    }
    if (error != "there is no call on the line") {
        return Error(error + "; nobody would hear the ring");
    }
    Line* owner = nullptr;
    for (auto& entry : lines_) {
        if (entry.second.privileges & LINECALLPRIVILEGE_OWNER) {
            owner = &entry.second;
            break;
        }
    }
    Call offered;
    offered.handle = NextHandle(kCallBase);
    offered.line = owner->handle;
    offered.device = owner->device;
    offered.incoming = true;
    offered.mediaMode = owner->mediaModes;
    offered.callId = nextCallId_++;
    offered.rings = 1;
    Call& call = calls_[offered.handle] = offered;
    PostTo(*owner, owner->handle, LINE_APPNEWCALL, 0, call.handle, LINECALLPRIVILEGE_OWNER);
    SetCallState(call, LINECALLSTATE_OFFERING, LINEOFFERINGMODE_ACTIVE, LINECALLPRIVILEGE_OWNER);
    PostLineDevState(*owner, LINEDEVSTATE_RINGING, 1, 0);
    if (!number.empty()) {
        DeliverCallerId(call, number, name);
    }
    return Ok("call=" + Hex(call.handle) + "\trings=1");
}

std::string ModemEngine::CommandCallerId(const std::vector<std::string>& words) {
    std::string error;
    Call* call = ActiveCallOnOwnedLine(&error);
    if (!call) {
        return Error(error);
    }
    if (!call->incoming) {
        return Error("the call on the line is an outgoing one");
    }
    DeliverCallerId(*call, words[1], words.size() > 2 ? words[2] : "");
    return Ok("call=" + Hex(call->handle));
}

std::string ModemEngine::CommandFarEndAnswer() {
    std::string error;
    Call* call = ActiveCallOnOwnedLine(&error);
    if (!call) {
        return Error(error);
    }
    if (call->incoming || call->state != LINECALLSTATE_PROCEEDING) {
        return Error("no outgoing call waits for the far end (the call is " +
                     std::string(call->incoming ? "incoming" : "outgoing") + " in state " +
                     CallStateText(call->state) + ")");
    }
    SetCallState(*call, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
    return Ok("call=" + Hex(call->handle));
}

std::string ModemEngine::CommandDisconnect(DWORD mode, bool thenIdle, bool outgoingUnansweredOnly) {
    std::string error;
    Call* call = ActiveCallOnOwnedLine(&error);
    if (!call) {
        return Error(error);
    }
    if (call->state == LINECALLSTATE_DISCONNECTED) {
        return Error("the call is already disconnected; the program has to drop it");
    }
    if (outgoingUnansweredOnly && (call->incoming || call->state == LINECALLSTATE_CONNECTED)) {
        return Error("busy and no answer apply to an outgoing call not yet connected");
    }
    SetCallState(*call, LINECALLSTATE_DISCONNECTED, mode);
    if (thenIdle) {
        SetCallState(*call, LINECALLSTATE_IDLE, 0);
    }
    return Ok("call=" + Hex(call->handle));
}

std::string ModemEngine::CommandInject(const std::vector<std::string>& words) {
    auto message = ParseLineMessage(words[1]);
    if (!message) {
        return Error("no line message '" + words[1] + "'");
    }
    Line* line = nullptr;
    for (auto& entry : lines_) {
        line = &entry.second;
        break;
    }
    if (!line) {
        return Error("no program has a line open to receive the message");
    }
    std::string device = IsCallMessage(*message) ? "call" : "line";
    DWORD_PTR instance = line->instance;
    DWORD_PTR params[3] = {0, 0, 0};
    for (size_t i = 2; i < words.size(); ++i) {
        const size_t equals = words[i].find('=');
        const std::string key = words[i].substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : words[i].substr(equals + 1);
        std::optional<uint32_t> number = ParseNumber(value);
        if (key == "p1" && *message == LINE_CALLSTATE) {
            number = ParseCallState(value);
        }
        if (key == "device") {
            device = value;
            continue;
        }
        if (!number) {
            return Error("inject takes device=call|line|N, instance=N, p1=, p2=, p3=; not '" +
                         words[i] + "'");
        }
        if (key == "instance") {
            instance = *number;
        } else if (key == "p1" || key == "p2" || key == "p3") {
            params[key[1] - '1'] = *number;
        } else {
            return Error("inject has no field '" + key + "'");
        }
    }
    DWORD deviceHandle = 0;
    if (device == "line") {
        deviceHandle = line->handle;
    } else if (device == "call") {
        for (const auto& call : calls_) {
            if (call.second.line == line->handle && call.second.state != LINECALLSTATE_IDLE) {
                deviceHandle = call.second.handle;
            }
        }
    } else if (auto number = ParseNumber(device)) {
        deviceHandle = *number;
    } else {
        return Error("device is call, line or a number, not '" + device + "'");
    }
    Post(*line->app, deviceHandle, *message, instance, params[0], params[1], params[2]);
    return Ok("device=" + Hex(deviceHandle));
}

// The provider takes the line away from its owner, as when the modem stops answering.
std::string ModemEngine::CommandCloseLine() {
    for (auto& entry : lines_) {
        if (entry.second.privileges & LINECALLPRIVILEGE_OWNER) {
            const Line closed = entry.second;
            CloseDeviceLocked(kLineSide, closed.handle);
            PostTo(closed, closed.handle, LINE_CLOSE, 0, 0, 0);
            return Ok("line=" + Hex(closed.handle));
        }
    }
    return Error("no program has a line open as owner");
}

// The modem is unplugged: the device answers LINEERR_NODEVICE from now on, its lines close
// without a word, and every line application gets LINE_REMOVE with its identifier.
std::string ModemEngine::CommandRemoveLine(const std::vector<std::string>& words) {
    std::optional<uint32_t> device;
    if (words.size() == 2) {
        device = ParseNumber(words[1]);
        if (!device || *device >= settings_.lines.size()) {
            return Error("remove-line takes a line device identifier, not '" + words[1] + "'");
        }
    } else {
        for (const auto& entry : lines_) {
            if (entry.second.privileges & LINECALLPRIVILEGE_OWNER) {
                device = entry.second.device;
                break;
            }
        }
        if (!device) {
            return Error("no program has a line open as owner; name the device");
        }
    }
    if (settings_.lines[*device].removed) {
        return Error("line device " + std::to_string(*device) + " is removed already");
    }
    settings_.lines[*device].removed = true;
    std::vector<DWORD> open;
    for (const auto& entry : lines_) {
        if (entry.second.device == *device) {
            open.push_back(entry.first);
        }
    }
    for (DWORD line : open) {
        CloseDeviceLocked(kLineSide, line);
    }
    for (const auto& entry : apps_) {
        if (!entry.second->side->phone) {
            Post(*entry.second, 0, LINE_REMOVE, 0, *device, 0, 0);
        }
    }
    return Ok("device=" + std::to_string(*device));
}

// The telephony configuration changed: every application is told to re-initialise, and no
// new one is initialised until all of them have shut down.
std::string ModemEngine::CommandReinit() {
    for (const auto& entry : apps_) {
        App& app = *entry.second;
        if (app.side->phone) {
            Post(app, 0, PHONE_STATE, 0, PHONESTATE_REINIT, 0, 0);
        } else {
            Post(app, 0, LINE_LINEDEVSTATE, 0, LINEDEVSTATE_REINIT, 0, 0);
        }
        reinitPending_.insert(app.handle);
    }
    return Ok("apps=" + std::to_string(reinitPending_.size()));
}

std::string ModemEngine::CommandRecord(const std::vector<std::string>& words) {
    uint64_t after = 0;
    if (words.size() == 2) {
        for (char c : words[1]) {
            if (c < '0' || c > '9') {
                return Error("record takes the sequence number to continue after");
            }
            after = after * 10 + static_cast<uint64_t>(c - '0');
        }
    }
    std::string payload;
    for (const RecordEntry& entry : record_) {
        if (entry.seq > after) {
            payload += FormatEntry(entry) + "\n";
        }
    }
    return Ok(payload);
}

std::string ModemEngine::CommandStatus() {
    std::string payload;
    auto add = [&payload](const std::string& kind, Fields fields) {
        RecordEntry entry;
        entry.function = kind;
        entry.fields = std::move(fields);
        payload += FormatEntry(entry) + "\n";
    };
    for (const std::string& problem : settingsProblems_) {
        add("problem", {{"text", problem}});
    }
    for (const auto& entry : apps_) {
        const App& app = *entry.second;
        add(app.side->phone ? "phoneApp" : "lineApp",
            {{"handle", Hex(app.handle)},
             {"name", app.name},
             {"pending", std::to_string(app.queue.size())},
             {"delivered", std::to_string(app.delivered)}});
    }
    for (const auto& entry : lines_) {
        const Line& line = entry.second;
        add("line", {{"handle", Hex(line.handle)},
                     {"device", std::to_string(line.device)},
                     {"app", Hex(line.app->handle)},
                     {"instance", Hex(static_cast<uint32_t>(line.instance))},
                     {"privileges", Hex(line.privileges)},
                     {"mediaModes", Hex(line.mediaModes)},
                     {"lineStates", Hex(line.lineStates)}});
    }
    for (const auto& entry : calls_) {
        const Call& call = entry.second;
        add("call", {{"handle", Hex(call.handle)},
                     {"line", Hex(call.line)},
                     {"direction", call.incoming ? "in" : "out"},
                     {"state", CallStateText(call.state)},
                     {"mode", Hex(call.mode)},
                     {"number", call.incoming ? call.callerId : call.dialled},
                     {"rings", std::to_string(call.rings)}});
    }
    for (const auto& entry : phones_) {
        const Phone& phone = entry.second;
        add("phone", {{"handle", Hex(phone.handle)},
                      {"device", std::to_string(phone.device)},
                      {"app", Hex(phone.app->handle)},
                      {"privilege", Hex(phone.privilege)},
                      {"speakerMode", Hex(phone.speakerMode)}});
    }
    return Ok(payload);
}

}  // namespace simmodem
