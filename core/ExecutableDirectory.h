// The executable directory rule: the directory of the running program with a file name that
// carries its own leading backslash ("\RING.WAV", "\Bookmark.ini").
#pragma once

#include <string>

// `exePath` without everything from its last backslash on, then `fileName`; a path without
// any backslash is kept whole.
std::string PathBesideExecutable(const std::string& exePath, const std::string& fileName);

// The rule applied to the running program (Windows only).
std::string PathBesideThisProgram(const std::string& fileName);
