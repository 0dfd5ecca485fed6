// One UM_INTERNAL code posted to a window after a delay, unless cancelled first: how the
// modem controller waits without a timer of the window's and without blocking the GUI thread.
#pragma once

#include <windows.h>

#include <thread>

#include "framework/Handles.h"

class DelayedPost {
public:
    DelayedPost();
    ~DelayedPost();
    DelayedPost(const DelayedPost&) = delete;
    DelayedPost& operator=(const DelayedPost&) = delete;

    // Posts (recipient, code) to `window` after `delayMs`; a wait still running is cancelled.
    void Start(HWND window, DWORD delayMs, unsigned recipient, int code);
    // Ends the wait at once; a code already posted stays in the queue, so the receiver checks
    // Pending() before acting on it.
    void Cancel();
    // Started and not cancelled since.
    bool Pending() const { return pending_; }

private:
    fw::KernelHandle cancelEvent_;
    std::thread thread_;
    bool pending_ = false;
};
