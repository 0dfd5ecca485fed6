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
// Quiet: two markers answered and for this long no log line, LED request or modem call; a
// phone that stays busy for the limit has run away.
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

POINT Centre(const RECT& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
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
    for (const char* mark :
         {"LINEERR_", "PHONEERR_", "no modem line", "line is gone", "deaf", "stays closed"}) {
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
    bool up;       // connected
    bool ringing;  // ringing in, the phone told of it, not yet answered
};

class Rig {
public:
    explicit Rig(const std::string& channel) : modem_(channel) {}
    ~Rig() { DeleteFileA(BookPath().c_str()); }  // the phone, if it still runs, goes first

    std::string Start();
    // Empty when every rule held.
    std::string Play(const std::string& name);
    std::string Finish(uint64_t seed);
    std::string RecentLog();
    const Times& Spent() const { return times_; }
    bool PhoneAlive() const { return gauge_ && Alive(); }

    // What the steps do (the table below names them).
    void Modem(const std::function<void(simmodem::Control&)>& command);
    void Skype(const std::string& command);
    void SkypeCallIn();
    void SkypeQuit();
    void SkypeStart();
    void PhoneKey() { PostMessageA(main_, msg::UM_PHONE_KEY, 0, 0); }
    void ClickPhone(POINT point, const std::string& click = "click 1 ");
    void PhoneKeys(const std::string& keys);
    void NoticeClick();
    void TrayClick();
    void TrayMenu(bool last);
    void Power(std::initializer_list<WPARAM> events);

private:
    static std::string BookPath() { return test::TestProgramFolder() + "Bookmark.ini"; }
    bool Alive() const { return WaitForSingleObject(gauge_.Get(), 0) == WAIT_TIMEOUT; }
    bool Settle();
    bool Absorb(int* markers, bool withModem);
    bool ReadLed();
    void TakeLine(const std::string& line);
    std::vector<FarCall> FarCalls();
    bool FarEndsIdle();
    std::string CheckRules(bool mayProvokeErrors);
    std::string CheckAnswerAndEnd(const std::string& step, CallState state, Carrier carrier,
                                  const std::vector<FarCall>& before);
    HWND ShownWindow(const std::function<bool(HWND)>& match) const;
    void CloseEditor();
    // xdotool's own output (the focused window's number) would only clutter the report.
    bool Input(const std::string& xdotool) {
        return test::RunXdotool(xdotool + "mousemove " + At(kRest) + ">/dev/null");
    }
    void Note(const std::string& text) { history_.push_back("    (" + text + ")"); }

    simmodem::Control modem_;
    skypesim::SimOptions skypeOptions_;
    std::unique_ptr<skypesim::SimProcess> skype_;
    std::set<std::string> toldSkypeCalls_;  // incoming calls rung while the phone was attached
    int callsIn_ = 0;
    std::unique_ptr<ledsim::Control> led_;
    std::unique_ptr<test::ChildProcess> phone_;
    fw::KernelHandle gauge_;  // the phone's process, to sample and to wait on
    HWND main_ = nullptr;
    HWND box_ = nullptr;           // the Debug Window's text
    test::ProcessSample started_;  // after the warm-up
    test::ProcessSample held_;     // at the last look
    double cpuMark_ = 0;
    DWORD lastTrayClick_ = 0;

    // What the phone showed of itself: its log, its LED requests, its modem calls.
    std::string read_;  // the log text taken in so far
    CallState state_ = CallState::INIT;
    Carrier callCarrier_ = Carrier::None;
    std::set<Carrier> begun_;  // the carriers a call began on
    size_t played_ = 0;
    int ledValue_ = -1;
    uint32_t ledMark_ = 0;
    uint64_t modemMark_ = 0;
    int markers_ = 0;      // marker lines since the last change
    std::string unquiet_;  // why the last settling ran out

    // The step under way.
    int lineOpens_ = 0;
    bool answered_ = false;
    bool clickReached_ = false;  // a click met the phone
    std::vector<std::string> stepLines_;
    std::vector<FarCall> farCalls_;  // at the last look; the far ends do nothing on their own
    std::deque<std::string> history_;
    Times times_;
};

// Each step's name, weight, whether it may leave an error line, and what it does.
struct StepKind {
    const char* name;
    int weight;
    bool mayProvokeErrors;
    std::function<void(Rig&)> act;
};

const std::vector<StepKind>& Steps() {
    using M = simmodem::Control;
    static const std::vector<StepKind> steps = {
        {"m-ring-known", 6, true, [](Rig& r) { r.Modem([](M& m) { m.Ring("5551234"); }); }},
        {"m-ring-unknown", 2, true, [](Rig& r) { r.Modem([](M& m) { m.Ring("5550199"); }); }},
        {"m-ring-hidden", 2, true, [](Rig& r) { r.Modem([](M& m) { m.Ring(); }); }},
        {"m-hangup", 5, true, [](Rig& r) { r.Modem([](M& m) { m.HangUp(); }); }},
        {"m-answer", 3, true, [](Rig& r) { r.Modem([](M& m) { m.AnswerAsFarEnd(); }); }},
        {"m-busy", 1, true, [](Rig& r) { r.Modem([](M& m) { m.Busy(); }); }},
        {"m-noanswer", 1, true, [](Rig& r) { r.Modem([](M& m) { m.NoAnswer(); }); }},
        {"m-close-line", 1, true, [](Rig& r) { r.Modem([](M& m) { m.CloseLine(); }); }},
        {"m-remove-line", 1, true, [](Rig& r) { r.Modem([](M& m) { m.RemoveLine(); }); }},
        {"m-plug-line", 2, true,
         [](Rig& r) { r.Modem([](M& m) { m.ConfigureLive("lines data voice"); }); }},
        {"m-reinit", 1, true, [](Rig& r) { r.Modem([](M& m) { m.Reinit(); }); }},
        {"s-call-in", 6, true, [](Rig& r) { r.SkypeCallIn(); }},
        {"s-answer", 3, true, [](Rig& r) { r.Skype("answer"); }},
        {"s-hangup", 4, true, [](Rig& r) { r.Skype("hangup"); }},
        {"s-refuse", 1, true, [](Rig& r) { r.Skype("refuse"); }},
        {"s-logout", 1, true, [](Rig& r) { r.Skype("logout"); }},
        {"s-login", 2, true, [](Rig& r) { r.Skype("login"); }},
        {"s-quit", 1, true, [](Rig& r) { r.SkypeQuit(); }},
        {"s-start", 2, true, [](Rig& r) { r.SkypeStart(); }},
        {"u-phone-key", 8, true, [](Rig& r) { r.PhoneKey(); }},
        {"u-notice", 3, true, [](Rig& r) { r.NoticeClick(); }},
        {"u-call-start", 4, true, [](Rig& r) { r.ClickPhone(e2e::kCallStartKey); }},
        {"u-call-end", 4, true, [](Rig& r) { r.ClickPhone(e2e::kCallEndKey); }},
        {"u-skype-key", 2, false, [](Rig& r) { r.ClickPhone(e2e::kSkypeKey); }},
        {"u-modem-key", 2, false, [](Rig& r) { r.ClickPhone(e2e::kModemKey); }},
        {"u-enter", 3, true, [](Rig& r) { r.PhoneKeys("Return"); }},
        {"u-escape", 1, false, [](Rig& r) { r.PhoneKeys("Escape"); }},
        {"u-digits", 2, false, [](Rig& r) { r.PhoneKeys("5 5 5 0 1 0 0"); }},
        {"u-double-click", 2, true,
         [](Rig& r) { r.ClickPhone(e2e::ItemPoint(0), "click --repeat 2 --delay 80 1 "); }},
        {"u-tray-click", 3, true, [](Rig& r) { r.TrayClick(); }},
        {"u-tray-show", 3, false, [](Rig& r) { r.TrayMenu(false); }},
        // The editor opens over the phone (on the modem side only); the next step closes it.
        {"u-book-key", 1, false, [](Rig& r) { r.ClickPhone(e2e::kBookKey); }},
        {"x-suspend", 1, true,
         [](Rig& r) {
             r.Power({PBT_APMQUERYSUSPEND, PBT_APMSUSPEND});
         }},
        {"x-resume", 2, true,
         [](Rig& r) {
             r.Power({PBT_APMRESUMESUSPEND, PBT_APMRESUMEAUTOMATIC});
         }},
        {"x-refused-suspend", 1, true,
         [](Rig& r) {
             r.Power({PBT_APMQUERYSUSPEND, PBT_APMQUERYSUSPENDFAILED});
         }},
    };
    return steps;
}

const StepKind* FindStep(const std::string& name) {
    for (const StepKind& step : Steps()) {
        if (name == step.name) {
            return &step;
        }
    }
    return nullptr;
}

std::string Rig::Start() {
    std::ofstream(BookPath(), std::ios::trunc)
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
    const bool started = phone_->Started() && test::WaitUntil(
                                                  [&] {
                                                      const DWORD id = phone_->ProcessId();
                                                      main_ = test::DialogOfProcess("Voxtelo", id);
                                                      debug =
                                                          test::DialogOfProcess("Debug Window", id);
                                                      return main_ && debug;
                                                  },
                                                  kWaitMs);
    if (!started) {
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
    for (const char* warmUp :
         {"m-ring-known", "m-hangup", "u-tray-show", "u-modem-key", "u-book-key"}) {
        if (const std::string broken = Play(warmUp); !broken.empty()) {
            return std::string("warming up, ") + warmUp + ": " + broken;
        }
    }
    CloseEditor();
    const auto sample = test::SampleProcess(gauge_.Get());
    started_ = held_ = sample.value_or(test::ProcessSample{});
    cpuMark_ = started_.cpuSeconds;
    return sample ? "" : "the phone's handles cannot be read";
}

// The new log lines, LED requests and modem calls since the last look; true when there were
// any besides markers. What was read is cut from the front of the box, so the box's own cap is
// never reached. `withModem`: the modem's record too, a request to the phone's process.
bool Rig::Absorb(int* markers, bool withModem) {
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
        SendMessageTimeoutA(box_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""), SMTO_NORMAL,
                            kWaitMs, &result);
    }
    if (ReadLed()) {
        changed = true;
        markers_ = 0;
    }
    for (const simmodem::RecordEntry& entry :
         withModem ? modem_.Record(modemMark_) : std::vector<simmodem::RecordEntry>{}) {
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
        if (entry.process == phone_->ProcessId() && entry.IsPled(entry.value)) {
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
    for (CallState state : {CallState::INIT, CallState::NORMAL, CallState::DIALING,
                            CallState::RINGING, CallState::ANSWERING}) {
        if (line == dialog + CallStateName(state)) {
            state_ = state;
        }
    }
    if (StartsWith(line, call)) {
        callCarrier_ = StartsWith(line, call + "begins on Skype")   ? Carrier::Skype
                       : StartsWith(line, call + "begins on modem") ? Carrier::Modem
                                                                    : Carrier::None;
        begun_.insert(callCarrier_);
    }
}

// Quiet: two markers answered and kQuietMs without a change, and neither simulator holding
// anything for the phone.
bool Rig::Settle() {
    const auto start = Clock::now();
    auto lastChange = start;
    bool markerOut = false;
    markers_ = 0;
    while (Alive()) {
        if (!markerOut) {
            markerOut = PostMessageA(main_, msg::UM_INTERNAL, msg::RECIPIENT_MODEM, kMarkerCode);
        }
        // Pumping: the phone may send to this thread's windows (an activation, a broadcast).
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        test::PumpPending();
        int answered = 0;
        if (Absorb(&answered, false)) {
            lastChange = Clock::now();
        }
        markerOut = markerOut && answered == 0;
        if (markers_ >= 2 && Since(lastChange) * 1000 >= kQuietMs) {
            if (!Absorb(&answered, true) && FarEndsIdle()) {
                return true;
            }
            lastChange = Clock::now();
        }
        if (Since(start) * 1000 >= kSettleLimitMs) {
            unquiet_ = std::to_string(markers_) + " markers answered, the last change " +
                       std::to_string(static_cast<int>(Since(lastChange) * 1000)) +
                       " ms ago, the far ends " + (FarEndsIdle() ? "idle" : "busy");
            // Frozen or running away: one more marker tells which.
            const auto late = Clock::now();
            answered = 0;
            PostMessageA(main_, msg::UM_INTERNAL, msg::RECIPIENT_MODEM, kMarkerCode);
            while (Alive() && answered == 0 && Since(late) * 1000 < kSettleLimitMs) {
                Sleep(20);
                Absorb(&answered, false);
            }
            unquiet_ += answered ? "; it answered again after " +
                                       std::to_string(static_cast<int>(Since(late) * 1000)) + " ms"
                                 : "; it answers no more";
            return false;
        }
    }
    return false;
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
            calls.push_back({Carrier::Modem, row.Text("handle"), state == "CONNECTED",
                             state == "OFFERING" && row.Text("direction") == "in"});
        }
    }
    // "call <id> <partner> incoming|outgoing <status>"
    for (const std::string& line : Split(skype_ ? skype_->Control().Command("status") : "", '\n')) {
        std::istringstream words(line);
        std::string keyword, id, partner, direction, status;
        if (words >> keyword >> id >> partner >> direction >> status && keyword == "call") {
            calls.push_back(
                {Carrier::Skype, id, status == "INPROGRESS",
                 direction == "incoming" && status == "RINGING" && toldSkypeCalls_.count(id)});
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
    if (sample) {
        cpuMark_ = sample->cpuSeconds;
        if (sample->gdiObjects != held_.gdiObjects || sample->handles != held_.handles) {
            Note("now " + std::to_string(sample->handles) + " handles, " +
                 std::to_string(sample->gdiObjects) + " GDI objects");
        }
        held_ = *sample;
    }
    if (cpu > kMaxCpuSecondsPerStep) {
        return "the step cost the phone " + std::to_string(cpu) + " s of CPU time";
    }
    const std::string state = CallStateName(state_);
    if (ledValue_ >= 0 && (ledValue_ == 1) != IsCallUp(state_)) {
        return std::string("the LED is ") + (ledValue_ ? "lit" : "dark") + " in " + state;
    }
    farCalls_ = FarCalls();
    const auto up = std::count_if(farCalls_.begin(), farCalls_.end(),
                                  [](const FarCall& call) { return call.up; });
    if (up > 1) {
        return std::to_string(up) + " calls are up at once";
    }
    for (const FarCall& call : farCalls_) {
        const std::string carrier = CarrierName(call.carrier);
        if (call.up && (state_ != CallState::ANSWERING || callCarrier_ != call.carrier)) {
            const char* followed = CarrierName(callCarrier_);
            return "a call is up on " + carrier + ", but the window is in " + state + " on " +
                   (followed ? followed : "none");
        }
        if (call.ringing && !IsCallUp(state_)) {
            return "a call rings in on " + carrier + ", but the window is in " + state +
                   ": nothing answers it";
        }
    }
    // The modem's own retries of a lost line come when their period is over, not with a step.
    const bool retried = std::any_of(stepLines_.begin(), stepLines_.end(), [](const auto& line) {
        return line.find("opening the modem line again") != std::string::npos;
    });
    if (!mayProvokeErrors && !retried && !stepLines_.empty() && IsErrorLine(stepLines_.back())) {
        return "the step left an error it cannot have provoked: " + stepLines_.back();
    }
    return "";
}

// The phone key answers the call the window rings with; it, or the call-end key, ends the
// call the window is in, at both ends.
std::string Rig::CheckAnswerAndEnd(const std::string& step, CallState state, Carrier carrier,
                                   const std::vector<FarCall>& before) {
    const bool phoneKey = step == "u-phone-key" || step == "u-tray-click";
    const bool callEnd = step == "u-call-end" && clickReached_;
    const std::string name = CarrierName(carrier) ? CarrierName(carrier) : "";
    for (const FarCall& call : before) {
        if (call.carrier != carrier) {
            continue;
        }
        if (phoneKey && state == CallState::RINGING && call.ringing &&
            !(carrier == Carrier::Modem
                  ? answered_
                  : skype_ && skype_->Control().CountReceived("SET CALL " + call.id +
                                                              " STATUS INPROGRESS"))) {
            return "the phone key did not answer the call ringing on " + name;
        }
        if ((phoneKey || callEnd) && state == CallState::ANSWERING && call.up) {
            for (const FarCall& now : farCalls_) {
                if (now.carrier == carrier && now.id == call.id && now.up) {
                    return "the call on " + name + " is still up at its far end";
                }
            }
            if (IsCallUp(state_) && callCarrier_ == carrier) {
                return std::string("the window stays in ") + CallStateName(state_) +
                       " after its call ended";
            }
        }
    }
    return "";
}

std::string Rig::Play(const std::string& name) {
    const StepKind* step = FindStep(name);
    if (!step) {
        return "no step is called " + name;
    }
    CloseEditor();
    stepLines_.clear();
    lineOpens_ = 0;
    answered_ = false;
    clickReached_ = false;
    const CallState state = state_;
    const Carrier carrier = callCarrier_;
    const std::vector<FarCall> before = farCalls_;
    history_.push_back("  " + name);
    auto mark = Clock::now();
    const auto lap = [&](double* total) {
        *total += Since(mark);
        mark = Clock::now();
    };
    step->act(*this);
    ++played_;
    lap(&times_.act);
    if (!Settle()) {
        return Alive() ? "the phone never became quiet: " + unquiet_ : "the phone has ended";
    }
    lap(&times_.settle);
    std::string broken = CheckRules(step->mayProvokeErrors);
    broken = broken.empty() ? CheckAnswerAndEnd(name, state, carrier, before) : broken;
    lap(&times_.check);
    return broken;
}

void Rig::Modem(const std::function<void(simmodem::Control&)>& command) {
    try {
        command(modem_);
    } catch (const simmodem::ControlError& error) {
        Note(std::string("the modem refused: ") + error.what());
    }
}

void Rig::Skype(const std::string& command) {
    try {
        if (skype_) {
            skype_->Control().Command(command);
        }
    } catch (const skypesim::SimError& error) {
        Note(std::string("the client refused: ") + error.what());
    }
}

// The call reaches the phone only while the phone is attached.
void Rig::SkypeCallIn() {
    if (!skype_) {
        return;
    }
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
    skype_.reset();           // asks it to quit and waits for its end
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
    DWORD owner = 0;
    while ((notice = FindWindowExA(nullptr, notice, "VoxteloTaskbarNotifier", nullptr)) &&
           (GetWindowThreadProcessId(notice, &owner), owner != phone_->ProcessId())) {
    }
    RECT work{};
    RECT risen{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    if (!notice || !IsWindowVisible(notice) || !GetWindowRect(notice, &risen) ||
        risen.top != work.bottom - 122) {
        Note("no notice risen to click");
        return;
    }
    Input("mousemove " + At(Centre(risen)) + "click 1 ");
}

// One click: a second one within the double-click time would make a double click, which the
// tray takes as the first click only.
void Rig::TrayClick() {
    const std::vector<HWND> icons = test::TrayIconWindows();
    RECT icon{};
    if (icons.size() != 1 || !test::WaitForTrayOnScreen() || !GetWindowRect(icons[0], &icon)) {
        Note("no tray icon to click");
        return;
    }
    const DWORD since = GetTickCount() - lastTrayClick_;
    if (since <= GetDoubleClickTime() + 50) {
        Sleep(GetDoubleClickTime() + 50 - since);
    }
    Input("mousemove " + At(Centre(icon)) + "click 1 ");
    lastTrayClick_ = GetTickCount();
}

// The icon's menu, and its first item (Show phone) or its last (Quit).
void Rig::TrayMenu(bool last) {
    const std::vector<HWND> icons = test::TrayIconWindows();
    RECT icon{};
    HWND menu = nullptr;
    if (icons.size() != 1 || !test::WaitForTrayOnScreen() || !GetWindowRect(icons[0], &icon) ||
        !test::StartXdotool("mousemove " + At(Centre(icon)) + "click 3") ||
        !test::WaitUntil([&] { return (menu = test::ShownMenuOfProcess(phone_->ProcessId())); },
                         kWaitMs)) {
        Note("no tray menu");
        return;
    }
    RECT items{};
    GetWindowRect(menu, &items);
    Input("mousemove " + At({items.left + 20, last ? items.bottom - 8 : items.top + 10}) +
          "click 1 ");
    test::WaitUntil([&] { return !test::ShownMenuOfProcess(phone_->ProcessId()); }, kWaitMs);
}

void Rig::CloseEditor() {
    HWND editor = ShownWindow([](HWND w) { return GetDlgItem(w, 1000) != nullptr; });
    RECT at{};
    if (editor && GetWindowRect(editor, &at)) {
        Input("mousemove " + At({at.left + 322, at.top + 23}) + "click 1 ");
        test::WaitUntil([&] { return !IsWindowVisible(editor); }, kWaitMs);
        Settle();
    }
}

// Sent as the system sends them, one after the other.
void Rig::Power(std::initializer_list<WPARAM> events) {
    for (WPARAM event : events) {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(main_, WM_POWERBROADCAST, event, 0, SMTO_NORMAL, kWaitMs, &result);
    }
}

// What the phone holds; a way out the seed chooses; then the exit code and the LED.
std::string Rig::Finish(uint64_t seed) {
    CloseEditor();
    const auto held = test::SampleProcess(gauge_.Get());
    if (!held) {
        return "the phone has ended";
    }
    if (held->handles > started_.handles + kHandleSlack ||
        held->gdiObjects > started_.gdiObjects + kGdiSlack) {
        return "the phone holds " + std::to_string(held->handles) + " handles and " +
               std::to_string(held->gdiObjects) + " GDI objects, against " +
               std::to_string(started_.handles) + " and " + std::to_string(started_.gdiObjects) +
               " after it was first used";
    }
    const char* const ways[] = {"WM_CLOSE", "Alt+F4", "F12", "the tray's Quit"};
    const char* way = ways[seed % 4];
    switch (seed % 4) {
        case 0:
            PostMessageA(main_, WM_CLOSE, 0, 0);
            break;
        case 1:
        case 2:
            TrayMenu(false);  // the phone on screen, to type on
            PhoneKeys(seed % 4 == 1 ? "alt+F4" : "F12");
            break;
        default:
            TrayMenu(true);
            break;
    }
    DWORD code = 1;
    if (!phone_->WaitForExit(kWaitMs, &code) || code != 0) {
        return std::string(way) + " did not end the phone cleanly (exit code " +
               std::to_string(code) + ")";
    }
    ReadLed();
    if (ledValue_ == 1) {
        return std::string(way) + " left the LED lit";
    }
    // A long order in which no call ever began on a carrier has tested little of it.
    for (Carrier carrier : {Carrier::Modem, Carrier::Skype}) {
        if (played_ >= 100 && !begun_.count(carrier)) {
            return std::string("no call ever began on ") + CarrierName(carrier);
        }
    }
    return "";
}

// The phone's last lines with the steps between them, then what both far ends hold.
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
        for (const std::string& line :
             Split(skype_ ? skype_->Control().Command("status") : "", '\n')) {
            text += "      " + line + "\n";
        }
    } catch (const std::exception& error) {
        text += std::string("      ") + error.what() + "\n";
    }
    return text;
}

}  // namespace

