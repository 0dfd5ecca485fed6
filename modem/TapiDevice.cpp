// TAPI 2.x for one voice modem, as its Unimodem provider presents it.
#include "modem/TapiDevice.h"

#include <algorithm>
#include <vector>

#include "core/Messages.h"
#include "modem/CallerIdExtraction.h"

namespace {

constexpr char kAppName[] = "Voxtelo";
constexpr DWORD kRequestedVersion = 0x00020000;  // TAPI 2.0
constexpr size_t kFailedRepliesKept = 8;
constexpr DWORD kLineDevCapsSize = 1276;
constexpr DWORD kPhoneCapsSize = 1204;
constexpr DWORD kCallParamsSize = 1200;
constexpr DWORD kCallParamsFixedSize = 176;
constexpr DWORD kCallInfoSize = 1348;
constexpr DWORD kAllLineStates = 0x01FFFFFF;   // LINEDEVSTATE_OTHER .. LINEDEVSTATE_REMOVED
constexpr DWORD kAllPhoneStates = 0x00FFFFFF;  // PHONESTATE_OTHER .. PHONESTATE_REMOVED
constexpr DWORD_PTR kCallbackInstance = 1;

// TAPI answers with the highest version it supports (0x30001 on current Windows), but every
// structure here has the TAPI 2.0 layout: nothing is negotiated or opened above 2.0.
DWORD UsableVersion(DWORD returned) {
    return std::min(returned, kRequestedVersion);
}

// A zero-filled TAPI structure of `size` bytes with dwTotalSize set.
template <class T>
std::vector<unsigned char> VarStruct(DWORD size) {
    std::vector<unsigned char> buffer(size);
    reinterpret_cast<T*>(buffer.data())->dwTotalSize = size;
    return buffer;
}

}  // namespace

TapiDevice::TapiDevice(HWND window)
    : stopEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), window_(window) {}

TapiDevice::~TapiDevice() {
    ClosePhone();
    CloseLine();
}

int32_t TapiDevice::OpenLine(bool automatedVoice) {
    const DWORD wantedMode =
        automatedVoice ? LINEMEDIAMODE_AUTOMATEDVOICE : LINEMEDIAMODE_DATAMODEM;

    LINEINITIALIZEEXPARAMS params{};
    params.dwTotalSize = sizeof(params);
    params.dwOptions = LINEINITIALIZEEXOPTION_USEEVENT;
    DWORD deviceCount = 0;
    DWORD version = kRequestedVersion;
    LONG result =
        lineInitializeExA(&lineApp_, nullptr, nullptr, kAppName, &deviceCount, &version, &params);
    if (result != 0) {
        lineApp_ = 0;
        return result;
    }
    lineVersion_ = UsableVersion(version);
    version = lineVersion_;
    tapiEvent_ = params.Handles.hEvent;

    lineDeviceIndex_ = -1;
    for (DWORD id = 0; id < deviceCount && lineDeviceIndex_ < 0; ++id) {
        DWORD negotiated = 0;
        LINEEXTENSIONID extension{};
        if (lineNegotiateAPIVersion(lineApp_, id, version, version, &negotiated, &extension) != 0) {
            continue;
        }
        std::vector<unsigned char> caps = VarStruct<LINEDEVCAPS>(kLineDevCapsSize);
        auto* devCaps = reinterpret_cast<LINEDEVCAPS*>(caps.data());
        if (lineGetDevCapsA(lineApp_, id, negotiated, 0, devCaps) == 0 &&
            (devCaps->dwMediaModes & wantedMode)) {
            lineDeviceIndex_ = static_cast<int32_t>(id);
        }
    }
    if (lineDeviceIndex_ < 0) {
        return static_cast<int32_t>(LINEERR_BADDEVICEID);  // the application stays initialised
    }

    result = lineOpenA(lineApp_, static_cast<DWORD>(lineDeviceIndex_), &line_, version, 0,
                       kCallbackInstance, LINECALLPRIVILEGE_MONITOR | LINECALLPRIVILEGE_OWNER,
                       wantedMode, nullptr);
    if (result != 0) {
        lineShutdown(lineApp_);
        lineApp_ = 0;
        line_ = 0;
        return result;
    }
    result = lineSetStatusMessages(line_, kAllLineStates, 0);
    if (result != 0) {
        lineShutdown(lineApp_);
        lineApp_ = 0;
        line_ = 0;
        return result;
    }

    stop_ = false;
    ResetEvent(stopEvent_.Get());
    thread_ = std::thread([this] { MessageThread(); });
    return 0;
}

void TapiDevice::MessageThread() {
    try {
        ReadMessages();
    } catch (...) {
        // Falls through to the report below: nothing may end the process from here.
    }
    // Only CloseLine may end the thread; any other end leaves the line deaf, so say so.
    if (!stop_) {
        PostCode(msg::MODEM_EV_THREAD_ENDED);
    }
}

