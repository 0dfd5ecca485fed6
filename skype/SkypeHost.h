// What a SkypeSession needs from the program around it: the road to the Skype client, the
// main window's queue, a message box and the ANSI code page. The Win32 SkypeApi implements it;
// tests fake it.
#pragma once

#include <string>

namespace skype {

// Calls come from the main window's thread, except the post of Detach, which comes from the
// thread that detached. The session holds no lock and no reference into its contact list while
// it calls here, so each call may re-enter it.
class SkypeHost {
public:
    virtual ~SkypeHost() = default;

    // Sends one command text (never empty) to the attached client and returns whether the
    // client took it. A refused, failed or timed-out send, or one with no client attached,
    // returns false after the host has detached: it forgets the client window and calls
    // SkypeSession::Detach. The client may answer from within the send, so the host may hand
    // texts to SkypeSession::ParseNotification before returning. A command built from a
    // client's handle can be longer than the transport's buffer; the host decides.
    virtual bool SendCommand(const std::string& command) = 0;

    // Posts UM_INTERNAL (wParam `recipient`, lParam `code`) to the main window; never waits.
    virtual void PostInternal(unsigned recipient, int code) = 0;

    // As PostInternal, but the message arrives only after the input and paints that are waiting
    // now: work cut into slices, each posting the next, must not starve the user (a posted
    // message is taken before them).
    virtual void PostBehindInput(unsigned recipient, int code) = 0;

    // Shows a message box with this text and an OK button.
    virtual void ShowMessage(const std::string& text) = 0;

    // Converts UTF-16 to the system's ANSI code page (characters it lacks become its default
    // character). Must not call back into the session.
    virtual std::string ToAnsi(const std::u16string& text) = 0;
};

}  // namespace skype
