// How the tray icon's mouse messages count as clicks.
#include "app/TrayModel.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(TrayClicks, ADoubleClickIsOneClick) {
    constexpr unsigned down = TrayClicks::kLeftDown, up = TrayClicks::kLeftUp,
                       dbl = TrayClicks::kLeftDoubleClick, move = 0x0200, rightUp = 0x0205;
    struct Case {
        const char* name;
        std::vector<unsigned> messages;
        int clicks;
    };
    const Case cases[] = {
        {"click", {down, up}, 1},
        {"double click", {down, up, dbl, up}, 1},
        {"double click, click", {down, up, dbl, up, down, up}, 2},
        {"two double clicks", {down, up, dbl, up, down, up, dbl, up}, 2},
        {"moves between", {move, down, move, up, move}, 1},
        {"right button", {rightUp}, 0},
        // A double click whose button-up was lost does not eat the next click.
        {"lost up", {down, up, dbl, down, up}, 2},
    };
    for (const Case& c : cases) {
        TrayClicks clicks;
        int counted = 0;
        for (unsigned message : c.messages) {
            counted += clicks.IsClick(message);
        }
        EXPECT_EQ(counted, c.clicks) << c.name;
    }
}

}  // namespace
