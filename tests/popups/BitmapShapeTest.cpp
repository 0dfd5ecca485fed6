// BuildShape on the phone-book editor's picture (360 × 200, magenta corners), copied into each
// pixel format a display bitmap can have, and as the program loads it.
#include "popups/BitmapShape.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"

namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);

// The picture's shape as the artwork gives it: rows 0 to 6 lose 6, 5, 4, 3, 2, 1 and 1 pixels
// at each end, the bottom seven rows mirror them, every other row is whole.
std::vector<shape::Rect> PictureShape() {
    const int cut[] = {6, 5, 4, 3, 2, 1, 1};
    std::vector<shape::Rect> rects;
    for (int y = 0; y < 200; ++y) {
        const int fromEnd = y < 7 ? y : 199 - y;
        const int c = fromEnd < 7 ? cut[fromEnd] : 0;
        rects.push_back({c, y, 360 - c, y + 1});
    }
    return rects;
}

std::string Describe(const shape::RegionBlock& block) {
    std::string text;
    for (uint32_t i = 0; i < block.Count(); ++i) {
        const shape::Rect r = block.At(i);
        text += "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                std::to_string(r.right) + "," + std::to_string(r.bottom) + ") ";
    }
    return text;
}

std::string Describe(const std::vector<shape::Rect>& rects) {
    shape::RegionBlock block(1);
    for (const shape::Rect& r : rects) {
        block.Append(r);
    }
    return Describe(block);
}

// A DIB section of the given format holding a copy of the picture.
fw::BitmapHandle CopyInto(HBITMAP picture, WORD bits, DWORD compression,
                          std::vector<DWORD> colours) {
    std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = 360;
    header->biHeight = 200;
    header->biPlanes = 1;
    header->biBitCount = bits;
    header->biCompression = compression;
    header->biClrUsed = bits == 8 ? static_cast<DWORD>(colours.size()) : 0;
    std::memcpy(info.data() + sizeof(BITMAPINFOHEADER), colours.data(),
                colours.size() * sizeof(DWORD));
    void* pixels = nullptr;
    fw::BitmapHandle copy(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()),
                                           DIB_RGB_COLORS, &pixels, nullptr, 0));
    fw::MemoryDc from(CreateCompatibleDC(nullptr));
    fw::MemoryDc to(CreateCompatibleDC(nullptr));
    HGDIOBJ oldFrom = SelectObject(from.Get(), picture);
    HGDIOBJ oldTo = SelectObject(to.Get(), copy.Get());
    BitBlt(to.Get(), 0, 0, 360, 200, from.Get(), 0, 0, SRCCOPY);
    SelectObject(from.Get(), oldFrom);
    SelectObject(to.Get(), oldTo);
    return copy;
}

// A colour cube (which holds magenta) and greys.
std::vector<DWORD> Palette() {
    std::vector<DWORD> colours;
    for (DWORD r = 0; r < 6; ++r) {
        for (DWORD g = 0; g < 6; ++g) {
            for (DWORD b = 0; b < 6; ++b) {
                colours.push_back(r * 51 << 16 | g * 51 << 8 | b * 51);
            }
        }
    }
    for (DWORD grey = 0; colours.size() < 256; grey += 6) {
        colours.push_back(grey << 16 | grey << 8 | grey);
    }
    return colours;
}

TEST(BitmapShape, ThePhoneBookPictureGivesOneRunPerRowInEveryFaithfulFormat) {
    fw::BitmapHandle loaded(
        LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_BOOK_BACKGROUND)));
    ASSERT_TRUE(loaded.Valid());
    const std::vector<shape::Rect> shaped = PictureShape();
    const struct {
        const char* what;
        fw::BitmapHandle picture;
        std::vector<shape::Rect> expected;
    } formats[] = {
        {"24 bits", CopyInto(loaded.Get(), 24, BI_RGB, {}), shaped},
        {"32 bits", CopyInto(loaded.Get(), 32, BI_RGB, {}), shaped},
        {"16 bits 5-6-5", CopyInto(loaded.Get(), 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}),
         shaped},
        {"8 bits", CopyInto(loaded.Get(), 8, BI_RGB, Palette()), shaped},
        {"16 bits 5-5-5: no shape", CopyInto(loaded.Get(), 16, BI_RGB, {}), {{0, 0, 360, 200}}},
        {"4 bits: no shape", CopyInto(loaded.Get(), 4, BI_RGB, {0, 0xFFFFFF}), {{0, 0, 360, 200}}},
        {"as loaded for the display", std::move(loaded), shaped},
    };
    for (const auto& format : formats) {
        ASSERT_TRUE(format.picture.Valid()) << format.what;
        SIZE size{};
        const auto block = BuildShapeBlock(format.picture.Get(), kMagenta, &size);
        ASSERT_TRUE(block.has_value()) << format.what;
        EXPECT_EQ(size.cx, 360) << format.what;
        EXPECT_EQ(size.cy, 200) << format.what;
        EXPECT_EQ(Describe(*block), Describe(format.expected)) << format.what;

        // The platform takes the whole block as one region of exactly those pixels.
        fw::RegionHandle region = BuildShape(format.picture.Get(), kMagenta, nullptr);
        ASSERT_TRUE(region.Valid()) << format.what;
        fw::RegionHandle expected(CreateRectRgn(0, 0, 0, 0));
        for (const shape::Rect& r : format.expected) {
            fw::RegionHandle row(CreateRectRgn(r.left, r.top, r.right, r.bottom));
            CombineRgn(expected.Get(), expected.Get(), row.Get(), RGN_OR);
        }
        EXPECT_TRUE(EqualRgn(region.Get(), expected.Get())) << format.what;
    }
}

TEST(BitmapShape, TheBlockForTheTwoHundredRowsGrowsOnceTo240) {
    fw::BitmapHandle loaded(
        LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_BOOK_BACKGROUND)));
    const auto block = BuildShapeBlock(loaded.Get(), kMagenta, nullptr);
    ASSERT_TRUE(block.has_value());
    EXPECT_EQ(block->Count(), 200u);
    EXPECT_EQ(block->Capacity(), 240u);
}

TEST(BitmapShape, NoBitmapGivesNoRegionAndNoSize) {
    SIZE size{1, 1};
    EXPECT_FALSE(BuildShape(nullptr, kMagenta, &size).Valid());
    EXPECT_EQ(size.cx, 0);
    EXPECT_EQ(size.cy, 0);
    fw::BitmapHandle gone(CreateBitmap(4, 4, 1, 32, nullptr));
    HBITMAP stale = gone.Get();
    gone.Reset();
    EXPECT_FALSE(BuildShape(stale, kMagenta, &size).Valid());
}

}  // namespace
