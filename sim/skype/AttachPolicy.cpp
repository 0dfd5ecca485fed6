// The discover/attach handshake of the simulated client.
#include "sim/skype/AttachPolicy.h"

#include "sim/skype/SimText.h"

namespace skypesim {

std::optional<AttachSetting> ParseAttachSetting(const std::string& text) {
    std::vector<std::string> words = SplitOnSpaces(text);
    AttachSetting setting;
    std::string mode = ToUpperAscii(words[0]);
    if (mode == "SUCCESS") {
        setting.mode = AttachMode::Success;
    } else if (mode == "PENDING") {
        setting.mode = AttachMode::Pending;
    } else if (mode == "REFUSED") {
        setting.mode = AttachMode::Refused;
    } else if (mode == "UNAVAILABLE") {
        setting.mode = AttachMode::Unavailable;
    } else {
        return std::nullopt;
    }
    bool takesDelay =
        setting.mode == AttachMode::Pending || setting.mode == AttachMode::Unavailable;
    if (words.size() > 2 || (words.size() == 2 && !takesDelay)) {
        return std::nullopt;
    }
    if (words.size() == 2) {
        auto ms = ParseUnsigned(words[1]);
        if (!ms || *ms > 0x7fffffff) {
            return std::nullopt;
        }
        setting.delayMs = static_cast<unsigned>(*ms);
    }
    return setting;
}

std::string DescribeAttachSetting(const AttachSetting& setting) {
    std::string text;
    switch (setting.mode) {
        case AttachMode::Success:
            return "success";
        case AttachMode::Refused:
            return "refused";
        case AttachMode::Pending:
            text = "pending";
            break;
        case AttachMode::Unavailable:
            text = "unavailable";
            break;
    }
    return setting.delayMs ? text + " " + std::to_string(*setting.delayMs) : text;
}

void AttachPolicy::Configure(const AttachSetting& setting) {
    setting_ = setting;
    ++generation_;
    available_ = false;
    availableScheduled_ = false;
    pending_.clear();
    authorised_.clear();
    waitingForApi_.clear();
}

void AttachPolicy::Attach(ClientId client) {
    attached_.insert(client);
    host_.SendAttach(client, kAttachSuccess);
}

void AttachPolicy::OnDiscover(ClientId client) {
    if (loggedOut_) {
        waitingForApi_.insert(client);
        host_.SendAttach(client, kAttachNotAvailable);
        return;
    }
    switch (setting_.mode) {
        case AttachMode::Success:
            Attach(client);
            return;
        case AttachMode::Refused:
            host_.SendAttach(client, kAttachRefused);
            return;
        case AttachMode::Pending:
            if (authorised_.count(client)) {
                Attach(client);
                return;
            }
            host_.SendAttach(client, kAttachPending);
            if (pending_.insert(client).second && setting_.delayMs) {
                unsigned generation = generation_;
                host_.After(*setting_.delayMs, [this, client, generation] {
                    if (generation == generation_) {
                        AuthorizeClient(client);
                    }
                });
            }
            return;
        case AttachMode::Unavailable:
            if (available_) {
                Attach(client);
                return;
            }
            waitingForApi_.insert(client);
            host_.SendAttach(client, kAttachNotAvailable);
            if (!availableScheduled_ && setting_.delayMs) {
                availableScheduled_ = true;
                unsigned generation = generation_;
                host_.After(*setting_.delayMs, [this, generation] {
                    if (generation == generation_) {
                        MakeAvailable();
                    }
                });
            }
            return;
    }
}

void AttachPolicy::AuthorizeClient(ClientId client) {
    if (pending_.erase(client) == 0 || loggedOut_) {
        return;
    }
    authorised_.insert(client);
    Attach(client);
}

void AttachPolicy::Authorize() {
    std::set<ClientId> waiting = pending_;
    for (ClientId client : waiting) {
        AuthorizeClient(client);
    }
}

void AttachPolicy::MakeAvailable() {
    available_ = true;
    if (loggedOut_) {
        return;  // signing in announces the API
    }
    std::set<ClientId> waiting;
    waiting.swap(waitingForApi_);
    for (ClientId client : waiting) {
        host_.SendAttach(client, kAttachApiAvailable);
    }
}

void AttachPolicy::LogOut() {
    loggedOut_ = true;
    waitingForApi_.insert(attached_.begin(), attached_.end());
    attached_.clear();
}

void AttachPolicy::LogIn() {
    loggedOut_ = false;
    if (setting_.mode == AttachMode::Unavailable && !available_) {
        return;  // still waiting for the API itself
    }
    std::set<ClientId> waiting;
    waiting.swap(waitingForApi_);
    for (ClientId client : waiting) {
        host_.SendAttach(client, kAttachApiAvailable);
    }
}

}  // namespace skypesim
