// A minimal window base for the simulator's two windows: one static procedure that takes the
// object at creation and forwards every message to it.
#pragma once

#include <windows.h>

#include <string>

namespace skypesim {

class SimWindow {
public:
    SimWindow() = default;
    virtual ~SimWindow();
    SimWindow(const SimWindow&) = delete;
    SimWindow& operator=(const SimWindow&) = delete;

    // Registers the class once and creates a hidden top-level window of it.
    bool Create(const char* className, const std::string& title);
    HWND Hwnd() const { return hwnd_; }

protected:
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
        return DefWindowProcA(hwnd_, message, wParam, lParam);
    }

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
};

}  // namespace skypesim
