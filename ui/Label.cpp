// Shortening and bounding of label texts; drawing a rendered label onto the canvas.
#include "ui/Label.h"

namespace ui {

std::string ShortenLabel(std::string_view text, const LeadBytePredicate& isLeadByte) {
    size_t characters = 0;
    size_t pos = 0;
    while (pos < text.size() && characters < kShortLabelCharacters) {
        const bool pair = isLeadByte && pos + 1 < text.size() &&
                          isLeadByte(static_cast<unsigned char>(text[pos]));
        pos += pair ? 2 : 1;
        ++characters;
    }
    if (pos >= text.size()) {
        return std::string(text);
    }
    std::string shortened(text.substr(0, pos));
    shortened += "...";
    return shortened;
}

std::u16string BoundLabelUnits(std::u16string text, size_t maxUnits) {
    if (text.size() <= maxUnits) {
        return text;
    }
    size_t keep = maxUnits;
    const char16_t last = keep > 0 ? text[keep - 1] : 0;
    if (last >= 0xD800 && last <= 0xDBFF) {
        --keep;  // the high half of a pair whose low half does not fit
    }
    text.resize(keep);
    return text;
}

std::string SkinText::ShortenLabel(std::string_view text) const {
    return ui::ShortenLabel(text, [this](unsigned char byte) { return IsLeadByte(byte); });
}

void SkinText::DrawLabel(PixelView target, const std::string& text, int x, int y,
                         LabelStyle style) {
    if (text.empty()) {
        return;
    }
    const PixelBuffer& label = RenderLabel(text, style);
    Composite(target, label.View(), x, y, 255);
}

}  // namespace ui
