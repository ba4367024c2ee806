// Resource identifiers of Tallybox: every dialog, control, menu, command,
// string, bitmap and icon. Control ids are given per dialog; the same number
// may serve several dialogs under different names.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC                      (-1)
#endif

// ---- Program-wide resources ------------------------------------------------
#define IDR_MAINFRAME                   128     // menu, toolbar, icon, accelerators, string
#define IDI_PROGRAM                     128
#define IDR_ARCHIVE_POPUP               161     // archive list popup menu
#define IDR_FILE_POPUP                  166     // file list popup menu
#define IDS_APP_TITLE                   57344   // the program's name in message boxes
#define IDS_IDLE_MESSAGE                57345

// ---- Commands ----------------------------------------------------------------
#define ID_ARCHIVE_NOW                  32772   // run the automatic archive now
#define ID_EDIT_ARCHIVE_NEW             32773   // archive editor, no archive
#define ID_SETTINGS                     32774
#define ID_UNUSED_32775                 32775
#define ID_UNUSED_32777                 32777
#define ID_BACKUP_ARCHIVES              32778
#define ID_EDIT_ARCHIVE                 32781
#define ID_EXTRACT_FILES                32782
#define ID_SORT_BY_NAME                 32784
#define ID_SORT_BY_DATE                 32785
#define ID_FIND_ARCHIVES                32789
#define ID_SORT_BY_LOCATION             32790
#define ID_UNUSED_32791                 32791
#define ID_UNUSED_32792                 32792
#define ID_HIDE_WINDOW                  32793
#define ID_OPEN_SELECTED_FILE           32794
#define ID_EXTRACT_FILES_TOOLBAR        32795
#define ID_MAKE_SELF_EXTRACTING         32798
#define ID_HELP_TOPICS                  32799
#define ID_REMOVE_FROM_LIST             32800
#define ID_FILE_HISTORY                 32810   // Archive menu: File History
#define ID_FILE_HISTORY_ENTRY           32811   // file list popup: the selected entry's history
#define ID_ARCHIVE_LOG                  32815   // Archive menu: the log of the automatic archive runs
#define ID_FILE_NEW                     57600
#define ID_FILE_OPEN                    57601
#define ID_APP_ABOUT                    57664
#define ID_APP_EXIT                     57665   // "Terminate"
#define ID_HELP_INDEX                   57667
#define ID_CONTEXT_HELP                 57669
#define ID_HELP                         57670
#define ID_DEFAULT_HELP                 57671

// ---- Private messages and timers ----------------------------------------------
#define WM_TB_OPEN_NAMED                0x8001  // wParam = lParam = global atom of a file name
#define WM_TB_ZIP_PROGRESS              0x8002  // WM_APP + 2: wParam percent, lParam text
#define WM_TB_ZIP_ITEM                  0x8003  // WM_APP + 3: lParam text
#define WM_TB_END_PROGRAM               0x8004  // WM_APP + 4: end as Terminate does, without its question; answers 1, or 0 when busy
#define WM_TB_TRAY                      101     // tray icon callback
#define IDT_FRAME_LAYOUT                12
#define IDT_FRAME_FIRST_SHOW            32
#define IDT_FRAME_RAISE                 66
#define IDT_FRAME_SHUTDOWN              5
#define IDT_VIEW_SCHEDULE               27
#define IDT_VIEW_MONITOR_RESTART        28
#define IDT_VIEW_WAITING_RUN            29      // one-shot: a scheduled run held back by another comes now
#define IDT_VIEW_CATCH_UP               30      // one-shot: after start-up or a wake, a missed archive is caught up
#define IDT_VIEW_FOLDING                31      // while old day archives are folded: has the pass ended?
#define IDT_PANE_LISTING                12
#define IDT_EDITOR_START                5
#define IDT_PROGRESS_TEXT               99
#define ID_STATUS_PANE                  800
#define ID_TRAY_ICON                    101

