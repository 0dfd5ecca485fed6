// What heavy input costs the real voxtelo.exe under Wine, beside both simulators: a 500-friend
// list with the phone shown, and with the Debug Window shown as well; a 1 MB text from the
// client with the Debug Window hidden and shown; and the start with phone books of 20,000 and
// 100,000 entries (and, with "largest", one just under the 64 MiB the phone reads) against an
// empty one.
//
// The GUI thread's stalls are timed from outside: a thread sends the phone's main window a
// WM_NULL every 2 ms, which the GUI thread takes whenever it looks at its queue, so the longest
// round trip is the longest stretch it spent away from its messages.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/ProcessGauge.h"
#include "bench/RunningPhone.h"
#include "core/Messages.h"
#include "sim/skype/SimProcess.h"
#include "tests/support/SkypeLink.h"

namespace {

using bench::Check;
using bench::RunningPhone;
using Clock = std::chrono::steady_clock;

constexpr char kChannel[] = "heavy_input_bench";
constexpr unsigned kWaitMs = 120000;
constexpr int kFriends = 500;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

class StallProbe {
public:
    explicit StallProbe(HWND window) : thread_([this, window] { Run(window); }) {}
    ~StallProbe() {
        stop_ = true;
        thread_.join();
    }
    double LongestMs() const { return longestUs_ / 1000.0; }
    void Reset() { longestUs_ = 0; }

private:
    void Run(HWND window) {
        while (!stop_) {
            const Clock::time_point start = Clock::now();
            DWORD_PTR result = 0;
            SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result);
            const auto us =
                std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
            if (us > longestUs_) {
                longestUs_ = us;
            }
            Sleep(2);
        }
    }

    std::atomic<bool> stop_{false};
    std::atomic<long long> longestUs_{0};
    std::thread thread_;
};

// The latest record entry of the phone's window that is a text sent out beginning with `prefix`.
const skypesim::RecordEntry* LatestOut(const std::vector<skypesim::RecordEntry>& record,
                                       uintptr_t window, const std::string& prefix) {
    for (auto it = record.rbegin(); it != record.rend(); ++it) {
        if (it->kind == skypesim::RecordKind::Out && it->window == window &&
            it->text.compare(0, prefix.size(), prefix) == 0) {
            return &*it;
        }
    }
    return nullptr;
}

size_t CountOut(const std::vector<skypesim::RecordEntry>& record, uintptr_t window,
                const std::string& prefix) {
    size_t count = 0;
    for (const skypesim::RecordEntry& entry : record) {
        count += entry.kind == skypesim::RecordKind::Out && entry.window == window &&
                         entry.text.compare(0, prefix.size(), prefix) == 0
                     ? 1
                     : 0;
    }
    return count;
}

// The friends list asked for again and again: from the client's answer (its USERS text) to its
// last reply to the phone's detail queries, in the client's own clock; and the longest stall
// from the request until a second after that reply (the list is rebuilt once the burst is over).
void MeasureFriends(const char* name, const char* arguments, int runs, simmodem::Control& modem,
                    skypesim::SimConnection& skype) {
    RunningPhone phone = bench::LaunchPhone(modem, arguments);
    Check(modem.WaitForLive(kWaitMs) && modem.WaitForLineOpen(kWaitMs).has_value(),
          "the modem line did not open");
    Check(test::SettleSkypeLink(phone.main, skype, kWaitMs), "the Skype link did not settle");
    const auto window = reinterpret_cast<uintptr_t>(phone.main);
    char last[32];
    std::snprintf(last, sizeof last, "USER friend%03d ONLINESTATUS ", kFriends);
    Check(skype.WaitUntil([&] { return CountOut(skype.Record(), window, last) >= 1; }, kWaitMs),
          "the first friends list did not fill");
    PostMessageA(phone.main, msg::UM_PHONE_KEY, 0, 0);  // the phone shown
    Check(test::WaitUntil([&] { return IsWindowVisible(phone.main) != FALSE; }, kWaitMs),
          "the phone did not come forward");
    Sleep(1000);

    std::vector<double> settled, stalls;
    StallProbe probe(phone.main);
    for (int run = 0; run < runs; ++run) {
        skype.Command("clear-record");
        probe.Reset();
        PostMessageA(phone.main, msg::UM_INTERNAL, msg::RECIPIENT_SKYPE, msg::EV_SKYPE_SEARCH);
        Check(skype.WaitUntil([&] { return CountOut(skype.Record(), window, last) >= 1; }, kWaitMs),
              "the friends list did not fill");
        Sleep(1000);
        const std::vector<skypesim::RecordEntry> record = skype.Record();
        const skypesim::RecordEntry* users = LatestOut(record, window, "USERS ");
        const skypesim::RecordEntry* lastReply = LatestOut(record, window, last);
        Check(users && lastReply, "the record lacks the list");
        settled.push_back(static_cast<double>(lastReply->ms - users->ms));
        stalls.push_back(probe.LongestMs());
        std::printf("  %s run %d: %.0f ms to the last reply, longest stall %.1f ms\n", name, run,
                    settled.back(), stalls.back());
    }
    std::printf("%-44s median %7.0f ms to the last reply, longest stall %.1f ms\n", name,
                Median(settled), Median(stalls));
    bench::ClosePhone(phone);
}

