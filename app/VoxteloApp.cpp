#include "app/VoxteloApp.h"

#include <windows.h>
#include <commctrl.h>

#include <optional>

#include "app/PhoneLink.h"
#include "app/SingleInstance.h"
#include "app/TrayIcon.h"
#include "app/VoxteloDlg.h"
#include "core/DebugLog.h"
#include "framework/MessageBox.h"

bool CVoxteloApp::InitInstance(std::vector<std::string> arguments) {
    // A second start brings the running phone forward (or hands it a link's number) and ends.
    SingleInstance instance;
    const std::optional<std::string> number = PhoneLinkNumber(arguments);
    const bool isPhone = instance.Claim([&](HWND phone) {
        LetPhoneComeForward(phone);
        if (!number) {
            return PostPhoneKey(phone);
        }
        // The link's number waits for the phone's tray window, made last at its start.
        HWND tray = CTrayIcon::FindOfProcess(phone);
        return tray && CTrayIcon::HandNumber(tray, *number);
    });
    if (!isPhone) {
        return false;
    }

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    // Every report reaches the Debug Window, also those that wait for no box of their own.
    fw::SetReportLog(&SendDebugText);

    CVoxteloDlg dialog(std::move(arguments));
    dialog.RunModal(nullptr);
    return false;
}
