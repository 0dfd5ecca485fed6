// The modem event code tables. Codes follow the alphabetical order of the TAPI names within
// each table, not TAPI's numbering.
#include "modem/ModemEventTables.h"

#include <iterator>

#include "modem/TapiConstants.h"

// The name is the constant's spelling by construction.
#define ROW(constant, code) \
    { tapi::constant, code, #constant }

namespace {

const ModemEventRow kLineMessageRows[] = {
    ROW(LINE_ADDRESSSTATE, 1),  ROW(LINE_APPNEWCALL, 2),
    ROW(LINE_CALLINFO, 3),      ROW(LINE_CALLSTATE, 4),
    ROW(LINE_CLOSE, 5),         ROW(LINE_CREATE, 6),
    ROW(LINE_DEVSPECIFIC, 7),   ROW(LINE_DEVSPECIFICFEATURE, 8),
    ROW(LINE_GATHERDIGITS, 9),  ROW(LINE_GENERATE, 10),
    ROW(LINE_LINEDEVSTATE, 11), ROW(LINE_MONITORDIGITS, 12),
    ROW(LINE_MONITORMEDIA, 13), ROW(LINE_MONITORTONE, 14),
    ROW(LINE_REMOVE, 15),       ROW(LINE_REPLY, 16),
    ROW(LINE_REQUEST, 17),
};

// The ten states without follow-up codes come first, then the six that have them.
const ModemEventRow kCallStateRows[] = {
    ROW(LINECALLSTATE_ACCEPTED, 400),       ROW(LINECALLSTATE_CONFERENCED, 401),
    ROW(LINECALLSTATE_DIALING, 402),        ROW(LINECALLSTATE_ONHOLD, 403),
    ROW(LINECALLSTATE_ONHOLDPENDCONF, 404), ROW(LINECALLSTATE_ONHOLDPENDTRANSFER, 405),
    ROW(LINECALLSTATE_PROCEEDING, 406),     ROW(LINECALLSTATE_RINGBACK, 407),
    ROW(LINECALLSTATE_SPECIALINFO, 408),    ROW(LINECALLSTATE_UNKNOWN, 409),
    ROW(LINECALLSTATE_IDLE, 410),           ROW(LINECALLSTATE_BUSY, 411),
    ROW(LINECALLSTATE_DIALTONE, 412),       ROW(LINECALLSTATE_OFFERING, 413),
    ROW(LINECALLSTATE_CONNECTED, 414),      ROW(LINECALLSTATE_DISCONNECTED, 415),
};

const ModemEventRow kBusyModeRows[] = {
    ROW(LINEBUSYMODE_STATION, 4110),
    ROW(LINEBUSYMODE_TRUNK, 4111),
    ROW(LINEBUSYMODE_UNKNOWN, 4112),
    ROW(LINEBUSYMODE_UNAVAIL, 4113),
};

const ModemEventRow kDialToneModeRows[] = {
    ROW(LINEDIALTONEMODE_EXTERNAL, 4120), ROW(LINEDIALTONEMODE_INTERNAL, 4121),
    ROW(LINEDIALTONEMODE_NORMAL, 4122),   ROW(LINEDIALTONEMODE_SPECIAL, 4123),
    ROW(LINEDIALTONEMODE_UNAVAIL, 4124),  ROW(LINEDIALTONEMODE_UNKNOWN, 4125),
};

const ModemEventRow kOfferingModeRows[] = {
    ROW(LINEOFFERINGMODE_ACTIVE, 4130),
    ROW(LINEOFFERINGMODE_INACTIVE, 4131),
};

const ModemEventRow kConnectedModeRows[] = {
    ROW(LINECONNECTEDMODE_ACTIVE, 4140),       ROW(LINECONNECTEDMODE_ACTIVEHELD, 4141),
    ROW(LINECONNECTEDMODE_CONFIRMED, 4142),    ROW(LINECONNECTEDMODE_INACTIVE, 4143),
    ROW(LINECONNECTEDMODE_INACTIVEHELD, 4144),
};

// Disconnect modes are single bits; the code is 41500 plus the bit's index.
const ModemEventRow kDisconnectModeRows[] = {
    ROW(LINEDISCONNECTMODE_NORMAL, 41500),       ROW(LINEDISCONNECTMODE_UNKNOWN, 41501),
    ROW(LINEDISCONNECTMODE_REJECT, 41502),       ROW(LINEDISCONNECTMODE_PICKUP, 41503),
    ROW(LINEDISCONNECTMODE_FORWARDED, 41504),    ROW(LINEDISCONNECTMODE_BUSY, 41505),
    ROW(LINEDISCONNECTMODE_NOANSWER, 41506),     ROW(LINEDISCONNECTMODE_BADADDRESS, 41507),
    ROW(LINEDISCONNECTMODE_UNREACHABLE, 41508),  ROW(LINEDISCONNECTMODE_CONGESTION, 41509),
    ROW(LINEDISCONNECTMODE_INCOMPATIBLE, 41510), ROW(LINEDISCONNECTMODE_UNAVAIL, 41511),
    ROW(LINEDISCONNECTMODE_NODIALTONE, 41512),
};

}  // namespace

#undef ROW

int ModemEventTable::CodeFor(uintptr_t value) const {
    for (size_t i = 0; i < count; ++i) {
        if (rows[i].value == value) {
            return rows[i].code;
        }
    }
    return otherCode;
}

const ModemEventTable kLineMessageCodes = {kLineMessageRows, std::size(kLineMessageRows), 18,
                                           "LINE_DEFAULT"};
const ModemEventTable kCallStateCodes = {kCallStateRows, std::size(kCallStateRows), 416,
                                         "LINECALLSTATE_DEFAULT"};
const ModemEventTable kBusyModeCodes = {kBusyModeRows, std::size(kBusyModeRows), 4114,
                                        "LINEBUSYMODE_DEFAULT"};
const ModemEventTable kDialToneModeCodes = {kDialToneModeRows, std::size(kDialToneModeRows), 4126,
                                            "LINEDIALTONEMODE_DEFAULT"};
const ModemEventTable kOfferingModeCodes = {kOfferingModeRows, std::size(kOfferingModeRows), 0,
                                            nullptr};
const ModemEventTable kConnectedModeCodes = {kConnectedModeRows, std::size(kConnectedModeRows),
                                             4145, "LINECONNECTEDMODE_DEFAULT"};
const ModemEventTable kDisconnectModeCodes = {kDisconnectModeRows, std::size(kDisconnectModeRows),
                                              41513, "LINEDISCONNECTMODE_DEFAULT"};
