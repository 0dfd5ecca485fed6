// A stand-in for the main window when a test hosts a back-end (ModemPhone, SkypeApi) the way
// the main window does: a dialog titled "Voxtelo" that hands recipient 3 and 2 of UM_INTERNAL
// and the Skype messages to the back-ends, and records what reaches the window itself.
// LogCapture stands in for the Debug Window and keeps each log record as sent.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Dialog.h"

namespace test {

// What the window received for itself: UM_INTERNAL with recipient 1 (code) or UM_PHONE_KEY.
struct WindowEvent {
    enum Kind { Internal, PhoneKey };
    Kind kind;
    int code;  // the event code for Internal, 0 for PhoneKey
    bool operator==(const WindowEvent& other) const {
        return kind == other.kind && code == other.code;
    }
};
inline WindowEvent Ev(int code) {
    return {WindowEvent::Internal, code};
}
inline WindowEvent PhoneKey() {
    return {WindowEvent::PhoneKey, 0};
}
std::string Describe(const std::vector<WindowEvent>& events);

class BackendHost : public fw::Dialog {
public:
    BackendHost();

    // Routes; unset ones are recorded as unhandled.
    std::function<LRESULT(int code)> modemEvent;
    std::function<LRESULT(int code)> skypeCommand;
    std::function<LRESULT(WPARAM, LPARAM)> skypeAttach;
    std::function<LRESULT(HWND, const COPYDATASTRUCT*)> copyData;

    std::vector<WindowEvent> events;
    std::vector<std::string> copyDataTexts;  // every WM_COPYDATA text, in order

    // Pumps until `count` events are recorded or `timeoutMs` passes.
    bool WaitForEvents(size_t count, DWORD timeoutMs = 5000);

protected:
    bool OnInitDialog() override;
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class LogCapture : public fw::Dialog {
public:
    LogCapture();
    std::vector<std::string> lines;  // each record's text, without the receiver's line break

protected:
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace test
