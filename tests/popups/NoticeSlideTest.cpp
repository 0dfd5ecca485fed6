// The call notice's slide against a recording window: the rise and the fall with the program's
// picture and periods, a show and a hide in every state, and pictures too low to slide.
#include "popups/NoticeSlide.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using notice::NoticeSlide;
using notice::SlideState;

struct Placement {
    int left, top, width, height;
};

class RecordingWindow : public notice::SlideWindow {
public:
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

    std::vector<std::string> calls;
    std::vector<Placement> moves;
    bool visible = false;
};

// One tick of whichever slide timer runs.
void Tick(NoticeSlide& slide) {
    for (unsigned id : {notice::TIMER_APPEAR, notice::TIMER_STAY, notice::TIMER_DISAPPEAR}) {
        if (slide.IsTimerRunning(id)) {
            slide.OnTimer(id);
            return;
        }
    }
}

constexpr notice::Area kWorkArea{0, 0, 1280, 994};  // a task bar 30 pixels high below
constexpr notice::Times kTimes{500, 5000, 500};

class Slide : public ::testing::Test {
protected:
    Slide() { slide.SetSize(147, 121); }

    // Ticks the running slide timer until the state is `state`; at most `limit` ticks.
    void TickUntil(SlideState state, int limit = 200) {
        for (int i = 0; i < limit && slide.State() != state; ++i) {
            Tick(slide);
        }
        ASSERT_EQ(slide.State(), state);
    }
    RecordingWindow window;
    NoticeSlide slide{window};
};

TEST_F(Slide, RisesInTwoPixelStepsTo122AboveTheBottomWaitsAndSinksOutOfSight) {
    slide.Show(kTimes, kWorkArea);
    EXPECT_EQ(slide.AppearStepDelay(), 8u);  // 60 steps in 500 ms
    EXPECT_EQ(slide.HideStepDelay(), 8u);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"show", "start 1 8"}));
    EXPECT_TRUE(window.moves.empty());  // the first tick places it

    TickUntil(SlideState::Waiting);
    ASSERT_GE(window.moves.size(), 2u);
    for (size_t i = 0; i + 1 < window.moves.size(); ++i) {
        EXPECT_EQ(window.moves[i].top - window.moves[i + 1].top,
                  i + 2 < window.moves.size() ? 2 : 0)
            << "move " << i;
    }
    const Placement risen = window.moves.back();
    EXPECT_EQ(risen.left, 1280 - 147);
    EXPECT_EQ(risen.top, 994 - 122);
    EXPECT_EQ(risen.width, 147);
    EXPECT_EQ(risen.height, 121);
    EXPECT_EQ(window.calls.back(), "start 2 5000");

    window.calls.clear();
    slide.OnTimer(notice::TIMER_STAY);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"stop 2", "start 3 8"}));
    EXPECT_EQ(slide.State(), SlideState::Waiting);  // until the first step down

    TickUntil(SlideState::Hidden);
    EXPECT_FALSE(window.visible);
    EXPECT_GE(window.moves.back().top, 994);  // left below the work area
    for (unsigned id : {notice::TIMER_APPEAR, notice::TIMER_STAY, notice::TIMER_DISAPPEAR}) {
        EXPECT_FALSE(slide.IsTimerRunning(id)) << id;
    }
}

