// The phone side of the simulated modem: the speakerphone devices that Unimodem offers for
// voice modems, opened to switch the speaker and microphone on and off.
#include "sim/modem/ModemEngine.h"

#include "sim/modem/TapiNames.h"
#include "sim/modem/VariablePart.h"

namespace simmodem {
namespace {

constexpr DWORD kAllPhoneStates = 0x00FFFFFF;  // PHONESTATE_OTHER .. _REMOVED
constexpr DWORD kSpeakerModes =
    PHONEHOOKSWITCHMODE_ONHOOK | PHONEHOOKSWITCHMODE_SPEAKER | PHONEHOOKSWITCHMODE_MICSPEAKER;

}  // namespace

LONG ModemEngine::PhoneGetDevCaps(HPHONEAPP app, DWORD device, DWORD version, DWORD extVersion,
                                  LPPHONECAPS caps) {
    const DWORD fixed = PhoneCapsFixedSize(version);
    return GetDevCaps(
        kPhoneSide, app, device, version, extVersion, caps, fixed, [&](Fields& fields) {
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
            part.AddString(&caps->dwProviderInfoSize, &caps->dwProviderInfoOffset,
                           settings_.provider);
            part.AddString(&caps->dwPhoneInfoSize, &caps->dwPhoneInfoOffset,
                           "Speakerphone of a voice modem");
            part.AddString(&caps->dwPhoneNameSize, &caps->dwPhoneNameOffset,
                           settings_.phones[device]);
            part.Add(&caps->dwDeviceClassesSize, &caps->dwDeviceClassesOffset, kClasses,
                     sizeof kClasses);
            part.Finish();
            fields.emplace_back("needed", std::to_string(caps->dwNeededSize));
        });
}

LONG ModemEngine::PhoneOpen(HPHONEAPP appHandle, DWORD device, LPHPHONE phone, DWORD version,
                            DWORD extVersion, DWORD_PTR instance, DWORD privilege) {
    Fields fields = OpenFields(appHandle, device, version, extVersion, instance);
    fields.emplace_back("privilege", Hex(privilege));
    return Recorded(Function::phoneOpen, std::move(fields), [&](Fields& fields) -> LONG {
        std::shared_ptr<App> app = FindApp(appHandle, kPhoneSide);
        if (!app) {
            return PHONEERR_INVALAPPHANDLE;
        }
        if (const LONG refused = RefuseOpen(kPhoneSide, device, phone, version, extVersion)) {
            return refused;
        }
        if (privilege != PHONEPRIVILEGE_OWNER && privilege != PHONEPRIVILEGE_MONITOR) {
            return PHONEERR_INVALPRIVILEGE;
        }
        if (privilege == PHONEPRIVILEGE_OWNER) {
            for (const auto& entry : phones_) {
                if (entry.second.device == device &&
                    entry.second.privilege == PHONEPRIVILEGE_OWNER) {
                    return PHONEERR_INUSE;  // a phone device has at most one owner
                }
            }
        }
        Phone open;
        Attach(open, kPhoneSide, app, device, instance, version);
        open.privilege = privilege;
        phones_[open.handle] = open;
        *phone = open.handle;
        fields.emplace_back("phone", Hex(open.handle));
        return 0;
    });
}

LONG ModemEngine::PhoneSetStatusMessages(HPHONE phone, DWORD phoneStates, DWORD buttonModes,
                                         DWORD buttonStates) {
    Fields fields = {{"phone", Hex(phone)},
                     {"phoneStates", Hex(phoneStates)},
                     {"buttonModes", Hex(buttonModes)},
                     {"buttonStates", Hex(buttonStates)}};
    return Recorded(Function::phoneSetStatusMessages, std::move(fields), [&](Fields&) -> LONG {
        Phone* open = FindPhone(phone);
        if (!open) {
            return PHONEERR_INVALPHONEHANDLE;
        }
        if (phoneStates & ~kAllPhoneStates) {
            return PHONEERR_INVALPHONESTATE;
        }
        if (buttonModes != 0 || buttonStates != 0) {
            return PHONEERR_INVALBUTTONMODE;  // the speakerphone has no buttons
        }
        open->phoneStates = phoneStates;
        return 0;
    });
}

LONG ModemEngine::PhoneSetHookSwitch(HPHONE phone, DWORD devices, DWORD mode) {
    Fields fields = {{"phone", Hex(phone)}, {"devices", Hex(devices)}, {"mode", Hex(mode)}};
    auto body = [&](Fields&, const Failure* inReply) -> LONG {
        Phone* open = FindPhone(phone);
        if (!open) {
            return PHONEERR_INVALPHONEHANDLE;
        }
        if (open->privilege != PHONEPRIVILEGE_OWNER) {
            return PHONEERR_NOTOWNER;
        }
        if (devices == 0 || (devices & ~PHONEHOOKSWITCHDEV_SPEAKER)) {
            return PHONEERR_INVALHOOKSWITCHDEV;
        }
        if (!(mode & kSpeakerModes) || (mode & (mode - 1))) {
            return PHONEERR_INVALHOOKSWITCHMODE;
        }
        const bool zero = !inReply && settings_.hookSwitchResult == HookSwitchResult::Zero;
        const LONG result = zero ? 0 : NextRequestId();
        if (!zero) {
            PostReply(*open, result, inReply);
        }
        if (!inReply) {
            open->speakerMode = mode;
            if (open->phoneStates & PHONESTATE_SPEAKERHOOKSWITCH) {
                PostTo(*open, open->handle, PHONE_STATE, PHONESTATE_SPEAKERHOOKSWITCH, mode, 0);
            }
        }
        return result;
    };
    return RecordedRequest(Function::phoneSetHookSwitch, std::move(fields), body);
}

}  // namespace simmodem
