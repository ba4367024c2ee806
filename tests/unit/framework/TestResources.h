#pragma once
// Dialog templates of the framework tests (FrameworkTests.rc).

#define IDD_TEST_DIALOG      100
#define IDD_TEST_PAGE_ONE    101
#define IDD_TEST_PAGE_TWO    102
#define IDD_TEST_PANEL       103

#define IDC_TEST_BUTTON      1001
#define IDC_TEST_EDIT        1002
#define IDC_TEST_PANEL_END   1099
