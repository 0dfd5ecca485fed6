// Turns one TAPI line message into the modem event codes the line-message thread posts,
// and into the few things the thread must do to its device along the way.
#pragma once

#include <cstdint>

// A LINEMESSAGE as lineGetMessage returns it, without windows.h.
struct LineMessage {
    uint32_t device;             // hDevice: the line or call the message is about
    uint32_t messageId;          // dwMessageID
    uintptr_t callbackInstance;  // dwCallbackInstance: 1 for every call on our line
    uintptr_t param1;
    uintptr_t param2;
    uintptr_t param3;
};

// The seam to TapiDevice. The dispatch calls these on the line-message thread, in the
// order the codes must reach the main window.
class LineEventSink {
public:
    virtual ~LineEventSink() = default;

    // Post UM_INTERNAL (recipient 3, code) to the main window.
    virtual void PostCode(int code) = 0;
    // An offered call becomes the call that Answer and CloseLine act on.
    virtual void SetCurrentCall(uint32_t call) = 0;
    // True when a caller ID is stored (not "").
    virtual bool HasCallerId() = 0;
    // Fetch the current call's information (lineGetCallInfoA) and store its caller ID,
    // "" when it carries none.
    virtual void FetchCallerId() = 0;
    // Empty the stored caller ID so the next call fetches its own.
    virtual void ClearCallerId() = 0;
    // Keep a LINE_REPLY's failure: only the GUI thread, once its request has returned,
    // can tell whether `requestId` was a call it placed or answered.
    virtual void KeepFailedReply(uint32_t requestId, int32_t result) = 0;
    // True when `deviceId` is the line device this device has open.
    virtual bool IsOpenLineDevice(uint32_t deviceId) = 0;
};

// Posts the codes for message and performs its side effects, in order:
//  - LINE_CALLINFO: 3; then, when param1 is exactly LINECALLINFOSTATE_CALLERID and no
//    caller ID is stored, the fetch and 34.
//  - LINE_CALLSTATE: 4, then the call-state code (param1) and its follow-ups: a mode code
//    from param2 for busy, dial tone, offering, connected and disconnected; offering first
//    makes the message's device the current call and ends with 32; connected posts 414
//    only when the callback instance is 1 and ends with 30; disconnected clears the caller
//    ID after 415 and ends with 31; idle ends with 31.
//  - LINE_REPLY: 16; with an error result, the failure is kept and 33 follows.
//  - LINE_CLOSE, LINE_REMOVE of the open line device, LINE_LINEDEVSTATE with the REINIT
//    bit: the message's code, then 36 (the line is gone or must be opened afresh).
//  - every other message: its code from the message table, 18 when it is not listed.
void DispatchLineMessage(const LineMessage& message, LineEventSink& sink);
