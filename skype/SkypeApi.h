// The program's client of the Skype desktop API: finds the running client by broadcast, is
// attached or detached by it, sends command texts and hands the texts it receives to the
// session, and runs the poll thread that keeps the link alive. What the texts mean is the
// SkypeSession's.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <set>
#include <string>
#include <thread>

#include "core/CallState.h"
#include "framework/Handles.h"
#include "skype/SkypeHost.h"
#include "skype/SkypeSession.h"

// The periods and bounds of the link. The product keeps these; tests pass short ones.
struct SkypeLinkTiming {
    // One poll pass every period.
    DWORD pollPeriodMs = 5000;
    // How long a send from the main window's thread, or one window of a broadcast, may take
    // before it counts as failed: a hung client must never freeze the phone.
    UINT sendTimeoutMs = 3000;
    // The poll thread blocks no window, so a client that is only busy (in the middle of a call)
    // gets longer before it is dropped.
    UINT pollSendTimeoutMs = 15000;
    // The longest one slice of the friends' detail queries keeps the window's thread.
    std::chrono::milliseconds querySlice = skype::SkypeSession::kQuerySlice;
};

class SkypeApi : private skype::SkypeHost {
public:
    // Starts the poll thread, whose first pass broadcasts the discover request.
    explicit SkypeApi(HWND mainWindow, const SkypeLinkTiming& timing = SkypeLinkTiming());
    ~SkypeApi() override;
    SkypeApi(const SkypeApi&) = delete;
    SkypeApi& operator=(const SkypeApi&) = delete;

    // The registered messages of the Skype API, the same in every process.
    static UINT DiscoverMessage();
    static UINT AttachMessage();

    // Broadcasts "SkypeControlAPIDiscover" naming `replyTo` as the window to attach to; each
    // window may take `timeoutMs`.
    static void Discover(HWND replyTo, UINT timeoutMs);
    void Discover() const { Discover(mainWindow_, timing_.sendTimeoutMs); }

    // The client's attach message (wParam its API window, lParam the status); returns 1.
    LRESULT OnAttach(WPARAM skypeWindow, LPARAM status);
    // A WM_COPYDATA to the main window: 1 when it came from the attached client and was
    // parsed; otherwise the link is dropped and the result is 0.
    LRESULT OnCopyData(HWND sender, const COPYDATASTRUCT* data);
    // UM_INTERNAL with recipient 2; returns 1.
    LRESULT OnInternalCommand(int code);

    // Sends a command text to the client; an empty text is not sent. A refused, failed or
    // timed-out send drops the link, which is then rediscovered.
    bool SendCommand(const std::string& command) override;

    CallState GetState() const { return session_.GetState(); }
    bool IsAttached() const { return skypeWindow_.load() != nullptr; }
    size_t ContactCount() const { return session_.ContactCount(); }
    const skype::SkypeContact* ContactAt(int32_t listIndex) const {
        return session_.ContactAt(listIndex);
    }
    std::string CurrentCall() const { return session_.CurrentCall(); }
    // The current call's partner as known now, "" while its reply is still on the way.
    std::string PartnerHandle() const { return session_.PartnerHandle(); }
    std::vector<skype::CallStateChange> TakeCallStateChanges() {
        return session_.TakeCallStateChanges();
    }
    std::vector<skype::RefusedCall> TakeRefusedCalls() { return session_.TakeRefusedCalls(); }
    // The current call's partner; while it is unknown, waits up to five times 100 ms, letting
    // the client's texts (sent messages) in meanwhile.
    std::string GetPartnerHandle();

private:
    // SkypeHost.
    void PostInternal(unsigned recipient, int code) override;
    void PostBehindInput(unsigned recipient, int code) override;
    void ShowMessage(const std::string& text) override;
    std::string ToAnsi(const std::u16string& text) override;

    static bool IsClientWindow(HWND window);
    bool Send(const std::string& command, UINT timeoutMs);
    void DropLinkTo(HWND failed);
    void PollThread();
    bool Stopping() const;

    const SkypeLinkTiming timing_;
    HWND mainWindow_;
    std::atomic<HWND> skypeWindow_{nullptr};
    skype::SkypeSession session_;
    std::set<UINT_PTR> behindInputTimers_;  // the main window's thread only
    fw::KernelHandle stopEvent_;
    fw::KernelHandle pollEnded_;
    std::thread pollThread_;
};
