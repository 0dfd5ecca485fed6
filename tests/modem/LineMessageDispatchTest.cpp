// The codes and side effects of every line message, call state and mode, in posting order.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "modem/LineMessageDispatch.h"
#include "modem/TapiConstants.h"

namespace {

using namespace tapi;
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
    void KeepFailedReply(uint32_t request, int32_t result) override {
        trace.push_back("failed " + std::to_string(request) + " " + std::to_string(result));
    }
    bool IsOpenLineDevice(uint32_t device) override { return device == kOpenDevice; }

    static constexpr uint32_t kOpenDevice = 2;
    Trace trace;
    bool callerIdStored = false;
};

constexpr uint32_t kCall = 77;

Trace Dispatch(uint32_t id, uintptr_t param1, uintptr_t param2 = 0, uintptr_t instance = 1,
               bool callerIdStored = false) {
    RecordingSink sink;
    sink.callerIdStored = callerIdStored;
    DispatchLineMessage(LineMessage{kCall, id, instance, param1, param2, 0}, sink);
    return sink.trace;
}

TEST(LineMessageDispatch, EachMessagePostsItsAlphabeticalCodeAndUnlistedOnes18) {
    // The last five: phone, agent, proxy and TAPI 3 messages, and garbage.
    const std::pair<uint32_t, const char*> rows[] = {
        {LINE_ADDRESSSTATE, "1"},
        {LINE_APPNEWCALL, "2"},
        {LINE_CREATE, "6"},
        {LINE_DEVSPECIFIC, "7"},
        {LINE_DEVSPECIFICFEATURE, "8"},
        {LINE_GATHERDIGITS, "9"},
        {LINE_GENERATE, "10"},
        {LINE_LINEDEVSTATE, "11"},
        {LINE_MONITORDIGITS, "12"},
        {LINE_MONITORMEDIA, "13"},
        {LINE_MONITORTONE, "14"},
        {LINE_REMOVE, "15"},
        {LINE_REPLY, "16"},
        {LINE_REQUEST, "17"},
        {14, "18"},
        {21, "18"},
        {24, "18"},
        {34, "18"},
        {0xFFFFFFFF, "18"},
    };
    for (const auto& [id, code] : rows) {
        EXPECT_EQ(Dispatch(id, LINECALLSTATE_IDLE), Trace{code}) << id;
    }
}

TEST(LineMessageDispatch, ALostLineAndAFailedReplyFollowTheirCodeWithTheirSummary) {
    // 64-bit TAPI may hand the LONG result over sign-extended or not.
    const auto result = static_cast<int32_t>(LINEERR_OPERATIONFAILED);
    const auto signExtended = static_cast<uintptr_t>(static_cast<intptr_t>(result));
    const uintptr_t zeroExtended = LINEERR_OPERATIONFAILED;
    const std::string failed = "failed 9 " + std::to_string(result);
    struct Row {
        uint32_t id;
        uintptr_t param1;
        uintptr_t param2;
        Trace expected;
    };
    const Row rows[] = {
        {LINE_CLOSE, 0, 0, {"5", "36"}},
        {LINE_REMOVE, RecordingSink::kOpenDevice, 0, {"15", "36"}},
        {LINE_REMOVE, 0, 0, {"15"}},  // another device
        {LINE_LINEDEVSTATE, LINEDEVSTATE_REINIT, 0, {"11", "36"}},
        {LINE_LINEDEVSTATE, LINEDEVSTATE_REINIT | 0x1, 0, {"11", "36"}},
        {LINE_LINEDEVSTATE, 0x2, 1, {"11"}},  // a ring
        {LINE_REPLY, 9, 0, {"16"}},
        {LINE_REPLY, 9, signExtended, {"16", failed, "33"}},
        {LINE_REPLY, 9, zeroExtended, {"16", failed, "33"}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Dispatch(row.id, row.param1, row.param2), row.expected)
            << row.id << " " << row.param1 << " " << row.param2;
    }
}

