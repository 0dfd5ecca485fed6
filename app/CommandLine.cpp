#include "app/CommandLine.h"

#include <cctype>

namespace {

bool EqualsIgnoringCase(const std::string& text, size_t from, const char* word) {
    size_t i = from;
    for (; *word; ++word, ++i) {
        if (i >= text.size() || std::tolower(static_cast<unsigned char>(text[i])) !=
                                    static_cast<unsigned char>(*word)) {
            return false;
        }
    }
    return i == text.size();
}

}  // namespace

bool HasDebugSwitch(const std::vector<std::string>& arguments) {
    bool found = false;
    for (const std::string& argument : arguments) {
        const size_t start =
            !argument.empty() && (argument[0] == '-' || argument[0] == '/') ? 1 : 0;
        if (EqualsIgnoringCase(argument, start, "debug")) {
            found = true;
        }
    }
    return found;
}
