// The display scale: its rounding rule and artwork sets, pictures resampled to a scale, and the
// phone's skin laid out at a scale and carried from one scale to another.
#include <gtest/gtest.h>

#include "core/DisplayScale.h"
#include "tests/ui/SkinFakes.h"
#include "ui/PhoneSkin.h"
#include "ui/WidgetIds.h"

namespace ui::testing {
namespace {

TEST(DisplayScale, RoundsEveryFigureToTheNearestPixelAndPicksTheSetThatServesIt) {
    struct Case {
        int dpi;
        int px7, px10, px550, pxMinus2;
        int percent;
    } cases[] = {
        {96, 7, 10, 550, -2, 100},   {120, 9, 13, 688, -3, 125},   {144, 11, 15, 825, -3, 150},
        {168, 12, 18, 963, -4, 175}, {192, 14, 20, 1100, -4, 200}, {72, 5, 8, 413, -2, 100},
        {110, 8, 11, 630, -2, 125},  {240, 18, 25, 1375, -5, 200}, {0, 7, 10, 550, -2, 100},
    };
    for (const Case& c : cases) {
        const scale::DisplayScale s(c.dpi);
        SCOPED_TRACE(c.dpi);
        EXPECT_EQ(s.Px(7), c.px7);
        EXPECT_EQ(s.Px(10), c.px10);
        EXPECT_EQ(s.Px(550), c.px550);
        EXPECT_EQ(s.Px(-2), c.pxMinus2);
        EXPECT_EQ(s.ArtworkPercent(), c.percent);
    }
    EXPECT_EQ(scale::PictureName("IDB_UP", 100), "IDB_UP");
    EXPECT_EQ(scale::PictureName("IDB_UP", 175), "IDB_UP_175");
    EXPECT_EQ(scale::BitmapName(161, 100), "#161");
    EXPECT_EQ(scale::BitmapName(161, 150), "IDB161_150");
}

// Every figure comes back from its picture's size in every set, and carried to another scale
// a place keeps its figure.
TEST(DisplayScale, APicturesSizeGivesBackItsFigureInEverySet) {
    for (int percent : scale::kArtworkPercents) {
        const scale::DisplayScale set(percent * scale::kBaseDpi / 100);
        for (int figure = 0; figure <= 600; ++figure) {
            ASSERT_EQ(scale::FigureOfArtwork(set.Px(figure), percent), figure) << percent;
            ASSERT_EQ(set.Figure(set.Px(figure)), figure) << percent;
        }
    }
}

TEST(Resampled, ReducesByAveragingAndEnlargesSmoothly) {
    PixelBuffer checker(4, 2);
    for (int x = 0; x < 4; ++x) {
        checker.View().Row(0)[x] = checker.View().Row(1)[x] = x % 2 ? 0xFFFFFFFF : 0x00000000;
    }
    const PixelBuffer half = Resampled(checker.View(), 2, 1);
    EXPECT_EQ(half.At(0, 0), 0x80808080u);  // premultiplied white at half strength
    EXPECT_EQ(half.At(1, 0), 0x80808080u);
    const PixelBuffer big = Resampled(SolidPicture(3, 3, 0xFF204060).View(), 7, 5);
    ASSERT_EQ(big.Width(), 7);
    ASSERT_EQ(big.Height(), 5);
    EXPECT_EQ(big.At(6, 4), 0xFF204060u);
}

class SkinAtScale : public ::testing::TestWithParam<int> {
protected:
    FakeSkinHost host;
    FakeSkinText text;
    PhoneSkin skin{host, text};
};

// Where each fixed widget stands at 100 % (figures), and its picture's size.
struct Place {
    int id, x, y, w, h;
};
constexpr Place kPlaces[] = {
    {WID_BASE, 23, 71, 190, 397},        {WID_FRAME, 0, 0, 239, 550},
    {WID_SKYPE, 12, 44, 107, 23},        {WID_CALL_END, 128, 484, 41, 41},
    {WID_LCD, 24, 443, 189, 25},         {WID_POPUP, 120, 110, 235, 156},
    {WID_POPUP_CLOSE, 325, 118, 12, 12}, {WID_DOWN, 201, 418, 12, 25},
};

TEST_P(SkinAtScale, EveryFigureIsTakenThroughTheScaleWithOnlyThatScalesPictures) {
    const scale::DisplayScale s(GetParam());
    text.SetScale(s);
    ASSERT_TRUE(skin.BuildSkin());
    EXPECT_EQ(skin.CanvasWidth(), s.Px(360));
    EXPECT_EQ(skin.CanvasHeight(), s.Px(550));
    for (const Place& p : kPlaces) {
        SCOPED_TRACE(char(p.id));
        const Rect at = skin.FindWidget(p.id)->ImageRect();
        EXPECT_EQ(at.left, s.Px(p.x));
        EXPECT_EQ(at.top, p.id == WID_DOWN ? s.Px(443) - s.Px(25) : s.Px(p.y));
        EXPECT_EQ(at.Width(), s.Px(p.w));
        EXPECT_EQ(at.Height(), s.Px(p.h));
    }
    // The key '5': the panel's corner, then its offset, each a figure.
    EXPECT_EQ(skin.FindWidget(WID_KEY_1 + 4)->ImageRect().left, s.Px(24) + s.Px(68));
    const std::string suffix = "_" + std::to_string(s.ArtworkPercent());
    for (const std::string& name : host.loaded) {
        EXPECT_TRUE(s.ArtworkPercent() == 100 ? PictureSizes().count(name) > 0
                                              : name.rfind(suffix) == name.size() - suffix.size())
            << name;
    }
}

// What the user sees survives a change of scale: the selected entry and its numbers, the
// keypad out, the display line; the new scale's pictures alone are loaded.
using SkinRescaled = SkinAtScale;

TEST_P(SkinRescaled, AChangeOfScaleKeepsWhatTheUserSees) {
    text.SetScale(scale::DisplayScale(GetParam() == 96 ? 192 : 96));
    ASSERT_TRUE(skin.BuildSkin());
    host.modemState = host.dialogState = CallState::NORMAL;
    host.AddBookEntry("Ann", "5551", "", "5553");
    host.AddBookEntry("Ben", "5552", "", "5554");
    skin.SelectCarrier(Carrier::Modem);
    skin.RebuildBookList();
    skin.ToggleKeypad(false);
    skin.SelectNext();
    skin.ShowNumbers(skin.SelectedBookItem());
    skin.SelectNext();
    host.loaded.clear();

    const scale::DisplayScale s(GetParam());
    ASSERT_TRUE(skin.SetScale(s));
    skin.PrepareForPaint();
    EXPECT_EQ(skin.SelectedBookItem()->Name(), "Ben");
    ASSERT_NE(skin.SelectedNumber(), nullptr);
    EXPECT_EQ(skin.SelectedNumber()->Label(), "5554");
    EXPECT_EQ(host.dialString, "5554");
    EXPECT_FALSE(skin.FindWidget(WID_KEYPAD_PANEL)->IsHidden());
    EXPECT_EQ(skin.FindWidget(WID_LCD)->ImageRect().top, s.Px(329));
    EXPECT_TRUE(static_cast<SkinKey*>(skin.FindWidget(WID_MODEM))->IsLit());
    EXPECT_EQ(host.loaded.size(), 31u);
    EXPECT_EQ(host.loaded.front(), scale::PictureName("IDB_BOY1", s.ArtworkPercent()));
}

// 110 and 240: between two sets, and above the largest.
INSTANTIATE_TEST_SUITE_P(Scales, SkinAtScale, ::testing::Values(96, 120, 144, 168, 192, 110, 240));
INSTANTIATE_TEST_SUITE_P(Scales, SkinRescaled, ::testing::Values(96, 144, 192, 110));

}  // namespace
}  // namespace ui::testing
