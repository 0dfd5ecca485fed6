// Binding of window objects to their windows, the guarded dispatch and adopted lifetimes.
#include "framework/WindowBase.h"

#include <exception>
#include <string>
#include <unordered_map>

#include "framework/InvalidArgumentError.h"
#include "framework/MessageBox.h"

namespace fw {

namespace {

const wchar_t kObjectProperty[] = L"Voxtelo.WindowObject";

// Objects owned by their own window (GUI thread only).
std::unordered_map<WindowBase*, std::unique_ptr<WindowBase>>& Adopted() {
    static std::unordered_map<WindowBase*, std::unique_ptr<WindowBase>> adopted;
    return adopted;
}

}  // namespace

WindowBase::~WindowBase() {
    if (hwnd_) {
        // The derived part is gone: detach first so no message reaches it while the window
        // goes down.
        HWND hwnd = hwnd_;
        Unbind();
        DestroyWindow(hwnd);
    }
}

WindowBase* WindowBase::FromHandle(HWND hwnd) {
    if (!hwnd) {
        return nullptr;
    }
    return static_cast<WindowBase*>(GetPropW(hwnd, kObjectProperty));
}

bool WindowBase::PreTranslateMessage(MSG&) {
    return false;
}

bool WindowBase::Post(UINT message, WPARAM wParam, LPARAM lParam) const {
    return PostMessageA(hwnd_, message, wParam, lParam) != FALSE;
}

LRESULT WindowBase::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
    return SendMessageA(hwnd_, message, wParam, lParam);
}

void WindowBase::OnFinalMessage() {
    auto& adopted = Adopted();
    auto it = adopted.find(this);
    if (it != adopted.end()) {
        std::unique_ptr<WindowBase> self = std::move(it->second);
        adopted.erase(it);
        // `self` ends this object here; nothing of it is touched afterwards.
    }
}

void WindowBase::Bind(HWND hwnd) {
    hwnd_ = hwnd;
    SetPropW(hwnd, kObjectProperty, this);
}

void WindowBase::Unbind() {
    if (hwnd_) {
        RemovePropW(hwnd_, kObjectProperty);
        hwnd_ = nullptr;
    }
}

std::optional<LRESULT> WindowBase::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    ++dispatchDepth_;
    std::optional<LRESULT> result;
    try {
        result = OnMessage(message, wParam, lParam);
    } catch (const InvalidArgumentError& error) {
        ReportHandlerError(hwnd_, (std::string("Invalid argument: ") + error.what()).c_str());
    } catch (const std::exception& error) {
        ReportHandlerError(hwnd_, (std::string("Unexpected error: ") + error.what()).c_str());
    } catch (...) {
        ReportHandlerError(hwnd_, "Unexpected error");
    }
    --dispatchDepth_;
    if (message == WM_NCDESTROY) {
        Unbind();
        finalPending_ = true;
    }
    return result;
}

void WindowBase::FinishDispatch(WindowBase* self) {
    if (self && self->finalPending_ && self->dispatchDepth_ == 0) {
        self->finalPending_ = false;
        self->OnFinalMessage();
    }
}

void AdoptUntilDestroyed(std::unique_ptr<WindowBase> window) {
    if (!window) {
        return;
    }
    if (!window->hwnd_ || !IsWindow(window->hwnd_)) {
        return;  // no window to outlive: the object ends here
    }
    WindowBase* key = window.get();
    Adopted()[key] = std::move(window);
}

void ReportHandlerError(HWND hwnd, const char* what) {
    ShowReport(IsWindow(hwnd) ? hwnd : nullptr, what, MessageBoxIcon::Error);
}

}  // namespace fw
