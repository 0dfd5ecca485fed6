// Resampling a picture to another size, one axis at a time: area averaging to reduce, linear
// interpolation to enlarge. Premultiplied channels can be mixed as they are.
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "ui/Pixels.h"

namespace ui {

namespace {

struct Tap {
    int index;
    float weight;
};

// For each of `to` target positions, the source positions of `from` it mixes, with weights
// that sum to 1.
std::vector<std::vector<Tap>> Taps(int from, int to) {
    std::vector<std::vector<Tap>> taps(static_cast<size_t>(to));
    const double ratio = static_cast<double>(from) / to;
    for (int i = 0; i < to; ++i) {
        std::vector<Tap>& mix = taps[static_cast<size_t>(i)];
        if (to <= from) {
            // The source span [i, i + 1) x ratio, partly covered pixels by their share.
            const double begin = i * ratio;
            const double end = (i + 1) * ratio;
            for (int s = static_cast<int>(begin); s < end && s < from; ++s) {
                const double covered = std::min<double>(end, s + 1) - std::max<double>(begin, s);
                if (covered > 0) {
                    mix.push_back({s, static_cast<float>(covered / ratio)});
                }
            }
        } else {
            const double centre = std::clamp((i + 0.5) * ratio - 0.5, 0.0, from - 1.0);
            const int low = static_cast<int>(centre);
            const double share = centre - low;
            mix.push_back({low, static_cast<float>(1.0 - share)});
            if (share > 0 && low + 1 < from) {
                mix.push_back({low + 1, static_cast<float>(share)});
            }
        }
    }
    return taps;
}

using Channels = std::array<float, 4>;

Channels Unpack(uint32_t pixel) {
    return {static_cast<float>(pixel >> 24), static_cast<float>((pixel >> 16) & 0xFF),
            static_cast<float>((pixel >> 8) & 0xFF), static_cast<float>(pixel & 0xFF)};
}

// Rounded and kept premultiplied: no colour channel above the alpha.
uint32_t Pack(const Channels& c) {
    auto byte = [](float v) {
        return static_cast<uint32_t>(std::clamp(std::lround(v), 0L, 255L));
    };
    const uint32_t alpha = byte(c[0]);
    return alpha << 24 | std::min(byte(c[1]), alpha) << 16 | std::min(byte(c[2]), alpha) << 8 |
           std::min(byte(c[3]), alpha);
}

}  // namespace

PixelBuffer Resampled(ConstPixelView source, int width, int height) {
    if (width <= 0 || height <= 0 || source.width <= 0 || source.height <= 0) {
        return PixelBuffer();
    }
    const auto across = Taps(source.width, width);
    const auto down = Taps(source.height, height);
    // Rows first, into floats, then the columns.
    std::vector<Channels> rows(static_cast<size_t>(width) * source.height);
    for (int y = 0; y < source.height; ++y) {
        const uint32_t* line = source.Row(y);
        for (int x = 0; x < width; ++x) {
            Channels sum{};
            for (const Tap& tap : across[static_cast<size_t>(x)]) {
                const Channels c = Unpack(line[tap.index]);
                for (size_t k = 0; k < 4; ++k) {
                    sum[k] += c[k] * tap.weight;
                }
            }
            rows[static_cast<size_t>(y) * width + x] = sum;
        }
    }
    PixelBuffer result(width, height);
    for (int y = 0; y < height; ++y) {
        uint32_t* line = result.View().Row(y);
        for (int x = 0; x < width; ++x) {
            Channels sum{};
            for (const Tap& tap : down[static_cast<size_t>(y)]) {
                const Channels& c = rows[static_cast<size_t>(tap.index) * width + x];
                for (size_t k = 0; k < 4; ++k) {
                    sum[k] += c[k] * tap.weight;
                }
            }
            line[x] = Pack(sum);
        }
    }
    return result;
}

}  // namespace ui
