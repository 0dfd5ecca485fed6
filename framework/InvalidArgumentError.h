// The error a text operation raises for a position outside its text. Window handlers let it
// propagate: the framework's dispatch reports it with a message box and the handler stops.
#pragma once

#include <stdexcept>
#include <string>

namespace fw {

class InvalidArgumentError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

}  // namespace fw
