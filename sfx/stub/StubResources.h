#pragma once
// Resource ids of the extractor program.

#define IDI_STUB 1

#define IDD_SCREEN_PICTURE 101
#define IDD_SCREEN_FOLDER 102
#define IDD_SCREEN_PROGRESS 103
#define IDD_SCREEN_PASSWORD 104
#define IDD_SCREEN_DISK_ERROR 105

#define IDC_PICTURE 1001
#define IDC_MESSAGE 1002
#define IDC_FOLDER 1003
#define IDC_BROWSE 1004
#define IDC_PROGRESS 1005
#define IDC_ITEM 1006
#define IDC_PASSWORD 1007
