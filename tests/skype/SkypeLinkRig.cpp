// The hosted Skype link: simulator, host window and SkypeApi, wired as the main window wires
// them.
#include "tests/skype/SkypeLinkRig.h"

#include <stdexcept>

#include "core/Messages.h"
#include "tests/support/GuiTest.h"

namespace test {

bool IsPollCommand(const std::string& text) {
    return text == "PING" || text == "GET CONNSTATUS" || text == "GET CURRENTUSERHANDLE" ||
           text == "GET USERSTATUS" || text == "SEARCH FRIENDS";
}

skypesim::SimOptions SkypeLinkRig::Options(std::vector<std::string> commands) {
    skypesim::SimOptions options;
    options.commands = std::move(commands);
    return options;
}

SkypeLinkRig::SkypeLinkRig(std::vector<std::string> simCommands, bool hearAttach)
    : sim_(std::make_unique<skypesim::SimProcess>(Options(std::move(simCommands)))) {
    if (!host_.CreateModeless(nullptr)) {
        throw std::runtime_error("the host window could not be created");
    }
    // The routes test the pointer: while SkypeApi is being destroyed it is already null, as
    // the main window's is.
    if (hearAttach) {
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
    api_ = std::make_unique<SkypeApi>(host_.Handle());
    api_->Discover();
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

bool SkypeLinkRig::WaitSteadyOnline(size_t friends, unsigned ms) {
    return Wait(
        [&] {
            return api_->GetState() == CallState::NORMAL && api_->ContactCount() == friends &&
                   AllDetailsIn() && Control().CountSent("PONG") > 0;
        },
        ms);
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
