// Label measuring and rendering with GDI+; rendered labels are kept by text and style.
#include "ui/GdiplusText.h"

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

using gdip::flat::GdipCreateBitmapFromScan0;

constexpr float kPointSize = 10.0f;
// A layout rectangle this large never wraps a label.
const Gdiplus::RectF kLayout(0.0f, 0.0f, 1024.0f, 768.0f);
constexpr Gdiplus::ARGB kBlack = 0xFE000000;
constexpr Gdiplus::ARGB kWhite = 0xFEFFFFFF;

gdip::FontFamily LabelFamily() {
    Gdiplus::GpFontFamily* family = nullptr;
    if (gdip::flat::GdipCreateFontFamilyFromName(L"Arial", nullptr, &family) == Gdiplus::Ok &&
        family) {
        return gdip::FontFamily(family);
    }
    family = nullptr;
    Gdiplus::GpFontFamily* generic = nullptr;
    if (gdip::flat::GdipGetGenericFontFamilySansSerif(&generic) == Gdiplus::Ok && generic) {
        // The generic family is shared; a clone of our own can be deleted.
        gdip::flat::GdipCloneFontFamily(generic, &family);
    }
    return gdip::FontFamily(family);
}

gdip::Font MakeFont(Gdiplus::GpFontFamily* family, int style) {
    Gdiplus::GpFont* font = nullptr;
    if (family) {
        gdip::flat::GdipCreateFont(family, kPointSize, style, Gdiplus::UnitPoint, &font);
    }
    return gdip::Font(font);
}

gdip::Brush MakeBrush(Gdiplus::ARGB colour) {
    Gdiplus::GpSolidFill* brush = nullptr;
    gdip::flat::GdipCreateSolidFill(colour, &brush);
    return gdip::Brush(brush);
}

// A GDI+ bitmap over our own premultiplied pixels, and a graphics drawing into it.
struct Surface {
    gdip::Bitmap bitmap;
    gdip::Graphics graphics;
};

// The surface's resolution sets the type: 10 points are 10/72 of an inch at `dpi` dots per
// inch, drawn at that size, never drawn small and enlarged.
Surface SurfaceOver(PixelBuffer& pixels, int dpi) {
    Surface surface;
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromScan0(pixels.Width(), pixels.Height(),
                                  pixels.Width() * static_cast<int>(sizeof(uint32_t)),
                                  PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(pixels.Data()),
                                  &bitmap) != Gdiplus::Ok) {
        return surface;
    }
    surface.bitmap.reset(bitmap);
    gdip::flat::GdipBitmapSetResolution(bitmap, static_cast<Gdiplus::REAL>(dpi),
                                        static_cast<Gdiplus::REAL>(dpi));
    Gdiplus::GpGraphics* graphics = nullptr;
    if (gdip::flat::GdipGetImageGraphicsContext(bitmap, &graphics) == Gdiplus::Ok) {
        surface.graphics.reset(graphics);
        gdip::flat::GdipSetTextRenderingHint(graphics, Gdiplus::TextRenderingHintAntiAlias);
    }
    return surface;
}

}  // namespace

std::wstring LabelUnits(const std::string& text) {
    if (text.empty()) {
        return std::wstring();
    }
    const int length = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (units <= 0) {
        return std::wstring();
    }
    std::u16string wide(static_cast<size_t>(units), u'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, reinterpret_cast<wchar_t*>(wide.data()),
                        units);
    const std::u16string bounded = BoundLabelUnits(std::move(wide));
    return std::wstring(bounded.begin(), bounded.end());
}

GdiplusText::GdiplusText(size_t capacity)
    : capacity_(capacity == 0 ? 1 : capacity),
      family_(LabelFamily()),
      regular_(MakeFont(family_.get(), Gdiplus::FontStyleRegular)),
      bold_(MakeFont(family_.get(), Gdiplus::FontStyleBold)),
      black_(MakeBrush(kBlack)),
      white_(MakeBrush(kWhite)),
      measureSurface_(1, 1) {
    OnScaleChanged();
}

void GdiplusText::OnScaleChanged() {
    kept_.clear();
    index_.clear();
    measured_.clear();
    measureGraphics_.reset();
    Surface surface = SurfaceOver(measureSurface_, Scale().Dpi());
    measureBitmap_ = std::move(surface.bitmap);
    measureGraphics_ = std::move(surface.graphics);
    advances_.fill(-1.0f);
    padding_ = -1.0f;  // measured again, with the advances, at the new scale
    pairWidth_ = 0.0f;
    lineHeight_ = -1.0f;
}

