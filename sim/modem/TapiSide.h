// What tells TAPI's line and phone halves apart where they otherwise behave alike: their own
// error codes, the names their functions are recorded and failed under, and handle ranges.
#pragma once

#include <windows.h>
#include <tapi.h>

#include "sim/modem/Settings.h"

namespace simmodem {

// Handles of each kind come from their own range, so a handle of the wrong kind is
// recognised as invalid, as TAPI would.
constexpr DWORD kLineAppBase = 0x10000;
constexpr DWORD kLineBase = 0x20000;
constexpr DWORD kCallBase = 0x30000;
constexpr DWORD kPhoneAppBase = 0x40000;
constexpr DWORD kPhoneBase = 0x50000;
constexpr DWORD kHandleRange = 0x10000;

struct TapiSide {
    bool phone = false;
    const char* deviceKey = "";  // the record's name for a device handle argument
    DWORD appBase = 0;
    DWORD deviceBase = 0;
    DWORD replyMessage = 0;  // LINE_REPLY or PHONE_REPLY

    Function initialize{};
    Function negotiate{};
    Function getDevCaps{};
    Function open{};
    Function getMessage{};
    Function close{};
    Function shutdown{};

    LONG invalAppHandle = 0;
    LONG invalDeviceHandle = 0;
    LONG badDeviceId = 0;
    LONG invalPointer = 0;
    LONG incompatibleApiVersion = 0;
    LONG incompatibleExtVersion = 0;
    LONG structureTooSmall = 0;
    LONG operationUnavail = 0;
    LONG operationFailed = 0;
    LONG noMem = 0;
    LONG noDevice = 0;
    LONG reinit = 0;
};

// Each line below pairs the line half's value with the phone half's.
constexpr TapiSide MakeTapiSide(bool phone) {
    auto pick = [phone](auto line, auto phoneValue) { return phone ? phoneValue : line; };
    // mingw-w64 spells the codes as unsigned numbers; the functions return them as LONG.
    auto code = [phone](DWORD line, DWORD phoneCode) {
        return static_cast<LONG>(phone ? phoneCode : line);
    };
    TapiSide side;
    side.phone = phone;
    side.deviceKey = pick("line", "phone");
    side.appBase = pick(kLineAppBase, kPhoneAppBase);
    side.deviceBase = pick(kLineBase, kPhoneBase);
    side.replyMessage = pick(LINE_REPLY, PHONE_REPLY);

    side.initialize = pick(Function::lineInitializeExA, Function::phoneInitializeExA);
    side.negotiate = pick(Function::lineNegotiateAPIVersion, Function::phoneNegotiateAPIVersion);
    side.getDevCaps = pick(Function::lineGetDevCapsA, Function::phoneGetDevCapsA);
    side.open = pick(Function::lineOpenA, Function::phoneOpen);
    side.getMessage = pick(Function::lineGetMessage, Function::phoneGetMessage);
    side.close = pick(Function::lineClose, Function::phoneClose);
    side.shutdown = pick(Function::lineShutdown, Function::phoneShutdown);

    side.invalAppHandle = code(LINEERR_INVALAPPHANDLE, PHONEERR_INVALAPPHANDLE);
    side.invalDeviceHandle = code(LINEERR_INVALLINEHANDLE, PHONEERR_INVALPHONEHANDLE);
    side.badDeviceId = code(LINEERR_BADDEVICEID, PHONEERR_BADDEVICEID);
    side.invalPointer = code(LINEERR_INVALPOINTER, PHONEERR_INVALPOINTER);
    side.incompatibleApiVersion =
        code(LINEERR_INCOMPATIBLEAPIVERSION, PHONEERR_INCOMPATIBLEAPIVERSION);
    side.incompatibleExtVersion =
        code(LINEERR_INCOMPATIBLEEXTVERSION, PHONEERR_INCOMPATIBLEEXTVERSION);
    side.structureTooSmall = code(LINEERR_STRUCTURETOOSMALL, PHONEERR_STRUCTURETOOSMALL);
    side.operationUnavail = code(LINEERR_OPERATIONUNAVAIL, PHONEERR_OPERATIONUNAVAIL);
    side.operationFailed = code(LINEERR_OPERATIONFAILED, PHONEERR_OPERATIONFAILED);
    side.noMem = code(LINEERR_NOMEM, PHONEERR_NOMEM);
    side.noDevice = code(LINEERR_NODEVICE, PHONEERR_NODEVICE);
    side.reinit = code(LINEERR_REINIT, PHONEERR_REINIT);
    return side;
}

inline constexpr TapiSide kLineSide = MakeTapiSide(false);
inline constexpr TapiSide kPhoneSide = MakeTapiSide(true);

}  // namespace simmodem
