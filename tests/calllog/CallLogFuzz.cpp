// libFuzzer target for the call log's reader: any bytes load without fault, and the text a
// rewrite would write reads back to itself, keeping every call and every unreadable line.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "calllog/CallHistory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    calllog::CallHistory history;
    const size_t unreadable =
        history.Load(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string text = history.Text();
    calllog::CallHistory reread;
    if (reread.Load(text) != unreadable || reread.Text() != text ||
        reread.CallCount() != history.CallCount() ||
        reread.UnseenMissed() != history.UnseenMissed()) {
        std::fprintf(stderr, "a rewrite does not read back as itself\n");
        std::abort();
    }
    return 0;
}
