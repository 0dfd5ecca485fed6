// The process's command line as UTF-8 words, so that non-ASCII names survive the ANSI code page.
#pragma once

#include <string>
#include <vector>

namespace skypesim {

// Every argument including the program itself, or nothing when the line cannot be read.
std::vector<std::string> Utf8Arguments();

// Reads a script: one control command per line, blank lines and lines starting with '#' left
// out. Throws std::runtime_error when the file cannot be read.
std::vector<std::string> ReadScript(const std::string& utf8Path);

}  // namespace skypesim
