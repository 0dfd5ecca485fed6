#include "ui/CountBadge.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "ui/DibFormat.h"
#include "ui/GdiplusObjects.h"

namespace ui {

namespace {

namespace flat = gdip::flat;

constexpr Gdiplus::ARGB kBadgeRed = 0xFFD93025;
constexpr Gdiplus::ARGB kRing = 0xFFFFFFFF;
constexpr Gdiplus::ARGB kCountWhite = 0xFFFFFFFF;

struct PathDeleter {
    void operator()(Gdiplus::GpPath* path) const { flat::GdipDeletePath(path); }
};
struct FormatDeleter {
    void operator()(Gdiplus::GpStringFormat* format) const { flat::GdipDeleteStringFormat(format); }
};

gdip::Brush Solid(Gdiplus::ARGB colour) {
    Gdiplus::GpSolidFill* brush = nullptr;
    flat::GdipCreateSolidFill(colour, &brush);
    return gdip::Brush(brush);
}

// A pill: a rectangle whose short sides are half circles.
void FillPill(Gdiplus::GpGraphics* graphics, Gdiplus::ARGB colour, float x, float y, float width,
              float height) {
    Gdiplus::GpPath* raw = nullptr;
    if (flat::GdipCreatePath(Gdiplus::FillModeWinding, &raw) != Gdiplus::Ok) {
        return;
    }
    std::unique_ptr<Gdiplus::GpPath, PathDeleter> path(raw);
    const float d = std::min(width, height);
    flat::GdipAddPathArc(raw, x, y, d, d, 90.0f, 180.0f);
    flat::GdipAddPathArc(raw, x + width - d, y, d, d, 270.0f, 180.0f);
    flat::GdipClosePathFigure(raw);
    gdip::Brush brush = Solid(colour);
    flat::GdipFillPath(graphics, brush.get(), raw);
}

gdip::Font CountFont(float pixels) {
    Gdiplus::GpFontFamily* family = nullptr;
    if (flat::GdipCreateFontFamilyFromName(L"Arial", nullptr, &family) != Gdiplus::Ok) {
        return gdip::Font();
    }
    gdip::FontFamily owned(family);
    Gdiplus::GpFont* font = nullptr;
    flat::GdipCreateFont(family, pixels, Gdiplus::FontStyleBold, Gdiplus::UnitPixel, &font);
    return gdip::Font(font);
}

// The icon's own pixels at `size`, premultiplied, or empty.
PixelBuffer IconPixels(HICON icon, int size) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) {
        return PixelBuffer();
    }
    fw::BitmapHandle colour(info.hbmColor);
    fw::BitmapHandle mask(info.hbmMask);
    if (!colour) {
        return PixelBuffer();  // a monochrome icon: none of ours
    }
    BITMAP bitmap{};
    GetObjectW(colour.Get(), sizeof bitmap, &bitmap);
    if (bitmap.bmWidth != size || bitmap.bmHeight != size) {
        return PixelBuffer();
    }
    BITMAPINFO format = TopDownDibFormat(size, size);
    PixelBuffer pixels(size, size);
    fw::WindowDc screen(nullptr);
    if (!GetDIBits(screen.Get(), colour.Get(), 0, size, pixels.Data(), &format, DIB_RGB_COLORS)) {
        return PixelBuffer();
    }
    const bool hasAlpha =
        std::any_of(pixels.Data(), pixels.Data() + size * size, [](uint32_t p) { return p >> 24; });
    std::vector<uint32_t> maskRows(static_cast<size_t>(size) * size);
    if (!hasAlpha && mask) {
        GetDIBits(screen.Get(), mask.Get(), 0, size, maskRows.data(), &format, DIB_RGB_COLORS);
    }
    for (int i = 0; i < size * size; ++i) {
        const uint32_t p = pixels.Data()[i];
        // An icon without alpha is opaque wherever its mask lets it show.
        const uint8_t alpha = hasAlpha ? AlphaOf(p) : ((maskRows[i] & 0xFFFFFF) ? 0 : 255);
        pixels.Data()[i] = Premultiply(alpha, RedOf(p), GreenOf(p), BlueOf(p));
    }
    return pixels;
}

uint8_t Unpremultiplied(uint8_t channel, uint8_t alpha) {
    return static_cast<uint8_t>(std::min(255, (channel * 255 + alpha / 2) / alpha));
}

}  // namespace

int BadgeHeightFor(int iconSize) {
    // 10 at 16 pixels, 19 at 32, 29 at 48: readable, and the icon still shows beside it.
    return std::max(9, static_cast<int>(std::lround(iconSize * 0.6)));
}

