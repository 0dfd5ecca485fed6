// The run builder behind window shapes: one one-pixel-high rectangle per horizontal run of
// pixels that are not the key colour, gathered in one block laid out as the platform's RGNDATA.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace shape {

struct Rect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
    bool operator==(const Rect& other) const {
        return left == other.left && top == other.top && right == other.right &&
               bottom == other.bottom;
    }
};

// A region-data block: a 32-byte header (size 32, type 1 "rectangles", the count, region size
// and bounds left 0) followed by 16-byte rectangles. Room starts at the given capacity and
// grows by 40 rectangles whenever the count reaches it.
class RegionBlock {
public:
    static constexpr uint32_t kHeaderBytes = 32;
    static constexpr uint32_t kRectBytes = 16;
    static constexpr uint32_t kGrowth = 40;

    explicit RegionBlock(uint32_t capacity);

    void Append(const Rect& rect);
    uint32_t Count() const;
    uint32_t Capacity() const { return capacity_; }
    Rect At(uint32_t index) const;

    // The header and the stored rectangles, ready for the platform's region creation.
    const uint8_t* Data() const { return bytes_.data(); }
    size_t Size() const { return kHeaderBytes + size_t{Count()} * kRectBytes; }

private:
    void Grow();

    uint32_t capacity_;
    std::vector<uint8_t> bytes_;
};

// How the bytes of a pixel row are read. Anything the builder cannot read faithfully is
// Unsupported and gives no shape.
enum class PixelLayout { Indexed8, Rgb565, Rgb24, Rgb32, Unsupported };

// Device-independent compression codes as the platform numbers them.
constexpr uint32_t kCompressionRgb = 0;
constexpr uint32_t kCompressionBitfields = 3;

// The layout of a device-independent pixel format; `masks` (red, green, blue) count only
// with bit-field compression.
PixelLayout LayoutOf(uint16_t bitsPerPixel, uint32_t compression, const uint32_t masks[3]);

// Device-independent pixel rows, bottom-up, each padded to a multiple of 4 bytes.
struct PixelRows {
    const uint8_t* bits = nullptr;
    size_t size = 0;  // bytes available at `bits`
    int32_t width = 0;
    int32_t height = 0;
    PixelLayout layout = PixelLayout::Unsupported;
    const uint32_t* palette = nullptr;  // Indexed8: entries as 0x00RRGGBB
    size_t paletteSize = 0;
};

// The key colour (0x00BBGGRR) in the form a pixel of `layout` is compared with.
uint32_t KeyForLayout(PixelLayout layout, uint32_t colorRef);

// The shape of the picture: its runs of pixels other than `colorRef`, row by row from the top,
// left to right. Starts with room for one rectangle per row. A layout it cannot read, or rows
// that do not fit in `size`, give the whole picture as one rectangle instead.
RegionBlock BuildRuns(const PixelRows& pixels, uint32_t colorRef);

}  // namespace shape
