// The control side's promises: failures on demand, the record of what the program did, the
// phone device, and commands that cross processes (the tool, a program started later).
#include "framework/Handles.h"
#include "sim/modem/control/SimModemControl.h"
#include "tests/sim/modem/SimModemTestSupport.h"

#include <cstring>

namespace simmodem::test {
namespace {

constexpr char kChildVariable[] = "SIMMODEM_TEST_CHILD";
constexpr DWORD kProcessWaitMs = 60000;

std::string ProgramFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string ProgramPath() {
    char path[MAX_PATH];
    return std::string(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
}

struct ProcessResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;
};

// Runs a command line with stdout and stderr captured; `environment` pairs are set for the
// child only.
ProcessResult RunProcess(const std::string& commandLine,
                         const std::vector<std::pair<std::string, std::string>>& environment) {
    ProcessResult result;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readRaw = nullptr;
    HANDLE writeRaw = nullptr;
    if (!CreatePipe(&readRaw, &writeRaw, &inherit, 0)) {
        ADD_FAILURE() << "CreatePipe failed";
        return result;
    }
    fw::KernelHandle readEnd(readRaw);
    fw::KernelHandle writeEnd(writeRaw);
    SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);

    std::vector<std::pair<std::string, std::string>> saved;
    for (const auto& entry : environment) {
        char old[256];
        const DWORD length = GetEnvironmentVariableA(entry.first.c_str(), old, sizeof old);
        saved.emplace_back(entry.first, length ? std::string(old, length) : "");
        SetEnvironmentVariableA(entry.first.c_str(), entry.second.c_str());
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd.Get();
    startup.hStdError = writeEnd.Get();
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION info{};
    std::string line = commandLine;
    const BOOL started = CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &info);
    for (const auto& entry : saved) {
        SetEnvironmentVariableA(entry.first.c_str(),
                                entry.second.empty() ? nullptr : entry.second.c_str());
    }
    if (!started) {
        ADD_FAILURE() << "cannot start " << commandLine;
        return result;
    }
    fw::KernelHandle process(info.hProcess);
    fw::KernelHandle thread(info.hThread);
    writeEnd.Reset();  // the child holds the only write end now, so reading ends with it
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(readEnd.Get(), chunk, sizeof chunk, &read, nullptr) && read > 0) {
        result.output.append(chunk, read);
    }
    if (WaitForSingleObject(process.Get(), kProcessWaitMs) != WAIT_OBJECT_0) {
        ADD_FAILURE() << commandLine << " did not end";
        TerminateProcess(process.Get(), 1);
        return result;
    }
    GetExitCodeProcess(process.Get(), &result.exitCode);
    return result;
}

class SimModemControl : public FreshModemTest {};

TEST_F(SimModemControl, FailuresComeOnceAlwaysOrInTheReply) {
    LineApp app;
    ASSERT_EQ(0, app.result);
    HLINE line = 0;
    auto open = [&] {
        return lineOpenA(app.handle, 1, &line, app.version, 0, 1, LINECALLPRIVILEGE_OWNER,
                         LINEMEDIAMODE_AUTOMATEDVOICE, nullptr);
    };
    control.FailNext("lineOpenA", LINEERR_RESOURCEUNAVAIL);
    EXPECT_EQ(LINEERR_RESOURCEUNAVAIL, open());
    EXPECT_EQ(0, open());
    EXPECT_EQ(0, lineClose(line));

    control.FailAlways("lineOpenA", LINEERR_ALLOCATED);
    EXPECT_EQ(LINEERR_ALLOCATED, open());
    EXPECT_EQ(LINEERR_ALLOCATED, open());
    control.ClearFailure("lineOpenA");
    ASSERT_EQ(0, open());

    control.FailInReply("lineMakeCallA", LINEERR_CALLUNAVAIL);
    HCALL call = 0;
    const LONG request = lineMakeCallA(line, &call, "5551234", 0, nullptr);
    ASSERT_GT(request, 0);
    EXPECT_EQ((std::vector<Msg>{{LINE_REPLY, static_cast<DWORD_PTR>(request),
                                 static_cast<DWORD>(LINEERR_CALLUNAVAIL)}}),
              Brief(app.Drain()))
        << "a refused request starts no call";
    EXPECT_GT(lineMakeCallA(line, &call, "5551234", 0, nullptr), 0);

    control.FailNext("lineInitializeExA", LINEERR_NODRIVER);
    LineApp refused;
    EXPECT_EQ(LINEERR_NODRIVER, refused.result);

    EXPECT_THROW(control.FailNext("lineDial", LINEERR_NOMEM), ControlError);
    EXPECT_THROW(control.FailInReply("lineOpenA", LINEERR_NOMEM), ControlError);
}

