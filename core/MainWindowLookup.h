// How threads and dialogs of the process find the main phone window.
#pragma once

#include <windows.h>

// The top-level dialog window titled "Voxtelo" that has no owner. The about box carries the
// same title but is owned by the main window, and lies above it while open, so the first
// window of that title is not always the phone.
HWND FindMainWindow();
