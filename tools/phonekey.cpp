// phonekey: posts the phone key (UM_PHONE_KEY) to a running Voxtelo, as the notebook's
// phone button would; `--close` asks it to close instead. Waits up to 15 s for the window.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "core/Messages.h"
#include "framework/WindowServices.h"

int main(int argc, char** argv) {
    const bool close = argc > 1 && std::strcmp(argv[1], "--close") == 0;
    HWND phone = nullptr;
    for (int waited = 0; !phone && waited < 15000; waited += 100) {
        phone = fw::FindDialogWindow("Voxtelo");
        if (!phone) {
            Sleep(100);
        }
    }
    if (!phone) {
        std::fprintf(stderr, "phonekey: no Voxtelo window\n");
        return 1;
    }
    const UINT message = close ? WM_CLOSE : msg::UM_PHONE_KEY;
    if (!PostMessageA(phone, message, 0, 0)) {
        std::fprintf(stderr, "phonekey: post failed (%lu)\n", GetLastError());
        return 1;
    }
    return 0;
}
