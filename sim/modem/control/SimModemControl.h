// Drives the simulated voice modem from a test or a tool: its configuration, the far end's
// actions on the line, raw messages, the record of what the program did, and bounded waits.
// Works the same whether the DLL is loaded in this process or in a started program.
#pragma once

#include "sim/modem/Record.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace simmodem {

// A request the channel refused, or no program serving the channel.
class ControlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One row of Control::Status(): kind is "lineApp", "phoneApp", "line", "call", "phone" or
// "problem"; the fields are those README.md lists.
using StatusEntry = RecordEntry;

struct LineDevice {
    enum class Kind { Data, Voice, Custom };
    Kind kind = Kind::Voice;
    uint32_t mediaModes = 0;  // for Custom
    std::string name;         // "" = the simulator's default name
};

enum class ConnectMode { AfterDialling, FarEndAnswers };
enum class HookSwitchReply { RequestId, Zero };

class Control {
public:
    // The channel named by VOXTELO_SIMMODEM_CHANNEL, else "voxtelo": the one a DLL loaded in
    // this process (or in a program started from it) serves.
    Control();
    explicit Control(std::string channel);

    const std::string& Channel() const { return channel_; }
    // True when a process with the simulated modem loaded serves the channel.
    bool IsLive() const;

    // --- Configuration. Each setting is saved to the channel's configuration file, which a
    // DLL reads when it loads, and applied at once when a program is live.
    void Configure(const std::string& setting);
    // Only to the live program; the file stays as it is.
    void ConfigureLive(const std::string& setting);
    // Defaults everywhere: the file is removed and a live program returns to the defaults.
    void ResetConfiguration();
    // The lines of the configuration file.
    std::vector<std::string> SavedConfiguration() const;

    void SetLineDevices(const std::vector<LineDevice>& devices);
    void SetPhoneDeviceCount(int count);
    void SetConnectMode(ConnectMode mode);
    void SetHighestApiVersion(uint32_t version);
    void SetHookSwitchReply(HookSwitchReply reply);
    void SetCallInfoPadding(uint32_t bytes);
    void SetCallerIdOffset(std::optional<uint32_t> offset);  // nullopt: the true offset
    void SetCallerIdSize(std::optional<uint32_t> size);
    // dwNeededSize that LINECALLINFO reports instead of the true one; nullopt: the true one.
    void SetCallInfoNeededSize(std::optional<uint32_t> bytes);
    // false: initialising hands out an event handle that no wait accepts.
    void SetEventHandleValid(bool valid);
    // `function` is an exported name ("lineOpenA"); `code` a negative TAPI result.
    void FailNext(const std::string& function, int32_t code);
    void FailAlways(const std::string& function, int32_t code);
    // lineMakeCallA, lineAnswer, lineDrop, phoneSetHookSwitch: accept, then fail in the reply.
    void FailInReply(const std::string& function, int32_t code);
    void ClearFailure(const std::string& function);

    // --- The far end. Each returns once every resulting message is queued in the program.
    // A new incoming call, or one more ring of the call being offered. An empty number
    // rings without caller ID.
    void Ring(const std::string& number = "", const std::string& name = "");
    void SendCallerId(const std::string& number, const std::string& name = "");
    void AnswerAsFarEnd();
    // LINECALLSTATE_DISCONNECTED with `mode` (a LINEDISCONNECTMODE_ value); with thenIdle
    // also LINECALLSTATE_IDLE at once, instead of when the program drops the call.
    void HangUp(uint32_t mode = 0x1, bool thenIdle = false);
    void Busy();
    void NoAnswer();
    // The provider closes the program's line (LINE_CLOSE).
    void CloseLine();
    // The line device goes away (LINE_REMOVE to every application); nullopt: the device of the
    // line the program holds as owner. Setting the line devices again brings it back.
    void RemoveLine(std::optional<uint32_t> device = std::nullopt);
    // LINEDEVSTATE_REINIT to every application; nobody initialises until all have shut down.
    void Reinit();
    // Queues one LINEMESSAGE as it stands. `device` is "call", "line" or a number, "" for the
    // usual one; `instance` defaults to the line's callback instance.
    void Inject(uint32_t messageId, uint32_t param1 = 0, uint32_t param2 = 0, uint32_t param3 = 0,
                const std::string& device = "", std::optional<uint32_t> instance = std::nullopt);

    // --- What the program did.
    std::vector<RecordEntry> Record(uint64_t afterSeq = 0) const;
    void ClearRecord();
    std::vector<StatusEntry> Status() const;
    // The sequence number of the latest entry, 0 when none: a mark to wait after.
    uint64_t LastSeq() const;

    // Waits, at most timeoutMs, for a call of `function` recorded after `afterSeq`.
    std::optional<RecordEntry> WaitFor(const std::string& function, uint32_t timeoutMs,
                                       uint64_t afterSeq = 0) const;
    std::optional<RecordEntry> WaitForLineOpen(uint32_t timeoutMs, uint64_t afterSeq = 0) const;
    std::optional<RecordEntry> WaitForDial(uint32_t timeoutMs, uint64_t afterSeq = 0) const;
    std::optional<RecordEntry> WaitForAnswer(uint32_t timeoutMs, uint64_t afterSeq = 0) const;
    std::optional<RecordEntry> WaitForDrop(uint32_t timeoutMs, uint64_t afterSeq = 0) const;
    std::optional<RecordEntry> WaitForHookSwitch(uint32_t timeoutMs, uint64_t afterSeq = 0) const;
    std::optional<RecordEntry> WaitForShutdown(uint32_t timeoutMs, uint64_t afterSeq = 0) const;
    // Until every queued line message has been fetched by the program.
    bool WaitForMessagesTaken(uint32_t timeoutMs) const;
    // Until a program serves the channel.
    bool WaitForLive(uint32_t timeoutMs) const;

    // One raw request; returns the payload of "ok", throws ControlError otherwise.
    std::string Request(const std::string& request) const;

private:
    // Returns false when nobody serves the channel.
    bool TryRequest(const std::string& request, std::string* reply) const;

    std::string channel_;
};

}  // namespace simmodem
