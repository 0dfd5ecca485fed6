// The simulator's windows and how texts and attach statuses travel to the programs.
#include "sim/skype/SimApp.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <utility>

#include "sim/skype/ControlCommands.h"
#include "sim/skype/ControlProtocol.h"

namespace skypesim {
namespace {

// The longest the simulator waits for a program to take one message; a hung program must not
// hang the simulator with it.
constexpr UINT kSendTimeoutMs = 5000;

}  // namespace

LRESULT ApiWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == app_.DiscoverMessage()) {
        app_.OnDiscover(reinterpret_cast<HWND>(wParam));
        return 0;
    }
    switch (message) {
        case WM_COPYDATA:
            if (!lParam) {
                return 0;
            }
            return app_.OnClientText(reinterpret_cast<HWND>(wParam),
                                     *reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        case UM_FLUSH:
            app_.OnFlush();
            return 0;
        case WM_TIMER:
            app_.OnTimer(wParam);
            return 0;
        case WM_CLOSE:
            app_.OnClose();
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return Default(message, wParam, lParam);
}

LRESULT ControlWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COPYDATA: {
            auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            if (!data || data->dwData != kControlRequest) {
                return 0;
            }
            OnRequest(reinterpret_cast<HWND>(wParam), *data);
            // The requester has its reply; release it before a hang or crash begins, so that
            // it finds the simulator already hanging (or gone) when its call returns.
            ReplyMessage(1);
            app_.RunAfterReply();
            return 1;
        }
        case WM_CLOSE:
            app_.OnClose();
            return 0;
    }
    return Default(message, wParam, lParam);
}

void ControlWindow::OnRequest(HWND replyTo, const COPYDATASTRUCT& data) {
    std::string command;
    if (data.lpData && data.cbData) {
        const char* bytes = static_cast<const char*>(data.lpData);
        command.assign(bytes, std::find(bytes, bytes + data.cbData, '\0'));
    }
    std::string reply = RunControlCommand(app_, command);
    COPYDATASTRUCT answer{kControlReply, static_cast<DWORD>(reply.size() + 1),
                          const_cast<char*>(reply.c_str())};
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(replyTo, WM_COPYDATA, reinterpret_cast<WPARAM>(Hwnd()),
                             reinterpret_cast<LPARAM>(&answer), SMTO_NORMAL, kSendTimeoutMs,
                             &result)) {
        std::fprintf(stderr, "skypesim: the reply to \"%s\" could not be delivered\n",
                     command.c_str());
    }
}

SimApp::SimApp(std::string name)
    : name_(std::move(name)),
      startTick_(GetTickCount64()),
      discoverMessage_(RegisterWindowMessageA("SkypeControlAPIDiscover")),
      attachMessage_(RegisterWindowMessageA("SkypeControlAPIAttach")) {}

SimApp::~SimApp() {
    for (const auto& [id, action] : timers_) {
        KillTimer(api_.Hwnd(), id);
    }
}

bool SimApp::Create() {
    // The control window stays untitled, so no controller finds it, until the start-up
    // commands have all succeeded (OpenControlChannel).
    return discoverMessage_ && attachMessage_ &&
           api_.Create(kApiWindowClass, ApiWindowTitle(name_)) &&
           control_.Create(kControlWindowClass, "");
}

void SimApp::OpenControlChannel() {
    SetWindowTextA(control_.Hwnd(), ControlWindowTitle(name_).c_str());
}

uint64_t SimApp::Now() const {
    return GetTickCount64() - startTick_;
}

void SimApp::AddRecord(RecordEntry entry) {
    entry.ms = Now();
    record_.push_back(std::move(entry));
}

void SimApp::OnDiscover(HWND client) {
    RecordEntry entry;
    entry.kind = RecordKind::Discover;
    entry.window = reinterpret_cast<uintptr_t>(client);
    AddRecord(entry);
    if (IsWindow(client)) {
        attach_.OnDiscover(reinterpret_cast<ClientId>(client));
    }
}

LRESULT SimApp::OnClientText(HWND sender, const COPYDATASTRUCT& data) {
    std::string text;
    if (data.lpData && data.cbData) {
        const char* bytes = static_cast<const char*>(data.lpData);
        text.assign(bytes, std::find(bytes, bytes + data.cbData, '\0'));
    }
    bool taken = !refuseTexts_ && attach_.IsAttached(reinterpret_cast<ClientId>(sender));
    if (const unsigned holdMs = std::exchange(holdNextMs_, 0)) {
        Sleep(holdMs);
        taken = false;
    }
    RecordEntry entry;
    entry.kind = RecordKind::In;
    entry.window = reinterpret_cast<uintptr_t>(sender);
    entry.ok = taken;
    entry.size = data.cbData;
    entry.text = text;
    AddRecord(std::move(entry));
    if (!taken) {
        return 0;
    }
    // Nested commands (a program answering a nested reply with a new command) stack up here.
    struct CommandScope {
        SimApp& app;
        HWND saved;
        CommandScope(SimApp& a, HWND sender) : app(a), saved(a.currentSender_) {
            app.deepestNesting_ = std::max(app.deepestNesting_, ++app.commandDepth_);
            app.currentSender_ = sender;
        }
        ~CommandScope() {
            app.currentSender_ = saved;
            --app.commandDepth_;
        }
    } scope(*this, sender);
    const auto inside = answersInside_.equal_range(text);
    // Copied: the program's answer may change the scripted texts.
    const std::vector<std::pair<std::string, std::string>> answers(inside.first, inside.second);
    for (const auto& answer : answers) {
        Deliver({sender, false, 0, answer.second});
    }
    session_.OnCommand(text);
    return 1;
}