TEST(LineMessageDispatch, CallStatesWithoutModesPostTheirCodeAfter4) {
    // The last four are unlisted states, two bits set among them.
    const std::pair<uintptr_t, const char*> rows[] = {
        {LINECALLSTATE_ACCEPTED, "400"},
        {LINECALLSTATE_CONFERENCED, "401"},
        {LINECALLSTATE_DIALING, "402"},
        {LINECALLSTATE_ONHOLD, "403"},
        {LINECALLSTATE_ONHOLDPENDCONF, "404"},
        {LINECALLSTATE_ONHOLDPENDTRANSFER, "405"},
        {LINECALLSTATE_PROCEEDING, "406"},
        {LINECALLSTATE_RINGBACK, "407"},
        {LINECALLSTATE_SPECIALINFO, "408"},
        {LINECALLSTATE_UNKNOWN, "409"},
        {0, "416"},
        {0x00010000, "416"},
        {LINECALLSTATE_IDLE | LINECALLSTATE_OFFERING, "416"},
        {LINECALLSTATE_CONNECTED | LINECALLSTATE_DISCONNECTED, "416"},
    };
    for (const auto& [state, code] : rows) {
        EXPECT_EQ(Dispatch(LINE_CALLSTATE, state, 0x1), (Trace{"4", code})) << state;
    }
    EXPECT_EQ(Dispatch(LINE_CALLSTATE, LINECALLSTATE_IDLE, 0x7), (Trace{"4", "410", "31"}));
}

TEST(LineMessageDispatch, ModesAreComparedAsWholeValuesBetweenTheStateAndSummaryCodes) {
    // "M" marks where the mode code goes; "" as a code means none is posted. The offered
    // call becomes current before anything is posted about it. Single-bit disconnect modes
    // give 41500 plus the bit's index.
    struct StateModes {
        uintptr_t state;
        Trace pattern;
        std::vector<std::pair<uintptr_t, std::string>> modes;
    };
    const std::string call = "call " + std::to_string(kCall);
    const StateModes states[] = {
        {LINECALLSTATE_BUSY,
         {"4", "411", "M"},
         {{LINEBUSYMODE_STATION, "4110"},
          {LINEBUSYMODE_TRUNK, "4111"},
          {LINEBUSYMODE_UNKNOWN, "4112"},
          {LINEBUSYMODE_UNAVAIL, "4113"},
          {0, "4114"},
          {0x3, "4114"}}},
        {LINECALLSTATE_DIALTONE,
         {"4", "412", "M"},
         {{LINEDIALTONEMODE_EXTERNAL, "4120"},
          {LINEDIALTONEMODE_INTERNAL, "4121"},
          {LINEDIALTONEMODE_NORMAL, "4122"},
          {LINEDIALTONEMODE_SPECIAL, "4123"},
          {LINEDIALTONEMODE_UNAVAIL, "4124"},
          {LINEDIALTONEMODE_UNKNOWN, "4125"},
          {0x40, "4126"},
          {0x9, "4126"}}},
        {LINECALLSTATE_OFFERING,
         {"4", call, "413", "M", "32"},
         {{LINEOFFERINGMODE_ACTIVE, "4130"},
          {LINEOFFERINGMODE_INACTIVE, "4131"},
          {0, ""},
          {0x3, ""}}},
        {LINECALLSTATE_CONNECTED,
         {"4", "414", "M", "30"},
         {{LINECONNECTEDMODE_ACTIVE, "4140"},
          {LINECONNECTEDMODE_ACTIVEHELD, "4141"},
          {LINECONNECTEDMODE_CONFIRMED, "4142"},
          {LINECONNECTEDMODE_INACTIVE, "4143"},
          {LINECONNECTEDMODE_INACTIVEHELD, "4144"},
          {0, "4145"},
          {0x3, "4145"}}},
        {LINECALLSTATE_DISCONNECTED,
         {"4", "415", "clear", "M", "31"},
         {{LINEDISCONNECTMODE_NORMAL, "41500"},
          {LINEDISCONNECTMODE_UNKNOWN, "41501"},
          {LINEDISCONNECTMODE_REJECT, "41502"},
          {LINEDISCONNECTMODE_PICKUP, "41503"},
          {LINEDISCONNECTMODE_FORWARDED, "41504"},
          {LINEDISCONNECTMODE_BUSY, "41505"},
          {LINEDISCONNECTMODE_NOANSWER, "41506"},
          {LINEDISCONNECTMODE_BADADDRESS, "41507"},
          {LINEDISCONNECTMODE_UNREACHABLE, "41508"},
          {LINEDISCONNECTMODE_CONGESTION, "41509"},
          {LINEDISCONNECTMODE_INCOMPATIBLE, "41510"},
          {LINEDISCONNECTMODE_UNAVAIL, "41511"},
          {LINEDISCONNECTMODE_NODIALTONE, "41512"},
          {0, "41513"},
          {0x3, "41513"},
          {0x2000, "41513"}}},
    };
    for (const StateModes& row : states) {
        for (const auto& [mode, code] : row.modes) {
            Trace expected;
            for (const std::string& step : row.pattern) {
                if (step != "M") {
                    expected.push_back(step);
                } else if (!code.empty()) {
                    expected.push_back(code);
                }
            }
            EXPECT_EQ(Dispatch(LINE_CALLSTATE, row.state, mode, 1, true), expected)
                << "state " << row.state << " mode " << mode;
        }
    }
}

