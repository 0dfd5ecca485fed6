// TapiDevice against the simulated voice modem: the choice of line, the codes each line
// message posts, the caller ID, the call parameters, the phone device and teardown.
#include "modem/TapiDevice.h"

#include <tlhelp32.h>

#include <algorithm>
#include <memory>

#include "tests/modem/ModemTestSupport.h"

namespace {

using modemtest::CallsOf;
using modemtest::FunctionsCalled;
using modemtest::Join;
using simmodem::LineDevice;

LineDevice Data() {
    return {LineDevice::Kind::Data, 0, ""};
}
LineDevice Voice() {
    return {LineDevice::Kind::Voice, 0, ""};
}

size_t ThreadsOfThisProcess() {
    fw::KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    size_t count = 0;
    for (BOOL more = Thread32First(snapshot.Get(), &entry); more;
         more = Thread32Next(snapshot.Get(), &entry)) {
        count += entry.th32OwnerProcessID == GetCurrentProcessId() ? 1 : 0;
    }
    return count;
}

class TapiDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        control.ResetConfiguration();
        control.ClearRecord();
        ASSERT_TRUE(host.CreateModeless(nullptr));
        host.modemEvent = [this](int code) {
            codes.push_back(code);
            return LRESULT{1};
        };
    }

    void Open() {
        device = std::make_unique<TapiDevice>(host.Handle());
        ASSERT_EQ(device->OpenLine(true), 0);
    }

    // Every code posted for the messages queued so far, in order. Codes that arrived after
    // the sentinel belong to the next step and stay.
    std::vector<int> Settle() {
        control.Inject(modemtest::kSentinelMessage);
        auto sentinel = [&] {
            return std::find(codes.begin(), codes.end(), modemtest::kSentinelCode);
        };
        const bool arrived = modemtest::SettleOn([&] { return sentinel() != codes.end(); });
        EXPECT_TRUE(arrived) << "codes so far: " << Join(codes);
        const auto at = sentinel();
        std::vector<int> taken(codes.begin(), at);
        codes.erase(codes.begin(), at == codes.end() ? at : at + 1);
        return taken;
    }

    simmodem::Control control;
    test::BackendHost host;
    std::vector<int> codes;
    std::unique_ptr<TapiDevice> device;
};

TEST_F(TapiDeviceTest, OpensTheFirstLineThatSpeaksAutomatedVoice) {
    control.SetLineDevices({Data(), Data(), Voice(), Voice()});
    Open();
    const auto init = CallsOf(control, "lineInitializeExA");
    ASSERT_EQ(init.size(), 1u);
    EXPECT_EQ(init[0].Text("app"), "Voxtelo");
    EXPECT_EQ(init[0].Number("version"), 0x20000u);

    const auto opened = CallsOf(control, "lineOpenA");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].Number("device"), 2u);
    EXPECT_EQ(opened[0].Number("privileges"), 6u);  // monitor and owner
    EXPECT_EQ(opened[0].Number("mediaModes"), 8u);  // automated voice
    EXPECT_EQ(opened[0].Number("instance"), 1u);

    const auto status = CallsOf(control, "lineSetStatusMessages");
    ASSERT_EQ(status.size(), 1u);
    EXPECT_EQ(status[0].Number("lineStates"), 0x01FFFFFFu);
    EXPECT_EQ(status[0].Number("addressStates"), 0u);
}

TEST_F(TapiDeviceTest, WithoutAVoiceLineOpenFailsWithBadDeviceIdAndStartsNoThread) {
    control.SetLineDevices({Data(), Data()});
    const size_t threadsBefore = ThreadsOfThisProcess();
    device = std::make_unique<TapiDevice>(host.Handle());
    EXPECT_EQ(static_cast<uint32_t>(device->OpenLine(true)), 0x80000002u);
    EXPECT_EQ(ThreadsOfThisProcess(), threadsBefore);
    EXPECT_TRUE(CallsOf(control, "lineOpenA").empty());

    device.reset();  // the initialised application is shut down with the object
    EXPECT_EQ(CallsOf(control, "lineShutdown").size(), 1u);
}

