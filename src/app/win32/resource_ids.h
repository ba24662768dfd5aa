// Identifiers shared by the resource script and the code; plain defines so the resource
// compiler reads this file too.
#pragma once

#define IDI_MERIDOX 1
#define IDS_TRANSFER_ATTEMPT 1

// Main window controls.
#define IDC_CHECK_CONN 1001
#define IDC_CLOSE_RECEIPT 1002
#define IDC_ALL_VOID 1003
#define IDC_X_REPORT 1004
#define IDC_Z_REPORT 1005
#define IDC_ABOUT 1006
#define IDC_APPLY 1007
#define IDC_CLOSE 1008
#define IDC_STATUS_BAR 1009

// Settings panel.
#define IDC_COMMUNICATION 1100
#define IDC_RB_SERIAL 1101
#define IDC_RB_ETHERNET 1102
#define IDC_PORT_NAMES 1103
#define IDC_BAUD_RATE 1104
#define IDC_IP_ADDRESS 1105
#define IDC_PORT 1106
#define IDC_IN_ENCODING 1107
#define IDC_OUT_ENCODING 1108
#define IDC_PATH 1109
#define IDC_PATH_BROWSE 1110
#define IDC_CLEAR_FILES 1111
#define IDC_DECIMAL_SYMBOL 1112
#define IDC_START_WITH_WINDOWS 1113

// Tray menu.
#define IDM_SETTING 1201
#define IDM_CLOSE 1202

// Dialogs.
#define IDC_ABOUT_IMAGE 1301
#define IDC_ABOUT_CAPTION 1302
#define IDC_ABOUT_VERSION 1303
#define IDC_END_DAILY_MSG 1401
#define IDC_END_DAILY_COUNT 1402
#define IDC_END_DAILY_YES 1403
#define IDC_END_DAILY_CANCEL 1404
