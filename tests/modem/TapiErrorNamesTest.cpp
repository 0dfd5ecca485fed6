// The error names under Wine: table names where TAPI defines a constant, otherwise the
// system's own message text exactly as FormatMessageA gives it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "modem/TapiErrorNames.h"

namespace {

// What FormatMessageA itself returns for value with the flags the names use (0x1300).
std::string FormatMessageText(DWORD value) {
    char* text = nullptr;
    const DWORD length =
        FormatMessageA(0x1300, nullptr, value, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = length != 0 && text != nullptr ? std::string(text, length) : "";
    LocalFree(text);
    return result;
}

TEST(TapiErrorNames, TableNamesWinOverTheSystemText) {
    EXPECT_EQ(LineErrorName(static_cast<int32_t>(0x80000048)), "LINEERR_OPERATIONFAILED");
    EXPECT_EQ(LineErrorName(static_cast<int32_t>(0x80000002)), "LINEERR_BADDEVICEID");
    EXPECT_EQ(PhoneErrorName(static_cast<int32_t>(0x9000001C)), "PHONEERR_OPERATIONFAILED");
    EXPECT_EQ(PhoneErrorName(static_cast<int32_t>(0x90000023)), "PHONEERR_REINIT");
}

TEST(TapiErrorNames, ValuesWithoutANameGiveTheSystemText) {
    struct Row {
        const char* what;
        std::string name;
        DWORD value;
    };
    const Row rows[] = {
        {"line value without constant", LineErrorName(static_cast<int32_t>(0x80000031)),
         0x80000031},
        {"line value past TAPI 2.0", LineErrorName(static_cast<int32_t>(0x8000005D)), 0x8000005D},
        {"phone BADDEVICEID", PhoneErrorName(static_cast<int32_t>(0x90000002)), 0x90000002},
        {"phone value outside the seven", PhoneErrorName(static_cast<int32_t>(0x9000001B)),
         0x9000001B},
        {"a line error asked of the phone names", PhoneErrorName(static_cast<int32_t>(0x80000048)),
         0x80000048},
        {"system error", LineErrorName(ERROR_ACCESS_DENIED), ERROR_ACCESS_DENIED},
        {"system error, phone side", PhoneErrorName(ERROR_FILE_NOT_FOUND), ERROR_FILE_NOT_FOUND},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(row.name, FormatMessageText(row.value));
        EXPECT_EQ(row.name.find("PHONEERR_"), std::string::npos);
        EXPECT_EQ(row.name.find("LINEERR_"), std::string::npos);
    }
}

TEST(TapiErrorNames, TheSystemTextKeepsItsLineBreak) {
    const std::string text = LineErrorName(ERROR_ACCESS_DENIED);
    ASSERT_GE(text.size(), 3u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(SystemMessageText(ERROR_ACCESS_DENIED), text);
}

}  // namespace
