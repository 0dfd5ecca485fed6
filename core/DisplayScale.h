// The display's scale: one factor (the window's dots per inch over 96) and one rounding rule
// through which every pixel figure of the windows' layouts passes, and the artwork set whose
// pictures serve a scale. Portable.
#pragma once

#include <string>

namespace scale {

// 100 %: the layouts' own figures.
constexpr int kBaseDpi = 96;

// The artwork sets the build renders, in percent, ascending. Larger scales take the last.
constexpr int kArtworkPercents[] = {100, 125, 150, 175, 200};

class DisplayScale {
public:
    constexpr DisplayScale() = default;
    // Unknown or nonsensical values (0, negative) stand for 100 %.
    constexpr explicit DisplayScale(int dpi) : dpi_(dpi > 0 ? dpi : kBaseDpi) {}

    constexpr int Dpi() const { return dpi_; }
    constexpr bool IsBase() const { return dpi_ == kBaseDpi; }

    // The one rounding rule: figure x dpi / 96, to the nearest pixel, halves away from zero.
    // At 100 % every figure stays as it is.
    constexpr int Px(int figure) const {
        const long long magnitude =
            (static_cast<long long>(figure < 0 ? -figure : figure) * dpi_ + kBaseDpi / 2) /
            kBaseDpi;
        return static_cast<int>(figure < 0 ? -magnitude : magnitude);
    }

    // The nearest figure to a length in pixels at this scale, for carrying a place from one
    // scale to another.
    constexpr int Figure(int pixels) const {
        const long long magnitude =
            (static_cast<long long>(pixels < 0 ? -pixels : pixels) * kBaseDpi + dpi_ / 2) / dpi_;
        return static_cast<int>(pixels < 0 ? -magnitude : magnitude);
    }

    // The artwork set that serves this scale: the exact one, else the next larger, else (above
    // 200 %) the largest. Pictures of another size are brought to Px of their figures.
    int ArtworkPercent() const;
    // The scale of that set: windows drawn from bitmaps, which are not resampled, are laid out
    // at it.
    DisplayScale ArtworkScale() const { return DisplayScale(ArtworkPercent() * kBaseDpi / 100); }
    // The set's pictures are this scale's own, with no resampling.
    bool ArtworkIsExact() const { return ArtworkPercent() * kBaseDpi == dpi_ * 100; }

    constexpr bool operator==(const DisplayScale& other) const { return dpi_ == other.dpi_; }
    constexpr bool operator!=(const DisplayScale& other) const { return dpi_ != other.dpi_; }

private:
    int dpi_ = kBaseDpi;
};

// Where a window's corner goes along one axis when the window changes from scale `from` to
// `to` under the pointer at `pointer`, so that the point of the window under the pointer
// stays under it.
constexpr int CornerKeepingPointer(int corner, int pointer, const DisplayScale& from,
                                   const DisplayScale& to) {
    return pointer - to.Px(from.Figure(pointer - corner));
}

// The size of a picture in layout figures, from its size in the set of `percent` (the
// inverse of the rounding rule, which is one to one from 100 % up).
int FigureOfArtwork(int pixels, int percent);

// A "PNG" picture's resource name in a set: the name itself at 100 %, else name_percent
// ("IDB_CLOSE_150").
std::string PictureName(const std::string& name, int percent);

// A bitmap's resource name in a set: "#id" (the integer id) at 100 %, else IDBid_percent
// ("IDB161_150").
std::string BitmapName(int id, int percent);

}  // namespace scale
