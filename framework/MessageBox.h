// Message boxes that return the button the user pressed, and reports: boxes the program goes
// on after, shown one at a time.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace fw {

enum class MessageBoxButtons { Ok, YesNo };
enum class MessageBoxIcon { None, Information, Warning, Error, Question };
enum class MessageBoxResult { Ok, Yes, No, Cancel };

// The caption every message box of the program carries.
constexpr char kMessageBoxCaption[] = "Voxtelo";

MessageBoxResult ShowMessageBox(HWND owner, const std::string& text,
                                MessageBoxButtons buttons = MessageBoxButtons::Ok,
                                MessageBoxIcon icon = MessageBoxIcon::None);

// Reports something unexpected that the program goes on after (a value it does not know, an
// error a handler raised): logged, and shown in an OK box unless a box of ours is already open
// on this thread. Each box's own loop handles the messages that come meanwhile, so reports
// arriving in a flood would otherwise nest a box inside a box until the stack runs out. True
// when the box was shown.
bool ShowReport(HWND owner, const std::string& text, MessageBoxIcon icon = MessageBoxIcon::None);

// Where reports are logged; set once by the program at start. Without it they are only shown.
using ReportLog = void (*)(std::string_view text);
void SetReportLog(ReportLog log);

}  // namespace fw