// ---- About box (100) ------------------------------------------------------------
#define IDD_ABOUTBOX                    100
#define IDC_ABOUT_MAKER1                1201
#define IDC_ABOUT_MAKER2                1202

// ---- Settings pages ---------------------------------------------------------------
#define IDD_SETTINGS_GENERAL            130
#define IDC_GEN_MONITOR                 1019
#define IDC_GEN_ARCHIVE_AT_SHUTDOWN     1020
#define IDC_GEN_TIMED                   1021
#define IDC_GEN_SPECIFIC_TIME           1022
#define IDC_GEN_TIME                    1014
#define IDC_GEN_TIME_LABEL              1112
#define IDC_GEN_EVERY                   1023
#define IDC_GEN_INTERVAL                1024
#define IDC_GEN_HOURS_LABEL             1113
#define IDC_GEN_SIZE_LIMIT              1025
#define IDC_GEN_SIZE                    1026
#define IDC_GEN_LEARN_MODE              1027
#define IDC_GEN_ADD_ALL                 1059
#define IDC_GEN_ADD_RECOMMENDED         1060
#define IDC_GEN_LET_ME_CHOOSE           1061
#define IDC_GEN_IGNORE_NEW              1018
#define IDC_GEN_CATCH_UP                1250

#define IDD_SETTINGS_LOCATION           133
#define IDC_LOC_PRIMARY                 1007
#define IDC_LOC_ALTERNATE               1167
#define IDC_LOC_BROWSE_PRIMARY          1182
#define IDC_LOC_BROWSE_ALTERNATE        1183
#define IDC_LOC_CONSOLIDATE             1251
#define IDC_LOC_CONSOLIDATE_DAYS        1252
#define IDC_LOC_CONSOLIDATE_LABEL       1253

#define IDD_SETTINGS_DRIVES             134
#define IDC_DRV_ALL_LOCAL               1004
#define IDC_DRV_ALL_REMOTE              1005
#define IDC_DRV_CUSTOM                  1007
#define IDC_DRV_LIST                    1012
#define IDC_DRV_EXCLUDE_DIRS            1006
#define IDC_DRV_EXCLUDE_LIST            1037
#define IDC_DRV_BROWSE                  1068
#define IDC_DRV_EXCLUDE_TEMP            1134
#define IDC_DRV_EXCLUDE_CACHE           1135
#define IDC_DRV_EXCLUDE_UNZIP           1136

#define IDD_SETTINGS_FILES              135
#define IDC_FT_EDIT_TYPES               1042
#define IDC_FT_TYPES                    1038
#define IDC_FT_EDIT_EXCLUDED            1041
#define IDC_FT_EXCLUDED                 1039
#define IDC_FT_ADD_FILE                 1035
#define IDC_FT_REMOVE_FILE              1046
#define IDC_FT_FILES                    1040

#define IDD_SETTINGS_PROMPTS            136
#define IDC_PR_PENDING                  1010
#define IDC_PR_NEW_TYPES                1031
#define IDC_PR_SIZE_LIMIT               1032
#define IDC_PR_SILENT                   1181
#define IDC_PR_DISK_SPACE               1033
#define IDC_PR_DRIVE_ACCESS             1009

#define IDD_SETTINGS_UNZIP              164
#define IDC_UZ_USE_DEFAULT              1115
#define IDC_UZ_DEFAULT_PATH             1116
#define IDC_UZ_BROWSE                   1068
#define IDC_UZ_USE_LAST                 1117
#define IDC_UZ_USE_TEMP                 1118
#define IDC_UZ_MY_DOCUMENTS             1174
#define IDC_UZ_OVERWRITE                1119
#define IDC_UZ_PROMPT                   1120
#define IDC_UZ_RENAME                   1121
#define IDC_UZ_FOLDER_NAMES             1128
#define IDC_UZ_NO_PROMPTING             1122

// ---- File type dialogs --------------------------------------------------------
#define IDD_FILE_TYPE_LIST              139
#define IDC_FTL_TEXT                    1045
#define IDC_FTL_LIST                    1042
#define IDC_FTL_EDIT                    1044

