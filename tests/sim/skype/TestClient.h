// A stand-in for an API program in the simulator's tests: a window that broadcasts discover,
// collects attach statuses and received texts, and sends command texts.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct AttachSeen {
    HWND skype;
    LPARAM status;
};

struct TextSeen {
    std::string text;
    HWND from;
    bool nested;  // arrived while one of our own sends was still waiting
};

class TestClient {
public:
    TestClient();
    ~TestClient();
    TestClient(const TestClient&) = delete;
    TestClient& operator=(const TestClient&) = delete;

    HWND Hwnd() const { return hwnd_; }
    // SendMessageTimeout to HWND_BROADCAST, as a program looking for the client does.
    void Discover();
    // WM_COPYDATA to the window of the last attach (or `to`); returns the message result,
    // or 0 when the send failed or timed out (`sent` tells which).
    LRESULT Send(const std::string& text, UINT timeoutMs = 5000, HWND to = nullptr,
                 bool* sent = nullptr);

    std::vector<AttachSeen> attaches;
    std::vector<TextSeen> texts;
    // Called for each received text, inside its WM_COPYDATA (so it may send nested commands).
    std::function<void(const std::string&)> onText;

    std::vector<std::string> TextsFrom(size_t first) const;

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    UINT discover_;
    UINT attach_;
    int sending_ = 0;
};
