// The DIB section behind the layered window's picture.
#include "ui/LayeredCanvas.h"

#include "framework/WindowServices.h"

namespace ui {

LayeredCanvas::LayeredCanvas(int width, int height)
    : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down: row 0 is the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
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

bool LayeredCanvas::Present(HWND window, BYTE constantAlpha) const {
    if (!bits_) {
        return false;
    }
    return fw::UpdateLayeredPicture(window, dc_.Get(), SIZE{width_, height_}, constantAlpha);
}

}  // namespace ui
