// Resource ids shared by the .rc file and the code.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MAIN 102
#define IDS_SOCKETS_INIT_FAILED 103
#define IDI_APP 128
#define IDR_TRAY_MENU 132
#define IDD_PRODUCT_SCAN 134
#define IDB_LOGO 135
#define IDD_MESSAGE_BOX 145

// The About entry of the main window's system menu.
#define IDM_ABOUTBOX 16

// The notification-area icon's menu.
#define ID_TRAY_SHOW 32771
#define ID_TRAY_TITLE 32772
#define ID_TRAY_ABOUT 32773

#define IDC_SETTINGS 1000
#define IDC_CONTACT 1001
#define IDC_RESULTS 1015
#define IDC_UPDATE 1029
#define IDC_POPUP_CLOSE 1041
#define IDC_VERIFY_MODE 1043
#define IDC_RECOMMISSION_MODE 1044
#define IDC_DECOMMISSION_MODE 1045
#define IDC_BOX_FIRST 1049
#define IDC_BOX_SECOND 1050
#define IDC_ABOUT_VERSION 1050
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
#define IDC_TEST_FIRST 1053
#define IDC_TEST_LAST 1069
#define IDC_LOGO 1071
#define IDC_MODE_BANNER 1072
#define IDC_STATUS_TEXT 1074
