// Resource ids of voxtelo.rc; shared by the .rc script and the code.
#pragma once

#define IDR_MAINFRAME 128  // application icon

// Dialog templates.
#define IDD_ABOUTBOX 100
#define IDD_VOXTELO_DIALOG 102
#define IDD_BOOKMARK 156
#define IDD_DEBUG 157

// Bitmaps: the call notice's backgrounds (147 x 121).
#define IDB_NOTICE_CALL 159      // outgoing or connected call
#define IDB_NOTICE_INCOMING 160  // incoming call

// Bitmaps of the phone-book editor: its background (360 x 200, magenta corners) and its
// buttons' up and pressed pictures (21 pixels high).
#define IDB_BOOK_BACKGROUND 161
#define IDB_BOOK_NEW 162
#define IDB_BOOK_APPLY 163
#define IDB_BOOK_CANCEL 164
#define IDB_BOOK_DELETE 165
#define IDB_BOOK_NEW_DOWN 166
#define IDB_BOOK_DELETE_DOWN 167
#define IDB_BOOK_APPLY_DOWN 168
#define IDB_BOOK_CANCEL_DOWN 169
#define IDB_BOOK_OK 170
#define IDB_BOOK_OK_DOWN 171
#define IDB_BOOK_CLOSE 172

// Strings.
#define IDS_ABOUTBOX 101  // the system-menu entry for the about box
#define IDS_SAVE_CHANGES 102
#define IDS_DELETE_CONFIRM 103

// Controls.
#define IDC_DEBUG_TEXT 1001

// Controls of the phone-book editor (Cancel is IDCANCEL).
#define IDC_BOOK_LIST 1000
#define IDC_BOOK_NAME 1003
#define IDC_BOOK_HOME 1004
#define IDC_BOOK_MOBILE 1005
#define IDC_BOOK_OFFICE 1006
#define IDC_BOOK_APPLY 1008
#define IDC_BOOK_DELETE 1012
#define IDC_BOOK_NEW 1015
#define IDC_BOOK_OK 1016
#define IDC_BOOK_CLOSE 1017

// System-menu command of the about entry (the low four bits are the system's).
#define IDM_ABOUTBOX 0x0010
