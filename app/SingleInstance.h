// One phone per session: two would fight over the modem line and the Skype attach. The first
// start holds a named mutex for its whole life; a later start hands over to the running phone
// and ends.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "framework/Handles.h"

class SingleInstance {
public:
    struct Settings {
        std::string name = "Local\\Voxtelo.Phone";
        // How long a later start waits for the running phone's window (it may be starting up
        // itself) or for the end of a phone that is closing.
        DWORD waitMs = 15000;
        DWORD stepMs = 50;
        // How long after handing over a start still watches for the phone's end: a phone
        // that was closing takes the hand-over with it, and this start is then the phone.
        DWORD settleMs = 2000;
    };

    explicit SingleInstance(Settings settings);
    SingleInstance() : SingleInstance(Settings{}) {}
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this process is to be the phone: it made the claim, the phone before it
    // ended meanwhile, or the claim cannot be made at all (a phone then still starts).
    // Otherwise `handOver` is called with the running phone's main window until it returns
    // true, and the result is false: this start ends, unless that phone ends within the
    // settle time. It is false too when no phone window appeared within the wait.
    bool Claim(const std::function<bool(HWND phone)>& handOver);

    bool Owns() const { return owned_; }

private:
    Settings settings_;
    fw::KernelHandle mutex_;
    bool owned_ = false;
};

// The hand-over of a plain start: the phone key, posted to the running phone.
bool PostPhoneKey(HWND phone);

// Passes this process's right to the foreground on to the running phone, which as a process
// in the background could not come forward by itself.
void LetPhoneComeForward(HWND phone);