TEST_F(TapiDeviceTest, ReturnsTheErrorOfTheStepThatFailedAndShutsDown) {
    struct Case {
        const char* function;
        int32_t error;
        size_t shutdowns;  // lineShutdown calls by the end of OpenLine
    };
    const Case cases[] = {
        {"lineInitializeExA", static_cast<int32_t>(LINEERR_NOMEM), 0},
        {"lineOpenA", static_cast<int32_t>(LINEERR_RESOURCEUNAVAIL), 1},
        {"lineSetStatusMessages", static_cast<int32_t>(LINEERR_OPERATIONFAILED), 1},
    };
    for (const Case& c : cases) {
        control.ClearRecord();
        control.FailNext(c.function, c.error);
        TapiDevice failing(host.Handle());
        EXPECT_EQ(failing.OpenLine(true), c.error) << c.function;
        EXPECT_EQ(CallsOf(control, "lineShutdown").size(), c.shutdowns) << c.function;
    }
}

TEST_F(TapiDeviceTest, EachCallStatePostsItsCodesInOrder) {
    Open();
    struct Case {
        const char* what;
        uint32_t state;
        uint32_t mode;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"accepted", LINECALLSTATE_ACCEPTED, 0, {4, 400}},
        {"dialing", LINECALLSTATE_DIALING, 0, {4, 402}},
        {"ringback", LINECALLSTATE_RINGBACK, 0, {4, 407}},
        {"busy, trunk", LINECALLSTATE_BUSY, LINEBUSYMODE_TRUNK, {4, 411, 4111}},
        {"busy, two bits", LINECALLSTATE_BUSY, 0x3, {4, 411, 4114}},
        {"dial tone, special", LINECALLSTATE_DIALTONE, LINEDIALTONEMODE_SPECIAL, {4, 412, 4123}},
        {"offering, mode 0", LINECALLSTATE_OFFERING, 0, {4, 413, 32}},
        {"offering, inactive",
         LINECALLSTATE_OFFERING,
         LINEOFFERINGMODE_INACTIVE,
         {4, 413, 4131, 32}},
        {"connected, confirmed",
         LINECALLSTATE_CONNECTED,
         LINECONNECTEDMODE_CONFIRMED,
         {4, 414, 4142, 30}},
        {"disconnected, busy",
         LINECALLSTATE_DISCONNECTED,
         LINEDISCONNECTMODE_BUSY,
         {4, 415, 41505, 31}},
        {"disconnected, no dial tone",
         LINECALLSTATE_DISCONNECTED,
         LINEDISCONNECTMODE_NODIALTONE,
         {4, 415, 41512, 31}},
        {"disconnected, 0x3", LINECALLSTATE_DISCONNECTED, 0x3, {4, 415, 41513, 31}},
        {"idle", LINECALLSTATE_IDLE, 0, {4, 410, 31}},
        {"unlisted state", 0x40000000, 0, {4, 416}},
    };
    for (const Case& c : cases) {
        control.Inject(LINE_CALLSTATE, c.state, c.mode, 0, "1234");
        EXPECT_EQ(Join(Settle()), Join(c.expected)) << c.what;
    }
}

TEST_F(TapiDeviceTest, MessagesOtherThanCallStatesPostTheirOwnCode) {
    Open();
    struct Case {
        uint32_t message;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {LINE_ADDRESSSTATE, {1}},  {LINE_APPNEWCALL, {2}},
        {LINE_CLOSE, {5, 36}},     {LINE_CREATE, {6}},
        {LINE_LINEDEVSTATE, {11}}, {LINE_REPLY, {16}},
        {LINE_REMOVE, {15}},       {0x7FFF, {18}},
    };
    for (const Case& c : cases) {
        control.Inject(c.message, 0, 0, 0, "line");
        EXPECT_EQ(Join(Settle()), Join(c.expected)) << c.message;
    }
}

