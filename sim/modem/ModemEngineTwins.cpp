// The TAPI functions whose line and phone twins behave alike, each written once for both
// sides: initialising an application, negotiating versions, the shared checks of device
// capabilities and opening, fetching messages, closing and shutting down.
#include "sim/modem/ModemEngine.h"

#include "sim/modem/TapiNames.h"
#include "sim/modem/VariablePart.h"

#include <cstddef>
#include <cstring>

namespace simmodem {

static_assert(LINEINITIALIZEEXOPTION_USEEVENT == PHONEINITIALIZEEXOPTION_USEEVENT);
static_assert(sizeof(PHONEMESSAGE) == sizeof(LINEMESSAGE), "same record layout");

template <typename InitializeParams>
LONG ModemEngine::InitializeEx(const TapiSide& side, LPDWORD appOut, LPCSTR appName,
                               LPDWORD numDevs, LPDWORD apiVersion, InitializeParams* params) {
    Fields fields = {{"app", Text(appName)},
                     {"version", apiVersion ? Hex(*apiVersion) : "(null)"},
                     {"options", params ? Hex(params->dwOptions) : "(null)"}};
    return Recorded(side.initialize, std::move(fields), [&](Fields& fields) -> LONG {
        if (!params || !appOut || !numDevs || !apiVersion) {
            return side.invalPointer;
        }
        // Only the event-handle mechanism is simulated; it is what the program uses.
        if (params->dwOptions != LINEINITIALIZEEXOPTION_USEEVENT) {
            return side.operationUnavail;
        }
        const DWORD reach = offsetof(InitializeParams, Handles) + sizeof(HANDLE);
        if (params->dwTotalSize < reach) {
            return side.structureTooSmall;
        }
        if (*apiVersion < kLowestApiVersion) {
            return side.incompatibleApiVersion;
        }
        if (!reinitPending_.empty()) {
            return side.reinit;
        }
        auto app = std::make_shared<App>();
        app->side = &side;
        app->name = Text(appName);
        app->ready.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        app->wake.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        if (!app->ready || !app->wake) {
            return side.noMem;
        }
        app->handle = NextHandle(side.appBase);
        apps_[app->handle] = app;
        *appOut = app->handle;
        *numDevs = DeviceCount(side);
        *apiVersion = settings_.highestApiVersion;
        // A value no handle table holds, so a wait on it fails.
        static const HANDLE kNoHandle =
            reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0x0FFFFFFC));
        params->Handles.hEvent = settings_.invalidEventHandle ? kNoHandle : app->ready.Get();
        params->dwNeededSize = reach;
        params->dwUsedSize = reach;
        fields.emplace_back("handle", Hex(app->handle));
        fields.emplace_back("devices", std::to_string(*numDevs));
        fields.emplace_back("returnedVersion", Hex(*apiVersion));
        return 0;
    });
}

template <typename ExtensionId>
LONG ModemEngine::NegotiateAPIVersion(const TapiSide& side, DWORD app, DWORD device, DWORD low,
                                      DWORD high, LPDWORD version, ExtensionId* extension) {
    Fields fields = {{"app", Hex(app)},
                     {"device", std::to_string(device)},
                     {"low", Hex(low)},
                     {"high", Hex(high)}};
    return Recorded(side.negotiate, std::move(fields), [&](Fields& fields) -> LONG {
        const DWORD highest = settings_.highestApiVersion;
        if (!FindApp(app, side)) {
            return side.invalAppHandle;
        }
        if (const LONG refused = RefuseDevice(side, device)) {
            return refused;
        }
        if (!version || !extension) {
            return side.invalPointer;
        }
        if (low > high || high < kLowestApiVersion || low > highest) {
            return side.incompatibleApiVersion;
        }
        *version = high < highest ? high : highest;
        std::memset(extension, 0, sizeof *extension);
        fields.emplace_back("negotiated", Hex(*version));
        return 0;
    });
}

// Device functions need a version the modem offers and no extensions.
LONG ModemEngine::RefuseVersions(const TapiSide& side, DWORD version, DWORD extVersion) const {
    if (!VersionSupported(version)) {
        return side.incompatibleApiVersion;
    }
    return extVersion != 0 ? side.incompatibleExtVersion : 0;
}

LONG ModemEngine::GetDevCaps(const TapiSide& side, DWORD app, DWORD device, DWORD version,
                             DWORD extVersion, void* caps, DWORD fixedSize,
                             const std::function<void(Fields& fields)>& fill) {
    Fields fields = {{"app", Hex(app)},
                     {"device", std::to_string(device)},
                     {"version", Hex(version)},
                     {"total", caps ? std::to_string(TotalSize(caps)) : "(null)"}};
    return Recorded(side.getDevCaps, std::move(fields), [&](Fields& fields) -> LONG {
        if (!FindApp(app, side)) {
            return side.invalAppHandle;
        }
        if (const LONG refused = RefuseDevice(side, device)) {
            return refused;
        }
        if (const LONG refused = RefuseVersions(side, version, extVersion)) {
            return refused;
        }
        if (!caps) {
            return side.invalPointer;
        }
        if (TotalSize(caps) < fixedSize) {
            return side.structureTooSmall;
        }
        ClearFixedPart(caps, fixedSize);
        fill(fields);
        return 0;
    });
}

