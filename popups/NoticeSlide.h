// The call notice's slide: where the notice stands, which of its timers runs, and what each
// show, hide and timer tick does. Portable; the notice's window carries out what it asks.
#pragma once

#include <cstdint>

namespace notice {

enum class SlideState : int {
    Hidden = 0,
    Appearing = 1,
    Waiting = 2,
    Disappearing = 3,
};

// The notice window's own timers.
enum TimerId : unsigned {
    TIMER_APPEAR = 1,     // one step of sliding in
    TIMER_STAY = 2,       // the stay time is over
    TIMER_DISAPPEAR = 3,  // one step of sliding out
};

struct Area {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct Times {
    unsigned appearMs = 0;
    unsigned stayMs = 0;
    unsigned hideMs = 0;
};

// What the slide asks of the notice's window.
class SlideWindow {
public:
    virtual ~SlideWindow() = default;
    virtual void StartTimer(unsigned id, unsigned periodMs) = 0;
    virtual void StopTimer(unsigned id) = 0;
    // Visible where it stands, not moved.
    virtual void ShowInPlace() = 0;
    virtual void Move(int left, int top, int width, int height) = 0;
    virtual void Redraw() = 0;
    // To (0, 0) with size 0 x 0, repainted, then hidden.
    virtual void HideAway() = 0;
};

class NoticeSlide {
public:
    explicit NoticeSlide(SlideWindow& window) : window_(window) {}

    // The background's size; it is the window's size.
    void SetSize(int width, int height);
    // Pixels per tick: kStep at the display's scale; changed while the notice is hidden.
    void SetStep(int step) { step_ = step > 0 ? step : kStep; }
    int Step() const { return step_; }

    // `workArea` is the desktop without the task bar, read at this call.
    void Show(const Times& times, const Area& workArea);
    void Hide();
    void OnTimer(unsigned id);

    SlideState State() const { return state_; }
    // Where the window stands, held to what a window position can be.
    int Left() const { return ToPosition(left_); }
    int Top() const { return ToPosition(top_); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int RestBottom() const { return ToPosition(restBottom_); }
    unsigned AppearStepDelay() const { return appearStepDelay_; }
    unsigned HideStepDelay() const { return hideStepDelay_; }
    bool IsTimerRunning(unsigned id) const;

    static constexpr int kStep = 2;  // pixels per tick at 100 %

private:
    // Positions are worked out wider than int: a work area at the edge of int's range (a
    // monitor far out, a broken or hostile system report) must not overflow the arithmetic.
    using Wide = int64_t;
    static int ToPosition(Wide value);

    void Start(unsigned id, unsigned periodMs);
    void Stop(unsigned id);
    void MoveWindow();
    void OnAppearTick();
    void OnStayTick();
    void OnDisappearTick();

    SlideWindow& window_;
    SlideState state_ = SlideState::Hidden;
    Times times_;
    unsigned appearStepDelay_ = 0;
    unsigned hideStepDelay_ = 0;
    // A background under two steps high cannot slide: it stands still for its stay.
    bool standsStill_ = false;
    int step_ = kStep;
    int width_ = 0;
    int height_ = 0;
    Wide restLeft_ = 0;
    Wide restBottom_ = 0;
    Wide left_ = 0;
    Wide top_ = 0;
    bool running_[4] = {false, false, false, false};  // by timer id
};

}  // namespace notice
