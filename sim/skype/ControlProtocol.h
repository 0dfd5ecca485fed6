// What the simulator and its control library agree on: window classes and titles, and the
// WM_COPYDATA tags of control requests and replies.
#pragma once

#include <cstdint>
#include <string>

namespace skypesim {

// A request: WM_COPYDATA to the control window, wParam = the requester's reply window,
// dwData = kControlRequest, the command text with its terminating zero. The reply comes back
// nested in that call: WM_COPYDATA to the reply window, dwData = kControlReply.
constexpr uintptr_t kControlRequest = 0x53534b51;  // "SSKQ"
constexpr uintptr_t kControlReply = 0x53534b52;    // "SSKR"

constexpr const char* kApiWindowClass = "VoxteloSkypeSimApi";
constexpr const char* kControlWindowClass = "VoxteloSkypeSimControl";
constexpr const char* kDefaultName = "default";

inline std::string ApiWindowTitle(const std::string& name) {
    return "Skype API simulator: " + name;
}
inline std::string ControlWindowTitle(const std::string& name) {
    return "Skype simulator control: " + name;
}

}  // namespace skypesim
