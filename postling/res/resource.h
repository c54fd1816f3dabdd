// Resource and command identifiers of the program, read by the resource
// scripts and by the C++ code alike: plain #define lines only, so that
// windres understands them too.
#ifndef POSTLING_RES_RESOURCE_H
#define POSTLING_RES_RESOURCE_H

// The main frame: its tray menu.
#define IDR_MAINFRAME 103

// Tray icons: normal, new mail (also the tip's icon), blink off, paused,
// and the eight checking frames in the order they are shown.
#define IDI_NORMAL 107
#define IDI_NEWMAIL 106
#define IDI_BLINKOFF 114
#define IDI_PAUSED 151
#define IDI_CHECK0 123
#define IDI_CHECK1 125
#define IDI_CHECK2 126
#define IDI_CHECK3 129
#define IDI_CHECK4 128
#define IDI_CHECK5 127
#define IDI_CHECK6 130
#define IDI_CHECK7 131

// The tail of the tip's balloon, drawn in memory when no module has it.
#define IDB_TIP_TAIL 139

// Tray menu commands.
#define ID_SETTINGS 32771
#define ID_MAIL_LIST 32773
#define ID_ERRORS 32800
#define ID_PAUSE 32802
#define ID_SILENT_MODE 32804
#define ID_STOP_SOUNDS 32805
#define ID_EXIT 32806
// Check now: every account, and one account each (account 0 first).
#define ID_CHECK_ALL 20000
#define ID_CHECK_ACCOUNT_FIRST 20001
#define ID_CHECK_ACCOUNT_LAST 20064

// The framework's standard commands the menus use. C++ code has them from
// framework/CmdTarget.h; these copies are for the resource scripts only.
#ifdef RC_INVOKED
#define ID_APP_ABOUT 0xE140
#define ID_HELP_FINDER 0xE143
#endif

// The password prompt: dialog, picture, small icon and controls; the
// program's large icon.
#define IDD_PASSWORD 148
#define IDB_PASSWORD 147
#define IDI_PASSWORD 149
#define IDI_PROGRAM 135
#define IDC_PASSWORD_USER 1073
#define IDC_PASSWORD_PASSWORD 1074
#define IDC_PASSWORD_PICTURE 1075
#define IDC_PASSWORD_ERROR 1076

// The About box, the second-start notice and the exit confirmation, and
// their controls.
#define IDD_ABOUTBOX 100
#define IDD_SECOND_INSTANCE 108
#define IDD_EXIT_CONFIRM 150
#define IDC_SECOND_INSTANCE_SETTINGS 1001
#define IDC_EXIT_CONFIRM_ICON 1090
#define IDC_ABOUT_LINK_VARNEK 1201
#define IDC_ABOUT_LINK_SOLTU 1202

// String table entries (the texts are in postling/res/strings.txt).
#define IDS_SOCKETS_INIT_FAILED 101  // start-up message boxes
#define IDS_RESTART_FAILED 10054
#define IDS_TRAY_PAUSED 10056        // tooltip while paused
#define IDS_TIP_NEW_MAIL 10057       // tip text, "%s" the count text
#define IDS_MAIL_COUNT 10060         // count nouns, eight lines
#define IDS_PLURAL_RULE 10102        // how the count nouns are chosen: "one-few-many" or "one-other"
#define IDS_PAUSE_MENU 12004         // "pause\nresume"
#define IDS_NEED_USER_NAME 10004     // password prompt validation
#define IDS_NEED_PASSWORD 10005
#define IDS_ABOUT_MAIL_VARNEK 10100  // authors' addresses in the About box
#define IDS_ABOUT_MAIL_SOLTU 10101

