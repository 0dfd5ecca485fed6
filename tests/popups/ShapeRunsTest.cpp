// The run builder on small pictures drawn as text, in each pixel layout it reads: which runs
// become rectangles, the block's growth, and the formats that give no shape.
#include "popups/ShapeRuns.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using shape::PixelLayout;
using shape::Rect;

constexpr uint32_t kMagenta = 0xFF00FF;  // 0x00BBGGRR
constexpr uint32_t kPalette[] = {0x00FF00FF, 0x00204060};

// '#' an opaque pixel, '.' the key colour, 'a' the key colour's bytes with a fourth byte of
// 0xFF (32-bit only; the other layouts have no such pixel and draw it as the key).
struct Picture {
    std::vector<uint8_t> bits;
    shape::PixelRows rows;
};

void AppendPixel(std::vector<uint8_t>& out, PixelLayout layout, char c) {
    const bool key = c != '#';
    switch (layout) {
        case PixelLayout::Indexed8:
            out.push_back(key ? 0 : 1);
            break;
        case PixelLayout::Rgb565: {
            const uint16_t value = key ? 0xF81F : 0x2104;
            out.push_back(value & 0xFF);
            out.push_back(value >> 8);
            break;
        }
        case PixelLayout::Rgb24:
        case PixelLayout::Rgb32:
            // Blue, green, red: magenta, or a dark grey.
            out.insert(out.end(), key ? std::initializer_list<uint8_t>{0xFF, 0x00, 0xFF}
                                      : std::initializer_list<uint8_t>{0x40, 0x40, 0x40});
            if (layout == PixelLayout::Rgb32) {
                out.push_back(c == 'a' ? 0xFF : 0x00);
            }
            break;
        case PixelLayout::Unsupported:
            out.push_back(0);
            break;
    }
}

// Stored bottom-up with rows padded to 4 bytes, as device-independent rows are.
Picture Draw(const std::vector<std::string>& lines, PixelLayout layout) {
    Picture picture;
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        for (char c : *line) {
            AppendPixel(picture.bits, layout, c);
        }
        while (picture.bits.size() % 4 != 0) {
            picture.bits.push_back(0xEE);
        }
    }
    picture.rows.bits = picture.bits.data();
    picture.rows.size = picture.bits.size();
    picture.rows.width = lines.empty() ? 0 : static_cast<int32_t>(lines[0].size());
    picture.rows.height = static_cast<int32_t>(lines.size());
    picture.rows.layout = layout;
    picture.rows.palette = kPalette;
    picture.rows.paletteSize = std::size(kPalette);
    return picture;
}

std::vector<Rect> RectsOf(const shape::RegionBlock& block) {
    std::vector<Rect> rects;
    for (uint32_t i = 0; i < block.Count(); ++i) {
        rects.push_back(block.At(i));
    }
    return rects;
}

std::string Describe(const std::vector<Rect>& rects) {
    std::string text;
    for (const Rect& r : rects) {
        text += "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                std::to_string(r.right) + "," + std::to_string(r.bottom) + ") ";
    }
    return text;
}

const PixelLayout kAllLayouts[] = {PixelLayout::Indexed8, PixelLayout::Rgb565, PixelLayout::Rgb24,
                                   PixelLayout::Rgb32};

TEST(ShapeRuns, OneRectanglePerRunOfOpaquePixelsRowByRowFromTheTop) {
    const struct {
        const char* what;
        std::vector<std::string> lines;
        std::vector<Rect> expected;
        bool only32 = false;
    } cases[] = {
        {"no key pixel: every row whole", {"###", "###"}, {{0, 0, 3, 1}, {0, 1, 3, 2}}},
        {"a key-coloured row gives nothing",
         {"#.#", "...", ".#."},
         {{0, 0, 1, 1}, {2, 0, 3, 1}, {1, 2, 2, 3}}},
        {"runs to the right edge end at the width",
         {"..###", "....#"},
         {{2, 0, 5, 1}, {4, 1, 5, 2}}},
        {"a one-pixel run", {".....#.."}, {{5, 0, 6, 1}}},
        {"a picture of the key colour only", {"....", "...."}, {}},
        {"rounded corners",
         {"..##..", ".####.", "######", ".####."},
         {{2, 0, 4, 1}, {1, 1, 5, 2}, {0, 2, 6, 3}, {1, 3, 5, 4}}},
        {"a fourth byte makes a pixel opaque", {".a.", "aa."}, {{1, 0, 2, 1}, {0, 1, 2, 2}}, true},
    };
    for (const auto& c : cases) {
        for (PixelLayout layout : kAllLayouts) {
            if (c.only32 && layout != PixelLayout::Rgb32) {
                continue;
            }
            const Picture picture = Draw(c.lines, layout);
            const auto rects = RectsOf(shape::BuildRuns(picture.rows, kMagenta));
            EXPECT_EQ(Describe(rects), Describe(c.expected))
                << c.what << ", layout " << static_cast<int>(layout);
        }
    }
}