std::vector<std::string> DrawSteps(uint64_t seed, size_t count) {
    std::vector<int> weights;
    for (const StepKind& step : Steps()) {
        weights.push_back(step.weight);
    }
    std::mt19937_64 random(seed);
    std::discrete_distribution<size_t> pick(weights.begin(), weights.end());
    std::vector<std::string> steps;
    for (size_t i = 0; i < count; ++i) {
        steps.push_back(Steps()[pick(random)].name);
    }
    return steps;
}

std::vector<std::string> StepsToPlay(uint64_t* seed, size_t count) {
    const char* list = std::getenv("VOXTELO_ORDER_STEPS");
    const char* given = std::getenv("VOXTELO_ORDER_SEED");
    *seed = given ? std::strtoull(given, nullptr, 10) : list ? 0 : *seed;
    if (list) {
        return Split(list, ',');  // the seed then only picks the way out
    }
    if (const char* given = std::getenv("VOXTELO_ORDER_COUNT")) {
        count = std::strtoull(given, nullptr, 10);
    }
    return DrawSteps(*seed, count);
}

std::string Result::Report(uint64_t seed, const std::vector<std::string>& steps) const {
    std::string text = "seed " + std::to_string(seed) + ", " + std::to_string(played) + " of " +
                       std::to_string(steps.size()) + " steps kept every rule in " +
                       std::to_string(seconds) + " s\n";
    if (failure.empty()) {
        return text;
    }
    const size_t shown = std::min(steps.size(), played + 1);
    std::string list;
    for (size_t i = 0; i < shown; ++i) {
        list += (i ? "," : "") + steps[i];
    }
    text += "broken: " + failure + "\nsteps:  " + list + "\nreplay: ";
    text += "VOXTELO_ORDER_SEED=" + std::to_string(seed) + " VOXTELO_ORDER_STEPS=" + list;
    return text +
           " tools/wine.sh session --prefix build/win64/wineprefix tools/wine.sh run "
           "build/win64/bin/e2e_order_test.exe\n";
}

Result Play(const std::vector<std::string>& steps, uint64_t seed, const std::string& channel) {
    Result result;
    const auto start = Clock::now();
    Rig rig(channel);
    // A simulator that can no longer be reached (the phone that served the modem has ended)
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
        result.failure = guarded([&] { return rig.Play(steps[i]); });
        if (result.failure.empty()) {
            ++result.played;
        } else {
            result.failure =
                "step " + std::to_string(i + 1) + " (" + steps[i] + "): " + result.failure;
        }
    }
    if (result.failure.empty()) {
        result.failure = guarded([&] { return rig.Finish(seed); });
    }
    if (!result.failure.empty()) {
        result.failure += "\n    the phone's last lines:\n" + rig.RecentLog();
    }
    result.seconds = Since(start);
    result.spent = rig.Spent();
    return result;
}

}  // namespace order