// The sound-scheme dialog: dialog, the icons of the four kinds of sound,
// the play and stop pictures, and the controls.
#define IDD_SOUND_SCHEME 140
#define IDI_SOUND_NONE 141
#define IDI_SOUND_MELODY 142
#define IDI_SOUND_MIDI 144
#define IDI_SOUND_WAVE 146
#define IDB_SOUND_PLAY 143
#define IDB_SOUND_STOP 145
#define IDC_SOUND_EVENTS 1058
#define IDC_SOUND_NONE 1059  // radio buttons of kinds 0..3, in order
#define IDC_SOUND_MELODY 1060
#define IDC_SOUND_MIDI 1061
#define IDC_SOUND_WAVE 1062
#define IDC_SOUND_MELODY_LIST 1063
#define IDC_SOUND_MIDI_FILE 1064
#define IDC_SOUND_MIDI_BROWSE 1065
#define IDC_SOUND_WAVE_FILE 1066
#define IDC_SOUND_WAVE_BROWSE 1067
#define IDC_SOUND_STOP 1068
#define IDC_SOUND_PLAY 1069
#define IDC_SOUND_MELODY_LABEL 1070
#define IDC_SOUND_MIDI_LABEL 1071
#define IDC_SOUND_WAVE_LABEL 1072
#define IDC_SOUND_MUTE_ON_MENU 1084
#define IDC_SOUND_SILENT_DURATION 1085
#define IDC_SOUND_SILENT_SPIN 1086
#define IDS_SOUND_EVENT_FIRST 10029  // event names, in SoundEvent order
#define IDS_SOUND_COLUMNS 10067      // list headings, "\n" between them
#define IDS_SOUND_NONE 10068
#define IDS_SOUND_MIDI_FILTER 10069  // file dialog filters, '|' separated
#define IDS_SOUND_WAVE_FILTER 10070

// The errors window: dialog, the context menu of its list, the controls,
// the state texts; the framework's copy command.
#define IDD_ERRORS 137
#define IDR_ERRORS_MENU 122
#define IDC_ERRORS_LIST 1055
#define IDC_ERRORS_ICON 1056
#define IDC_ERRORS_STATE 1057
#define IDS_ERRORS_FOUND 10023  // a record of kind 2 is in the list
#define IDS_ERRORS_NONE 10024   // none is
#define ID_EDIT_COPY 57634

// The header view: dialog, context menu and edit box; the menu's commands
// besides copy: the framework's select-all, fonts, charsets, and the rule
// commands, which the message list has too.
#define IDD_HEADER 134
#define IDR_HEADER_MENU 119
#define IDC_HEADER_TEXT 1054
#define ID_EDIT_SELECT_ALL 57642
#define ID_HEADER_CHARSET_WIN1251 32792
#define ID_HEADER_CHARSET_KOI8R 32793
#define ID_HEADER_FONT_PROPORTIONAL 32794
#define ID_HEADER_FONT_FIXED 32795
#define ID_RULE_FROM_SUBJECT 32797
#define ID_RULE_FROM_SENDER 32799

// The check periods: the period list dialog with its toolbar, menu and
// icons, the period editor, their commands and titles.
#define IDD_PERIOD_LIST 118
#define IDD_PERIOD 120
#define IDR_PERIOD_LIST 112  // toolbar, its bitmap and the list's context menu
#define IDI_PERIOD 105
#define IDI_PERIOD_LIST 132
#define ID_PERIOD_EDIT 32779
#define ID_PERIOD_ADD 32780
#define ID_PERIOD_DELETE 32781
#define IDC_PERIOD_DAILY 1027  // radio buttons of kinds 0..2, in order
#define IDC_PERIOD_WEEKLY 1028
#define IDC_PERIOD_MONTHLY 1029
#define IDC_PERIOD_DAILY_START 1030
#define IDC_PERIOD_DAILY_END 1031
#define IDC_PERIOD_WEEKLY_START_TIME 1032
#define IDC_PERIOD_WEEKLY_END_TIME 1033
#define IDC_PERIOD_WEEKLY_START_DAY 1034
#define IDC_PERIOD_WEEKLY_END_DAY 1035
#define IDC_PERIOD_MONTHLY_START_TIME 1036
#define IDC_PERIOD_MONTHLY_END_TIME 1037
#define IDC_PERIOD_MONTHLY_START_DAY 1038
#define IDC_PERIOD_MONTHLY_START_SPIN 1039
#define IDC_PERIOD_LIST 1040
#define IDC_PERIOD_MONTHLY_END_DAY 1041
#define IDC_PERIOD_MONTHLY_END_SPIN 1042
#define IDC_PERIOD_TOOLBAR 1043
#define IDS_PERIOD_CHECK_TITLE 10007
#define IDS_PERIOD_NO_CHECK_TITLE 10008
#define IDS_PERIOD_EDIT_TITLE 10009
#define IDS_PERIOD_ADD_TITLE 10010
#define IDS_PERIOD_WEEKDAYS 10090  // "\n" between the names, Monday first