void TapiDevice::ReadMessages() {
    if (!tapiEvent_) {
        return;  // nothing would ever wake us
    }
    const HANDLE waits[] = {stopEvent_.Get(), tapiEvent_};
    while (!stop_) {
        // TAPI's event and our stop event together: teardown never waits for a time-out.
        const DWORD woken = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (woken != WAIT_OBJECT_0 + 1 || stop_) {
            return;
        }
        LINEMESSAGE message{};
        while (!stop_ && lineGetMessage(lineApp_, &message, 0) == 0) {
            const LineMessage portable{static_cast<uint32_t>(message.hDevice),
                                       message.dwMessageID,
                                       message.dwCallbackInstance,
                                       message.dwParam1,
                                       message.dwParam2,
                                       message.dwParam3};
            DispatchLineMessage(portable, *this);
        }
    }
}

void TapiDevice::PostCode(int code) {
    PostMessageA(window_, msg::UM_INTERNAL, msg::RECIPIENT_MODEM, code);
}

void TapiDevice::SetCurrentCall(uint32_t call) {
    std::lock_guard<std::mutex> lock(mutex_);
    currentCall_ = static_cast<HCALL>(call);
}

bool TapiDevice::HasCallerId() {
    std::lock_guard<std::mutex> lock(mutex_);
    return !callerId_.empty();
}

void TapiDevice::FetchCallerId() {
    std::vector<unsigned char> buffer = VarStruct<LINECALLINFO>(kCallInfoSize);
    // The result is deliberately not examined: a failed fetch leaves no caller ID.
    lineGetCallInfoA(CurrentCall(), reinterpret_cast<LINECALLINFO*>(buffer.data()));
    auto sizesOf = [](const std::vector<unsigned char>& b) {
        const auto* info = reinterpret_cast<const LINECALLINFO*>(b.data());
        return CallInfoSizes{info->dwTotalSize, info->dwNeededSize, info->dwUsedSize,
                             info->dwCallerIDSize, info->dwCallerIDOffset};
    };
    CallInfoSizes sizes = sizesOf(buffer);
    if (NeedsSecondFetch(sizes)) {
        if (sizes.neededSize > kMaxCallInfoSize) {
            // Allocating a bogus size would throw here and end the process; what the first
            // fetch holds is all there is.
            refusedCallInfoSize_ = sizes.neededSize;
            PostCode(msg::MODEM_EV_CALLINFO_REFUSED);
        } else {
            buffer = VarStruct<LINECALLINFO>(sizes.neededSize);
            lineGetCallInfoA(CurrentCall(), reinterpret_cast<LINECALLINFO*>(buffer.data()));
            sizes = sizesOf(buffer);
        }
    }
    std::string callerId = ExtractCallerId(buffer.data(), buffer.size(), sizes);
    std::lock_guard<std::mutex> lock(mutex_);
    callerId_ = std::move(callerId);
}

void TapiDevice::ClearCallerId() {
    std::lock_guard<std::mutex> lock(mutex_);
    callerId_.clear();
}

void TapiDevice::KeepFailedReply(uint32_t requestId, int32_t result) {
    std::lock_guard<std::mutex> lock(mutex_);
    failedReplies_.emplace_back(requestId, result);
    if (failedReplies_.size() > kFailedRepliesKept) {
        failedReplies_.pop_front();
    }
}

bool TapiDevice::IsOpenLineDevice(uint32_t deviceId) {
    return lineDeviceIndex_ >= 0 && deviceId == static_cast<uint32_t>(lineDeviceIndex_);
}

int32_t TapiDevice::TakeCallRequestFailure() {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto failed = std::find_if(failedReplies_.begin(), failedReplies_.end(), [&](auto& f) {
        return callRequest_ > 0 && f.first == static_cast<uint32_t>(callRequest_);
    });
    if (failed == failedReplies_.end()) {
        return 0;
    }
    const int32_t result = failed->second;
    failedReplies_.erase(failed);
    return result;
}

HCALL TapiDevice::CurrentCall() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return currentCall_;
}

std::string TapiDevice::GetCallerId() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return callerId_;
}