TEST_F(TapiDeviceTest, ConnectedPosts414OnlyForCallsOfThisLine) {
    Open();
    control.Inject(LINE_CALLSTATE, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE, 0, "77", 1);
    EXPECT_EQ(Join(Settle()), Join({4, 414, 4140, 30}));
    control.Inject(LINE_CALLSTATE, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE, 0, "77", 2);
    EXPECT_EQ(Join(Settle()), Join({4, 4140, 30}));
}

TEST_F(TapiDeviceTest, AnOfferedCallBecomesTheCallThatIsAnswered) {
    Open();
    control.Inject(LINE_CALLSTATE, LINECALLSTATE_OFFERING, 0, 0, "4321");
    EXPECT_EQ(Join(Settle()), Join({4, 413, 32}));
    device->Answer();  // the simulator has no such call: only the handle matters here
    const auto answers = CallsOf(control, "lineAnswer");
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].Number("call"), 4321u);
}

TEST_F(TapiDeviceTest, AnIncomingCallDeliversItsCallerIdOnce) {
    Open();
    control.Ring("5551234", "Alice");
    EXPECT_EQ(Join(Settle()), Join({2, 4, 413, 4130, 32, 11, 3, 34}));
    EXPECT_EQ(device->GetCallerId(), "5551234");

    // With a caller ID stored, or with another bit beside the caller-ID bit: only 3.
    control.SendCallerId("5559999");
    control.Inject(LINE_CALLINFO, LINECALLINFOSTATE_CALLERID | LINECALLINFOSTATE_OTHER);
    EXPECT_EQ(Join(Settle()), Join({3, 3}));
    EXPECT_EQ(device->GetCallerId(), "5551234");
    EXPECT_EQ(CallsOf(control, "lineGetCallInfoA").size(), 1u);

    // The far end hangs up: the caller ID is forgotten for the next call.
    control.HangUp();
    EXPECT_EQ(Join(Settle()), Join({4, 415, 41500, 31}));
    EXPECT_EQ(device->GetCallerId(), "");
}

TEST_F(TapiDeviceTest, ACallInfoNeedingMoreThan1348BytesIsFetchedAgainWhole) {
    control.SetCallInfoPadding(2000);
    Open();
    control.Ring("5551234");
    Settle();
    EXPECT_EQ(device->GetCallerId(), "5551234");
    const auto fetches = CallsOf(control, "lineGetCallInfoA");
    ASSERT_EQ(fetches.size(), 2u);
    EXPECT_EQ(fetches[0].Number("total"), 1348u);
    EXPECT_GT(fetches[0].Number("needed").value_or(0), 1348u);
    EXPECT_EQ(fetches[1].Number("total"), fetches[0].Number("needed"));
}

TEST_F(TapiDeviceTest, ACallerIdOutsideTheStructureIsNotTaken) {
    const std::pair<std::optional<uint32_t>, std::optional<uint32_t>> bad[] = {
        {5000, std::nullopt},    // offset beyond the structure
        {std::nullopt, 100000},  // size beyond it
        {0xFFFFFFF0u, 0x20u},    // offset + size wrapping around
    };
    for (const auto& [offset, size] : bad) {
        control.SetCallerIdOffset(offset);
        control.SetCallerIdSize(size);
        Open();
        control.Ring("5551234");
        const std::vector<int> posted = Settle();
        ASSERT_FALSE(posted.empty());
        EXPECT_EQ(posted.back(), 34);  // announced all the same, with no number
        EXPECT_EQ(device->GetCallerId(), "");
        device.reset();
    }
}