// The account sheet: its three pages, their controls and texts, its icon.
#define IDD_ACCOUNT_CONNECTION 104
#define IDD_ACCOUNT_TIMES 116
#define IDD_ACCOUNT_FIREWALL 152
#define IDI_ACCOUNT 109
#define IDC_ACCOUNT_SERVER 1005
#define IDC_ACCOUNT_PORT 1007
#define IDC_ACCOUNT_NAME 1009
#define IDC_ACCOUNT_PROTOCOL 1010
#define IDC_ACCOUNT_PORT_SPIN 1011
#define IDC_ACCOUNT_USER 1012
#define IDC_ACCOUNT_PASSWORD 1013
#define IDC_ACCOUNT_REPORT_ERRORS 1018
#define IDC_ACCOUNT_ASK_PASSWORD 1021
#define IDC_ACCOUNT_SECURITY 1044
#define IDC_ACCOUNT_CERTIFICATE_LABEL 1045
#define IDC_ACCOUNT_CERTIFICATE 1046
#define IDC_ACCOUNT_ACCEPT_CERTIFICATE 1047
#define IDC_ACCOUNT_FORGET_CERTIFICATE 1048
#define IDC_ACCOUNT_CHECK_PERIODS 1014
#define IDC_ACCOUNT_TIMEOUT 1015
#define IDC_ACCOUNT_INTERVAL 1016
#define IDC_ACCOUNT_EDIT_CHECK_PERIODS 1017
#define IDC_ACCOUNT_UNCHECK_PERIODS 1019
#define IDC_ACCOUNT_EDIT_UNCHECK_PERIODS 1020
#define IDC_ACCOUNT_TIMEOUT_LABEL 1022
#define IDC_ACCOUNT_INTERVAL_LABEL 1023
#define IDC_ACCOUNT_CHECK_PERIODS_TEXT 1024
#define IDC_ACCOUNT_UNCHECK_PERIODS_TEXT 1025
#define IDC_ACCOUNT_FIREWALL_ICON 1091
#define IDS_ACCOUNT_ADDING 10001
#define IDS_ACCOUNT_CHANGING 10002
#define IDS_ACCOUNT_NEED_SERVER 10003
#define IDS_ACCOUNT_INTERVALS 10065  // slider labels, "\n" between them
#define IDS_ACCOUNT_TIMEOUTS 10066
#define IDS_ACCOUNT_LINE_BREAK 10091
#define IDS_ACCOUNT_TOO_LONG 10092
#define IDS_ACCOUNT_POP3_ONLY 10093
#define IDS_ACCOUNT_CERTIFICATE_STATES 10094  // accepted, offered, none
#define IDS_ACCOUNT_SECURITY_CHOICES 10095    // in Security order
#define IDS_ACCOUNT_PROTOCOLS 10096