GdiplusText::~GdiplusText() = default;

bool GdiplusText::IsLeadByte(unsigned char byte) const {
    return IsDBCSLeadByte(byte) != FALSE;
}

Gdiplus::GpFont* GdiplusText::FontFor(LabelStyle style) const {
    return style == LabelStyle::Plain ? regular_.get() : bold_.get();
}

Gdiplus::RectF GdiplusText::Measure(const std::wstring& text, Gdiplus::GpFont* font) const {
    Gdiplus::RectF box(0.0f, 0.0f, 0.0f, 0.0f);
    if (!text.empty() && font && measureGraphics_) {
        gdip::flat::GdipMeasureString(measureGraphics_.get(), text.c_str(),
                                      static_cast<INT>(text.size()), font, &kLayout, nullptr, &box,
                                      nullptr, nullptr);
    }
    return box;
}

std::optional<LabelSize> GdiplusText::SummedSize(const std::wstring& units) {
    // Blanks at either end are measured or not by platform; tabs, line breaks and other
    // scripts do not add up.
    const auto simple = [](wchar_t c) {
        return c >= 0x20 && c < kSummedBelow && (c < 0x7F || c >= 0xA0);
    };
    if (units.empty() || units.front() == L' ' || units.back() == L' ' ||
        !std::all_of(units.begin(), units.end(), simple)) {
        return std::nullopt;
    }
    Gdiplus::GpFont* font = regular_.get();
    if (padding_ < 0.0f) {
        const Gdiplus::RectF one = Measure(L"a", font);
        pairWidth_ = Measure(L"aa", font).Width;
        padding_ = 2.0f * one.Width - pairWidth_;
        lineHeight_ = one.Height;
    }
    float width = padding_;
    for (wchar_t c : units) {
        float& advance = advances_[c];
        if (advance < 0.0f) {
            // Between two letters: a blank at the end would not count on Windows.
            advance = Measure(std::wstring{L'a', c, L'a'}, font).Width - pairWidth_;
        }
        width += advance;
    }
    return LabelSize{static_cast<int>(width), static_cast<int>(lineHeight_)};
}

LabelSize GdiplusText::MeasureLabel(const std::string& text) {
    auto found = measured_.find(text);
    if (found != measured_.end()) {
        return found->second;
    }
    const std::wstring units = LabelUnits(text);
    if (const std::optional<LabelSize> summed = SummedSize(units)) {
        return *summed;
    }
    const Gdiplus::RectF box = Measure(units, regular_.get());
    const LabelSize size{static_cast<int>(box.Width), static_cast<int>(box.Height)};
    if (measured_.size() >= capacity_) {
        measured_.clear();  // sizes are cheap to measure again
    }
    measured_.emplace(text, size);
    return size;
}

PixelBuffer GdiplusText::Render(const std::wstring& text, LabelStyle style) const {
    Gdiplus::GpFont* font = FontFor(style);
    const Gdiplus::RectF box = Measure(text, font);
    if (box.Width <= 0.0f || box.Height <= 0.0f) {
        return PixelBuffer();
    }
    // Room for the glyphs' anti-aliased edges beyond the measured box.
    PixelBuffer pixels(static_cast<int>(std::ceil(box.Width)) + 2,
                       static_cast<int>(std::ceil(box.Height)) + 2);
    Surface surface = SurfaceOver(pixels, Scale().Dpi());
    if (!surface.graphics) {
        return PixelBuffer();
    }
    const Gdiplus::RectF origin(0.0f, 0.0f, 0.0f, 0.0f);  // no size: nothing wraps or clips
    gdip::flat::GdipDrawString(surface.graphics.get(), text.c_str(), static_cast<INT>(text.size()),
                               font, &origin, nullptr,
                               style == LabelStyle::Emphasised ? white_.get() : black_.get());
    gdip::flat::GdipFlush(surface.graphics.get(), Gdiplus::FlushIntentionSync);
    return pixels;
}

const PixelBuffer& GdiplusText::RenderLabel(const std::string& text, LabelStyle style) {
    std::string key(1, static_cast<char>('0' + static_cast<int>(style)));
    key += text;
    auto found = index_.find(key);
    if (found != index_.end()) {
        kept_.splice(kept_.begin(), kept_, found->second);
        return found->second->picture;
    }
    if (kept_.size() >= capacity_) {
        index_.erase(kept_.back().key);
        kept_.pop_back();
    }
    kept_.push_front(Kept{key, Render(LabelUnits(text), style)});
    ++renders_;
    index_.emplace(std::move(key), kept_.begin());
    return kept_.front().picture;
}

}  // namespace ui
