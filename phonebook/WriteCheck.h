// Whether a write really reached the file, judged from the file read back before and after it.
// The platform's word is not enough: Wine's profile functions report success on a full disk
// after they have emptied the file.
#pragma once

#include <vector>

#include "phonebook/ProfileText.h"

namespace profile {

// Positions among the named sections, in file order (the ones the name list shows).
using Positions = std::vector<size_t>;

// Positions of the named sections the profile functions address by this name when deleting
// one: the first of them, or all when `every`.
Positions MatchingSections(const Document& document, TextView name, bool every);

// True when `after` holds the named sections of `before` in order, without the ones at
// `removed` and each with a value still for every key that had one, followed by exactly
// `appended`.
bool KeepsSections(const Document& before, const Document& after, const Positions& removed,
                   const std::vector<Text>& appended);

// True when key of section reads back as a write of `value` leaves it: the text without
// surrounding white space, up to a line break (the rest would be a line of its own).
bool HoldsWrittenValue(const Document& after, TextView section, TextView key, TextView value);

}  // namespace profile