int32_t TapiDevice::OpenPhone() {
    if (phone_) {
        // Already open: only the speakerphone request is repeated.
        if (phoneSetHookSwitch(phone_, PHONEHOOKSWITCHDEV_SPEAKER, PHONEHOOKSWITCHMODE_MICSPEAKER) <
            0) {
            ClosePhone();
        }
        return 0;
    }
    if (!phoneApp_) {
        // Initialised once: after a search that found no phone, the application is kept and
        // a later call searches again without a second initialisation.
        PHONEINITIALIZEEXPARAMS params{};
        params.dwTotalSize = sizeof(params);
        params.dwOptions = PHONEINITIALIZEEXOPTION_USEEVENT;
        DWORD version = kRequestedVersion;
        const LONG result = phoneInitializeExA(&phoneApp_, nullptr, nullptr, kAppName,
                                               &phoneDeviceCount_, &version, &params);
        if (result != 0) {
            phoneApp_ = 0;
            return result;
        }
        phoneVersion_ = UsableVersion(version);
    }
    const DWORD version = phoneVersion_;
    const DWORD deviceCount = phoneDeviceCount_;

    phoneDeviceIndex_ = -1;
    for (DWORD id = 0; id < deviceCount && phoneDeviceIndex_ < 0; ++id) {
        DWORD negotiated = 0;
        PHONEEXTENSIONID extension{};
        if (phoneNegotiateAPIVersion(phoneApp_, id, version, version, &negotiated, &extension) !=
            0) {
            continue;
        }
        std::vector<unsigned char> caps = VarStruct<PHONECAPS>(kPhoneCapsSize);
        if (phoneGetDevCapsA(phoneApp_, id, negotiated, 0,
                             reinterpret_cast<PHONECAPS*>(caps.data())) == 0) {
            phoneDeviceIndex_ = static_cast<int32_t>(id);
        }
    }
    if (phoneDeviceIndex_ < 0) {
        return static_cast<int32_t>(PHONEERR_BADDEVICEID);  // the application stays initialised
    }

    LONG result = phoneOpen(phoneApp_, static_cast<DWORD>(phoneDeviceIndex_), &phone_, version, 0,
                            kCallbackInstance, PHONEPRIVILEGE_OWNER);
    if (result != 0) {
        phone_ = 0;
        ClosePhone();
        return result;
    }
    result = phoneSetStatusMessages(phone_, kAllPhoneStates, 0, 0);
    if (result != 0) {
        ClosePhone();
        return result;
    }
    // An accepted request (0 or a request id) keeps the phone open until teardown; a
    // refused one closes it at once. The call goes on either way.
    if (phoneSetHookSwitch(phone_, PHONEHOOKSWITCHDEV_SPEAKER, PHONEHOOKSWITCHMODE_MICSPEAKER) <
        0) {
        ClosePhone();
    }
    return 0;
}

void TapiDevice::ClosePhone() {
    if (phone_) {
        phoneClose(phone_);
        phone_ = 0;
    }
    if (phoneApp_) {
        phoneShutdown(phoneApp_);
        phoneApp_ = 0;
    }
    phoneDeviceIndex_ = -1;
}

int32_t TapiDevice::MakeCall(const char* number) {
    callRequest_ = 0;
    if (!number) {
        return static_cast<int32_t>(LINEERR_INVALPOINTER);
    }
    const size_t length = strlen(number);
    if (length > kMaxDialString) {
        return static_cast<int32_t>(LINEERR_INVALADDRESS);
    }
    std::vector<unsigned char> buffer = VarStruct<LINECALLPARAMS>(kCallParamsSize);
    auto* params = reinterpret_cast<LINECALLPARAMS*>(buffer.data());
    params->dwBearerMode = LINEBEARERMODE_VOICE;
    params->dwMediaMode = LINEMEDIAMODE_AUTOMATEDVOICE;
    params->dwCallParamFlags = LINECALLPARAMFLAGS_IDLE;
    params->dwAddressMode = LINEADDRESSMODE_ADDRESSID;
    params->dwAddressID = 0;
    // The dial string, with its zero, right after the TAPI 2.0 fixed part (the header's
    // sizeof is that of a later TAPI version's larger structure).
    const DWORD offset = kCallParamsFixedSize;
    memcpy(buffer.data() + offset, number, length + 1);
    params->dwDisplayableAddressOffset = offset;
    params->dwDisplayableAddressSize = static_cast<DWORD>(length);

    const LONG result = lineMakeCallA(line_, &currentCall_, number, 0, params);
    callRequest_ = result;
    return result < 0 ? result : 0;
}

int32_t TapiDevice::Answer() {
    const LONG result = lineAnswer(CurrentCall(), nullptr, 0);
    callRequest_ = result;
    return result < 0 ? result : 0;
}

int32_t TapiDevice::CloseLine() {
    if (thread_.joinable()) {
        stop_ = true;
        SetEvent(stopEvent_.Get());
        thread_.join();
    }
    const HCALL call = CurrentCall();
    if (call) {
        lineDrop(call, nullptr, 0);  // the result is of no use at teardown
        SetCurrentCall(0);
    }
    if (line_) {
        lineClose(line_);
        line_ = 0;
    }
    if (lineApp_) {
        lineShutdown(lineApp_);
        lineApp_ = 0;
        tapiEvent_ = nullptr;
    }
    lineDeviceIndex_ = -1;
    ClearCallerId();
    return 0;
}
