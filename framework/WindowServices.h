// Window-manager services used across the program: lookup, registered messages, layered
// update, regions, caption drag and mouse tracking.
#pragma once

#include <windows.h>

#include <vector>

namespace fw {

// The class every dialog window has; windows of the process find each other by it and a
// title.
constexpr char kDialogClass[] = "#32770";

// The first top-level dialog window with this title, or null.
HWND FindDialogWindow(const char* title);

// The number of a registered window message, the same in every process.
UINT RegisterMessage(const char* name);

// Makes the window's whole look and shape the 32-bit premultiplied picture selected into
// `source` (per-pixel alpha, then `constantAlpha` over it). The position is unchanged. With
// `dirty`, only that part of the picture is taken again; the rest stays as it was.
bool UpdateLayeredPicture(HWND hwnd, HDC source, SIZE size, BYTE constantAlpha,
                          const RECT* dirty = nullptr);

// The window becomes exactly the union of the rectangles (client coordinates of the
// window's top-left corner). False when the region cannot be made or set.
bool SetWindowRegion(HWND hwnd, const std::vector<RECT>& rects, bool redraw);

// Lets the system move the window as if its caption were pressed at `point`.
void BeginCaptionDrag(HWND hwnd, POINT point);

// Asks for WM_MOUSEHOVER (after `hoverMs`) and WM_MOUSELEAVE for the pointer's next stay.
bool TrackMouse(HWND hwnd, bool hover, bool leave, DWORD hoverMs = HOVER_DEFAULT);

}  // namespace fw
