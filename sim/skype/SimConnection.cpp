// The control channel's client side.
#include "sim/skype/SimConnection.h"

#include <cstdlib>
#include <cstring>

#include "sim/skype/SimText.h"

namespace skypesim {
namespace {

constexpr const char* kReplyWindowClass = "VoxteloSkypeSimReply";
constexpr unsigned kPollMs = 20;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace

SimConnection::SimConnection(std::string name) : name_(std::move(name)) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    if (!GetClassInfoExA(instance, kReplyWindowClass, &wc)) {
        wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &SimConnection::ReplyProcedure;
        wc.hInstance = instance;
        wc.lpszClassName = kReplyWindowClass;
        if (!RegisterClassExA(&wc)) {
            throw SimError("cannot register the reply window class");
        }
    }
    replyWindow_ = CreateWindowExA(0, kReplyWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   instance, nullptr);
    if (!replyWindow_) {
        throw SimError("cannot create the reply window");
    }
    SetWindowLongPtrA(replyWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

SimConnection::~SimConnection() {
    DestroyWindow(replyWindow_);
}

LRESULT CALLBACK SimConnection::ReplyProcedure(HWND hwnd, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    auto* self = reinterpret_cast<SimConnection*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (message == WM_COPYDATA && self && lParam) {
        auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data->dwData != kControlReply || reinterpret_cast<HWND>(wParam) != self->control_) {
            return 0;
        }
        const char* bytes = static_cast<const char*>(data->lpData);
        self->reply_.assign(bytes ? bytes : "", bytes ? strnlen(bytes, data->cbData) : 0);
        self->gotReply_ = true;
        return 1;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool SimConnection::Connect(unsigned timeoutMs, DWORD processId) {
    std::string title = ControlWindowTitle(name_);
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        // Several windows may carry the name for a moment (one simulator starting while
        // another is going); take the one of the wanted process.
        HWND found = nullptr;
        while ((found = FindWindowExA(nullptr, found, kControlWindowClass, title.c_str()))) {
            DWORD owner = 0;
            GetWindowThreadProcessId(found, &owner);
            if (processId == 0 || owner == processId) {
                control_ = found;
                return true;
            }
        }
        if (GetTickCount64() >= deadline) {
            return false;
        }
        Sleep(kPollMs);
    }
}

std::string SimConnection::Command(const std::string& line) {
    if ((!control_ || !IsWindow(control_)) && !Connect(0)) {
        throw SimError("no simulator named \"" + name_ + "\" is running");
    }
    reply_.clear();
    gotReply_ = false;
    COPYDATASTRUCT request{kControlRequest, static_cast<DWORD>(line.size() + 1),
                           const_cast<char*>(line.c_str())};
    DWORD_PTR result = 0;
    LRESULT sent = SendMessageTimeoutA(
        control_, WM_COPYDATA, reinterpret_cast<WPARAM>(replyWindow_),
        reinterpret_cast<LPARAM>(&request), SMTO_NORMAL, requestTimeoutMs_, &result);
    // The reply counts even when the simulator ended right after it ("crash").
    if (!gotReply_) {
        throw SimError(sent ? "the simulator did not reply to \"" + line + "\""
                            : "the simulator did not take \"" + line + "\" in time");
    }
    if (reply_.compare(0, 4, "ERR ") == 0) {
        throw SimError(reply_.substr(4) + " (\"" + line + "\")");
    }
    if (reply_.compare(0, 2, "OK") != 0) {
        throw SimError("unexpected reply \"" + reply_ + "\"");
    }
    return reply_.size() > 2 ? reply_.substr(3) : std::string();
}

size_t SimConnection::CountFrom(const std::string& reply) {
    auto value = ParseUnsigned(Lines(reply)[0]);
    if (!value) {
        throw SimError("expected a count, got \"" + reply + "\"");
    }
    return static_cast<size_t>(*value);
}

HWND SimConnection::ApiWindow() {
    std::string hex = Command("api-window");
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(hex.c_str(), nullptr, 16)));
}

std::vector<RecordEntry> SimConnection::Record(size_t from) {
    std::vector<std::string> lines = Lines(Command("record " + std::to_string(from)));
    std::vector<RecordEntry> entries;
    for (size_t i = 1; i < lines.size(); ++i) {
        auto entry = ParseRecordEntry(lines[i]);
        if (!entry) {
            throw SimError("unreadable record entry \"" + lines[i] + "\"");
        }
        entries.push_back(std::move(*entry));
    }
    return entries;
}

std::vector<RecordEntry> SimConnection::Received() {
    std::vector<RecordEntry> received;
    for (RecordEntry& entry : Record()) {
        if (entry.kind == RecordKind::In) {
            received.push_back(std::move(entry));
        }
    }
    return received;
}

size_t SimConnection::CountReceived(const std::string& text) {
    return CountFrom(Command("count-received " + text));
}

size_t SimConnection::CountSent(const std::string& text) {
    return CountFrom(Command("count-sent " + text));
}

size_t SimConnection::DiscoverCount() {
    return CountFrom(Command("discovers"));
}

std::vector<uint64_t> SimConnection::DiscoverTimes() {
    std::vector<uint64_t> times;
    for (const RecordEntry& entry : Record()) {
        if (entry.kind == RecordKind::Discover) {
            times.push_back(entry.ms);
        }
    }
    return times;
}

bool SimConnection::AnyAttached() {
    for (const std::string& line : Lines(Command("status"))) {
        if (line.compare(0, 9, "attached ") == 0) {
            return true;
        }
    }
    return false;
}

uint64_t SimConnection::CallIn(const std::string& handle) {
    std::string reply = Command("call-in " + handle);
    auto id = ParseUnsigned(reply);
    if (!id) {
        throw SimError("expected a call id, got \"" + reply + "\"");
    }
    return *id;
}

bool SimConnection::WaitUntil(const std::function<bool()>& condition, unsigned timeoutMs) {
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) {
            return true;
        }
        ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            return false;
        }
        DWORD slice = static_cast<DWORD>(deadline - now < kPollMs ? deadline - now : kPollMs);
        if (!pumpWhileWaiting_) {
            Sleep(slice);
            continue;
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, slice, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));  // for the thread's own loop
                return condition();
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

bool SimConnection::WaitForReceived(const std::string& text, size_t count, unsigned timeoutMs) {
    return WaitUntil([&] { return CountReceived(text) >= count; }, timeoutMs);
}

bool SimConnection::WaitForSent(const std::string& text, size_t count, unsigned timeoutMs) {
    return WaitUntil([&] { return CountSent(text) >= count; }, timeoutMs);
}

bool SimConnection::WaitForDiscovers(size_t count, unsigned timeoutMs) {
    return WaitUntil([&] { return DiscoverCount() >= count; }, timeoutMs);
}

bool SimConnection::WaitForAttached(unsigned timeoutMs) {
    return WaitUntil([&] { return AnyAttached(); }, timeoutMs);
}

}  // namespace skypesim
