// The TAPI functions tapi32.dll exports, each handed to the modem engine, and the DLL's
// entry point, which pins the DLL and starts the control channel.
#include <windows.h>
#include <tapi.h>

#include "sim/modem/ControlServer.h"
#include "sim/modem/ModemEngine.h"

using simmodem::ModemEngine;

#define SIM_EXPORT extern "C" __declspec(dllexport)

SIM_EXPORT LONG WINAPI lineInitializeExA(LPHLINEAPP app, HINSTANCE, LINECALLBACK, LPCSTR appName,
                                         LPDWORD numDevs, LPDWORD apiVersion,
                                         LPLINEINITIALIZEEXPARAMS params) {
    return ModemEngine::Instance().LineInitializeEx(app, appName, numDevs, apiVersion, params);
}

SIM_EXPORT LONG WINAPI lineNegotiateAPIVersion(HLINEAPP app, DWORD device, DWORD low, DWORD high,
                                               LPDWORD version, LPLINEEXTENSIONID extension) {
    return ModemEngine::Instance().LineNegotiateAPIVersion(app, device, low, high, version,
                                                           extension);
}

SIM_EXPORT LONG WINAPI lineGetDevCapsA(HLINEAPP app, DWORD device, DWORD version, DWORD extVersion,
                                       LPLINEDEVCAPS caps) {
    return ModemEngine::Instance().LineGetDevCaps(app, device, version, extVersion, caps);
}

SIM_EXPORT LONG WINAPI lineOpenA(HLINEAPP app, DWORD device, LPHLINE line, DWORD version,
                                 DWORD extVersion, DWORD_PTR instance, DWORD privileges,
                                 DWORD mediaModes, LPLINECALLPARAMS params) {
    return ModemEngine::Instance().LineOpen(app, device, line, version, extVersion, instance,
                                            privileges, mediaModes, params);
}

SIM_EXPORT LONG WINAPI lineSetStatusMessages(HLINE line, DWORD lineStates, DWORD addressStates) {
    return ModemEngine::Instance().LineSetStatusMessages(line, lineStates, addressStates);
}

SIM_EXPORT LONG WINAPI lineGetMessage(HLINEAPP app, LPLINEMESSAGE message, DWORD timeout) {
    return ModemEngine::Instance().LineGetMessage(app, message, timeout);
}

SIM_EXPORT LONG WINAPI lineMakeCallA(HLINE line, LPHCALL call, LPCSTR address, DWORD countryCode,
                                     LPLINECALLPARAMS const params) {
    return ModemEngine::Instance().LineMakeCall(line, call, address, countryCode, params);
}

SIM_EXPORT LONG WINAPI lineAnswer(HCALL call, LPCSTR userUserInfo, DWORD size) {
    return ModemEngine::Instance().LineAnswer(call, userUserInfo, size);
}

SIM_EXPORT LONG WINAPI lineDrop(HCALL call, LPCSTR userUserInfo, DWORD size) {
    return ModemEngine::Instance().LineDrop(call, userUserInfo, size);
}

SIM_EXPORT LONG WINAPI lineGetCallInfoA(HCALL call, LPLINECALLINFO info) {
    return ModemEngine::Instance().LineGetCallInfo(call, info);
}

SIM_EXPORT LONG WINAPI lineDeallocateCall(HCALL call) {
    return ModemEngine::Instance().LineDeallocateCall(call);
}

SIM_EXPORT LONG WINAPI lineClose(HLINE line) {
    return ModemEngine::Instance().LineClose(line);
}

SIM_EXPORT LONG WINAPI lineShutdown(HLINEAPP app) {
    return ModemEngine::Instance().LineShutdown(app);
}

SIM_EXPORT LONG WINAPI phoneInitializeExA(LPHPHONEAPP app, HINSTANCE, PHONECALLBACK, LPCSTR appName,
                                          LPDWORD numDevs, LPDWORD apiVersion,
                                          LPPHONEINITIALIZEEXPARAMS params) {
    return ModemEngine::Instance().PhoneInitializeEx(app, appName, numDevs, apiVersion, params);
}

SIM_EXPORT LONG WINAPI phoneNegotiateAPIVersion(HPHONEAPP app, DWORD device, DWORD low, DWORD high,
                                                LPDWORD version, LPPHONEEXTENSIONID extension) {
    return ModemEngine::Instance().PhoneNegotiateAPIVersion(app, device, low, high, version,
                                                            extension);
}

SIM_EXPORT LONG WINAPI phoneGetDevCapsA(HPHONEAPP app, DWORD device, DWORD version,
                                        DWORD extVersion, LPPHONECAPS caps) {
    return ModemEngine::Instance().PhoneGetDevCaps(app, device, version, extVersion, caps);
}

SIM_EXPORT LONG WINAPI phoneOpen(HPHONEAPP app, DWORD device, LPHPHONE phone, DWORD version,
                                 DWORD extVersion, DWORD_PTR instance, DWORD privilege) {
    return ModemEngine::Instance().PhoneOpen(app, device, phone, version, extVersion, instance,
                                             privilege);
}

SIM_EXPORT LONG WINAPI phoneSetStatusMessages(HPHONE phone, DWORD phoneStates, DWORD buttonModes,
                                              DWORD buttonStates) {
    return ModemEngine::Instance().PhoneSetStatusMessages(phone, phoneStates, buttonModes,
                                                          buttonStates);
}

SIM_EXPORT LONG WINAPI phoneSetHookSwitch(HPHONE phone, DWORD devices, DWORD mode) {
    return ModemEngine::Instance().PhoneSetHookSwitch(phone, devices, mode);
}

SIM_EXPORT LONG WINAPI phoneGetMessage(HPHONEAPP app, LPPHONEMESSAGE message, DWORD timeout) {
    return ModemEngine::Instance().PhoneGetMessage(app, message, timeout);
}

SIM_EXPORT LONG WINAPI phoneClose(HPHONE phone) {
    return ModemEngine::Instance().PhoneClose(phone);
}

SIM_EXPORT LONG WINAPI phoneShutdown(HPHONEAPP app) {
    return ModemEngine::Instance().PhoneShutdown(app);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        // Pinned: the control thread runs this DLL's code until the process ends, so the
        // DLL must never be unloaded under it.
        HMODULE self = nullptr;
        if (!GetModuleHandleExA(
                GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                reinterpret_cast<LPCSTR>(&DllMain), &self)) {
            return FALSE;
        }
        simmodem::StartControlServer();
    }
    return TRUE;
}