PixelBuffer RenderCountBadge(const std::string& text, int height) {
    if (text.empty() || height <= 0) {
        return PixelBuffer();
    }
    const std::wstring units(text.begin(), text.end());  // digits and "+"
    gdip::Font font = CountFont(static_cast<float>(height) * 0.78f);
    if (!font) {
        return PixelBuffer();
    }
    // Measured on a scratch surface, then drawn on one of the badge's size.
    PixelBuffer scratch(1, 1);
    Gdiplus::GpBitmap* bitmap = nullptr;
    Gdiplus::GpGraphics* graphics = nullptr;
    Gdiplus::RectF box(0, 0, 0, 0);
    const Gdiplus::RectF unbounded(0, 0, 1024, 1024);
    if (flat::GdipCreateBitmapFromScan0(1, 1, 4, PixelFormat32bppPARGB,
                                        reinterpret_cast<BYTE*>(scratch.Data()),
                                        &bitmap) != Gdiplus::Ok) {
        return PixelBuffer();
    }
    gdip::Bitmap measureBitmap(bitmap);
    if (flat::GdipGetImageGraphicsContext(bitmap, &graphics) != Gdiplus::Ok) {
        return PixelBuffer();
    }
    gdip::Graphics measure(graphics);
    flat::GdipMeasureString(graphics, units.c_str(), static_cast<INT>(units.size()), font.get(),
                            &unbounded, nullptr, &box, nullptr, nullptr);

    const int width = std::max(height, static_cast<int>(std::ceil(box.Width + height * 0.25f)));
    PixelBuffer badge(width, height);
    bitmap = nullptr;
    if (flat::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppPARGB,
                                        reinterpret_cast<BYTE*>(badge.Data()),
                                        &bitmap) != Gdiplus::Ok) {
        return PixelBuffer();
    }
    gdip::Bitmap surface(bitmap);
    graphics = nullptr;
    if (flat::GdipGetImageGraphicsContext(bitmap, &graphics) != Gdiplus::Ok) {
        return PixelBuffer();
    }
    gdip::Graphics draw(graphics);
    flat::GdipSetSmoothingMode(graphics, Gdiplus::SmoothingModeAntiAlias);
    flat::GdipSetTextRenderingHint(graphics, Gdiplus::TextRenderingHintAntiAliasGridFit);
    // A thin light ring keeps the badge apart from the picture under it.
    const float ring = std::max(1.0f, height / 12.0f);
    FillPill(graphics, kRing, 0, 0, static_cast<float>(width), static_cast<float>(height));
    FillPill(graphics, kBadgeRed, ring, ring, width - 2 * ring, height - 2 * ring);

    Gdiplus::GpStringFormat* rawFormat = nullptr;
    flat::GdipCreateStringFormat(0, LANG_NEUTRAL, &rawFormat);
    std::unique_ptr<Gdiplus::GpStringFormat, FormatDeleter> format(rawFormat);
    flat::GdipSetStringFormatAlign(rawFormat, Gdiplus::StringAlignmentCenter);
    flat::GdipSetStringFormatLineAlign(rawFormat, Gdiplus::StringAlignmentCenter);
    const Gdiplus::RectF whole(0, 0, static_cast<float>(width), static_cast<float>(height));
    gdip::Brush white = Solid(kCountWhite);
    flat::GdipDrawString(graphics, units.c_str(), static_cast<INT>(units.size()), font.get(),
                         &whole, rawFormat, white.get());
    flat::GdipFlush(graphics, Gdiplus::FlushIntentionSync);
    return badge;
}

fw::IconHandle MakeBadgedIcon(HICON icon, int size, const std::string& text) {
    PixelBuffer pixels = IconPixels(icon, size);
    if (pixels.Empty()) {
        return fw::IconHandle();
    }
    const PixelBuffer badge = RenderCountBadge(text, BadgeHeightFor(size));
    Composite(pixels.View(), badge.View(), size - badge.Width(), size - badge.Height(), 255);

    const BITMAPINFO format = TopDownDibFormat(size, size);
    void* bits = nullptr;
    fw::BitmapHandle colour(CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!colour || !bits) {
        return fw::IconHandle();
    }
    // Icons take straight, not premultiplied, colour.
    auto* out = static_cast<uint32_t*>(bits);
    for (int i = 0; i < size * size; ++i) {
        const uint32_t p = pixels.Data()[i];
        const uint8_t a = AlphaOf(p);
        out[i] = a == 0 ? 0
                        : (static_cast<uint32_t>(a) << 24) |
                              (static_cast<uint32_t>(Unpremultiplied(RedOf(p), a)) << 16) |
                              (static_cast<uint32_t>(Unpremultiplied(GreenOf(p), a)) << 8) |
                              Unpremultiplied(BlueOf(p), a);
    }
    std::vector<uint8_t> zeros(static_cast<size_t>((size + 15) / 16 * 2) * size, 0);
    fw::BitmapHandle mask(CreateBitmap(size, size, 1, 1, zeros.data()));
    ICONINFO info{TRUE, 0, 0, mask.Get(), colour.Get()};
    return fw::IconHandle(CreateIconIndirect(&info));
}

}  // namespace ui
