// The DIB section behind the layered window's picture.
#include "ui/LayeredCanvas.h"

#include <cstring>

#include "framework/WindowServices.h"
#include "ui/DibFormat.h"

namespace ui {

LayeredCanvas::LayeredCanvas(int width, int height)
    : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)), shown_(width, height) {
    const BITMAPINFO info = TopDownDibFormat(width, height);
    void* bits = nullptr;
    bitmap_.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dc_ || !bitmap_ || !bits) {
        return;
    }
    previous_ = SelectObject(dc_.Get(), bitmap_.Get());
    bits_ = static_cast<uint32_t*>(bits);
}

LayeredCanvas::~LayeredCanvas() {
    if (previous_) {
        SelectObject(dc_.Get(), previous_);  // a selected bitmap cannot be deleted
    }
}

PixelView LayeredCanvas::View() {
    if (!bits_) {
        return PixelView{};
    }
    GdiFlush();  // GDI is done with the bits before we write them
    return PixelView{bits_, width_, height_, width_};
}

bool LayeredCanvas::Present(HWND window, BYTE constantAlpha) {
    if (!bits_) {
        return false;
    }
    const ConstPixelView now{bits_, width_, height_, width_};
    // A new alpha applies to the whole window; a hidden window is given all of it again.
    const bool whole = !shownKnown_ || constantAlpha != shownAlpha_ || !IsWindowVisible(window);
    Rect changed{0, 0, width_, height_};
    if (!whole) {
        changed = ChangedArea(now, shown_.View());
        if (changed.Width() <= 0) {
            return true;
        }
    }
    const RECT dirty{changed.left, changed.top, changed.right, changed.bottom};
    shownKnown_ = fw::UpdateLayeredPicture(window, dc_.Get(), SIZE{width_, height_}, constantAlpha,
                                           whole ? nullptr : &dirty);
    if (!shownKnown_) {
        return false;  // the window keeps a picture we no longer know
    }
    shownAlpha_ = constantAlpha;
    for (int y = changed.top; y < changed.bottom; ++y) {
        std::memcpy(shown_.View().Row(y), now.Row(y), static_cast<size_t>(width_) * 4);
    }
    return true;
}

}  // namespace ui
