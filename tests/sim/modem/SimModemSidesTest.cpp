// The line and phone halves of TAPI mirror each other function by function; each half must
// still refuse with its own error codes and record its calls under its own names and fields.
#include "sim/modem/TapiNames.h"
#include "sim/modem/control/SimModemControl.h"
#include "tests/sim/modem/SimModemTestSupport.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <ostream>

namespace simmodem::test {
namespace {

constexpr DWORD kVersion = 0x00020000;
constexpr DWORD kParamsSize = sizeof(LINEINITIALIZEEXPARAMS);
constexpr DWORD kCapsBuffer = 2048;

// One half as a program sees it, behind calls of one shape. A size or pointer of 0 stands
// for a missing structure.
struct Side {
    bool phone = false;
    std::string prefix;  // how its exported names start
    std::string openName;
    DWORD device = 0;  // present in the default configuration
    DWORD deviceCount = 0;
    DWORD capsFixedSize = 0;
    std::vector<std::string> capsFields;
    std::vector<std::string> openFields;
    std::function<LONG(DWORD* app, DWORD* version, DWORD options, DWORD paramsSize)> initialize;
    std::function<LONG(DWORD app, DWORD device, DWORD low, DWORD high, DWORD* negotiated)>
        negotiate;
    std::function<LONG(DWORD app, DWORD device, DWORD version, DWORD extVersion, DWORD total)>
        getDevCaps;
    std::function<LONG(DWORD app, DWORD device, DWORD version, DWORD extVersion, DWORD* handle)>
        open;
    std::function<LONG(DWORD app)> getMessage;
    std::function<LONG(DWORD handle)> close;
    std::function<LONG(DWORD app)> shutdown;