#define IDD_NEW_FILE_TYPE               143
#define IDC_NFT_TYPE                    1057
#define IDC_NFT_ADD_HINT                1064
#define IDC_NFT_EXCLUDE_HINT            1063
#define IDC_NFT_DONT_ASK                1105
#define IDC_NFT_ADD                     1       // "ADD this File Type"
#define IDC_NFT_IGNORE                  2       // "IGNORE this time"
#define IDC_NFT_EXCLUDE                 3       // "EXCLUDE this File Type"

// ---- Pending archive (141) --------------------------------------------------------
#define IDD_PENDING_ARCHIVE             141
#define IDC_PA_ARCHIVE_NOW              1
#define IDC_PA_LATER                    2
#define IDC_PA_RUN_ARCHIVER             3
#define IDC_PA_CUSTOM_ARCHIVE           4
#define IDC_PA_LIST                     1062
#define IDC_PA_HDR_ARCHIVE              1051
#define IDC_PA_HDR_FILE                 1052
#define IDC_PA_EDIT_SETTINGS            1054
#define IDC_PA_SHUTDOWN_NO_ARCHIVE      1076
#define IDC_PA_RESET_PENDING            1138
#define IDC_PA_PROGRESS                 1082
#define IDC_PA_INCLUDE_FOLDERS          1164
#define IDC_PA_CANCEL_SHUTDOWN          1166

// ---- Progress (146) and file size limit (171) ---------------------------------------
#define IDD_PROGRESS                    146
#define IDC_PROG_BAR                    1082
#define IDC_PROG_TEXT                   1083
#define IDC_PROG_ABORT                  1133

#define IDD_FILE_SIZE_LIMIT             171
#define IDC_FSL_INCLUDE                 1
#define IDC_FSL_SKIP                    2
#define IDC_FSL_EDIT_SETTINGS           1054
#define IDC_FSL_SKIP_ALL                1076
#define IDC_FSL_PATH                    1160
#define IDC_FSL_DONT_SHOW               1161
#define IDC_FSL_INCLUDE_ALL             1162
#define IDC_FSL_SIZE                    1163

// ---- Archive contents pane (162) ------------------------------------------------------
#define IDD_CONTENTS_PANE               162
#define IDC_ARCHIVE_LIST                1047
#define IDC_FILE_LIST                   1048
#define IDC_HDR_ARC_NAME                1106
#define IDC_HDR_ARC_LOCATION            1107
#define IDC_HDR_FILE_NAME               1076
#define IDC_HDR_FILE_EXT                1145
#define IDC_HDR_FILE_DATE               1109
#define IDC_HDR_FILE_SIZE               1103
#define IDC_HDR_FILE_COMPR              1165
#define IDC_HDR_FILE_LOCATION           1108

// ---- Find archives (163) --------------------------------------------------------------
#define IDD_FIND_ARCHIVES               163
#define IDC_FA_DRIVES                   1012
#define IDC_FA_ADD_NEW                  1141
#define IDC_FA_CLEAR_AND_ADD            1142
#define IDC_FA_BROWSE                   1068

// ---- Extract files (165) --------------------------------------------------------------
#define IDD_EXTRACT                     165
#define IDC_EX_DESTINATION              1124
#define IDC_EX_DEFAULT_FOLDER           1115
#define IDC_EX_LAST_FOLDER              1117
#define IDC_EX_TEMP_FOLDER              1118
#define IDC_EX_MY_DOCUMENTS             1174
#define IDC_EX_FOLDER_NAMES             1128
#define IDC_EX_OVERWRITE                1119
#define IDC_EX_PROMPT                   1120
#define IDC_EX_RENAME                   1121
#define IDC_EX_ALL_FILES                1129
#define IDC_EX_SELECTED_FILES           1130
#define IDC_EX_BROWSE                   1068
#define IDC_EX_PROGRESS                 1082

