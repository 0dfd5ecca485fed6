#include "popups/NoticeSlide.h"

#include <initializer_list>
#include <limits>

namespace notice {

namespace {

bool IsSlideTimer(unsigned id) {
    return id == TIMER_APPEAR || id == TIMER_STAY || id == TIMER_DISAPPEAR;
}

}  // namespace

int NoticeSlide::ToPosition(Wide value) {
    constexpr Wide kLowest = std::numeric_limits<int>::min();
    constexpr Wide kHighest = std::numeric_limits<int>::max();
    return static_cast<int>(value < kLowest ? kLowest : value > kHighest ? kHighest : value);
}

void NoticeSlide::SetSize(int width, int height) {
    width_ = width > 0 ? width : 0;
    height_ = height > 0 ? height : 0;
}

bool NoticeSlide::IsTimerRunning(unsigned id) const {
    return IsSlideTimer(id) && running_[id];
}

void NoticeSlide::Start(unsigned id, unsigned periodMs) {
    running_[id] = true;
    window_.StartTimer(id, periodMs);
}

void NoticeSlide::Stop(unsigned id) {
    running_[id] = false;
    window_.StopTimer(id);
}

void NoticeSlide::MoveWindow() {
    window_.Move(ToPosition(left_), ToPosition(top_), width_, height_);
}

void NoticeSlide::Show(const Times& times, const Area& workArea) {
    times_ = times;
    switch (state_) {
        case SlideState::Hidden: {
            window_.ShowInPlace();
            const int steps = height_ / step_;
            restLeft_ = Wide{workArea.right} - width_;
            restBottom_ = workArea.bottom;
            left_ = restLeft_;
            standsStill_ = steps == 0;
            if (standsStill_) {
                // Nothing to slide: at rest at once, for the stay time.
                appearStepDelay_ = hideStepDelay_ = 0;
                top_ = restBottom_ - height_;
                MoveWindow();
                Start(TIMER_STAY, times_.stayMs);
                state_ = SlideState::Waiting;
                return;
            }
            appearStepDelay_ = times_.appearMs / static_cast<unsigned>(steps);
            hideStepDelay_ = times_.hideMs / static_cast<unsigned>(steps);
            top_ = restBottom_;  // the first tick places it
            Start(TIMER_APPEAR, appearStepDelay_);
            return;
        }
        case SlideState::Appearing:
            window_.Redraw();
            return;
        case SlideState::Waiting:
            window_.Redraw();
            Start(TIMER_STAY, times_.stayMs);
            return;
        case SlideState::Disappearing:
            // Back up and waiting; the state stays until the stay time is over.
            Stop(TIMER_DISAPPEAR);
            Start(TIMER_STAY, times_.stayMs);
            top_ = Wide{workArea.bottom} - height_;
            MoveWindow();
            window_.Redraw();
            return;
    }
}

// Every timer stops, not only the state's own: after a show while disappearing the stay timer
// runs in that state, and a stopped timer left running would later slide a hidden notice and
// leave it in a state from which the next show never makes it visible.
void NoticeSlide::Hide() {
    for (unsigned id : {TIMER_APPEAR, TIMER_STAY, TIMER_DISAPPEAR}) {
        if (running_[id]) {
            Stop(id);
        }
    }
    window_.HideAway();
    state_ = SlideState::Hidden;
}

void NoticeSlide::OnTimer(unsigned id) {
    // A tick queued before its timer stopped belongs to a slide that is over.
    if (!IsTimerRunning(id)) {
        return;
    }
    switch (id) {
        case TIMER_APPEAR:
            OnAppearTick();
            break;
        case TIMER_STAY:
            OnStayTick();
            break;
        case TIMER_DISAPPEAR:
            OnDisappearTick();
            break;
    }
}

void NoticeSlide::OnAppearTick() {
    state_ = SlideState::Appearing;
    if (top_ > restBottom_ - height_) {
        top_ -= step_;
    } else {
        Stop(TIMER_APPEAR);
        Start(TIMER_STAY, times_.stayMs);
        state_ = SlideState::Waiting;
    }
    MoveWindow();
}

void NoticeSlide::OnStayTick() {
    Stop(TIMER_STAY);
    if (standsStill_) {
        Hide();
        return;
    }
    Start(TIMER_DISAPPEAR, hideStepDelay_);
}

void NoticeSlide::OnDisappearTick() {
    state_ = SlideState::Disappearing;
    if (top_ < restBottom_) {
        top_ += step_;
    } else {
        Stop(TIMER_DISAPPEAR);
        Hide();
    }
    MoveWindow();  // a hidden notice stays hidden
}

}  // namespace notice
