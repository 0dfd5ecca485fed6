// BuildShape on the phone-book editor's picture (360 × 200, magenta corners) as the program
// loads it, and copied into each pixel format a bitmap can have.
#include "popups/BitmapShape.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"

namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);

// A DIB section of the given format holding a copy of the picture.
fw::BitmapHandle CopyInto(HBITMAP picture, WORD bits, DWORD compression,
                          const std::vector<DWORD>& colours) {
    std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    *header = {sizeof(BITMAPINFOHEADER),
               360,
               200,
               1,
               bits,
               compression,
               0,
               0,
               0,
               bits <= 8 ? static_cast<DWORD>(colours.size()) : 0,
               0};
    std::memcpy(header + 1, colours.data(), colours.size() * sizeof(DWORD));
    void* pixels = nullptr;
    fw::BitmapHandle copy(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()),
                                           DIB_RGB_COLORS, &pixels, nullptr, 0));
    fw::MemoryDc from(CreateCompatibleDC(nullptr));
    fw::MemoryDc to(CreateCompatibleDC(nullptr));
    fw::SelectScope selectFrom(from.Get(), picture);
    fw::SelectScope selectTo(to.Get(), copy.Get());
    BitBlt(to.Get(), 0, 0, 360, 200, from.Get(), 0, 0, SRCCOPY);
    return copy;
}

// A colour cube, which holds magenta, then greys.
std::vector<DWORD> Palette() {
    std::vector<DWORD> colours;
    for (DWORD i = 0; i < 216; ++i) {
        colours.push_back((i / 36) * 51 << 16 | (i / 6 % 6) * 51 << 8 | (i % 6) * 51);
    }
    for (DWORD grey = 0; colours.size() < 256; grey += 6) {
        colours.push_back(grey * 0x010101);
    }
    return colours;
}

std::string Describe(const std::vector<RECT>& rects) {
    std::string text;
    for (const RECT& r : rects) {
        text += "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
    }
    return text;
}

TEST(BitmapShape, ThePhoneBookPictureGivesItsTwoHundredRowsInEveryFaithfulFormat) {
    fw::BitmapHandle loaded(
        LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_BOOK_BACKGROUND)));
    ASSERT_TRUE(loaded.Valid());
    // Rows 0 to 6 lose 6, 5, 4, 3, 2, 1 and 1 pixels at each end, the last seven mirror them.
    std::vector<RECT> shaped;
    for (LONG y = 0; y < 200; ++y) {
        const LONG fromEdge = std::min(y, 199 - y);
        const LONG cut = fromEdge < 7 ? std::max(6 - fromEdge, 1L) : 0;
        shaped.push_back({cut, y, 360 - cut, y + 1});
    }
    const std::vector<RECT> whole = {{0, 0, 360, 200}};
    const struct {
        const char* what;
        fw::BitmapHandle picture;
        const std::vector<RECT>& expected;
    } formats[] = {
        {"24 bits", CopyInto(loaded.Get(), 24, BI_RGB, {}), shaped},
        {"32 bits", CopyInto(loaded.Get(), 32, BI_RGB, {}), shaped},
        {"16 bits 5-6-5", CopyInto(loaded.Get(), 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x1F}), shaped},
        {"8 bits", CopyInto(loaded.Get(), 8, BI_RGB, Palette()), shaped},
        {"16 bits 5-5-5", CopyInto(loaded.Get(), 16, BI_RGB, {}), whole},
        {"4 bits", CopyInto(loaded.Get(), 4, BI_RGB, {0, 0xFFFFFF}), whole},
        {"as loaded for the display", std::move(loaded), shaped},
    };
    for (const auto& format : formats) {
        SIZE size{};
        const auto block = BuildShapeBlock(format.picture.Get(), kMagenta, &size);
        ASSERT_TRUE(block.has_value()) << format.what;
        EXPECT_EQ(size.cx * 1000 + size.cy, 360200) << format.what;
        std::vector<RECT> rects(block->Count());
        std::memcpy(rects.data(), block->Data() + 32, rects.size() * sizeof(RECT));
        EXPECT_EQ(Describe(rects), Describe(format.expected)) << format.what;
        // The 200th rectangle filled the first room, so it grew once.
        EXPECT_EQ(block->Capacity(), format.expected.size() + 40) << format.what;

        // The platform takes the whole block as one region of exactly those pixels.
        fw::RegionHandle region = BuildShape(format.picture.Get(), kMagenta, nullptr);
        fw::RegionHandle expected(CreateRectRgn(0, 0, 0, 0));
        for (const RECT& r : format.expected) {
            fw::RegionHandle row(CreateRectRgnIndirect(&r));
            CombineRgn(expected.Get(), expected.Get(), row.Get(), RGN_OR);
        }
        EXPECT_TRUE(EqualRgn(region.Get(), expected.Get())) << format.what;
    }
}

}  // namespace
