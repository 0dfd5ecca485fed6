#include "tests/e2e/OrderRun.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <sstream>

#include "core/CallState.h"
#include "core/Messages.h"
#include "sim/led/control/LedSimControl.h"
#include "sim/modem/control/SimModemControl.h"
#include "sim/skype/SimProcess.h"
#include "tests/e2e/PhoneLayout.h"
#include "tests/support/GuiTest.h"
#include "tests/support/ProcessGauge.h"
#include "tests/support/SkypeLink.h"

namespace order {
namespace {

using Clock = std::chrono::steady_clock;

constexpr DWORD kWaitMs = 20000;
constexpr POINT kPhoneAt{150, 60};  // where the phone stands on the screen
constexpr POINT kRest{5, 5};        // where the pointer rests between steps
// Quiet: for this long no log line, LED request or modem call, while the phone keeps
// answering markers; a phone that stays busy for the limit has run away.
constexpr int kQuietMs = 30;
constexpr int kSettleLimitMs = 10000;
// A modem code the simulated modem never sends, which the phone only logs by name: posted to
// the phone, its line shows that everything posted before it has been handled.
constexpr int kMarkerCode = 12;
const char kMarkerLine[] = "From Modem : LINE_MONITORDIGITS";
// The box empties itself past 200 lines, the line that overflows with it; each record takes
// one or two of them.
constexpr long kKeptLines = 60;
constexpr int kMaxLineOpensPerStep = 2;
constexpr double kMaxCpuSecondsPerStep = 1.5;
// Handles and GDI objects the phone may hold at the end beyond its count after it was first
// used: a repaint or a notice may be under way.
constexpr unsigned kHandleSlack = 4;
constexpr unsigned kGdiSlack = 8;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string At(POINT point) {
    return std::to_string(point.x) + " " + std::to_string(point.y) + " ";
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream stream(text);
    for (std::string part; std::getline(stream, part, separator);) {
        if (!part.empty() && part.back() == '\r') {
            part.pop_back();
        }
        if (!part.empty()) {
            parts.push_back(part);
        }
    }
    return parts;
}

bool StartsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

// A line the phone writes when something failed: a TAPI error, a lost line, a client's error.
bool IsErrorLine(const std::string& line) {
    for (const char* mark : {"LINEERR_", "PHONEERR_", "no modem line", "line is gone", "deaf",
                             "stays closed"}) {
        if (line.find(mark) != std::string::npos) {
            return true;
        }
    }
    return StartsWith(line, "ERROR ");
}

// A far end's call as its simulator shows it.
struct FarCall {
    Carrier carrier;
    std::string id;
    bool incoming;
    bool up;       // connected
    bool ringing;  // ringing in, not yet answered
};

class Rig;
struct StepKind;
const StepKind* FindStep(const std::string& name);
struct StepKind {
    const char* name;
    int weight;
    bool mayProvokeErrors;
    void (Rig::*act)();
};

class Rig {
public:
    explicit Rig(const std::string& channel) : modem_(channel) {}
    ~Rig();

    std::string Start();
    // Empty when every rule held.
    std::string Play(const StepKind& step);
    std::string Finish(uint64_t seed);
    std::string RecentLog();
    const Times& Spent() const { return times_; }
    bool PhoneAlive() const { return gauge_ && Alive(); }

