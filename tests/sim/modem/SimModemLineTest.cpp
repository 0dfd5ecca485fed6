// The TAPI behaviour the program's tests rely on: event signalling and lineGetMessage's
// time-out and shutdown rules, structure sizes, and the message sequences of calls.
#include "sim/modem/control/SimModemControl.h"
#include "tests/sim/modem/SimModemTestSupport.h"

#include <cstring>
#include <thread>

namespace simmodem::test {
namespace {

class SimModemLine : public FreshModemTest {};

TEST_F(SimModemLine, EventIsSignalledExactlyWhileMessagesWait) {
    LineApp app;
    ASSERT_EQ(0, app.result);
    app.OpenVoice(1);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(app.Event(), 0));
    LINEMESSAGE message{};
    EXPECT_EQ(LINEERR_OPERATIONFAILED, lineGetMessage(app.handle, &message, 0));
    EXPECT_EQ(LINEERR_OPERATIONFAILED, lineGetMessage(app.handle, &message, 30));

    control.Ring();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(app.Event(), 0));
    EXPECT_FALSE(control.WaitForMessagesTaken(0));
    ASSERT_EQ(0, lineGetMessage(app.handle, &message, 0));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(app.Event(), 0)) << "more are waiting";
    app.Drain();
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(app.Event(), 0));
    EXPECT_TRUE(control.WaitForMessagesTaken(0));
}

TEST_F(SimModemLine, ShutdownEndsAWaitingGetMessageAtOnce) {
    LineApp app;
    ASSERT_EQ(0, app.result);
    LONG waited = 0;
    std::thread waiter([&] {
        LINEMESSAGE message{};
        waited = lineGetMessage(app.handle, &message, INFINITE);
    });
    Sleep(100);  // lets the waiter reach its wait; the outcome is the same either way
    EXPECT_EQ(0, lineShutdown(app.handle));
    waiter.join();  // an INFINITE wait that shutdown failed to end hangs here
    EXPECT_EQ(LINEERR_INVALAPPHANDLE, waited);
    LINEMESSAGE message{};
    EXPECT_EQ(LINEERR_INVALAPPHANDLE, lineGetMessage(app.handle, &message, 0));
    app.handle = 0;
}

TEST_F(SimModemLine, DevicesReportTheirMediaModesNameAndNeededSize) {
    control.SetLineDevices({{LineDevice::Kind::Data, 0, ""}, {LineDevice::Kind::Voice, 0, "V.92"}});
    LineApp app;
    ASSERT_EQ(0, app.result);
    EXPECT_EQ(2u, app.devices);
    EXPECT_EQ(0x00030001u, app.returnedVersion) << "as TAPI on current Windows answers";

    struct Case {
        DWORD device;
        bool voice;
        std::string name;
    } cases[] = {{0, false, "Simulated Data Modem"}, {1, true, "V.92"}};
    for (const Case& c : cases) {
        DWORD negotiated = 0;
        LINEEXTENSIONID extension{};
        ASSERT_EQ(0, lineNegotiateAPIVersion(app.handle, c.device, app.version, app.version,
                                             &negotiated, &extension));
        EXPECT_EQ(app.version, negotiated);
        std::vector<char> buffer(1276);
        auto* caps = reinterpret_cast<LINEDEVCAPS*>(buffer.data());
        caps->dwTotalSize = 1276;
        ASSERT_EQ(0, lineGetDevCapsA(app.handle, c.device, negotiated, 0, caps));
        EXPECT_EQ(c.voice, (caps->dwMediaModes & LINEMEDIAMODE_AUTOMATEDVOICE) != 0) << c.name;
        ASSERT_GT(caps->dwLineNameSize, 0u);
        EXPECT_EQ(c.name, std::string(buffer.data() + caps->dwLineNameOffset));
        EXPECT_EQ(caps->dwNeededSize, caps->dwUsedSize);
        EXPECT_LE(caps->dwUsedSize, 1276u);
    }

    // Room for the fixed part only: it is filled, the strings are not, and the needed size
    // tells how much to offer.
    const DWORD fixed = offsetof(LINEDEVCAPS, PermanentLineGuid);
    std::vector<char> small(fixed);
    auto* caps = reinterpret_cast<LINEDEVCAPS*>(small.data());
    caps->dwTotalSize = fixed;
    ASSERT_EQ(0, lineGetDevCapsA(app.handle, 1, app.version, 0, caps));
    EXPECT_GT(caps->dwNeededSize, fixed);
    EXPECT_EQ(fixed, caps->dwUsedSize);
    EXPECT_EQ(0u, caps->dwLineNameSize);
    EXPECT_NE(0u, caps->dwMediaModes);
    caps->dwTotalSize = fixed - 1;
    EXPECT_EQ(LINEERR_STRUCTURETOOSMALL, lineGetDevCapsA(app.handle, 1, app.version, 0, caps));
    EXPECT_EQ(LINEERR_BADDEVICEID, lineGetDevCapsA(app.handle, 2, app.version, 0, caps));
}

