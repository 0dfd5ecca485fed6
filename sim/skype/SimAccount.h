// The simulated Skype account: who is signed in, the connection and user status, and the
// friends with their user properties as the client reports them to API programs.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace skypesim {

// One Skype user as the client knows it: a handle and its property values by upper-case name.
struct SkypeUser {
    std::string handle;
    std::map<std::string, std::string> properties;
};

// True for the user property names the client answers "GET USER" for.
bool IsUserProperty(const std::string& upperName);

class SimAccount {
public:
    SimAccount();

    const SkypeUser& Me() const { return me_; }
    void SetMe(const std::string& handle, const std::string& fullName);

    const std::string& ConnStatus() const { return connStatus_; }
    const std::string& UserStatus() const { return userStatus_; }
    void SetConnStatus(const std::string& status) { connStatus_ = status; }
    void SetUserStatus(const std::string& status) { userStatus_ = status; }

    // Adds a friend with the defaults of an authorised contact, or returns the one that
    // exists (keeping its place in the list).
    SkypeUser& AddFriend(const std::string& handle);
    bool RemoveFriend(const std::string& handle);
    void ClearFriends() { friends_.clear(); }
    // `count` friends "friend001"... with full names, display names and mixed online states.
    void GenerateFriends(unsigned count);

    SkypeUser* FindFriend(const std::string& handle);
    const std::vector<SkypeUser>& Friends() const { return friends_; }

    // "USERS a, b, c", or "USERS" alone for no friends.
    std::string FriendsReply() const;

    // The value the client gives for a user property: from the friend or the signed-in user,
    // or what it says about a stranger. Nothing for a property name it does not know.
    std::optional<std::string> UserProperty(const std::string& handle,
                                            const std::string& upperName) const;

private:
    SkypeUser me_;
    std::string connStatus_ = "ONLINE";
    std::string userStatus_ = "ONLINE";
    std::vector<SkypeUser> friends_;
};

}  // namespace skypesim
