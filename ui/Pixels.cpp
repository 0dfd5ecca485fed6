// Source-over on premultiplied pixels, rounded to the nearest value in every step.
#include "ui/Pixels.h"

#include <algorithm>
#include <cstring>

namespace ui {

namespace {

// x / 255 rounded to nearest, exact for 0 <= x <= 255 * 255.
inline uint32_t Div255(uint32_t x) {
    x += 128;
    return (x + (x >> 8)) >> 8;
}

// All four channels of a premultiplied pixel times factor / 255.
inline uint32_t Scale(uint32_t pixel, uint32_t factor) {
    return Div255(((pixel >> 24) & 0xFF) * factor) << 24 |
           Div255(((pixel >> 16) & 0xFF) * factor) << 16 |
           Div255(((pixel >> 8) & 0xFF) * factor) << 8 | Div255((pixel & 0xFF) * factor);
}

// Premultiplied source over destination: s + d * (255 - alpha(s)) / 255 per channel. The sum
// never passes 255 because every channel of s is at most its alpha.
inline uint32_t Over(uint32_t source, uint32_t destination) {
    const uint32_t alpha = source >> 24;
    if (alpha == 255) {
        return source;
    }
    if (alpha == 0) {
        return destination;
    }
    return source + Scale(destination, 255 - alpha);
}

}  // namespace

PixelBuffer::PixelBuffer(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<size_t>(width_) * height_, 0) {}

uint32_t Premultiply(uint8_t alpha, uint8_t red, uint8_t green, uint8_t blue) {
    return static_cast<uint32_t>(alpha) << 24 | Div255(red * alpha) << 16 |
           Div255(green * alpha) << 8 | Div255(blue * alpha);
}

void Clear(PixelView target) {
    for (int y = 0; y < target.height; ++y) {
        std::memset(target.Row(y), 0, static_cast<size_t>(target.width) * sizeof(uint32_t));
    }
}

PixelView Window(const PixelView& view, const Rect& area) {
    const Rect whole = view.Area();
    const int left = std::clamp(area.left, whole.left, whole.right);
    const int top = std::clamp(area.top, whole.top, whole.bottom);
    const int right = std::clamp(area.right, left, whole.right);
    const int bottom = std::clamp(area.bottom, top, whole.bottom);
    PixelView part = view;
    if (left == right || top == bottom) {
        part.width = part.height = 0;
        return part;
    }
    part.pixels = view.Row(top - view.top) + (left - view.left);
    part.width = right - left;
    part.height = bottom - top;
    part.left = left;
    part.top = top;
    return part;
}

void Composite(PixelView target, ConstPixelView source, int x, int y, uint8_t constantAlpha) {
    x -= target.left;
    y -= target.top;
    const int left = std::max(x, 0);
    const int top = std::max(y, 0);
    const int right = std::min(x + source.width, target.width);
    const int bottom = std::min(y + source.height, target.height);
    if (left >= right || top >= bottom || constantAlpha == 0) {
        return;
    }
    const int count = right - left;
    for (int row = top; row < bottom; ++row) {
        const uint32_t* from = source.Row(row - y) + (left - x);
        uint32_t* to = target.Row(row) + left;
        if (constantAlpha == 255) {
            for (int i = 0; i < count; ++i) {
                to[i] = Over(from[i], to[i]);
            }
        } else {
            for (int i = 0; i < count; ++i) {
                if (from[i] != 0) {
                    to[i] = Over(Scale(from[i], constantAlpha), to[i]);
                }
            }
        }
    }
}

PixelRuns::PixelRuns(ConstPixelView picture) {
    auto kindOf = [](uint32_t pixel) {
        const uint32_t alpha = pixel >> 24;
        return alpha == 0 ? kTransparent : alpha == 255 ? kOpaque : kMixed;
    };
    rowStarts_.reserve(static_cast<size_t>(picture.height) + 1);
    for (int y = 0; y < picture.height; ++y) {
        rowStarts_.push_back(runs_.size());
        const uint32_t* row = picture.Row(y);
        int x = 0;
        while (x < picture.width) {
            const Kind kind = kindOf(row[x]);
            const int start = x;
            while (x < picture.width && kindOf(row[x]) == kind) {
                ++x;
            }
            runs_.push_back(Run{start, x, kind});
        }
    }
    rowStarts_.push_back(runs_.size());
}

void PixelRuns::CompositeOpaque(PixelView target, ConstPixelView picture, int x, int y) const {
    x -= target.left;
    y -= target.top;
    const int top = std::max(y, 0);
    const int bottom = std::min(y + picture.height, target.height);
    for (int row = top; row < bottom; ++row) {
        const int pictureRow = row - y;
        const uint32_t* from = picture.Row(pictureRow);
        uint32_t* to = target.Row(row);
        for (size_t i = rowStarts_[pictureRow]; i < rowStarts_[pictureRow + 1]; ++i) {
            const Run& run = runs_[i];
            const int left = std::max(x + run.start, 0);
            const int right = std::min(x + run.end, target.width);
            if (left >= right || run.kind == kTransparent) {
                continue;
            }
            if (run.kind == kOpaque) {
                std::memcpy(to + left, from + (left - x),
                            static_cast<size_t>(right - left) * sizeof(uint32_t));
            } else {
                for (int column = left; column < right; ++column) {
                    to[column] = Over(from[column - x], to[column]);
                }
            }
        }
    }
}

Rect ChangedArea(ConstPixelView now, ConstPixelView before) {
    const size_t rowBytes = static_cast<size_t>(now.width) * sizeof(uint32_t);
    auto rowDiffers = [&](int y) { return std::memcmp(now.Row(y), before.Row(y), rowBytes) != 0; };
    int top = 0;
    while (top < now.height && !rowDiffers(top)) {
        ++top;
    }
    if (top == now.height) {
        return Rect{};
    }
    int bottom = now.height;
    while (!rowDiffers(bottom - 1)) {
        --bottom;
    }
    int left = now.width;
    int right = 0;
    for (int y = top; y < bottom; ++y) {
        const uint32_t* a = now.Row(y);
        const uint32_t* b = before.Row(y);
        for (int x = 0; x < left; ++x) {
            if (a[x] != b[x]) {
                left = x;
                break;
            }
        }
        for (int x = now.width - 1; x >= right; --x) {
            if (a[x] != b[x]) {
                right = x + 1;
                break;
            }
        }
    }
    return Rect{left, top, right, bottom};
}

}  // namespace ui
