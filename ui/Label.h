// Label text: the two label styles and the display line's, shortening, the bounded UTF-16 form
// that measuring and drawing take, and the text engine the widgets measure and draw with.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "core/DisplayScale.h"
#include "ui/Pixels.h"

namespace ui {

// All are "Arial" 10 points; the colours carry alpha 254.
enum class LabelStyle {
    Plain,       // regular, black 0xFE000000: list items and the caller card
    Emphasised,  // bold, white 0xFEFFFFFF: the pop-up's numbers
    Display,     // bold, black 0xFE000000: the display line
};

struct LabelSize {
    int width = 0;
    int height = 0;
};

// Longest label shown whole; longer ones become their first 16 characters and "...".
constexpr size_t kShortLabelCharacters = 16;
// Measuring and drawing take at most this many UTF-16 units (a 50-unit buffer with its zero).
constexpr size_t kMaxLabelUnits = 49;

// Tells whether a byte of an 8-bit text opens a two-byte character of the code page.
using LeadBytePredicate = std::function<bool(unsigned char)>;

// A text of at most 16 characters unchanged, else its first 16 and "...". Characters, not
// bytes: a two-byte character of the code page is never cut in half.
std::string ShortenLabel(std::string_view text, const LeadBytePredicate& isLeadByte = nullptr);

// The longest prefix of whole characters that fits in `maxUnits` UTF-16 units: a surrogate
// pair is kept whole or left out whole.
std::u16string BoundLabelUnits(std::u16string text, size_t maxUnits = kMaxLabelUnits);

// Measures and renders labels at the display's scale. Rendering is cached by the
// implementation; the picture it gives is the same as drawing the text straight onto the
// canvas.
class SkinText {
public:
    virtual ~SkinText() = default;

    // The scale labels are set at; the widgets lay out their margins with it too.
    const scale::DisplayScale& Scale() const { return scale_; }
    int Px(int figure) const { return scale_.Px(figure); }
    // Labels measured and rendered from now on are set at `scale`.
    void SetScale(const scale::DisplayScale& scale) {
        if (scale != scale_) {
            scale_ = scale;
            OnScaleChanged();
        }
    }

    // The size of `text` set in the plain style.
    virtual LabelSize MeasureLabel(const std::string& text) = 0;

    // `text` set in `style`, premultiplied, with its layout origin at the picture's (0, 0).
    // Valid until the next call on this object.
    virtual const PixelBuffer& RenderLabel(const std::string& text, LabelStyle style) = 0;

    // The code page's two-byte characters; none by default.
    virtual bool IsLeadByte(unsigned char) const { return false; }

    std::string ShortenLabel(std::string_view text) const;

    // Draws `text` with its layout origin at (x, y), source-over.
    void DrawLabel(PixelView target, const std::string& text, int x, int y, LabelStyle style);

protected:
    // What was measured or rendered at the old scale is no longer good.
    virtual void OnScaleChanged() {}

private:
    scale::DisplayScale scale_;
};

}  // namespace ui
