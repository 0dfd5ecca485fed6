// Reads and steers the LED device stand-in from a test or a tool: the record of every LED
// request, the LED's state, bounded waits for a request, and the reply mode for fault tests.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "sim/led/LedSimProtocol.h"

namespace ledsim {

// The stand-in is not running, or refused a control request.
class ControlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Entry {
    uint32_t seq = 0;
    uint32_t process = 0;  // the sender's process id
    uint32_t method = 0;
    uint32_t value = 0;    // the LED value of an inline request
    uint32_t address = 0;  // the record address of a pointer request
    uint16_t length = 0;   // bytes the request had
    uint8_t form = LEDSIM_FORM_NEITHER;
    uint8_t outcome = LEDSIM_ANSWERED;

    bool Answered() const { return outcome == LEDSIM_ANSWERED; }
    bool IsPled(uint32_t ledValue) const {
        return Answered() && method == LEDSIM_METHOD_PLED && value == ledValue;
    }
};

struct Snapshot {
    bool ledOn = false;
    uint32_t lastSeq = 0;
    uint32_t replyMode = LEDSIM_REPLY_NORMAL;
    std::vector<Entry> entries;  // oldest first
};

// "PLED", or the method word in hex when it is not four printable letters.
std::string MethodName(uint32_t method);
// "answered", "bad-header", ...; and "inline", "pointer", "neither".
std::string OutcomeName(uint8_t outcome);
std::string FormName(uint8_t form);
// One line: "7 pid=32 PLED value=1 inline 24 answered" (a pointer request shows address=0x...).
std::string Describe(const Entry& entry);

class Control {
public:
    // Opens the device; throws ControlError when the stand-in does not run in this prefix.
    Control();

    // True when the stand-in's device can be opened.
    static bool IsRunning();
    // Starts the registered service when it is stopped; false when it cannot run.
    static bool Start();

    // Entries with a sequence number above `afterSeq`, with the LED's state.
    Snapshot Read(uint32_t afterSeq = 0) const;
    std::vector<Entry> Entries(uint32_t afterSeq = 0) const { return Read(afterSeq).entries; }
    bool LedOn() const { return Read(UINT32_MAX).ledOn; }
    // A mark to read or wait after: requests from now on have higher numbers.
    uint32_t LastSeq() const { return Read(UINT32_MAX).lastSeq; }

    // Forgets the entries; the numbering and the LED's state go on.
    void Clear();
    void SetReplyMode(uint32_t mode);

    // The first entry after `afterSeq` that `match` accepts, polled every 10 ms, or nullopt
    // once `timeoutMs` has passed.
    std::optional<Entry> WaitFor(const std::function<bool(const Entry&)>& match, uint32_t afterSeq,
                                 unsigned timeoutMs) const;
    // An answered PLED request with this value, from `process` (any process when 0).
    std::optional<Entry> WaitForLed(uint32_t value, uint32_t afterSeq, unsigned timeoutMs,
                                    uint32_t process = 0) const {
        return WaitFor(
            [=](const Entry& e) { return e.IsPled(value) && (!process || e.process == process); },
            afterSeq, timeoutMs);
    }

private:
    void Call(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
              uint32_t* returned) const;

    fw::FileHandle device_;
};

}  // namespace ledsim
