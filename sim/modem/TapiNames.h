// Names of the TAPI values the simulator reads in settings and commands and shows in its
// record and status: result codes, line messages, call states and their modes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace simmodem {

// A TAPI result given by name (LINEERR_NOMEM) or number (0x80000044, -2147483580, 0).
std::optional<int32_t> ParseTapiResult(const std::string& text);
// "LINEERR_NOMEM", or the number for codes without a name (request ids, unknown errors).
std::string TapiResultText(int32_t result);

// A line message id by name (LINE_CALLSTATE) or number.
std::optional<uint32_t> ParseLineMessage(const std::string& text);

// Call states and their names without the LINECALLSTATE_ prefix ("CONNECTED").
std::optional<uint32_t> ParseCallState(const std::string& text);
std::string CallStateText(uint32_t state);

// A disconnect mode: "busy", "noanswer", ... (the LINEDISCONNECTMODE_ suffix, any case) or
// a number.
std::optional<uint32_t> ParseDisconnectMode(const std::string& text);

// Decimal or 0x-hex, the whole text, fitting 32 bits.
std::optional<uint32_t> ParseNumber(const std::string& text);
std::string Hex(uint32_t value);

}  // namespace simmodem
