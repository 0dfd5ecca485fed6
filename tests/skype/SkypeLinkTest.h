// The fixture of the hosted-link tests: one rig per test, and no message box may have come up
// (a parse error or an unknown internal command would show one).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/skype/SkypeLinkRig.h"
#include "tests/support/BackendHost.h"
#include "tests/support/GuiTest.h"

namespace test {

class SkypeLinkTest : public ::testing::Test {
protected:
    void Start(std::vector<std::string> simCommands, bool hearAttach = true) {
        rig.reset();  // one simulator and one link at a time
        rig = std::make_unique<SkypeLinkRig>(std::move(simCommands), hearAttach);
    }

    void TearDown() override {
        rig.reset();
        EXPECT_TRUE(boxes.Texts().empty()) << "message box: " << boxes.Texts().front();
    }

    // Forgets the events so far, so a step's events can be compared whole.
    void ClearEvents() {
        PumpPending();
        rig->Host().events.clear();
    }
    bool WaitForEvents(size_t count) {
        return rig->Wait([&] { return rig->Host().events.size() >= count; });
    }
    bool WaitForState(CallState state) {
        return rig->Wait([&] { return rig->Api().GetState() == state; });
    }
    // After a wait for something, lets anything else that is already queued in.
    std::vector<WindowEvent> SettledEvents() {
        PumpPending();
        return rig->Host().events;
    }

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
