// The skin under Wine with the program's own pictures and GDI+ text: decoding, the dimming
// rule, the composed canvas's shape, the display line's place, and the kept labels.
#include <windows.h>

#include <gtest/gtest.h>

#include "framework/GdiplusSession.h"
#include "tests/ui/ResourceSkinHost.h"
#include "ui/GdiplusText.h"
#include "ui/PhoneSkin.h"
#include "ui/WidgetIds.h"

namespace ui::testing {
namespace {

class SkinPaint : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gdiplus.Started());
        ASSERT_TRUE(skin.BuildSkin());
    }

    const PixelBuffer& Paint() {
        skin.PrepareForPaint();
        EXPECT_TRUE(skin.Compose(canvas.View()));
        return canvas;
    }

    void ModemReady() {
        host.modemState = CallState::NORMAL;
        host.dialogState = CallState::NORMAL;
        host.AddBookEntry("Ann Example", "5551234", "5559876", "0912345678");
        host.AddBookEntry("Bob", "", "", "0987654321");
        skin.SelectCarrier(Carrier::Modem);
        skin.RebuildBookList();
    }

    fw::GdiplusSession gdiplus;
    ResourceSkinHost host;
    GdiplusText text;
    PhoneSkin skin{host, text};
    PixelBuffer canvas{kCanvasWidth, kCanvasHeight};
};

TEST_F(SkinPaint, ADimmedPictureOverWhiteIsOneHundredPartsPictureAndTheRestWhite) {
    for (const char* name : {"IDB_CALLSTART", "IDB_CALLEND", "IDB_SKYPE", "IDB_BOY1"}) {
        SkinImage image;
        ASSERT_TRUE(image.Load(name, "PNG", GetModuleHandleW(nullptr))) << name;
        const int w = image.Width();
        const int h = image.Height();
        PixelBuffer alone(w, h);
        image.Draw(alone.View(), 0, 0, w, h, false);
        PixelBuffer dimmed = SolidPicture(w, h, 0xFFFFFFFF);
        image.Draw(dimmed.View(), 0, 0, w, h, true);

        int worst = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const uint32_t p = alone.At(x, y);
                const uint32_t d = dimmed.At(x, y);
                const double a = AlphaOf(p) / 255.0 * 100.0 / 255.0;
                const uint8_t picture[] = {RedOf(p), GreenOf(p), BlueOf(p)};
                const uint8_t got[] = {RedOf(d), GreenOf(d), BlueOf(d)};
                for (int channel = 0; channel < 3; ++channel) {
                    const double expected = picture[channel] * 100.0 / 255.0 + 255.0 * (1.0 - a);
                    worst = std::max(worst, int(std::abs(got[channel] - expected) + 0.5));
                }
                if (AlphaOf(p) == 0) {
                    EXPECT_EQ(d, 0xFFFFFFFFu) << name << " transparent at " << x << "," << y;
                }
            }
        }
        EXPECT_LE(worst, 1) << name;
    }
}

TEST_F(SkinPaint, TheCanvasIsTransparentRightOfThePhoneUnlessThePopUpIsOpen) {
    ModemReady();
    auto opaqueRightOfBody = [this] {
        int count = 0;
        for (int y = 0; y < kCanvasHeight; ++y) {
            for (int x = 239; x < kCanvasWidth; ++x) {
                count += AlphaOf(canvas.At(x, y)) != 0;
            }
        }
        return count;
    };
    Paint();
    EXPECT_EQ(opaqueRightOfBody(), 0);
    EXPECT_GT(AlphaOf(canvas.At(120, 20)), 0) << "the phone itself is drawn";

    skin.ShowNumbers(skin.BookListHead());
    Paint();
    EXPECT_GT(opaqueRightOfBody(), 0);

    skin.ClosePopup();
    Paint();
    EXPECT_EQ(opaqueRightOfBody(), 0);
}

TEST_F(SkinPaint, TheDisplayLineIsDrawnInsideTheDisplayPanel) {
    ModemReady();
    for (bool keypadHidden : {true, false}) {
        skin.ToggleKeypad(keypadHidden);
        host.dialString = "";
        const PixelBuffer without = Paint();
        host.dialString = "+0123456789012345678901";  // 23 characters
        Paint();
        const Rect panel = skin.FindWidget(WID_LCD)->Bounds();
        Rect changed{kCanvasWidth, kCanvasHeight, 0, 0};
        for (int y = 0; y < kCanvasHeight; ++y) {
            for (int x = 0; x < kCanvasWidth; ++x) {
                if (canvas.At(x, y) != without.At(x, y)) {
                    changed = Rect{std::min(changed.left, x), std::min(changed.top, y),
                                   std::max(changed.right, x + 1), std::max(changed.bottom, y + 1)};
                }
            }
        }
        SCOPED_TRACE(keypadHidden ? "keypad hidden" : "keypad shown");
        ASSERT_LT(changed.left, changed.right) << "the number is drawn";
        EXPECT_GE(changed.left, panel.left + 7);
        EXPECT_GE(changed.top, panel.top + 5);
        EXPECT_LE(changed.right, panel.right);
        EXPECT_LE(changed.bottom, panel.bottom);
    }
}

TEST_F(SkinPaint, KeptLabelsComposeTheSameAsFreshlyRenderedOnes) {
    ModemReady();
    host.dialString = "5551234";
    skin.ShowNumbers(skin.BookListHead());
    const PixelBuffer first = Paint();
    const size_t rendered = text.RenderCount();
    EXPECT_GT(rendered, 0u);

    const PixelBuffer second = Paint();
    EXPECT_EQ(text.RenderCount(), rendered) << "nothing rendered again";

    GdiplusText fresh;
    PhoneSkin again(host, fresh);
    ASSERT_TRUE(again.BuildSkin());
    again.SelectCarrier(Carrier::Modem);
    again.RebuildBookList();
    host.dialString = "5551234";
    again.ShowNumbers(again.BookListHead());
    again.PrepareForPaint();
    PixelBuffer third(kCanvasWidth, kCanvasHeight);
    ASSERT_TRUE(again.Compose(third.View()));
    for (int y = 0; y < kCanvasHeight; ++y) {
        for (int x = 0; x < kCanvasWidth; ++x) {
            ASSERT_EQ(second.At(x, y), first.At(x, y)) << x << "," << y;
            ASSERT_EQ(third.At(x, y), first.At(x, y)) << x << "," << y;
        }
    }
}

// Labels measured before a change of scale do not leak into those measured after it.
TEST(LabelText, MeasuresAtANewScaleAsOneMadeThere) {
    fw::GdiplusSession gdiplus;
    GdiplusText moved;
    moved.MeasureLabel("Alice Liddell");
    for (const int dpi : {192, 120}) {
        moved.SetScale(scale::DisplayScale(dpi));
        GdiplusText fresh;
        fresh.SetScale(scale::DisplayScale(dpi));
        for (const char* label : {"Alice Liddell", "5551234", "W"}) {
            const LabelSize a = moved.MeasureLabel(label);
            const LabelSize b = fresh.MeasureLabel(label);
            EXPECT_EQ(a.width, b.width) << dpi << " " << label;
            EXPECT_EQ(a.height, b.height) << dpi << " " << label;
        }
    }
}

}  // namespace
}  // namespace ui::testing
