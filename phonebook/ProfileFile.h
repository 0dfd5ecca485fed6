// A profile file read in one pass, decoded the way the profile functions decode it, and the
// ANSI conversions their ...A forms make on the way in and out.
#pragma once

#include <string>
#include <string_view>

#include "phonebook/ProfileText.h"

namespace profile {

// The file as a document: its encoding mark decides the decoding, else the ANSI code page. A
// file that is missing, cannot be opened or is absurdly large reads as an empty document,
// as the profile functions then give only defaults.
Document ReadFile(const char* path);

Text FromAnsi(std::string_view text);
// Characters the ANSI code page lacks become its default character, as in the ...A forms.
std::string ToAnsi(TextView text);

}  // namespace profile
