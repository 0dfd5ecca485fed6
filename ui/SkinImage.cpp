// Drawing a decoded skin picture; its decoding is in SkinImageLoad.cpp (Windows only).
#include "ui/SkinImage.h"

#include <algorithm>
#include <utility>

namespace ui {

void SkinImage::Assign(PixelBuffer pixels) {
    pixels_ = std::move(pixels);
    runs_ = PixelRuns(pixels_.View());
}

void SkinImage::Draw(PixelView target, int x, int y, int w, int h, bool dimmed) const {
    if (!dimmed && w >= pixels_.Width() && h >= pixels_.Height()) {
        runs_.CompositeOpaque(target, pixels_.View(), x, y);
        return;
    }
    ConstPixelView source = pixels_.View();
    source.width = std::clamp(w, 0, source.width);
    source.height = std::clamp(h, 0, source.height);
    Composite(target, source, x, y, dimmed ? kDimmedAlpha : 255);
}

void FitToScale(SkinImage& image, int percent, const scale::DisplayScale& scale) {
    if (image.Pixels().Empty()) {
        return;
    }
    const int width = scale.Px(scale::FigureOfArtwork(image.Width(), percent));
    const int height = scale.Px(scale::FigureOfArtwork(image.Height(), percent));
    if (width != image.Width() || height != image.Height()) {
        image.Assign(Resampled(image.Pixels().View(), width, height));
    }
}

}  // namespace ui
