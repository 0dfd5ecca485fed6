#include "tests/support/SkypeLink.h"

#include <string>

namespace test {

bool SettleSkypeLink(HWND program, skypesim::SimConnection& skype, unsigned timeoutMs) {
    // Programs that ran before may still count as attached: only this one's attach counts.
    const auto window = reinterpret_cast<uintptr_t>(program);
    const bool attached = skype.WaitUntil(
        [&] {
            for (const skypesim::RecordEntry& entry : skype.Record()) {
                if (entry.kind == skypesim::RecordKind::Attach && entry.window == window &&
                    entry.status == 0 && entry.ok) {
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    if (!attached) {
        return false;
    }
    skype.Command("send CURRENTUSERHANDLE voxtelo.user");
    skype.Command("online");
    // A poll pass that ran before the status texts were all known asks for them again; its
    // answers (the account ONLINE once more) would end a call that rang meanwhile.
    auto count = [&](skypesim::RecordKind kind, const std::string& text) {
        size_t n = 0;
        for (const skypesim::RecordEntry& entry : skype.Record()) {
            n += entry.kind == kind && entry.window == window && entry.text == text ? 1 : 0;
        }
        return n;
    };
    return skype.WaitUntil(
        [&] {
            const size_t asked = count(skypesim::RecordKind::In, "GET CONNSTATUS");
            return asked == count(skypesim::RecordKind::In, "GET USERSTATUS") &&
                   count(skypesim::RecordKind::Out, "USERSTATUS ONLINE") == asked + 1;
        },
        timeoutMs);
}

}  // namespace test