TEST_F(Slide, AShowInEachStateRestartsOrKeepsTheSlideAsItsStateCalls) {
    struct Case {
        const char* name;
        SlideState before;
        std::vector<std::string> calls;  // what the second show does
        SlideState after;
        int top;  // the notice's top afterwards; 0: unchanged
    };
    const Case cases[] = {
        {"hidden", SlideState::Hidden, {"show", "start 1 8"}, SlideState::Hidden, 994},
        {"appearing", SlideState::Appearing, {"redraw"}, SlideState::Appearing, 0},
        {"waiting", SlideState::Waiting, {"redraw", "start 2 5000"}, SlideState::Waiting, 0},
        {"disappearing",
         SlideState::Disappearing,
         {"stop 3", "start 2 5000", "redraw"},
         SlideState::Disappearing,
         994 - 121},
    };
    for (const Case& c : cases) {
        RecordingWindow w;
        NoticeSlide s(w);
        s.SetSize(147, 121);
        if (c.before != SlideState::Hidden) {
            s.Show(kTimes, kWorkArea);
            s.OnTimer(notice::TIMER_APPEAR);
            for (int i = 0; i < 200 && s.State() != c.before; ++i) {
                Tick(s);
            }
        }
        const int topBefore = s.Top();
        const size_t movesBefore = w.moves.size();
        w.calls.clear();
        s.Show(kTimes, kWorkArea);
        EXPECT_EQ(w.calls, c.calls) << c.name;
        EXPECT_EQ(s.State(), c.after) << c.name;
        EXPECT_EQ(s.Top(), c.top ? c.top : topBefore) << c.name;
        if (c.before == SlideState::Disappearing) {
            ASSERT_EQ(w.moves.size(), movesBefore + 1) << c.name;
            EXPECT_EQ(w.moves.back().top, 994 - 121) << c.name;
        } else {
            EXPECT_EQ(w.moves.size(), movesBefore) << c.name;
        }
    }
}

// A notice shown again while sinking waits on its stay timer in the sinking state; a hide
// then must stop that timer too, or it would later slide the hidden notice and the next
// show would never make it visible.
TEST_F(Slide, AHideFromAnyStateStopsEveryTimerAndTheNextShowIsSeen) {
    struct Case {
        const char* name;
        int ticks;       // slide ticks after the first show
        bool showAgain;  // a second show before the hide
    };
    const Case cases[] = {
        {"hidden", -1, false},       {"appearing", 5, false},
        {"waiting", 62, false},      {"waiting, stay over", 63, false},
        {"disappearing", 70, false}, {"disappearing, shown again", 70, true},
    };
    for (const Case& c : cases) {
        RecordingWindow w;
        NoticeSlide s(w);
        s.SetSize(147, 121);
        if (c.ticks >= 0) {
            s.Show(kTimes, kWorkArea);
            for (int i = 0; i < c.ticks; ++i) {
                Tick(s);
            }
            if (c.showAgain) {
                s.Show(kTimes, kWorkArea);
            }
        }
        s.Hide();
        EXPECT_EQ(s.State(), SlideState::Hidden) << c.name;
        EXPECT_FALSE(w.visible) << c.name;
        for (unsigned id : {notice::TIMER_APPEAR, notice::TIMER_STAY, notice::TIMER_DISAPPEAR}) {
            EXPECT_FALSE(s.IsTimerRunning(id)) << c.name << ", timer " << id;
            s.OnTimer(id);  // a tick still queued changes nothing
        }
        EXPECT_EQ(s.State(), SlideState::Hidden) << c.name;

        s.Show(kTimes, kWorkArea);
        EXPECT_TRUE(w.visible) << c.name;
        EXPECT_TRUE(s.IsTimerRunning(notice::TIMER_APPEAR)) << c.name;
    }
}

TEST_F(Slide, APictureTooLowToSlideRestsInPlaceForItsStayAndThenHides) {
    for (int height : {0, 1}) {
        RecordingWindow w;
        NoticeSlide s(w);
        s.SetSize(height ? 147 : 0, height);
        s.Show(kTimes, kWorkArea);
        EXPECT_TRUE(w.visible) << height;
        EXPECT_EQ(s.State(), SlideState::Waiting) << height;
        ASSERT_EQ(w.moves.size(), 1u) << height;
        EXPECT_EQ(w.moves[0].top, 994 - height) << height;
        EXPECT_EQ(w.calls.back(), "start 2 5000") << height;

        s.OnTimer(notice::TIMER_STAY);
        EXPECT_EQ(s.State(), SlideState::Hidden) << height;
        EXPECT_FALSE(w.visible) << height;
    }
}

}  // namespace
