// The command-line switch "debug": with at most one leading "-" or "/", any letter case.
#pragma once

#include <string>
#include <vector>

// Every argument counts, the program name included.
bool HasDebugSwitch(const std::vector<std::string>& arguments);
