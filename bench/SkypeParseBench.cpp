// Parser throughput: Skype client texts applied per second, over the texts of a session with
// a friends list, every friend's details, keep-alive answers and a run of calls.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "skype/SkypeHost.h"
#include "skype/SkypeSession.h"

namespace {

class QuietHost : public skype::SkypeHost {
public:
    bool SendCommand(const std::string& command) override {
        benchmark::DoNotOptimize(command.data());
        return true;
    }
    void PostInternal(unsigned, int) override {}
    void PostBehindInput(unsigned, int) override {}
    void ShowMessage(const std::string&) override {}
    std::string ToAnsi(const std::u16string& text) override {
        std::string result;
        result.reserve(text.size());
        for (char16_t unit : text) {
            result.push_back(unit <= 0xFF ? static_cast<char>(unit) : '?');
        }
        return result;
    }
};

std::vector<std::string> SessionTexts(int friends, int calls) {
    static const char* const kFullNames[] = {
        "Alice Smith",
        "Bob van Dijk",
        "Zo\xC3\xAB \xC3\x86r\xC3\xB8",
        "\xE7\x8E\x8B\xE5\xB0\x8F\xE6\x98\x8E",
        "Fran\xC3\xA7ois M\xC3\xBCller-\xC3\x98stergaard",
    };
    std::vector<std::string> texts = {"CONNSTATUS ONLINE", "CURRENTUSERHANDLE voxtelo.user",
                                      "USERSTATUS ONLINE", "PONG"};
    std::vector<std::string> handles;
    std::string users = "USERS";
    for (int i = 0; i < friends; ++i) {
        handles.push_back("friend." + std::to_string(1000 + i));
        users += (i == 0 ? " " : ", ") + handles.back();
    }
    texts.push_back(users);
    for (int i = 0; i < friends; ++i) {
        const std::string prefix = "USER " + handles[i] + " ";
        texts.push_back(prefix + "FULLNAME " + kFullNames[i % 5]);
        texts.push_back(prefix + "DISPLAYNAME " + (i % 3 == 0 ? kFullNames[(i + 1) % 5] : ""));
        texts.push_back(prefix + "HANDLE " + handles[i]);
        texts.push_back(prefix + "BUDDYSTATUS 3");
        texts.push_back(prefix + "ISAUTHORIZED TRUE");
        texts.push_back(prefix + "ISBLOCKED FALSE");
        texts.push_back(prefix + "ONLINESTATUS " + (i % 4 == 0 ? "OFFLINE" : "ONLINE"));
        if (i % 10 == 9) {
            texts.push_back("PONG");
        }
    }
    for (int i = 0; i < calls; ++i) {
        const std::string call = "CALL " + std::to_string(2000 + i) + " ";
        const std::string& partner = handles[(i * 7) % friends];
        if (i % 2 == 0) {
            for (const char* status :
                 {"UNPLACED", "ROUTING", "RINGING", "INPROGRESS", "FINISHED"}) {
                texts.push_back(call + "STATUS " + status);
            }
        } else {
            for (const char* status :
                 {"RINGING", "INPROGRESS", "ONHOLD", "INPROGRESS", "FINISHED"}) {
                texts.push_back(call + "STATUS " + status);
            }
        }
        texts.push_back(call + "PARTNER_HANDLE " + partner);
        texts.push_back(call + "DURATION 42");
        texts.push_back("USER " + partner + " ONLINESTATUS ONLINE");
        texts.push_back("PONG");
        texts.push_back("ERROR 7 GET: invalid WHAT");
    }
    return texts;
}

void BM_ParseSession(benchmark::State& state) {
    const std::vector<std::string> texts =
        SessionTexts(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    size_t bytes = 0;
    for (const std::string& text : texts) {
        bytes += text.size();
    }
    QuietHost host;
    for (auto _ : state) {
        skype::SkypeSession session(host);
        for (const std::string& text : texts) {
            session.ParseNotification(text);
        }
        benchmark::DoNotOptimize(session.ContactCount());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * texts.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["texts"] = static_cast<double>(texts.size());
}

// Friends and calls: a typical list, and the 500-friend list the transport is measured with.
BENCHMARK(BM_ParseSession)->Args({50, 20})->Args({100, 20})->Args({500, 20});

}  // namespace

BENCHMARK_MAIN();
