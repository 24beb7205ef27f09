// Resource, control, command and timer numbers shared by app.rc and the code.
#pragma once

#define IDD_ABOUT 101
#define IDB_SKYPLOT 102
#define IDI_APP 103
#define IDS_APP_TITLE 104
#define IDR_ACCEL 104
#define IDR_MENU 105
#define IDD_CONTROL 106
#define IDD_DISPLAY 107

#define IDC_PORT 1000
#define IDC_BAUD 1001
#define IDC_SCAN 1002
#define IDC_COLD_START 1003
#define IDC_START 1004
#define IDC_CORE_VERSION 1005
#define IDC_FW_VERSION 1006
#define IDC_P_VERSION 1007
#define IDC_SEND 1008
#define IDC_VTG 1009
#define IDC_POWER_SAVE 1010
#define IDC_WAAS 1011
#define IDC_LOG_FILE 1012
#define IDC_AUTO 1013
#define IDC_GET_VERSION 1014
#define IDC_FACTORY_RESET 1015
#define IDC_AUTO_INTERVAL 1016
#define IDC_FILTER_FIELD 1017
#define IDC_FILTER_OP 1018
#define IDC_SET_FILTER 1019
#define IDC_LOG_NAME 1020
#define IDC_SNR_OFFSET 1021
#define IDC_COMMAND 1022

#define IDM_ABOUT 40001
#define IDM_EXIT 40002
#define IDM_SET_TIME 40004

#define TIMER_AUTO_SEND 4098

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
