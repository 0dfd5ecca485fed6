// The call notice's slide against a recording window: the rise and the fall with the program's
// picture and periods, a show and a hide in every state, and pictures too low to slide.
#include "popups/NoticeSlide.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

namespace {

using notice::NoticeSlide;
using notice::SlideState;
using Calls = std::vector<std::string>;

constexpr notice::Area kWorkArea{0, 0, 1280, 994};  // a task bar 30 pixels high below
constexpr notice::Times kTimes{500, 5000, 500};
constexpr unsigned kTimers[] = {notice::TIMER_APPEAR, notice::TIMER_STAY, notice::TIMER_DISAPPEAR};

struct Placement {
    int left, top, width, height;
};

// A notice of the program's picture size on a recording window, shown and then ticked
// `ticks` times by whichever of its timers runs (no show for a negative count).
struct Notice : notice::SlideWindow {
    explicit Notice(int ticks = -1, int height = 121) {
        slide.SetSize(height ? 147 : 0, height);
        if (ticks >= 0) {
            slide.Show(kTimes, kWorkArea);
        }
        for (int i = 0; i < ticks; ++i) {
            Tick();
        }
    }
    void Tick() {
        for (unsigned id : kTimers) {
            if (slide.IsTimerRunning(id)) {
                slide.OnTimer(id);
                return;
            }
        }
    }
    void TickUntil(SlideState state) {
        for (int i = 0; i < 200 && slide.State() != state; ++i) {
            Tick();
        }
        ASSERT_EQ(slide.State(), state);
    }
    bool AnyTimerRunning() const {
        bool running = false;
        for (unsigned id : kTimers) {
            running = running || slide.IsTimerRunning(id);
        }
        return running;
    }

    void StartTimer(unsigned id, unsigned periodMs) override {
        calls.push_back("start " + std::to_string(id) + " " + std::to_string(periodMs));
    }
    void StopTimer(unsigned id) override { calls.push_back("stop " + std::to_string(id)); }
    void ShowInPlace() override {
        visible = true;
        calls.push_back("show");
    }
    void Move(int left, int top, int width, int height) override {
        moves.push_back({left, top, width, height});
    }
    void Redraw() override { calls.push_back("redraw"); }
    void HideAway() override {
        visible = false;
        calls.push_back("hide");
    }

