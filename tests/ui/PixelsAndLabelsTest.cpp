// The compositor against the dimming rule, and the label texts' shortening and bounding.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/ui/SkinFakes.h"
#include "ui/Label.h"
#include "ui/Pixels.h"

namespace ui::testing {
namespace {

// Source-over in straight colour, as the rule is written: picture * a + below * (1 - a).
double Expected(double picture, double pictureAlpha, double below, double constantAlpha) {
    const double a = pictureAlpha / 255.0 * constantAlpha / 255.0;
    return picture * a + below * (1.0 - a);
}

TEST(Composite, DimmedPicturesShowAtOneHundredOf255OverWhatLiesBeneath) {
    struct Case {
        uint8_t alpha, red, green, blue;
        uint8_t constantAlpha;
    } cases[] = {
        {255, 0, 0, 0, 100},      {255, 200, 30, 90, 100}, {255, 255, 255, 255, 100},
        {255, 12, 180, 240, 255}, {128, 200, 30, 90, 100}, {128, 200, 30, 90, 255},
        {0, 0, 0, 0, 100},        {1, 255, 0, 0, 255},
    };
    for (const Case& c : cases) {
        PixelBuffer canvas = SolidPicture(2, 1, 0xFFFFFFFF);
        PixelBuffer picture(1, 1);
        picture.View().Row(0)[0] = Premultiply(c.alpha, c.red, c.green, c.blue);
        Composite(canvas.View(), picture.View(), 1, 0, c.constantAlpha);

        const uint32_t pixel = canvas.At(1, 0);
        const double straight[] = {double(c.red), double(c.green), double(c.blue)};
        const uint8_t got[] = {RedOf(pixel), GreenOf(pixel), BlueOf(pixel)};
        for (int channel = 0; channel < 3; ++channel) {
            EXPECT_NEAR(got[channel], Expected(straight[channel], c.alpha, 255, c.constantAlpha),
                        1.0)
                << "alpha " << int(c.alpha) << " constant " << int(c.constantAlpha) << " channel "
                << channel;
        }
        EXPECT_EQ(AlphaOf(pixel), 255);
        EXPECT_EQ(canvas.At(0, 0), 0xFFFFFFFFu) << "beside the picture nothing changes";
    }
}

TEST(PixelRuns, DrawLikeTheFullCompositionWhereverThePictureLands) {
    // Transparent, opaque and see-through runs in every row, over a busy background.
    PixelBuffer picture(9, 4);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 9; ++x) {
            const uint8_t alpha = (x + y) % 3 == 0 ? 0 : (x * y) % 2 ? 255 : 90;
            picture.View().Row(y)[x] = Premultiply(alpha, 30 * x, 60 * y, 200);
        }
    }
    const PixelRuns runs(picture.View());
    struct Case {
        int x, y;
    } cases[] = {{0, 0}, {2, 1}, {-4, -2}, {8, 5}, {-9, 0}, {0, 7}, {11, 0}};
    for (const Case& c : cases) {
        PixelBuffer expected(12, 7);
        for (int y = 0; y < 7; ++y) {
            for (int x = 0; x < 12; ++x) {
                expected.View().Row(y)[x] = Premultiply(128 + 9 * x, 7 * y, 255, 3 * x);
            }
        }
        PixelBuffer got = expected;
        Composite(expected.View(), picture.View(), c.x, c.y, 255);
        runs.CompositeOpaque(got.View(), picture.View(), c.x, c.y);
        for (int y = 0; y < 7; ++y) {
            for (int x = 0; x < 12; ++x) {
                EXPECT_EQ(got.At(x, y), expected.At(x, y))
                    << "drawn at (" << c.x << ", " << c.y << "), pixel " << x << "," << y;
            }
        }
    }
}

TEST(ChangedArea, BoundsEveryChangedPixelAndNothingMore) {
    struct Change {
        int x, y;
    };
    struct Case {
        std::vector<Change> changes;
        Rect expected;
    } cases[] = {
        {{}, {0, 0, 0, 0}},
        {{{0, 0}}, {0, 0, 1, 1}},
        {{{5, 3}}, {5, 3, 6, 4}},
        {{{6, 1}, {2, 4}}, {2, 1, 7, 5}},
        {{{6, 0}, {0, 4}, {3, 2}}, {0, 0, 7, 5}},
    };
    for (const Case& c : cases) {
        const PixelBuffer before = SolidPicture(7, 5, 0x80402010);
        PixelBuffer now = before;
        for (const Change& change : c.changes) {
            now.View().Row(change.y)[change.x] ^= 1;
        }
        EXPECT_EQ(ChangedArea(now.View(), before.View()), c.expected) << c.changes.size();
    }
}

TEST(ShortenLabel, KeepsSixteenCharactersWholeAndCutsLongerOnesAtACharacter) {
    // A stand-in for a two-byte code page: bytes from 0x81 open a character of two.
    const LeadBytePredicate doubleByte = [](unsigned char b) { return b >= 0x81; };
    struct Case {
        std::string text;
        bool dbcs;
        std::string expected;
    } cases[] = {
        {"", false, ""},
        {"0123456789abcdef", false, "0123456789abcdef"},
        {"0123456789abcdefg", false, "0123456789abcdef..."},
        {"0123456789abcdef...", false, "0123456789abcdef..."},
        {"line one\nline two!", false, "line one\nline tw..."},
        // 15 single bytes, then a two-byte character as the 16th: kept whole.
        {"0123456789abcde\x81\x40xyz", true, "0123456789abcde\x81\x40..."},
        // Eight two-byte characters are 16 bytes but only 8 characters.
        {std::string(16, '\x90'), true, std::string(16, '\x90')},
        {std::string(34, '\x90'), true, std::string(32, '\x90') + "..."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShortenLabel(c.text, c.dbcs ? doubleByte : nullptr), c.expected) << c.text;
    }
}

TEST(BoundLabelUnits, KeepsWholeCharactersWithinFortyNineUnits) {
    const std::u16string pair = u"\U0001F600";
    struct Case {
        std::u16string text;
        std::u16string expected;
    } cases[] = {
        {std::u16string(49, u'a'), std::u16string(49, u'a')},
        {std::u16string(60, u'a'), std::u16string(49, u'a')},
        {std::u16string(48, u'a') + pair, std::u16string(48, u'a')},
        {std::u16string(47, u'a') + pair + u"b", std::u16string(47, u'a') + pair},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BoundLabelUnits(c.text), c.expected) << "length " << c.text.size();
    }
}

}  // namespace
}  // namespace ui::testing
