// Resource ids shared by the .rc file and the code.
#pragma once

#define IDD_ABOUTBOX 100
#define IDD_MAIN 102
#define IDS_SOCKETS_INIT_FAILED 103
#define IDI_APP 128
#define IDB_LOGO 135

#define IDC_SETTINGS 1000
#define IDC_CONTACT 1001
#define IDC_RESULTS 1015
#define IDC_UPDATE 1029
#define IDC_VERIFY_MODE 1043
#define IDC_RECOMMISSION_MODE 1044
#define IDC_DECOMMISSION_MODE 1045
#define IDC_TEST_FIRST 1053
#define IDC_TEST_LAST 1069
#define IDC_LOGO 1071
#define IDC_MODE_BANNER 1072
#define IDC_STATUS_TEXT 1074
