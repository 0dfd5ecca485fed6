// One skin picture, decoded once into premultiplied pixels and drawn at its natural size,
// opaque or dimmed. An empty picture (never loaded, or a load that failed) is 0 by 0 and
// draws nothing.
#pragma once

#include <cstdint>

#include "core/DisplayScale.h"
#include "ui/Pixels.h"

namespace ui {

// Dimmed pictures are composed at this strength (of 255).
constexpr uint8_t kDimmedAlpha = 100;

class SkinImage {
public:
    // Decodes the named resource of `type` (always "PNG") from `module`, an HMODULE. Any
    // previous picture is released first; false leaves the picture empty. Windows only.
    bool Load(const char* name, const char* type, void* module);

    // Takes decoded, premultiplied pixels (the loader's result, or a picture made in code).
    void Assign(PixelBuffer pixels);

    int Width() const { return pixels_.Width(); }
    int Height() const { return pixels_.Height(); }
    const PixelBuffer& Pixels() const { return pixels_; }

    // Draws the top-left w x h of the picture (callers pass its own size) at (x, y),
    // source-over; dimmed at kDimmedAlpha / 255.
    void Draw(PixelView target, int x, int y, int w, int h, bool dimmed) const;

private:
    PixelBuffer pixels_;
    PixelRuns runs_;
};

// A picture of the artwork set of `percent` brought to its size at `scale`, the rounding of
// its figures: unchanged when the set is the scale's own, else reduced (or, above the largest
// set, enlarged) to that size.
void FitToScale(SkinImage& image, int percent, const scale::DisplayScale& scale);

}  // namespace ui