TEST_F(SimModemControl, RecordsWhatTheProgramAskedInOrder) {
    LineApp app;
    ASSERT_EQ(0, app.result);
    DWORD negotiated = 0;
    LINEEXTENSIONID extension{};
    ASSERT_EQ(0, lineNegotiateAPIVersion(app.handle, 1, app.version, app.version, &negotiated,
                                         &extension));
    std::vector<char> capsBuffer(1276);
    reinterpret_cast<LINEDEVCAPS*>(capsBuffer.data())->dwTotalSize = 1276;
    ASSERT_EQ(0, lineGetDevCapsA(app.handle, 1, negotiated, 0,
                                 reinterpret_cast<LINEDEVCAPS*>(capsBuffer.data())));
    HLINE line = app.OpenVoice(1);

    std::vector<char> paramsBuffer(1200);
    auto* params = reinterpret_cast<LINECALLPARAMS*>(paramsBuffer.data());
    params->dwTotalSize = 1200;
    params->dwBearerMode = LINEBEARERMODE_VOICE;
    params->dwMediaMode = LINEMEDIAMODE_AUTOMATEDVOICE;
    params->dwCallParamFlags = LINECALLPARAMFLAGS_IDLE;
    params->dwAddressMode = LINEADDRESSMODE_ADDRESSID;
    std::memcpy(paramsBuffer.data() + 176, "5551234", 8);
    params->dwDisplayableAddressOffset = 176;
    params->dwDisplayableAddressSize = 7;
    HCALL call = 0;
    ASSERT_GT(lineMakeCallA(line, &call, "5551234", 0, params), 0);
    ASSERT_GT(lineDrop(call, nullptr, 0), 0);
    EXPECT_EQ(0, lineClose(line));

    const std::vector<RecordEntry> record = control.Record();
    std::vector<std::string> functions;
    for (const RecordEntry& entry : record) {
        functions.push_back(entry.function);
    }
    EXPECT_EQ((std::vector<std::string>{"lineInitializeExA", "lineNegotiateAPIVersion",
                                        "lineGetDevCapsA", "lineOpenA", "lineSetStatusMessages",
                                        "lineMakeCallA", "lineDrop", "lineClose"}),
              functions);
    ASSERT_EQ(8u, record.size());
    EXPECT_EQ("SimTest", record[0].Text("app"));
    EXPECT_EQ(0x00020000u, record[0].Number("version"));
    EXPECT_EQ(1276u, record[2].Number("total"));
    EXPECT_EQ(1u, record[3].Number("device"));
    EXPECT_EQ(6u, record[3].Number("privileges"));
    EXPECT_EQ(8u, record[3].Number("mediaModes"));
    EXPECT_EQ(1u, record[3].Number("instance"));
    EXPECT_EQ(0x01FFFFFFu, record[4].Number("lineStates"));
    EXPECT_EQ("5551234", record[5].Text("number"));
    EXPECT_EQ(std::vector<uint8_t>(paramsBuffer.begin(), paramsBuffer.end()),
              record[5].Bytes("params"))
        << "the whole block as received";
    EXPECT_EQ(0, record[7].Result());

    // A wait finds an entry already there, and gives up after its bound for one that never
    // comes.
    auto dial = control.WaitForDial(1000);
    ASSERT_TRUE(dial.has_value());
    EXPECT_EQ(record[5].seq, dial->seq);
    EXPECT_FALSE(control.WaitForAnswer(50).has_value());
    EXPECT_FALSE(control.WaitForDial(50, dial->seq).has_value());
}

TEST_F(SimModemControl, PhoneDeviceSwitchesTheSpeakerAndAnswersAsConfigured) {
    PHONEINITIALIZEEXPARAMS params{};
    params.dwTotalSize = sizeof params;
    params.dwOptions = PHONEINITIALIZEEXOPTION_USEEVENT;
    HPHONEAPP app = 0;
    DWORD devices = 0;
    DWORD version = 0x00020000;
    ASSERT_EQ(0,
              phoneInitializeExA(&app, nullptr, nullptr, "SimTest", &devices, &version, &params));
    ASSERT_EQ(1u, devices);
    DWORD negotiated = 0;
    PHONEEXTENSIONID extension{};
    ASSERT_EQ(0, phoneNegotiateAPIVersion(app, 0, version, version, &negotiated, &extension));
    std::vector<char> capsBuffer(1204);
    auto* caps = reinterpret_cast<PHONECAPS*>(capsBuffer.data());
    caps->dwTotalSize = 1204;
    ASSERT_EQ(0, phoneGetDevCapsA(app, 0, negotiated, 0, caps));
    EXPECT_EQ(static_cast<DWORD>(PHONEHOOKSWITCHDEV_SPEAKER), caps->dwHookSwitchDevs);
    HPHONE phone = 0;
    ASSERT_EQ(0, phoneOpen(app, 0, &phone, negotiated, 0, 1, PHONEPRIVILEGE_OWNER));
    ASSERT_EQ(0, phoneSetStatusMessages(phone, 0x00FFFFFF, 0, 0));

    const LONG request =
        phoneSetHookSwitch(phone, PHONEHOOKSWITCHDEV_SPEAKER, PHONEHOOKSWITCHMODE_MICSPEAKER);
    EXPECT_GT(request, 0);
    PHONEMESSAGE message{};
    ASSERT_EQ(0, phoneGetMessage(app, &message, 0));
    EXPECT_EQ(static_cast<DWORD>(PHONE_REPLY), message.dwMessageID);
    EXPECT_EQ(static_cast<DWORD_PTR>(request), message.dwParam1);

    control.SetHookSwitchReply(HookSwitchReply::Zero);
    EXPECT_EQ(0, phoneSetHookSwitch(phone, PHONEHOOKSWITCHDEV_SPEAKER, PHONEHOOKSWITCHMODE_ONHOOK));
    control.FailNext("phoneSetHookSwitch", PHONEERR_RESOURCEUNAVAIL);
    EXPECT_EQ(PHONEERR_RESOURCEUNAVAIL, phoneSetHookSwitch(phone, PHONEHOOKSWITCHDEV_SPEAKER,
                                                           PHONEHOOKSWITCHMODE_MICSPEAKER));
    EXPECT_EQ(PHONEERR_INVALHOOKSWITCHMODE,
              phoneSetHookSwitch(phone, PHONEHOOKSWITCHDEV_SPEAKER,
                                 PHONEHOOKSWITCHMODE_MIC | PHONEHOOKSWITCHMODE_SPEAKER));

    auto hook = control.WaitForHookSwitch(1000);
    ASSERT_TRUE(hook.has_value());
    EXPECT_EQ(0x2u, hook->Number("devices"));
    EXPECT_EQ(0x8u, hook->Number("mode"));
    EXPECT_EQ(0, phoneClose(phone));
    EXPECT_EQ(0, phoneShutdown(app));

    control.SetPhoneDeviceCount(0);
    ASSERT_EQ(0,
              phoneInitializeExA(&app, nullptr, nullptr, "SimTest", &devices, &version, &params));
    EXPECT_EQ(0u, devices);
    EXPECT_EQ(PHONEERR_BADDEVICEID,
              phoneNegotiateAPIVersion(app, 0, version, version, &negotiated, &extension));
    EXPECT_EQ(0, phoneShutdown(app));
}

