// Widget geometry and the board: labels and moves, hit testing at the edges, paint order.
#include <gtest/gtest.h>

#include <memory>

#include "tests/ui/SkinFakes.h"
#include "ui/WidgetBoard.h"
#include "ui/WidgetIds.h"
#include "ui/Widgets.h"

namespace ui::testing {
namespace {

SkinImage Picture(int width, int height, uint32_t pixel = 0xFF808080) {
    SkinImage image;
    image.Assign(SolidPicture(width, height, pixel));
    return image;
}

TEST(SkinWidget, LabelAndMoveFollowTheirMargins) {
    struct Case {
        const char* what;
        int id;
        int width, height;
        const char* label;
        int x, y;
        Rect labelBeforeMove, image, label_, bounds;
    } cases[] = {
        // A label of 5 characters measures 35 x 16: the margins move only its left and top.
        // clang-format off
        {"list item", WID_SKYPE_CONTACT, 16, 25, "Alice", 45, 90,
         {26, 8, 51, 16}, {45, 90, 61, 115}, {61, 90, 86, 98}, {45, 90, 96, 115}},
        {"pop-up number", WID_NUMBER, 34, 35, "5551234", 134, 124,
         {44, 8, 83, 16}, {134, 124, 168, 159}, {178, 132, 217, 140}, {134, 124, 217, 159}},
        {"two lines taller than the picture", WID_CALLER_CARD, 16, 25, "5551234\nBob", 45, 90,
         {26, 8, 65, 32}, {45, 90, 61, 115}, {61, 90, 100, 114}, {45, 90, 110, 122}},
        {"no label", WID_CLOSE, 12, 12, "", 211, 19,
         {22, 8, 12, 0}, {211, 19, 223, 31}, {223, 19, 213, 11}, {211, 19, 223, 31}},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeSkinText text;
        const SkinImage image = Picture(c.width, c.height);
        SkinWidget widget(text, &image);
        widget.SetId(c.id);
        widget.SetLabel(c.label);
        EXPECT_EQ(widget.LabelRect(), c.labelBeforeMove);
        widget.MoveTo(c.x, c.y);
        EXPECT_EQ(widget.ImageRect(), c.image);
        EXPECT_EQ(widget.LabelRect(), c.label_);
        EXPECT_EQ(widget.Bounds(), c.bounds);
    }
}

TEST(WidgetBoard, HitTestFindsTheTopmostShownWidgetInsideLeftAndTopEdges) {
    FakeSkinText text;
    const SkinImage plate = Picture(100, 100);
    const SkinImage icon = Picture(30, 40);
    const SkinImage frame = Picture(200, 200);
    const SkinImage panel = Picture(50, 50);
    WidgetBoard board;
    auto add = [&](const SkinImage& image, int id, int x, int y, const char* label = "") {
        auto widget = std::make_unique<SkinWidget>(text, &image);
        widget->SetId(id);
        widget->SetLayer(id);
        widget->SetLabel(label);
        widget->MoveTo(x, y);
        return board.Add(std::move(widget));
    };
    add(plate, WID_BASE, 0, 0);
    add(icon, WID_SKYPE_CONTACT, 10, 20, "Bob");  // bounds (10, 20, 61, 60)
    add(frame, WID_FRAME, 0, 0);
    add(panel, WID_POPUP, 150, 150)->SetHidden(true);
    add(panel, WID_UP, 170, 170);

    struct Case {
        int x, y;
        int id;  // 0: nothing
    } cases[] = {
        {10, 20, WID_SKYPE_CONTACT},
        {39, 59, WID_SKYPE_CONTACT},  // corners inside
        {9, 20, 0},
        {10, 19, 0},
        {10, 60, 0},  // outside left, top, bottom
        {60, 30, WID_SKYPE_CONTACT},
        {61, 30, 0},    // the label widens the bounds
        {5, 5, 0},      // back plate and frame only
        {160, 160, 0},  // a hidden widget on top is passed over
        {170, 170, WID_UP},
        {219, 219, WID_UP},
        {220, 200, 0},
    };
    for (const Case& c : cases) {
        SkinWidget* hit = board.HitTest(c.x, c.y);
        EXPECT_EQ(hit ? hit->Id() : 0, c.id) << "at (" << c.x << ", " << c.y << ")";
    }
}

TEST(WidgetBoard, PaintsByLayerAndEqualLayersInTheOrderAdded) {
    FakeSkinText text;
    const SkinImage red = Picture(4, 1, 0xFFFF0000);
    const SkinImage green = Picture(4, 1, 0xFF00FF00);
    const SkinImage blue = Picture(8, 1, 0xFF0000FF);
    WidgetBoard board;
    auto add = [&](const SkinImage& image, int layer, int x) {
        auto widget = std::make_unique<SkinWidget>(text, &image);
        widget->SetLayer(layer);
        widget->MoveTo(x, 0);
        board.Add(std::move(widget));
    };
    add(red, 5, 0);
    add(green, 5, 2);  // same layer, added later: above red
    add(blue, 3, 0);   // lower layer, added last: below both

    PixelBuffer canvas(8, 1);
    board.PaintAll(canvas.View());
    const uint32_t expected[] = {0xFFFF0000, 0xFFFF0000, 0xFF00FF00, 0xFF00FF00,
                                 0xFF00FF00, 0xFF00FF00, 0xFF0000FF, 0xFF0000FF};
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(canvas.At(x, 0), expected[x]) << "x " << x;
    }
}

}  // namespace
}  // namespace ui::testing
