// Control library for the Skype client simulator: talks to a running skypesim.exe over its
// control window, reads its record, and waits (bounded) for what a test expects of it.
#pragma once

#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/skype/ControlProtocol.h"
#include "sim/skype/SimRecord.h"

namespace skypesim {

// The simulator refused a control command ("ERR ..."), did not answer in time, or is gone.
class SimError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Use it from the thread that created it: replies come back to a window of that thread.
class SimConnection {
public:
    explicit SimConnection(std::string name = kDefaultName);
    ~SimConnection();
    SimConnection(const SimConnection&) = delete;
    SimConnection& operator=(const SimConnection&) = delete;

    const std::string& Name() const { return name_; }
    // Looks for the simulator's control window for at most `timeoutMs`; with a process id,
    // only a window of that process counts.
    bool Connect(unsigned timeoutMs, DWORD processId = 0);

    // One control command (see the README); returns what follows "OK", without the space or
    // line end after it. Throws SimError for "ERR ..." and when no reply comes in time.
    std::string Command(const std::string& line);
    // How long one command may take; a hung simulator answers only when it pumps again.
    void SetRequestTimeout(unsigned ms) { requestTimeoutMs_ = ms; }

    HWND ApiWindow();
    std::vector<RecordEntry> Record(size_t from = 0);
    // The texts the simulator received (taken or not), in order.
    std::vector<RecordEntry> Received();
    size_t CountReceived(const std::string& text);
    size_t CountSent(const std::string& text);
    size_t DiscoverCount();
    // When each discover broadcast arrived, in ms since the simulator started.
    std::vector<uint64_t> DiscoverTimes();
    bool AnyAttached();
    uint64_t CallIn(const std::string& handle);

    // True as soon as `condition` holds, false after `timeoutMs`. While waiting, the calling
    // thread's messages are dispatched, so that a program hosted on this thread keeps running
    // (turn it off with SetPumpWhileWaiting(false)).
    bool WaitUntil(const std::function<bool()>& condition, unsigned timeoutMs);
    bool WaitForReceived(const std::string& text, size_t count, unsigned timeoutMs);
    bool WaitForSent(const std::string& text, size_t count, unsigned timeoutMs);
    bool WaitForDiscovers(size_t count, unsigned timeoutMs);
    bool WaitForAttached(unsigned timeoutMs);
    void SetPumpWhileWaiting(bool pump) { pumpWhileWaiting_ = pump; }

private:
    static LRESULT CALLBACK ReplyProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    size_t CountFrom(const std::string& reply);

    std::string name_;
    HWND control_ = nullptr;
    HWND replyWindow_ = nullptr;
    std::string reply_;
    bool gotReply_ = false;
    unsigned requestTimeoutMs_ = 10000;
    bool pumpWhileWaiting_ = true;
};

}  // namespace skypesim
