// Resource ids of voxtelo.rc; shared by the .rc script and the code.
#pragma once

#define IDR_MAINFRAME 128  // application icon

// Dialog templates.
#define IDD_ABOUTBOX 100
#define IDD_VOXTELO_DIALOG 102
#define IDD_BOOKMARK 156
#define IDD_DEBUG 157

// Strings.
#define IDS_ABOUTBOX 101  // the system-menu entry for the about box
#define IDS_SAVE_CHANGES 102
#define IDS_DELETE_CONFIRM 103

// Controls.
#define IDC_DEBUG_TEXT 1001

// System-menu command of the about entry (the low four bits are the system's).
#define IDM_ABOUTBOX 0x0010
