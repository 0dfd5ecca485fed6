// BuildShape: the bitmap's pixels in its own format through GetDIBits, the runs from the
// portable builder, and one ExtCreateRegion over the whole block.
#include "popups/BitmapShape.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kInfoWithMasks = sizeof(BITMAPINFOHEADER) + 3 * sizeof(DWORD);
constexpr size_t kInfoWithPalette = sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD);

BITMAPINFOHEADER& HeaderOf(std::vector<uint8_t>& info) {
    return *reinterpret_cast<BITMAPINFOHEADER*>(info.data());
}

// No shape: the picture's own rectangle.
shape::RegionBlock WholePicture(const BITMAP& description) {
    shape::PixelRows pixels;
    pixels.width = description.bmWidth;
    pixels.height = std::abs(description.bmHeight);
    return shape::BuildRuns(pixels, 0);
}

}  // namespace

std::optional<shape::RegionBlock> BuildShapeBlock(HBITMAP picture, COLORREF key,
                                                  SIZE* pictureSize) {
    BITMAP description{};
    if (pictureSize) {
        *pictureSize = SIZE{0, 0};
    }
    if (!picture || !GetObjectA(picture, sizeof(description), &description)) {
        return std::nullopt;
    }
    if (pictureSize) {
        *pictureSize = SIZE{description.bmWidth, description.bmHeight};
    }

    // The format first (with room for the three colour masks), then the pixels in it.
    std::vector<uint8_t> info(kInfoWithMasks, 0);
    HeaderOf(info).biSize = sizeof(BITMAPINFOHEADER);
    fw::MemoryDc screen(CreateICA("DISPLAY", nullptr, nullptr, nullptr));
    const UINT rows = static_cast<UINT>(std::abs(description.bmHeight));
    if (!GetDIBits(screen.Get(), picture, 0, rows, nullptr,
                   reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS)) {
        return WholePicture(description);
    }
    const BITMAPINFOHEADER format = HeaderOf(info);
    const int32_t height = std::abs(format.biHeight);
    // The image size may be left 0 for plain formats; the rows themselves decide the buffer.
    const size_t stride = ((size_t(std::abs(format.biWidth)) * format.biBitCount + 31) / 32) * 4;
    const size_t bytes = std::max<size_t>(format.biSizeImage, stride * size_t(height));
    std::vector<uint8_t> bits(bytes + 4, 0);
    // Every format of 8 bits or fewer gets a colour table with the pixels: room for it,
    // or the read would write past the block.
    if (format.biBitCount <= 8) {
        std::vector<uint8_t> withPalette(kInfoWithPalette, 0);
        std::memcpy(withPalette.data(), info.data(), sizeof(BITMAPINFOHEADER) + sizeof(DWORD));
        info.swap(withPalette);
    }
    HeaderOf(info).biHeight = height;  // bottom-up rows, as the builder reads them
    const int copied = GetDIBits(screen.Get(), picture, 0, static_cast<UINT>(height), bits.data(),
                                 reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS);
    screen.Reset();

    // The masks are filled in by the read itself.
    const BITMAPINFOHEADER& read = HeaderOf(info);
    uint32_t masks[3] = {};
    std::memcpy(masks, info.data() + sizeof(BITMAPINFOHEADER), sizeof(masks));
    shape::PixelRows pixels;
    pixels.bits = bits.data();
    pixels.size = bytes;
    pixels.width = read.biWidth;
    pixels.height = height;
    // Pixels that could not be read give no shape rather than one made of whatever the
    // buffer held.
    pixels.layout = copied > 0 ? shape::LayoutOf(read.biBitCount, read.biCompression, masks)
                               : shape::PixelLayout::Unsupported;
    std::vector<uint32_t> palette;
    if (pixels.layout == shape::PixelLayout::Indexed8) {
        palette.resize(256);
        std::memcpy(palette.data(), info.data() + sizeof(BITMAPINFOHEADER),
                    palette.size() * sizeof(uint32_t));
        pixels.palette = palette.data();
        pixels.paletteSize = palette.size();
    }
    return shape::BuildRuns(pixels, key);
}

fw::RegionHandle BuildShape(HBITMAP picture, COLORREF key, SIZE* pictureSize) {
    const std::optional<shape::RegionBlock> block = BuildShapeBlock(picture, key, pictureSize);
    if (!block) {
        return fw::RegionHandle();
    }
    return fw::RegionHandle(ExtCreateRegion(nullptr, static_cast<DWORD>(block->Size()),
                                            reinterpret_cast<const RGNDATA*>(block->Data())));
}
