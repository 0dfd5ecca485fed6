// The name tables: the documented examples, completeness of the LINEERR_ range, and every
// code the line-message dispatch can post named after the very value it was posted for.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "modem/LineMessageDispatch.h"
#include "modem/TapiConstants.h"
#include "modem/TapiNames.h"

namespace {

TEST(TapiNames, DocumentedExamples) {
    EXPECT_EQ(TapiEventName(4), "LINE_CALLSTATE");
    EXPECT_EQ(TapiEventName(30), "");
    EXPECT_EQ(TapiEventName(41513), "LINEDISCONNECTMODE_DEFAULT");
    EXPECT_EQ(TapiEventName(4120), "LINEDIALTONEMODE_EXTERNAL");
    EXPECT_EQ(TapiEventName(41506), "LINEDISCONNECTMODE_NOANSWER");
    EXPECT_STREQ(LineErrorTableName(0x80000048), "LINEERR_OPERATIONFAILED");
    EXPECT_EQ(LineErrorTableName(0x80000031), nullptr);
    EXPECT_STREQ(PhoneErrorTableName(0x9000001C), "PHONEERR_OPERATIONFAILED");
    EXPECT_EQ(PhoneErrorTableName(0x90000002), nullptr);
}

TEST(TapiNames, OurOwnNamesForAnyOtherValueAndNothingForSummaryOrUnknownCodes) {
    const std::map<int32_t, std::string> ours = {{18, "LINE_DEFAULT"},
                                                 {416, "LINECALLSTATE_DEFAULT"},
                                                 {4114, "LINEBUSYMODE_DEFAULT"},
                                                 {4126, "LINEDIALTONEMODE_DEFAULT"},
                                                 {4145, "LINECONNECTEDMODE_DEFAULT"},
                                                 {41513, "LINEDISCONNECTMODE_DEFAULT"}};
    for (const auto& [code, name] : ours) {
        EXPECT_EQ(TapiEventName(code), name) << code;
    }
    // Summary codes, gaps, and the neighbours of each table.
    for (int32_t code : {0, 19, 30, 31, 32, 34, 35, 399, 417, 4115, 4132, 4146, 41499, 41514, -1}) {
        EXPECT_EQ(TapiEventName(code), "") << code;
    }
}

TEST(TapiNames, EveryLineErrorOfTapi20IsNamedExceptTheTwoWithoutConstant) {
    for (uint32_t value = 0x80000001; value <= 0x8000005C; ++value) {
        const bool hasConstant = value != 0x80000004 && value != 0x80000031;
        const char* name = LineErrorTableName(value);
        EXPECT_EQ(name != nullptr, hasConstant) << std::hex << value;
        if (name != nullptr) {
            EXPECT_EQ(std::string(name).rfind("LINEERR_", 0), 0u) << name;
        }
    }
    for (uint32_t value : {0u, 5u, 0x80000000u, 0x8000005Du, 0x80000061u, 0x90000001u}) {
        EXPECT_EQ(LineErrorTableName(value), nullptr) << std::hex << value;
    }
    EXPECT_STREQ(LineErrorTableName(0x80000001), "LINEERR_ALLOCATED");
    EXPECT_STREQ(LineErrorTableName(0x80000002), "LINEERR_BADDEVICEID");
    EXPECT_STREQ(LineErrorTableName(0x80000030), "LINEERR_INVALMESSAGEID");
    EXPECT_STREQ(LineErrorTableName(0x80000032), "LINEERR_INVALPARAM");
    EXPECT_STREQ(LineErrorTableName(0x8000005C), "LINEERR_DIALVOICEDETECT");
}

TEST(TapiNames, OnlyTheSevenInitialisationPhoneErrorsAreNamed) {
    const std::map<uint32_t, std::string> named = {
        {0x90000005, "PHONEERR_INIFILECORRUPT"}, {0x90000008, "PHONEERR_INVALAPPNAME"},
        {0x90000012, "PHONEERR_INVALPARAM"},     {0x90000015, "PHONEERR_INVALPOINTER"},
        {0x9000001A, "PHONEERR_NOMEM"},          {0x9000001C, "PHONEERR_OPERATIONFAILED"},
        {0x90000023, "PHONEERR_REINIT"},
    };
    for (uint32_t value = 0x90000000; value <= 0x90000030; ++value) {
        const auto it = named.find(value);
        const char* name = PhoneErrorTableName(value);
        if (it == named.end()) {
            EXPECT_EQ(name, nullptr) << std::hex << value;
        } else {
            EXPECT_STREQ(name, it->second.c_str());
        }
    }
}

// Every constant of the value lists, by its spelling.
const std::map<std::string, uint32_t>& ValuesByName() {
    static const std::map<std::string, uint32_t> values = {
#define VOXTELO_ENTRY(name, value) {#name, value},
        VOXTELO_TAPI_ALL_VALUES(VOXTELO_ENTRY)
#undef VOXTELO_ENTRY
    };
    return values;
}

class CodeRecorder : public LineEventSink {
public:
    void PostCode(int code) override { codes.push_back(code); }
    void SetCurrentCall(uint32_t) override {}
    bool HasCallerId() override { return false; }
    void FetchCallerId() override {}
    void ClearCallerId() override {}
    void KeepFailedReply(uint32_t, int32_t) override {}
    bool IsOpenLineDevice(uint32_t) override { return false; }
    std::vector<int> codes;
};

std::vector<int> CodesFor(uint32_t messageId, uintptr_t param1, uintptr_t param2) {
    CodeRecorder recorder;
    DispatchLineMessage(LineMessage{1, messageId, 1, param1, param2, 0}, recorder);
    return recorder.codes;
}

TEST(TapiNames, EachPostedCodeIsNamedAfterTheValueItWasPostedFor) {
    const std::string messagePrefix = "LINE_";
    const std::string statePrefix = "LINECALLSTATE_";
    // Mode constants by the state they follow.
    const std::map<std::string, uint32_t> modeStates = {
        {"LINEBUSYMODE_", tapi::LINECALLSTATE_BUSY},
        {"LINEDIALTONEMODE_", tapi::LINECALLSTATE_DIALTONE},
        {"LINEOFFERINGMODE_", tapi::LINECALLSTATE_OFFERING},
        {"LINECONNECTEDMODE_", tapi::LINECALLSTATE_CONNECTED},
        {"LINEDISCONNECTMODE_", tapi::LINECALLSTATE_DISCONNECTED},
    };
    int checked = 0;
    for (const auto& [name, value] : ValuesByName()) {
        SCOPED_TRACE(name);
        if (name.rfind(messagePrefix, 0) == 0) {
            const std::vector<int> codes = CodesFor(value, 0, 0);
            ASSERT_FALSE(codes.empty());
            EXPECT_EQ(TapiEventName(codes.front()), name);
            ++checked;
        } else if (name.rfind(statePrefix, 0) == 0) {
            const std::vector<int> codes = CodesFor(tapi::LINE_CALLSTATE, value, 0);
            ASSERT_GE(codes.size(), 2u);
            EXPECT_EQ(TapiEventName(codes[1]), name);
            ++checked;
        }
        for (const auto& [prefix, state] : modeStates) {
            if (name.rfind(prefix, 0) != 0) {
                continue;
            }
            // The mode code is the one just before the summary code, or the last one.
            const std::vector<int> codes = CodesFor(tapi::LINE_CALLSTATE, state, value);
            const bool endsWithSummary = codes.back() >= 30 && codes.back() <= 34;
            const int modeCode = codes[codes.size() - (endsWithSummary ? 2 : 1)];
            EXPECT_EQ(TapiEventName(modeCode), name);
            ++checked;
        }
    }
    // 17 messages, 16 states and 30 modes.
    EXPECT_EQ(checked, 63);
}

}  // namespace
