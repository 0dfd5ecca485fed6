// SkypeApi hosted in a test window the way the main window hosts it, talking to a Skype client
// simulator in its own process. Shared by the transport's tests and the friends-list benchmark.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sim/skype/SimProcess.h"
#include "skype/SkypeApi.h"
#include "tests/support/BackendHost.h"

namespace test {

// Generous: the machine may be busy; a met condition ends a wait at once.
constexpr unsigned kLinkWaitMs = 15000;

// The link's periods in the tests: a poll pass every 100 ms instead of every 5 s, the product's
// bounds.
SkypeLinkTiming FastPolling();
// The poll thread's first pass, at start, and no other: nothing the test does not ask for.
SkypeLinkTiming NoPolling();

struct RigOptions {
    // Without it no simulator runs: the test plays the client itself.
    bool simulator = true;
    // Without it the host drops the client's attach answers, so for SkypeApi no client is there
    // while the simulator still counts every broadcast.
    bool hearAttach = true;
    SkypeLinkTiming timing = FastPolling();
};

// One poll pass sends these while attached; tests that check the commands of one scenario
// leave them out, since a pass may fall anywhere in it.
bool IsPollCommand(const std::string& text);

class SkypeLinkRig {
public:
    // Starts a simulator with `simCommands`, then the host window and SkypeApi, and calls
    // Discover as the main window does.
    explicit SkypeLinkRig(std::vector<std::string> simCommands, const RigOptions& options = {});
    // SkypeApi goes first, while the window and the simulator are still there.
    ~SkypeLinkRig();
    SkypeLinkRig(const SkypeLinkRig&) = delete;
    SkypeLinkRig& operator=(const SkypeLinkRig&) = delete;

    SkypeApi& Api() { return *api_; }
    BackendHost& Host() { return host_; }
    HWND HostWindow() const { return host_.Handle(); }
    skypesim::SimProcess& Sim() { return *sim_; }
    skypesim::SimConnection& Control() { return sim_->Control(); }

    // A new simulator in place of the old one, which must have ended.
    void StartSimulator(std::vector<std::string> commands);

    // Pumps this thread (the host's) until `condition` holds; false after `ms`.
    bool Wait(const std::function<bool()>& condition, unsigned ms = kLinkWaitMs);

    // Waits until the account is online and steady: state NORMAL, a poll pass completed (all
    // status texts known, so no later pass resets the state), and `friends` contacts listed
    // with every queried property in.
    bool WaitSteadyOnline(size_t friends, unsigned ms = 2 * kLinkWaitMs);
    // The same without a poll pass: once attached, the client reports all three status texts
    // unasked.
    bool GoOnlineUnasked(size_t friends, unsigned ms = 2 * kLinkWaitMs);
    bool AllDetailsIn() const;
    // Waits until every text the client has sent so far has reached the host.
    bool WaitForClientTexts(unsigned ms = kLinkWaitMs);

    // UM_INTERNAL (2, code) posted to the host, as call control posts it.
    void PostToSkype(int code);

    // The texts the simulator took from this host, in order; with `withoutPoll` the poll
    // thread's commands are left out.
    std::vector<std::string> TakenTexts(bool withoutPoll = true);

private:
    static skypesim::SimOptions Options(std::vector<std::string> commands);
    bool StartUpAnswered();
    bool OnlineWithDetails(size_t friends) const;

    std::unique_ptr<skypesim::SimProcess> sim_;
    BackendHost host_;
    std::unique_ptr<SkypeApi> api_;
    int markers_ = 0;
};

}  // namespace test
