// The one pixel format the skin hands to GDI: 32-bit, top-down (row 0 is the top), the byte
// order of ui::PixelBuffer.
#pragma once

#include <windows.h>

namespace ui {

inline BITMAPINFO TopDownDibFormat(int width, int height) {
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    return format;
}

}  // namespace ui
