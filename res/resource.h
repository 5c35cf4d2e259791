/* Resource identifiers of the main window (template 101), the settings dialog
   (template 104), the icon, the preview button bitmaps and the file list's
   context menu. Included by the
   resource script and by the C++ code, so it holds only #defines. */
#ifndef TONVELKA_RESOURCE_H
#define TONVELKA_RESOURCE_H

#define IDD_MAIN                101
#define IDI_TONVELKA            102
#define IDD_SETTINGS            104
#define IDB_PLAY                105
#define IDB_PAUSE               106
#define IDB_STOP                107
#define IDM_LIST_MENU           108

/* Main window controls. */
#define IDC_SRC_FORMATTAG       1001
#define IDC_SRC_CHANNELS_LABEL  1002
#define IDC_SRC_FORMATTAG_LABEL 1003
#define IDC_FILE_MARK           1004
#define IDC_SRC_CHANNELS        1005
#define IDC_SRC_SAMPLERATE_LABEL 1006
#define IDC_SRC_SAMPLERATE      1007
#define IDC_SRC_DATARATE_LABEL  1008
#define IDC_SRC_DATARATE        1009
#define IDC_SRC_BLOCKALIGN_LABEL 1010
#define IDC_SRC_BLOCKALIGN      1011
#define IDC_SRC_RESOLUTION_LABEL 1012
#define IDC_SRC_RESOLUTION      1013
#define IDC_SRC_EXTRA_LABEL     1014
#define IDC_SRC_EXTRA           1015
#define IDC_FILE_LIST           1016
#define IDC_TOTAL_MARK          1017
#define IDC_DST_FORMATTAG_LABEL 1019
#define IDC_DST_FORMATTAG       1020
#define IDC_DST_CHANNELS_LABEL  1021
#define IDC_DST_CHANNELS        1022
#define IDC_DST_SAMPLERATE_LABEL 1023
#define IDC_DST_SAMPLERATE      1024
#define IDC_DST_DATARATE_LABEL  1025
#define IDC_DST_DATARATE        1026
#define IDC_DST_BLOCKALIGN_LABEL 1027
#define IDC_DST_BLOCKALIGN      1028
#define IDC_DST_RESOLUTION_LABEL 1029
#define IDC_DST_RESOLUTION      1030
#define IDC_CONVERT_INFO        1031
#define IDC_AVG_COMPRESSION_LABEL 1032
#define IDC_DST_GROUP           1033
#define IDC_SELECT_FORMAT       1034
#define IDC_ADD_FILES           1035
#define IDC_REMOVE_FILE         1036
#define IDC_DESTINATION         1037
#define IDC_CONVERT             1038
#define IDC_SETTINGS            1039
#define IDC_SEPARATOR           1040
#define IDC_TOTAL_LABEL         1041
#define IDC_TOTAL_PROGRESS      1042
#define IDC_FILE_LABEL          1043
#define IDC_FILE_PROGRESS       1044
#define IDC_AVG_COMPRESSION     1045
#define IDC_ELAPSED_TIME_LABEL  1046
#define IDC_ELAPSED_TIME        1047
#define IDC_CUR_COMPRESSION_LABEL 1048
#define IDC_CUR_COMPRESSION     1049
#define IDC_ESTIMATED_TIME_LABEL 1050
#define IDC_FILE_TEXT_LEFT      1051
#define IDC_FILE_TEXT_RIGHT     1052
#define IDC_FILE_TEXT_MID       1053
#define IDC_TOTAL_TEXT_LEFT     1054
#define IDC_TOTAL_TEXT_RIGHT    1055
#define IDC_TOTAL_TEXT_MID      1056
#define IDC_ESTIMATED_TIME      1057
#define IDC_DEST_INFO           1058
#define IDC_PLAY                1059
#define IDC_STOP_PLAY           1060
#define IDC_SELECTION_INFO      1061
/* A command of the list's context menu that no button has. */
#define IDC_PLAY_DESTINATION    1062

/* Settings dialog controls (template 104). */
#define IDC_BUFFER_SIZE         1005
#define IDC_PRIORITY_CLASS      1006
#define IDC_THREAD_PRIORITY     1007
#define IDC_PRIORITY_CLASS_TEXT 1008
#define IDC_THREAD_PRIORITY_TEXT 1009
#define IDC_COMPAT_CHECK        1063
#define IDC_LOW_QUALITY         1066
#define IDC_LEVEL_MODE          1075
#define IDC_LEVEL_TARGET        1076
#define IDC_KEEP_METADATA       1070

/* The program's own format chooser (template 200), used where the platform's
   chooser cannot take a verify hook. */
#define IDD_FORMAT_CHOOSER      200
#define IDC_CHOOSER_TAG_LABEL   2001
#define IDC_CHOOSER_TAG         2002
#define IDC_CHOOSER_FORMAT_LABEL 2003
#define IDC_CHOOSER_FORMATS     2004

#endif
