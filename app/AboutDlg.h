// The about box: the program's name, icon and version.
#pragma once

#include "framework/Dialog.h"

class CAboutDlg : public fw::Dialog {
public:
    CAboutDlg();
};
