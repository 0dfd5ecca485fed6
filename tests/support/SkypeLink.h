// The program's Skype link as the client simulator sees it: attached, told the account is
// online, and every status text the attach asked for answered, so that no late answer lands
// in the middle of what a test or benchmark does next.
#pragma once

#include <windows.h>

#include "sim/skype/SimConnection.h"

namespace test {

// Waits (bounded) for `program`'s window to be attached, then sends the current user's handle
// and goes online; true once the link has settled.
bool SettleSkypeLink(HWND program, skypesim::SimConnection& skype, unsigned timeoutMs);

}  // namespace test
