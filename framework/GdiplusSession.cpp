// GDI+ start-up and shut-down through the flat API.
#include "framework/GdiplusSession.h"

#include <windows.h>
#include <gdiplus.h>

namespace fw {

GdiplusSession::GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;  // version 1, no callback, nothing suppressed
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) {
        token_ = token;
    }
}

GdiplusSession::~GdiplusSession() {
    if (token_) {
        Gdiplus::GdiplusShutdown(token_);
    }
}

}  // namespace fw
