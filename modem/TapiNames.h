// The names the modem log shows for modem event codes and TAPI errors: fixed tables,
// spelled as TAPI 2.0's header spells the constants, plus six names of our own.
#pragma once

#include <cstdint>
#include <string>

// The name of a modem event code: the TAPI constant it stands for, one of the "_DEFAULT"
// names for the codes meaning "any other value", else "" (the summary codes 30 to 34
// included).
std::string TapiEventName(int32_t code);

// The LINEERR_ name of a TAPI result from 0x80000001 to 0x8000005C, else null
// (0x80000004 and 0x80000031 have none). LineErrorName adds the system-text fallback.
const char* LineErrorTableName(uint32_t value);

// The PHONEERR_ name of the seven results phoneInitializeExA can return, else null.
// PhoneErrorName adds the system-text fallback.
const char* PhoneErrorTableName(uint32_t value);