TEST(ShapeRuns, GrowsBy40RectanglesBeyondTheRowCountAndLosesNone) {
    // Three rows of 100 one-pixel runs: 300 rectangles from room for 3.
    const std::string line = [] {
        std::string text;
        for (int i = 0; i < 100; ++i) {
            text += "#.";
        }
        return text;
    }();
    for (PixelLayout layout : kAllLayouts) {
        const Picture picture = Draw({line, line, line}, layout);
        const shape::RegionBlock block = shape::BuildRuns(picture.rows, kMagenta);
        ASSERT_EQ(block.Count(), 300u);
        EXPECT_EQ(block.Capacity(), 3u + 8 * 40);
        for (uint32_t i = 0; i < block.Count(); ++i) {
            const int32_t x = static_cast<int32_t>(i % 100) * 2;
            const int32_t y = static_cast<int32_t>(i / 100);
            ASSERT_EQ(block.At(i), (Rect{x, y, x + 1, y + 1})) << i;
        }
        // The block as the platform takes it: header 32, type 1, the count, then the rectangles.
        ASSERT_EQ(block.Size(), (300u + 2) * 16);
        const uint32_t* words = reinterpret_cast<const uint32_t*>(block.Data());
        EXPECT_EQ(words[0], 32u);
        EXPECT_EQ(words[1], 1u);
        EXPECT_EQ(words[2], 300u);
        EXPECT_EQ(words[8 + 4 * 299], 198u);  // the last rectangle's left
    }
}

TEST(ShapeRuns, FormatsThatCannotBeReadFaithfullyGiveTheWholePicture) {
    const uint32_t none[3] = {0, 0, 0};
    const uint32_t m565[3] = {0xF800, 0x07E0, 0x001F};
    const uint32_t m555[3] = {0x7C00, 0x03E0, 0x001F};
    const uint32_t rgb32[3] = {0xFF0000, 0x00FF00, 0x0000FF};
    const uint32_t bgr32[3] = {0x0000FF, 0x00FF00, 0xFF0000};
    const struct {
        uint16_t bits;
        uint32_t compression;
        const uint32_t* masks;
        bool shaped;
    } formats[] = {
        {1, shape::kCompressionRgb, none, false},
        {4, shape::kCompressionRgb, none, false},
        {8, shape::kCompressionRgb, none, true},
        {8, 1 /* run-length */, none, false},
        {16, shape::kCompressionRgb, none, false},  // 5-5-5
        {16, shape::kCompressionBitfields, m555, false},
        {16, shape::kCompressionBitfields, m565, true},
        {24, shape::kCompressionRgb, none, true},
        {32, shape::kCompressionRgb, none, true},
        {32, shape::kCompressionBitfields, rgb32, true},
        {32, shape::kCompressionBitfields, bgr32, false},
        {48, shape::kCompressionRgb, none, false},
    };
    for (const auto& format : formats) {
        const PixelLayout layout = shape::LayoutOf(format.bits, format.compression, format.masks);
        Picture picture = Draw({"..#..", ".###.", "....."}, layout);
        const auto rects = RectsOf(shape::BuildRuns(picture.rows, kMagenta));
        const std::vector<Rect> expected = format.shaped
                                               ? std::vector<Rect>{{2, 0, 3, 1}, {1, 1, 4, 2}}
                                               : std::vector<Rect>{{0, 0, 5, 3}};
        EXPECT_EQ(Describe(rects), Describe(expected))
            << format.bits << " bits, compression " << format.compression;
    }
}

TEST(ShapeRuns, RowsThatDoNotFitTheBufferAreNeverReadPast) {
    Picture picture = Draw({"#..#", "#..#"}, PixelLayout::Rgb24);
    picture.rows.size -= 1;  // the last byte of the top row is missing
    EXPECT_EQ(Describe(RectsOf(shape::BuildRuns(picture.rows, kMagenta))), "(0,0,4,2) ");
    picture.rows.bits = nullptr;
    EXPECT_EQ(Describe(RectsOf(shape::BuildRuns(picture.rows, kMagenta))), "(0,0,4,2) ");
}

}  // namespace
