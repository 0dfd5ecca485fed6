// The user's Skype contacts in friends-list order; the list owns them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "skype/SkypeContact.h"

namespace skype {

class SkypeContactList {
public:
    SkypeContactList() { contacts_.reserve(100); }

    void Append(std::unique_ptr<SkypeContact> contact) { contacts_.push_back(std::move(contact)); }
    void Clear() { contacts_.clear(); }
    void Swap(SkypeContactList& other) noexcept { contacts_.swap(other.contacts_); }

    size_t Count() const { return contacts_.size(); }
    bool Empty() const { return contacts_.empty(); }

    // The contact at a position in list order; `position` must be below Count().
    const SkypeContact& operator[](size_t position) const { return *contacts_[position]; }

    // The first contact from the front whose handle equals `handle` exactly; null if none.
    SkypeContact* FindByHandle(const std::string& handle);

    // The last contact whose list index equals `listIndex`; null if none.
    const SkypeContact* FindByListIndex(int32_t listIndex) const;

private:
    std::vector<std::unique_ptr<SkypeContact>> contacts_;
};

}  // namespace skype
