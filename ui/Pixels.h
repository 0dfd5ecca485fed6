// 32-bit premultiplied pixels (0xAARRGGBB, the byte order of a Windows DIB: blue, green, red,
// alpha) and source-over composition with a constant alpha. Every picture of the skin is
// composed here; the window system only receives the finished canvas.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ui/Rect.h"

namespace ui {

struct ConstPixelView {
    const uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;

    const uint32_t* Row(int y) const { return pixels + static_cast<std::ptrdiff_t>(y) * stride; }
};

// Borrowed rows of pixels; `stride` counts pixels from one row to the next. Drawing takes its
// coordinates relative to (left, top): a view of part of a canvas (Window) keeps the canvas's
// coordinates and leaves out whatever falls outside it.
struct PixelView {
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    int left = 0;
    int top = 0;

    uint32_t* Row(int y) const { return pixels + static_cast<std::ptrdiff_t>(y) * stride; }
    uint32_t At(int x, int y) const { return Row(y)[x]; }
    // The part drawn into, in drawing coordinates.
    Rect Area() const { return Rect{left, top, left + width, top + height}; }

    operator ConstPixelView() const { return ConstPixelView{pixels, width, height, stride}; }
};

// The part of `view` within `area` (drawing coordinates), in the same coordinates.
PixelView Window(const PixelView& view, const Rect& area);

// An owned picture, premultiplied; starts fully transparent.
class PixelBuffer {
public:
    PixelBuffer() = default;
    PixelBuffer(int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }

    PixelView View() { return PixelView{pixels_.data(), width_, height_, width_}; }
    ConstPixelView View() const { return ConstPixelView{pixels_.data(), width_, height_, width_}; }
    uint32_t At(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
    uint32_t* Data() { return pixels_.data(); }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;
};

// One premultiplied pixel from straight colour and alpha.
uint32_t Premultiply(uint8_t alpha, uint8_t red, uint8_t green, uint8_t blue);

inline uint8_t AlphaOf(uint32_t pixel) {
    return static_cast<uint8_t>(pixel >> 24);
}
inline uint8_t RedOf(uint32_t pixel) {
    return static_cast<uint8_t>(pixel >> 16);
}
inline uint8_t GreenOf(uint32_t pixel) {
    return static_cast<uint8_t>(pixel >> 8);
}
inline uint8_t BlueOf(uint32_t pixel) {
    return static_cast<uint8_t>(pixel);
}

// Every pixel becomes 0 (fully transparent black).
void Clear(PixelView target);

// Composites `source` onto `target` with its top-left corner at (x, y), source-over, each
// source pixel's alpha scaled by `constantAlpha` / 255. Whatever falls outside the target is
// left out.
void Composite(PixelView target, ConstPixelView source, int x, int y, uint8_t constantAlpha);

// A picture's rows cut into runs of fully transparent, fully opaque and mixed pixels, so that
// drawing it at full strength skips the first, copies the second and blends only the third.
class PixelRuns {
public:
    PixelRuns() = default;
    explicit PixelRuns(ConstPixelView picture);

    // The same as Composite(target, picture, x, y, 255) for the picture the runs were made of.
    void CompositeOpaque(PixelView target, ConstPixelView picture, int x, int y) const;

private:
    enum Kind : uint8_t { kTransparent, kOpaque, kMixed };
    struct Run {
        int start;
        int end;
        Kind kind;
    };
    std::vector<Run> runs_;
    std::vector<size_t> rowStarts_;  // the first run of each row, and one past the last row's
};

// The picture brought to `width` x `height`: each target pixel the average of the source
// area it covers when reduced, interpolated between its nearest source pixels when enlarged
// (which only scales above the largest artwork set need). Premultiplied in and out.
PixelBuffer Resampled(ConstPixelView source, int width, int height);

// The smallest rectangle holding every pixel in which two pictures of the same size differ;
// empty (all zero) when they are the same.
Rect ChangedArea(ConstPixelView now, ConstPixelView before);

}  // namespace ui
