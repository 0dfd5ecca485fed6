// LineErrorName and PhoneErrorName: the table name of a TAPI result, else the system's
// message text for it (Win32; the header needs no windows.h).
#pragma once

#include <cstdint>
#include <string>

// The LINEERR_ name of a result from 0x80000001 to 0x8000005C, else SystemMessageText.
std::string LineErrorName(int32_t result);

// The name of the seven PHONEERR_ results phoneInitializeExA can return, else
// SystemMessageText (PHONEERR_BADDEVICEID included).
std::string PhoneErrorName(int32_t result);

// FormatMessageA's text for value from the system's message table, in the system's default
// language order, with the line break it ends with; "" when the system has none.
std::string SystemMessageText(uint32_t value);
