// Compile-time check that every TAPI value our portable code carries is the value, under
// the same name, that the platform's tapi.h (TAPI 2.0 layout) defines.
#include <windows.h>

#include <tapi.h>

#include <cstdint>

#include "modem/TapiValueList.h"

static_assert(TAPI_CURRENT_VERSION == 0x00020000, "the build targets TAPI 2.0");

// `name` expands to tapi.h's definition; #name keeps the spelling for the message.
#define VOXTELO_CHECK_TAPI_VALUE(name, value) \
    static_assert(static_cast<uint32_t>(name) == static_cast<uint32_t>(value), #name);
VOXTELO_TAPI_ALL_VALUES(VOXTELO_CHECK_TAPI_VALUE)
#undef VOXTELO_CHECK_TAPI_VALUE
