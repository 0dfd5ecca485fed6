// Cuts a text received from the Skype client into words, and gives checked access to them:
// a missing word raises fw::InvalidArgumentError, which abandons the text where it stands.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace skype {

class Words {
public:
    explicit Words(std::vector<std::string> words) : words_(std::move(words)) {}

    size_t Count() const { return words_.size(); }

    // Raises fw::InvalidArgumentError when the text has no word at `index`.
    const std::string& At(size_t index) const;

private:
    std::vector<std::string> words_;
};

// The separator is one space. A space directly after a separator belongs to the next word;
// a trailing space adds no word; a text without a space is one word (also when empty).
// A text that begins with a space raises fw::InvalidArgumentError.
Words SplitWords(const std::string& text);

// The text from `position` to its end; `position` may equal the length (""), beyond it
// raises fw::InvalidArgumentError.
std::string TextFrom(const std::string& text, size_t position);

}  // namespace skype
