// Resampling a picture to another size, one axis at a time: area averaging to reduce, linear
// interpolation to enlarge. Premultiplied channels can be mixed as they are.
#include <algorithm>
#include <cmath>
#include <vector>

#include "ui/Pixels.h"

namespace ui {

namespace {

// One source position a target position mixes in, with its share in 1/65536.
struct Tap {
    int index;
    int weight;
};

// The target positions' taps, all in one row: position i mixes taps[begin[i]] up to
// taps[begin[i + 1]], whose weights sum to 65536.
struct Taps {
    std::vector<Tap> taps;
    std::vector<size_t> begin;
};

Taps TapsFor(int from, int to) {
    Taps result;
    result.begin.reserve(static_cast<size_t>(to) + 1);
    const double ratio = static_cast<double>(from) / to;
    for (int i = 0; i < to; ++i) {
        result.begin.push_back(result.taps.size());
        const size_t first = result.taps.size();
        if (to <= from) {
            // The source span [i, i + 1) x ratio, partly covered pixels by their share.
            const double begin = i * ratio;
            const double end = (i + 1) * ratio;
            for (int s = static_cast<int>(begin); s < end && s < from; ++s) {
                const double covered = std::min<double>(end, s + 1) - std::max<double>(begin, s);
                if (covered > 0) {
                    result.taps.push_back(
                        {s, static_cast<int>(std::lround(covered / ratio * 65536))});
                }
            }
        } else {
            const double centre = std::clamp((i + 0.5) * ratio - 0.5, 0.0, from - 1.0);
            const int low = static_cast<int>(centre);
            const int share = static_cast<int>(std::lround((centre - low) * 65536));
            result.taps.push_back({low, 65536 - share});
            if (share > 0 && low + 1 < from) {
                result.taps.push_back({low + 1, share});
            }
        }
        // Rounded shares may miss the whole by a little: the largest tap takes the rest.
        int sum = 0;
        size_t largest = first;
        for (size_t t = first; t < result.taps.size(); ++t) {
            sum += result.taps[t].weight;
            if (result.taps[t].weight > result.taps[largest].weight) {
                largest = t;
            }
        }
        if (largest < result.taps.size()) {
            result.taps[largest].weight += 65536 - sum;
        }
    }
    result.begin.push_back(result.taps.size());
    return result;
}

// Mixes the pixels `at(index)` by the taps of target position `i`, each channel rounded. The
// channels of premultiplied pixels mixed with weights that sum to one stay premultiplied.
template <class PixelAt>
uint32_t Mix(const Taps& taps, int i, PixelAt at) {
    uint64_t a = 32768, r = 32768, g = 32768, b = 32768;
    for (size_t t = taps.begin[static_cast<size_t>(i)]; t < taps.begin[static_cast<size_t>(i) + 1];
         ++t) {
        const uint32_t pixel = at(taps.taps[t].index);
        const uint64_t w = static_cast<uint64_t>(taps.taps[t].weight);
        a += (pixel >> 24) * w;
        r += ((pixel >> 16) & 0xFF) * w;
        g += ((pixel >> 8) & 0xFF) * w;
        b += (pixel & 0xFF) * w;
    }
    auto byte = [](uint64_t v) { return static_cast<uint32_t>(std::min<uint64_t>(v >> 16, 255)); };
    const uint32_t alpha = byte(a);
    return alpha << 24 | std::min(byte(r), alpha) << 16 | std::min(byte(g), alpha) << 8 |
           std::min(byte(b), alpha);
}

}  // namespace

PixelBuffer Resampled(ConstPixelView source, int width, int height) {
    if (width <= 0 || height <= 0 || source.width <= 0 || source.height <= 0) {
        return PixelBuffer();
    }
    const Taps across = TapsFor(source.width, width);
    const Taps down = TapsFor(source.height, height);
    // Rows first, then the columns of the result.
    PixelBuffer rows(width, source.height);
    for (int y = 0; y < source.height; ++y) {
        const uint32_t* line = source.Row(y);
        uint32_t* out = rows.View().Row(y);
        for (int x = 0; x < width; ++x) {
            out[x] = Mix(across, x, [line](int index) { return line[index]; });
        }
    }
    PixelBuffer result(width, height);
    const ConstPixelView mixed = rows.View();
    for (int y = 0; y < height; ++y) {
        uint32_t* out = result.View().Row(y);
        for (int x = 0; x < width; ++x) {
            out[x] = Mix(down, y, [&mixed, x](int index) { return mixed.Row(index)[x]; });
        }
    }
    return result;
}

}  // namespace ui
