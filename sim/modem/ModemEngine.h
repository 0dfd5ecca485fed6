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
#include "sim/modem/TapiSide.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
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
        const TapiSide* side = &kLineSide;
        std::string name;
        fw::KernelHandle ready;
        fw::KernelHandle wake;
        std::deque<LINEMESSAGE> queue;
        bool shutDown = false;
        uint64_t delivered = 0;
    };
    // What an open line and an open phone both keep: who opened it, and how to reach them.
    struct OpenDevice {
        DWORD handle = 0;
        DWORD device = 0;
        std::shared_ptr<App> app;
        DWORD_PTR instance = 0;
        DWORD version = 0;
    };
    struct Line : OpenDevice {
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
    struct Phone : OpenDevice {
        DWORD privilege = 0;
        DWORD phoneStates = 0;
        DWORD speakerMode = PHONEHOOKSWITCHMODE_ONHOOK;
    };
    using Fields = std::vector<std::pair<std::string, std::string>>;
    // Does a function's work and returns its result, adding what it learnt to the fields.
    using Body = std::function<LONG(Fields& fields)>;
    // The same for a request answered later: `inReply` is the failure its reply must carry
    // (and then it does nothing else), or null.
    using RequestBody = std::function<LONG(Fields& fields, const Failure* inReply)>;

    // Every exported function but the message fetchers: under the lock, a failure set up
    // for `function` answers instead of the body, and the call goes into the record.
    LONG Recorded(Function function, Fields fields, const Body& body);
    LONG RecordedRequest(Function function, Fields fields, const RequestBody& body);

    // The twins that behave alike, written once for both sides (ModemEngineTwins.cpp).
    template <typename InitializeParams>
    LONG InitializeEx(const TapiSide& side, LPDWORD app, LPCSTR appName, LPDWORD numDevs,
                      LPDWORD apiVersion, InitializeParams* params);
    template <typename ExtensionId>
    LONG NegotiateAPIVersion(const TapiSide& side, DWORD app, DWORD device, DWORD low, DWORD high,
                             LPDWORD version, ExtensionId* extension);
    // Checks the request, clears the fixed part of `caps` and leaves the rest to `fill`.
    LONG GetDevCaps(const TapiSide& side, DWORD app, DWORD device, DWORD version, DWORD extVersion,
                    void* caps, DWORD fixedSize, const std::function<void(Fields& fields)>& fill);
    LONG FetchMessage(const TapiSide& side, DWORD app, LINEMESSAGE* message, DWORD timeout);
    LONG Close(const TapiSide& side, DWORD device);
    LONG Shutdown(const TapiSide& side, DWORD app);

    static std::string Text(LPCSTR text);  // "(null)" for a missing string

    // Helpers; all expect mutex_ held.
    void Note(Function function, Fields fields, LONG result);
    bool TakeFailure(Function function, Failure* failure);
    std::shared_ptr<App> FindApp(DWORD handle, const TapiSide& side);
    Line* FindLine(HLINE handle);
    Call* FindCall(HCALL handle);
    Phone* FindPhone(HPHONE handle);
    DWORD NextHandle(DWORD base);
    LONG NextRequestId();
    bool VersionSupported(DWORD version) const;
    DWORD DeviceCount(const TapiSide& side) const;
    LONG RefuseVersions(const TapiSide& side, DWORD version, DWORD extVersion) const;
    // A device identifier that does not exist, or a line device that was removed.
    LONG RefuseDevice(const TapiSide& side, DWORD device) const;
    // The refusals lineOpenA and phoneOpen share, after the application's, in TAPI's order.
    LONG RefuseOpen(const TapiSide& side, DWORD device, const void* handleOut, DWORD version,
                    DWORD extVersion) const;
    static Fields OpenFields(DWORD app, DWORD device, DWORD version, DWORD extVersion,
                             DWORD_PTR instance);
    void Attach(OpenDevice& open, const TapiSide& side, std::shared_ptr<App> app, DWORD device,
                DWORD_PTR instance, DWORD version);
    void Post(App& app, DWORD device, DWORD message, DWORD_PTR instance, DWORD_PTR param1,
              DWORD_PTR param2, DWORD_PTR param3);
    void PostTo(const OpenDevice& open, DWORD device, DWORD message, DWORD_PTR param1,
                DWORD_PTR param2, DWORD_PTR param3);
    void PostReply(const OpenDevice& open, LONG requestId, const Failure* failure);
    void SetCallState(Call& call, DWORD state, DWORD mode, DWORD privilege = 0);
    void PostLineDevState(const Line& line, DWORD state, DWORD_PTR param2, DWORD_PTR param3);
    void DeliverCallerId(Call& call, const std::string& number, const std::string& name);
    // lineAnswer and lineDrop: the line's owner asks for the call to move to `state`, which
    // `allowedFrom` allows from the call's present state; `refusal`, when not 0, is the last
    // objection.
    LONG RequestCallState(Function function, HCALL handle, LPCSTR userUserInfo, DWORD size,
                          bool (*allowedFrom)(DWORD state), LONG refusal, DWORD state, DWORD mode);
    bool IsOpen(const TapiSide& side, DWORD device) const;
    void CloseDeviceLocked(const TapiSide& side, DWORD device);
    void ShutdownApp(const std::shared_ptr<App>& app);
    Call* ActiveCallOnOwnedLine(std::string* error);

    // Control commands.
    std::string CommandRing(const std::vector<std::string>& words);
    std::string CommandCallerId(const std::vector<std::string>& words);
    std::string CommandFarEndAnswer();
    std::string CommandDisconnect(DWORD mode, bool thenIdle, bool outgoingUnansweredOnly);
    std::string CommandInject(const std::vector<std::string>& words);
    std::string CommandCloseLine();
    std::string CommandRemoveLine(const std::vector<std::string>& words);
    std::string CommandReinit();
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
    // Applications told to re-initialise that have not shut down yet; until they have, no
    // new application is initialised.
    std::set<DWORD> reinitPending_;
};

}  // namespace simmodem
