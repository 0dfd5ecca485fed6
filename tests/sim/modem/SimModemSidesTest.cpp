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

// mingw-w64 spells the error codes as unsigned numbers; the functions return them as LONG.
constexpr LONG Code(DWORD code) {
    return static_cast<LONG>(code);
}

struct Codes {
    LONG invalAppHandle;
    LONG invalDeviceHandle;
    LONG badDeviceId;
    LONG invalPointer;
    LONG incompatibleApiVersion;
    LONG incompatibleExtVersion;
    LONG structureTooSmall;
    LONG operationUnavail;
    LONG operationFailed;
    LONG resourceUnavail;
};

// One half as a program sees it, behind calls of one shape. A size or pointer of 0 stands
// for a missing structure.
struct Side {
    std::string prefix;  // how its exported names start
    std::string openName;
    DWORD device;  // present in the default configuration
    DWORD deviceCount;
    DWORD capsFixedSize;
    Codes codes;
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
};

void PrintTo(const Side& side, std::ostream* out) {
    *out << side.prefix;
}

template <typename Params>
Params InitializeParams(DWORD options, DWORD size) {
    Params params{};
    params.dwTotalSize = size;
    params.dwOptions = options;
    return params;
}

// Room for `total` bytes at the least, so a lying dwTotalSize is the only fault offered.
std::vector<char> CapsBuffer(DWORD total) {
    std::vector<char> buffer(std::max<DWORD>(total, kCapsBuffer));
    std::memcpy(buffer.data(), &total, sizeof total);
    return buffer;
}

Side LineSide() {
    Side side;
    side.prefix = "line";
    side.openName = "lineOpenA";
    side.device = 1;
    side.deviceCount = 2;
    side.capsFixedSize = offsetof(LINEDEVCAPS, PermanentLineGuid);
    side.codes = {Code(LINEERR_INVALAPPHANDLE),
                  Code(LINEERR_INVALLINEHANDLE),
                  Code(LINEERR_BADDEVICEID),
                  Code(LINEERR_INVALPOINTER),
                  Code(LINEERR_INCOMPATIBLEAPIVERSION),
                  Code(LINEERR_INCOMPATIBLEEXTVERSION),
                  Code(LINEERR_STRUCTURETOOSMALL),
                  Code(LINEERR_OPERATIONUNAVAIL),
                  Code(LINEERR_OPERATIONFAILED),
                  Code(LINEERR_RESOURCEUNAVAIL)};
    side.capsFields = {"app", "device", "version", "total", "needed", "mediaModes", "result"};
    side.openFields = {"app",        "device",     "version", "extVersion", "instance",
                       "privileges", "mediaModes", "params",  "line",       "result"};
    side.initialize = [](DWORD* app, DWORD* version, DWORD options, DWORD size) {
        auto params = InitializeParams<LINEINITIALIZEEXPARAMS>(options, size);
        DWORD devices = 0;
        return lineInitializeExA(app, nullptr, nullptr, "Sides", &devices, version,
                                 size ? &params : nullptr);
    };
    side.negotiate = [](DWORD app, DWORD device, DWORD low, DWORD high, DWORD* negotiated) {
        LINEEXTENSIONID extension{};
        return lineNegotiateAPIVersion(app, device, low, high, negotiated,
                                       negotiated ? &extension : nullptr);
    };
    side.getDevCaps = [](DWORD app, DWORD device, DWORD version, DWORD ext, DWORD total) {
        std::vector<char> buffer = CapsBuffer(total);
        auto* caps = reinterpret_cast<LINEDEVCAPS*>(buffer.data());
        return lineGetDevCapsA(app, device, version, ext, total ? caps : nullptr);
    };
    side.open = [](DWORD app, DWORD device, DWORD version, DWORD ext, DWORD* handle) {
        return lineOpenA(app, device, handle, version, ext, 1, LINECALLPRIVILEGE_OWNER,
                         LINEMEDIAMODE_AUTOMATEDVOICE, nullptr);
    };
    side.getMessage = [](DWORD app) {
        LINEMESSAGE message{};
        return lineGetMessage(app, &message, 0);
    };
    side.close = [](DWORD handle) { return lineClose(handle); };
    side.shutdown = [](DWORD app) { return lineShutdown(app); };
    return side;
}

