// Word splitting of received Skype texts.
#include "skype/SplitWords.h"

#include "framework/InvalidArgumentError.h"

namespace skype {

const std::string& Words::At(size_t index) const {
    if (index >= words_.size()) {
        throw fw::InvalidArgumentError("word " + std::to_string(index) + " missing in a text of " +
                                       std::to_string(words_.size()) + " words");
    }
    return words_[index];
}

Words SplitWords(const std::string& text) {
    size_t separator = text.find(' ');
    if (separator == std::string::npos) {
        return Words({text});
    }
    if (separator == 0) {
        throw fw::InvalidArgumentError("text begins with a space");
    }
    std::vector<std::string> words;
    size_t start = 0;
    while (separator != std::string::npos) {
        words.push_back(text.substr(start, separator - start));
        start = separator + 1;
        // Searching from two past the separator makes a doubled space part of the next word.
        separator = start + 1 < text.size() ? text.find(' ', start + 1) : std::string::npos;
    }
    if (start < text.size()) {
        words.push_back(text.substr(start));
    }
    return Words(std::move(words));
}

std::string TextFrom(const std::string& text, size_t position) {
    if (position > text.size()) {
        throw fw::InvalidArgumentError("position " + std::to_string(position) +
                                       " beyond a text of " + std::to_string(text.size()));
    }
    return text.substr(position);
}

}  // namespace skype
