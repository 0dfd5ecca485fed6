// TAPI 2.0 numeric constants for portable code, under TAPI's own names in namespace tapi.
// Win32 code uses tapi.h instead; a Windows test checks every value against it.
#pragma once

#ifdef TAPI_H
#error "tapi.h defines these names as macros; include one or the other"
#endif

#include <cstdint>

#include "modem/TapiValueList.h"

namespace tapi {

#define VOXTELO_TAPI_DEFINE(name, value) constexpr uint32_t name = value;
VOXTELO_TAPI_ALL_VALUES(VOXTELO_TAPI_DEFINE)
#undef VOXTELO_TAPI_DEFINE

}  // namespace tapi
