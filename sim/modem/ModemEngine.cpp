// The simulated modem's core: the settings it starts with, the record and the failures set
// up for each function, handles, message queues, and the bookkeeping of open devices.
#include "sim/modem/ModemEngine.h"

#include "sim/modem/TapiNames.h"

#include <fstream>

namespace simmodem {
namespace {

constexpr size_t kRecordLimit = 20000;

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

std::string ModemEngine::Text(LPCSTR text) {
    return text ? text : "(null)";
}

LONG ModemEngine::Recorded(Function function, Fields fields, const Body& body) {
    // A function that answers at once has no reply to carry a failure: it fails at once.
    return RecordedRequest(function, std::move(fields),
                           [&body](Fields& fields, const Failure* inReply) {
                               return inReply ? inReply->code : body(fields);
                           });
}

LONG ModemEngine::RecordedRequest(Function function, Fields fields, const RequestBody& body) {
    std::lock_guard<std::mutex> lock(mutex_);
    Failure failure;
    const bool failed = TakeFailure(function, &failure);
    const LONG result =
        failed && !failure.inReply ? failure.code : body(fields, failed ? &failure : nullptr);
    Note(function, std::move(fields), result);
    return result;
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

std::shared_ptr<ModemEngine::App> ModemEngine::FindApp(DWORD handle, const TapiSide& side) {
    auto found = apps_.find(handle);
    if (found == apps_.end() || found->second->side->phone != side.phone) {
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

DWORD ModemEngine::DeviceCount(const TapiSide& side) const {
    return static_cast<DWORD>(side.phone ? settings_.phones.size() : settings_.lines.size());
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

void ModemEngine::PostTo(const OpenDevice& open, DWORD device, DWORD message, DWORD_PTR param1,
                         DWORD_PTR param2, DWORD_PTR param3) {
    Post(*open.app, device, message, open.instance, param1, param2, param3);
}

// LINE_REPLY or PHONE_REPLY: the request id, then 0 or the failure's code.
void ModemEngine::PostReply(const OpenDevice& open, LONG requestId, const Failure* failure) {
    const DWORD code = failure ? static_cast<DWORD>(failure->code) : 0;
    PostTo(open, 0, open.app->side->replyMessage, static_cast<DWORD_PTR>(requestId), code, 0);
}

// ---- open devices ----

void ModemEngine::Attach(OpenDevice& open, const TapiSide& side, std::shared_ptr<App> app,
                         DWORD device, DWORD_PTR instance, DWORD version) {
    open.handle = NextHandle(side.deviceBase);
    open.device = device;
    open.app = std::move(app);
    open.instance = instance;
    open.version = version;
}

bool ModemEngine::IsOpen(const TapiSide& side, DWORD device) const {
    return side.phone ? phones_.count(device) != 0 : lines_.count(device) != 0;
}

void ModemEngine::CloseDeviceLocked(const TapiSide& side, DWORD device) {
    if (side.phone) {
        phones_.erase(device);
        return;
    }
    // The owner going away hangs its calls up; nobody is left to tell.
    for (auto it = calls_.begin(); it != calls_.end();) {
        it = it->second.line == device ? calls_.erase(it) : std::next(it);
    }
    lines_.erase(device);
}

void ModemEngine::ShutdownApp(const std::shared_ptr<App>& app) {
    app->shutDown = true;
    reinitPending_.erase(app->handle);
    app->queue.clear();
    ResetEvent(app->ready.Get());
    SetEvent(app->wake.Get());
    std::vector<DWORD> owned;
    auto collect = [&](const auto& devices) {
        for (const auto& entry : devices) {
            if (entry.second.app == app) {
                owned.push_back(entry.first);
            }
        }
    };
    if (app->side->phone) {
        collect(phones_);
    } else {
        collect(lines_);
    }
    for (DWORD device : owned) {
        CloseDeviceLocked(*app->side, device);
    }
    apps_.erase(app->handle);
}

}  // namespace simmodem
