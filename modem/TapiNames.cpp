// The name tables behind the modem log.
#include "modem/TapiNames.h"

#include <iterator>

#include "modem/ModemEventTables.h"
#include "modem/TapiConstants.h"

namespace {

struct ValueName {
    uint32_t value;
    const char* name;
};

#define VOXTELO_TAPI_VALUE_NAME(constant, value) {tapi::constant, #constant},
const ValueName kLineErrorNames[] = {VOXTELO_TAPI_LINE_ERRORS(VOXTELO_TAPI_VALUE_NAME)};
#undef VOXTELO_TAPI_VALUE_NAME

#define NAMED(constant) \
    { tapi::constant, #constant }
const ValueName kPhoneErrorNames[] = {
    NAMED(PHONEERR_INIFILECORRUPT), NAMED(PHONEERR_INVALAPPNAME), NAMED(PHONEERR_INVALPARAM),
    NAMED(PHONEERR_INVALPOINTER),   NAMED(PHONEERR_NOMEM),        NAMED(PHONEERR_OPERATIONFAILED),
    NAMED(PHONEERR_REINIT),
};
#undef NAMED

const ModemEventTable* const kEventTables[] = {
    &kLineMessageCodes,  &kCallStateCodes,     &kBusyModeCodes,       &kDialToneModeCodes,
    &kOfferingModeCodes, &kConnectedModeCodes, &kDisconnectModeCodes,
};

template <size_t N>
const char* FindName(const ValueName (&names)[N], uint32_t value) {
    for (const ValueName& entry : names) {
        if (entry.value == value) {
            return entry.name;
        }
    }
    return nullptr;
}

}  // namespace

std::string TapiEventName(int32_t code) {
    for (const ModemEventTable* table : kEventTables) {
        for (size_t i = 0; i < table->count; ++i) {
            if (table->rows[i].code == code) {
                return table->rows[i].name;
            }
        }
        if (table->otherName != nullptr && table->otherCode == code) {
            return table->otherName;
        }
    }
    return {};
}

const char* LineErrorTableName(uint32_t value) {
    return FindName(kLineErrorNames, value);
}

const char* PhoneErrorTableName(uint32_t value) {
    return FindName(kPhoneErrorNames, value);
}
