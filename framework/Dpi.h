// The display scale the system gives a window or a monitor: per monitor where the system has
// that (Windows 8.1 and later), else the system's one scale. Each service is looked up when
// first used, so the program still starts on systems without it.
#pragma once

#include <windows.h>

namespace fw {

// The scale of the whole session, in dots per inch (96 = 100 %).
int SystemDpi();
// The scale the window is drawn at: its monitor's, or the system's.
int WindowDpi(HWND window);
// The scale of the monitor that holds the point, or the system's.
int DpiAtPoint(POINT point);
// The system's small (tray, caption) and large (task switcher) icon sizes at a scale.
int SmallIconSize(int dpi);
int LargeIconSize(int dpi);
// Keeps the dialog manager from resizing the dialog, re-laying out its controls or changing
// their fonts when the window's scale changes: the dialog lays itself out.
void KeepDialogLayout(HWND dialog);

}  // namespace fw
