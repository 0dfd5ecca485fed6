// Runs of opaque pixels, one pass over the rows, into one growing region-data block.
#include "popups/ShapeRuns.h"

#include <cstring>

namespace shape {

namespace {

constexpr uint32_t kRectanglesType = 1;
constexpr size_t kCountOffset = 8;

void Put32(uint8_t* at, uint32_t value) {
    std::memcpy(at, &value, sizeof(value));
}

uint32_t Get32(const uint8_t* at) {
    uint32_t value;
    std::memcpy(&value, at, sizeof(value));
    return value;
}

size_t BytesFor(uint32_t capacity) {
    return (size_t{capacity} + 2) * RegionBlock::kRectBytes;
}

int BytesPerPixel(PixelLayout layout) {
    switch (layout) {
        case PixelLayout::Indexed8:
            return 1;
        case PixelLayout::Rgb565:
            return 2;
        case PixelLayout::Rgb24:
            return 3;
        case PixelLayout::Rgb32:
            return 4;
        case PixelLayout::Unsupported:
            break;
    }
    return 0;
}

// The pixel at `at` in the form KeyForLayout gives the key.
uint32_t PixelValue(const PixelRows& pixels, const uint8_t* at) {
    switch (pixels.layout) {
        case PixelLayout::Indexed8:
            // An index past the colour table names no colour, so it cannot be the key.
            return *at < pixels.paletteSize ? pixels.palette[*at] : 0xFFFFFFFFu;
        case PixelLayout::Rgb565:
            return uint32_t{at[0]} | uint32_t{at[1]} << 8;
        case PixelLayout::Rgb24:
            return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16;
        case PixelLayout::Rgb32:
            return Get32(at);  // a fourth byte other than 0 never matches
        case PixelLayout::Unsupported:
            break;
    }
    return 0;
}

RegionBlock WholePicture(const PixelRows& pixels) {
    RegionBlock block(1);
    if (pixels.width > 0 && pixels.height > 0) {
        block.Append({0, 0, pixels.width, pixels.height});
    }
    return block;
}

}  // namespace

RegionBlock::RegionBlock(uint32_t capacity) : capacity_(capacity), bytes_(BytesFor(capacity)) {
    Put32(bytes_.data(), kHeaderBytes);
    Put32(bytes_.data() + 4, kRectanglesType);
}

uint32_t RegionBlock::Count() const {
    return Get32(bytes_.data() + kCountOffset);
}

void RegionBlock::Append(const Rect& rect) {
    const uint32_t count = Count();
    if (count >= capacity_) {  // only a block made with no room at all
        Grow();
    }
    uint8_t* at = bytes_.data() + kHeaderBytes + size_t{count} * kRectBytes;
    Put32(at, static_cast<uint32_t>(rect.left));
    Put32(at + 4, static_cast<uint32_t>(rect.top));
    Put32(at + 8, static_cast<uint32_t>(rect.right));
    Put32(at + 12, static_cast<uint32_t>(rect.bottom));
    Put32(bytes_.data() + kCountOffset, count + 1);
    if (count + 1 >= capacity_) {
        Grow();
    }
}

void RegionBlock::Grow() {
    capacity_ += kGrowth;
    bytes_.resize(BytesFor(capacity_));
}

Rect RegionBlock::At(uint32_t index) const {
    const uint8_t* at = bytes_.data() + kHeaderBytes + size_t{index} * kRectBytes;
    return {static_cast<int32_t>(Get32(at)), static_cast<int32_t>(Get32(at + 4)),
            static_cast<int32_t>(Get32(at + 8)), static_cast<int32_t>(Get32(at + 12))};
}

PixelLayout LayoutOf(uint16_t bitsPerPixel, uint32_t compression, const uint32_t masks[3]) {
    const bool plain = compression == kCompressionRgb;
    const bool fields = compression == kCompressionBitfields;
    auto masksAre = [masks](uint32_t red, uint32_t green, uint32_t blue) {
        return masks[0] == red && masks[1] == green && masks[2] == blue;
    };
    switch (bitsPerPixel) {
        case 8:
            return plain ? PixelLayout::Indexed8 : PixelLayout::Unsupported;
        case 16:
            // Plain 16-bit pixels are 5-5-5.
            return fields && masksAre(0xF800, 0x07E0, 0x001F) ? PixelLayout::Rgb565
                                                              : PixelLayout::Unsupported;
        case 24:
            return plain ? PixelLayout::Rgb24 : PixelLayout::Unsupported;
        case 32:
            return plain || (fields && masksAre(0xFF0000, 0x00FF00, 0x0000FF))
                       ? PixelLayout::Rgb32
                       : PixelLayout::Unsupported;
    }
    return PixelLayout::Unsupported;
}

uint32_t KeyForLayout(PixelLayout layout, uint32_t colorRef) {
    const uint32_t red = colorRef & 0xFF;
    const uint32_t green = (colorRef >> 8) & 0xFF;
    const uint32_t blue = (colorRef >> 16) & 0xFF;
    if (layout == PixelLayout::Rgb565) {
        return ((red & 0xF8) << 8) | ((green & 0xFC) << 3) | (blue >> 3);
    }
    return red << 16 | green << 8 | blue;
}

RegionBlock BuildRuns(const PixelRows& pixels, uint32_t colorRef) {
    const int bytesPerPixel = BytesPerPixel(pixels.layout);
    if (pixels.width <= 0 || pixels.height <= 0) {
        return RegionBlock(pixels.height > 0 ? static_cast<uint32_t>(pixels.height) : 0);
    }
    const size_t rowBytes = size_t(pixels.width) * size_t(bytesPerPixel);
    const size_t stride = (rowBytes + 3) & ~size_t{3};
    if (bytesPerPixel == 0 || !pixels.bits || pixels.size / stride < size_t(pixels.height)) {
        return WholePicture(pixels);
    }
    const uint32_t key = KeyForLayout(pixels.layout, colorRef);
    RegionBlock block(static_cast<uint32_t>(pixels.height));
    for (int32_t y = 0; y < pixels.height; ++y) {
        // Bottom-up: the top row is the last one in the buffer.
        const uint8_t* row = pixels.bits + size_t(pixels.height - 1 - y) * stride;
        bool inRun = false;
        int32_t runStart = 0;
        for (int32_t x = 0; x < pixels.width; ++x) {
            const bool opaque = PixelValue(pixels, row + size_t(x) * bytesPerPixel) != key;
            if (inRun && !opaque) {
                block.Append({runStart, y, x, y + 1});
                inRun = false;
            } else if (!inRun && opaque) {
                runStart = x;
                inRun = true;
            }
        }
        if (inRun) {
            block.Append({runStart, y, pixels.width, y + 1});
        }
    }
    return block;
}

}  // namespace shape
