// The simulated voice modem itself: TAPI applications with their message queues, the open
// lines and phones, the calls, the settings in force and the record. The exported TAPI
// functions and the control server both act on the one instance, under one lock.
#pragma once

#include <windows.h>
#include <tapi.h>

#include "framework/Handles.h"
#include "sim/modem/Channel.h"
#include "sim/modem/Record.h"
#include "sim/modem/Settings.h"

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace simmodem {

class ModemEngine {
public:
    // Made on first use, with the settings of the channel's configuration file.
    static ModemEngine& Instance();

    // The TAPI functions, with TAPI's arguments and results.
    LONG LineInitializeEx(LPHLINEAPP app, LPCSTR appName, LPDWORD numDevs, LPDWORD apiVersion,
                          LPLINEINITIALIZEEXPARAMS params);
    LONG LineNegotiateAPIVersion(HLINEAPP app, DWORD device, DWORD low, DWORD high, LPDWORD version,
                                 LPLINEEXTENSIONID extension);
    LONG LineGetDevCaps(HLINEAPP app, DWORD device, DWORD version, DWORD extVersion,
                        LPLINEDEVCAPS caps);
    LONG LineOpen(HLINEAPP app, DWORD device, LPHLINE line, DWORD version, DWORD extVersion,
                  DWORD_PTR instance, DWORD privileges, DWORD mediaModes, LPLINECALLPARAMS params);
    LONG LineSetStatusMessages(HLINE line, DWORD lineStates, DWORD addressStates);
    LONG LineGetMessage(HLINEAPP app, LPLINEMESSAGE message, DWORD timeout);
    LONG LineMakeCall(HLINE line, LPHCALL call, LPCSTR address, DWORD countryCode,
                      const LINECALLPARAMS* params);
    LONG LineAnswer(HCALL call, LPCSTR userUserInfo, DWORD size);
    LONG LineDrop(HCALL call, LPCSTR userUserInfo, DWORD size);
    LONG LineGetCallInfo(HCALL call, LPLINECALLINFO info);
    LONG LineDeallocateCall(HCALL call);
    LONG LineClose(HLINE line);
    LONG LineShutdown(HLINEAPP app);

    LONG PhoneInitializeEx(LPHPHONEAPP app, LPCSTR appName, LPDWORD numDevs, LPDWORD apiVersion,
                           LPPHONEINITIALIZEEXPARAMS params);
    LONG PhoneNegotiateAPIVersion(HPHONEAPP app, DWORD device, DWORD low, DWORD high,
                                  LPDWORD version, LPPHONEEXTENSIONID extension);
    LONG PhoneGetDevCaps(HPHONEAPP app, DWORD device, DWORD version, DWORD extVersion,
                         LPPHONECAPS caps);
    LONG PhoneOpen(HPHONEAPP app, DWORD device, LPHPHONE phone, DWORD version, DWORD extVersion,
                   DWORD_PTR instance, DWORD privilege);
    LONG PhoneSetStatusMessages(HPHONE phone, DWORD phoneStates, DWORD buttonModes,
                                DWORD buttonStates);
    LONG PhoneSetHookSwitch(HPHONE phone, DWORD devices, DWORD mode);
    LONG PhoneGetMessage(HPHONEAPP app, LPPHONEMESSAGE message, DWORD timeout);
    LONG PhoneClose(HPHONE phone);
    LONG PhoneShutdown(HPHONEAPP app);

    // One control request (a line of words) in, "ok\n<payload>" or "error\n<text>" out.
    std::string Execute(const std::string& request);

private:
    ModemEngine();
    // The defaults, then each line of the file; bad lines are skipped and remembered.
    void LoadSettingsFile(const std::string& path);

    // A line or phone application: its messages wait in `queue`; `ready` (the event handed
    // to the program) is set exactly while the queue is not empty; `wake` ends waits at
    // shutdown. Shared so a waiting lineGetMessage keeps it alive past lineShutdown.
    struct App {
        DWORD handle = 0;
        bool phone = false;
        std::string name;
        fw::KernelHandle ready;
        fw::KernelHandle wake;
        std::deque<LINEMESSAGE> queue;
        bool shutDown = false;
        uint64_t delivered = 0;
    };
    struct Line {
        HLINE handle = 0;
        DWORD device = 0;
        std::shared_ptr<App> app;
        DWORD_PTR instance = 0;
        DWORD version = 0;
        DWORD privileges = 0;
        DWORD mediaModes = 0;
        DWORD lineStates = 0;
        DWORD addressStates = 0;
    };
    struct Call {
        HCALL handle = 0;
        HLINE line = 0;
        DWORD device = 0;
        bool incoming = false;
        DWORD state = LINECALLSTATE_IDLE;
        DWORD mode = 0;
        DWORD mediaMode = LINEMEDIAMODE_AUTOMATEDVOICE;
        DWORD callId = 0;
        DWORD rings = 0;
        std::string dialled;
        bool callerIdKnown = false;
        std::string callerId;
        std::string callerName;
    };
    struct Phone {
        HPHONE handle = 0;
        DWORD device = 0;
        std::shared_ptr<App> app;
        DWORD_PTR instance = 0;
        DWORD version = 0;
        DWORD privilege = 0;
        DWORD phoneStates = 0;
        DWORD speakerMode = PHONEHOOKSWITCHMODE_ONHOOK;
    };
    using Fields = std::vector<std::pair<std::string, std::string>>;

    // Handles of each kind come from their own range, so a handle of the wrong kind is
    // recognised as invalid, as TAPI would.
    static constexpr DWORD kLineAppBase = 0x10000;
    static constexpr DWORD kLineBase = 0x20000;
    static constexpr DWORD kCallBase = 0x30000;
    static constexpr DWORD kPhoneAppBase = 0x40000;
    static constexpr DWORD kPhoneBase = 0x50000;
    static constexpr DWORD kHandleRange = 0x10000;

    // Helpers; all expect mutex_ held.
    void Note(Function function, Fields fields, LONG result);
    bool TakeFailure(Function function, Failure* failure);
    std::shared_ptr<App> FindApp(DWORD handle, bool phone);
    Line* FindLine(HLINE handle);
    Call* FindCall(HCALL handle);
    Phone* FindPhone(HPHONE handle);
    DWORD NextHandle(DWORD base);
    LONG NextRequestId();
    bool VersionSupported(DWORD version) const;
    void Post(App& app, DWORD device, DWORD message, DWORD_PTR instance, DWORD_PTR param1,
              DWORD_PTR param2, DWORD_PTR param3);
    void PostToLine(const Line& line, DWORD device, DWORD message, DWORD_PTR param1,
                    DWORD_PTR param2, DWORD_PTR param3);
    void SetCallState(Call& call, DWORD state, DWORD mode, DWORD privilege = 0);
    void PostLineDevState(const Line& line, DWORD state, DWORD_PTR param2, DWORD_PTR param3);
    void DeliverCallerId(Call& call, const std::string& number, const std::string& name);
    void RemoveCallsOf(HLINE line);
    void CloseLineLocked(HLINE line);
    void ShutdownApp(const std::shared_ptr<App>& app);
    LONG Initialize(bool phone, DWORD* handle, LPCSTR appName, LPDWORD numDevs, LPDWORD apiVersion,
                    DWORD paramsTotalSize, DWORD paramsOptions, HANDLE* eventOut);
    LONG GetMessage(DWORD appHandle, bool phone, LINEMESSAGE* message, DWORD timeout);
    Call* ActiveCallOnOwnedLine(std::string* error);

    // Control commands.
    std::string CommandRing(const std::vector<std::string>& words);
    std::string CommandCallerId(const std::vector<std::string>& words);
    std::string CommandFarEndAnswer();
    std::string CommandDisconnect(DWORD mode, bool thenIdle, bool outgoingUnansweredOnly);
    std::string CommandInject(const std::vector<std::string>& words);
    std::string CommandRecord(const std::vector<std::string>& words);
    std::string CommandStatus();

    std::mutex mutex_;
    Settings settings_ = Settings::Defaults();
    std::vector<std::string> settingsProblems_;
    std::vector<RecordEntry> record_;
    uint64_t nextSeq_ = 1;
    DWORD handleCounter_ = 0;
    LONG nextRequestId_ = 1;
    DWORD nextCallId_ = 1;
    std::map<DWORD, std::shared_ptr<App>> apps_;
    std::map<HLINE, Line> lines_;
    std::map<HCALL, Call> calls_;
    std::map<HPHONE, Phone> phones_;
};

}  // namespace simmodem
