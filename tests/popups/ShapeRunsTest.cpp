// The run builder on small pictures drawn as text, in each pixel layout it reads: which runs
// become rectangles, and the block's growth.
#include "popups/ShapeRuns.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using shape::PixelLayout;

constexpr uint32_t kMagenta = 0xFF00FF;  // 0x00BBGGRR
constexpr uint32_t kPalette[] = {0x00FF00FF, 0x00204060};
const PixelLayout kLayouts[] = {PixelLayout::Indexed8, PixelLayout::Rgb565, PixelLayout::Rgb24,
                                PixelLayout::Rgb32};

// '#' an opaque pixel, '.' the key colour, 'a' the key's bytes with a fourth byte 0xFF (a
// 32-bit pixel only).
std::vector<uint8_t> Pixel(char c, PixelLayout layout) {
    const bool ink = c == '#';
    switch (layout) {
        case PixelLayout::Indexed8:
            return {uint8_t(ink ? 1 : 0)};
        case PixelLayout::Rgb565:
            return ink ? std::vector<uint8_t>{0x04, 0x21} : std::vector<uint8_t>{0x1F, 0xF8};
        case PixelLayout::Rgb24:
            return ink ? std::vector<uint8_t>{0x40, 0x40, 0x40}
                       : std::vector<uint8_t>{0xFF, 0, 0xFF};
        case PixelLayout::Rgb32:
            return ink ? std::vector<uint8_t>{0x40, 0x40, 0x40, 0}
                       : std::vector<uint8_t>{0xFF, 0, 0xFF, uint8_t(c == 'a' ? 0xFF : 0)};
        case PixelLayout::Unsupported:
            break;
    }
    return {};
}

// Rows bottom-up and padded to 4 bytes, as device-independent rows are.
struct Picture {
    Picture(const std::vector<std::string>& lines, PixelLayout layout) {
        for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
            for (char c : *line) {
                const std::vector<uint8_t> pixel = Pixel(c, layout);
                bits.insert(bits.end(), pixel.begin(), pixel.end());
            }
            bits.resize((bits.size() + 3) / 4 * 4, 0xEE);
        }
        rows = {bits.data(),
                bits.size(),
                static_cast<int32_t>(lines[0].size()),
                static_cast<int32_t>(lines.size()),
                layout,
                kPalette,
                std::size(kPalette)};
    }
    std::vector<uint8_t> bits;
    shape::PixelRows rows;
};

std::string Describe(const shape::RegionBlock& block) {
    std::string text;
    for (uint32_t i = 0; i < block.Count(); ++i) {
        const shape::Rect r = block.At(i);
        text += "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
    }
    return text;
}

TEST(ShapeRuns, OneRectanglePerRunOfOpaquePixelsRowByRowFromTheTop) {
    const struct {
        std::vector<std::string> lines;
        const char* runs;
        bool only32;
    } cases[] = {
        {{"###", "###"}, "(0,0,3,1)(0,1,3,2)", false},  // no key pixel: each row whole
        {{"#.#", "...", ".#."}, "(0,0,1,1)(2,0,3,1)(1,2,2,3)", false},
        {{"..###", "....#"}, "(2,0,5,1)(4,1,5,2)", false},  // runs to the right edge
        {{".....#.."}, "(5,0,6,1)", false},
        {{"....", "...."}, "", false},
        {{"..##..", ".####.", "######"}, "(2,0,4,1)(1,1,5,2)(0,2,6,3)", false},
        {{".a.", "aa."}, "(1,0,2,1)(0,1,2,2)", true},  // a fourth byte is never the key's
    };
    for (const auto& c : cases) {
        for (PixelLayout layout : kLayouts) {
            if (!c.only32 || layout == PixelLayout::Rgb32) {
                const Picture picture(c.lines, layout);
                EXPECT_EQ(Describe(shape::BuildRuns(picture.rows, kMagenta)), c.runs)
                    << c.lines[0] << ", layout " << static_cast<int>(layout);
            }
        }
    }
}

TEST(ShapeRuns, GrowsBy40RectanglesBeyondTheRowCountAndLosesNone) {
    std::string line;
    std::string expected;
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 200; x += 2) {
            line += y == 0 ? "#." : "";
            expected += "(" + std::to_string(x) + "," + std::to_string(y) + "," +
                        std::to_string(x + 1) + "," + std::to_string(y + 1) + ")";
        }
    }
    for (PixelLayout layout : kLayouts) {
        const Picture picture({line, line, line}, layout);
        const shape::RegionBlock block = shape::BuildRuns(picture.rows, kMagenta);
        EXPECT_EQ(Describe(block), expected);
        EXPECT_EQ(block.Capacity(), 3u + 8 * 40);  // room for the 3 rows, then 40 at a time
        // As the platform takes it: header size 32, type 1, the count; 16 bytes a rectangle.
        const auto* words = reinterpret_cast<const uint32_t*>(block.Data());
        EXPECT_EQ(std::vector<uint32_t>(words, words + 3), (std::vector<uint32_t>{32, 1, 300}));
        EXPECT_EQ(block.Size(), 32u + 300 * 16);
    }
}

}  // namespace