TEST_F(TapiDeviceTest, DialsWithTheCallParametersOfAVoiceCall) {
    Open();
    ASSERT_EQ(device->MakeCall("5551234"), 0);
    const auto dials = CallsOf(control, "lineMakeCallA");
    ASSERT_EQ(dials.size(), 1u);
    EXPECT_EQ(dials[0].Text("number"), "5551234");
    EXPECT_EQ(dials[0].Number("country"), 0u);

    const std::vector<uint8_t> params = dials[0].Bytes("params");
    ASSERT_EQ(params.size(), 1200u);
    auto dword = [&](size_t offset) {
        uint32_t value;
        memcpy(&value, params.data() + offset, 4);
        return value;
    };
    EXPECT_EQ(dword(0), 1200u);                          // dwTotalSize
    EXPECT_EQ(dword(4), LINEBEARERMODE_VOICE);           // dwBearerMode
    EXPECT_EQ(dword(16), LINEMEDIAMODE_AUTOMATEDVOICE);  // dwMediaMode
    EXPECT_EQ(dword(20), LINECALLPARAMFLAGS_IDLE);       // dwCallParamFlags
    EXPECT_EQ(dword(24), LINEADDRESSMODE_ADDRESSID);     // dwAddressMode
    EXPECT_EQ(dword(28), 0u);                            // dwAddressID
    EXPECT_EQ(dword(56), 7u);                            // dwDisplayableAddressSize
    EXPECT_EQ(dword(60), 176u);                          // dwDisplayableAddressOffset
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(params.data() + 176)), "5551234");

    EXPECT_EQ(Join(Settle()), Join({16, 4, 412, 4122, 4, 402, 4, 406, 4, 414, 4140, 30}));
}

TEST_F(TapiDeviceTest, ADialStringLongerThanTheParametersHoldIsRefusedWhole) {
    Open();
    const std::string longest(1023, '5');
    EXPECT_EQ(device->MakeCall(longest.c_str()), 0);
    const auto dials = CallsOf(control, "lineMakeCallA");
    ASSERT_EQ(dials.size(), 1u);
    EXPECT_EQ(dials[0].Text("number"), longest);
    device.reset();

    Open();
    control.ClearRecord();
    const std::string tooLong(1024, '5');
    EXPECT_EQ(static_cast<uint32_t>(device->MakeCall(tooLong.c_str())),
              static_cast<uint32_t>(LINEERR_INVALADDRESS));
    EXPECT_TRUE(CallsOf(control, "lineMakeCallA").empty());
}

TEST_F(TapiDeviceTest, TheSpeakerphoneIsSwitchedOnAndKeptUntilTeardown) {
    Open();
    ASSERT_EQ(device->OpenPhone(), 0);
    ASSERT_EQ(device->OpenPhone(), 0);  // connected again: only the request is repeated
    EXPECT_EQ(CallsOf(control, "phoneInitializeExA").size(), 1u);
    const auto open = CallsOf(control, "phoneOpen");
    ASSERT_EQ(open.size(), 1u);
    EXPECT_EQ(open[0].Number("privilege"), 2u);
    EXPECT_EQ(CallsOf(control, "phoneSetStatusMessages")[0].Number("phoneStates"), 0x00FFFFFFu);
    const auto hooks = CallsOf(control, "phoneSetHookSwitch");
    ASSERT_EQ(hooks.size(), 2u);
    EXPECT_EQ(hooks[0].Number("devices"), 2u);  // the speaker
    EXPECT_EQ(hooks[0].Number("mode"), 8u);     // microphone and speaker
    EXPECT_TRUE(CallsOf(control, "phoneClose").empty());

    device.reset();
    const auto functions = FunctionsCalled(control);
    const auto close = std::find(functions.begin(), functions.end(), "phoneClose");
    ASSERT_NE(close, functions.end());
    EXPECT_EQ(
        std::vector<std::string>(close, functions.end()),
        (std::vector<std::string>{"phoneClose", "phoneShutdown", "lineClose", "lineShutdown"}));
}

TEST_F(TapiDeviceTest, ARefusedSpeakerphoneRequestClosesThePhoneAtOnce) {
    Open();
    control.FailNext("phoneSetHookSwitch", static_cast<int32_t>(PHONEERR_OPERATIONFAILED));
    EXPECT_EQ(device->OpenPhone(), 0);  // the call goes on
    const auto functions = FunctionsCalled(control);
    ASSERT_GE(functions.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(functions.end() - 3, functions.end()),
              (std::vector<std::string>{"phoneSetHookSwitch", "phoneClose", "phoneShutdown"}));
}

