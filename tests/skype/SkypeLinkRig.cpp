// The hosted Skype link: simulator, host window and SkypeApi, wired as the main window wires
// them.
#include "tests/skype/SkypeLinkRig.h"

#include <algorithm>
#include <stdexcept>

#include "core/Messages.h"
#include "tests/support/GuiTest.h"

namespace test {

bool IsPollCommand(const std::string& text) {
    return text == "PING" || text == "GET CONNSTATUS" || text == "GET CURRENTUSERHANDLE" ||
           text == "GET USERSTATUS" || text == "SEARCH FRIENDS";
}

SkypeLinkTiming FastPolling() {
    SkypeLinkTiming timing;
    timing.pollPeriodMs = 100;
    return timing;
}

SkypeLinkTiming NoPolling() {
    SkypeLinkTiming timing;
    timing.pollPeriodMs = INFINITE;
    return timing;
}

skypesim::SimOptions SkypeLinkRig::Options(std::vector<std::string> commands) {
    skypesim::SimOptions options;
    options.commands = std::move(commands);
    return options;
}

SkypeLinkRig::SkypeLinkRig(std::vector<std::string> simCommands, const RigOptions& options) {
    if (options.simulator) {
        sim_ = std::make_unique<skypesim::SimProcess>(Options(std::move(simCommands)));
    }
    if (!host_.CreateModeless(nullptr)) {
        throw std::runtime_error("the host window could not be created");
    }
    // The routes test the pointer: while SkypeApi is being destroyed it is already null, as
    // the main window's is.
    if (options.hearAttach) {
        host_.skypeAttach = [this](WPARAM window, LPARAM status) {
            return api_ ? api_->OnAttach(window, status) : 1;
        };
    }
    host_.copyData = [this](HWND sender, const COPYDATASTRUCT* data) {
        return api_ ? api_->OnCopyData(sender, data) : 0;
    };
    host_.skypeCommand = [this](int code) -> LRESULT {
        return api_ ? api_->OnInternalCommand(code) : 1;
    };
    api_ = std::make_unique<SkypeApi>(host_.Handle(), options.timing);
    api_->Discover();
    // The poll thread's first pass is over (it broadcast too, or it found the client attached
    // and asked it, ending with PING), and every broadcast is answered: nothing of the start-up
    // lands in the middle of the test.
    if (sim_ && !Wait([&] { return StartUpAnswered(); })) {
        throw std::runtime_error("the start-up broadcasts were not answered");
    }
}

bool SkypeLinkRig::StartUpAnswered() {
    size_t discovers = 0;
    size_t answers = 0;
    bool pinged = false;  // a PING ends a pass
    for (const skypesim::RecordEntry& entry : Control().Record()) {
        discovers += entry.kind == skypesim::RecordKind::Discover ? 1 : 0;
        answers += entry.kind == skypesim::RecordKind::Attach ? 1 : 0;
        pinged = pinged || (entry.kind == skypesim::RecordKind::In && entry.text == "PING");
    }
    return answers >= discovers && (discovers >= 2 || pinged);
}

SkypeLinkRig::~SkypeLinkRig() {
    api_.reset();
}

void SkypeLinkRig::StartSimulator(std::vector<std::string> commands) {
    sim_.reset();
    sim_ = std::make_unique<skypesim::SimProcess>(Options(std::move(commands)));
}

bool SkypeLinkRig::Wait(const std::function<bool()>& condition, unsigned ms) {
    return WaitUntil(condition, ms);
}

bool SkypeLinkRig::AllDetailsIn() const {
    for (size_t i = 0; i < api_->ContactCount(); ++i) {
        const skype::SkypeContact* contact = api_->ContactAt(static_cast<int32_t>(i));
        if (!contact || contact->fullName == "b" || contact->displayName == "r" ||
            contact->buddyStatus == "o" || contact->isAuthorized == "p" ||
            contact->isBlocked == "q" || contact->onlineStatus == "s") {
            return false;
        }
    }
    return true;
}

bool SkypeLinkRig::OnlineWithDetails(size_t friends) const {
    return api_->GetState() == CallState::NORMAL && api_->ContactCount() == friends &&
           AllDetailsIn();
}

bool SkypeLinkRig::WaitSteadyOnline(size_t friends, unsigned ms) {
    return Wait([&] { return OnlineWithDetails(friends) && Control().CountSent("PONG") > 0; }, ms);
}

bool SkypeLinkRig::GoOnlineUnasked(size_t friends, unsigned ms) {
    if (!Wait([&] { return api_->IsAttached(); }, ms)) {
        return false;
    }
    Control().Command("online");  // CONNSTATUS ONLINE, USERSTATUS ONLINE
    Control().Command("send CURRENTUSERHANDLE voxtelo.user");
    return WaitForClientTexts(ms) && Wait([&] { return OnlineWithDetails(friends); }, ms);
}

bool SkypeLinkRig::WaitForClientTexts(unsigned ms) {
    // A text the client sends after all the others; the program ignores it.
    const std::string marker = "TESTMARKER " + std::to_string(++markers_);
    Control().Command("send " + marker);
    const std::vector<std::string>& texts = host_.copyDataTexts;
    return Wait([&] { return std::find(texts.begin(), texts.end(), marker) != texts.end(); }, ms);
}

void SkypeLinkRig::PostToSkype(int code) {
    PostMessageA(host_.Handle(), msg::UM_INTERNAL, msg::RECIPIENT_SKYPE, code);
}

std::vector<std::string> SkypeLinkRig::TakenTexts(bool withoutPoll) {
    const auto host = reinterpret_cast<uintptr_t>(host_.Handle());
    std::vector<std::string> texts;
    for (const skypesim::RecordEntry& entry : Control().Received()) {
        if (entry.ok && entry.window == host && !(withoutPoll && IsPollCommand(entry.text))) {
            texts.push_back(entry.text);
        }
    }
    return texts;
}

}  // namespace test
