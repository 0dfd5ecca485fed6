// The tables that turn a TAPI line message into modem event codes, with the name the log
// shows for each code. The line-message dispatch and TapiEventName read the same rows.
#pragma once

#include <cstddef>
#include <cstdint>

// One TAPI value, the code posted for it and the code's name (the constant's own spelling).
struct ModemEventRow {
    uint32_t value;
    int code;
    const char* name;
};

// A table is compared against whole values: a value no row holds, two bits set included,
// takes otherCode (0: nothing is posted for it).
struct ModemEventTable {
    const ModemEventRow* rows;
    size_t count;
    int otherCode;
    const char* otherName;

    // The row code for value, else otherCode.
    int CodeFor(uintptr_t value) const;
};

extern const ModemEventTable kLineMessageCodes;     // codes 1 to 17, other 18
extern const ModemEventTable kCallStateCodes;       // 400 to 415, other 416
extern const ModemEventTable kBusyModeCodes;        // 4110 to 4113, other 4114
extern const ModemEventTable kDialToneModeCodes;    // 4120 to 4125, other 4126
extern const ModemEventTable kOfferingModeCodes;    // 4130, 4131, other nothing
extern const ModemEventTable kConnectedModeCodes;   // 4140 to 4144, other 4145
extern const ModemEventTable kDisconnectModeCodes;  // 41500 to 41512, other 41513
