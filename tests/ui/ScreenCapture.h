// What the screen shows, read back through the desktop's DC, and the phone as the program
// draws it: for tests that look at the real window under Xvfb.
#pragma once

#include <windows.h>

#include <functional>

#include "ui/Pixels.h"
#include "ui/SkinImage.h"

namespace ui::testing {

// The screen's pixels in `rect` (screen coordinates), alpha 255.
inline PixelBuffer CaptureScreen(const RECT& rect) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    PixelBuffer pixels(width, height);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels.View().Row(y)[x] =
                static_cast<const uint32_t*>(bits)[y * width + x] | 0xFF000000;
        }
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// The frame's title band, where nothing but the frame is drawn: its fully opaque pixels.
// Calls `visit(x, y, framePixel)` for each, in the window's own coordinates.
inline void ForEachOpaqueTitlePixel(const std::function<void(int, int, uint32_t)>& visit) {
    SkinImage frame;
    frame.Load("IDB_BACKGROUND_TOP", "PNG", GetModuleHandleW(nullptr));
    for (int y = 0; y < 40 && y < frame.Height(); ++y) {
        for (int x = 0; x < 200 && x < frame.Width(); ++x) {  // the close key sits further right
            const uint32_t pixel = frame.Pixels().At(x, y);
            if (AlphaOf(pixel) == 255) {
                visit(x, y, pixel);
            }
        }
    }
}

// How far the screen is from showing the title band at `strength` / 255 over black; the
// largest difference of any channel, 255 when the window is not there at all.
inline int TitleBandMismatch(HWND window, int strength) {
    RECT rect{};
    GetWindowRect(window, &rect);
    const PixelBuffer screen = CaptureScreen(rect);
    int worst = 0;
    int seen = 0;
    ForEachOpaqueTitlePixel([&](int x, int y, uint32_t frame) {
        if (x >= screen.Width() || y >= screen.Height()) {
            worst = 255;
            return;
        }
        ++seen;
        const uint32_t shown = screen.At(x, y);
        const uint8_t expected[] = {RedOf(frame), GreenOf(frame), BlueOf(frame)};
        const uint8_t got[] = {RedOf(shown), GreenOf(shown), BlueOf(shown)};
        for (int channel = 0; channel < 3; ++channel) {
            const int want = (expected[channel] * strength + 127) / 255;
            worst = std::max(worst, std::abs(got[channel] - want));
        }
    });
    return seen > 0 ? worst : 255;
}

}  // namespace ui::testing
