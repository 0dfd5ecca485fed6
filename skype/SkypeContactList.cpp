// Lookups in the contact list.
#include "skype/SkypeContactList.h"

namespace skype {

SkypeContact* SkypeContactList::FindByHandle(const std::string& handle) {
    for (const auto& contact : contacts_) {
        if (contact->handle == handle) {
            return contact.get();
        }
    }
    return nullptr;
}

const SkypeContact* SkypeContactList::FindByListIndex(int32_t listIndex) const {
    for (auto it = contacts_.rbegin(); it != contacts_.rend(); ++it) {
        if ((*it)->listIndex == listIndex) {
            return it->get();
        }
    }
    return nullptr;
}

}  // namespace skype