    Calls calls;
    std::vector<Placement> moves;
    bool visible = false;
    NoticeSlide slide{*this};
};

TEST(NoticeSlide, RisesInTwoPixelStepsTo122AboveTheBottomWaitsAndSinksOutOfSight) {
    Notice n(0);
    EXPECT_EQ(n.slide.AppearStepDelay(), 8u);  // 60 steps in 500 ms
    EXPECT_EQ(n.slide.HideStepDelay(), 8u);
    EXPECT_EQ(n.calls, (Calls{"show", "start 1 8"}));
    EXPECT_TRUE(n.moves.empty());  // the first tick places it

    n.TickUntil(SlideState::Waiting);
    for (size_t i = 0; i + 2 < n.moves.size(); ++i) {
        EXPECT_EQ(n.moves[i].top - n.moves[i + 1].top, 2) << "move " << i;
    }
    const Placement risen = n.moves.back();
    EXPECT_EQ(risen.left, 1280 - 147);
    EXPECT_EQ(risen.top, 994 - 122);
    EXPECT_EQ(risen.width, 147);
    EXPECT_EQ(risen.height, 121);
    EXPECT_EQ(n.calls.back(), "start 2 5000");

    n.calls.clear();
    n.slide.OnTimer(notice::TIMER_STAY);
    EXPECT_EQ(n.calls, (Calls{"stop 2", "start 3 8"}));
    EXPECT_EQ(n.slide.State(), SlideState::Waiting);  // until the first step down

    n.TickUntil(SlideState::Hidden);
    EXPECT_FALSE(n.visible);
    EXPECT_GE(n.moves.back().top, 994);  // left below the work area
    EXPECT_FALSE(n.AnyTimerRunning());
}

// Ticks after the first show: 1 is rising, 62 risen, 70 sinking.
TEST(NoticeSlide, AShowInEachStateRestartsOrKeepsTheSlideAsItsStateCalls) {
    const struct {
        int ticks;
        SlideState state;
        Calls calls;  // what the next show does
        int top;      // the notice's top afterwards; 0: unchanged
    } cases[] = {
        {-1, SlideState::Hidden, {"show", "start 1 8"}, 994},
        {1, SlideState::Appearing, {"redraw"}, 0},
        {62, SlideState::Waiting, {"redraw", "start 2 5000"}, 0},
        {70, SlideState::Disappearing, {"stop 3", "start 2 5000", "redraw"}, 994 - 121},
    };
    for (const auto& c : cases) {
        Notice n(c.ticks);
        ASSERT_EQ(n.slide.State(), c.state) << c.ticks;
        const int top = n.slide.Top();
        const size_t moves = n.moves.size();
        n.calls.clear();
        n.slide.Show(kTimes, kWorkArea);
        EXPECT_EQ(n.calls, c.calls) << c.ticks;
        EXPECT_EQ(n.slide.State(), c.state) << c.ticks;
        EXPECT_EQ(n.slide.Top(), c.top ? c.top : top) << c.ticks;
        EXPECT_EQ(n.moves.size(), moves + (c.state == SlideState::Disappearing ? 1 : 0));
    }
}

// A notice shown again while sinking waits on its stay timer in the sinking state; a hide
// then must stop that timer too, or it would later slide the hidden notice and the next
// show would never make it visible.
TEST(NoticeSlide, AHideFromAnyStateStopsEveryTimerAndTheNextShowIsSeen) {
    const struct {
        int ticks;
        bool showAgain;
    } cases[] = {{-1, false}, {5, false}, {62, false}, {63, false}, {70, false}, {70, true}};
    for (const auto& c : cases) {
        Notice n(c.ticks);
        if (c.showAgain) {
            n.slide.Show(kTimes, kWorkArea);
        }
        n.slide.Hide();
        EXPECT_EQ(n.slide.State(), SlideState::Hidden) << c.ticks;
        EXPECT_FALSE(n.visible) << c.ticks;
        EXPECT_FALSE(n.AnyTimerRunning()) << c.ticks << (c.showAgain ? ", shown again" : "");
        for (unsigned id : kTimers) {
            n.slide.OnTimer(id);  // a tick still queued changes nothing
        }
        EXPECT_EQ(n.slide.State(), SlideState::Hidden) << c.ticks;

        n.slide.Show(kTimes, kWorkArea);
        EXPECT_TRUE(n.visible) << c.ticks;
        EXPECT_TRUE(n.slide.IsTimerRunning(notice::TIMER_APPEAR)) << c.ticks;
    }
}

TEST(NoticeSlide, APictureTooLowToSlideRestsInPlaceForItsStayAndThenHides) {
    for (int height : {0, 1}) {
        Notice n(0, height);
        EXPECT_TRUE(n.visible) << height;
        EXPECT_EQ(n.slide.State(), SlideState::Waiting) << height;
        ASSERT_EQ(n.moves.size(), 1u) << height;
        EXPECT_EQ(n.moves[0].top, 994 - height) << height;
        EXPECT_EQ(n.calls.back(), "start 2 5000") << height;

        n.slide.OnTimer(notice::TIMER_STAY);
        EXPECT_EQ(n.slide.State(), SlideState::Hidden) << height;
        EXPECT_FALSE(n.visible) << height;
    }
}

}  // namespace

// Work areas at the ends of int's range (a monitor far out, a broken report): the slide runs
// its course, every position the true one held to int's range.
TEST(NoticeSlide, ExtremeWorkAreasSlideWithoutOverflow) {
    static constexpr long long kLow = std::numeric_limits<int>::min();
    static constexpr long long kHigh = std::numeric_limits<int>::max();
    const auto held = [](long long v) { return static_cast<int>(std::clamp(v, kLow, kHigh)); };
    for (const notice::Area area :
         {notice::Area{0, 0, held(kLow), held(kLow)}, notice::Area{0, 0, held(kHigh), held(kHigh)},
          notice::Area{0, 0, held(kLow + 100), held(kLow + 50)}}) {
        Notice n;
        n.slide.Show(kTimes, area);
        n.TickUntil(SlideState::Waiting);
        EXPECT_EQ(n.slide.Left(), held(area.right - 147LL)) << area.right;
        EXPECT_EQ(n.slide.Top(), held(area.bottom - 122LL)) << area.bottom;
        n.slide.OnTimer(notice::TIMER_STAY);
        n.TickUntil(SlideState::Hidden);
        EXPECT_EQ(n.slide.Top(), area.bottom);
    }
}