Side PhoneSide() {
    Side side;
    side.prefix = "phone";
    side.openName = "phoneOpen";
    side.device = 0;
    side.deviceCount = 1;
    side.capsFixedSize = offsetof(PHONECAPS, PermanentPhoneGuid);
    side.codes = {Code(PHONEERR_INVALAPPHANDLE),
                  Code(PHONEERR_INVALPHONEHANDLE),
                  Code(PHONEERR_BADDEVICEID),
                  Code(PHONEERR_INVALPOINTER),
                  Code(PHONEERR_INCOMPATIBLEAPIVERSION),
                  Code(PHONEERR_INCOMPATIBLEEXTVERSION),
                  Code(PHONEERR_STRUCTURETOOSMALL),
                  Code(PHONEERR_OPERATIONUNAVAIL),
                  Code(PHONEERR_OPERATIONFAILED),
                  Code(PHONEERR_RESOURCEUNAVAIL)};
    side.capsFields = {"app", "device", "version", "total", "needed", "result"};
    side.openFields = {"app",      "device",    "version", "extVersion",
                       "instance", "privilege", "phone",   "result"};
    side.initialize = [](DWORD* app, DWORD* version, DWORD options, DWORD size) {
        auto params = InitializeParams<PHONEINITIALIZEEXPARAMS>(options, size);
        DWORD devices = 0;
        return phoneInitializeExA(app, nullptr, nullptr, "Sides", &devices, version,
                                  size ? &params : nullptr);
    };
    side.negotiate = [](DWORD app, DWORD device, DWORD low, DWORD high, DWORD* negotiated) {
        PHONEEXTENSIONID extension{};
        return phoneNegotiateAPIVersion(app, device, low, high, negotiated,
                                        negotiated ? &extension : nullptr);
    };
    side.getDevCaps = [](DWORD app, DWORD device, DWORD version, DWORD ext, DWORD total) {
        std::vector<char> buffer = CapsBuffer(total);
        auto* caps = reinterpret_cast<PHONECAPS*>(buffer.data());
        return phoneGetDevCapsA(app, device, version, ext, total ? caps : nullptr);
    };
    side.open = [](DWORD app, DWORD device, DWORD version, DWORD ext, DWORD* handle) {
        return phoneOpen(app, device, handle, version, ext, 1, PHONEPRIVILEGE_OWNER);
    };
    side.getMessage = [](DWORD app) {
        PHONEMESSAGE message{};
        return phoneGetMessage(app, &message, 0);
    };
    side.close = [](DWORD handle) { return phoneClose(handle); };
    side.shutdown = [](DWORD app) { return phoneShutdown(app); };
    return side;
}

class SimModemSides : public FreshModemTest, public ::testing::WithParamInterface<Side> {};

