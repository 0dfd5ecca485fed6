#include "tests/support/BackendHost.h"

#include "core/Messages.h"
#include "framework/CopyData.h"
#include "framework/WindowServices.h"
#include "res/resource.h"
#include "tests/support/GuiTest.h"

namespace test {

std::string Describe(const std::vector<WindowEvent>& events) {
    std::string text;
    for (const WindowEvent& event : events) {
        text += event.kind == WindowEvent::PhoneKey ? "key " : std::to_string(event.code) + " ";
    }
    return text;
}

BackendHost::BackendHost() : Dialog(IDD_VOXTELO_DIALOG) {}

bool BackendHost::OnInitDialog() {
    SetWindowTextA(Handle(), "Voxtelo");
    return true;
}

bool BackendHost::WaitForEvents(size_t count, DWORD timeoutMs) {
    return WaitUntil([&] { return events.size() >= count; }, timeoutMs);
}

std::optional<LRESULT> BackendHost::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == msg::UM_INTERNAL) {
        const int code = static_cast<int>(lParam);
        switch (wParam) {
            case msg::RECIPIENT_WINDOW:
                events.push_back(Ev(code));
                return 1;
            case msg::RECIPIENT_SKYPE:
                return skypeCommand ? skypeCommand(code) : 1;
            case msg::RECIPIENT_MODEM:
                return modemEvent ? modemEvent(code) : 1;
        }
        return 1;
    }
    if (message == msg::UM_PHONE_KEY) {
        events.push_back(PhoneKey());
        return 0;
    }
    static const UINT attachMessage = fw::RegisterMessage("SkypeControlAPIAttach");
    if (message == attachMessage) {
        return skypeAttach ? skypeAttach(wParam, lParam) : 1;
    }
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        copyDataTexts.emplace_back(fw::CopyDataText(data));
        return copyData ? copyData(reinterpret_cast<HWND>(wParam), data) : 0;
    }
    return Dialog::OnMessage(message, wParam, lParam);
}

LogCapture::LogCapture() : Dialog(IDD_DEBUG) {}

std::optional<LRESULT> LogCapture::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == msg::UM_DEBUG_TEXT) {
        lines.emplace_back(fw::CopyDataText(reinterpret_cast<const COPYDATASTRUCT*>(lParam)));
        return 1;
    }
    return Dialog::OnMessage(message, wParam, lParam);
}

}  // namespace test
