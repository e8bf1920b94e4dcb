// Resource and control ids of every window, in one place. Included by the
// resource script and by the window units.
#pragma once

// Icons.
#define IDI_QUOR 100

// Pick list (TChkLBoxForm).
#define IDC_PICK_LIST 1001
#define IDC_PICK_CHECK_SELECTED 1002
#define IDC_PICK_UNCHECK_SELECTED 1003
#define IDC_PICK_CHECK_ALL 1004
#define IDC_PICK_UNCHECK_ALL 1005
#define IDC_PICK_OK 1006
#define IDC_PICK_CANCEL 1007

// Creator window (TSFVCreater).
#define IDC_CREATE_FOLDER_LABEL 1101
#define IDC_CREATE_FOLDER_PROGRESS 1102
#define IDC_CREATE_FILE_LABEL 1103
#define IDC_CREATE_FILE_PROGRESS 1104
#define IDC_CREATE_STATUS 1105

// Small question windows (overwrite question, input box).
#define IDC_ASK_TEXT 1201
#define IDC_ASK_ICON 1202
#define IDC_ASK_EDIT 1203
#define IDC_ASK_YES 1211
#define IDC_ASK_NO 1212
#define IDC_ASK_NO_TO_ALL 1213
#define IDC_ASK_YES_TO_ALL 1214
#define IDC_ASK_OK 1215
#define IDC_ASK_CANCEL 1216
