// The phone window's canvas: a 32-bit top-down DIB section the skin composes into, handed to
// the window system as the layered window's whole picture, shape and translucency. Only the
// part that changed since the last picture is handed over again (the window system's update
// costs far more than the composition); an unchanged picture is not handed over at all.
#pragma once

#include <windows.h>

#include "framework/Handles.h"
#include "ui/Pixels.h"

namespace ui {

class LayeredCanvas {
public:
    LayeredCanvas(int width, int height);
    ~LayeredCanvas();
    LayeredCanvas(const LayeredCanvas&) = delete;
    LayeredCanvas& operator=(const LayeredCanvas&) = delete;

    bool Valid() const { return bits_ != nullptr; }
    // The pixels, premultiplied, as the layered-window update reads them.
    PixelView View();
    // The canvas becomes the window's picture, at `constantAlpha` over its per-pixel alpha;
    // the window keeps its position. False when the system refuses.
    bool Present(HWND window, BYTE constantAlpha);
    // The memory DC the canvas is selected into.
    HDC Dc() const { return dc_.Get(); }

private:
    int width_;
    int height_;
    uint32_t* bits_ = nullptr;
    fw::MemoryDc dc_;
    fw::BitmapHandle bitmap_;
    HGDIOBJ previous_ = nullptr;
    // What the window shows, as far as we know it.
    PixelBuffer shown_;
    bool shownKnown_ = false;
    BYTE shownAlpha_ = 0;
};

}  // namespace ui
