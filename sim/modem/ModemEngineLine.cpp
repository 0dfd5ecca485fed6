// The line devices of the simulated modem: what each one reports it can do, opening it with
// privileges and media modes, and the line states an application asks to hear about.
#include "sim/modem/ModemEngine.h"

#include "sim/modem/TapiNames.h"
#include "sim/modem/VariablePart.h"

namespace simmodem {
namespace {

constexpr DWORD kAllLineDevStates = 0x01FFFFFF;  // LINEDEVSTATE_OTHER .. _REMOVED
constexpr DWORD kAllAddressStates = 0x000001FF;  // LINEADDRESSSTATE_OTHER .. _CAPSCHANGE

}  // namespace

LONG ModemEngine::LineGetDevCaps(HLINEAPP app, DWORD device, DWORD version, DWORD extVersion,
                                 LPLINEDEVCAPS caps) {
    const DWORD fixed = LineDevCapsFixedSize(version);
    return GetDevCaps(
        kLineSide, app, device, version, extVersion, caps, fixed, [&](Fields& fields) {
            const LineDeviceSetting& configured = settings_.lines[device];
            const bool voice = (configured.mediaModes & LINEMEDIAMODE_AUTOMATEDVOICE) != 0;
            caps->dwPermanentLineID = 0x1000 + device;
            caps->dwStringFormat = STRINGFORMAT_ASCII;
            caps->dwAddressModes = LINEADDRESSMODE_ADDRESSID;
            caps->dwNumAddresses = 1;
            caps->dwBearerModes = LINEBEARERMODE_VOICE | LINEBEARERMODE_PASSTHROUGH;
            caps->dwMaxRate = 57600;
            caps->dwMediaModes = configured.mediaModes;
            caps->dwGenerateDigitModes = voice ? LINEDIGITMODE_DTMF : 0;
            caps->dwMonitorDigitModes = voice ? LINEDIGITMODE_DTMF | LINEDIGITMODE_DTMFEND : 0;
            caps->dwDevCapFlags = LINEDEVCAPFLAGS_DIALBILLING | LINEDEVCAPFLAGS_DIALQUIET |
                                  LINEDEVCAPFLAGS_DIALDIALTONE;
            caps->dwMaxNumActiveCalls = 1;
            caps->dwAnswerMode = LINEANSWERMODE_NONE;
            caps->dwRingModes = 1;
            caps->dwLineStates = LINEDEVSTATE_OTHER | LINEDEVSTATE_RINGING |
                                 LINEDEVSTATE_CONNECTED | LINEDEVSTATE_DISCONNECTED |
                                 LINEDEVSTATE_OPEN | LINEDEVSTATE_CLOSE | LINEDEVSTATE_REINIT |
                                 LINEDEVSTATE_CAPSCHANGE | LINEDEVSTATE_REMOVED;
            caps->dwLineFeatures = LINEFEATURE_MAKECALL;
            static const char kDataClasses[] = "tapi/line\0comm\0comm/datamodem\0";
            static const char kVoiceClasses[] =
                "tapi/line\0comm\0comm/datamodem\0wave/in\0wave/out\0tapi/phone\0";
            VariablePart part(caps, fixed);
            part.AddString(&caps->dwProviderInfoSize, &caps->dwProviderInfoOffset,
                           settings_.provider);
            part.AddString(&caps->dwLineNameSize, &caps->dwLineNameOffset, configured.name);
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
            fields.emplace_back("mediaModes", Hex(configured.mediaModes));
        });
}

LONG ModemEngine::LineOpen(HLINEAPP appHandle, DWORD device, LPHLINE line, DWORD version,
                           DWORD extVersion, DWORD_PTR instance, DWORD privileges, DWORD mediaModes,
                           LPLINECALLPARAMS params) {
    Fields fields = OpenFields(appHandle, device, version, extVersion, instance);
    fields.emplace_back("privileges", Hex(privileges));
    fields.emplace_back("mediaModes", Hex(mediaModes));
    fields.emplace_back("params", params ? "yes" : "no");
    return Recorded(Function::lineOpenA, std::move(fields), [&](Fields& fields) -> LONG {
        const DWORD known =
            LINECALLPRIVILEGE_NONE | LINECALLPRIVILEGE_MONITOR | LINECALLPRIVILEGE_OWNER;
        std::shared_ptr<App> app = FindApp(appHandle, kLineSide);
        if (!app) {
            return LINEERR_INVALAPPHANDLE;
        }
        if (device == LINEMAPPER) {
            return LINEERR_OPERATIONUNAVAIL;  // the line mapper is not simulated
        }
        if (const LONG refused = RefuseOpen(kLineSide, device, line, version, extVersion)) {
            return refused;
        }
        if (privileges == 0 || (privileges & ~known) ||
            ((privileges & LINECALLPRIVILEGE_NONE) && privileges != LINECALLPRIVILEGE_NONE)) {
            return LINEERR_INVALPRIVSELECT;
        }
        if ((privileges & LINECALLPRIVILEGE_OWNER) &&
            (mediaModes == 0 || (mediaModes & ~settings_.lines[device].mediaModes))) {
            return LINEERR_INVALMEDIAMODE;
        }
        Line open;
        Attach(open, kLineSide, app, device, instance, version);
        open.privileges = privileges;
        open.mediaModes = mediaModes;
        lines_[open.handle] = open;
        *line = open.handle;
        fields.emplace_back("line", Hex(open.handle));
        return 0;
    });
}

LONG ModemEngine::LineSetStatusMessages(HLINE line, DWORD lineStates, DWORD addressStates) {
    Fields fields = {{"line", Hex(line)},
                     {"lineStates", Hex(lineStates)},
                     {"addressStates", Hex(addressStates)}};
    return Recorded(Function::lineSetStatusMessages, std::move(fields), [&](Fields&) -> LONG {
        Line* open = FindLine(line);
        if (!open) {
            return LINEERR_INVALLINEHANDLE;
        }
        if (lineStates & ~kAllLineDevStates) {
            return LINEERR_INVALLINESTATE;
        }
        if (addressStates & ~kAllAddressStates) {
            return LINEERR_INVALADDRESSSTATE;
        }
        open->lineStates = lineStates;
        open->addressStates = addressStates;
        return 0;
    });
}

}  // namespace simmodem