TEST_F(SimModemLine, OutgoingCallConnectsAfterDiallingOrWhenTheFarEndAnswers) {
    struct Case {
        ConnectMode mode;
        bool farEndAnswers;
    } cases[] = {{ConnectMode::AfterDialling, false}, {ConnectMode::FarEndAnswers, true}};
    for (const Case& c : cases) {
        control.SetConnectMode(c.mode);
        LineApp app;
        ASSERT_EQ(0, app.result);
        HLINE line = app.OpenVoice(1);
        HCALL call = 0;
        const LONG request = lineMakeCallA(line, &call, "5551234", 0, nullptr);
        ASSERT_GT(request, 0);
        ASSERT_NE(0u, call);
        std::vector<Msg> expected = {
            {LINE_REPLY, static_cast<DWORD_PTR>(request), 0},
            {LINE_CALLSTATE, LINECALLSTATE_DIALTONE, LINEDIALTONEMODE_NORMAL},
            {LINE_CALLSTATE, LINECALLSTATE_DIALING, 0},
            {LINE_CALLSTATE, LINECALLSTATE_PROCEEDING, 0}};
        if (!c.farEndAnswers) {
            expected.push_back({LINE_CALLSTATE, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE});
        }
        const std::vector<LINEMESSAGE> messages = app.Drain();
        EXPECT_EQ(expected, Brief(messages));
        for (const LINEMESSAGE& m : messages) {
            if (m.dwMessageID == LINE_CALLSTATE) {
                EXPECT_EQ(call, m.hDevice);
                EXPECT_EQ(1u, m.dwCallbackInstance);
            }
        }
        if (c.farEndAnswers) {
            control.AnswerAsFarEnd();
            EXPECT_EQ((std::vector<Msg>{
                          {LINE_CALLSTATE, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE}}),
                      Brief(app.Drain()));
        }
        EXPECT_THROW(control.AnswerAsFarEnd(), ControlError) << "already connected";
    }
}

TEST_F(SimModemLine, CallsEndAsAVoiceModemReportsThem) {
    control.SetConnectMode(ConnectMode::FarEndAnswers);
    LineApp app;
    ASSERT_EQ(0, app.result);
    HLINE line = app.OpenVoice(1);
    HCALL call = 0;

    // Remote hang-up: disconnected with its mode; idle only when the program drops the call.
    ASSERT_GT(lineMakeCallA(line, &call, "5551234", 0, nullptr), 0);
    control.AnswerAsFarEnd();
    app.Drain();
    control.HangUp();
    EXPECT_EQ(
        (std::vector<Msg>{{LINE_CALLSTATE, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NORMAL}}),
        Brief(app.Drain()));
    const LONG drop = lineDrop(call, nullptr, 0);
    ASSERT_GT(drop, 0);
    EXPECT_EQ((std::vector<Msg>{{LINE_REPLY, static_cast<DWORD_PTR>(drop), 0},
                                {LINE_CALLSTATE, LINECALLSTATE_IDLE, 0}}),
              Brief(app.Drain()));
    EXPECT_EQ(LINEERR_INVALCALLSTATE, lineDrop(call, nullptr, 0));
    EXPECT_EQ(0, lineDeallocateCall(call));

    // Busy and no answer end a call still being set up.
    struct Case {
        void (Control::*action)();
        DWORD mode;
    } cases[] = {{&Control::Busy, LINEDISCONNECTMODE_BUSY},
                 {&Control::NoAnswer, LINEDISCONNECTMODE_NOANSWER}};
    for (const Case& c : cases) {
        ASSERT_GT(lineMakeCallA(line, &call, "5551234", 0, nullptr), 0);
        app.Drain();
        (control.*c.action)();
        EXPECT_EQ((std::vector<Msg>{{LINE_CALLSTATE, LINECALLSTATE_DISCONNECTED, c.mode}}),
                  Brief(app.Drain()));
        ASSERT_GT(lineDrop(call, nullptr, 0), 0);
        app.Drain();
    }

    // Hang-up with idle at once.
    ASSERT_GT(lineMakeCallA(line, &call, "5551234", 0, nullptr), 0);
    app.Drain();
    control.HangUp(LINEDISCONNECTMODE_UNAVAIL, true);
    EXPECT_EQ(
        (std::vector<Msg>{{LINE_CALLSTATE, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_UNAVAIL},
                          {LINE_CALLSTATE, LINECALLSTATE_IDLE, 0}}),
        Brief(app.Drain()));
    EXPECT_THROW(control.HangUp(), ControlError) << "no call left to hang up";
}

