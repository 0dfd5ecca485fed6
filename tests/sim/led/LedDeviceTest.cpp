// The program's LED requests through the real path under Wine: LedDevice, DeviceIoControl,
// Wine's device host and the stand-in driver, and back through the program's reply parser.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/LedDevice.h"
#include "app/LedRequest.h"
#include "sim/led/control/LedSimControl.h"

namespace {

class LedDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ledsim::Control::IsRunning()) << "tools/wine.sh starts the stand-in";
        control = std::make_unique<ledsim::Control>();
        control->SetReplyMode(LEDSIM_REPLY_NORMAL);
        ASSERT_TRUE(LedDevice::Open());
        mark = control->LastSeq();
    }
    void TearDown() override {
        if (control) {
            control->SetReplyMode(LEDSIM_REPLY_NORMAL);
        }
    }

    // Requests of this process since the mark; other programs may use the device meanwhile.
    std::vector<ledsim::Entry> Mine() {
        std::vector<ledsim::Entry> mine;
        for (const ledsim::Entry& e : control->Entries(mark)) {
            if (e.process == GetCurrentProcessId()) {
                mine.push_back(e);
            }
        }
        mark = control->LastSeq();
        return mine;
    }

    std::unique_ptr<ledsim::Control> control;
    uint32_t mark = 0;
};

// In order: the fault rows show that a request after a fault is answered again. The word
// SetLed returns is the LED after this very request; other programs may drive it meanwhile.
TEST_F(LedDeviceTest, EachRequestArrivesWithItsMethodAndValueAndSetLedGivesTheReplysWord) {
    struct Case {
        uint32_t mode, method, value;
        uint32_t returned;
        uint8_t outcome;
    } cases[] = {
        {LEDSIM_REPLY_NORMAL, led::kMethodPled, 1, 1, LEDSIM_ANSWERED},
        {LEDSIM_REPLY_NORMAL, led::kMethodPled, 0, 0, LEDSIM_ANSWERED},
        {LEDSIM_REPLY_FAIL, led::kMethodPled, 1, 0, LEDSIM_FAILED_ON_PURPOSE},
        {LEDSIM_REPLY_UNPARSABLE, led::kMethodPled, 1, 0, LEDSIM_ANSWERED_UNPARSABLE},
        {LEDSIM_REPLY_NORMAL, 0x44454C58 /* "XLED" */, 0, 0, LEDSIM_UNKNOWN_METHOD},
        {LEDSIM_REPLY_NORMAL, led::kMethodPled, 0, 0, LEDSIM_ANSWERED},
        {LEDSIM_REPLY_NORMAL, led::kMethodPled, 1, 1, LEDSIM_ANSWERED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ledsim::OutcomeName(c.outcome) + " " + std::to_string(c.value));
        control->SetReplyMode(c.mode);
        EXPECT_EQ(LedDevice::SetLed(c.method, c.value), c.returned);
        const auto mine = Mine();
        ASSERT_EQ(mine.size(), 1u);
        EXPECT_EQ(mine[0].method, c.method);
        EXPECT_EQ(mine[0].value, c.value);
        EXPECT_EQ(mine[0].form, LEDSIM_FORM_INLINE);  // a 64-bit program sends the record inline
        EXPECT_EQ(mine[0].length, 24);
        EXPECT_EQ(mine[0].outcome, c.outcome);
    }
}

// Bytes the program never sends, straight to the driver: each is refused with its own error
// and recorded, and the device goes on answering.
TEST_F(LedDeviceTest, TheDriverRefusesMalformedRequestsAndGoesOnAnswering) {
    fw::FileHandle device(CreateFileA(LEDSIM_USER_PATH, GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                      nullptr));
    ASSERT_TRUE(device);
    const std::vector<uint8_t> pointer =
        led::BuildRequest(led::Layout::PointerToRecord, led::kMethodPled, 1, 0x00401000);
    std::vector<uint8_t> good =
        led::BuildRequest(led::Layout::RecordInline, led::kMethodPled, 1, 0);
    std::vector<uint8_t> huge(1 << 16, 0xFF);
    struct Case {
        const char* name;
        const std::vector<uint8_t>* request;  // null: no input buffer
        DWORD outSize;
        DWORD error;
        int outcome;  // -1: nothing recorded
        uint32_t code = led::kControlCode;
    } cases[] = {
        {"no buffers", nullptr, 0, ERROR_INVALID_PARAMETER, LEDSIM_BAD_SIZE},
        {"64 KiB of input", &huge, 768, ERROR_INVALID_PARAMETER, LEDSIM_BAD_SIZE},
        {"pointer form", &pointer, 768, ERROR_NOT_SUPPORTED, LEDSIM_POINTER_OUT_OF_REACH},
        {"no room for the reply", &good, 12, ERROR_INSUFFICIENT_BUFFER, LEDSIM_REPLY_TOO_SMALL},
        {"another control code", &good, 768, ERROR_INVALID_FUNCTION, -1, 0x222400},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> out(c.outSize + 1, 0xEE);
        DWORD returned = 0;
        void* in = c.request ? const_cast<uint8_t*>(c.request->data()) : nullptr;
        const DWORD inSize = c.request ? static_cast<DWORD>(c.request->size()) : 0;
        EXPECT_FALSE(DeviceIoControl(device.Get(), c.code, in, inSize,
                                     c.outSize ? out.data() : nullptr, c.outSize, &returned,
                                     nullptr));
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_EQ(returned, 0u);
        const auto mine = Mine();
        if (c.outcome < 0) {
            EXPECT_TRUE(mine.empty());
            continue;
        }
        ASSERT_EQ(mine.size(), 1u);
        EXPECT_EQ(mine[0].outcome, c.outcome);
        EXPECT_EQ(mine[0].length, std::min<size_t>(inSize, 0xFFFF));
    }
    EXPECT_EQ(LedDevice::SetLed(led::kMethodPled, 1), 1u);
}

}  // namespace
