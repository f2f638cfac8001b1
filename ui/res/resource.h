// Resource and control identifiers, shared by the .rc script and the code.
#pragma once

#define IDD_MAIN 100
#define IDD_ABOUT 101
#define IDD_PREVIEW 102
#define IDI_APP 200
#define IDI_ABOUT_PICTURE 201

#define IDC_FILE_NEW 1000
#define IDC_FILE_OPEN 1001
#define IDC_FILE_SAVE 1002
#define IDC_FILE_SAVE_AS 1003
#define IDC_RUN 1004
#define IDC_LIST_PLACEHOLDER 1005
#define IDC_ENTRY_NEW 1006
#define IDC_ENTRY_DELETE 1007
#define IDC_ENTRY_UP 1008
#define IDC_ENTRY_DOWN 1009
#define IDC_END_CLOSE 1010
#define IDC_END_TASKKILL 1011
#define IDC_TARGET_TITLE 1012
#define IDC_TARGET_CLASS 1013
#define IDC_TARGET_BOTH 1014
#define IDC_TARGET_PROCESS 1015
#define IDC_KEYWORD 1016
#define IDC_METHOD_WILDCARD 1017
#define IDC_METHOD_REGEX 1018
#define IDC_METHOD_CASE 1019
#define IDC_ENTRY_UPDATE 1020
#define IDC_START_RECENT 1021
#define IDC_README 1022
#define IDC_ABOUT 1023

#define IDC_TASK_LIST_VIEW 2000
#define IDC_ABOUT_LINK 300
#define IDC_ABOUT_PICTURE 301

// The preview dialog and the task list view's context menu.
#define IDC_PREVIEW_LIST 1101
#define IDC_PREVIEW_SUMMARY 1102
#define IDM_PREVIEW_EDITED 3001
#define IDM_PREVIEW_ALL 3002


// The task list view's watch item and the watcher's notification-area menu.
#define IDM_WATCH_LIST 3003
#define IDM_WATCH_PAUSE 3101
#define IDM_WATCH_EDIT 3102
#define IDM_WATCH_AT_LOGON 3103
#define IDM_WATCH_EXIT 3104
