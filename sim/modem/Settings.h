// The simulated modem's configuration, changed one text line at a time. The same lines make
// up the configuration file read when the DLL loads and travel over the control channel.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace simmodem {

// Every function the DLL exports; failures can be injected into each of them.
enum class Function {
    lineInitializeExA,
    lineNegotiateAPIVersion,
    lineGetDevCapsA,
    lineOpenA,
    lineSetStatusMessages,
    lineGetMessage,
    lineMakeCallA,
    lineAnswer,
    lineDrop,
    lineClose,
    lineShutdown,
    lineGetCallInfoA,
    lineDeallocateCall,
    phoneInitializeExA,
    phoneNegotiateAPIVersion,
    phoneGetDevCapsA,
    phoneOpen,
    phoneSetStatusMessages,
    phoneSetHookSwitch,
    phoneGetMessage,
    phoneClose,
    phoneShutdown,
};
constexpr int kFunctionCount = static_cast<int>(Function::phoneShutdown) + 1;

const char* FunctionName(Function function);
std::optional<Function> FunctionByName(const std::string& name);
// The ones that answer later with LINE_REPLY / PHONE_REPLY.
bool IsAsynchronous(Function function);

struct LineDeviceSetting {
    uint32_t mediaModes;
    std::string name;
    bool removed = false;  // taken out by the remove-line command: LINEERR_NODEVICE
};

struct Failure {
    enum class When { Once, Always };
    int32_t code = 0;
    When when = When::Once;
    // Asynchronous functions only: return a request id and carry the code in the reply.
    bool inReply = false;
};

enum class HookSwitchResult { RequestId, Zero };

struct Settings {
    std::vector<LineDeviceSetting> lines;
    std::vector<std::string> phones;  // names of the phone devices
    std::string provider = "Unimodem (Voxtelo simulated voice modem)";
    uint32_t highestApiVersion = 0x00030001;  // what TAPI on current Windows reports
    // true: an outgoing call connects as soon as dialling is done (a voice modem cannot hear
    // the far end pick up); false: it waits in PROCEEDING for the far end's answer command.
    bool connectAfterDialling = true;
    HookSwitchResult hookSwitchResult = HookSwitchResult::RequestId;
    uint32_t callInfoPadding = 0;            // extra bytes ahead of the caller ID in LINECALLINFO
    std::optional<uint32_t> callerIdOffset;  // reported instead of the true values
    std::optional<uint32_t> callerIdSize;
    std::optional<uint32_t> callInfoNeeded;  // dwNeededSize reported instead of the true one
    bool invalidEventHandle = false;         // hand out an event that is no handle at all
    std::map<Function, Failure> failures;

    static Settings Defaults();
};

constexpr uint32_t kLowestApiVersion = 0x00020000;
constexpr uint32_t kHighestKnownApiVersion = 0x00030001;

// Applies one setting line to `settings`. Returns "" or what is wrong with the line; on an
// error `settings` is unchanged. Blank lines and lines starting with '#' are accepted as is.
std::string ApplySetting(Settings& settings, const std::string& line);

// Splits a line at blanks; double quotes group blanks into a word ("My Modem"), a backslash
// inside quotes takes the next character as it is. Returns false on an unclosed quote.
bool SplitWords(const std::string& line, std::vector<std::string>* words);
// The word quoted so that SplitWords gives it back unchanged.
std::string QuoteWord(const std::string& word);

}  // namespace simmodem
