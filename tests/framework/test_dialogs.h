// Templates used only by the framework's tests.
#pragma once

#define IDD_TEST_PLAIN 900
#define IDD_TEST_CONTROLS 901
#define IDC_TEST_LIST 2001
#define IDC_TEST_EDIT 2002
#define IDC_TEST_LOG 2003
#define IDC_TEST_PICTURE 2004
