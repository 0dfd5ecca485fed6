// What the tray icon tells and how its mouse messages count, without windows.h: the tooltip
// text of a call state and its other party, and the rule that makes a click of a double click.
#pragma once

#include <string>

#include "core/CallState.h"

// The tooltip: the program, the call state in the user's words and, during a call, the other
// party ("Unknown" when the number is not known).
std::string TrayTipText(CallState state, Carrier carrier, const std::string& party);

// The icon's mouse messages (the lParam of its callback), as the shell sends them.
class TrayClicks {
public:
    // True when the message completes a click. A double click is one click: the button-up
    // that follows the double-click message does not count again, so a double-click habit
    // never answers a call and hangs it up at once.
    bool IsClick(unsigned mouseMessage);

    static constexpr unsigned kLeftDown = 0x0201;         // WM_LBUTTONDOWN
    static constexpr unsigned kLeftUp = 0x0202;           // WM_LBUTTONUP
    static constexpr unsigned kLeftDoubleClick = 0x0203;  // WM_LBUTTONDBLCLK

private:
    bool afterDoubleClick_ = false;
};
