// Name tables of the simulated modem, built from the constants of the TAPI header so the
// numbers always agree with what the program is compiled against.
#include "sim/modem/TapiNames.h"

#include <windows.h>
#include <tapi.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace simmodem {
namespace {

struct Named {
    const char* name;
    uint32_t value;
};

#define NAMED(x) \
    { #x, static_cast < uint32_t>(x) }

const Named kResults[] = {
    NAMED(LINEERR_ALLOCATED),
    NAMED(LINEERR_BADDEVICEID),
    NAMED(LINEERR_BEARERMODEUNAVAIL),
    NAMED(LINEERR_CALLUNAVAIL),
    NAMED(LINEERR_COMPLETIONOVERRUN),
    NAMED(LINEERR_CONFERENCEFULL),
    NAMED(LINEERR_DIALBILLING),
    NAMED(LINEERR_DIALDIALTONE),
    NAMED(LINEERR_DIALPROMPT),
    NAMED(LINEERR_DIALQUIET),
    NAMED(LINEERR_INCOMPATIBLEAPIVERSION),
    NAMED(LINEERR_INCOMPATIBLEEXTVERSION),
    NAMED(LINEERR_INIFILECORRUPT),
    NAMED(LINEERR_INUSE),
    NAMED(LINEERR_INVALADDRESS),
    NAMED(LINEERR_INVALADDRESSID),
    NAMED(LINEERR_INVALADDRESSMODE),
    NAMED(LINEERR_INVALADDRESSSTATE),
    NAMED(LINEERR_INVALAPPHANDLE),
    NAMED(LINEERR_INVALAPPNAME),
    NAMED(LINEERR_INVALBEARERMODE),
    NAMED(LINEERR_INVALCALLCOMPLMODE),
    NAMED(LINEERR_INVALCALLHANDLE),
    NAMED(LINEERR_INVALCALLPARAMS),
    NAMED(LINEERR_INVALCALLPRIVILEGE),
    NAMED(LINEERR_INVALCALLSELECT),
    NAMED(LINEERR_INVALCALLSTATE),
    NAMED(LINEERR_INVALCALLSTATELIST),
    NAMED(LINEERR_INVALCARD),
    NAMED(LINEERR_INVALCOMPLETIONID),
    NAMED(LINEERR_INVALCONFCALLHANDLE),
    NAMED(LINEERR_INVALCONSULTCALLHANDLE),
    NAMED(LINEERR_INVALCOUNTRYCODE),
    NAMED(LINEERR_INVALDEVICECLASS),
    NAMED(LINEERR_INVALDEVICEHANDLE),
    NAMED(LINEERR_INVALDIALPARAMS),
    NAMED(LINEERR_INVALDIGITLIST),
    NAMED(LINEERR_INVALDIGITMODE),
    NAMED(LINEERR_INVALDIGITS),
    NAMED(LINEERR_INVALEXTVERSION),
    NAMED(LINEERR_INVALGROUPID),
    NAMED(LINEERR_INVALLINEHANDLE),
    NAMED(LINEERR_INVALLINESTATE),
    NAMED(LINEERR_INVALLOCATION),
    NAMED(LINEERR_INVALMEDIALIST),
    NAMED(LINEERR_INVALMEDIAMODE),
    NAMED(LINEERR_INVALMESSAGEID),
    NAMED(LINEERR_INVALPARAM),
    NAMED(LINEERR_INVALPARKID),
    NAMED(LINEERR_INVALPARKMODE),
    NAMED(LINEERR_INVALPOINTER),
    NAMED(LINEERR_INVALPRIVSELECT),
    NAMED(LINEERR_INVALRATE),
    NAMED(LINEERR_INVALREQUESTMODE),
    NAMED(LINEERR_INVALTERMINALID),
    NAMED(LINEERR_INVALTERMINALMODE),
    NAMED(LINEERR_INVALTIMEOUT),
    NAMED(LINEERR_INVALTONE),
    NAMED(LINEERR_INVALTONELIST),
    NAMED(LINEERR_INVALTONEMODE),
    NAMED(LINEERR_INVALTRANSFERMODE),
    NAMED(LINEERR_LINEMAPPERFAILED),
    NAMED(LINEERR_NOCONFERENCE),
    NAMED(LINEERR_NODEVICE),
    NAMED(LINEERR_NODRIVER),
    NAMED(LINEERR_NOMEM),
    NAMED(LINEERR_NOREQUEST),
    NAMED(LINEERR_NOTOWNER),
    NAMED(LINEERR_NOTREGISTERED),
    NAMED(LINEERR_OPERATIONFAILED),
    NAMED(LINEERR_OPERATIONUNAVAIL),
    NAMED(LINEERR_RATEUNAVAIL),
    NAMED(LINEERR_RESOURCEUNAVAIL),
    NAMED(LINEERR_REQUESTOVERRUN),
    NAMED(LINEERR_STRUCTURETOOSMALL),
    NAMED(LINEERR_TARGETNOTFOUND),
    NAMED(LINEERR_TARGETSELF),
    NAMED(LINEERR_UNINITIALIZED),
    NAMED(LINEERR_USERUSERINFOTOOBIG),
    NAMED(LINEERR_REINIT),
    NAMED(LINEERR_ADDRESSBLOCKED),
    NAMED(LINEERR_BILLINGREJECTED),
    NAMED(LINEERR_INVALFEATURE),
    NAMED(LINEERR_NOMULTIPLEINSTANCE),
    NAMED(PHONEERR_ALLOCATED),
    NAMED(PHONEERR_BADDEVICEID),
    NAMED(PHONEERR_INCOMPATIBLEAPIVERSION),
    NAMED(PHONEERR_INCOMPATIBLEEXTVERSION),
    NAMED(PHONEERR_INIFILECORRUPT),
    NAMED(PHONEERR_INUSE),
    NAMED(PHONEERR_INVALAPPHANDLE),
    NAMED(PHONEERR_INVALAPPNAME),
    NAMED(PHONEERR_INVALBUTTONLAMPID),
    NAMED(PHONEERR_INVALBUTTONMODE),
    NAMED(PHONEERR_INVALBUTTONSTATE),
    NAMED(PHONEERR_INVALDATAID),
    NAMED(PHONEERR_INVALDEVICECLASS),
    NAMED(PHONEERR_INVALEXTVERSION),
    NAMED(PHONEERR_INVALHOOKSWITCHDEV),
    NAMED(PHONEERR_INVALHOOKSWITCHMODE),
    NAMED(PHONEERR_INVALLAMPMODE),
    NAMED(PHONEERR_INVALPARAM),
    NAMED(PHONEERR_INVALPHONEHANDLE),
    NAMED(PHONEERR_INVALPHONESTATE),
    NAMED(PHONEERR_INVALPOINTER),
    NAMED(PHONEERR_INVALPRIVILEGE),
    NAMED(PHONEERR_INVALRINGMODE),
    NAMED(PHONEERR_NODEVICE),
    NAMED(PHONEERR_NODRIVER),
    NAMED(PHONEERR_NOMEM),
    NAMED(PHONEERR_NOTOWNER),
    NAMED(PHONEERR_OPERATIONFAILED),
    NAMED(PHONEERR_OPERATIONUNAVAIL),
    NAMED(PHONEERR_RESOURCEUNAVAIL),
    NAMED(PHONEERR_REQUESTOVERRUN),
    NAMED(PHONEERR_STRUCTURETOOSMALL),
    NAMED(PHONEERR_UNINITIALIZED),
    NAMED(PHONEERR_REINIT),
};

const Named kLineMessages[] = {
    NAMED(LINE_ADDRESSSTATE),  NAMED(LINE_CALLINFO),     NAMED(LINE_CALLSTATE),
    NAMED(LINE_CLOSE),         NAMED(LINE_DEVSPECIFIC),  NAMED(LINE_DEVSPECIFICFEATURE),
    NAMED(LINE_GATHERDIGITS),  NAMED(LINE_GENERATE),     NAMED(LINE_LINEDEVSTATE),
    NAMED(LINE_MONITORDIGITS), NAMED(LINE_MONITORMEDIA), NAMED(LINE_MONITORTONE),
    NAMED(LINE_REPLY),         NAMED(LINE_REQUEST),      NAMED(LINE_CREATE),
    NAMED(LINE_REMOVE),        NAMED(LINE_APPNEWCALL),
};

// Without the prefix: they are read and shown as "CONNECTED", "busy".
const Named kCallStates[] = {
    {"IDLE", LINECALLSTATE_IDLE},
    {"OFFERING", LINECALLSTATE_OFFERING},
    {"ACCEPTED", LINECALLSTATE_ACCEPTED},
    {"DIALTONE", LINECALLSTATE_DIALTONE},
    {"DIALING", LINECALLSTATE_DIALING},
    {"RINGBACK", LINECALLSTATE_RINGBACK},
    {"BUSY", LINECALLSTATE_BUSY},
    {"SPECIALINFO", LINECALLSTATE_SPECIALINFO},
    {"CONNECTED", LINECALLSTATE_CONNECTED},
    {"PROCEEDING", LINECALLSTATE_PROCEEDING},
    {"ONHOLD", LINECALLSTATE_ONHOLD},
    {"CONFERENCED", LINECALLSTATE_CONFERENCED},
    {"ONHOLDPENDCONF", LINECALLSTATE_ONHOLDPENDCONF},
    {"ONHOLDPENDTRANSFER", LINECALLSTATE_ONHOLDPENDTRANSFER},
    {"DISCONNECTED", LINECALLSTATE_DISCONNECTED},
    {"UNKNOWN", LINECALLSTATE_UNKNOWN},
};

const Named kDisconnectModes[] = {
    {"normal", LINEDISCONNECTMODE_NORMAL},
    {"unknown", LINEDISCONNECTMODE_UNKNOWN},
    {"reject", LINEDISCONNECTMODE_REJECT},
    {"pickup", LINEDISCONNECTMODE_PICKUP},
    {"forwarded", LINEDISCONNECTMODE_FORWARDED},
    {"busy", LINEDISCONNECTMODE_BUSY},
    {"noanswer", LINEDISCONNECTMODE_NOANSWER},
    {"badaddress", LINEDISCONNECTMODE_BADADDRESS},
    {"unreachable", LINEDISCONNECTMODE_UNREACHABLE},
    {"congestion", LINEDISCONNECTMODE_CONGESTION},
    {"incompatible", LINEDISCONNECTMODE_INCOMPATIBLE},
    {"unavail", LINEDISCONNECTMODE_UNAVAIL},
    {"nodialtone", LINEDISCONNECTMODE_NODIALTONE},
};

#undef NAMED

bool SameIgnoringCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return i == a.size() && b[i] == '\0';
}

template <size_t N>
std::optional<uint32_t> FindByName(const Named (&table)[N], const std::string& text) {
    for (const Named& entry : table) {
        if (SameIgnoringCase(text, entry.name)) {
            return entry.value;
        }
    }
    return std::nullopt;
}

template <size_t N>
const char* FindByValue(const Named (&table)[N], uint32_t value) {
    for (const Named& entry : table) {
        if (entry.value == value) {
            return entry.name;
        }
    }
    return nullptr;
}

}  // namespace

