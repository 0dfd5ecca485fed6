// One LED request through the real path under Wine: LedDevice, DeviceIoControl, Wine's device
// host and the stand-in driver, and back. The window sends one on every carrier sync.
#include <cstdio>

#include "app/LedDevice.h"
#include "app/LedRequest.h"
#include "bench/WineBench.h"

int main() {
    if (!LedDevice::Open()) {
        std::fprintf(stderr,
                     "no LED device: run it with tools/wine.sh, which starts the stand-in\n");
        return 1;
    }
    uint32_t value = 0;
    for (int round = 0; round < 5; ++round) {
        bench::ReportMedian("SetLed, one request and its reply", 1000,
                            [&] { LedDevice::SetLed(led::kMethodPled, value ^= 1); });
    }
    return 0;
}
