// The simulated account's friends and property values.
#include "sim/skype/SimAccount.h"

#include <algorithm>
#include <cstdio>

namespace skypesim {
namespace {

// The user properties of the public API with what a fresh, authorised contact shows.
const std::pair<const char*, const char*> kFriendDefaults[] = {
    {"HANDLE", ""},
    {"FULLNAME", ""},
    {"BIRTHDAY", "0"},
    {"SEX", "UNKNOWN"},
    {"LANGUAGE", ""},
    {"COUNTRY", ""},
    {"PROVINCE", ""},
    {"CITY", ""},
    {"PHONE_HOME", ""},
    {"PHONE_OFFICE", ""},
    {"PHONE_MOBILE", ""},
    {"HOMEPAGE", ""},
    {"ABOUT", ""},
    {"HASCALLEQUIPMENT", "TRUE"},
    {"IS_VIDEO_CAPABLE", "FALSE"},
    {"IS_VOICEMAIL_CAPABLE", "TRUE"},
    {"BUDDYSTATUS", "3"},
    {"ISAUTHORIZED", "TRUE"},
    {"ISBLOCKED", "FALSE"},
    {"ONLINESTATUS", "OFFLINE"},
    {"LASTONLINETIMESTAMP", "0"},
    {"CAN_LEAVE_VM", "TRUE"},
    {"SPEEDDIAL", ""},
    {"RECEIVEDAUTHREQUEST", ""},
    {"MOOD_TEXT", ""},
    {"RICH_MOOD_TEXT", ""},
    {"TIMEZONE", "0"},
    {"IS_CF_ACTIVE", "FALSE"},
    {"NROF_AUTHED_BUDDIES", "0"},
    {"DISPLAYNAME", ""},
    {"ALIASES", ""},
};

SkypeUser MakeUser(const std::string& handle) {
    SkypeUser user;
    user.handle = handle;
    for (const auto& [name, value] : kFriendDefaults) {
        user.properties[name] = value;
    }
    user.properties["HANDLE"] = handle;
    return user;
}

}  // namespace

bool IsUserProperty(const std::string& upperName) {
    return std::any_of(std::begin(kFriendDefaults), std::end(kFriendDefaults),
                       [&](const auto& entry) { return upperName == entry.first; });
}

SimAccount::SimAccount() : me_(MakeUser("voxtelo.user")) {
    me_.properties["FULLNAME"] = "Voxtelo User";
    me_.properties["ONLINESTATUS"] = "ONLINE";
    me_.properties["BUDDYSTATUS"] = "0";
}

void SimAccount::SetMe(const std::string& handle, const std::string& fullName) {
    me_.handle = handle;
    me_.properties["HANDLE"] = handle;
    me_.properties["FULLNAME"] = fullName;
}

SkypeUser& SimAccount::AddFriend(const std::string& handle) {
    if (SkypeUser* existing = FindFriend(handle)) {
        return *existing;
    }
    friends_.push_back(MakeUser(handle));
    return friends_.back();
}

bool SimAccount::RemoveFriend(const std::string& handle) {
    auto it = std::find_if(friends_.begin(), friends_.end(),
                           [&](const SkypeUser& user) { return user.handle == handle; });
    if (it == friends_.end()) {
        return false;
    }
    friends_.erase(it);
    return true;
}

void SimAccount::GenerateFriends(unsigned count) {
    static const char* const kStates[] = {"ONLINE", "AWAY", "OFFLINE", "DND", "NA"};
    int width = static_cast<int>(std::to_string(count).size());
    if (width < 3) {
        width = 3;
    }
    for (unsigned i = 1; i <= count; ++i) {
        char handle[32];
        std::snprintf(handle, sizeof handle, "friend%0*u", width, i);
        SkypeUser& user = AddFriend(handle);
        user.properties["FULLNAME"] = "Generated Friend " + std::to_string(i);
        user.properties["DISPLAYNAME"] = "Friend " + std::to_string(i);
        user.properties["ONLINESTATUS"] = kStates[(i - 1) % 5];
    }
}

SkypeUser* SimAccount::FindFriend(const std::string& handle) {
    for (SkypeUser& user : friends_) {
        if (user.handle == handle) {
            return &user;
        }
    }
    return nullptr;
}

std::string SimAccount::FriendsReply() const {
    std::string reply = "USERS";
    for (size_t i = 0; i < friends_.size(); ++i) {
        reply += i == 0 ? " " : ", ";
        reply += friends_[i].handle;
    }
    return reply;
}

std::optional<std::string> SimAccount::UserProperty(const std::string& handle,
                                                    const std::string& upperName) const {
    if (!IsUserProperty(upperName)) {
        return std::nullopt;
    }
    const SkypeUser* user = handle == me_.handle ? &me_ : nullptr;
    for (const SkypeUser& candidate : friends_) {
        if (!user && candidate.handle == handle) {
            user = &candidate;
        }
    }
    if (user) {
        auto it = user->properties.find(upperName);
        return it == user->properties.end() ? std::string() : it->second;
    }
    // A handle that is nobody's friend: the client still answers, as for an unknown user.
    if (upperName == "HANDLE")
        return handle;
    if (upperName == "ONLINESTATUS")
        return std::string("UNKNOWN");
    if (upperName == "BUDDYSTATUS")
        return std::string("0");
    if (upperName == "ISAUTHORIZED" || upperName == "ISBLOCKED")
        return std::string("FALSE");
    return std::string();
}

}  // namespace skypesim