std::optional<uint32_t> ParseNumber(const std::string& text) {
    if (text.empty() || text.size() > 24) {
        return std::nullopt;
    }
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    unsigned long long value = 0;
    for (char c : digits) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (hex && std::isxdigit(static_cast<unsigned char>(c))) {
            digit = std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
        } else {
            return std::nullopt;
        }
        value = value * (hex ? 16 : 10) + static_cast<unsigned>(digit);
        if (value > 0xFFFFFFFFull) {
            return std::nullopt;
        }
    }
    return static_cast<uint32_t>(value);
}

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

std::optional<int32_t> ParseTapiResult(const std::string& text) {
    if (auto named = FindByName(kResults, text)) {
        return static_cast<int32_t>(*named);
    }
    if (!text.empty() && text[0] == '-') {
        auto magnitude = ParseNumber(text.substr(1));
        if (!magnitude || *magnitude > 0x80000000u) {
            return std::nullopt;
        }
        return static_cast<int32_t>(0u - *magnitude);
    }
    if (auto number = ParseNumber(text)) {
        return static_cast<int32_t>(*number);
    }
    return std::nullopt;
}

std::string TapiResultText(int32_t result) {
    if (result < 0) {
        if (const char* name = FindByValue(kResults, static_cast<uint32_t>(result))) {
            return name;
        }
        return Hex(static_cast<uint32_t>(result));
    }
    return std::to_string(result);
}

std::optional<uint32_t> ParseLineMessage(const std::string& text) {
    if (auto named = FindByName(kLineMessages, text)) {
        return named;
    }
    return ParseNumber(text);
}

std::optional<uint32_t> ParseCallState(const std::string& text) {
    std::string bare = text;
    if (bare.size() > 14 && SameIgnoringCase(bare.substr(0, 14), "LINECALLSTATE_")) {
        bare = bare.substr(14);
    }
    if (auto named = FindByName(kCallStates, bare)) {
        return named;
    }
    return ParseNumber(text);
}

std::string CallStateText(uint32_t state) {
    if (const char* name = FindByValue(kCallStates, state)) {
        return name;
    }
    return Hex(state);
}

std::optional<uint32_t> ParseDisconnectMode(const std::string& text) {
    if (auto named = FindByName(kDisconnectModes, text)) {
        return named;
    }
    return ParseNumber(text);
}

}  // namespace simmodem
