// The property names of the Skype client mapped onto the contact's fields.
#include "skype/SkypeContact.h"

#include <iterator>

namespace skype {

namespace {

struct PropertyField {
    std::string_view property;
    std::string SkypeContact::*field;
};

constexpr PropertyField kPropertyFields[] = {
    {"HANDLE", &SkypeContact::handle},
    {"FULLNAME", &SkypeContact::fullName},
    {"BIRTHDAY", &SkypeContact::birthday},
    {"SEX", &SkypeContact::sex},
    {"LANGUAGE", &SkypeContact::language},
    {"COUNTRY", &SkypeContact::country},
    {"PROVINCE", &SkypeContact::province},
    {"CITY", &SkypeContact::city},
    {"PHONE_HOME", &SkypeContact::homePhone},
    {"PHONE_OFFICE", &SkypeContact::officePhone},
    {"PHONE_MOBILE", &SkypeContact::mobilePhone},
    {"HOMEPAGE", &SkypeContact::homePage},
    {"ABOUT", &SkypeContact::about},
    {"HASCALLEQUIPMENT", &SkypeContact::hasCallEquipment},
    {"BUDDYSTATUS", &SkypeContact::buddyStatus},
    {"ISAUTHORIZED", &SkypeContact::isAuthorized},
    {"ISBLOCKED", &SkypeContact::isBlocked},
    {"DISPLAYNAME", &SkypeContact::displayName},
    {"ONLINESTATUS", &SkypeContact::onlineStatus},
    {"LASTONLINETIMESTAMP", &SkypeContact::lastOnlineTimestamp},
    {"CAN_LEAVE_VM", &SkypeContact::canLeaveVoicemail},
    {"SPEEDDIAL", &SkypeContact::speedDial},
    {"RECEIVEDAUTHREQUEST", &SkypeContact::receivedAuthRequest},
};

}  // namespace

std::string* SkypeContact::FieldFor(std::string_view property) {
    for (const PropertyField& entry : kPropertyFields) {
        if (entry.property == property) {
            return &(this->*entry.field);
        }
    }
    return nullptr;
}

}  // namespace skype