// A 1 MB text from the client; the longest stall within two seconds of it.
void MeasureBigText(const char* name, const char* arguments, int runs, simmodem::Control& modem,
                    skypesim::SimConnection& skype) {
    RunningPhone phone = bench::LaunchPhone(modem, arguments);
    skype.Command("clear-record");
    Check(test::SettleSkypeLink(phone.main, skype, kWaitMs), "the Skype link did not settle");
    PostMessageA(phone.main, msg::UM_PHONE_KEY, 0, 0);
    Sleep(2000);
    const std::string text = "MESSAGE " + std::string(1 << 20, 'x');
    std::vector<double> stalls;
    StallProbe probe(phone.main);
    for (int run = 0; run < runs; ++run) {
        probe.Reset();
        skype.Command("send " + text);
        Sleep(2000);
        skype.Command("clear-record");  // a record holding the text is too long to read back
        stalls.push_back(probe.LongestMs());
        std::printf("  %s run %d: longest stall %.1f ms\n", name, run, stalls.back());
    }
    std::printf("%-44s median longest stall %.1f ms\n", name, Median(stalls));
    bench::ClosePhone(phone);
}

// The same text sent by this program: the send returns once the phone has handled it, so its
// time is Wine's carriage of the megabyte and the phone's handler together (the phone logs the
// text, then drops it as a stranger's). A 10-byte text beside it for Wine's own cost of a send.
void MeasureTextHandling(const char* arguments, int runs, simmodem::Control& modem) {
    RunningPhone phone = bench::LaunchPhone(modem, arguments);
    Sleep(2000);
    HWND self = CreateWindowExA(0, "STATIC", "bench", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                nullptr, nullptr);
    for (size_t size : {size_t{10}, size_t{1} << 20}) {
        std::string text = "MESSAGE " + std::string(size, 'x');
        std::vector<double> ms;
        for (int run = 0; run < runs; ++run) {
            COPYDATASTRUCT data{0, static_cast<DWORD>(text.size() + 1), text.data()};
            DWORD_PTR result = 0;
            const Clock::time_point start = Clock::now();
            SendMessageTimeoutA(phone.main, WM_COPYDATA, reinterpret_cast<WPARAM>(self),
                                reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, 60000, &result);
            ms.push_back(MsSince(start));
            Sleep(500);
        }
        std::printf("%-44s %7zu bytes: median %.1f ms\n",
                    *arguments ? "a text handled, Debug Window shown" : "a text handled",
                    text.size(), Median(ms));
    }
    DestroyWindow(self);
    bench::ClosePhone(phone);
}

void WriteBook(const std::string& path, int entries) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    for (int i = 0; i < entries; ++i) {
        file << "[Contact " << i << "]\r\nPhone_Home=0" << 1000000 + i
             << "\r\nPhone_Office=\r\nPhone_Mobile=0" << 7000000 + i << "\r\n";
    }
}

// Start until the phone key shows the phone, the book list built before it; the phone's CPU
// time then, and the longest stall once its window was found.
void MeasureBook(const char* name, int entries, int runs, simmodem::Control& modem,
                 const std::string& path) {
    WriteBook(path, entries);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    std::vector<double> shown, cpu, stalls;
    for (int run = 0; run < runs; ++run) {
        const Clock::time_point start = Clock::now();
        RunningPhone phone = bench::LaunchPhone(modem);
        StallProbe probe(phone.main);
        // The modem's first state comes after the book was read and its list asked for.
        Check(test::WaitUntil(
                  [&] {
                      HWND debug = test::DialogOfProcess("Debug Window", phone.Id());
                      return debug &&
                             test::DebugLogText(debug).find("From Modem : ") != std::string::npos;
                  },
                  kWaitMs),
              "the modem's first state did not come");
        PostMessageA(phone.main, msg::UM_PHONE_KEY, 0, 0);
        Check(test::WaitUntil([&] { return IsWindowVisible(phone.main) != FALSE; }, kWaitMs),
              "the phone did not come forward");
        shown.push_back(MsSince(start));
        fw::KernelHandle process(
            OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, phone.Id()));
        const auto sample = test::SampleProcess(process.Get());
        cpu.push_back(sample ? sample->cpuSeconds * 1000.0 : 0.0);
        stalls.push_back(probe.LongestMs());
        bench::ClosePhone(phone);
    }
    std::printf(
        "%-28s %7d entries, %6.1f MiB: start to shown median %7.0f ms (CPU %.0f ms), "
        "longest stall %.0f ms\n",
        name, entries, data.nFileSizeLow / 1048576.0, Median(shown), Median(cpu), Median(stalls));
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const bool largest = argc > 2 && std::strcmp(argv[2], "largest") == 0;
    const std::string book = test::TestProgramFolder() + "Bookmark.ini";
    simmodem::Control modem(kChannel);
    modem.ResetConfiguration();
    {
        skypesim::SimOptions options;
        options.commands = {"friends generate " + std::to_string(kFriends)};
        skypesim::SimProcess sim(options);
        WriteBook(book, 0);
        MeasureFriends("500 friends, phone shown", "", runs, modem, sim.Control());
        MeasureFriends("500 friends, Debug Window shown too", "debug", runs, modem, sim.Control());
        MeasureBigText("1 MB text, Debug Window hidden", "", runs, modem, sim.Control());
        MeasureBigText("1 MB text, Debug Window shown", "debug", runs, modem, sim.Control());
    }
    MeasureTextHandling("", runs, modem);
    MeasureTextHandling("debug", runs, modem);
    MeasureBook("empty book", 0, runs, modem, book);
    MeasureBook("20,000 entries", 20000, runs, modem, book);
    MeasureBook("100,000 entries", 100000, runs, modem, book);
    if (largest) {
        // 82 to 84 bytes an entry: just under 64 MiB.
        MeasureBook("just under 64 MiB", 800000, 1, modem, book);
    }
    DeleteFileA(book.c_str());
    return 0;
}
