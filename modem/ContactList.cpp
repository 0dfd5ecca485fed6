// The contact list behind ModemPhone's caller names.
#include "modem/ContactList.h"

#include <utility>

namespace {

// ModemPhone reserves this much at every load; larger books simply grow.
constexpr size_t kReservedEntries = 100;

}  // namespace

ContactList::ContactList() {
    entries_.reserve(kReservedEntries);
}

void ContactList::Clear() {
    std::vector<ContactEntry> fresh;
    fresh.reserve(kReservedEntries);
    entries_.swap(fresh);
    lastByIndex_.clear();
}

void ContactList::Add(ContactEntry entry) {
    lastByIndex_[entry.index] = entries_.size();
    entries_.push_back(std::move(entry));
}

std::string ContactList::LookupName(const std::string& number) const {
    // An empty number would otherwise match the first entry with any number missing.
    if (number.empty()) {
        return {};
    }
    for (const ContactEntry& entry : entries_) {
        if (entry.home == number || entry.mobile == number || entry.office == number) {
            return entry.name;
        }
    }
    return {};
}

const ContactEntry* ContactList::GetContact(int index) const {
    const auto found = lastByIndex_.find(index);
    return found != lastByIndex_.end() ? &entries_[found->second] : nullptr;
}
