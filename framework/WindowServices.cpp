// Thin wrappers; each keeps one Win32 detail in one place.
#include "framework/WindowServices.h"

#include <commctrl.h>

#include <cstring>

namespace fw {

HWND FindDialogWindow(const char* title) {
    return FindWindowA(kDialogClass, title);
}

UINT RegisterMessage(const char* name) {
    return RegisterWindowMessageA(name);
}

bool UpdateLayeredPicture(HWND hwnd, HDC source, SIZE size, BYTE constantAlpha, const RECT* dirty) {
    BLENDFUNCTION blend{AC_SRC_OVER, 0, constantAlpha, AC_SRC_ALPHA};
    POINT origin{0, 0};
    UPDATELAYEREDWINDOWINFO info{sizeof(info), nullptr, nullptr, &size,     source,
                                 &origin,      0,       &blend,  ULW_ALPHA, dirty};
    return UpdateLayeredWindowIndirect(hwnd, &info) != FALSE;
}

bool SetWindowRegion(HWND hwnd, const std::vector<RECT>& rects, bool redraw) {
    const DWORD bytes = static_cast<DWORD>(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    std::vector<unsigned char> storage(bytes);
    auto* data = reinterpret_cast<RGNDATA*>(storage.data());
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(rects.size());
    data->rdh.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
    RECT bounds{0, 0, 0, 0};
    for (const RECT& r : rects) {
        UnionRect(&bounds, &bounds, &r);
    }
    data->rdh.rcBound = bounds;
    if (!rects.empty()) {
        std::memcpy(data->Buffer, rects.data(), rects.size() * sizeof(RECT));
    }
    HRGN region = ExtCreateRegion(nullptr, bytes, data);
    if (!region) {
        return false;
    }
    if (!SetWindowRgn(hwnd, region, redraw)) {
        DeleteObject(region);
        return false;
    }
    return true;  // the window owns the region now
}

void BeginCaptionDrag(HWND hwnd, POINT point) {
    PostMessageA(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(point.x, point.y));
}

bool TrackMouse(HWND hwnd, bool hover, bool leave, DWORD hoverMs) {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = (hover ? TME_HOVER : 0) | (leave ? TME_LEAVE : 0);
    track.hwndTrack = hwnd;
    track.dwHoverTime = hoverMs;
    return _TrackMouseEvent(&track) != FALSE;
}

}  // namespace fw
