// Texts between the system's code pages and UTF-16. Bytes that are no character of the code
// page become U+FFFD (or the page's default character on the way back); nothing fails.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace fw {

std::wstring Widen(std::string_view text, UINT codePage = CP_ACP);
std::string Narrow(std::wstring_view text, UINT codePage = CP_ACP);

}  // namespace fw
