#include "modem/DelayedPost.h"

#include "core/Messages.h"

DelayedPost::DelayedPost() : cancelEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

DelayedPost::~DelayedPost() {
    Cancel();
}

void DelayedPost::Start(HWND window, DWORD delayMs, unsigned recipient, int code) {
    Cancel();
    ResetEvent(cancelEvent_.Get());
    const HANDLE cancel = cancelEvent_.Get();
    thread_ = std::thread([=] {
        // A wait that fails posts at once rather than never.
        if (WaitForSingleObject(cancel, delayMs) != WAIT_OBJECT_0) {
            PostMessageA(window, msg::UM_INTERNAL, recipient, code);
        }
    });
    pending_ = true;
}

void DelayedPost::Cancel() {
    if (thread_.joinable()) {
        SetEvent(cancelEvent_.Get());
        thread_.join();
    }
    pending_ = false;
}
