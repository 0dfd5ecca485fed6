// ModemPhone's copy of the phone book: the entries in file order, and the number-to-name
// lookup that names the other party of a call.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "modem/ContactEntry.h"

class ContactList {
public:
    ContactList();

    // Drops every entry and starts an empty list with room for a typical book.
    void Clear();
    // Appends an entry; the loader adds them in file order.
    void Add(ContactEntry entry);

    // The name of the first entry, in list order, with a number equal to number: home is
    // tried before mobile, mobile before office. Exact byte comparison, no normalisation.
    // "" when nothing matches, and for an empty number (a missing number is no match).
    std::string LookupName(const std::string& number) const;

    // The last entry whose index field equals index; null when none. Valid until the list
    // next changes.
    const ContactEntry* GetContact(int index) const;

    int Count() const { return static_cast<int>(entries_.size()); }

private:
    std::vector<ContactEntry> entries_;
    // Index field -> position of the last entry with it: the list is walked by index to build
    // the phone's book list, which a search per entry would make quadratic.
    std::unordered_map<int, size_t> lastByIndex_;
};
