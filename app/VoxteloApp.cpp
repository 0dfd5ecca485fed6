#include "app/VoxteloApp.h"

#include <windows.h>
#include <commctrl.h>

#include "app/VoxteloDlg.h"

bool CVoxteloApp::InitInstance(std::vector<std::string> arguments) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    CVoxteloDlg dialog(std::move(arguments));
    dialog.RunModal(nullptr);
    return false;
}
