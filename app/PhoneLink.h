// "tel:" and "callto:" links handed to the program: the number they carry, reduced to what
// the display line may hold (digits and one leading "+", at most 23 characters).
#pragma once

#include <optional>
#include <string>
#include <vector>

// The display line's limit, as typing leaves it.
constexpr size_t kDialStringLimit = 23;

// The number of a link, or nullopt when the text is no such link or carries no plain phone
// number (a Skype name, letters, "*" or "#", a broken escape). Visual separators (space, "-",
// ".", "(", ")") go; parameters after ";", "?" or "#" are ignored; a longer number keeps its
// first 23 characters.
std::optional<std::string> NumberOfPhoneLink(const std::string& text);

// The first argument that is a phone link, with its number.
std::optional<std::string> PhoneLinkNumber(const std::vector<std::string>& arguments);

// Digits with at most one "+" in front, at least one digit, within the limit.
bool IsDialableNumber(const std::string& number);
