// The real voxtelo.exe through a long day under Wine: 1,000 modem calls and 1,000 Skype calls,
// in and out by turns, with its handles, GDI objects and private bytes sampled after every
// call (the first hundred against the last), then 100 suspend and resume cycles, each until
// the modem line is open again, and one call on the line that came back.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/ProcessGauge.h"
#include "bench/RunningPhone.h"
#include "core/Messages.h"
#include "framework/Handles.h"
#include "sim/led/control/LedSimControl.h"
#include "sim/skype/SimProcess.h"

namespace {

using bench::Check;
using test::ProcessSample;
using Clock = std::chrono::steady_clock;

constexpr char kChannel[] = "soak_bench";
constexpr unsigned kWaitMs = bench::kPhoneWaitMs;
constexpr char kCaller[] = "5551234";

class Soak {
public:
    Soak(simmodem::Control& modem, skypesim::SimConnection& skype, ledsim::Control& led,
         bench::RunningPhone& phone)
        : modem_(modem),
          skype_(skype),
          led_(led),
          phone_(phone),
          process_(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, phone.Id())) {}

    // Rung, answered with the phone key, ended by the far end.
    void IncomingModemCall() {
        const uint32_t lit = led_.LastSeq();
        const uint64_t mark = modem_.LastSeq();
        modem_.Ring(kCaller);
        Check(led_.WaitForLed(1, lit, kWaitMs, phone_.Id()).has_value(), "no modem ring");
        PostMessageA(phone_.main, msg::UM_PHONE_KEY, 0, 0);
        Check(modem_.WaitForHookSwitch(kWaitMs, mark).has_value(), "the modem call not answered");
        EndModemCall(mark);
    }

    // Typed on the keys and dialled with Enter; the modem connects once it has dialled.
    void OutgoingModemCall() {
        const uint64_t mark = modem_.LastSeq();
        Key(VK_DELETE);
        for (const char digit : std::string(kCaller)) {
            Key(digit);
        }
        Key(VK_RETURN);
        const auto dialled = modem_.WaitForDial(kWaitMs, mark);
        Check(dialled && dialled->Text("number") == kCaller, "the number not dialled");
        Check(modem_.WaitForHookSwitch(kWaitMs, mark).has_value(), "the modem call not connected");
        EndModemCall(mark);
    }

    // Rung by bob, answered with the phone key, ended by the far end.
    void IncomingSkypeCall() {
        skype_.Command("clear-record");
        const uint32_t lit = led_.LastSeq();
        const std::string id = std::to_string(skype_.CallIn("bob"));
        Check(led_.WaitForLed(1, lit, kWaitMs, phone_.Id()).has_value(), "no Skype ring");
        PostMessageA(phone_.main, msg::UM_PHONE_KEY, 0, 0);
        Check(skype_.WaitForReceived("SET CALL " + id + " STATUS INPROGRESS", 1, kWaitMs),
              "the Skype call not answered");
        EndSkypeCall(id);
    }

    // The selected contact called with Enter on the Skype side; the far end answers at once.
    void OutgoingSkypeCall() {
        skype_.Command("clear-record");
        Key(VK_LEFT);
        Key(VK_RETURN);
        Check(skype_.WaitForReceived("CALL bob", 1, kWaitMs), "bob not called");
        std::string id;
        Check(skype_.WaitUntil(
                  [&] {
                      for (const skypesim::RecordEntry& entry : skype_.Record()) {
                          const std::string& text = entry.text;
                          if (entry.kind == skypesim::RecordKind::Out && text.size() > 23 &&
                              text.compare(text.size() - 18, 18, " STATUS INPROGRESS") == 0) {
                              id = text.substr(5, text.size() - 23);
                              return true;
                          }
                      }
                      return false;
                  },
                  kWaitMs),
              "the Skype call not answered");
        EndSkypeCall(id);
    }

    // Sent, as the system sends them: each handled once the send returns. True when the
    // suspend closed the line and the resume opened it again.
    bool SuspendAndResume() {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(phone_.main, WM_POWERBROADCAST, PBT_APMSUSPEND, 0, SMTO_NORMAL, kWaitMs,
                            &result);
        const bool closed = !LineOpen();
        SendMessageTimeoutA(phone_.main, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0, SMTO_NORMAL,
                            kWaitMs, &result);
        const bool back = LineOpen();
        modem_.ClearRecord();
        return closed && back;
    }

    ProcessSample Sample() {
        const auto sample = test::SampleProcess(process_.Get());
        Check(sample.has_value(), "the phone is gone");
        return *sample;
    }

private:
    bool LineOpen() {
        for (const simmodem::StatusEntry& row : modem_.Status()) {
            if (row.function == "line") {
                return true;
            }
        }
        return false;
    }

    void Key(WPARAM key) { PostMessageA(phone_.main, WM_KEYDOWN, key, 0); }

    // The far end hangs up; over once the line is open again and the LED is out.
    void EndModemCall(uint64_t mark) {
        const uint32_t lit = led_.LastSeq();
        modem_.HangUp();
        const auto drop = modem_.WaitForDrop(kWaitMs, mark);
        Check(drop.has_value(), "the modem call not dropped");
        Check(modem_.WaitForLineOpen(kWaitMs, drop->seq).has_value(), "the line not reopened");
        Check(led_.WaitForLed(0, lit, kWaitMs, phone_.Id()).has_value(), "the LED stayed on");
        Check(test::WaitUntil([&] { return IsWindowVisible(phone_.main) != FALSE; }, kWaitMs),
              "the phone did not come back");
        // The simulated modem keeps its record inside the phone's process: only what the
        // phone itself holds may count.
        modem_.ClearRecord();
    }

