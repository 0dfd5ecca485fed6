// The phone side of the simulated modem: the speakerphone devices that Unimodem offers for
// voice modems, opened to switch the speaker and microphone on and off.
#include "sim/modem/ModemEngine.h"

#include "sim/modem/TapiNames.h"
#include "sim/modem/VariablePart.h"

#include <cstring>

namespace simmodem {
namespace {

constexpr DWORD kAllPhoneStates = 0x00FFFFFF;  // PHONESTATE_OTHER .. _REMOVED
constexpr DWORD kSpeakerModes =
    PHONEHOOKSWITCHMODE_ONHOOK | PHONEHOOKSWITCHMODE_SPEAKER | PHONEHOOKSWITCHMODE_MICSPEAKER;

std::string Text(LPCSTR text) {
    return text ? text : "(null)";
}

}  // namespace

LONG ModemEngine::PhoneInitializeEx(LPHPHONEAPP app, LPCSTR appName, LPDWORD numDevs,
                                    LPDWORD apiVersion, LPPHONEINITIALIZEEXPARAMS params) {
    std::lock_guard<std::mutex> lock(mutex_);
    Fields fields = {{"app", Text(appName)},
                     {"version", apiVersion ? Hex(*apiVersion) : "(null)"},
                     {"options", params ? Hex(params->dwOptions) : "(null)"}};
    LONG result;
    Failure failure;
    if (TakeFailure(Function::phoneInitializeExA, &failure)) {
        result = failure.code;
    } else if (!params || !app) {
        result = PHONEERR_INVALPOINTER;
    } else {
        DWORD handle = 0;
        HANDLE event = nullptr;
        result = Initialize(true, &handle, appName, numDevs, apiVersion, params->dwTotalSize,
                            params->dwOptions, &event);
        if (result == 0) {
            *app = handle;
            params->Handles.hEvent = event;
            params->dwNeededSize = offsetof(PHONEINITIALIZEEXPARAMS, Handles) + sizeof(HANDLE);
            params->dwUsedSize = params->dwNeededSize;
            fields.emplace_back("handle", Hex(handle));
            fields.emplace_back("devices", std::to_string(*numDevs));
            fields.emplace_back("returnedVersion", Hex(*apiVersion));
        }
    }
    Note(Function::phoneInitializeExA, std::move(fields), result);
    return result;
}

LONG ModemEngine::PhoneNegotiateAPIVersion(HPHONEAPP app, DWORD device, DWORD low, DWORD high,
                                           LPDWORD version, LPPHONEEXTENSIONID extension) {
    std::lock_guard<std::mutex> lock(mutex_);
    Fields fields = {{"app", Hex(app)},
                     {"device", std::to_string(device)},
                     {"low", Hex(low)},
                     {"high", Hex(high)}};
    LONG result = 0;
    Failure failure;
    if (TakeFailure(Function::phoneNegotiateAPIVersion, &failure)) {
        result = failure.code;
    } else if (!FindApp(app, true)) {
        result = PHONEERR_INVALAPPHANDLE;
    } else if (device >= settings_.phones.size()) {
        result = PHONEERR_BADDEVICEID;
    } else if (!version || !extension) {
        result = PHONEERR_INVALPOINTER;
    } else if (low > high || high < kLowestApiVersion || low > settings_.highestApiVersion) {
        result = PHONEERR_INCOMPATIBLEAPIVERSION;
    } else {
        *version = high < settings_.highestApiVersion ? high : settings_.highestApiVersion;
        std::memset(extension, 0, sizeof *extension);
        fields.emplace_back("negotiated", Hex(*version));
    }
    Note(Function::phoneNegotiateAPIVersion, std::move(fields), result);
    return result;
}

LONG ModemEngine::PhoneGetDevCaps(HPHONEAPP app, DWORD device, DWORD version, DWORD extVersion,
                                  LPPHONECAPS caps) {
    std::lock_guard<std::mutex> lock(mutex_);
    Fields fields = {{"app", Hex(app)},
                     {"device", std::to_string(device)},
                     {"version", Hex(version)},
                     {"total", caps ? std::to_string(caps->dwTotalSize) : "(null)"}};
    LONG result = 0;
    Failure failure;
    const DWORD fixed = PhoneCapsFixedSize(version);
    if (TakeFailure(Function::phoneGetDevCapsA, &failure)) {
        result = failure.code;
    } else if (!FindApp(app, true)) {
        result = PHONEERR_INVALAPPHANDLE;
    } else if (device >= settings_.phones.size()) {
        result = PHONEERR_BADDEVICEID;
    } else if (!VersionSupported(version)) {
        result = PHONEERR_INCOMPATIBLEAPIVERSION;
    } else if (extVersion != 0) {
        result = PHONEERR_INCOMPATIBLEEXTVERSION;
    } else if (!caps) {
        result = PHONEERR_INVALPOINTER;
    } else if (caps->dwTotalSize < fixed) {
        result = PHONEERR_STRUCTURETOOSMALL;
    } else {
        std::memset(reinterpret_cast<char*>(caps) + sizeof(DWORD), 0, fixed - sizeof(DWORD));
        caps->dwPermanentPhoneID = 0x2000 + device;
        caps->dwStringFormat = STRINGFORMAT_ASCII;
        caps->dwPhoneStates = PHONESTATE_OTHER | PHONESTATE_OWNER | PHONESTATE_MONITORS |
                              PHONESTATE_SPEAKERHOOKSWITCH | PHONESTATE_REINIT |
                              PHONESTATE_CAPSCHANGE | PHONESTATE_REMOVED;
        caps->dwHookSwitchDevs = PHONEHOOKSWITCHDEV_SPEAKER;
        caps->dwSpeakerHookSwitchModes = kSpeakerModes;
        caps->dwPhoneFeatures =
            PHONEFEATURE_GETHOOKSWITCHSPEAKER | PHONEFEATURE_SETHOOKSWITCHSPEAKER;
        caps->dwSettableSpeakerHookSwitchModes = kSpeakerModes;
        caps->dwMonitoredSpeakerHookSwitchModes = kSpeakerModes;
        static const char kClasses[] = "tapi/phone\0wave/in\0wave/out\0";
        VariablePart part(caps, fixed);
        part.AddString(&caps->dwProviderInfoSize, &caps->dwProviderInfoOffset, settings_.provider);
        part.AddString(&caps->dwPhoneInfoSize, &caps->dwPhoneInfoOffset,
                       "Speakerphone of a voice modem");
        part.AddString(&caps->dwPhoneNameSize, &caps->dwPhoneNameOffset, settings_.phones[device]);
        part.Add(&caps->dwDeviceClassesSize, &caps->dwDeviceClassesOffset, kClasses,
                 sizeof kClasses);
        part.Finish();
        fields.emplace_back("needed", std::to_string(caps->dwNeededSize));
    }
    Note(Function::phoneGetDevCapsA, std::move(fields), result);
    return result;
}

LONG ModemEngine::PhoneOpen(HPHONEAPP appHandle, DWORD device, LPHPHONE phone, DWORD version,
                            DWORD extVersion, DWORD_PTR instance, DWORD privilege) {
    std::lock_guard<std::mutex> lock(mutex_);
    Fields fields = {{"app", Hex(appHandle)},
                     {"device", std::to_string(device)},
                     {"version", Hex(version)},
                     {"extVersion", Hex(extVersion)},
                     {"instance", Hex(static_cast<uint32_t>(instance))},
                     {"privilege", Hex(privilege)}};
    LONG result = 0;
    Failure failure;
    std::shared_ptr<App> app = FindApp(appHandle, true);
    bool ownerTaken = false;
    for (const auto& entry : phones_) {
        ownerTaken = ownerTaken || (entry.second.device == device &&
                                    entry.second.privilege == PHONEPRIVILEGE_OWNER);
    }
    if (TakeFailure(Function::phoneOpen, &failure)) {
        result = failure.code;
    } else if (!app) {
        result = PHONEERR_INVALAPPHANDLE;
    } else if (device >= settings_.phones.size()) {
        result = PHONEERR_BADDEVICEID;
    } else if (!phone) {
        result = PHONEERR_INVALPOINTER;
    } else if (!VersionSupported(version)) {
        result = PHONEERR_INCOMPATIBLEAPIVERSION;
    } else if (extVersion != 0) {
        result = PHONEERR_INCOMPATIBLEEXTVERSION;
    } else if (privilege != PHONEPRIVILEGE_OWNER && privilege != PHONEPRIVILEGE_MONITOR) {
        result = PHONEERR_INVALPRIVILEGE;
    } else if (privilege == PHONEPRIVILEGE_OWNER && ownerTaken) {
        result = PHONEERR_INUSE;  // a phone device has at most one owner
    } else {
        Phone open;
        open.handle = NextHandle(kPhoneBase);
        open.device = device;
        open.app = app;
        open.instance = instance;
        open.version = version;
        open.privilege = privilege;
        phones_[open.handle] = open;
        *phone = open.handle;
        fields.emplace_back("phone", Hex(open.handle));
    }
    Note(Function::phoneOpen, std::move(fields), result);
    return result;
}

LONG ModemEngine::PhoneSetStatusMessages(HPHONE phone, DWORD phoneStates, DWORD buttonModes,
                                         DWORD buttonStates) {
    std::lock_guard<std::mutex> lock(mutex_);
    Fields fields = {{"phone", Hex(phone)},
                     {"phoneStates", Hex(phoneStates)},
                     {"buttonModes", Hex(buttonModes)},
                     {"buttonStates", Hex(buttonStates)}};
    LONG result = 0;
    Failure failure;
    Phone* open = FindPhone(phone);
    if (TakeFailure(Function::phoneSetStatusMessages, &failure)) {
        result = failure.code;
    } else if (!open) {
        result = PHONEERR_INVALPHONEHANDLE;
    } else if (phoneStates & ~kAllPhoneStates) {
        result = PHONEERR_INVALPHONESTATE;
    } else if (buttonModes != 0 || buttonStates != 0) {
        result = PHONEERR_INVALBUTTONMODE;  // the speakerphone has no buttons
    } else {
        open->phoneStates = phoneStates;
    }
    Note(Function::phoneSetStatusMessages, std::move(fields), result);
    return result;
}

LONG ModemEngine::PhoneSetHookSwitch(HPHONE phone, DWORD devices, DWORD mode) {
    std::lock_guard<std::mutex> lock(mutex_);
    Fields fields = {{"phone", Hex(phone)}, {"devices", Hex(devices)}, {"mode", Hex(mode)}};
    LONG result = 0;
    Failure failure;
    const bool failed = TakeFailure(Function::phoneSetHookSwitch, &failure);
    Phone* open = FindPhone(phone);
    if (failed && !failure.inReply) {
        result = failure.code;
    } else if (!open) {
        result = PHONEERR_INVALPHONEHANDLE;
    } else if (open->privilege != PHONEPRIVILEGE_OWNER) {
        result = PHONEERR_NOTOWNER;
    } else if (devices == 0 || (devices & ~PHONEHOOKSWITCHDEV_SPEAKER)) {
        result = PHONEERR_INVALHOOKSWITCHDEV;
    } else if (!(mode & kSpeakerModes) || (mode & (mode - 1))) {
        result = PHONEERR_INVALHOOKSWITCHMODE;
    } else {
        const bool zero = !failed && settings_.hookSwitchResult == HookSwitchResult::Zero;
        result = zero ? 0 : NextRequestId();
        if (!zero) {
            const DWORD replyCode = failed ? static_cast<DWORD>(failure.code) : 0;
            Post(*open->app, 0, PHONE_REPLY, open->instance, static_cast<DWORD_PTR>(result),
                 replyCode, 0);
        }
        if (!failed) {
            open->speakerMode = mode;
            if (open->phoneStates & PHONESTATE_SPEAKERHOOKSWITCH) {
                Post(*open->app, open->handle, PHONE_STATE, open->instance,
                     PHONESTATE_SPEAKERHOOKSWITCH, mode, 0);
            }
        }
    }
    Note(Function::phoneSetHookSwitch, std::move(fields), result);
    return result;
}

LONG ModemEngine::PhoneGetMessage(HPHONEAPP app, LPPHONEMESSAGE message, DWORD timeout) {
    static_assert(sizeof(PHONEMESSAGE) == sizeof(LINEMESSAGE), "same record layout");
    LINEMESSAGE taken{};
    const LONG result = GetMessage(app, true, message ? &taken : nullptr, timeout);
    if (result == 0) {
        std::memcpy(message, &taken, sizeof taken);
    }
    return result;
}

LONG ModemEngine::PhoneClose(HPHONE phone) {
    std::lock_guard<std::mutex> lock(mutex_);
    Fields fields = {{"phone", Hex(phone)}};
    LONG result = 0;
    Failure failure;
    if (TakeFailure(Function::phoneClose, &failure)) {
        result = failure.code;
    } else if (!FindPhone(phone)) {
        result = PHONEERR_INVALPHONEHANDLE;
    } else {
        phones_.erase(phone);
    }
    Note(Function::phoneClose, std::move(fields), result);
    return result;
}

LONG ModemEngine::PhoneShutdown(HPHONEAPP appHandle) {
    std::lock_guard<std::mutex> lock(mutex_);
    Fields fields = {{"app", Hex(appHandle)}};
    LONG result = 0;
    Failure failure;
    std::shared_ptr<App> app = FindApp(appHandle, true);
    if (TakeFailure(Function::phoneShutdown, &failure)) {
        result = failure.code;
    } else if (!app) {
        result = PHONEERR_INVALAPPHANDLE;
    } else {
        ShutdownApp(app);
    }
    Note(Function::phoneShutdown, std::move(fields), result);
    return result;
}

}  // namespace simmodem
