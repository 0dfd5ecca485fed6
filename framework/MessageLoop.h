// The framework's message pump: each message goes first to the pre-translation hooks of the
// windows it concerns, then to translation and dispatch.
#pragma once

#include <windows.h>

namespace fw {

class MessageLoop {
public:
    // Waits for one message and handles it; false on WM_QUIT, which is posted again so
    // that every loop outside this one ends as well.
    bool PumpOne();

    // Handles what is queued now (posted messages, paints, timers) without waiting;
    // false when WM_QUIT was met (posted again).
    bool PumpPending();

    // Pre-translation, translation and dispatch of one message.
    static void Handle(MSG& msg);
};

}  // namespace fw