// ---- Archive editor (145) and its helpers ------------------------------------------------
#define IDD_ARCHIVE_EDIT                145
#define IDC_AE_OPEN                     1089
#define IDC_AE_EXTRACT                  1091
#define IDC_AE_LOCATE                   1068
#define IDC_AE_SETTINGS                 1054
#define IDC_AE_ARCHIVE                  1084
#define IDC_AE_ARCHIVE_FILES            1
#define IDC_AE_COL_NAME                 1139
#define IDC_AE_COL_EXT                  1145
#define IDC_AE_COL_ACTION               1102
#define IDC_AE_COL_DATE                 1109
#define IDC_AE_COL_SIZE                 1165
#define IDC_AE_COL_LOCATION             1076
#define IDC_AE_LIST                     1048
#define IDC_AE_PROGRESS_TEXT            1158
#define IDC_AE_ITEM_TEXT                1160
#define IDC_AE_PROGRESS                 1082
#define IDC_AE_SAVE_FOLDERS             1155
#define IDC_AE_PASSWORD                 1159
#define IDC_AE_REMOVE                   1100
#define IDC_AE_ADD_TO_LIST              1065
#define IDC_AE_PENDING                  1066
#define IDC_AE_CHANGED_SINCE            1067
#define IDC_AE_LAST_AUTO                1077
#define IDC_AE_LAST_DAYS                1078
#define IDC_AE_DAYS                     1079
#define IDC_AE_DAYS_LABEL               1085
#define IDC_AE_TYPES_MONITORED          1072
#define IDC_AE_TYPES_ALL                1073
#define IDC_AE_TYPES_FROM               1074
#define IDC_AE_TYPE_LIST                1075
#define IDC_AE_TYPE_EDIT                1087
#define IDC_AE_DRIVES_LABEL             1088
#define IDC_AE_DRIVES                   1012

#define IDD_LOCATE_OPTIONS              156
#define IDC_LO_FRESHEN                  1086
#define IDC_LO_USE_WILDCARDS            1099
#define IDC_LO_SUBFOLDERS               1096
#define IDC_LO_CHANGED_SINCE            1097
#define IDC_LO_DAYS                     1079

#define IDD_PASSWORD                    169
#define IDC_PW_PROMPT                   1156
#define IDC_PW_TEXT                     1157

#define IDD_BACKUP_ARCHIVES             174
#define IDC_BK_LIST                     1170
#define IDC_BK_LOCATION                 1124
#define IDC_BK_BROWSE                   1171
#define IDC_BK_OVERWRITE                1172
#define IDC_BK_PROGRESS                 1173

// ---- Self-extracting archive (175) ---------------------------------------------------------
#define IDD_SELF_EXTRACT                175
#define IDC_SX_OUTPUT                   1176
#define IDC_SX_EXTRACT_FOLDER           1177
#define IDC_SX_CAPTION                  1178
#define IDC_SX_SOURCE                   1179
#define IDC_SX_STATUS                   1180

// ---- File History (180) ---------------------------------------------------------------------
#define IDD_FILE_HISTORY                180
#define IDC_FH_PATTERN                  1300
#define IDC_FH_SEARCH                   1301
#define IDC_FH_STATUS                   1302
#define IDC_FH_LIST                     1303
#define IDC_FH_NOTE                     1304
#define IDC_FH_RESTORE                  1305
#define IDC_FH_RESTORE_TO               1306
#define IDC_FH_OPEN                     1307
#define IDC_FH_SHOW                     1308
#define IDC_FH_HDR_DAYS                 1310
#define IDC_FH_HDR_MODIFIED             1311
#define IDC_FH_HDR_SIZE                 1312
#define IDC_FH_HDR_COPIES               1313
#define IDC_FH_HDR_LOCKED               1314
#define IDC_FH_HDR_ARCHIVE              1315

// ---- Archive Log (190) ----------------------------------------------------------------------
#define IDD_RUN_LOG                     190
#define IDC_RL_LIST                     1330
#define IDC_RL_NOTE                     1331
