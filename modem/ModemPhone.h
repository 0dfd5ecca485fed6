// The voice modem as one telephone line with a simple call state. Lives on the GUI thread:
// it reports to the main window with UM_INTERNAL (recipient 1) and to the Debug Window with
// "From Modem : " lines, and takes the line-message thread's codes through OnEvent.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/CallState.h"
#include "modem/ContactList.h"
#include "modem/DelayedPost.h"
#include "phonebook/BookmarkStore.h"

class TapiDevice;

// How a lost modem line is opened again: at once, as on resume, then at the end of each
// period while it stays closed, never twice within one period; at most `attempts` times
// until a reset (the end of a call, the call-end key, a suspend) starts afresh.
struct LineRetryPolicy {
    DWORD periodMs = 5000;
    int attempts = 24;  // two minutes of a modem that stays away
};

class ModemPhone {
public:
    // Loads the phone book, then opens the modem line.
    explicit ModemPhone(HWND window, LineRetryPolicy retry = LineRetryPolicy());
    virtual ~ModemPhone();
    ModemPhone(const ModemPhone&) = delete;
    ModemPhone& operator=(const ModemPhone&) = delete;

    CallState GetState() const { return state_; }
    // The state's changes since the last take, in order: by the time the window handles one
    // change's event, later codes of the line may have changed the state again.
    std::vector<CallState> TakeStateChanges() { return std::exchange(stateChanges_, {}); }
    bool HasDevice() const { return device_ != nullptr; }

    // Opens the line when no device exists (a device that failed to open is kept).
    void Initialize();
    // The only way back from a call: a fresh device and line, the caller forgotten, and
    // UM_PHONE_KEY posted so the window comes back. A lost line gets its attempts back.
    // `phoneKey` is that message's wParam: 0 as the key's press, PHONE_KEY_MODEM_BACK where
    // the window has already done what a press would.
    void Reset(WPARAM phoneKey = 0);
    // Closes the line and keeps the state (suspend); a lost line is not tried again.
    void ReleaseDevice();

    // False when no call could be placed (no line, or the modem refused it at once).
    bool Dial(const std::string& number);
    void Answer();
    // One code of the line-message thread (or EV_BOOK_RELOAD); always 1.
    LRESULT OnEvent(int code);

    void LoadPhoneBook();
    std::string LookupName(const std::string& number) const;
    std::string GetCallerNumber() const { return callerNumber_; }
    std::string GetCallerName() const { return callerName_; }
    int GetContactCount() const { return contacts_.Count(); }
    const ContactEntry* GetContact(int index) const { return contacts_.GetContact(index); }

    void Log(const std::string& text);

private:
    void SetState(CallState state);
    void PostToWindow(int code);
    void OnConnected();
    void OnCallerId();
    void OnRequestFailed();
    void OnLineLost(const std::string& why);
    void ReopenLostLine();
    void OnRetryLine();

    std::unique_ptr<TapiDevice> device_;
    CallState state_ = CallState::INIT;
    std::vector<CallState> stateChanges_;  // bounded: the oldest go
    HWND window_;
    BookmarkStore store_;
    ContactList contacts_;
    std::string callerName_;
    std::string callerNumber_;

    LineRetryPolicy retry_;
    DelayedPost retryWait_;  // runs for a period after each attempt on a lost line
    int attemptsLeft_;
};
