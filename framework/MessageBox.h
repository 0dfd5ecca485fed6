// Message boxes that return the button the user pressed.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

enum class MessageBoxButtons { Ok, YesNo };
enum class MessageBoxIcon { None, Information, Warning, Error, Question };
enum class MessageBoxResult { Ok, Yes, No, Cancel };

// The caption every message box of the program carries.
constexpr char kMessageBoxCaption[] = "Voxtelo";

MessageBoxResult ShowMessageBox(HWND owner, const std::string& text,
                                MessageBoxButtons buttons = MessageBoxButtons::Ok,
                                MessageBoxIcon icon = MessageBoxIcon::None);

}  // namespace fw
