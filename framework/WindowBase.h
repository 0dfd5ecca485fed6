// The object behind one of our windows: one dispatch per window class (`OnMessage`), the
// exception boundary around it, the pre-translation hook, and the end of the object's life.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>

namespace fw {

class WindowBase {
public:
    WindowBase() = default;
    virtual ~WindowBase();
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;

    HWND Handle() const { return hwnd_; }

    // The object bound to a window of ours, or null for any other window.
    static WindowBase* FromHandle(HWND hwnd);

    // Sees each message the framework's loop takes from the queue addressed to this window
    // or one of its child windows (never an owned top-level window), before translation;
    // true consumes it.
    virtual bool PreTranslateMessage(MSG& msg);

    void Show(int command = SW_SHOWNORMAL) const { ShowWindow(hwnd_, command); }
    void Hide() const { ShowWindow(hwnd_, SW_HIDE); }
    bool IsVisible() const { return IsWindowVisible(hwnd_) != FALSE; }
    bool Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    void Invalidate(bool erase = true) const { InvalidateRect(hwnd_, nullptr, erase); }

    // Window timers: ticks arrive as WM_TIMER on the GUI thread; starting a running id
    // replaces it with the new period.
    void StartTimer(UINT_PTR id, UINT periodMs) const { SetTimer(hwnd_, id, periodMs, nullptr); }
    void StopTimer(UINT_PTR id) const { KillTimer(hwnd_, id); }

protected:
    // The one switch of a window class: unpacks the parameters and calls named handlers.
    // An empty result means "not handled": the system's default processing runs.
    virtual std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

    // Runs once the window is destroyed and no handler of this object is still on the
    // stack; the default ends the life of an object handed over with AdoptUntilDestroyed.
    virtual void OnFinalMessage();

    // Called by the window procedures of Dialog and Window.
    void Bind(HWND hwnd);
    void Unbind();
    std::optional<LRESULT> Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    static void FinishDispatch(WindowBase* self);

    HWND hwnd_ = nullptr;

private:
    int dispatchDepth_ = 0;
    bool finalPending_ = false;

    friend void AdoptUntilDestroyed(std::unique_ptr<WindowBase> window);
};

// Hands a window object over to its own window: it is destroyed after its window is.
void AdoptUntilDestroyed(std::unique_ptr<WindowBase> window);

// Reports an error that escaped a handler; the handler has stopped, the program goes on.
void ReportHandlerError(HWND hwnd, const char* what);

}  // namespace fw