TEST_F(SimModemLine, IncomingCallIsOfferedRingsCarriesCallerIdAndConnectsOnAnswer) {
    LineApp app;
    ASSERT_EQ(0, app.result);
    HLINE line = app.OpenVoice(1);
    control.Ring("5551234", "Alice");
    const std::vector<LINEMESSAGE> offered = app.Drain();
    ASSERT_EQ(4u, offered.size());
    const HCALL call = static_cast<HCALL>(offered[0].dwParam2);
    EXPECT_EQ((std::vector<Msg>{{LINE_APPNEWCALL, 0, call},
                                {LINE_CALLSTATE, LINECALLSTATE_OFFERING, LINEOFFERINGMODE_ACTIVE},
                                {LINE_LINEDEVSTATE, LINEDEVSTATE_RINGING, 1},
                                {LINE_CALLINFO, LINECALLINFOSTATE_CALLERID, 0}}),
              Brief(offered));
    EXPECT_EQ(line, offered[0].hDevice);
    EXPECT_EQ(call, offered[1].hDevice);
    EXPECT_EQ(line, offered[2].hDevice);
    EXPECT_EQ(call, offered[3].hDevice);

    std::vector<char> buffer(1348);
    auto* info = reinterpret_cast<LINECALLINFO*>(buffer.data());
    info->dwTotalSize = 1348;
    ASSERT_EQ(0, lineGetCallInfoA(call, info));
    EXPECT_EQ(static_cast<DWORD>(LINECALLPARTYID_ADDRESS | LINECALLPARTYID_NAME),
              info->dwCallerIDFlags);
    ASSERT_EQ(8u, info->dwCallerIDSize) << "the size counts the terminating zero";
    EXPECT_EQ(0, std::memcmp(buffer.data() + info->dwCallerIDOffset, "5551234", 8));

    control.Ring();
    const std::vector<LINEMESSAGE> second = app.Drain();
    ASSERT_EQ(1u, second.size());
    EXPECT_EQ(LINEDEVSTATE_RINGING, second[0].dwParam1);
    EXPECT_EQ(1u, second[0].dwParam3) << "ring count, from zero";

    const LONG answer = lineAnswer(call, nullptr, 0);
    ASSERT_GT(answer, 0);
    EXPECT_EQ(
        (std::vector<Msg>{{LINE_REPLY, static_cast<DWORD_PTR>(answer), 0},
                          {LINE_CALLSTATE, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE}}),
        Brief(app.Drain()));
    EXPECT_THROW(control.Ring(), ControlError) << "the line is busy with a connected call";
}

TEST_F(SimModemLine, RingingReachesOnlyAProgramThatAskedForIt) {
    LineApp app;
    ASSERT_EQ(0, app.result);
    app.OpenVoice(1, LINEDEVSTATE_OTHER);
    control.Ring();
    for (const LINEMESSAGE& m : app.Drain()) {
        EXPECT_NE(static_cast<DWORD>(LINE_LINEDEVSTATE), m.dwMessageID);
    }
}

