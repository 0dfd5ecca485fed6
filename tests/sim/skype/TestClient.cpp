// The test program side of the Skype API for the simulator's tests.
#include "tests/sim/skype/TestClient.h"

#include <algorithm>
#include <stdexcept>

namespace {
constexpr const char* kClass = "SkypeSimTestClient";
}

TestClient::TestClient()
    : discover_(RegisterWindowMessageA("SkypeControlAPIDiscover")),
      attach_(RegisterWindowMessageA("SkypeControlAPIAttach")) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    if (!GetClassInfoExA(instance, kClass, &wc)) {
        wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &TestClient::Procedure;
        wc.hInstance = instance;
        wc.lpszClassName = kClass;
        if (!RegisterClassExA(&wc)) {
            throw std::runtime_error("RegisterClassEx failed");
        }
    }
    hwnd_ = CreateWindowExA(0, kClass, "skypesim test client", WS_OVERLAPPED, 0, 0, 100, 100,
                            nullptr, nullptr, instance, nullptr);
    if (!hwnd_) {
        throw std::runtime_error("CreateWindowEx failed");
    }
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TestClient::~TestClient() {
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
}

void TestClient::Discover() {
    DWORD_PTR result = 0;
    // Other windows of the session may be slow; the simulator's answer comes afterwards anyway.
    SendMessageTimeoutA(HWND_BROADCAST, discover_, reinterpret_cast<WPARAM>(hwnd_), 0,
                        SMTO_ABORTIFHUNG, 2000, &result);
}

LRESULT TestClient::Send(const std::string& text, UINT timeoutMs, HWND to, bool* sent) {
    if (!to) {
        to = attaches.empty() ? nullptr : attaches.back().skype;
    }
    COPYDATASTRUCT data{0, static_cast<DWORD>(text.size() + 1), const_cast<char*>(text.c_str())};
    DWORD_PTR result = 0;
    ++sending_;
    LRESULT ok =
        SendMessageTimeoutA(to, WM_COPYDATA, reinterpret_cast<WPARAM>(hwnd_),
                            reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, timeoutMs, &result);
    --sending_;
    if (sent) {
        *sent = ok != 0;
    }
    return ok ? static_cast<LRESULT>(result) : 0;
}

std::vector<std::string> TestClient::TextsFrom(size_t first) const {
    std::vector<std::string> out;
    for (size_t i = first; i < texts.size(); ++i) {
        out.push_back(texts[i].text);
    }
    return out;
}

LRESULT CALLBACK TestClient::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TestClient*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    if (message == self->attach_) {
        self->attaches.push_back({reinterpret_cast<HWND>(wParam), lParam});
        return 1;
    }
    if (message == WM_COPYDATA && lParam) {
        auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        const char* bytes = static_cast<const char*>(data->lpData);
        std::string text(bytes, std::find(bytes, bytes + data->cbData, '\0'));
        self->texts.push_back({text, reinterpret_cast<HWND>(wParam), self->sending_ > 0});
        if (self->onText) {
            self->onText(text);
        }
        return 1;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}
