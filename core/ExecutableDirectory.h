// The executable directory rule: the directory of the running program with a file name that
// carries its own leading backslash ("\RING.WAV", "\Bookmark.ini").
#pragma once

#include <string>

// `exePath` without everything from its last backslash on, then `fileName`; a path without
// any backslash is kept whole.
std::string PathBesideExecutable(const std::string& exePath, const std::string& fileName);

// The rule applied to the running program (Windows only). The path comes in a form the
// ...A functions open, also when a folder's name is of a script the ANSI code page lacks.
std::string PathBesideThisProgram(const std::string& fileName);

// An existing file's or folder's path in ANSI: as it is where the code page carries it, else
// its short form when that opens the same (Windows only).
std::string AnsiPathOf(const std::wstring& existingPath);
