// The fixture of the hosted-link tests: one rig per test, and no message box may have come up
// (a parse error or an unknown internal command would show one).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/Messages.h"
#include "tests/skype/SkypeLinkRig.h"
#include "tests/support/BackendHost.h"
#include "tests/support/GuiTest.h"

namespace test {

class SkypeLinkTest : public ::testing::Test {
protected:
    void Start(std::vector<std::string> simCommands, const RigOptions& options = {}) {
        rig.reset();  // one simulator and one link at a time
        rig = std::make_unique<SkypeLinkRig>(std::move(simCommands), options);
    }

    void TearDown() override {
        rig.reset();
        EXPECT_TRUE(boxes.Texts().empty()) << "message box: " << boxes.Texts().front();
    }

    // Forgets the events so far, so a step's events can be compared whole.
    void ClearEvents() {
        SettledEvents();
        rig->Host().events.clear();
    }
    bool WaitForEvents(size_t count) {
        return rig->Wait([&] { return rig->Host().events.size() >= count; });
    }
    bool WaitForState(CallState state) {
        return rig->Wait([&] { return rig->Api().GetState() == state; });
    }
    // After a wait for something, lets in whatever is queued already: a marker of the test's
    // own is posted behind it and waited for, wherever among the events it lands; then the
    // queue is drained and the marker dropped.
    std::vector<WindowEvent> SettledEvents() {
        std::vector<WindowEvent>& events = rig->Host().events;
        PostMessageA(rig->HostWindow(), msg::UM_INTERNAL, msg::RECIPIENT_WINDOW, kSettleMarker);
        EXPECT_TRUE(rig->Wait([&] {
            return std::find(events.begin(), events.end(), Ev(kSettleMarker)) != events.end();
        }));
        PumpPending();
        events.erase(std::remove(events.begin(), events.end(), Ev(kSettleMarker)), events.end());
        return events;
    }

    // An event code that nothing of the program posts.
    static constexpr int kSettleMarker = 0x7E57;

    MessageBoxWatcher boxes;
    std::unique_ptr<SkypeLinkRig> rig;
};

using Events = std::vector<WindowEvent>;
using Texts = std::vector<std::string>;

// Readable failure output for event lists.
inline void PrintTo(const WindowEvent& event, std::ostream* out) {
    *out << Describe({event});
}

}  // namespace test

inline void PrintTo(CallState state, std::ostream* out) {
    *out << CallStateName(state);
}