    // mingw-w64 spells the codes as unsigned numbers; the functions return them as LONG.
    LONG Code(DWORD lineCode, DWORD phoneCode) const {
        return static_cast<LONG>(phone ? phoneCode : lineCode);
    }
};

void PrintTo(const Side& side, std::ostream* out) {
    *out << side.prefix;
}

// The calls both halves make alike, over one half's exports and structure types.
template <typename InitializeParams, typename ExtensionId, typename Caps, typename Message,
          typename Initialize, typename Negotiate, typename GetDevCaps, typename GetMessage>
void SetAlikeCalls(Side& side, Initialize initialize, Negotiate negotiate, GetDevCaps getDevCaps,
                   GetMessage getMessage) {
    side.initialize = [initialize](DWORD* app, DWORD* version, DWORD options, DWORD size) {
        InitializeParams params{};
        params.dwTotalSize = size;
        params.dwOptions = options;
        DWORD devices = 0;
        return initialize(app, nullptr, nullptr, "Sides", &devices, version,
                          size ? &params : nullptr);
    };
    side.negotiate = [negotiate](DWORD app, DWORD device, DWORD low, DWORD high,
                                 DWORD* negotiated) {
        ExtensionId extension{};
        return negotiate(app, device, low, high, negotiated, negotiated ? &extension : nullptr);
    };
    side.getDevCaps = [getDevCaps](DWORD app, DWORD device, DWORD version, DWORD ext, DWORD total) {
        // Room for `total` at the least, so a lying dwTotalSize is the only fault offered.
        std::vector<char> buffer(std::max(total, kCapsBuffer));
        std::memcpy(buffer.data(), &total, sizeof total);
        auto* caps = reinterpret_cast<Caps*>(buffer.data());
        return getDevCaps(app, device, version, ext, total ? caps : nullptr);
    };
    side.getMessage = [getMessage](DWORD app) {
        Message message{};
        return getMessage(app, &message, 0);
    };
}

Side LineSide() {
    Side side;
    side.prefix = "line";
    side.openName = "lineOpenA";
    side.device = 1;
    side.deviceCount = 2;
    side.capsFixedSize = offsetof(LINEDEVCAPS, PermanentLineGuid);
    side.capsFields = {"app", "device", "version", "total", "needed", "mediaModes", "result"};
    side.openFields = {"app",        "device",     "version", "extVersion", "instance",
                       "privileges", "mediaModes", "params",  "line",       "result"};
    SetAlikeCalls<LINEINITIALIZEEXPARAMS, LINEEXTENSIONID, LINEDEVCAPS, LINEMESSAGE>(
        side, lineInitializeExA, lineNegotiateAPIVersion, lineGetDevCapsA, lineGetMessage);
    side.open = [](DWORD app, DWORD device, DWORD version, DWORD ext, DWORD* handle) {
        return lineOpenA(app, device, handle, version, ext, 1, LINECALLPRIVILEGE_OWNER,
                         LINEMEDIAMODE_AUTOMATEDVOICE, nullptr);
    };
    side.close = lineClose;
    side.shutdown = lineShutdown;
    return side;
}

Side PhoneSide() {
    Side side;
    side.phone = true;
    side.prefix = "phone";
    side.openName = "phoneOpen";
    side.deviceCount = 1;
    side.capsFixedSize = offsetof(PHONECAPS, PermanentPhoneGuid);
    side.capsFields = {"app", "device", "version", "total", "needed", "result"};
    side.openFields = {"app",      "device",    "version", "extVersion",
                       "instance", "privilege", "phone",   "result"};
    SetAlikeCalls<PHONEINITIALIZEEXPARAMS, PHONEEXTENSIONID, PHONECAPS, PHONEMESSAGE>(
        side, phoneInitializeExA, phoneNegotiateAPIVersion, phoneGetDevCapsA, phoneGetMessage);
    side.open = [](DWORD app, DWORD device, DWORD version, DWORD ext, DWORD* handle) {
        return phoneOpen(app, device, handle, version, ext, 1, PHONEPRIVILEGE_OWNER);
    };
    side.close = phoneClose;
    side.shutdown = phoneShutdown;
    return side;
}

class SimModemSides : public FreshModemTest, public ::testing::WithParamInterface<Side> {};

TEST_P(SimModemSides, RefusesBadRequestsWithItsOwnCodes) {
    const Side& side = GetParam();
    DWORD app = 0;
    DWORD version = kVersion;
    ASSERT_EQ(0, side.initialize(&app, &version, LINEINITIALIZEEXOPTION_USEEVENT, kParamsSize));
    DWORD device = 0;
    ASSERT_EQ(0, side.open(app, side.device, kVersion, 0, &device));

    auto initialize = [&](DWORD asked, DWORD options, DWORD size) {
        DWORD refused = 0;
        return side.initialize(&refused, &asked, options, size);
    };
    const DWORD useEvent = LINEINITIALIZEEXOPTION_USEEVENT;
    const DWORD fixed = side.capsFixedSize;
    const DWORD missing = side.deviceCount;
    DWORD negotiated = 0;
    DWORD unused = 0;
    struct Case {
        const char* what;
        LONG result;
        DWORD lineCode;
        DWORD phoneCode;
    } cases[] = {
        {"initialise without params", initialize(kVersion, useEvent, 0), LINEERR_INVALPOINTER,
         PHONEERR_INVALPOINTER},
        {"initialise for a hidden window", initialize(kVersion, 1, kParamsSize),
         LINEERR_OPERATIONUNAVAIL, PHONEERR_OPERATIONUNAVAIL},
        {"initialise with params cut short", initialize(kVersion, useEvent, 16),
         LINEERR_STRUCTURETOOSMALL, PHONEERR_STRUCTURETOOSMALL},
        {"initialise for TAPI 1.4", initialize(0x00010004, useEvent, kParamsSize),
         LINEERR_INCOMPATIBLEAPIVERSION, PHONEERR_INCOMPATIBLEAPIVERSION},
        {"negotiate on a device handle", side.negotiate(device, 0, kVersion, kVersion, &negotiated),
         LINEERR_INVALAPPHANDLE, PHONEERR_INVALAPPHANDLE},
        {"negotiate for a missing device",
         side.negotiate(app, missing, kVersion, kVersion, &unused), LINEERR_BADDEVICEID,
         PHONEERR_BADDEVICEID},
        {"negotiate into nothing", side.negotiate(app, side.device, kVersion, kVersion, nullptr),
         LINEERR_INVALPOINTER, PHONEERR_INVALPOINTER},
        {"negotiate below 2.0", side.negotiate(app, side.device, 0x10003, 0x10004, &negotiated),
         LINEERR_INCOMPATIBLEAPIVERSION, PHONEERR_INCOMPATIBLEAPIVERSION},
        {"caps on a device handle", side.getDevCaps(device, side.device, kVersion, 0, 1024),
         LINEERR_INVALAPPHANDLE, PHONEERR_INVALAPPHANDLE},
        {"caps of a missing device", side.getDevCaps(app, missing, kVersion, 0, 1024),
         LINEERR_BADDEVICEID, PHONEERR_BADDEVICEID},
        {"caps for a version not offered", side.getDevCaps(app, side.device, 0x30002, 0, 1024),
         LINEERR_INCOMPATIBLEAPIVERSION, PHONEERR_INCOMPATIBLEAPIVERSION},
        {"caps with an extension", side.getDevCaps(app, side.device, kVersion, 1, 1024),
         LINEERR_INCOMPATIBLEEXTVERSION, PHONEERR_INCOMPATIBLEEXTVERSION},
        {"caps into nothing", side.getDevCaps(app, side.device, kVersion, 0, 0),
         LINEERR_INVALPOINTER, PHONEERR_INVALPOINTER},
        {"caps below the fixed part", side.getDevCaps(app, side.device, kVersion, 0, fixed - 1),
         LINEERR_STRUCTURETOOSMALL, PHONEERR_STRUCTURETOOSMALL},
        {"caps of the fixed part only", side.getDevCaps(app, side.device, kVersion, 0, fixed), 0,
         0},
        {"open on a device handle", side.open(device, side.device, kVersion, 0, &unused),
         LINEERR_INVALAPPHANDLE, PHONEERR_INVALAPPHANDLE},
        {"open a missing device", side.open(app, missing, kVersion, 0, &unused),
         LINEERR_BADDEVICEID, PHONEERR_BADDEVICEID},
        {"open into nothing", side.open(app, side.device, kVersion, 0, nullptr),
         LINEERR_INVALPOINTER, PHONEERR_INVALPOINTER},
        {"open for a version not offered", side.open(app, side.device, 0x30002, 0, &unused),
         LINEERR_INCOMPATIBLEAPIVERSION, PHONEERR_INCOMPATIBLEAPIVERSION},
        {"open with an extension", side.open(app, side.device, kVersion, 1, &unused),
         LINEERR_INCOMPATIBLEEXTVERSION, PHONEERR_INCOMPATIBLEEXTVERSION},
        {"message when none waits", side.getMessage(app), LINEERR_OPERATIONFAILED,
         PHONEERR_OPERATIONFAILED},
        {"message on a device handle", side.getMessage(device), LINEERR_INVALAPPHANDLE,
         PHONEERR_INVALAPPHANDLE},
        {"close an application handle", side.close(app), LINEERR_INVALLINEHANDLE,
         PHONEERR_INVALPHONEHANDLE},
        {"shut a device handle down", side.shutdown(device), LINEERR_INVALAPPHANDLE,
         PHONEERR_INVALAPPHANDLE},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(side.Code(c.lineCode, c.phoneCode), c.result) << side.prefix << ": " << c.what;
    }

    // Shutting the application down takes its devices and its queue with it.
    ASSERT_EQ(0, side.shutdown(app));
    EXPECT_EQ(side.Code(LINEERR_INVALLINEHANDLE, PHONEERR_INVALPHONEHANDLE), side.close(device));
    EXPECT_EQ(side.Code(LINEERR_INVALAPPHANDLE, PHONEERR_INVALAPPHANDLE), side.getMessage(app));
    EXPECT_EQ(side.Code(LINEERR_INVALAPPHANDLE, PHONEERR_INVALAPPHANDLE), side.shutdown(app));
}

TEST_P(SimModemSides, RecordsItsCallsUnderItsOwnNamesAndFields) {
    const Side& side = GetParam();
    const std::string& p = side.prefix;
    const LONG unavailable = side.Code(LINEERR_RESOURCEUNAVAIL, PHONEERR_RESOURCEUNAVAIL);
    const LONG failed = side.Code(LINEERR_OPERATIONFAILED, PHONEERR_OPERATIONFAILED);
    control.FailNext(p + "InitializeExA", unavailable);
    DWORD app = 0;
    DWORD version = kVersion;
    EXPECT_EQ(unavailable,
              side.initialize(&app, &version, LINEINITIALIZEEXOPTION_USEEVENT, kParamsSize));
    ASSERT_EQ(0, side.initialize(&app, &version, LINEINITIALIZEEXOPTION_USEEVENT, kParamsSize));
    DWORD negotiated = 0;
    ASSERT_EQ(0, side.negotiate(app, side.device, kVersion, kVersion, &negotiated));
    ASSERT_EQ(0, side.getDevCaps(app, side.device, negotiated, 0, kCapsBuffer));
    DWORD device = 0;
    ASSERT_EQ(0, side.open(app, side.device, negotiated, 0, &device));
    control.FailNext(p + "Close", failed);
    EXPECT_EQ(failed, side.close(device));
    EXPECT_EQ(0, side.close(device));
    EXPECT_EQ(0, side.shutdown(app));

    struct Expected {
        std::string function;
        std::vector<std::string> fields;
        LONG result;
    } expected[] = {
        {p + "InitializeExA", {"app", "version", "options", "result"}, unavailable},
        {p + "InitializeExA",
         {"app", "version", "options", "handle", "devices", "returnedVersion", "result"},
         0},
        {p + "NegotiateAPIVersion", {"app", "device", "low", "high", "negotiated", "result"}, 0},
        {p + "GetDevCapsA", side.capsFields, 0},
        {side.openName, side.openFields, 0},
        {p + "Close", {p, "result"}, failed},
        {p + "Close", {p, "result"}, 0},
        {p + "Shutdown", {"app", "result"}, 0},
    };
    const std::vector<RecordEntry> record = control.Record();
    ASSERT_EQ(std::size(expected), record.size());
    for (size_t i = 0; i < record.size(); ++i) {
        std::vector<std::string> keys;
        for (const auto& field : record[i].fields) {
            keys.push_back(field.first);
        }
        EXPECT_EQ(expected[i].function, record[i].function) << i;
        EXPECT_EQ(expected[i].fields, keys) << record[i].function;
        EXPECT_EQ(expected[i].result, record[i].Result()) << record[i].function;
    }
    EXPECT_EQ("Sides", record[1].Text("app"));
    EXPECT_EQ(Hex(app), record[1].Text("handle"));
    EXPECT_EQ(Hex(device), record[6].Text(p));
}

INSTANTIATE_TEST_SUITE_P(LineAndPhone, SimModemSides, ::testing::Values(LineSide(), PhoneSide()),
                         [](const ::testing::TestParamInfo<Side>& info) {
                             return info.param.prefix;
                         });

}  // namespace
}  // namespace simmodem::test
