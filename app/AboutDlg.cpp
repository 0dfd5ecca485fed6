#include "app/AboutDlg.h"

#include "res/resource.h"

CAboutDlg::CAboutDlg() : Dialog(IDD_ABOUTBOX) {}
