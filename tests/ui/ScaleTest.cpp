// The display scale's rounding rule and artwork sets, and the phone's skin laid out at a scale
// and carried to another.
#include <gtest/gtest.h>

#include "core/DisplayScale.h"
#include "tests/ui/SkinFakes.h"
#include "ui/PhoneSkin.h"
#include "ui/WidgetIds.h"

namespace ui::testing {
namespace {

TEST(DisplayScale, RoundsEveryFigureToTheNearestPixelAndPicksTheSetThatServesIt) {
    struct Case {
        int dpi, px7, px10, px550, pxMinus2, percent;
    } cases[] = {
        {96, 7, 10, 550, -2, 100},   {120, 9, 13, 688, -3, 125},   {144, 11, 15, 825, -3, 150},
        {168, 12, 18, 963, -4, 175}, {192, 14, 20, 1100, -4, 200}, {72, 5, 8, 413, -2, 100},
        {110, 8, 11, 630, -2, 125},  {240, 18, 25, 1375, -5, 200}, {0, 7, 10, 550, -2, 100},
    };
    for (const Case& c : cases) {
        const scale::DisplayScale s(c.dpi);
        EXPECT_EQ((std::vector<int>{s.Px(7), s.Px(10), s.Px(550), s.Px(-2), s.ArtworkPercent()}),
                  (std::vector<int>{c.px7, c.px10, c.px550, c.pxMinus2, c.percent}))
            << c.dpi;
    }
    // Every figure comes back from its size in every set, and from a place at any scale.
    for (int percent : scale::kArtworkPercents) {
        const scale::DisplayScale set(percent * scale::kBaseDpi / 100);
        for (int figure = 0; figure <= 600; ++figure) {
            ASSERT_EQ(scale::FigureOfArtwork(set.Px(figure), percent), figure) << percent;
            ASSERT_EQ(set.Figure(set.Px(figure)), figure) << percent;
        }
    }
}

// Laid out from 100 % (or 200 %) at the scale: every figure through the rule, only that scale's
// pictures loaded (brought to size where the scale is between sets or above them), and what
// the user sees kept: the selected entry and number, the keypad out, the display line.
class SkinAtScale : public ::testing::TestWithParam<int> {};

TEST_P(SkinAtScale, TakesEveryFigureThroughTheScaleAndKeepsWhatTheUserSees) {
    FakeSkinHost host;
    FakeSkinText text;
    PhoneSkin skin(host, text);
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
    EXPECT_EQ(skin.CanvasHeight(), s.Px(550));
    struct Place {
        int id, x, y, w, h;
    } places[] = {{WID_FRAME, 0, 0, 239, 550},
                  {WID_SKYPE, 12, 44, 107, 23},
                  {WID_LCD, 24, 329, 189, 25},
                  {WID_POPUP, 120, 110, 235, 156},
                  {WID_KEY_1 + 4, 92, 385, 54, 25}};
    for (const Place& p : places) {
        const Rect at = skin.FindWidget(p.id)->ImageRect();
        const int keyLeft = p.id == WID_KEY_1 + 4 ? s.Px(24) + s.Px(68) : s.Px(p.x);
        EXPECT_EQ(at, (Rect{keyLeft, at.top, keyLeft + s.Px(p.w), at.top + s.Px(p.h)})) << p.id;
        EXPECT_NEAR(at.top, s.Px(p.y), 1) << p.id;
    }
    EXPECT_EQ(skin.SelectedBookItem()->Name(), "Ben");
    ASSERT_NE(skin.SelectedNumber(), nullptr);
    EXPECT_EQ(host.dialString, "5554");
    EXPECT_TRUE(static_cast<SkinKey*>(skin.FindWidget(WID_MODEM))->IsLit());
    ASSERT_EQ(host.loaded.size(), 31u);
    const std::string suffix =
        s.ArtworkPercent() == 100 ? "" : "_" + std::to_string(s.ArtworkPercent());
    for (const std::string& name : host.loaded) {
        EXPECT_EQ(name.substr(name.size() - suffix.size()), suffix) << name;
    }

    // A typed number stays typed: the next reload of the book must not replace it.
    host.dialString = "0800";
    host.dialStringTyped = true;
    ASSERT_TRUE(skin.SetScale(scale::DisplayScale(GetParam() == 96 ? 120 : 96)));
    EXPECT_EQ(host.dialString, "0800");
    EXPECT_TRUE(host.dialStringTyped);
}

// 110 and 240: between two sets, and above the largest.
INSTANTIATE_TEST_SUITE_P(Scales, SkinAtScale, ::testing::Values(96, 120, 144, 168, 192, 110, 240));

}  // namespace
}  // namespace ui::testing
