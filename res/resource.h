// Resource numbers of the program: dialogs, menu, accelerators, icon, strings and controls.
#ifndef SONOREL_RES_RESOURCE_H
#define SONOREL_RES_RESOURCE_H

#define IDD_MAIN 101
#define IDR_ACCELERATORS 102
#define IDI_SONOREL 103
#define IDR_MAINMENU 105
#define IDD_ABOUT 110

// String table
#define IDS_CREATE_FAILED 104
#define IDS_ERROR 105
#define IDS_SYSEX_FONT 106
#define IDS_FILTER_SMF 108
#define IDS_UNEXPECTED_ERROR 109
#define IDS_FILTER_TEXT 110
#define IDS_FILTER_SYSEX 111
#define IDS_WARNING 112
#define IDS_OVERWRITE_PRESET 113
#define IDS_DELETE_PRESET 114
#define IDS_TITLE_SMF 115
#define IDS_TITLE_SYSEX 116
#define IDS_TITLE_TEXT 117
#define IDS_WEB_ADDRESS 118
#define IDS_MAIL_ADDRESS 119
#define IDS_VERSION_DESCRIPTION 134
#define IDS_VERSION_COPYRIGHT 135
#define IDS_VERSION_COMMENTS 136
#define IDS_CONFIRM_BROWSER 137
#define IDS_CONFIRM 138
// Writing into songs (139-159)
#define IDS_TITLE_WRITE_SONG 139
#define IDS_SONG_INSERTED 140
#define IDS_SONG_INSERTED_AT_START 141
#define IDS_SONG_REPLACED 142
#define IDS_SONG_UNCHANGED 143
#define IDS_SONG_LEFT_ALONE 144
#define IDS_SONG_NO_ROOM 145
#define IDS_SONG_END_MOVED 146
#define IDS_SONG_FAILED 147
#define IDS_SONG_NOT_SMF 148
#define IDS_SONG_DAMAGED 149
#define IDS_SONG_FORMAT 150
#define IDS_SONG_NO_TRACK 151
#define IDS_SONG_TOO_LARGE 152
// 139-159: writing the tune into songs; 160-179: sending to a MIDI port.

// Main window controls
#define IDC_HERTZ 1001
#define IDC_CENTS 1002
#define IDC_HERTZ_SPIN 1004
#define IDC_CENTS_SPIN 1005
#define IDC_PRESET 1037
#define IDC_PRESET_SAVE 1038
#define IDC_PRESET_DELETE 1039
#define IDC_RESET 1040
#define IDC_FORMAT 1041
#define IDC_SAVE_SMF 1042
#define IDC_SAVE_TEXT 1043
#define IDC_SAVE_SYSEX 1045
#define IDC_SYSEX 1068

// Menu commands and accelerators
#define IDM_SAVE_SMF 40002
#define IDM_SAVE_SYSEX 40004
#define IDM_SAVE_TEXT 40005
#define IDM_EXIT 40006
#define IDM_HELP 40007
#define IDM_ABOUT 40008

// MIDI menu: write into songs, send, and the output ports (one radio item per port from IDM_PORT_FIRST)
#define IDM_WRITE_SONG 40101
#define IDM_SEND 40102
#define IDM_PORT_NONE 40199
#define IDM_PORT_FIRST 40200
#define IDM_PORT_LAST 40299

// About box controls (numbers are per dialog)
#define IDC_ABOUT_MAIL 1001
#define IDC_ABOUT_WEB 1002
#define IDC_ABOUT_EXPLORE 1003
#define IDC_ABOUT_PATH 1005
#define IDC_ABOUT_ICON 103
#define IDC_ABOUT_DESCRIPTION 134
#define IDC_ABOUT_COPYRIGHT 135
#define IDC_ABOUT_COMMENTS 136

#endif
