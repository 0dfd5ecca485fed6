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

TEST(TapiErrorNames, ValuesWithoutANameTakeNoTapiNameAndFallBackToTheSystemText) {
    // Wine has no text for the TAPI values, so only the system errors show the fallback
    // itself; every row shows that no table lends its name where TAPI defines none.
    struct Row {
        const char* what;
        std::string name;
        DWORD value;
        bool systemHasText;
    };
    const Row rows[] = {
        {"line value without constant", LineErrorName(static_cast<int32_t>(0x80000031)), 0x80000031,
         false},
        {"line value past TAPI 2.0", LineErrorName(static_cast<int32_t>(0x8000005D)), 0x8000005D,
         false},
        {"phone BADDEVICEID", PhoneErrorName(static_cast<int32_t>(0x90000002)), 0x90000002, false},
        {"phone value outside the seven", PhoneErrorName(static_cast<int32_t>(0x9000001B)),
         0x9000001B, false},
        {"a line error asked of the phone names", PhoneErrorName(static_cast<int32_t>(0x80000048)),
         0x80000048, false},
        {"system error", LineErrorName(ERROR_ACCESS_DENIED), ERROR_ACCESS_DENIED, true},
        {"system error, phone side", PhoneErrorName(ERROR_FILE_NOT_FOUND), ERROR_FILE_NOT_FOUND,
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(row.name.find("PHONEERR_"), std::string::npos);
        EXPECT_EQ(row.name.find("LINEERR_"), std::string::npos);
        if (row.systemHasText) {
            const std::string text = FormatMessageText(row.value);
            ASSERT_FALSE(text.empty()) << "the system text this row relies on";
            EXPECT_EQ(row.name, text);
        }
    }
}

TEST(TapiErrorNames, TheSystemTextKeepsItsLineBreak) {
    const std::string text = LineErrorName(ERROR_ACCESS_DENIED);
    ASSERT_GE(text.size(), 3u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(SystemMessageText(ERROR_ACCESS_DENIED), text);
}

}  // namespace