    void EndSkypeCall(const std::string& id) {
        const uint32_t lit = led_.LastSeq();
        skype_.Command("hangup " + id);
        Check(led_.WaitForLed(0, lit, kWaitMs, phone_.Id()).has_value(),
              "the Skype call did not end");
    }

    simmodem::Control& modem_;
    skypesim::SimConnection& skype_;
    ledsim::Control& led_;
    bench::RunningPhone& phone_;
    fw::KernelHandle process_;
};

double Mean(const std::vector<ProcessSample>& samples, size_t begin, size_t end,
            const std::function<double(const ProcessSample&)>& value) {
    double sum = 0;
    for (size_t i = begin; i < end; ++i) {
        sum += value(samples[i]);
    }
    return sum / static_cast<double>(end - begin);
}

// The mean of the first hundred samples against the last hundred's, and the range.
void Report(const char* carrier, const std::vector<ProcessSample>& samples, double seconds) {
    const size_t window = std::min<size_t>(100, samples.size());
    const size_t last = samples.size() - window;
    std::printf("%s: %zu calls in %.0f s (%.0f ms a call)\n", carrier, samples.size(), seconds,
                1000.0 * seconds / static_cast<double>(samples.size()));
    const struct {
        const char* name;
        std::function<double(const ProcessSample&)> value;
    } figures[] = {
        {"handles", [](const ProcessSample& s) { return double(s.handles); }},
        {"GDI objects", [](const ProcessSample& s) { return double(s.gdiObjects); }},
        {"private KiB", [](const ProcessSample& s) { return s.privateBytes / 1024.0; }},
        {"threads", [](const ProcessSample& s) { return double(s.threads); }},
    };
    for (const auto& figure : figures) {
        double low = figure.value(samples.front());
        double high = low;
        for (const ProcessSample& sample : samples) {
            low = std::min(low, figure.value(sample));
            high = std::max(high, figure.value(sample));
        }
        const double first = Mean(samples, 0, window, figure.value);
        const double lastMean = Mean(samples, last, samples.size(), figure.value);
        std::printf(
            "  %-12s first %zu %10.1f   last %zu %10.1f   change %+9.1f   (min %.0f, "
            "max %.0f)\n",
            figure.name, window, first, window, lastMean, lastMean - first, low, high);
    }
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int calls = argc > 1 ? std::max(2, std::atoi(argv[1])) : 1000;
    const int cycles = argc > 2 ? std::max(1, std::atoi(argv[2])) : 100;
    const std::string book = test::TestProgramFolder() + "Bookmark.ini";
    std::ofstream(book, std::ios::trunc)
        << "[Alice]\nPhone_Home=\nPhone_Office=\nPhone_Mobile=" << kCaller << "\n";
    simmodem::Control modem(kChannel);
    modem.ResetConfiguration();
    skypesim::SimOptions options;
    options.commands = {"friend bob ONLINE Bob Brown", "friend carol AWAY Carol Clark",
                        "outgoing answer 0"};
    skypesim::SimProcess sim(options);
    skypesim::SimConnection& skype = sim.Control();
    ledsim::Control led;

    bench::RunningPhone phone = bench::StartPhone(modem, skype);
    PostMessageA(phone.main, msg::UM_PHONE_KEY, 0, 0);
    Check(test::WaitUntil([&] { return IsWindowVisible(phone.main) != FALSE; }, kWaitMs),
          "the phone key did not show the phone");
    Soak soak(modem, skype, led, phone);
    const ProcessSample started = soak.Sample();
    std::printf("after start: %u handles, %u GDI objects, %.0f KiB private, %u threads\n",
                started.handles, started.gdiObjects, started.privateBytes / 1024.0,
                started.threads);

    std::vector<ProcessSample> samples;
    Clock::time_point start = Clock::now();
    for (int i = 0; i < calls; ++i) {
        i % 2 == 0 ? soak.IncomingModemCall() : soak.OutgoingModemCall();
        samples.push_back(soak.Sample());
    }
    Report("modem", samples, SecondsSince(start));

    samples.clear();
    start = Clock::now();
    for (int i = 0; i < calls; ++i) {
        i % 2 == 0 ? soak.IncomingSkypeCall() : soak.OutgoingSkypeCall();
        samples.push_back(soak.Sample());
    }
    Report("Skype", samples, SecondsSince(start));

    int back = 0;
    std::vector<double> cycleMs;
    for (int i = 0; i < cycles; ++i) {
        const Clock::time_point cycle = Clock::now();
        back += soak.SuspendAndResume() ? 1 : 0;
        cycleMs.push_back(SecondsSince(cycle) * 1000.0);
    }
    std::sort(cycleMs.begin(), cycleMs.end());
    std::printf(
        "suspend and resume: the line closed and back %d of %d times; a cycle median "
        "%.1f ms (max %.1f)\n",
        back, cycles, cycleMs[cycleMs.size() / 2], cycleMs.back());
    soak.IncomingModemCall();
    std::printf("a call on the line after the last resume: rung, answered and ended\n");
    const ProcessSample ended = soak.Sample();
    std::printf("at the end: %u handles, %u GDI objects, %.0f KiB private, %u threads\n",
                ended.handles, ended.gdiObjects, ended.privateBytes / 1024.0, ended.threads);

    bench::ClosePhone(phone);
    DeleteFileA(book.c_str());
    return 0;
}
