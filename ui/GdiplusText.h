// The labels' text engine over GDI+: Arial 10 points (or the system's sans-serif when there
// is no Arial), anti-aliased, measured and rendered from the program's 8-bit texts. Each
// label is rendered once into a premultiplied picture and kept, so the paint pass only
// composes it; a changed text or style is a different label.
#pragma once

#include <windows.h>

#include <array>
#include <list>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

#include "ui/GdiplusObjects.h"
#include "ui/Label.h"

namespace ui {

class GdiplusText : public SkinText {
public:
    // GDI+ must be started for the object's whole life. `capacity` labels are kept; the least
    // recently drawn go first.
    explicit GdiplusText(size_t capacity = 4096);
    ~GdiplusText() override;
    GdiplusText(const GdiplusText&) = delete;
    GdiplusText& operator=(const GdiplusText&) = delete;

    LabelSize MeasureLabel(const std::string& text) override;
    const PixelBuffer& RenderLabel(const std::string& text, LabelStyle style) override;
    bool IsLeadByte(unsigned char byte) const override;

    // How many labels were rendered (not taken from the kept ones) so far.
    size_t RenderCount() const { return renders_; }

protected:
    void OnScaleChanged() override;

private:
    struct Kept {
        std::string key;
        PixelBuffer picture;
    };

    Gdiplus::GpFont* FontFor(LabelStyle style) const;
    // The bounding box of `text` in `font`, unrounded.
    Gdiplus::RectF Measure(const std::wstring& text, Gdiplus::GpFont* font) const;
    PixelBuffer Render(const std::wstring& text, LabelStyle style) const;
    // The size GDI+ gives a one-line label of simple characters, without asking it for the
    // label: its width is the padding plus each character's advance (GDI+ neither kerns nor
    // fits glyphs to the grid with this hint), its height one line's. None for other labels.
    // A phone book of 100,000 names is thus measured in milliseconds rather than seconds.
    std::optional<LabelSize> SummedSize(const std::wstring& units);

    size_t capacity_;
    gdip::FontFamily family_;
    gdip::Font regular_;
    gdip::Font bold_;
    gdip::Brush black_;
    gdip::Brush white_;
    PixelBuffer measureSurface_;
    gdip::Bitmap measureBitmap_;
    gdip::Graphics measureGraphics_;

    std::list<Kept> kept_;  // most recently drawn first
    std::unordered_map<std::string, std::list<Kept>::iterator> index_;
    std::unordered_map<std::string, LabelSize> measured_;
    // For SummedSize, each taken from GDI+ when first needed (below 0: not yet).
    static constexpr wchar_t kSummedBelow = 0x0300;  // Latin scripts, before combining marks
    std::array<float, kSummedBelow> advances_;
    float padding_ = -1.0f;
    float pairWidth_ = 0.0f;
    float lineHeight_ = -1.0f;
    size_t renders_ = 0;
    PixelBuffer empty_;
};

// The program's 8-bit text (ANSI code page) as the bounded UTF-16 text GDI+ is given.
std::wstring LabelUnits(const std::string& text);

}  // namespace ui
