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

// String table entries (the texts are in postling/res/strings.txt).
#define IDS_SOCKETS_INIT_FAILED 101  // start-up message boxes
#define IDS_RESTART_FAILED 10054
#define IDS_TRAY_PAUSED 10056        // tooltip while paused
#define IDS_TIP_NEW_MAIL 10057       // tip text, "%s" the count text
#define IDS_MAIL_COUNT 10060         // count nouns, eight lines
#define IDS_PAUSE_MENU 12004         // "pause\nresume"

#endif
