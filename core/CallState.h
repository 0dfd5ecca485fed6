// The call state shared by the main window, ModemPhone and SkypeApi, and the carrier choice.
#pragma once

#include <cstdint>

enum class CallState : int32_t {
    INIT = 0,       // carrier not ready
    NORMAL = 5,     // ready, no call
    DIALING = 6,    // outgoing call being set up
    RINGING = 7,    // incoming call offered
    ANSWERING = 8,  // connected
};

// The logged name; any value outside the five is "WORNG state".
inline const char* CallStateName(CallState state) {
    switch (state) {
        case CallState::INIT:
            return "INIT";
        case CallState::NORMAL:
            return "NORMAL";
        case CallState::DIALING:
            return "DIALING";
        case CallState::RINGING:
            return "RINGING";
        case CallState::ANSWERING:
            return "ANSWERING";
    }
    return "WORNG state";
}

inline bool IsCallUp(CallState state) {
    return state == CallState::DIALING || state == CallState::RINGING ||
           state == CallState::ANSWERING;
}

enum class Carrier : int32_t {
    None = 0,
    Skype = 2,
    Modem = 3,
};

// The carrier's name as the phone says it; null for none.
inline const char* CarrierName(Carrier carrier) {
    switch (carrier) {
        case Carrier::Skype:
            return "Skype";
        case Carrier::Modem:
            return "modem";
        case Carrier::None:
            break;
    }
    return nullptr;
}