TEST_F(SimModemControl, ToolDrivesTheLineFromAnotherProcess) {
    LineApp app;
    ASSERT_EQ(0, app.result);
    app.OpenVoice(1);
    const std::string tool = "\"" + ProgramFolder() + "simmodem.exe\"";

    ProcessResult ring = RunProcess(tool + " ring 5551234", {});
    EXPECT_EQ(0u, ring.exitCode) << ring.output;
    // The command returned only after queueing, so the messages are here already.
    const std::vector<Msg> offered = Brief(app.Drain());
    ASSERT_EQ(4u, offered.size());
    EXPECT_EQ((Msg{LINE_CALLINFO, LINECALLINFOSTATE_CALLERID, 0}), offered[3]);

    ProcessResult log = RunProcess(tool + " log", {});
    EXPECT_EQ(0u, log.exitCode);
    EXPECT_NE(std::string::npos, log.output.find("lineOpenA")) << log.output;

    ProcessResult nobody = RunProcess(tool + " --channel nobody-serves-this answer", {});
    EXPECT_EQ(1u, nobody.exitCode);
    EXPECT_NE(std::string::npos, nobody.output.find("no program")) << nobody.output;
    EXPECT_FALSE(Control("nobody-serves-this").IsLive());
    EXPECT_THROW(Control("nobody-serves-this").Ring(), ControlError);

    ProcessResult wrong = RunProcess(tool + " hangup sideways", {});
    EXPECT_EQ(1u, wrong.exitCode);
}

// Runs only as the child of the test below, in a process whose DLL loads after the
// configuration was saved.
TEST(SimModemChild, StartsWithTheConfigurationSavedBeforeItLoaded) {
    if (GetEnvironmentVariableA(kChildVariable, nullptr, 0) == 0) {
        GTEST_SKIP() << "started by ConfigurationSavedBeforeStartHoldsInANewProcess";
    }
    LineApp app;
    ASSERT_EQ(0, app.result);
    EXPECT_EQ(1u, app.devices);
    HLINE line = 0;
    EXPECT_EQ(LINEERR_NODRIVER,
              lineOpenA(app.handle, 0, &line, app.version, 0, 1, LINECALLPRIVILEGE_OWNER,
                        LINEMEDIAMODE_AUTOMATEDVOICE, nullptr));
}

TEST_F(SimModemControl, ConfigurationSavedBeforeStartHoldsInANewProcess) {
    Control child("simmodem_test_child");
    child.ResetConfiguration();
    child.SetLineDevices({{LineDevice::Kind::Voice, 0, ""}});
    child.FailNext("lineOpenA", LINEERR_NODRIVER);
    EXPECT_EQ(2u, child.SavedConfiguration().size());

    ProcessResult run =
        RunProcess("\"" + ProgramPath() + "\" --gtest_filter=SimModemChild.*",
                   {{"VOXTELO_SIMMODEM_CHANNEL", "simmodem_test_child"}, {kChildVariable, "1"}});
    EXPECT_EQ(0u, run.exitCode) << run.output;
    EXPECT_NE(std::string::npos, run.output.find("[  PASSED  ] 1 test")) << run.output;
    child.ResetConfiguration();
    EXPECT_TRUE(child.SavedConfiguration().empty());
}

}  // namespace
}  // namespace simmodem::test
