// The real program's call notice as a person sees it: its window, found from outside, and how
// far the screen is from showing a given text on a given picture.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "framework/Handles.h"
#include "ui/Pixels.h"
#include "tests/ui/ScreenCapture.h"

namespace e2e {

// The call notice of the process: the one top-level window of its class.
inline HWND NoticeOf(DWORD processId) {
    HWND candidate = nullptr;
    while ((candidate = FindWindowExA(nullptr, candidate, "VoxteloTaskbarNotifier", nullptr))) {
        DWORD owner = 0;
        GetWindowThreadProcessId(candidate, &owner);
        if (owner == processId) {
            return candidate;
        }
    }
    return nullptr;
}

// The notice as it should look, not hovered: the bitmap resource `picture` (of the running
// program's own resources) with `text` in 9-point Arial, black, centred in its text field.
inline ui::PixelBuffer ExpectedNotice(int picture, const std::string& text) {
    fw::BitmapHandle bitmap(LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(picture)));
    BITMAP size{};
    GetObjectW(bitmap.Get(), sizeof size, &size);
    ui::PixelBuffer pixels(size.bmWidth, size.bmHeight);
    HDC screen = GetDC(nullptr);
    HDC source = CreateCompatibleDC(screen);
    HDC target = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size.bmWidth;
    info.bmiHeader.biHeight = -size.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP canvas = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ oldSource = SelectObject(source, bitmap.Get());
    HGDIOBJ oldTarget = SelectObject(target, canvas);
    BitBlt(target, 0, 0, size.bmWidth, size.bmHeight, source, 0, 0, SRCCOPY);
    LOGFONTA face{};
    face.lfHeight = -MulDiv(9, GetDeviceCaps(screen, LOGPIXELSY), 72);
    face.lfWeight = FW_NORMAL;
    face.lfCharSet = DEFAULT_CHARSET;
    strcpy(face.lfFaceName, "Arial");
    HFONT font = CreateFontIndirectA(&face);
    HGDIOBJ oldFont = SelectObject(target, font);
    SetBkMode(target, TRANSPARENT);
    SetTextColor(target, RGB(0, 0, 0));
    RECT field{36, 36, 125, 71};
    DrawTextA(target, text.c_str(), static_cast<int>(text.size()), &field,
              DT_CENTER | DT_VCENTER | DT_WORDBREAK | DT_END_ELLIPSIS);
    GdiFlush();
    for (int y = 0; y < size.bmHeight; ++y) {
        for (int x = 0; x < size.bmWidth; ++x) {
            pixels.View().Row(y)[x] =
                static_cast<const uint32_t*>(bits)[y * size.bmWidth + x] | 0xFF000000;
        }
    }
    SelectObject(target, oldFont);
    DeleteObject(font);
    SelectObject(target, oldTarget);
    SelectObject(source, oldSource);
    DeleteObject(canvas);
    DeleteDC(target);
    DeleteDC(source);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// The pixels of the notice on screen that differ visibly from `expected`; the whole picture's
// count when the notice is not where its window says.
inline int NoticeMismatch(HWND notice, const ui::PixelBuffer& expected) {
    RECT rect{};
    GetWindowRect(notice, &rect);
    if (rect.right - rect.left != expected.Width() || rect.bottom - rect.top != expected.Height()) {
        return expected.Width() * expected.Height();
    }
    const ui::PixelBuffer shown = ui::testing::CaptureScreen(rect);
    int differing = 0;
    for (int y = 0; y < expected.Height(); ++y) {
        for (int x = 0; x < expected.Width(); ++x) {
            const uint32_t want = expected.At(x, y);
            const uint32_t got = shown.At(x, y);
            const int worst = std::max({std::abs(ui::RedOf(want) - ui::RedOf(got)),
                                        std::abs(ui::GreenOf(want) - ui::GreenOf(got)),
                                        std::abs(ui::BlueOf(want) - ui::BlueOf(got))});
            differing += worst > 48 ? 1 : 0;
        }
    }
    return differing;
}

}  // namespace e2e
