// The read-back checks behind the store's write results.
#include "phonebook/WriteCheck.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace profile {

namespace {

std::vector<const Section*> NamedSections(const Document& document) {
    std::vector<const Section*> named;
    for (const Section& section : document.Sections()) {
        if (!section.name.empty()) {
            named.push_back(&section);
        }
    }
    return named;
}

// Whether every key that gives a value in `old` still gives one in `now`. Only the first key
// of a name can be read, so later ones may come and go; keys may also come in, as Wine's
// rewrite puts the keys of a "[]" section into the section before it.
bool KeepsValues(const Section& old, const Section& now) {
    std::unordered_map<Text, bool> nowHasValue;
    for (const Key& key : now.keys) {
        nowHasValue.emplace(FoldCase(Trim(key.name)), key.value.has_value());
    }
    std::unordered_set<Text> seen;
    for (const Key& key : old.keys) {
        const Text name = FoldCase(Trim(key.name));
        if (seen.insert(name).second && key.value) {
            const auto found = nowHasValue.find(name);
            if (found == nowHasValue.end() || !found->second) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

Positions MatchingSections(const Document& document, TextView name, bool every) {
    Positions found;
    const std::vector<const Section*> named = NamedSections(document);
    for (size_t i = 0; i < named.size(); ++i) {
        if (NamesMatch(named[i]->name, name)) {
            found.push_back(i);
            if (!every) {
                break;
            }
        }
    }
    return found;
}

bool KeepsSections(const Document& before, const Document& after, const Positions& removed,
                   const std::vector<Text>& appended) {
    const std::vector<const Section*> old = NamedSections(before);
    const std::vector<const Section*> now = NamedSections(after);
    size_t at = 0;
    for (size_t i = 0; i < old.size(); ++i) {
        if (std::find(removed.begin(), removed.end(), i) != removed.end()) {
            continue;
        }
        // A name cut short by a zero byte may end in blanks, which a rewrite drops.
        if (at == now.size() || Trim(now[at]->name) != Trim(old[i]->name) ||
            !KeepsValues(*old[i], *now[at])) {
            return false;
        }
        ++at;
    }
    for (const Text& name : appended) {
        if (at == now.size() || now[at]->name != name) {
            return false;
        }
        ++at;
    }
    return at == now.size();
}

bool HoldsWrittenValue(const Document& after, TextView section, TextView key, TextView value) {
    TextView expected = Trim(value);
    const size_t lineBreak = expected.find_first_of(u"\r\n");
    if (lineBreak != TextView::npos) {
        expected = Trim(expected.substr(0, lineBreak));
    }
    const Key* found = after.FindKey(section, key);
    return found != nullptr && found->value && *found->value == expected;
}

}  // namespace profile
