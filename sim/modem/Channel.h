// Where the control channel of one simulated modem lives (a named pipe and a configuration
// file, both named after the channel) and how requests and replies are framed on the pipe.
#pragma once

#include <windows.h>

#include <string>

namespace simmodem {

// The DLL and the control side read the channel name from this variable; unset means
// kDefaultChannel. A started program inherits it, so parallel tests can keep apart.
constexpr char kChannelVariable[] = "VOXTELO_SIMMODEM_CHANNEL";
constexpr char kDefaultChannel[] = "voxtelo";

// Letters, digits, '-', '_' and '.', 1 to 64 of them.
bool IsValidChannelName(const std::string& channel);
// The variable's value, kDefaultChannel when unset; "" when set to an invalid name.
std::string ChannelFromEnvironment();

std::string PipeName(const std::string& channel);
// %TEMP%\voxtelo-simmodem-<channel>.conf: read by the DLL when it loads.
std::string ConfigFilePath(const std::string& channel);

// A frame is a 4-byte little-endian length and that many bytes of text.
constexpr size_t kMaxFrame = 16 * 1024 * 1024;
bool WriteFrame(HANDLE pipe, const std::string& text);
bool ReadFrame(HANDLE pipe, std::string* text);

}  // namespace simmodem