TEST_F(SimModemLine, CallInfoNeedsABiggerBufferWhenPaddedAndReportsForcedCallerIdBounds) {
    control.SetCallInfoPadding(2000);
    LineApp app;
    ASSERT_EQ(0, app.result);
    app.OpenVoice(1);
    control.Ring("5551234");
    const HCALL call = static_cast<HCALL>(app.Drain()[0].dwParam2);

    std::vector<char> buffer(1348);
    auto* info = reinterpret_cast<LINECALLINFO*>(buffer.data());
    info->dwTotalSize = 1348;
    ASSERT_EQ(0, lineGetCallInfoA(call, info));
    ASSERT_GT(info->dwNeededSize, 1348u);
    EXPECT_EQ(0u, info->dwCallerIDSize) << "nothing of the variable part fits";
    const DWORD needed = info->dwNeededSize;
    buffer.assign(needed, 0);
    info = reinterpret_cast<LINECALLINFO*>(buffer.data());
    info->dwTotalSize = needed;
    ASSERT_EQ(0, lineGetCallInfoA(call, info));
    ASSERT_EQ(8u, info->dwCallerIDSize);
    EXPECT_STREQ("5551234", buffer.data() + info->dwCallerIDOffset);

    control.SetCallInfoPadding(0);
    control.SetCallerIdOffset(1348);
    control.SetCallerIdSize(0x100);
    buffer.assign(1348, 0);
    info = reinterpret_cast<LINECALLINFO*>(buffer.data());
    info->dwTotalSize = 1348;
    ASSERT_EQ(0, lineGetCallInfoA(call, info));
    EXPECT_EQ(1348u, info->dwCallerIDOffset);
    EXPECT_EQ(0x100u, info->dwCallerIDSize);
    EXPECT_LE(info->dwUsedSize, 1348u);

    info->dwTotalSize = offsetof(LINECALLINFO, dwCallerIDAddressType) - 1;
    EXPECT_EQ(LINEERR_STRUCTURETOOSMALL, lineGetCallInfoA(call, info));
}

TEST_F(SimModemLine, InjectedMessagesArriveAsGiven) {
    LineApp app;
    ASSERT_EQ(0, app.result);
    HLINE line = app.OpenVoice(1);
    control.Inject(LINE_CALLSTATE, LINECALLSTATE_DISCONNECTED, 0x3, 0, "1234", 7u);
    control.Inject(0x7777, 1, 2, 3);
    const std::vector<LINEMESSAGE> messages = app.Drain();
    ASSERT_EQ(2u, messages.size());
    EXPECT_EQ(1234u, messages[0].hDevice);
    EXPECT_EQ(7u, messages[0].dwCallbackInstance);
    EXPECT_EQ((Msg{LINE_CALLSTATE, LINECALLSTATE_DISCONNECTED, 0x3}), Brief(messages)[0]);
    EXPECT_EQ(line, messages[1].hDevice) << "a line message goes to the line by default";
    EXPECT_EQ((Msg{0x7777, 1, 2}), Brief(messages)[1]);
    EXPECT_EQ(3u, messages[1].dwParam3);
}

TEST_F(SimModemLine, TheModemClosesTheLineGoesAwayAndAsksForAFreshStart) {
    LineApp app;
    ASSERT_EQ(0, app.result);
    auto openVoice = [&] {
        HLINE line = 0;
        return lineOpenA(app.handle, 1, &line, app.version, 0, 1, LINECALLPRIVILEGE_OWNER,
                         LINEMEDIAMODE_AUTOMATEDVOICE, nullptr);
    };

    const HLINE closed = app.OpenVoice(1);
    control.CloseLine();
    EXPECT_EQ((std::vector<Msg>{{LINE_CLOSE, 0, 0}}), Brief(app.Drain()));
    EXPECT_EQ(LINEERR_INVALLINEHANDLE, lineClose(closed)) << "closed already";

    app.OpenVoice(1);
    control.RemoveLine();
    EXPECT_EQ((std::vector<Msg>{{LINE_REMOVE, 1, 0}}), Brief(app.Drain()));
    EXPECT_EQ(LINEERR_NODEVICE, openVoice());
    control.SetLineDevices({{LineDevice::Kind::Data, 0, ""}, {LineDevice::Kind::Voice, 0, ""}});
    EXPECT_EQ(0, openVoice()) << "plugged in again";

    control.Reinit();
    EXPECT_EQ((std::vector<Msg>{{LINE_LINEDEVSTATE, LINEDEVSTATE_REINIT, 0}}), Brief(app.Drain()));
    EXPECT_EQ(LINEERR_REINIT, LineApp().result) << "while an application has not shut down";
    EXPECT_EQ(0, lineShutdown(app.handle));
    app.handle = 0;
    EXPECT_EQ(0, LineApp().result);
}

}  // namespace
}  // namespace simmodem::test