TEST_P(SimModemSides, RefusesBadRequestsWithItsOwnCodes) {
    const Side& side = GetParam();
    const Codes& e = side.codes;
    DWORD app = 0;
    DWORD version = kVersion;
    ASSERT_EQ(0, side.initialize(&app, &version, LINEINITIALIZEEXOPTION_USEEVENT, kParamsSize));
    DWORD device = 0;
    ASSERT_EQ(0, side.open(app, side.device, kVersion, 0, &device));

    auto initialize = [&](DWORD asked, DWORD options, DWORD size) {
        DWORD refused = 0;
        return side.initialize(&refused, &asked, options, size);
    };
    DWORD negotiated = 0;
    DWORD unused = 0;
    const DWORD fixed = side.capsFixedSize;
    struct Case {
        const char* what;
        LONG result;
        LONG expected;
    } cases[] = {
        {"initialise without params", initialize(kVersion, LINEINITIALIZEEXOPTION_USEEVENT, 0),
         e.invalPointer},
        {"initialise for a hidden window", initialize(kVersion, 1, kParamsSize),
         e.operationUnavail},
        {"initialise with params cut short", initialize(kVersion, 2, 16), e.structureTooSmall},
        {"initialise for TAPI 1.4", initialize(0x00010004, 2, kParamsSize),
         e.incompatibleApiVersion},
        {"negotiate on a device handle", side.negotiate(device, 0, kVersion, kVersion, &negotiated),
         e.invalAppHandle},
        {"negotiate for a missing device",
         side.negotiate(app, side.deviceCount, kVersion, kVersion, &negotiated), e.badDeviceId},
        {"negotiate into nothing", side.negotiate(app, side.device, kVersion, kVersion, nullptr),
         e.invalPointer},
        {"negotiate below 2.0", side.negotiate(app, side.device, 0x10003, 0x10004, &negotiated),
         e.incompatibleApiVersion},
        {"caps on a device handle", side.getDevCaps(device, side.device, kVersion, 0, 1024),
         e.invalAppHandle},
        {"caps of a missing device", side.getDevCaps(app, side.deviceCount, kVersion, 0, 1024),
         e.badDeviceId},
        {"caps for a version not offered", side.getDevCaps(app, side.device, 0x30001, 0, 1024),
         e.incompatibleApiVersion},
        {"caps with an extension", side.getDevCaps(app, side.device, kVersion, 1, 1024),
         e.incompatibleExtVersion},
        {"caps into nothing", side.getDevCaps(app, side.device, kVersion, 0, 0), e.invalPointer},
        {"caps below the fixed part", side.getDevCaps(app, side.device, kVersion, 0, fixed - 1),
         e.structureTooSmall},
        {"caps of the fixed part only", side.getDevCaps(app, side.device, kVersion, 0, fixed), 0},
        {"open on a device handle", side.open(device, side.device, kVersion, 0, &unused),
         e.invalAppHandle},
        {"open a missing device", side.open(app, side.deviceCount, kVersion, 0, &unused),
         e.badDeviceId},
        {"open into nothing", side.open(app, side.device, kVersion, 0, nullptr), e.invalPointer},
        {"open for a version not offered", side.open(app, side.device, 0x30001, 0, &unused),
         e.incompatibleApiVersion},
        {"open with an extension", side.open(app, side.device, kVersion, 1, &unused),
         e.incompatibleExtVersion},
        {"message when none waits", side.getMessage(app), e.operationFailed},
        {"message on a device handle", side.getMessage(device), e.invalAppHandle},
        {"close an application handle", side.close(app), e.invalDeviceHandle},
        {"shut a device handle down", side.shutdown(device), e.invalAppHandle},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, c.result) << side.prefix << ": " << c.what;
    }

    // Shutting the application down takes its devices and its queue with it.
    ASSERT_EQ(0, side.shutdown(app));
    EXPECT_EQ(e.invalDeviceHandle, side.close(device));
    EXPECT_EQ(e.invalAppHandle, side.getMessage(app));
    EXPECT_EQ(e.invalAppHandle, side.shutdown(app));
}

TEST_P(SimModemSides, RecordsItsCallsUnderItsOwnNamesAndFields) {
    const Side& side = GetParam();
    const std::string& p = side.prefix;
    control.FailNext(p + "InitializeExA", side.codes.resourceUnavail);
    DWORD app = 0;
    DWORD version = kVersion;
    EXPECT_EQ(side.codes.resourceUnavail,
              side.initialize(&app, &version, LINEINITIALIZEEXOPTION_USEEVENT, kParamsSize));
    ASSERT_EQ(0, side.initialize(&app, &version, LINEINITIALIZEEXOPTION_USEEVENT, kParamsSize));
    DWORD negotiated = 0;
    ASSERT_EQ(0, side.negotiate(app, side.device, kVersion, kVersion, &negotiated));
    ASSERT_EQ(0, side.getDevCaps(app, side.device, negotiated, 0, kCapsBuffer));
    DWORD device = 0;
    ASSERT_EQ(0, side.open(app, side.device, negotiated, 0, &device));
    control.FailNext(p + "Close", side.codes.operationFailed);
    EXPECT_EQ(side.codes.operationFailed, side.close(device));
    EXPECT_EQ(0, side.close(device));
    EXPECT_EQ(0, side.shutdown(app));

    struct Expected {
        std::string function;
        std::vector<std::string> fields;
        LONG result;
    } expected[] = {
        {p + "InitializeExA", {"app", "version", "options", "result"}, side.codes.resourceUnavail},
        {p + "InitializeExA",
         {"app", "version", "options", "handle", "devices", "returnedVersion", "result"},
         0},
        {p + "NegotiateAPIVersion", {"app", "device", "low", "high", "negotiated", "result"}, 0},
        {p + "GetDevCapsA", side.capsFields, 0},
        {side.openName, side.openFields, 0},
        {p + "Close", {p, "result"}, side.codes.operationFailed},
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
