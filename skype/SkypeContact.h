// One Skype contact and its properties as the client reports them. A property whose reply
// has not arrived holds its one-letter placeholder.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace skype {

class SkypeContact {
public:
    SkypeContact(int32_t listIndex, std::string handle)
        : listIndex(listIndex), handle(std::move(handle)) {}
    virtual ~SkypeContact() = default;

    // The field that a property reply with this name fills, or null for a name not kept.
    std::string* FieldFor(std::string_view property);

    int32_t listIndex;
    std::string handle;
    std::string fullName = "b";
    std::string sex = "d";
    std::string homePhone = "i";
    std::string officePhone = "j";
    std::string mobilePhone = "k";
    std::string birthday = "c";
    std::string language = "e";
    std::string country = "f";
    std::string province = "g";
    std::string city = "h";
    std::string homePage = "l";
    std::string about = "m";
    std::string hasCallEquipment = "m";  // shares the letter of about; nothing starts as "n"
    std::string buddyStatus = "o";
    std::string isAuthorized = "p";
    std::string isBlocked = "q";
    std::string displayName = "r";
    std::string onlineStatus = "s";
    std::string lastOnlineTimestamp = "t";
    std::string canLeaveVoicemail = "u";
    std::string speedDial = "v";
    std::string receivedAuthRequest = "w";
};

}  // namespace skype