    // The steps. Far ends first, then the user, then the system.
    void ModemRingKnown() { ModemDo([&] { modem_.Ring("5551234"); }); }
    void ModemRingUnknown() { ModemDo([&] { modem_.Ring("5550199"); }); }
    void ModemRingHidden() { ModemDo([&] { modem_.Ring(); }); }
    void ModemHangUp() { ModemDo([&] { modem_.HangUp(); }); }
    void ModemAnswer() { ModemDo([&] { modem_.AnswerAsFarEnd(); }); }
    void ModemBusy() { ModemDo([&] { modem_.Busy(); }); }
    void ModemNoAnswer() { ModemDo([&] { modem_.NoAnswer(); }); }
    void ModemCloseLine() { ModemDo([&] { modem_.CloseLine(); }); }
    void ModemRemoveLine() { ModemDo([&] { modem_.RemoveLine(); }); }
    void ModemPlugLine() { ModemDo([&] { modem_.ConfigureLive("lines data voice"); }); }
    void ModemReinit() { ModemDo([&] { modem_.Reinit(); }); }
    void SkypeCallIn();
    void SkypeAnswer() { SkypeDo("answer"); }
    void SkypeHangUp() { SkypeDo("hangup"); }
    void SkypeRefuse() { SkypeDo("refuse"); }
    void SkypeLogOut() { SkypeDo("logout"); }
    void SkypeLogIn() { SkypeDo("login"); }
    void SkypeQuit();
    void SkypeStart();
    void PhoneKey() { PostMessageA(main_, msg::UM_PHONE_KEY, 0, 0); }
    void NoticeClick();
    void CallStartKey() { ClickPhone(e2e::kCallStartKey); }
    void CallEndKey() { ClickPhone(e2e::kCallEndKey); }
    void SkypeKey() { ClickPhone(e2e::kSkypeKey); }
    void ModemKey() { ClickPhone(e2e::kModemKey); }
    void Enter() { PhoneKeys("Return"); }
    void Escape() { PhoneKeys("Escape"); }
    void Digits() { PhoneKeys("5 5 5 0 1 0 0"); }
    void DoubleClickItem() { ClickPhone(e2e::ItemPoint(0), "click --repeat 2 --delay 80 1 "); }
    void TrayClick();
    void TrayShowPhone();
    void BookKey();
    void Suspend() { Power({PBT_APMQUERYSUSPEND, PBT_APMSUSPEND}); }
    void Resume() { Power({PBT_APMRESUMESUSPEND, PBT_APMRESUMEAUTOMATIC}); }
    void RefusedSuspend() { Power({PBT_APMQUERYSUSPEND, PBT_APMQUERYSUSPENDFAILED}); }

private:
    bool Alive() const { return WaitForSingleObject(gauge_.Get(), 0) == WAIT_TIMEOUT; }
    bool Settle();
    bool Absorb(int* markers);
    bool ReadLed();
    void TakeLine(const std::string& line);
    std::vector<FarCall> FarCalls();
    bool FarEndsIdle();
    std::string CheckRules(bool mayProvokeErrors);
    std::string CheckAnswerAndEnd(const std::string& step, CallState state, Carrier carrier,
                                  const std::vector<FarCall>& before);
    HWND ShownWindow(const std::function<bool(HWND)>& match) const;
    void CloseEditor();

    void ModemDo(const std::function<void()>& command);
    void SkypeDo(const std::string& command);
    bool Input(const std::string& xdotool) { return test::RunXdotool(xdotool + "mousemove " + At(kRest)); }
    void ClickPhone(POINT point, const std::string& click = "click 1 ");
    void PhoneKeys(const std::string& keys);
    void Power(std::initializer_list<WPARAM> events);
    void Note(const std::string& text) { history_.push_back("    (" + text + ")"); }

    simmodem::Control modem_;
    skypesim::SimOptions skypeOptions_;
    std::unique_ptr<skypesim::SimProcess> skype_;
    std::set<std::string> toldSkypeCalls_;
    std::vector<FarCall> farCalls_;  // at the last look
    std::set<Carrier> begun_;        // the carriers a call began on
    Times times_;  // incoming calls rung while the phone was attached
    std::unique_ptr<ledsim::Control> led_;
    std::unique_ptr<test::ChildProcess> phone_;
    fw::KernelHandle gauge_;  // the phone's process, to sample and to wait on
    test::ProcessSample started_;
    double cpuMark_ = 0;
    test::ProcessSample held_;  // at the last look
    int callsIn_ = 0;
    HWND main_ = nullptr;
    HWND box_ = nullptr;  // the Debug Window's text
    bool clickReached_ = false;
    std::string unquiet_;  // why the last settling ran out  // the last click on the phone met the phone

