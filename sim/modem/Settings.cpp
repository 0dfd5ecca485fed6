// Parsing of the setting lines shared by the DLL, the control library and the tool.
#include "sim/modem/Settings.h"

#include "sim/modem/TapiNames.h"

#include <windows.h>
#include <tapi.h>

namespace simmodem {
namespace {

const char* const kFunctionNames[kFunctionCount] = {
    "lineInitializeExA",
    "lineNegotiateAPIVersion",
    "lineGetDevCapsA",
    "lineOpenA",
    "lineSetStatusMessages",
    "lineGetMessage",
    "lineMakeCallA",
    "lineAnswer",
    "lineDrop",
    "lineClose",
    "lineShutdown",
    "lineGetCallInfoA",
    "lineDeallocateCall",
    "phoneInitializeExA",
    "phoneNegotiateAPIVersion",
    "phoneGetDevCapsA",
    "phoneOpen",
    "phoneSetStatusMessages",
    "phoneSetHookSwitch",
    "phoneGetMessage",
    "phoneClose",
    "phoneShutdown",
};

constexpr uint32_t kDataModes = LINEMEDIAMODE_DATAMODEM | LINEMEDIAMODE_INTERACTIVEVOICE;
constexpr uint32_t kVoiceModes =
    LINEMEDIAMODE_DATAMODEM | LINEMEDIAMODE_INTERACTIVEVOICE | LINEMEDIAMODE_AUTOMATEDVOICE;
constexpr uint32_t kMaxPadding = 65536;
constexpr size_t kMaxDevices = 16;

std::string ParseLineDevice(const std::string& word, size_t index, LineDeviceSetting* configured) {
    const size_t colon = word.find(':');
    const std::string kind = word.substr(0, colon);
    std::string name = colon == std::string::npos ? "" : word.substr(colon + 1);
    if (kind == "data") {
        configured->mediaModes = kDataModes;
        if (name.empty()) {
            name = "Simulated Data Modem";
        }
    } else if (kind == "voice") {
        configured->mediaModes = kVoiceModes;
        if (name.empty()) {
            name = "Simulated Voice Modem";
        }
    } else if (auto modes = ParseNumber(kind)) {
        configured->mediaModes = *modes;
        if (name.empty()) {
            name = "Simulated Modem " + std::to_string(index);
        }
    } else {
        return "a line device is data, voice or a media-mode number, optionally with :name, "
               "not '" +
               word + "'";
    }
    configured->name = name;
    return "";
}

std::string ApplyWords(Settings& s, const std::vector<std::string>& w) {
    const std::string& key = w[0];
    const size_t n = w.size();
    if (key == "reset" && n == 1) {
        s = Settings::Defaults();
        return "";
    }
    if (key == "lines" && n >= 2) {
        std::vector<LineDeviceSetting> lines;
        if (!(n == 2 && w[1] == "none")) {
            if (n - 1 > kMaxDevices) {
                return "at most 16 line devices";
            }
            for (size_t i = 1; i < n; ++i) {
                LineDeviceSetting configured;
                std::string error = ParseLineDevice(w[i], i - 1, &configured);
                if (!error.empty()) {
                    return error;
                }
                lines.push_back(configured);
            }
        }
        s.lines = lines;
        return "";
    }
    if (key == "phones" && n >= 2) {
        std::vector<std::string> phones;
        if (auto count = ParseNumber(w[1]); count && n == 2) {
            if (*count > kMaxDevices) {
                return "at most 16 phone devices";
            }
            for (uint32_t i = 0; i < *count; ++i) {
                phones.push_back(i == 0 ? "Simulated Voice Modem Speakerphone"
                                        : "Simulated Speakerphone " + std::to_string(i));
            }
        } else {
            if (n - 1 > kMaxDevices) {
                return "at most 16 phone devices";
            }
            phones.assign(w.begin() + 1, w.end());
        }
        s.phones = phones;
        return "";
    }
    if (key == "provider" && n == 2) {
        s.provider = w[1];
        return "";
    }
    if (key == "api-version" && n == 2) {
        auto version = ParseNumber(w[1]);
        if (!version || *version < kLowestApiVersion || *version > kHighestKnownApiVersion) {
            return "api-version must lie between 0x20000 and 0x30001";
        }
        s.highestApiVersion = *version;
        return "";
    }
    if (key == "connect" && n == 2 && (w[1] == "after-dialling" || w[1] == "far-end")) {
        s.connectAfterDialling = w[1] == "after-dialling";
        return "";
    }
    if (key == "hookswitch-result" && n == 2 && (w[1] == "request" || w[1] == "zero")) {
        s.hookSwitchResult =
            w[1] == "request" ? HookSwitchResult::RequestId : HookSwitchResult::Zero;
        return "";
    }
    if (key == "callinfo-padding" && n == 2) {
        auto bytes = ParseNumber(w[1]);
        if (!bytes || *bytes > kMaxPadding) {
            return "callinfo-padding takes 0 to 65536 bytes";
        }
        s.callInfoPadding = *bytes;
        return "";
    }
    if ((key == "callerid-offset" || key == "callerid-size" || key == "callinfo-needed") &&
        n == 2) {
        std::optional<uint32_t>& field = key == "callerid-offset" ? s.callerIdOffset
                                         : key == "callerid-size" ? s.callerIdSize
                                                                  : s.callInfoNeeded;
        if (w[1] == "auto") {
            field.reset();
            return "";
        }
        auto value = ParseNumber(w[1]);
        if (!value) {
            return key + " takes auto or a number";
        }
        field = *value;
        return "";
    }
    if (key == "event-handle" && n == 2 && (w[1] == "valid" || w[1] == "invalid")) {
        s.invalidEventHandle = w[1] == "invalid";
        return "";
    }
    if (key == "fail" && n == 2 && w[1] == "off") {
        s.failures.clear();
        return "";
    }
    if (key == "fail" && n >= 3 && n <= 4) {
        auto function = FunctionByName(w[1]);
        if (!function) {
            return "no function '" + w[1] + "' to fail";
        }
        if (n == 3 && w[2] == "off") {
            s.failures.erase(*function);
            return "";
        }
        auto code = ParseTapiResult(w[2]);
        if (!code || *code >= 0) {
            return "a failure needs a negative TAPI result, not '" + w[2] + "'";
        }
        Failure failure;
        failure.code = *code;
        const std::string when = n == 4 ? w[3] : "once";
        if (when == "always") {
            failure.when = Failure::When::Always;
        } else if (when == "reply") {
            if (!IsAsynchronous(*function)) {
                return w[1] + " answers at once; it has no reply to fail";
            }
            failure.inReply = true;
        } else if (when != "once") {
            return "a failure is once, always or reply, not '" + when + "'";
        }
        s.failures[*function] = failure;
        return "";
    }
    return "unknown setting '" + key + "' or wrong arguments";
}

}  // namespace

const char* FunctionName(Function function) {
    return kFunctionNames[static_cast<int>(function)];
}

std::optional<Function> FunctionByName(const std::string& name) {
    for (int i = 0; i < kFunctionCount; ++i) {
        if (name == kFunctionNames[i]) {
            return static_cast<Function>(i);
        }
    }
    return std::nullopt;
}

bool IsAsynchronous(Function function) {
    return function == Function::lineMakeCallA || function == Function::lineAnswer ||
           function == Function::lineDrop || function == Function::phoneSetHookSwitch;
}

Settings Settings::Defaults() {
    Settings s;
    s.lines = {{kDataModes, "Simulated Data Modem"}, {kVoiceModes, "Simulated Voice Modem"}};
    s.phones = {"Simulated Voice Modem Speakerphone"};
    return s;
}

bool SplitWords(const std::string& line, std::vector<std::string>* words) {
    words->clear();
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < line.size()) {
                word += line[++i];
            } else {
                word += c;
            }
        } else if (c == '"') {
            quoted = true;
            inWord = true;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (inWord) {
                words->push_back(word);
                word.clear();
                inWord = false;
            }
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted) {
        return false;
    }
    if (inWord) {
        words->push_back(word);
    }
    return true;
}

std::string QuoteWord(const std::string& word) {
    std::string quoted = "\"";
    for (char c : word) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + "\"";
}

std::string ApplySetting(Settings& settings, const std::string& line) {
    std::vector<std::string> words;
    if (!SplitWords(line, &words)) {
        return "unclosed quote in '" + line + "'";
    }
    if (words.empty() || words[0][0] == '#') {
        return "";
    }
    Settings changed = settings;
    std::string error = ApplyWords(changed, words);
    if (error.empty()) {
        settings = std::move(changed);
    }
    return error;
}

}  // namespace simmodem
