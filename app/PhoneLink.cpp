#include "app/PhoneLink.h"

#include <cctype>

namespace {

bool StartsWithIgnoringCase(const std::string& text, const char* prefix, size_t* length) {
    size_t i = 0;
    for (; prefix[i]; ++i) {
        if (i >= text.size() || std::tolower(static_cast<unsigned char>(text[i])) !=
                                    static_cast<unsigned char>(prefix[i])) {
            return false;
        }
    }
    *length = i;
    return true;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower >= 'a' && lower <= 'f') {
        return lower - 'a' + 10;
    }
    return -1;
}

// "%2B" and the like decoded; nullopt for a broken escape.
std::optional<std::string> Unescape(const std::string& text) {
    std::string plain;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            plain += text[i];
            continue;
        }
        if (i + 2 >= text.size()) {
            return std::nullopt;
        }
        const int high = HexValue(text[i + 1]);
        const int low = HexValue(text[i + 2]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        plain += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return plain;
}

bool IsVisualSeparator(char c) {
    return c == ' ' || c == '-' || c == '.' || c == '(' || c == ')';
}

}  // namespace

std::optional<std::string> NumberOfPhoneLink(const std::string& text) {
    size_t scheme = 0;
    if (!StartsWithIgnoringCase(text, "tel:", &scheme) &&
        !StartsWithIgnoringCase(text, "callto:", &scheme)) {
        return std::nullopt;
    }
    std::string rest = text.substr(scheme);
    if (rest.compare(0, 2, "//") == 0) {
        rest.erase(0, 2);
    }
    // Parameters (";ext=", ";phone-context="), a query or a fragment are not the number.
    rest = rest.substr(0, rest.find_first_of(";?#"));
    const std::optional<std::string> plain = Unescape(rest);
    if (!plain) {
        return std::nullopt;
    }
    std::string number;
    for (const char c : *plain) {
        if (std::isdigit(static_cast<unsigned char>(c))) {
            number += c;
        } else if (c == '+' && number.empty()) {
            number += c;
        } else if (!IsVisualSeparator(c)) {
            return std::nullopt;
        }
    }
    if (number.size() > kDialStringLimit) {
        number.resize(kDialStringLimit);
    }
    if (!IsDialableNumber(number)) {
        return std::nullopt;
    }
    return number;
}

std::optional<std::string> PhoneLinkNumber(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        size_t scheme = 0;
        if (StartsWithIgnoringCase(argument, "tel:", &scheme) ||
            StartsWithIgnoringCase(argument, "callto:", &scheme)) {
            return NumberOfPhoneLink(argument);
        }
    }
    return std::nullopt;
}

bool IsDialableNumber(const std::string& number) {
    if (number.empty() || number.size() > kDialStringLimit) {
        return false;
    }
    bool digit = false;
    for (size_t i = 0; i < number.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(number[i]))) {
            digit = true;
        } else if (number[i] != '+' || i != 0) {
            return false;
        }
    }
    return digit;
}