    // What the phone showed of itself, from its log, its LED requests and its modem calls.
    std::string read_;  // the log text taken in so far
    CallState state_ = CallState::INIT;
    Carrier callCarrier_ = Carrier::None;
    int ledValue_ = -1;
    uint32_t ledMark_ = 0;
    uint64_t modemMark_ = 0;
    int markers_ = 0;  // marker lines since the last change
    int lineOpens_ = 0;
    bool answered_ = false;
    std::vector<std::string> stepLines_;
    std::deque<std::string> history_;
};

// The phone, should it still run, ends with its ChildProcess.
Rig::~Rig() {
    DeleteFileA((test::TestProgramFolder() + "Bookmark.ini").c_str());
}

std::string Rig::Start() {
    std::ofstream(test::TestProgramFolder() + "Bookmark.ini", std::ios::trunc)
        << "[Alice]\nPhone_Home=\nPhone_Office=\nPhone_Mobile=5551234\n[Bob]\nPhone_Home=5550100"
           "\nPhone_Office=\nPhone_Mobile=\n";
    modem_.ResetConfiguration();
    modem_.SetConnectMode(simmodem::ConnectMode::FarEndAnswers);
    skypeOptions_.name = skypesim::SimProcess::UniqueName("order");
    skypeOptions_.commands = {"friend bob ONLINE Bob Brown", "friend carol ONLINE Carol Clark"};
    skype_ = std::make_unique<skypesim::SimProcess>(skypeOptions_);
    if (!ledsim::Control::IsRunning()) {
        ledsim::Control::Start();  // a session whose services are still starting
    }
    led_ = std::make_unique<ledsim::Control>();
    ledMark_ = led_->LastSeq();
    phone_ = std::make_unique<test::ChildProcess>(
        "voxtelo.exe", "",
        std::map<std::string, std::string>{{"VOXTELO_SIMMODEM_CHANNEL", modem_.Channel()}});
    HWND debug = nullptr;
    if (!phone_->Started() || !test::WaitUntil(
                                  [&] {
                                      main_ = test::DialogOfProcess("Voxtelo", phone_->ProcessId());
                                      debug = test::DialogOfProcess("Debug Window",
                                                                    phone_->ProcessId());
                                      return main_ && debug;
                                  },
                                  kWaitMs)) {
        return "the phone did not start";
    }
    box_ = GetDlgItem(debug, 1001);
    gauge_.Reset(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE,
                             phone_->ProcessId()));
    if (!modem_.WaitForLive(kWaitMs) || !modem_.WaitForLineOpen(kWaitMs) ||
        !test::SettleSkypeLink(main_, skype_->Control(), kWaitMs)) {
        return "the phone found neither its modem line nor the Skype client";
    }
    modemMark_ = modem_.LastSeq();
    SetWindowPos(main_, nullptr, kPhoneAt.x, kPhoneAt.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (!Settle()) {
        return "the phone never became quiet after its start: " + unquiet_;
    }
    // What the phone keeps once it has been used (the notice's pictures, the editor's), so
    // that the end's count can be held against it.
    for (const char* warmUp : {"m-ring-known", "m-hangup", "u-tray-show", "u-modem-key",
                               "u-book-key"}) {
        if (std::string broken = Play(*FindStep(warmUp)); !broken.empty()) {
            return std::string("warming up, ") + warmUp + ": " + broken;
        }
    }
    CloseEditor();
    const auto sample = test::SampleProcess(gauge_.Get());
    started_ = sample.value_or(test::ProcessSample{});
    cpuMark_ = started_.cpuSeconds;
    return sample ? "" : "the phone's handles cannot be read";
}

// The new log lines, LED requests and modem calls since the last look; true when there were
// any besides markers. What was read is cut from the front of the box, so the box's own cap,
// which empties it with the line that overflows, is never reached.
bool Rig::Absorb(int* markers) {
    bool changed = false;
    const std::string text = test::TextOf(box_);
    // A box that no longer starts with what was read has been cut: all of it is new.
    const std::string fresh = StartsWith(text, read_) ? text.substr(read_.size()) : text;
    for (const std::string& line : Split(fresh, '\n')) {
        if (line == kMarkerLine) {
            ++markers_;
            ++*markers;
            continue;
        }
        changed = true;
        markers_ = 0;
        TakeLine(line);
    }
    read_ = text;
    if (std::count(read_.begin(), read_.end(), '\n') > kKeptLines) {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(box_, EM_SETSEL, 0, static_cast<LPARAM>(read_.size()), SMTO_NORMAL,
                            kWaitMs, &result);
        // A line that came meanwhile moved the selection to the end: then nothing is cut.
        SendMessageTimeoutA(box_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""),
                            SMTO_NORMAL, kWaitMs, &result);
    }
    if (ReadLed()) {
        changed = true;
        markers_ = 0;
    }
    for (const simmodem::RecordEntry& entry : modem_.Record(modemMark_)) {
        lineOpens_ += entry.function == "lineOpenA" ? 1 : 0;
        answered_ = answered_ || entry.function == "lineAnswer";
        modemMark_ = entry.seq;
        changed = true;
        markers_ = 0;
    }
    return changed;
}

// The phone's LED requests since the last look; true when there were any.
bool Rig::ReadLed() {
    bool asked = false;
    const ledsim::Snapshot leds = led_->Read(ledMark_);
    for (const ledsim::Entry& entry : leds.entries) {
        if (entry.process == phone_->ProcessId() && entry.method == LEDSIM_METHOD_PLED &&
            entry.Answered()) {
            ledValue_ = entry.value != 0 ? 1 : 0;
            asked = true;
        }
    }
    ledMark_ = leds.lastSeq;
    return asked;
}

void Rig::TakeLine(const std::string& line) {
    stepLines_.push_back(line);
    history_.push_back(line);
    while (history_.size() > 60) {
        history_.pop_front();
    }
    const std::string dialog = "VOXTELO_DIALOG : ";
    const std::string call = "VOXTELO_CALL : ";
    if (StartsWith(line, dialog)) {
        for (CallState state : {CallState::INIT, CallState::NORMAL, CallState::DIALING,
                                CallState::RINGING, CallState::ANSWERING}) {
            if (line.substr(dialog.size()) == CallStateName(state)) {
                state_ = state;
            }
        }
    } else if (StartsWith(line, call + "ends")) {
        callCarrier_ = Carrier::None;
    } else if (StartsWith(line, call + "begins on Skype")) {
        callCarrier_ = Carrier::Skype;
    } else if (StartsWith(line, call + "begins on modem")) {
        callCarrier_ = Carrier::Modem;
    }
    begun_.insert(callCarrier_);
}

// Quiet: for kQuietMs no new line but markers, no LED request, no modem call, at least two
// markers answered meanwhile, and neither simulator holding anything for the phone.
bool Rig::Settle() {
    const auto start = Clock::now();
    auto lastChange = start;
    bool markerOut = false;
    markers_ = 0;
    for (;;) {
        if (!Alive()) {
            return false;
        }
        if (!markerOut) {
            markerOut = PostMessageA(main_, msg::UM_INTERNAL, msg::RECIPIENT_MODEM, kMarkerCode);
        }
        // Pumping: the phone may send to this thread's windows (an activation, a broadcast).
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        test::PumpPending();
        int answered = 0;
        if (Absorb(&answered)) {
            lastChange = Clock::now();
        }
        markerOut = markerOut && answered == 0;
        if (markers_ >= 2 && Since(lastChange) * 1000 >= kQuietMs && FarEndsIdle()) {
            return true;
        }
        if (Since(start) * 1000 >= kSettleLimitMs) {
            unquiet_ = std::to_string(markers_) + " markers answered, the last change " +
                       std::to_string(static_cast<int>(Since(lastChange) * 1000)) +
                       " ms ago, the far ends " + (FarEndsIdle() ? "idle" : "busy");
            return false;
        }
    }
}

// Nothing on its way to the phone: every message for its open line fetched (a line that
// failed to open has nobody fetching), every client text delivered.
bool Rig::FarEndsIdle() {
    const std::vector<simmodem::StatusEntry> rows = modem_.Status();
    for (const simmodem::StatusEntry& app : rows) {
        for (const simmodem::StatusEntry& line : rows) {
            if (app.function == "lineApp" && line.function == "line" &&
                line.Text("app") == app.Text("handle") && app.Number("pending").value_or(0)) {
                return false;
            }
        }
    }
    return !skype_ || skype_->Control().Command("pending") == "0";
}

std::vector<FarCall> Rig::FarCalls() {
    std::vector<FarCall> calls;
    for (const simmodem::StatusEntry& row : modem_.Status()) {
        if (row.function == "call") {
            const std::string state = row.Text("state");
            calls.push_back({Carrier::Modem, row.Text("handle"), row.Text("direction") == "in",
                             state == "CONNECTED",
                             state == "OFFERING" && row.Text("direction") == "in"});
        }
    }
    if (skype_) {
        // "call <id> <partner> incoming|outgoing <status>"
        for (const std::string& line : Split(skype_->Control().Command("status"), '\n')) {
            std::istringstream words(line);
            std::string keyword, id, partner, direction, status;
            if (words >> keyword >> id >> partner >> direction >> status && keyword == "call") {
                const bool incoming = direction == "incoming";
                calls.push_back({Carrier::Skype, id, incoming, status == "INPROGRESS",
                                 incoming && status == "RINGING" && toldSkypeCalls_.count(id)});
            }
        }
    }
    return calls;
}

HWND Rig::ShownWindow(const std::function<bool(HWND)>& match) const {
    for (HWND window : test::FindDialogWindows(nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == phone_->ProcessId() && window != main_ && IsWindowVisible(window) &&
            match(window)) {
            return window;
        }
    }
    return nullptr;
}

std::string Rig::CheckRules(bool mayProvokeErrors) {
    if (HWND box = ShownWindow([](HWND w) { return GetDlgItem(w, 0xFFFF) != nullptr; })) {
        return "a message box is open: " + test::WindowTextA(GetDlgItem(box, 0xFFFF));
    }
    if (lineOpens_ > kMaxLineOpensPerStep) {
        return "the modem line was opened " + std::to_string(lineOpens_) + " times in one step";
    }
    const auto sample = test::SampleProcess(gauge_.Get());
    const double cpu = sample ? sample->cpuSeconds - cpuMark_ : 0;
    cpuMark_ = sample ? sample->cpuSeconds : cpuMark_;
    if (sample && (sample->gdiObjects != held_.gdiObjects || sample->handles != held_.handles)) {
        Note("now " + std::to_string(sample->handles) + " handles, " +
             std::to_string(sample->gdiObjects) + " GDI objects");
        held_ = *sample;
    }
    if (cpu > kMaxCpuSecondsPerStep) {
        return "the step cost the phone " + std::to_string(cpu) + " s of CPU time";
    }
    const char* state = CallStateName(state_);
    if (ledValue_ >= 0 && (ledValue_ == 1) != IsCallUp(state_)) {
        return std::string("the LED is ") + (ledValue_ ? "lit" : "dark") + " in " + state;
    }
    int up = 0;
    farCalls_ = FarCalls();
    for (const FarCall& call : farCalls_) {
        up += call.up ? 1 : 0;
        const char* carrier = CarrierName(call.carrier);
        if (call.up && (state_ != CallState::ANSWERING || callCarrier_ != call.carrier)) {
            return std::string("a call is up on ") + carrier + ", but the window is in " + state +
                   " on " + (CarrierName(callCarrier_) ? CarrierName(callCarrier_) : "none");
        }
        if (call.ringing && !IsCallUp(state_)) {
            return std::string("a call rings in on ") + carrier + ", but the window is in " +
                   state + ": nothing answers it";
        }
    }
    if (up > 1) {
        return std::to_string(up) + " calls are up at once";
    }
    if (!mayProvokeErrors && !stepLines_.empty() && IsErrorLine(stepLines_.back())) {
        return "the step left an error it cannot have provoked: " + stepLines_.back();
    }
    return "";
}

// The phone key answers the call the window rings with, and it or the call-end key ends the
// call the window is in, at both ends.
std::string Rig::CheckAnswerAndEnd(const std::string& step, CallState state, Carrier carrier,
                                   const std::vector<FarCall>& before) {
    const bool phoneKey = step == "u-phone-key" || step == "u-tray-click";
    const bool callEnd = step == "u-call-end" && clickReached_;
    for (const FarCall& call : before) {
        if (call.carrier != carrier) {
            continue;
        }
        if (phoneKey && state == CallState::RINGING && call.ringing) {
            const bool asked =
                carrier == Carrier::Modem
                    ? answered_
                    : skype_ && skype_->Control().CountReceived("SET CALL " + call.id +
                                                                " STATUS INPROGRESS") > 0;
            if (!asked) {
                return std::string("the phone key did not answer the call ringing on ") +
                       CarrierName(carrier);
            }
        }
        if ((phoneKey || callEnd) && state == CallState::ANSWERING && call.up) {
            for (const FarCall& now : FarCalls()) {
                if (now.carrier == carrier && now.id == call.id && now.up) {
                    return std::string("the call on ") + CarrierName(carrier) +
                           " is still up at its far end";
                }
            }
            if (IsCallUp(state_) && callCarrier_ == carrier) {
                return std::string("the window stays in ") + CallStateName(state_) +
                       " after the call ended";
            }
        }
    }
    return "";
}

std::string Rig::Play(const StepKind& step) {
    CloseEditor();
    stepLines_.clear();
    lineOpens_ = 0;
    answered_ = false;
    clickReached_ = false;
    const CallState state = state_;
    const Carrier carrier = callCarrier_;
    // The far ends do nothing of their own between steps: the last look still holds.
    const std::vector<FarCall> before = farCalls_;
    history_.push_back(std::string("  ") + step.name);
    auto mark = Clock::now();
    const auto lap = [&](double* total) {
        *total += Since(mark);
        mark = Clock::now();
    };
    (this->*step.act)();
    lap(&times_.act);
    if (!Settle()) {
        return Alive() ? "the phone never became quiet: " + unquiet_ : "the phone has ended";
    }
    lap(&times_.settle);
    std::string broken = CheckRules(step.mayProvokeErrors);
    broken = broken.empty() ? CheckAnswerAndEnd(step.name, state, carrier, before) : broken;
    lap(&times_.check);
    return broken;
}

void Rig::ModemDo(const std::function<void()>& command) {
    try {
        command();
        modem_.WaitForMessagesTaken(kWaitMs);
    } catch (const simmodem::ControlError& error) {
        Note(std::string("the modem refused: ") + error.what());
    }
}

void Rig::SkypeDo(const std::string& command) {
    if (!skype_) {
        Note("no Skype client");
        return;
    }
    try {
        skype_->Control().Command(command);
    } catch (const skypesim::SimError& error) {
        Note(std::string("the client refused: ") + error.what());
    }
}

void Rig::SkypeCallIn() {
    if (!skype_) {
        Note("no Skype client");
        return;
    }
    // The call reaches the phone only while the phone is attached.
    bool attached = false;
    for (const std::string& line : Split(skype_->Control().Command("status"), '\n')) {
        attached = attached || (StartsWith(line, "attached ") && line.size() > 9);
    }
    try {
        const uint64_t id = skype_->Control().CallIn(++callsIn_ % 2 ? "bob" : "carol");
        if (attached) {
            toldSkypeCalls_.insert(std::to_string(id));
        }
    } catch (const skypesim::SimError& error) {
        Note(std::string("the client refused: ") + error.what());
    }
}

void Rig::SkypeQuit() {
    skype_.reset();  // asks it to quit and waits for its end
    toldSkypeCalls_.clear();  // a new client numbers its calls afresh
}

void Rig::SkypeStart() {
    if (!skype_) {
        skype_ = std::make_unique<skypesim::SimProcess>(skypeOptions_);
    }
}

// A real click on the phone, where it stands, when it is on screen and on top there.
void Rig::ClickPhone(POINT point, const std::string& click) {
    RECT phone{};
    GetWindowRect(main_, &phone);
    const POINT screen{phone.left + point.x, phone.top + point.y};
    if (!IsWindowVisible(main_) || GetAncestor(WindowFromPoint(screen), GA_ROOT) != main_) {
        Note("the phone is not there to click");
        return;
    }
    clickReached_ = true;
    Input("mousemove " + At(screen) + click);
}

// Real keys, with the X keyboard focus handed to the phone as a window manager would.
void Rig::PhoneKeys(const std::string& keys) {
    const auto window = reinterpret_cast<uintptr_t>(GetPropA(main_, "__wine_x11_whole_window"));
    if (!IsWindowVisible(main_) || !window) {
        Note("the phone is not there to type on");
        return;
    }
    Input("windowfocus --sync " + std::to_string(window) + " key " + keys + " ");
}

void Rig::NoticeClick() {
    HWND notice = nullptr;
    while ((notice = FindWindowExA(nullptr, notice, "VoxteloTaskbarNotifier", nullptr))) {
        DWORD owner = 0;
        GetWindowThreadProcessId(notice, &owner);
        if (owner == phone_->ProcessId()) {
            break;
        }
    }
    RECT work{};
    RECT risen{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    if (!notice || !IsWindowVisible(notice) || !GetWindowRect(notice, &risen) ||
        risen.top != work.bottom - 122) {
        Note("no notice risen to click");
        return;
    }
    Input("mousemove " + At({(risen.left + risen.right) / 2, (risen.top + risen.bottom) / 2}) +
          "click 1 ");
}

void Rig::TrayClick() {
    const std::vector<HWND> icons = test::TrayIconWindows();
    if (icons.size() != 1 || !test::WaitForTrayOnScreen()) {
        Note("no tray icon to click");
        return;
    }
    RECT icon{};
    GetWindowRect(icons.front(), &icon);
    Input("mousemove " + At({(icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2}) +
          "click 1 ");
}

// The icon's menu, and its first item.
void Rig::TrayShowPhone() {
    const std::vector<HWND> icons = test::TrayIconWindows();
    if (icons.size() != 1 || !test::WaitForTrayOnScreen()) {
        Note("no tray icon for the menu");
        return;
    }
    RECT icon{};
    GetWindowRect(icons.front(), &icon);
    test::StartXdotool("mousemove " + At({(icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2}) +
                       "click 3");
    HWND menu = nullptr;
    if (!test::WaitUntil([&] { return (menu = test::ShownMenuOfProcess(phone_->ProcessId())); },
                         kWaitMs)) {
        Note("the tray menu did not show");
        return;
    }
    RECT items{};
    GetWindowRect(menu, &items);
    Input("mousemove " + At({items.left + 20, items.top + 10}) + "click 1 ");
    test::WaitUntil([&] { return !test::ShownMenuOfProcess(phone_->ProcessId()); }, kWaitMs);
}

// The phone-book key opens the editor over the phone (on the modem side only); the next step
// closes it again.
void Rig::BookKey() {
    ClickPhone(e2e::kBookKey);
}

void Rig::CloseEditor() {
    HWND editor = ShownWindow([](HWND w) { return GetDlgItem(w, 1000) != nullptr; });
    if (!editor) {
        return;
    }
    RECT at{};
    GetWindowRect(editor, &at);
    Input("mousemove " + At({at.left + 322, at.top + 23}) + "click 1 ");
    test::WaitUntil([&] { return !IsWindowVisible(editor); }, kWaitMs);
    Settle();
}

// Sent as the system sends them, one after the other.
void Rig::Power(std::initializer_list<WPARAM> events) {
    for (WPARAM event : events) {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(main_, WM_POWERBROADCAST, event, 0, SMTO_NORMAL, kWaitMs, &result);
    }
}

// A way out the seed chooses; then the exit code, the LED and what the phone held.
std::string Rig::Finish(uint64_t seed) {
    CloseEditor();
    const auto sample = test::SampleProcess(gauge_.Get());
    if (!sample) {
        return "the phone has ended";
    }
    if (sample->handles > started_.handles + kHandleSlack ||
        sample->gdiObjects > started_.gdiObjects + kGdiSlack) {
        return "the phone holds " + std::to_string(sample->handles) + " handles and " +
               std::to_string(sample->gdiObjects) + " GDI objects, against " +
               std::to_string(started_.handles) + " and " + std::to_string(started_.gdiObjects) +
               " after its start";
    }
    const char* way = nullptr;
    switch (seed % 4) {
        case 0:
            way = "WM_CLOSE";
            PostMessageA(main_, WM_CLOSE, 0, 0);
            break;
        case 1:
            way = "Alt+F4";
            TrayShowPhone();
            PhoneKeys("alt+F4");
            break;
        case 2:
            way = "F12";
            TrayShowPhone();
            PhoneKeys("F12");
            break;
        default: {
            way = "the tray's Quit";
            const std::vector<HWND> icons = test::TrayIconWindows();
            RECT icon{};
            if (!icons.empty() && test::WaitForTrayOnScreen() &&
                GetWindowRect(icons.front(), &icon)) {
                test::StartXdotool("mousemove " +
                                   At({(icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2}) +
                                   "click 3");
                HWND menu = nullptr;
                if (test::WaitUntil(
                        [&] { return (menu = test::ShownMenuOfProcess(phone_->ProcessId())); },
                        kWaitMs)) {
                    RECT items{};
                    GetWindowRect(menu, &items);
                    Input("mousemove " + At({items.left + 20, items.bottom - 8}) + "click 1 ");
                }
            }
            break;
        }
    }
    DWORD code = 1;
    if (!phone_->WaitForExit(kWaitMs, &code)) {
        return std::string(way) + " did not end the phone";
    }
    if (code != 0) {
        return std::string(way) + " ended the phone with exit code " + std::to_string(code);
    }
    ReadLed();
    if (ledValue_ == 1) {
        return std::string(way) + " left the LED lit";
    }
    // An order in which no call ever began on a carrier has tested little of it.
    for (Carrier carrier : {Carrier::Modem, Carrier::Skype}) {
        if (!begun_.count(carrier)) {
            return std::string("no call ever began on ") + CarrierName(carrier);
        }
    }
    return "";
}

// The phone's last lines with the steps between them, then what both far ends hold now.
std::string Rig::RecentLog() {
    std::string text;
    for (const std::string& line : history_) {
        text += "      " + line.substr(0, 120) + "\n";
    }
    try {
        text += "    the modem:\n";
        for (const simmodem::StatusEntry& row : modem_.Status()) {
            text += "      " + simmodem::FormatEntry(row) + "\n";
        }
        text += "    the Skype client:\n";
        for (const std::string& line : Split(skype_ ? skype_->Control().Command("status") : "", '\n')) {
            text += "      " + line + "\n";
        }
    } catch (const std::exception& error) {
        text += std::string("      ") + error.what() + "\n";
    }
    return text;
}

// Each step's name, weight, whether it may leave an error line, and what it does.
const StepKind kSteps[] = {
    {"m-ring-known", 6, true, &Rig::ModemRingKnown},
    {"m-ring-unknown", 2, true, &Rig::ModemRingUnknown},
    {"m-ring-hidden", 2, true, &Rig::ModemRingHidden},
    {"m-hangup", 5, true, &Rig::ModemHangUp},
    {"m-answer", 3, true, &Rig::ModemAnswer},
    {"m-busy", 1, true, &Rig::ModemBusy},
    {"m-noanswer", 1, true, &Rig::ModemNoAnswer},
    {"m-close-line", 1, true, &Rig::ModemCloseLine},
    {"m-remove-line", 1, true, &Rig::ModemRemoveLine},
    {"m-plug-line", 2, true, &Rig::ModemPlugLine},
    {"m-reinit", 1, true, &Rig::ModemReinit},
    {"s-call-in", 6, true, &Rig::SkypeCallIn},
    {"s-answer", 3, true, &Rig::SkypeAnswer},
    {"s-hangup", 4, true, &Rig::SkypeHangUp},
    {"s-refuse", 1, true, &Rig::SkypeRefuse},
    {"s-logout", 1, true, &Rig::SkypeLogOut},
    {"s-login", 2, true, &Rig::SkypeLogIn},
    {"s-quit", 1, true, &Rig::SkypeQuit},
    {"s-start", 2, true, &Rig::SkypeStart},
    {"u-phone-key", 8, true, &Rig::PhoneKey},
    {"u-notice", 3, true, &Rig::NoticeClick},
    {"u-call-start", 4, true, &Rig::CallStartKey},
    {"u-call-end", 4, true, &Rig::CallEndKey},
    {"u-skype-key", 2, false, &Rig::SkypeKey},
    {"u-modem-key", 2, false, &Rig::ModemKey},
    {"u-enter", 3, true, &Rig::Enter},
    {"u-escape", 1, false, &Rig::Escape},
    {"u-digits", 2, false, &Rig::Digits},
    {"u-double-click", 2, true, &Rig::DoubleClickItem},
    {"u-tray-click", 3, true, &Rig::TrayClick},
    {"u-tray-show", 3, false, &Rig::TrayShowPhone},
    {"u-book-key", 1, false, &Rig::BookKey},
    {"x-suspend", 1, true, &Rig::Suspend},
    {"x-resume", 2, true, &Rig::Resume},
    {"x-refused-suspend", 1, true, &Rig::RefusedSuspend},
};

const StepKind* FindStep(const std::string& name) {
    for (const StepKind& step : kSteps) {
        if (name == step.name) {
            return &step;
        }
    }
    return nullptr;
}

}  // namespace

std::vector<std::string> DrawSteps(uint64_t seed, size_t count) {
    std::vector<int> weights;
    for (const StepKind& step : kSteps) {
        weights.push_back(step.weight);
    }
    std::mt19937_64 random(seed);
    std::discrete_distribution<size_t> pick(weights.begin(), weights.end());
    std::vector<std::string> steps;
    for (size_t i = 0; i < count; ++i) {
        steps.push_back(kSteps[pick(random)].name);
    }
    return steps;
}

std::vector<std::string> StepsToPlay(uint64_t* seed, size_t count) {
    if (const char* list = std::getenv("VOXTELO_ORDER_STEPS")) {
        *seed = 0;
        return Split(list, ',');
    }
    if (const char* given = std::getenv("VOXTELO_ORDER_SEED")) {
        *seed = std::strtoull(given, nullptr, 10);
    }
    if (const char* given = std::getenv("VOXTELO_ORDER_COUNT")) {
        count = std::strtoull(given, nullptr, 10);
    }
    return DrawSteps(*seed, count);
}

std::string Result::Report(uint64_t seed, const std::vector<std::string>& steps) const {
    std::string text = "seed " + std::to_string(seed) + ", " + std::to_string(played) + " of " +
                       std::to_string(steps.size()) + " steps kept every rule in " +
                       std::to_string(seconds) + " s";
    if (failure.empty()) {
        return text + "\n";
    }
    const size_t shown = std::min(steps.size(), played + 1);
    std::string list;
    for (size_t i = 0; i < shown; ++i) {
        list += (i ? "," : "") + steps[i];
    }
    text += "\nbroken: " + failure + "\nsteps:  " + list + "\nreplay: ";
    text += seed ? "VOXTELO_ORDER_SEED=" + std::to_string(seed) +
                       " VOXTELO_ORDER_COUNT=" + std::to_string(shown)
                 : "VOXTELO_ORDER_STEPS=" + list;
    return text +
           " tools/wine.sh session --prefix build/win64/wineprefix tools/wine.sh run "
           "build/win64/bin/e2e_order_test.exe\n";
}

Result Play(const std::vector<std::string>& steps, uint64_t seed, const std::string& channel) {
    Result result;
    const auto start = Clock::now();
    Rig rig(channel);
    // A simulator that cannot be reached any more (the phone that served the modem has ended)
    // throws: that too breaks the run.
    const auto guarded = [&](const std::function<std::string()>& part) -> std::string {
        try {
            return part();
        } catch (const std::exception& error) {
            return std::string("the rig failed: ") + error.what() +
                   (rig.PhoneAlive() ? "" : " (the phone has ended)");
        }
    };
    result.failure = guarded([&] { return rig.Start(); });
    for (size_t i = 0; i < steps.size() && result.failure.empty(); ++i) {
        const StepKind* step = FindStep(steps[i]);
        result.failure = step ? guarded([&] { return rig.Play(*step); })
                              : "no step is called " + steps[i];
        if (result.failure.empty()) {
            ++result.played;
        } else {
            result.failure = "step " + std::to_string(i + 1) + " (" + steps[i] + "): " +
                             result.failure + "\n    the phone's last lines:\n" + rig.RecentLog();
        }
    }
    if (result.failure.empty()) {
        result.failure = guarded([&] { return rig.Finish(seed); });
        if (!result.failure.empty()) {
            result.failure += "\n    the phone's last lines:\n" + rig.RecentLog();
        }
    }
    result.seconds = Since(start);
    result.spent = rig.Spent();
    return result;
}

}  // namespace order
