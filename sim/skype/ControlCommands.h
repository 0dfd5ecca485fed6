// The simulator's control language: one command line in, one reply out ("OK", "OK <value>",
// further lines of data, or "ERR <why>"). Script files and the control channel both use it.
#pragma once

#include <string>

namespace skypesim {

class SimApp;

std::string RunControlCommand(SimApp& app, const std::string& line);

}  // namespace skypesim