void SimApp::Reply(const std::string& text) {
    if (!currentSender_) {
        Notify(text);
        return;
    }
    Send({currentSender_, false, 0, text});
}

void SimApp::Notify(const std::string& text) {
    // Copied: a failed delivery detaches its program from the set.
    std::set<ClientId> clients = attach_.Attached();
    for (ClientId client : clients) {
        Send({reinterpret_cast<HWND>(client), false, 0, text});
    }
}

void SimApp::SendAttach(ClientId client, unsigned status) {
    // Always afterwards: the discover may come from a broadcast that is still going round.
    Send({reinterpret_cast<HWND>(client), true, status, ""});
}

void SimApp::Send(Outgoing item) {
    if (!item.attach && commandDepth_ > 0 && replyMode_ == ReplyMode::Nested) {
        Deliver(item);
        return;
    }
    queue_.push_back(std::move(item));
    if (!flushPosted_) {
        flushPosted_ = PostMessageA(api_.Hwnd(), UM_FLUSH, 0, 0) != 0;
        if (!flushPosted_) {
            std::fprintf(stderr, "skypesim: cannot post the flush (error %lu)\n", GetLastError());
        }
    }
}

void SimApp::OnFlush() {
    flushPosted_ = false;
    // One at a time: a program may answer a text with a command that queues more.
    while (!queue_.empty()) {
        Outgoing item = std::move(queue_.front());
        queue_.pop_front();
        Deliver(item);
    }
}

void SimApp::Deliver(const Outgoing& item) {
    DWORD_PTR result = 0;
    LRESULT sent;
    if (item.attach) {
        sent = SendMessageTimeoutA(item.client, attachMessage_,
                                   reinterpret_cast<WPARAM>(api_.Hwnd()), item.status,
                                   SMTO_NORMAL | SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
    } else {
        COPYDATASTRUCT data{0, static_cast<DWORD>(item.text.size() + 1),
                            const_cast<char*>(item.text.c_str())};
        sent = SendMessageTimeoutA(item.client, WM_COPYDATA, reinterpret_cast<WPARAM>(api_.Hwnd()),
                                   reinterpret_cast<LPARAM>(&data), SMTO_NORMAL | SMTO_ABORTIFHUNG,
                                   kSendTimeoutMs, &result);
    }
    RecordEntry entry;
    entry.kind = item.attach ? RecordKind::Attach : RecordKind::Out;
    entry.window = reinterpret_cast<uintptr_t>(item.client);
    entry.status = item.status;
    entry.ok = sent != 0 && (item.attach || result != 0);
    entry.text = item.text;
    AddRecord(std::move(entry));
    if (!sent && !IsWindow(item.client)) {
        attach_.Detach(reinterpret_cast<ClientId>(item.client));  // the program is gone
    }
}

void SimApp::After(unsigned ms, std::function<void()> action) {
    UINT_PTR id = nextTimerId_++;
    if (!SetTimer(api_.Hwnd(), id, ms < USER_TIMER_MINIMUM ? USER_TIMER_MINIMUM : ms, nullptr)) {
        throw std::runtime_error("SetTimer failed");
    }
    timers_[id] = std::move(action);
}

void SimApp::OnTimer(UINT_PTR id) {
    KillTimer(api_.Hwnd(), id);
    auto it = timers_.find(id);
    if (it == timers_.end()) {
        return;
    }
    std::function<void()> action = std::move(it->second);
    timers_.erase(it);
    action();
}

void SimApp::LogOut() {
    // The programs hear of it before the attachments end.
    session_.LogOut();
    attach_.LogOut();
}

void SimApp::LogIn() {
    account_.SetConnStatus("ONLINE");
    account_.SetUserStatus("ONLINE");
    attach_.LogIn();
}

void SimApp::RequestQuit() {
    if (!PostMessageA(api_.Hwnd(), WM_CLOSE, 0, 0)) {
        throw std::runtime_error("cannot post the quit");
    }
}

void SimApp::RunAfterReply() {
    PendingAction action = afterReply_;
    afterReply_ = {AfterReply::Nothing, 0};
    if (action.what == AfterReply::Hang) {
        Hang(action.ms);
    } else if (action.what == AfterReply::Crash) {
        ExitProcess(3);
    }
}

void SimApp::Hang(unsigned ms) {
    RecordEntry entry;
    entry.kind = RecordKind::Hang;
    entry.size = ms;
    AddRecord(std::move(entry));
    Sleep(ms);
}

void SimApp::OnClose() {
    for (const auto& [id, action] : timers_) {
        KillTimer(api_.Hwnd(), id);
    }
    timers_.clear();
    DestroyWindow(control_.Hwnd());
    DestroyWindow(api_.Hwnd());
}

}  // namespace skypesim
