// Every private window message of Voxtelo and the event codes they carry, one line of
// meaning each. Plain numbers, so portable code can use them without windows.h.
#pragma once

#include <cstdint>

#if defined(_WIN32)
// winbase.h defines EV_RING, a serial-port event, as a macro; here it is the ring event.
// Including windows.h first makes its include guard keep the macro from coming back.
#include <windows.h>
#undef EV_RING
#endif

namespace msg {

constexpr unsigned kWmUser = 0x0400;

// Private window messages. All are posted or sent to the main window unless noted.
constexpr unsigned UM_REPAINT = kWmUser + 1;   // wParam 0, lParam 0: repaint the whole window
constexpr unsigned UM_INTERNAL = kWmUser + 2;  // wParam recipient, lParam event code; result 1
constexpr unsigned UM_NOTIFIER_CLICKED = kWmUser + 3;  // from the call notice, to its parent
constexpr unsigned UM_DEBUG_TEXT = kWmUser + 10;       // sent to the "Debug Window"; wParam 0,
                                                       // lParam a COPYDATASTRUCT with one text
constexpr unsigned UM_PHONE_KEY = kWmUser + 153;  // 0x499, any process: show / answer / hang up
// The wParam of the UM_PHONE_KEY ModemPhone posts when a call ended on its own (the far end
// hung up, the line failed) or the window has ended the calls itself: no press of the key, it
// only brings the idle window back.
constexpr unsigned PHONE_KEY_MODEM_BACK = 0x4D42;

// Messages of the tray icon's own hidden window (app/TrayIcon.h), not of the main window.
constexpr unsigned UM_TRAY_NOTIFY = kWmUser + 20;  // from the shell: lParam the mouse message
constexpr unsigned UM_TRAY_NUMBER = kWmUser + 21;  // to itself: show the numbers handed over

// Recipients of UM_INTERNAL (its wParam).
enum Recipient : unsigned {
    RECIPIENT_WINDOW = 1,  // the main window itself
    RECIPIENT_SKYPE = 2,   // handed to SkypeApi::OnInternalCommand
    RECIPIENT_MODEM = 3,   // handed to ModemPhone::OnEvent
};

// Events for the main window (recipient 1).
constexpr int EV_SKYPE_CONTACTS = 18;  // a contact's online status arrived, or no friends
constexpr int EV_BOOK_LOADED = 19;     // ModemPhone finished loading the phone book
constexpr int EV_SKYPE_PARTNER = 20;   // a Skype call's partner handle arrived
constexpr int EV_SYNC_CARRIER = 21;    // re-run the carrier choice
constexpr int EV_SKYPE_STATE = 22;     // SkypeApi wrote its state (or lost the client)
constexpr int EV_MODEM_STATE = 23;     // ModemPhone changed its state
constexpr int EV_RING = 24;            // play the ring sound from its start
constexpr int EV_CALLER_INFO = 25;     // ModemPhone has a caller number and name
constexpr int EV_SKYPE_REFUSED = 40;   // a Skype call refused beside another has its partner

// Requests for SkypeApi (recipient 2).
constexpr int EV_SKYPE_QUERY_USERS = 26;  // ask the client for every listed friend's details
constexpr int EV_SKYPE_SYNC = 27;         // answered with (1, EV_SYNC_CARRIER)
constexpr int EV_SKYPE_HANGUP = 28;       // SET CALL <id> STATUS FINISHED
constexpr int EV_SKYPE_ANSWER = 29;       // SET CALL <id> STATUS INPROGRESS
constexpr int EV_SKYPE_SEARCH = 35;       // SEARCH FRIENDS
constexpr int EV_SKYPE_QUERY_MORE = 36;   // SkypeApi's own: the next slice of the detail queries
constexpr int EV_SKYPE_SEND_LATER = 37;   // SkypeApi's own: the commands held back from a nest

// Requests for ModemPhone (recipient 3) besides the modem event codes below.
constexpr int EV_BOOK_RELOAD = 35;  // reload Bookmark.ini

// Modem event codes (recipient 3), posted by the TAPI line-message thread (39 by ModemPhone's
// own wait). The summary codes are what ModemPhone acts on; every other code is logged by name.
constexpr int MODEM_EV_LINEDEVSTATE = 11;      // LINE_LINEDEVSTATE: a ring while RINGING
constexpr int MODEM_EV_CONNECTED = 30;         // the call is connected (acted on while setting up)
constexpr int MODEM_EV_CALL_ENDED = 31;        // the call went idle or was disconnected
constexpr int MODEM_EV_OFFERING = 32;          // an incoming call is offered
constexpr int MODEM_EV_REQUEST_FAILED = 33;    // a LINE_REPLY carried an error (16 came first)
constexpr int MODEM_EV_CALLERID = 34;          // the caller ID of the current call was fetched
constexpr int MODEM_EV_LINE_LOST = 36;         // LINE_CLOSE, LINE_REMOVE of our line, or a REINIT
constexpr int MODEM_EV_CALLINFO_REFUSED = 37;  // call information claims over 64 KiB: not refetched
constexpr int MODEM_EV_THREAD_ENDED = 38;  // the line-message thread stopped on its own: deaf line
constexpr int MODEM_EV_RETRY_LINE = 39;    // ModemPhone's own wait is over: try the lost line again

}  // namespace msg
