#include "core/DisplayScale.h"

#include <iterator>

namespace scale {

int DisplayScale::ArtworkPercent() const {
    for (int percent : kArtworkPercents) {
        if (percent * kBaseDpi >= dpi_ * 100) {
            return percent;
        }
    }
    return *std::rbegin(kArtworkPercents);
}

int FigureOfArtwork(int pixels, int percent) {
    if (percent <= 0 || pixels <= 0) {
        return pixels;
    }
    const DisplayScale set(percent * kBaseDpi / 100);
    int figure = (pixels * 100 + percent / 2) / percent;
    // Rounded twice, the estimate can be one off; the rule decides.
    while (figure > 0 && set.Px(figure) > pixels) {
        --figure;
    }
    while (set.Px(figure + 1) <= pixels) {
        ++figure;
    }
    return figure;
}

std::string PictureName(const std::string& name, int percent) {
    return percent == 100 ? name : name + "_" + std::to_string(percent);
}

std::string BitmapName(int id, int percent) {
    return percent == 100 ? "#" + std::to_string(id)
                          : "IDB" + std::to_string(id) + "_" + std::to_string(percent);
}

}  // namespace scale