// The settings sheet's rules page: dialog, its toolbar (with the bitmap)
// and the table's context menu, controls, commands and texts.
#define IDD_RULES_PAGE 111
#define IDR_RULES 115
#define IDC_RULES_TOOLBAR 1050
#define IDC_RULES_LIST 1051
#define IDC_RULES_DEFAULT 1052
#define IDC_RULES_SOUNDS 1053
#define ID_RULE_UP 32783
#define ID_RULE_DOWN 32784
#define ID_RULE_ADD 32786
#define ID_RULE_DELETE 32787
#define IDS_RULE_FIELDS 10019     // "\n" between the names, field 0 first
#define IDS_RULE_REACTIONS 10020  // "\n" between the names, line = code + 1
#define IDS_RULE_DELETE_ASK 10021
#define IDS_RULE_COLUMNS 10062    // "\n" between the headings
#define IDS_RULE_NEW_TEXT 10063
#define IDS_RULE_SETTINGS_BUSY 10022  // a rule from a message while a dialog of the sheet is open

// The settings sheet: its accounts page (list, toolbar and menu 109) and
// its general page, the language list's own icon, and their texts.
#define IDD_PROPERTIES_ACCOUNTS 102
#define IDD_PROPERTIES_GENERAL 113
#define IDR_ACCOUNTS 109  // toolbar, its bitmap and the list's context menu
#define IDI_LANGUAGE_DEFAULT 152
#define IDC_ACCOUNTS_LIST 1002
#define IDC_ACCOUNTS_TOOLBAR 1003
#define ID_ACCOUNT_DELETE 32775
#define ID_ACCOUNT_ADD 32777
#define ID_ACCOUNT_PROPERTIES 32778
#define IDC_GENERAL_MAILER 1077
#define IDC_GENERAL_MAILER_BROWSE 1078
#define IDC_GENERAL_DIALUP_ONLY 1079
#define IDC_GENERAL_AGENT 1080
#define IDC_GENERAL_SKIP_WHEN_MAILER_RUNS 1081
#define IDC_GENERAL_EXIT_WITHOUT_DIALUP 1082
#define IDC_GENERAL_CONFIRM_EXIT 1083
#define IDC_GENERAL_ERROR_TIME 1087
#define IDC_GENERAL_ERROR_TIME_SPIN 1088
#define IDC_GENERAL_LANGUAGE 1097
#define IDS_PROPERTIES_TITLE 10059
#define IDS_ACCOUNTS_COLUMNS 10061  // "\n" between the headings
#define IDS_ACCOUNTS_DELETE_QUESTION 10006
#define IDS_PROPERTIES_BUSY_ACCOUNTS 10017
#define IDS_GENERAL_AGENT_FAILED 10048
#define IDS_GENERAL_MAILER_NOT_FOUND 10049
#define IDS_GENERAL_DIALUP_WARNING 10051
#define IDS_GENERAL_RESTART 10055
#define IDS_GENERAL_MAILER_FILTER 10064  // '|' between the parts

// The message list window: its frame resources (menu, accelerators,
// toolbar and its bitmap), the rows' context menu, the marked rows' icons,
// its commands, the column headings and the busy-account message.
#define IDR_MAILLIST 124
#define IDR_MAILLIST_MENU 117
#define IDI_MARKED_NEW 136
#define IDI_MARKED 138
#define ID_MAILLIST_HEADER 32788
#define ID_MAILLIST_MARK 32789
#define ID_MAILLIST_DELETE_MARKED 32790
#define ID_MAILLIST_MAILER 32807
#define ID_MAILLIST_CLOSE 32808
#define ID_MAILLIST_MINIMIZE 32814
#define ID_MAILLIST_REMIND_LATER 32816
#define IDS_MAILLIST_TITLE 10058
#define IDS_MAILLIST_BUSY 10053
#define IDS_MAILLIST_COLUMNS 10071  // "\n" between the headings
#ifdef RC_INVOKED
#define ID_CONTEXT_HELP 0xE145
#define ID_VIEW_TOOLBAR 0xE800
#define ID_VIEW_STATUS_BAR 0xE801
#endif

#endif
