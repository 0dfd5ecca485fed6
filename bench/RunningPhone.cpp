#include "bench/RunningPhone.h"

#include <cstdio>
#include <cstdlib>
#include <map>

#include "tests/support/SkypeLink.h"

namespace bench {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "benchmark stopped: %s\n", what);
        std::exit(1);
    }
}

RunningPhone LaunchPhone(const simmodem::Control& modem, const std::string& arguments) {
    RunningPhone phone;
    phone.process = std::make_unique<test::ChildProcess>(
        "voxtelo.exe", arguments,
        std::map<std::string, std::string>{{"VOXTELO_SIMMODEM_CHANNEL", modem.Channel()}});
    Check(phone.process->Started(), "voxtelo.exe did not start");
    Check(
        test::WaitUntil([&] { return (phone.main = test::DialogOfProcess("Voxtelo", phone.Id())); },
                        kPhoneWaitMs),
        "no main window");
    return phone;
}

void WaitForSkypeLink(const RunningPhone& phone, skypesim::SimConnection& skype) {
    Check(test::SettleSkypeLink(phone.main, skype, kPhoneWaitMs), "the Skype link did not settle");
}

RunningPhone StartPhone(simmodem::Control& modem, skypesim::SimConnection& skype) {
    RunningPhone phone = LaunchPhone(modem);
    Check(modem.WaitForLive(kPhoneWaitMs) && modem.WaitForLineOpen(kPhoneWaitMs).has_value(),
          "the modem line did not open");
    WaitForSkypeLink(phone, skype);
    return phone;
}

void ClosePhone(RunningPhone& phone) {
    PostMessageA(phone.main, WM_CLOSE, 0, 0);
    Check(phone.process->WaitForExit(kPhoneWaitMs), "voxtelo.exe did not end");
}

}  // namespace bench