ModemEngine::Fields ModemEngine::OpenFields(DWORD app, DWORD device, DWORD version,
                                            DWORD extVersion, DWORD_PTR instance) {
    return {{"app", Hex(app)},
            {"device", std::to_string(device)},
            {"version", Hex(version)},
            {"extVersion", Hex(extVersion)},
            {"instance", Hex(static_cast<uint32_t>(instance))}};
}

LONG ModemEngine::RefuseDevice(const TapiSide& side, DWORD device) const {
    if (device >= DeviceCount(side)) {
        return side.badDeviceId;
    }
    return !side.phone && settings_.lines[device].removed ? side.noDevice : 0;
}

LONG ModemEngine::RefuseOpen(const TapiSide& side, DWORD device, const void* handleOut,
                             DWORD version, DWORD extVersion) const {
    if (const LONG refused = RefuseDevice(side, device)) {
        return refused;
    }
    if (!handleOut) {
        return side.invalPointer;
    }
    return RefuseVersions(side, version, extVersion);
}

LONG ModemEngine::FetchMessage(const TapiSide& side, DWORD appHandle, LINEMESSAGE* message,
                               DWORD timeout) {
    std::shared_ptr<App> app;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Failure failure;
        if (TakeFailure(side.getMessage, &failure)) {
            return failure.code;
        }
        app = FindApp(appHandle, side);
        if (!app) {
            return side.invalAppHandle;
        }
        if (!message) {
            return side.invalPointer;
        }
    }
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (app->shutDown) {
                return side.invalAppHandle;
            }
            if (!app->queue.empty()) {
                *message = app->queue.front();
                app->queue.pop_front();
                ++app->delivered;
                if (app->queue.empty()) {
                    ResetEvent(app->ready.Get());
                }
                return 0;
            }
        }
        DWORD wait = timeout;
        if (timeout != INFINITE) {
            const ULONGLONG elapsed = GetTickCount64() - start;
            if (elapsed >= timeout) {
                return side.operationFailed;
            }
            wait = static_cast<DWORD>(timeout - elapsed);
        }
        const HANDLE handles[] = {app->ready.Get(), app->wake.Get()};
        const DWORD woken = WaitForMultipleObjects(2, handles, FALSE, wait);
        if (woken == WAIT_FAILED) {
            return side.operationFailed;
        }
    }
}

LONG ModemEngine::Close(const TapiSide& side, DWORD device) {
    return Recorded(side.close, {{side.deviceKey, Hex(device)}}, [&](Fields&) -> LONG {
        if (!IsOpen(side, device)) {
            return side.invalDeviceHandle;
        }
        CloseDeviceLocked(side, device);
        return 0;
    });
}

LONG ModemEngine::Shutdown(const TapiSide& side, DWORD appHandle) {
    return Recorded(side.shutdown, {{"app", Hex(appHandle)}}, [&](Fields&) -> LONG {
        std::shared_ptr<App> app = FindApp(appHandle, side);
        if (!app) {
            return side.invalAppHandle;
        }
        ShutdownApp(app);
        return 0;
    });
}

// ---- the exported twins, each handed to the one implementation ----

LONG ModemEngine::LineInitializeEx(LPHLINEAPP app, LPCSTR appName, LPDWORD numDevs,
                                   LPDWORD apiVersion, LPLINEINITIALIZEEXPARAMS params) {
    return InitializeEx(kLineSide, app, appName, numDevs, apiVersion, params);
}

LONG ModemEngine::PhoneInitializeEx(LPHPHONEAPP app, LPCSTR appName, LPDWORD numDevs,
                                    LPDWORD apiVersion, LPPHONEINITIALIZEEXPARAMS params) {
    return InitializeEx(kPhoneSide, app, appName, numDevs, apiVersion, params);
}

LONG ModemEngine::LineNegotiateAPIVersion(HLINEAPP app, DWORD device, DWORD low, DWORD high,
                                          LPDWORD version, LPLINEEXTENSIONID extension) {
    return NegotiateAPIVersion(kLineSide, app, device, low, high, version, extension);
}

LONG ModemEngine::PhoneNegotiateAPIVersion(HPHONEAPP app, DWORD device, DWORD low, DWORD high,
                                           LPDWORD version, LPPHONEEXTENSIONID extension) {
    return NegotiateAPIVersion(kPhoneSide, app, device, low, high, version, extension);
}

LONG ModemEngine::LineGetMessage(HLINEAPP app, LPLINEMESSAGE message, DWORD timeout) {
    return FetchMessage(kLineSide, app, message, timeout);
}

LONG ModemEngine::PhoneGetMessage(HPHONEAPP app, LPPHONEMESSAGE message, DWORD timeout) {
    LINEMESSAGE taken{};
    const LONG result = FetchMessage(kPhoneSide, app, message ? &taken : nullptr, timeout);
    if (result == 0) {
        std::memcpy(message, &taken, sizeof taken);
    }
    return result;
}

LONG ModemEngine::LineClose(HLINE line) {
    return Close(kLineSide, line);
}

LONG ModemEngine::PhoneClose(HPHONE phone) {
    return Close(kPhoneSide, phone);
}

LONG ModemEngine::LineShutdown(HLINEAPP app) {
    return Shutdown(kLineSide, app);
}

LONG ModemEngine::PhoneShutdown(HPHONEAPP app) {
    return Shutdown(kPhoneSide, app);
}

}  // namespace simmodem
