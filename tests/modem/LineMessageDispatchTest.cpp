// The codes and side effects of every line message, call state and mode, in posting order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "modem/LineMessageDispatch.h"
#include "modem/TapiConstants.h"

namespace {

using Trace = std::vector<std::string>;

// Records what the dispatch asked of the device, in order; codes as their numbers.
class RecordingSink : public LineEventSink {
public:
    void PostCode(int code) override { trace.push_back(std::to_string(code)); }
    void SetCurrentCall(uint32_t call) override { trace.push_back("call " + std::to_string(call)); }
    bool HasCallerId() override { return callerIdStored; }
    void FetchCallerId() override {
        trace.push_back("fetch");
        callerIdStored = true;
    }
    void ClearCallerId() override {
        trace.push_back("clear");
        callerIdStored = false;
    }

    Trace trace;
    bool callerIdStored = false;
};

constexpr uint32_t kCallHandle = 0x10077;

LineMessage Message(uint32_t id, uintptr_t param1 = 0, uintptr_t param2 = 0,
                    uintptr_t instance = 1) {
    return LineMessage{kCallHandle, id, instance, param1, param2, 0};
}

Trace Dispatch(const LineMessage& message, bool callerIdStored = false) {
    RecordingSink sink;
    sink.callerIdStored = callerIdStored;
    DispatchLineMessage(message, sink);
    return sink.trace;
}

std::string Hex(uintptr_t value) {
    char text[32];
    snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

TEST(LineMessageDispatch, EachMessagePostsItsAlphabeticalCodeAndUnlistedOnes18) {
    struct Row {
        uint32_t id;
        const char* code;
    };
    const Row rows[] = {
        {tapi::LINE_ADDRESSSTATE, "1"},
        {tapi::LINE_APPNEWCALL, "2"},
        {tapi::LINE_CLOSE, "5"},
        {tapi::LINE_CREATE, "6"},
        {tapi::LINE_DEVSPECIFIC, "7"},
        {tapi::LINE_DEVSPECIFICFEATURE, "8"},
        {tapi::LINE_GATHERDIGITS, "9"},
        {tapi::LINE_GENERATE, "10"},
        {tapi::LINE_LINEDEVSTATE, "11"},
        {tapi::LINE_MONITORDIGITS, "12"},
        {tapi::LINE_MONITORMEDIA, "13"},
        {tapi::LINE_MONITORTONE, "14"},
        {tapi::LINE_REMOVE, "15"},
        {tapi::LINE_REPLY, "16"},
        {tapi::LINE_REQUEST, "17"},
        // Unlisted: phone messages, agent and proxy messages, TAPI 3 ones, garbage.
        {14, "18"},
        {21, "18"},
        {24, "18"},
        {34, "18"},
        {0xFFFFFFFF, "18"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        EXPECT_EQ(Dispatch(Message(row.id, tapi::LINECALLSTATE_IDLE)), Trace{row.code});
    }
}

TEST(LineMessageDispatch, CallStatesWithoutFollowUpsPostTheirCodeAfter4) {
    struct Row {
        uintptr_t state;
        const char* code;
    };
    const Row rows[] = {
        {tapi::LINECALLSTATE_ACCEPTED, "400"},
        {tapi::LINECALLSTATE_CONFERENCED, "401"},
        {tapi::LINECALLSTATE_DIALING, "402"},
        {tapi::LINECALLSTATE_ONHOLD, "403"},
        {tapi::LINECALLSTATE_ONHOLDPENDCONF, "404"},
        {tapi::LINECALLSTATE_ONHOLDPENDTRANSFER, "405"},
        {tapi::LINECALLSTATE_PROCEEDING, "406"},
        {tapi::LINECALLSTATE_RINGBACK, "407"},
        {tapi::LINECALLSTATE_SPECIALINFO, "408"},
        {tapi::LINECALLSTATE_UNKNOWN, "409"},
        // Unlisted states, two bits set among them, take the "any other" code.
        {0, "416"},
        {tapi::LINECALLSTATE_IDLE | tapi::LINECALLSTATE_OFFERING, "416"},
        {tapi::LINECALLSTATE_CONNECTED | tapi::LINECALLSTATE_DISCONNECTED, "416"},
        {0x00010000, "416"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Hex(row.state));
        EXPECT_EQ(Dispatch(Message(tapi::LINE_CALLSTATE, row.state, 0x1)), (Trace{"4", row.code}));
    }
}

TEST(LineMessageDispatch, CallStatesWithFollowUpsPostModesAndSummaryCodes) {
    struct Row {
        uintptr_t state;
        uintptr_t mode;
        uintptr_t instance;
        Trace expected;
    };
    const std::string call = "call " + std::to_string(kCallHandle);
    const Row rows[] = {
        {tapi::LINECALLSTATE_IDLE, 0, 1, {"4", "410", "31"}},
        {tapi::LINECALLSTATE_IDLE, 0x7, 1, {"4", "410", "31"}},

        {tapi::LINECALLSTATE_BUSY, tapi::LINEBUSYMODE_STATION, 1, {"4", "411", "4110"}},
        {tapi::LINECALLSTATE_BUSY, tapi::LINEBUSYMODE_TRUNK, 1, {"4", "411", "4111"}},
        {tapi::LINECALLSTATE_BUSY, tapi::LINEBUSYMODE_UNKNOWN, 1, {"4", "411", "4112"}},
        {tapi::LINECALLSTATE_BUSY, tapi::LINEBUSYMODE_UNAVAIL, 1, {"4", "411", "4113"}},
        {tapi::LINECALLSTATE_BUSY, 0, 1, {"4", "411", "4114"}},
        {tapi::LINECALLSTATE_BUSY, 0x3, 1, {"4", "411", "4114"}},

        {tapi::LINECALLSTATE_DIALTONE, tapi::LINEDIALTONEMODE_EXTERNAL, 1, {"4", "412", "4120"}},
        {tapi::LINECALLSTATE_DIALTONE, tapi::LINEDIALTONEMODE_INTERNAL, 1, {"4", "412", "4121"}},
        {tapi::LINECALLSTATE_DIALTONE, tapi::LINEDIALTONEMODE_NORMAL, 1, {"4", "412", "4122"}},
        {tapi::LINECALLSTATE_DIALTONE, tapi::LINEDIALTONEMODE_SPECIAL, 1, {"4", "412", "4123"}},
        {tapi::LINECALLSTATE_DIALTONE, tapi::LINEDIALTONEMODE_UNAVAIL, 1, {"4", "412", "4124"}},
        {tapi::LINECALLSTATE_DIALTONE, tapi::LINEDIALTONEMODE_UNKNOWN, 1, {"4", "412", "4125"}},
        {tapi::LINECALLSTATE_DIALTONE, 0x40, 1, {"4", "412", "4126"}},
        {tapi::LINECALLSTATE_DIALTONE, 0x9, 1, {"4", "412", "4126"}},

        // The offered call becomes current before anything is posted about it.
        {tapi::LINECALLSTATE_OFFERING,
         tapi::LINEOFFERINGMODE_ACTIVE,
         1,
         {"4", call, "413", "4130", "32"}},
        {tapi::LINECALLSTATE_OFFERING,
         tapi::LINEOFFERINGMODE_INACTIVE,
         1,
         {"4", call, "413", "4131", "32"}},
        {tapi::LINECALLSTATE_OFFERING, 0, 1, {"4", call, "413", "32"}},
        {tapi::LINECALLSTATE_OFFERING, 0x3, 0, {"4", call, "413", "32"}},

        {tapi::LINECALLSTATE_CONNECTED,
         tapi::LINECONNECTEDMODE_ACTIVE,
         1,
         {"4", "414", "4140", "30"}},
        {tapi::LINECALLSTATE_CONNECTED,
         tapi::LINECONNECTEDMODE_ACTIVEHELD,
         1,
         {"4", "414", "4141", "30"}},
        {tapi::LINECALLSTATE_CONNECTED,
         tapi::LINECONNECTEDMODE_CONFIRMED,
         1,
         {"4", "414", "4142", "30"}},
        {tapi::LINECALLSTATE_CONNECTED,
         tapi::LINECONNECTEDMODE_INACTIVE,
         1,
         {"4", "414", "4143", "30"}},
        {tapi::LINECALLSTATE_CONNECTED,
         tapi::LINECONNECTEDMODE_INACTIVEHELD,
         1,
         {"4", "414", "4144", "30"}},
        {tapi::LINECALLSTATE_CONNECTED, 0, 1, {"4", "414", "4145", "30"}},
        {tapi::LINECALLSTATE_CONNECTED, 0x3, 1, {"4", "414", "4145", "30"}},
        // 414 only for the callback instance our line is opened with.
        {tapi::LINECALLSTATE_CONNECTED, tapi::LINECONNECTEDMODE_ACTIVE, 0, {"4", "4140", "30"}},
        {tapi::LINECALLSTATE_CONNECTED, tapi::LINECONNECTEDMODE_ACTIVE, 2, {"4", "4140", "30"}},
        {tapi::LINECALLSTATE_CONNECTED, 0x3, 0x101, {"4", "4145", "30"}},

        {tapi::LINECALLSTATE_DISCONNECTED, 0, 1, {"4", "415", "clear", "41513", "31"}},
        {tapi::LINECALLSTATE_DISCONNECTED, 0x3, 1, {"4", "415", "clear", "41513", "31"}},
        {tapi::LINECALLSTATE_DISCONNECTED, 0x2000, 1, {"4", "415", "clear", "41513", "31"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Hex(row.state) + " mode " + Hex(row.mode) + " instance " +
                     std::to_string(row.instance));
        EXPECT_EQ(Dispatch(Message(tapi::LINE_CALLSTATE, row.state, row.mode, row.instance)),
                  row.expected);
    }
}

TEST(LineMessageDispatch, EachSingleBitDisconnectModeGets41500PlusItsBitIndex) {
    const uintptr_t modes[] = {
        tapi::LINEDISCONNECTMODE_NORMAL,       tapi::LINEDISCONNECTMODE_UNKNOWN,
        tapi::LINEDISCONNECTMODE_REJECT,       tapi::LINEDISCONNECTMODE_PICKUP,
        tapi::LINEDISCONNECTMODE_FORWARDED,    tapi::LINEDISCONNECTMODE_BUSY,
        tapi::LINEDISCONNECTMODE_NOANSWER,     tapi::LINEDISCONNECTMODE_BADADDRESS,
        tapi::LINEDISCONNECTMODE_UNREACHABLE,  tapi::LINEDISCONNECTMODE_CONGESTION,
        tapi::LINEDISCONNECTMODE_INCOMPATIBLE, tapi::LINEDISCONNECTMODE_UNAVAIL,
        tapi::LINEDISCONNECTMODE_NODIALTONE,
    };
    int bit = 0;
    for (uintptr_t mode : modes) {
        SCOPED_TRACE(Hex(mode));
        const std::string code = std::to_string(41500 + bit++);
        EXPECT_EQ(
            Dispatch(Message(tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_DISCONNECTED, mode), true),
            (Trace{"4", "415", "clear", code, "31"}));
    }
}

TEST(LineMessageDispatch, CallInfoFetchesTheCallerIdOnlyForTheCallerIdBitAloneAndOnce) {
    struct Row {
        uintptr_t param1;
        bool stored;
        Trace expected;
    };
    const Row rows[] = {
        {tapi::LINECALLINFOSTATE_CALLERID, false, {"3", "fetch", "34"}},
        {tapi::LINECALLINFOSTATE_CALLERID, true, {"3"}},
        {tapi::LINECALLINFOSTATE_CALLERID | 0x1, false, {"3"}},
        {tapi::LINECALLINFOSTATE_CALLERID | 0x00010000, false, {"3"}},
        {0x1, false, {"3"}},
        {0, false, {"3"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Hex(row.param1) + (row.stored ? " stored" : " none stored"));
        EXPECT_EQ(Dispatch(Message(tapi::LINE_CALLINFO, row.param1), row.stored), row.expected);
    }
}

TEST(LineMessageDispatch, AHangUpClearsTheCallerIdSoTheNextCallFetchesItsOwn) {
    RecordingSink sink;
    const LineMessage callerId = Message(tapi::LINE_CALLINFO, tapi::LINECALLINFOSTATE_CALLERID);
    DispatchLineMessage(callerId, sink);
    DispatchLineMessage(callerId, sink);  // a repeated notice of the same call
    DispatchLineMessage(Message(tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_DISCONNECTED,
                                tapi::LINEDISCONNECTMODE_NORMAL),
                        sink);
    DispatchLineMessage(callerId, sink);
    EXPECT_EQ(sink.trace, (Trace{"3", "fetch", "34", "3", "4", "415", "clear", "41500", "31", "3",
                                 "fetch", "34"}));
}

}  // namespace