TEST(LineMessageDispatch, ConnectedPosts414OnlyForCallbackInstance1) {
    EXPECT_EQ(Dispatch(LINE_CALLSTATE, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE, 1),
              (Trace{"4", "414", "4140", "30"}));
    for (uintptr_t instance : {0, 2, 0x101}) {
        EXPECT_EQ(Dispatch(LINE_CALLSTATE, LINECALLSTATE_CONNECTED, 0x3, instance),
                  (Trace{"4", "4145", "30"}))
            << instance;
    }
}

TEST(LineMessageDispatch, CallInfoFetchesTheCallerIdOnlyForTheCallerIdBitAloneAndOnce) {
    struct Row {
        uintptr_t param1;
        bool stored;
        Trace expected;
    };
    const Row rows[] = {
        {LINECALLINFOSTATE_CALLERID, false, {"3", "fetch", "34"}},
        {LINECALLINFOSTATE_CALLERID, true, {"3"}},
        {LINECALLINFOSTATE_CALLERID | 0x1, false, {"3"}},
        {LINECALLINFOSTATE_CALLERID | 0x00010000, false, {"3"}},
        {0x1, false, {"3"}},
        {0, false, {"3"}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Dispatch(LINE_CALLINFO, row.param1, 0, 1, row.stored), row.expected)
            << row.param1 << (row.stored ? " stored" : "");
    }
}

TEST(LineMessageDispatch, AHangUpClearsTheCallerIdSoTheNextCallFetchesItsOwn) {
    RecordingSink sink;
    const LineMessage callerId{kCall, LINE_CALLINFO, 1, LINECALLINFOSTATE_CALLERID, 0, 0};
    DispatchLineMessage(callerId, sink);
    DispatchLineMessage(callerId, sink);  // a repeated notice of the same call
    DispatchLineMessage(LineMessage{kCall, LINE_CALLSTATE, 1, LINECALLSTATE_DISCONNECTED, 0x1, 0},
                        sink);
    DispatchLineMessage(callerId, sink);
    EXPECT_EQ(sink.trace, (Trace{"3", "fetch", "34", "3", "4", "415", "clear", "41500", "31", "3",
                                 "fetch", "34"}));
}

}  // namespace