TEST_F(TapiDeviceTest, PhoneFailuresAreReturnedAndLeaveNoPhoneOpen) {
    Open();
    control.FailNext("phoneOpen", static_cast<int32_t>(PHONEERR_RESOURCEUNAVAIL));
    EXPECT_EQ(device->OpenPhone(), static_cast<int32_t>(PHONEERR_RESOURCEUNAVAIL));
    EXPECT_EQ(CallsOf(control, "phoneShutdown").size(), 1u);
    EXPECT_EQ(device->OpenPhone(), 0);  // a later connection starts afresh
    EXPECT_EQ(CallsOf(control, "phoneInitializeExA").size(), 2u);
    device.reset();

    control.SetPhoneDeviceCount(0);
    control.ClearRecord();
    Open();
    EXPECT_EQ(static_cast<uint32_t>(device->OpenPhone()), 0x90000002u);
    EXPECT_EQ(static_cast<uint32_t>(device->OpenPhone()), 0x90000002u);
    EXPECT_EQ(CallsOf(control, "phoneInitializeExA").size(), 1u);  // never a second time
}

TEST_F(TapiDeviceTest, TeardownDropsTheCallThenClosesTheLine) {
    Open();
    ASSERT_EQ(device->MakeCall("5551234"), 0);
    Settle();
    const uint64_t mark = control.LastSeq();
    device.reset();
    std::vector<std::string> after;
    for (const auto& entry : control.Record(mark)) {
        after.push_back(entry.function);
    }
    EXPECT_EQ(after, (std::vector<std::string>{"lineDrop", "lineClose", "lineShutdown"}));
}

TEST_F(TapiDeviceTest, CodesReachTheWindowTheDeviceWasGivenWhateverElseCarriesTheTitle) {
    // The about box has the main window's title and lies above it while it is open; another
    // program's window may carry it too; and the window given need not carry it at all.
    test::BackendHost aboutBox;
    ASSERT_TRUE(aboutBox.CreateModeless(host.Handle()));
    aboutBox.Show(SW_SHOWNA);
    test::BackendHost stranger;
    ASSERT_TRUE(stranger.CreateModeless(nullptr));
    SetWindowTextA(host.Handle(), "Not the title it is found by");
    int strayCodes = 0;
    for (test::BackendHost* other : {&aboutBox, &stranger}) {
        other->modemEvent = [&](int) {
            ++strayCodes;
            return LRESULT{1};
        };
    }
    Open();
    control.Inject(LINE_CLOSE, 0, 0, 0, "line");
    EXPECT_EQ(Join(Settle()), Join({5, 36}));
    EXPECT_EQ(strayCodes, 0);
}

TEST_F(TapiDeviceTest, LinesAndPhonesOpenAtTapi20WhicheverVersionTapiReports) {
    for (uint32_t highest : {0x20000u, 0x20002u, 0x30001u}) {
        SCOPED_TRACE(highest);
        control.SetHighestApiVersion(highest);
        control.ClearRecord();
        Open();
        EXPECT_EQ(device->MakeCall("5551234"), 0);  // its parameters have the 2.0 layout
        EXPECT_EQ(device->OpenPhone(), 0);
        const std::pair<const char*, const char*> versions[] = {
            {"lineNegotiateAPIVersion", "high"},
            {"lineOpenA", "version"},
            {"phoneNegotiateAPIVersion", "high"},
            {"phoneOpen", "version"}};
        for (const auto& [function, field] : versions) {
            const auto calls = CallsOf(control, function);
            ASSERT_FALSE(calls.empty()) << function;
            EXPECT_EQ(calls.back().Number(field), 0x20000u) << function;
        }
        device.reset();
    }
}

TEST_F(TapiDeviceTest, ClosingAFreshDeviceDoesNothing) {
    TapiDevice fresh(host.Handle());
    EXPECT_EQ(fresh.CloseLine(), 0);
    EXPECT_TRUE(control.Record().empty());
}

}  // namespace
