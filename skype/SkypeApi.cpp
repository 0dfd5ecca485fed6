// The transport of the Skype link: registered messages, WM_COPYDATA both ways with bounded
// waits, and the poll thread.
#include "skype/SkypeApi.h"

#include <vector>

#include "core/Messages.h"
#include "framework/CopyData.h"
#include "framework/MessageBox.h"
#include "framework/WindowServices.h"

namespace {

// Registered once, when the program starts.
const UINT discoverMessage = fw::RegisterMessage("SkypeControlAPIDiscover");
const UINT attachMessage = fw::RegisterMessage("SkypeControlAPIAttach");

constexpr DWORD kPartnerWaitMs = 100;
constexpr int kPartnerWaits = 5;

// Waits for `event` (or `timeoutMs`) while letting messages sent to this thread's windows
// in, so a client answering from within its own handling is never left waiting on us.
// Posted messages stay queued in order. True when the event was signalled.
bool WaitLettingSentMessagesIn(HANDLE event, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        const DWORD left =
            timeoutMs == INFINITE ? INFINITE : (elapsed >= timeoutMs ? 0 : timeoutMs - elapsed);
        const DWORD woken =
            MsgWaitForMultipleObjects(event ? 1 : 0, &event, FALSE, left, QS_SENDMESSAGE);
        if (event && woken == WAIT_OBJECT_0) {
            return true;
        }
        if (woken == WAIT_TIMEOUT || woken == WAIT_FAILED) {
            return false;
        }
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

// A timer of the main window carries a request that waits behind input and paints; its id
// holds the request, so the tick needs no object.
constexpr UINT_PTR kBehindInputTimerBase = 0x53400000;

UINT_PTR BehindInputTimerId(unsigned recipient, int code) {
    return kBehindInputTimerBase + (static_cast<UINT_PTR>(recipient) << 16) +
           static_cast<UINT_PTR>(static_cast<uint16_t>(code));
}

void CALLBACK PostBehindInputTick(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    KillTimer(hwnd, id);
    const UINT_PTR request = id - kBehindInputTimerBase;
    PostMessageA(hwnd, msg::UM_INTERNAL, request >> 16, static_cast<int>(request & 0xFFFF));
}

}  // namespace

UINT SkypeApi::DiscoverMessage() {
    return discoverMessage;
}

UINT SkypeApi::AttachMessage() {
    return attachMessage;
}

SkypeApi::SkypeApi(HWND mainWindow, const SkypeLinkTiming& timing)
    : timing_(timing),
      mainWindow_(mainWindow),
      session_(*this, timing.querySlice),
      stopEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      pollEnded_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      pollThread_([this] { PollThread(); }) {}

SkypeApi::~SkypeApi() {
    for (UINT_PTR timer : behindInputTimers_) {
        KillTimer(mainWindow_, timer);
    }
    SetEvent(stopEvent_.Get());
    // The poll thread may be inside a send to the client, or broadcasting to this very
    // thread's windows: keep answering sent messages until it has ended.
    if (pollEnded_) {
        WaitLettingSentMessagesIn(pollEnded_.Get(), INFINITE);
    }
    pollThread_.join();
}

void SkypeApi::Discover(HWND replyTo, UINT timeoutMs) {
    DWORD_PTR ignored = 0;
    // Every top-level window gets the bounded wait on its own, so a hung one costs the
    // broadcast at most that long and the rest still hear it.
    SendMessageTimeoutA(HWND_BROADCAST, discoverMessage, reinterpret_cast<WPARAM>(replyTo), 0,
                        SMTO_NORMAL | SMTO_ABORTIFHUNG, timeoutMs, &ignored);
}

// Any program may send the attach message. One naming a window of ours would attach the phone
// to itself (it would poll itself and take the real client's texts for a stranger's), and one
// naming no window would only fail the next send.
bool SkypeApi::IsClientWindow(HWND window) {
    DWORD process = 0;
    return IsWindow(window) && GetWindowThreadProcessId(window, &process) != 0 &&
           process != GetCurrentProcessId();
}

LRESULT SkypeApi::OnAttach(WPARAM skypeWindow, LPARAM status) {
    switch (skype::ClassifyAttachStatus(static_cast<uint32_t>(status))) {
        case skype::AttachOutcome::Attached:
            if (!IsClientWindow(reinterpret_cast<HWND>(skypeWindow))) {
                break;  // refused: the link stays as it was
            }
            skypeWindow_ = reinterpret_cast<HWND>(skypeWindow);
            session_.OnAttached();
            break;
        case skype::AttachOutcome::Detached:
            skypeWindow_ = nullptr;
            session_.Detach();
            break;
        case skype::AttachOutcome::Ignored:
            break;
    }
    return 1;
}

LRESULT SkypeApi::OnCopyData(HWND sender, const COPYDATASTRUCT* data) {
    HWND attached = skypeWindow_;
    if (!attached || sender != attached || !data) {
        DropLinkTo(attached);
        return 0;
    }
    session_.ParseNotification(std::string(fw::CopyDataText(data)));
    return 1;
}

LRESULT SkypeApi::OnInternalCommand(int code) {
    return session_.OnInternalCommand(code);
}

bool SkypeApi::SendCommand(const std::string& command) {
    if (command.empty()) {
        return false;
    }
    return Send(command, timing_.sendTimeoutMs);
}

// Each send carries its own copy of the text, zero included, whatever its length.
bool SkypeApi::Send(const std::string& command, UINT timeoutMs) {
    HWND skype = skypeWindow_;
    if (!skype) {
        DropLinkTo(nullptr);
        return false;
    }
    std::vector<char> copy(command.begin(), command.end());
    copy.push_back('\0');
    COPYDATASTRUCT data{0, static_cast<DWORD>(copy.size()), copy.data()};
    DWORD_PTR taken = 0;
    const LRESULT delivered = SendMessageTimeoutA(
        skype, WM_COPYDATA, reinterpret_cast<WPARAM>(mainWindow_), reinterpret_cast<LPARAM>(&data),
        SMTO_NORMAL | SMTO_ABORTIFHUNG, timeoutMs, &taken);
    if (!delivered || !taken) {
        DropLinkTo(skype);
        return false;
    }
    return true;
}

// The other thread may have attached to a new client while this one's send to the old one was
// failing: only the window that failed is forgotten.
void SkypeApi::DropLinkTo(HWND failed) {
    if (skypeWindow_.compare_exchange_strong(failed, nullptr)) {
        session_.Detach();
    }
}

std::string SkypeApi::GetPartnerHandle() {
    for (int i = 0; i < kPartnerWaits && session_.PartnerHandle().empty(); ++i) {
        WaitLettingSentMessagesIn(nullptr, kPartnerWaitMs);
    }
    return session_.PartnerHandle();
}

void SkypeApi::PostInternal(unsigned recipient, int code) {
    PostMessageA(mainWindow_, msg::UM_INTERNAL, recipient, code);
}

void SkypeApi::PostBehindInput(unsigned recipient, int code) {
    if (HIWORD(GetQueueStatus(QS_INPUT | QS_PAINT)) == 0) {
        PostInternal(recipient, code);
        return;
    }
    // A timer's tick is taken only once no input and no paint is waiting.
    const UINT_PTR timer = BehindInputTimerId(recipient, code);
    if (SetTimer(mainWindow_, timer, USER_TIMER_MINIMUM, &PostBehindInputTick)) {
        behindInputTimers_.insert(timer);
    } else {
        PostInternal(recipient, code);  // late rather than lost
    }
}

void SkypeApi::ShowMessage(const std::string& text) {
    fw::ShowReport(mainWindow_, text);
}

std::string SkypeApi::ToAnsi(const std::u16string& text) {
    if (text.empty()) {
        return std::string();
    }
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int wideLength = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(CP_ACP, 0, wide, wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return std::string();
    }
    std::string ansi(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, wideLength, ansi.data(), length, nullptr, nullptr);
    return ansi;
}

void SkypeApi::PollThread() {
    struct SignalEnd {
        HANDLE event;
        ~SignalEnd() { SetEvent(event); }
    } signalEnd{pollEnded_.Get()};

    do {
        if (!skypeWindow_) {
            Discover();
        } else {
            // After a failed send the rest fail too, each dropping the link again. A send may
            // take long, so an ending program is not kept waiting for the rest.
            for (const std::string& command : session_.PollCommands()) {
                if (Stopping()) {
                    break;
                }
                Send(command, timing_.pollSendTimeoutMs);
            }
        }
    } while (WaitForSingleObject(stopEvent_.Get(), timing_.pollPeriodMs) == WAIT_TIMEOUT);
}

bool SkypeApi::Stopping() const {
    return WaitForSingleObject(stopEvent_.Get(), 0) != WAIT_TIMEOUT;
}
