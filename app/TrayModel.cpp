#include "app/TrayModel.h"

namespace {

const char* StateWords(CallState state) {
    switch (state) {
        case CallState::INIT:
            return "no line";
        case CallState::NORMAL:
            return "ready";
        case CallState::DIALING:
            return "calling";
        case CallState::RINGING:
            return "ringing";
        case CallState::ANSWERING:
            return "in a call";
    }
    return "no line";
}

}  // namespace

std::string TrayTipText(CallState state, Carrier carrier, const std::string& party) {
    std::string tip = std::string("Voxtelo - ") + StateWords(state);
    if (const char* name = CarrierName(carrier)) {
        tip += std::string(" (") + name + ")";
    }
    if (IsCallUp(state)) {
        tip += "\n" + (party.empty() ? std::string("Unknown") : party);
    }
    return tip;
}

bool TrayClicks::IsClick(unsigned mouseMessage) {
    switch (mouseMessage) {
        case kLeftDoubleClick:
            afterDoubleClick_ = true;
            return false;
        case kLeftUp:
            if (afterDoubleClick_) {
                afterDoubleClick_ = false;
                return false;
            }
            return true;
        case kLeftDown:
            afterDoubleClick_ = false;
            return false;
    }
    return false;
}
