// Integer rectangles in the window's client space: left and top inside, right and bottom
// outside.
#pragma once

#include <algorithm>

namespace ui {

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }

    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }

    // Empty rectangles (and inverted ones) meet nothing.
    bool Intersects(const Rect& other) const {
        return std::max(left, other.left) < std::min(right, other.right) &&
               std::max(top, other.top) < std::min(bottom, other.bottom);
    }

    // The smallest rectangle holding both; an empty one holds nothing.
    Rect United(const Rect& other) const {
        if (Width() <= 0 || Height() <= 0) {
            return other;
        }
        if (other.Width() <= 0 || other.Height() <= 0) {
            return *this;
        }
        return Rect{std::min(left, other.left), std::min(top, other.top),
                    std::max(right, other.right), std::max(bottom, other.bottom)};
    }

    // The same size with its top-left corner at (x, y).
    Rect MovedTo(int x, int y) const { return Rect{x, y, x + Width(), y + Height()}; }

    bool operator==(const Rect& other) const {
        return left == other.left && top == other.top && right == other.right &&
               bottom == other.bottom;
    }
    bool operator!=(const Rect& other) const { return !(*this == other); }
};

}  // namespace ui
