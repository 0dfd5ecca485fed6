#include "app/SingleInstance.h"

#include "core/MainWindowLookup.h"
#include "core/Messages.h"

SingleInstance::SingleInstance(Settings settings) : settings_(std::move(settings)) {}

SingleInstance::~SingleInstance() {
    if (owned_) {
        ReleaseMutex(mutex_.Get());
    }
}

bool SingleInstance::Claim(const std::function<bool(HWND phone)>& handOver) {
    mutex_.Reset(CreateMutexA(nullptr, TRUE, settings_.name.c_str()));
    if (!mutex_) {
        return true;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
        owned_ = true;
        return true;
    }
    // Another start holds it. Its window may not exist yet (both started together), or it
    // may be closing: whichever comes first, its window or its end, decides.
    const ULONGLONG deadline = GetTickCount64() + settings_.waitMs;
    for (;;) {
        DWORD step = settings_.stepMs;
        bool handedOver = false;
        if (HWND phone = FindMainWindow(); phone && handOver(phone)) {
            handedOver = true;
            step = settings_.settleMs;
        }
        const DWORD waited = WaitForSingleObject(mutex_.Get(), step);
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
            owned_ = true;
            return true;
        }
        if (handedOver) {
            return false;
        }
        if (GetTickCount64() >= deadline) {
            return false;
        }
    }
}

void LetPhoneComeForward(HWND phone) {
    DWORD process = 0;
    if (GetWindowThreadProcessId(phone, &process) != 0) {
        AllowSetForegroundWindow(process);  // refused only when this start has no right itself
    }
}

bool PostPhoneKey(HWND phone) {
    return PostMessageA(phone, msg::UM_PHONE_KEY, 0, 0) != FALSE;
}
